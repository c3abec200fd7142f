// Cells of the lookup-list grids typed through the grid's own editor, as a user types them: the
// grid keeps the editor it is committing (a save inside the commit that resets the model makes
// Qt warn "commitData/closeEditor called with an editor that does not belong to this view"
// and drops what the user was doing), and what was typed reaches the table.
#include "store/ui/lookup_list_windows.h"

#include "shell/system_info.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace lapiro::test {

// Collects Qt's warnings about editors a view no longer knows while it lives.
class EditorWarnings {
 public:
  EditorWarnings() {
    seen().clear();
    previous() = qInstallMessageHandler(collect);
  }
  ~EditorWarnings() { qInstallMessageHandler(previous()); }
  EditorWarnings(const EditorWarnings&) = delete;
  EditorWarnings& operator=(const EditorWarnings&) = delete;
  static QStringList& seen() {
    static QStringList warnings;
    return warnings;
  }

 private:
  static QtMessageHandler& previous() {
    static QtMessageHandler handler = nullptr;
    return handler;
  }
  static void collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QStringLiteral("does not belong to this view"))) seen() << text;
    if (previous()) previous()(type, context, text);
  }
};

// Opens the editor of `cell` as F2 would, replaces its text with `text` and ends with `key`.
void typeIntoCell(QTableView* grid, const QModelIndex& cell, const QString& text, Qt::Key key) {
  grid->setFocus();
  grid->setCurrentIndex(cell);
  grid->edit(cell);
  QApplication::processEvents();
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr) << "no editor for row " << cell.row();
  editor->selectAll();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, key);
  QApplication::processEvents();
}

}  // namespace lapiro::test

namespace lapiro::store::ui {
namespace {

using test::EditorWarnings;
using test::ScriptedDialogs;
using test::StockDirectory;
using test::typeIntoCell;

constexpr Qt::Key kLeavingKeys[] = {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Down, Qt::Key_Up};

class GridEditing : public ::testing::Test {
 protected:
  GridEditing() : stock({11, 28, 29}) {
    for (const char16_t* s : {u"Eigener Bestand", u"Neuaufnahme", u"Verkauft", u"Zucht"})
      stock.add(QStringLiteral("Status.db"), {{QStringLiteral("Name"), QString::fromUtf16(s)}});
    for (const char16_t* r : {u"Rex", u"Widder", u"Zwergwidder"})
      breeds << stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QString::fromUtf16(r)}});
    for (const char16_t* f : {u"blau", u"schwarz", u"weiß"})
      stock.add(QStringLiteral("Farbe.db"), {{QStringLiteral("Rasse"), breeds[1]}, {QStringLiteral("Name"), QString::fromUtf16(f)}});
    settings.System.Speichern = true;  // saved without the question
  }
  QStringList storedNames(const QString& table) {
    engine::Cursor c(stock.engine);
    c.setTableName(table);
    c.open();
    QStringList out;
    for (c.first(); c.hasRecord() && !c.eof(); c.next()) out << c.field(QStringLiteral("Name")).asString();
    return out;
  }

  StockDirectory stock;
  shell::tsysteminfo settings;
  QList<qint64> breeds;
};

// The breed's code is the second field of the grid's order (name, code): a typed code that
// sorts after the stored one must not move the grid off the record it edits.
TEST_F(GridEditing, BreedCodesTypedAndLeftByEveryKeyKeepTheEditorAndAreSaved) {
  ScriptedDialogs dialogs;
  TRassen w(stock.engine, settings, nullptr, {});
  w.resize(700, 400);
  w.show();
  w.findChild<QTabWidget*>()->setCurrentIndex(1);
  QApplication::processEvents();
  QTableView* grid = w.grid();
  ASSERT_NE(grid, nullptr);
  EditorWarnings warnings;
  int n = 0;
  for (Qt::Key key : kLeavingKeys) typeIntoCell(grid, grid->model()->index(1, 1), QStringLiteral("W%1").arg(++n), key);
  // The name (first order field) as well, growing past the next breed's name.
  typeIntoCell(grid, grid->model()->index(1, 0), QStringLiteral("Zwergwidder2"), Qt::Key_Tab);
  EXPECT_TRUE(EditorWarnings::seen().isEmpty()) << EditorWarnings::seen().join(u'\n').toStdString();
  w.close();
  EXPECT_EQ(stock.stored(QStringLiteral("Rasse.db"), breeds[1], QStringLiteral("Code")), QVariant(QStringLiteral("W5")));
  EXPECT_EQ(stock.stored(QStringLiteral("Rasse.db"), breeds[1], QStringLiteral("Name")), QVariant(QStringLiteral("Zwergwidder2")));
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
}

TEST_F(GridEditing, StatusAndColourNamesTypedIntoStoredAndNewRowsKeepTheEditor) {
  ScriptedDialogs dialogs;
  EditorWarnings warnings;
  {
    TStatusForm w(stock.engine, settings, nullptr, {});
    w.resize(500, 400);
    w.show();
    QApplication::processEvents();
    QTableView* grid = w.grid();
    int n = 0;
    for (Qt::Key key : kLeavingKeys) {
      const QString text = QStringLiteral("Abgang %1").arg(++n);
      typeIntoCell(grid, grid->model()->index(2, 1), text, key);
      EXPECT_EQ(grid->model()->index(2, 1).data().toString(), text);
    }
    // Down on the last row offers a new row; typed, Return, then on to a stored row.
    grid->setCurrentIndex(grid->model()->index(3, 1));
    QTest::keyClick(grid, Qt::Key_Down);
    ASSERT_EQ(grid->model()->rowCount(), 5);
    typeIntoCell(grid, grid->model()->index(4, 1), QStringLiteral("Abgabe"), Qt::Key_Return);
    typeIntoCell(grid, grid->model()->index(1, 1), QStringLiteral("Neu"), Qt::Key_Up);
    w.close();
  }
  EXPECT_EQ(storedNames(QStringLiteral("Status.db")),
            (QStringList{QStringLiteral("Eigener Bestand"), QStringLiteral("Neu"), QStringLiteral("Abgang 5"),
                         QStringLiteral("Zucht"), QStringLiteral("Abgabe")}));
  {
    TFarbeForm w(stock.engine, settings, nullptr, {});
    w.resize(700, 400);
    w.show();
    w.findChild<QTabWidget*>()->setCurrentIndex(1);
    QApplication::processEvents();
    w.breedGrid()->setCurrentIndex(w.breedGrid()->model()->index(1, 0));
    QApplication::processEvents();
    QTableView* grid = w.colourGrid();
    ASSERT_EQ(grid->model()->rowCount(), 3);
    for (Qt::Key key : kLeavingKeys) typeIntoCell(grid, grid->model()->index(0, 1), QStringLiteral("B1"), key);
    // "blau" renamed past "schwarz": the grid stays on it while it is edited.
    typeIntoCell(grid, grid->model()->index(0, 0), QStringLiteral("weißblau"), Qt::Key_Tab);
    w.close();
  }
  EXPECT_TRUE(EditorWarnings::seen().isEmpty()) << EditorWarnings::seen().join(u'\n').toStdString();
  EXPECT_TRUE(storedNames(QStringLiteral("Farbe.db")).contains(QStringLiteral("weißblau")));
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
}

}  // namespace
}  // namespace lapiro::store::ui

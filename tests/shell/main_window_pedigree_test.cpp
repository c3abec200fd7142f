// The main window with the pedigree tab showing: a double click in the list rebuilds the
// pedigree, and the descendants windows opened from the menu move card, list and pedigree.
#include "shell/ui/main_window.h"

#include "card/ui/animal_card.h"
#include "card/ui/pedigree_page.h"
#include "engine/cursor.h"
#include "lineage/ui/descendants_windows.h"
#include "shell/animal_list.h"
#include "shell/shell_install.h"
#include "store/data_module.h"
#include "shell/running_main_window.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

class MainWindowPedigreeTest : public RunningMainWindow {
 protected:
  // A7 is the daughter of B12 and C3.
  void beforeCard() override {
    engine::Cursor c(session_.engine());
    c.setTableName(QStringLiteral("Hasen"));
    c.open();
    auto nummerOf = [&](const QString& rechts) {
      EXPECT_TRUE(c.locate(QStringLiteral("TatoRechts"), {rechts}));
      return c.field(QStringLiteral("Nummer")).asInteger();
    };
    b12 = nummerOf(QStringLiteral("B12"));
    c3 = nummerOf(QStringLiteral("C3"));
    a7 = nummerOf(QStringLiteral("A7"));
    c.edit();
    c.field(QStringLiteral("Vater")).setValue(b12);
    c.field(QStringLiteral("Mutter")).setValue(c3);
    c.post();
  }
  void SetUp() override {
    RunningMainWindow::SetUp();
    ASSERT_NE(card::ui::cardOf(*window_), nullptr);
  }

  // An enabled command, given without letting its posted events run.
  void trigger(const QString& caption) {
    for (QAction* a : window_->findChildren<QAction*>())
      if (a->text() == caption && a->menu() == nullptr) {
        ASSERT_TRUE(a->isEnabled()) << caption.toStdString();
        a->trigger();
        return;
      }
    FAIL() << "no command " << caption.toStdString();
  }
  void showFromList(const QString& rechts) {
    QTableView* grid = window_->animalGrid();
    for (int row = 0; row < grid->model()->rowCount(); ++row)
      if (grid->model()->index(row, 0).data().toString() == rechts) {
        emit grid->doubleClicked(grid->model()->index(row, 0));
        return;
      }
    FAIL() << "no row " << rechts.toStdString();
  }
  qint64 current() { return session_.dataModule()->Hasen().field(QStringLiteral("Nummer")).asInteger(); }
  card::ui::TLapiroStamm& card() { return *card::ui::cardOf(*window_); }
  qint64 b12 = 0, c3 = 0, a7 = 0;
};

TEST_F(MainWindowPedigreeTest, ListDoubleClickWhileThePedigreeShowsRebuildsIt) {
  showFromList(QStringLiteral("A7"));
  card().tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabStammbaum);
  card::ui::TPedigreePage& page = *card().pedigreePage();
  EXPECT_TRUE(page.box(1)->toPlainText().startsWith(QStringLiteral("B12  3.5.10 {")));
  EXPECT_TRUE(page.box(2)->toPlainText().startsWith(QStringLiteral("C3  1.5.1 {")));
  showFromList(QStringLiteral("B12"));
  EXPECT_EQ(current(), b12);
  EXPECT_TRUE(page.box(1)->toPlainText().isEmpty());
  EXPECT_EQ(card().tabs()->currentIndex(), card::ui::TLapiroStamm::TabStammbaum);
}

TEST_F(MainWindowPedigreeTest, DirectOffspringDoubleClickMovesCardListAndPedigreeAndCloses) {
  showFromList(QStringLiteral("B12"));
  card().tabs()->setCurrentIndex(card::ui::TLapiroStamm::TabStammbaum);
  trigger(QStringLiteral("Direkte Nachkommen"));
  auto* w = openWindow<lineage::ui::TFormNachkommen>();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->grid()->rowCount(), 1);
  EXPECT_EQ(w->grid()->item(0, 0)->text(), QStringLiteral("A7"));
  // A second command brings the same window forward.
  trigger(QStringLiteral("Direkte Nachkommen"));
  EXPECT_EQ(window_->mdiArea()->subWindowList().size(), 2);

  w->DBGridNachkommenDblClick(0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(current(), a7);
  EXPECT_EQ(session_.animalList().cursor().field(QStringLiteral("Nummer")).asInteger(), a7);
  EXPECT_TRUE(card().pedigreePage()->box(1)->toPlainText().startsWith(QStringLiteral("B12  ")));
  EXPECT_EQ(openWindow<lineage::ui::TFormNachkommen>(), nullptr);
  EXPECT_TRUE(dialogs_.texts().isEmpty()) << dialogs_.texts().join(u'|').toStdString();
}

TEST_F(MainWindowPedigreeTest, AllDescendantsOpenAsATreeOfTheCurrentAnimal) {
  showFromList(QStringLiteral("C3"));
  trigger(QStringLiteral("Gesamte Nachkommen"));
  auto* w = openWindow<lineage::ui::TFormListeNachkommen>();
  ASSERT_NE(w, nullptr);
  QTreeWidgetItem* root = w->tree()->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(0), QStringLiteral("C3 1.5.1 {%1}").arg(c3));
  ASSERT_EQ(root->childCount(), 1);
  EXPECT_EQ(root->child(0)->text(0), QStringLiteral("A7 4.5.2 {%1}").arg(a7));
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace lapiro::test

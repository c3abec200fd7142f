// The lookup-list windows and the index rebuild window, offscreen on real tables with
// scripted answers.
#include "store/ui/lookup_list_windows.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "installer/installer.h"
#include "shell/startup.h"
#include "shell/system_info.h"
#include "shell/ui/main_window.h"
#include "store/catalogue.h"
#include "store/data_module.h"
#include "store/messages.h"
#include "store/ui/index_rebuild_window.h"
#include "store/ui/field_edit.h"
#include "engine/field_input.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/table_rows.h"

namespace lapiro::store::ui {
namespace {

using engine::Cursor;
using test::ScriptedDialogs;

QString msg(int n) {
  return QStringLiteral("Meldung %1").arg(n);
}

class LookupWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.valid());
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    for (const char16_t* t : {u"Rasse.db", u"Farbe.db", u"Status.db", u"Sprmel.db"})
      engine.createTable(QString::fromUtf16(t), currentLayout(*findTable(QString::fromUtf16(t))));
    for (int n : {28, 29})
      add(QStringLiteral("Sprmel.db"), {{QStringLiteral("Nummer"), n}, {QStringLiteral("Meldung"), msg(n)}});
    messages = std::make_unique<MessageCatalogue>(engine);
    messages->open();
    setMessageCatalogue(messages.get());
    settings.System.Speichern = false;
    zwerg =
        add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Zwergwidder")},
                                         {QStringLiteral("Rassegruppe"), QStringLiteral("Kleine Rassen")}});
    rex = add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Rex")}});
    for (const char16_t* c : {u"weiß", u"blau"})
      add(QStringLiteral("Farbe.db"),
          {{QStringLiteral("Rasse"), zwerg}, {QStringLiteral("Name"), QString::fromUtf16(c)}});
    for (const char16_t* s : {u"Eigener Bestand", u"Neuaufnahme", u"Verkauft"})
      add(QStringLiteral("Status.db"), {{QStringLiteral("Name"), QString::fromUtf16(s)}});
  }
  void TearDown() override { setMessageCatalogue(nullptr); }

  qint64 add(const QString& table, const QVariantMap& values) {
    return test::addRow(engine, table, values);
  }
  QStringList stored(const QString& table) {
    Cursor c(engine, QStringLiteral("Lesen"));
    c.setTableName(table);
    c.open();
    QStringList out;
    for (c.first(); !c.eof(); c.next()) out << c.field(QStringLiteral("Name")).asString();
    return out;
  }
  static void click(QWidget* w, const QString& name) {
    auto* b = w->findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << name.toStdString();
    b->click();
  }

  test::TempDir dir;
  engine::Engine engine;
  shell::tsysteminfo settings;
  std::unique_ptr<MessageCatalogue> messages;
  qint64 zwerg = 0;
  qint64 rex = 0;
};

TEST_F(LookupWindows, BreedWindowEditsThroughItsBoxesAndNeinToTheSaveQuestionDiscards) {
  ScriptedDialogs dialogs;
  std::vector<int> helps;
  TRassen w(engine, settings, nullptr, [&](int c) { helps.push_back(c); });
  w.show();
  EXPECT_EQ(w.tabs()->tabText(0), QStringLiteral("Felder"));
  EXPECT_EQ(w.tabs()->tabText(1), QStringLiteral("Tabelle"));
  EXPECT_EQ(w.edit(QStringLiteral("Name"))->text(), QStringLiteral("Rex"));  // order RasseName
  QPushButton* undo = w.button(QStringLiteral("Rueckgaengig"));
  EXPECT_FALSE(undo->isEnabled());

  QTest::keyClicks(w.edit(QStringLiteral("Name")), QStringLiteral("chen"));
  EXPECT_TRUE(undo->isEnabled());
  dialogs.no();
  click(&w, QStringLiteral("nbNext"));
  EXPECT_EQ(dialogs.texts(), QStringList{msg(29)});
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(w.edit(QStringLiteral("Name"))->text(), QStringLiteral("Rex"));
  EXPECT_EQ(stored(QStringLiteral("Rasse.db")),
            (QStringList{QStringLiteral("Zwergwidder"), QStringLiteral("Rex")}));

  // The group box follows the record and writes into it.
  click(&w, QStringLiteral("nbLast"));
  EXPECT_EQ(w.groupBox()->currentText(), QStringLiteral("Kleine Rassen"));
  click(&w, QStringLiteral("Hilfe"));
  EXPECT_EQ(helps, std::vector<int>{90});

  // "H&inzufügen", then "R&ückgängig" drops the new record.
  click(&w, QStringLiteral("Hinzufuegen"));
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_TRUE(w.edit(QStringLiteral("Name"))->text().isEmpty());
  EXPECT_EQ(w.grid()->model()->rowCount(), 3);
  click(&w, QStringLiteral("Rueckgaengig"));
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(w.grid()->model()->rowCount(), 2);
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(LookupWindows, BreedWeightsTakeTheDecimalCommaAndRefuseTextOnceWhenLeft) {
  ScriptedDialogs dialogs;
  TRassen w(engine, settings, nullptr, {});
  w.show();
  ASSERT_EQ(w.edit(QStringLiteral("Name"))->text(), QStringLiteral("Rex"));
  QLineEdit* low = w.edit(QStringLiteral("Min Gewicht"));
  QLineEdit* high = w.edit(QStringLiteral("Max Gewicht"));
  QTest::keyClicks(low, QStringLiteral("3,5"));
  QTest::keyClicks(high, QStringLiteral("4x"));
  EXPECT_EQ(low->text(), QStringLiteral("3,5"));
  EXPECT_TRUE(dialogs.texts().isEmpty());  // no message at a keystroke

  click(&w, QStringLiteral("nbNext"));  // leaving checks the boxes: the letter is refused once
  EXPECT_EQ(dialogs.texts(), QStringList{engine::invalidValueMessage(QStringLiteral("4x"), QStringLiteral("Max Gewicht"))});
  EXPECT_EQ(high->text(), QStringLiteral("4x"));
  EXPECT_EQ(w.edit(QStringLiteral("Name"))->text(), QStringLiteral("Rex"));  // did not move

  high->selectAll();
  QTest::keyClicks(high, QStringLiteral("4,25"));
  dialogs.clear();
  dialogs.yes();  // the save question
  click(&w, QStringLiteral("nbNext"));
  EXPECT_EQ(dialogs.texts(), QStringList{msg(29)});
  click(&w, QStringLiteral("nbFirst"));
  EXPECT_EQ(low->text(), QStringLiteral("3,5"));
  EXPECT_EQ(high->text(), QStringLiteral("4,25"));  // shown as stored
  Cursor c(engine, QStringLiteral("Lesen"));
  c.setTableName(QStringLiteral("Rasse.db"));
  c.open();
  ASSERT_TRUE(c.findKey({rex}));
  EXPECT_DOUBLE_EQ(c.field(QStringLiteral("Min Gewicht")).asFloat(), 3.5);
  EXPECT_DOUBLE_EQ(c.field(QStringLiteral("Max Gewicht")).asFloat(), 4.25);

  // The grid edits the same value as German text, never through a spin box that rounds.
  const QModelIndex cell = w.grid()->model()->index(0, 3);
  EXPECT_EQ(cell.data(Qt::EditRole).toString(), QStringLiteral("3,5"));
  dialogs.clear();
  dialogs.yes();
  EXPECT_TRUE(w.grid()->model()->setData(cell, QStringLiteral("1.234,5")));
  EXPECT_EQ(cell.data(Qt::EditRole).toString(), QStringLiteral("1234,5"));

  // The name column gets the room, not the last number column.
  w.resize(800, 500);
  w.tabs()->setCurrentIndex(1);
  QApplication::processEvents();
  EXPECT_GT(w.grid()->columnWidth(0), 2 * w.grid()->columnWidth(3));
  EXPECT_GE(w.grid()->columnWidth(0), w.grid()->fontMetrics().horizontalAdvance(QStringLiteral("Deutsche Großsilber")));
  EXPECT_LT(w.grid()->columnWidth(4), w.width() / 4);
}

TEST_F(LookupWindows, DeletingABreedAsksMessage28) {
  ScriptedDialogs dialogs;
  TRassen w(engine, settings, nullptr, {});
  dialogs.no();
  click(&w, QStringLiteral("Loeschen"));
  EXPECT_EQ(stored(QStringLiteral("Rasse.db")).size(), 2);
  dialogs.yes();
  click(&w, QStringLiteral("Loeschen"));
  EXPECT_EQ(dialogs.texts(), (QStringList{msg(28), msg(28)}));
  EXPECT_EQ(stored(QStringLiteral("Rasse.db")), QStringList{QStringLiteral("Zwergwidder")});
  EXPECT_EQ(w.edit(QStringLiteral("Name"))->text(), QStringLiteral("Zwergwidder"));
}

TEST_F(LookupWindows, ColourWindowFollowsTheChosenBreedInBothTabs) {
  ScriptedDialogs dialogs;
  settings.System.Speichern = true;
  TFarbeForm w(engine, settings, nullptr, {});
  w.show();
  ASSERT_EQ(w.breedBox()->count(), 2);
  EXPECT_EQ(w.breedBox()->currentText(), QStringLiteral("Rex"));
  EXPECT_EQ(w.colourGrid()->model()->rowCount(), 0);  // a breed without colours
  EXPECT_FALSE(w.edit(QStringLiteral("Name"))->isEnabled());

  w.breedBox()->setCurrentIndex(1);
  w.RasseChange(1);
  EXPECT_EQ(w.colours().keptBreed(), zwerg);
  EXPECT_EQ(w.colourGrid()->model()->rowCount(), 2);
  EXPECT_EQ(w.edit(QStringLiteral("Name"))->text(), QStringLiteral("blau"));

  // A row chosen in the breed grid becomes the current breed; "Felder" then shows it.
  w.tabs()->setCurrentIndex(1);
  w.breedGrid()->setCurrentIndex(w.breedGrid()->model()->index(0, 0));
  EXPECT_EQ(w.colours().currentBreed(), rex);
  EXPECT_EQ(w.colourGrid()->model()->rowCount(), 0);
  w.tabs()->setCurrentIndex(0);
  EXPECT_EQ(w.breedBox()->currentText(), QStringLiteral("Rex"));

  // A colour added now belongs to "Rex".
  click(&w, QStringLiteral("Hinzufuegen"));
  QTest::keyClicks(w.edit(QStringLiteral("Name")), QStringLiteral("schwarz"));
  EXPECT_TRUE(w.list().save());
  Cursor c(engine, QStringLiteral("Lesen"));
  c.setTableName(QStringLiteral("Farbe.db"));
  c.open();
  ASSERT_TRUE(c.locate(QStringLiteral("Name"), {QStringLiteral("schwarz")}));
  EXPECT_EQ(c.field(QStringLiteral("Rasse")).asInteger(), rex);
  EXPECT_EQ(w.colourGrid()->model()->rowCount(), 1);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(LookupWindows, StatusGridRefusesTheFirstTwoRowsAndSavesWithTheQuestion) {
  ScriptedDialogs dialogs;
  std::vector<int> helps;
  TStatusForm w(engine, settings, nullptr, [&](int c) { helps.push_back(c); });
  w.show();
  QTableView* grid = w.grid();
  EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nr."));
  EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_TRUE(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable);

  for (int row : {0, 1}) {
    grid->setCurrentIndex(grid->model()->index(row, 1));
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
  }
  EXPECT_EQ(dialogs.texts(), (QStringList{QStringLiteral("Nicht möglich"), QStringLiteral("Nicht möglich")}));
  grid->setCurrentIndex(grid->model()->index(2, 1));
  dialogs.yes();
  QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(dialogs.texts().last(), QStringLiteral("Datensatz löschen?"));
  EXPECT_EQ(stored(QStringLiteral("Status.db")).size(), 2);

  // Editing a cell enables the buttons; "Nein" to the save question discards.
  QPushButton* save = w.button(QStringLiteral("Speichern"));
  EXPECT_FALSE(save->isEnabled());
  ASSERT_TRUE(grid->model()->setData(grid->model()->index(1, 1), QStringLiteral("Zugang")));
  EXPECT_TRUE(save->isEnabled());
  EXPECT_EQ(grid->model()->index(1, 1).data().toString(), QStringLiteral("Zugang"));
  dialogs.clear();
  dialogs.no();
  save->click();
  EXPECT_EQ(dialogs.texts(), QStringList{msg(29)});
  EXPECT_FALSE(save->isEnabled());
  EXPECT_EQ(stored(QStringLiteral("Status.db")),
            (QStringList{QStringLiteral("Eigener Bestand"), QStringLiteral("Neuaufnahme")}));

  // A new row in the grid, saved with "Ja".
  grid->setCurrentIndex(grid->model()->index(1, 1));
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(grid->model()->rowCount(), 3);
  ASSERT_TRUE(grid->model()->setData(grid->model()->index(2, 1), QStringLiteral("Zucht")));
  dialogs.yes();
  save->click();
  EXPECT_EQ(stored(QStringLiteral("Status.db")).last(), QStringLiteral("Zucht"));
  EXPECT_EQ(grid->model()->index(2, 0).data().toString(), QStringLiteral("4"));
  click(&w, QStringLiteral("Hilfe"));
  EXPECT_EQ(helps, std::vector<int>{120});
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

// The index rebuild window on a full installation and a started session.
class IndexRebuildWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.valid());
    const QString program = dir.file(QStringLiteral("prog"));
    const QString config = dir.file(QStringLiteral("config"));
    qputenv("LAPIRO_HOME", program.toUtf8());
    qputenv("LAPIRO_CONFIG_DIR", config.toUtf8());
    installer::InstallOptions options;
    options.programDir = program;
    options.settingsDir = config;
    const installer::InstallResult r = installer::install(options);
    ASSERT_EQ(r.exitCode, installer::kExitOk) << r.message.toStdString();
    session = std::make_unique<shell::ShellSession>();
    ASSERT_TRUE(session->start(QRect(0, 0, 1280, 1024)));
    session->createDataModule();
  }
  void TearDown() override {
    session->closeTables();
    session.reset();
    setMessageCatalogue(nullptr);
    qunsetenv("LAPIRO_HOME");
    qunsetenv("LAPIRO_CONFIG_DIR");
  }

  test::TempDir dir;
  std::unique_ptr<shell::ShellSession> session;
};

TEST_F(IndexRebuildWindow, OnlyMeldungTickedEndsWithMessage35AndAbbruchDoesNotStopTheRun) {
  ScriptedDialogs dialogs;
  std::vector<int> helps;
  TFormIndexrekonstruktion w(*session, [&](int c) { helps.push_back(c); });
  w.show();
  EXPECT_EQ(w.box(IndexGroup::Meldung)->text(), QStringLiteral("Meldung"));
  EXPECT_EQ(w.box(IndexGroup::Zuechterregister)->text(), QStringLiteral("Züchterregister"));
  EXPECT_FALSE(w.abbruchButton()->isEnabled());
  EXPECT_EQ(w.minimumSize(), w.maximumSize());

  w.box(IndexGroup::Meldung)->setChecked(true);
  bool abbruchWhileRunning = false;
  int steps = 0;
  QObject::connect(&w, &TFormIndexrekonstruktion::stepDone, &w, [&] {
    if (steps++ == 0)
      abbruchWhileRunning =
          w.abbruchButton()->isEnabled() && !w.startButton()->isEnabled() && w.progress()->isVisible();
    w.abbruchButton()->click();
    w.startButton()->click();  // pressed again during the run: ignored
  });
  w.startButton()->click();
  EXPECT_TRUE(abbruchWhileRunning);
  EXPECT_GE(steps, 2);  // the run went on after "&Abbruch"
  ASSERT_TRUE(w.lastResult().completed);
  EXPECT_EQ(w.lastResult().rebuilt, std::vector<IndexGroup>{IndexGroup::Meldung});
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Information);
  EXPECT_EQ(dialogs.texts(), QStringList{messageText(35)});
  EXPECT_FALSE(messageText(35).isEmpty());  // the catalogue is open again
  EXPECT_TRUE(w.startButton()->isEnabled());
  EXPECT_FALSE(w.abbruchButton()->isEnabled());
  EXPECT_FALSE(w.progress()->isVisible());

  // Nothing ticked: message 35 at once.
  w.box(IndexGroup::Meldung)->setChecked(false);
  dialogs.clear();
  w.startButton()->click();
  EXPECT_EQ(dialogs.texts(), QStringList{messageText(35)});
}

TEST_F(IndexRebuildWindow, BreedAndColourGroupsReopenTheDataModulesCursors) {
  ScriptedDialogs dialogs;
  TFormIndexrekonstruktion w(*session, {});
  w.box(IndexGroup::Rasse)->setChecked(true);
  w.box(IndexGroup::Farbe)->setChecked(true);
  w.startButton()->click();
  ASSERT_TRUE(w.lastResult().completed) << w.lastResult().error.toStdString();
  EXPECT_TRUE(session->dataModule()->at(QStringLiteral("Rasse")).isOpen());
  EXPECT_TRUE(session->dataModule()->at(QStringLiteral("Farbe")).isOpen());
  EXPECT_TRUE(session->dataModule()->at(QStringLiteral("StbFarbe")).isOpen());
  EXPECT_TRUE(session->rasse().isOpen());
}

TEST_F(IndexRebuildWindow, EveryGroupRebuildsOnAStartedSessionAndReopensItsCursors) {
  ScriptedDialogs dialogs;
  TFormIndexrekonstruktion w(*session, {});
  for (const IndexGroupDef& g : indexGroups()) w.box(g.group)->setChecked(true);
  w.startButton()->click();
  ASSERT_TRUE(w.lastResult().completed) << w.lastResult().error.toStdString();
  EXPECT_EQ(w.lastResult().rebuilt.size(), indexGroups().size());
  EXPECT_EQ(dialogs.texts(), QStringList{messageText(35)});
  EXPECT_TRUE(session->dataModule()->Hasen().isOpen());
  EXPECT_TRUE(session->dataModule()->at(QStringLiteral("Wurfbuch")).isOpen());
  EXPECT_TRUE(session->animalList().cursor().isOpen());
}

TEST_F(IndexRebuildWindow, MainWindowOpensEachListOnceAndKeepsTheOfficeRule) {
  ScriptedDialogs dialogs;
  shell::ui::TFormLapiroManager main(*session);
  main.resize(1100, 800);
  main.show();
  // The stock has no own name, so the own-data window opened itself: not what this test is about.
  for (QMdiSubWindow* sub : main.mdiArea()->subWindowList()) delete sub;
  auto trigger = [&main](const QString& caption) {
    for (QAction* a : main.findChildren<QAction*>())
      if (a->text() == caption && a->isEnabled()) {
        a->trigger();
        return;
      }
    FAIL() << caption.toStdString();
  };
  QObject addressBook;
  main.officeRule().setOpen(shell::ui::OfficeWindow::Adressenverwaltung, &addressBook);
  trigger(QStringLiteral("Rassen"));
  EXPECT_EQ(dialogs.texts(), QStringList{messageText(139)});
  EXPECT_TRUE(main.mdiArea()->subWindowList().isEmpty());
  main.officeRule().setOpen(shell::ui::OfficeWindow::Adressenverwaltung, nullptr);

  for (const char16_t* caption :
       {u"Rassen", u"Farben", u"Status", u"Indexrekonstruktion", u"Rassen", u"Status"})
    trigger(QString::fromUtf16(caption));
  QStringList titles;
  for (QMdiSubWindow* sub : main.mdiArea()->subWindowList()) titles << sub->widget()->windowTitle();
  // The list windows fill the free area from their place as soon as they open.
  const QSize area = main.mdiArea()->viewport()->size();
  for (QMdiSubWindow* sub : main.mdiArea()->subWindowList()) {
    if (!dynamic_cast<LookupListWindow*>(sub->widget())) continue;
    EXPECT_EQ(sub->geometry().right(), std::max(sub->x() + sub->minimumWidth(), area.width()) - 1)
        << sub->widget()->windowTitle().toStdString();
    EXPECT_EQ(sub->geometry().bottom(), std::max(sub->y() + sub->minimumHeight(), area.height()) - 1);
  }
  EXPECT_EQ(titles, (QStringList{QStringLiteral("Rassen"), QStringLiteral("Farbe"), QStringLiteral("Status"),
                                 QStringLiteral("Indexrekonstruktion")}));
  main.mdiArea()->closeAllSubWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(main.mdiArea()->subWindowList().isEmpty());
  EXPECT_TRUE(session->dataModule()->at(QStringLiteral("Rasse")).isOpen());
  EXPECT_TRUE(session->dataModule()->at(QStringLiteral("Farbe")).isOpen());
  main.hide();
}

}  // namespace
}  // namespace lapiro::store::ui

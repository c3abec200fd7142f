// The main window with its animal card: showing an animal from the list, and the commands
// new, duplicate, delete and save that work through the card.
#include "shell/ui/main_window.h"

#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "installer/content.h"
#include "shell/animal_list.h"
#include "shell/shell_install.h"
#include "store/data_module.h"
#include "store/index_rebuild.h"
#include "store/ui/index_rebuild_window.h"
#include "shell/profile_file.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QToolButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

class MainWindowCardTest : public ::testing::Test {
 protected:
  MainWindowCardTest() : install_({.animals = ShellInstall::sampleAnimals()}) {}

  void SetUp() override {
    window_ = std::make_unique<TFormLapiroManager>(session_);
    ASSERT_TRUE(window_->startUp(QRect(0, 0, 1280, 1024)));
    session_.createDataModule();
    window_->createCard();
    window_->applySettings();
    window_->show();
    ASSERT_NE(card::ui::cardOf(*window_), nullptr);
  }
  void TearDown() override {
    window_->hide();
    window_.reset();
  }

  void trigger(const QString& caption) {
    for (QAction* a : window_->findChildren<QAction*>())
      if (a->text() == caption && a->menu() == nullptr) {
        a->trigger();
        return;
      }
    FAIL() << "no command " << caption.toStdString();
  }
  // Double-clicks the list row showing `rechts`.
  void showFromList(const QString& rechts) {
    QTableView* grid = window_->animalGrid();
    for (int row = 0; row < grid->model()->rowCount(); ++row)
      if (grid->model()->index(row, 0).data().toString() == rechts) {
        emit grid->doubleClicked(grid->model()->index(row, 0));
        return;
      }
    FAIL() << "no row " << rechts.toStdString();
  }
  engine::Cursor& hasen() { return session_.dataModule()->Hasen(); }
  card::ui::TLapiroStamm& card() { return *card::ui::cardOf(*window_); }

  ShellInstall install_;
  ScriptedDialogs dialogs_;
  shell::ShellSession session_;
  std::unique_ptr<TFormLapiroManager> window_;
};

TEST_F(MainWindowCardTest, TheCardSitsBesideTheListAndShowsTheDoubleClickedAnimal) {
  ASSERT_EQ(window_->mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(window_->mdiArea()->subWindowList()[0]->widget(), card::ui::cardOf(*window_));
  showFromList(QStringLiteral("A7"));
  EXPECT_TRUE(card().windowTitle().startsWith(QStringLiteral("A7  4.5.2")));
  EXPECT_EQ(card().rightTattoo()->text(), QStringLiteral("A7"));
  ASSERT_EQ(window_->recentActions().size(), 1);
  EXPECT_TRUE(window_->recentActions()[0]->text().startsWith(QStringLiteral("A7 4.5.2 {")));
}

TEST_F(MainWindowCardTest, NewAnimalIsEnteredSavedAndShownInTheList) {
  showFromList(QStringLiteral("B12"));
  trigger(QStringLiteral("Neuaufnahme"));
  ASSERT_EQ(hasen().state(), engine::DataSetState::Insert);
  EXPECT_EQ(card().windowTitle(), installer::messageText(14));
  EXPECT_EQ(hasen().field(QStringLiteral("Status")).asInteger(), 2);
  EXPECT_TRUE(card().undoButton()->isEnabled());
  EXPECT_TRUE(card().breederBox()->toPlainText().isEmpty());

  QTest::keyClicks(card().rightTattoo(), QStringLiteral("Z9"));
  QTest::keyClicks(card().leftTattoo(), QStringLiteral("1,6,3"));  // the comma becomes a point
  card().findChild<QRadioButton*>()->click();
  trigger(QStringLiteral("Speichern"));
  ASSERT_EQ(hasen().state(), engine::DataSetState::Browse);
  EXPECT_EQ(hasen().field(QStringLiteral("TatoLinks")).asString(), QStringLiteral("1.6.3"));
  EXPECT_EQ(session_.animalList().count(), 5);
  EXPECT_EQ(session_.animalList().cursor().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("Z9"));
  EXPECT_EQ(card().windowTitle().left(9), QStringLiteral("Z9  1.6.3"));
  EXPECT_TRUE(dialogs_.texts().isEmpty()) << dialogs_.texts().join(u'|').toStdString();
}

TEST_F(MainWindowCardTest, UndoAfterANewAnimalReturnsToTheAnimalShownBefore) {
  showFromList(QStringLiteral("C3"));
  showFromList(QStringLiteral("B12"));
  trigger(QStringLiteral("Neuaufnahme"));
  QTest::keyClicks(card().rightTattoo(), QStringLiteral("X1"));
  card().RueckgaengigClick();
  EXPECT_EQ(hasen().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("B12"));
  EXPECT_EQ(card().rightTattoo()->text(), QStringLiteral("B12"));
  EXPECT_FALSE(card().newRecord);
  EXPECT_EQ(session_.animalList().count(), 4);
}

TEST_F(MainWindowCardTest, DuplicateTakesTheNextRunningNumber) {
  showFromList(QStringLiteral("B12"));  // 3.5.10
  trigger(QStringLiteral("Duplizieren"));
  ASSERT_EQ(hasen().state(), engine::DataSetState::Insert);
  EXPECT_EQ(card().leftTattoo()->text(), QStringLiteral("3.5.11"));
  EXPECT_EQ(card().windowTitle(), installer::messageText(14));
  card().SpeichernClick();
  EXPECT_EQ(session_.animalList().count(), 5);
}

TEST_F(MainWindowCardTest, DeleteAsksFirstAndTheCardShowsTheNextAnimal) {
  showFromList(QStringLiteral("C3"));
  dialogs_.no();
  trigger(QStringLiteral("Kaninchen löschen"));
  EXPECT_EQ(session_.animalList().count(), 4);
  dialogs_.yes();
  trigger(QStringLiteral("Kaninchen löschen"));
  EXPECT_EQ(dialogs_.texts().value(1), installer::messageText(15));
  EXPECT_EQ(session_.animalList().count(), 3);
  EXPECT_NE(card().rightTattoo()->text(), QStringLiteral("C3"));
  EXPECT_EQ(card().rightTattoo()->text(), hasen().field(QStringLiteral("TatoRechts")).asString());
}

TEST_F(MainWindowCardTest, TheAddressBookFromTheCardFillsTheAreaAndTheCardReturns) {
  window_->resize(1100, 800);
  QApplication::processEvents();
  QPushButton* adressen = card().findChild<QPushButton*>(QStringLiteral("BitBtnZuechterAdressen"));
  ASSERT_NE(adressen, nullptr);
  adressen->click();
  QApplication::processEvents();
  EXPECT_FALSE(window_->listPanel()->isVisible());
  QMdiSubWindow* book = window_->mdiArea()->activeSubWindow();
  ASSERT_NE(book, nullptr);
  ASSERT_NE(book->widget(), card::ui::cardOf(*window_));
  // The area grew when the list panel went away; the address book grew with it.
  EXPECT_EQ(book->width(), window_->mdiArea()->viewport()->width());

  book->close();
  QApplication::processEvents();
  EXPECT_TRUE(window_->listPanel()->isVisible());
  QMdiSubWindow* cardWindow = window_->mdiArea()->subWindowList().value(0);
  ASSERT_NE(cardWindow, nullptr);
  EXPECT_EQ(cardWindow->geometry(), window_->mdiArea()->viewport()->rect());
}

TEST_F(MainWindowCardTest, DraggingARowHandsOverTheAnimal) {
  QTableView* grid = window_->animalGrid();
  QAbstractItemModel* model = grid->model();
  int row = 0;
  while (row < model->rowCount() && model->index(row, 0).data().toString() != QStringLiteral("B12")) ++row;
  ASSERT_LT(row, model->rowCount());
  EXPECT_TRUE(model->flags(model->index(row, 1)) & Qt::ItemIsDragEnabled);
  std::unique_ptr<QMimeData> data(model->mimeData({model->index(row, 1)}));
  ASSERT_TRUE(data);
  const auto animal = shell::decodeDraggedAnimal(data->data(QString::fromLatin1(shell::kAnimalMimeType)));
  ASSERT_TRUE(animal);
  EXPECT_EQ(animal->tatoRechts, QStringLiteral("B12"));
  EXPECT_EQ(animal->tatoLinks, QStringLiteral("3.5.10"));
  EXPECT_EQ(animal->nummer, 1);
  EXPECT_EQ(data->text(), QStringLiteral("B12 3.5.10"));
}

TEST_F(MainWindowCardTest, AnimalCommandsDoNothingWhileAnOfficeWindowIsOpen) {
  QObject addressBook;
  window_->officeRule().setOpen(shell::ui::OfficeWindow::Adressenverwaltung, &addressBook);
  for (const QString& command : {QStringLiteral("Neuaufnahme"), QStringLiteral("Duplizieren"),
                                 QStringLiteral("Kaninchen löschen"), QStringLiteral("Suchen")})
    trigger(command);
  EXPECT_EQ(hasen().state(), engine::DataSetState::Browse);
  EXPECT_TRUE(dialogs_.texts().isEmpty());
  EXPECT_EQ(session_.animalList().count(), 4);
}

// The list follows the card and the card's saves come from every "Speichern".
class MainWindowListTest : public MainWindowCardTest {
 protected:
  QString listTattoo() { return session_.animalList().cursor().field(QStringLiteral("TatoRechts")).asString(); }
  qint64 nummerOf(const QString& rechts) {
    engine::Cursor c(session_.engine());
    c.setTableName(QStringLiteral("Hasen.db"));
    c.open();
    return c.locate(QStringLiteral("TatoRechts"), {rechts}) ? c.field(QStringLiteral("Nummer")).asInteger() : 0;
  }
  // A breeder address and the animal `rechts` bred by it.
  qint64 breederOf(const QString& rechts) {
    engine::Cursor a(session_.engine());
    a.setTableName(QStringLiteral("Adresse.db"));
    a.open();
    a.append();
    a.field(QStringLiteral("Name")).setString(QStringLiteral("Meier"));
    a.field(QStringLiteral("Straße")).setString(QStringLiteral("Altweg 1"));
    a.post();
    const qint64 nr = a.field(QStringLiteral("LaufendeNr")).asInteger();
    store::TDatenStamm& dm = *session_.dataModule();
    EXPECT_TRUE(dm.gotoAnimal(nummerOf(rechts)));
    dm.Hasen().edit();
    dm.Hasen().field(QStringLiteral("Zuechter")).setInteger(nr);
    EXPECT_TRUE(dm.saveWithoutQuestion(dm.Hasen()));
    return nr;
  }
  void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(w, k, m); }
};

TEST_F(MainWindowListTest, EnterOpensTheAnimalAndTheNavigatorMovesTheListsHighlight) {
  QTableView* grid = window_->animalGrid();
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(2, 0));
  const QString chosen = grid->model()->index(2, 0).data().toString();
  key(grid, Qt::Key_Return);
  EXPECT_EQ(card().rightTattoo()->text(), chosen);
  EXPECT_EQ(window_->recentActions().size(), 1);

  card().findChild<QToolButton*>(QStringLiteral("Navigator2"))->click();  // next animal
  const QString next = hasen().field(QStringLiteral("TatoRechts")).asString();
  EXPECT_NE(next, chosen);
  EXPECT_EQ(listTattoo(), next);
  EXPECT_EQ(grid->currentIndex().row(), window_->animalModel()->currentRow());
  EXPECT_EQ(grid->currentIndex().data().toString(), next);
}

TEST_F(MainWindowListTest, CtrlEndGoesToTheLastAnimalWithTheTattooColumnsInView) {
  window_->resize(500, 400);
  window_->animalGrid()->setColumnWidth(3, 900);  // the list scrolls sideways
  QApplication::processEvents();
  QTableView* grid = window_->animalGrid();
  grid->setFocus();
  key(grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid->currentIndex().row(), grid->model()->rowCount() - 1);
  EXPECT_EQ(grid->horizontalScrollBar()->value(), grid->horizontalScrollBar()->minimum());
  EXPECT_FALSE(grid->visualRect(grid->model()->index(grid->currentIndex().row(), 0)).isEmpty());
  key(grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_F(MainWindowListTest, HeaderClicksSortByTheColumnsIndexAndReverseTheOrder) {
  QHeaderView* header = window_->animalGrid()->horizontalHeader();
  QAbstractItemModel* model = window_->animalGrid()->model();
  auto column = [&](int c) {
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row) values << model->index(row, c).data().toString();
    return values;
  };
  emit header->sectionClicked(1);  // "Täto Li."
  EXPECT_EQ(session_.settings().Auswahlfenster.Sortierung, QStringLiteral("TatoLinksRechts"));
  // The left tattoo leads its order: it becomes the first column.
  EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Täto Li."));
  EXPECT_EQ(column(0), (QStringList{QStringLiteral("1.5.1"), QStringLiteral("2.5.7"), QStringLiteral("3.5.10"),
                                    QStringLiteral("4.5.2")}));
  shell::ProfileFile ini(session_.settingsFile().path());
  ASSERT_TRUE(ini.load());
  EXPECT_EQ(ini.readString(QStringLiteral("Auswahlfenster"), QStringLiteral("Sortierung"), {}),
            QStringLiteral("TatoLinksRechts"));

  emit header->sectionClicked(0);  // the same column again: reversed, the setting stays
  EXPECT_EQ(column(0), (QStringList{QStringLiteral("4.5.2"), QStringLiteral("3.5.10"), QStringLiteral("2.5.7"),
                                    QStringLiteral("1.5.1")}));
  EXPECT_TRUE(session_.animalList().descending());
  EXPECT_EQ(session_.settings().Auswahlfenster.Sortierung, QStringLiteral("TatoLinksRechts"));
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

  emit header->sectionClicked(3);  // the name: no index leads with it, nothing changes
  EXPECT_TRUE(session_.animalList().descending());
  emit header->sectionClicked(1);  // the right tattoo, ascending again
  EXPECT_EQ(session_.settings().Auswahlfenster.Sortierung, QStringLiteral("Tato"));
  EXPECT_EQ(column(0), (QStringList{QStringLiteral("A10"), QStringLiteral("A7"), QStringLiteral("B12"),
                                    QStringLiteral("C3")}));
}

TEST_F(MainWindowListTest, CtrlSSavesTheActiveWindowOrElseTheCard) {
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  showFromList(QStringLiteral("B12"));
  card().rightTattoo()->setFocus();
  card().rightTattoo()->end(false);
  QTest::keyClicks(card().rightTattoo(), QStringLiteral("X"));
  ASSERT_EQ(hasen().state(), engine::DataSetState::Edit);
  key(card().rightTattoo(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(hasen().state(), engine::DataSetState::Browse);
  EXPECT_EQ(hasen().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("B12X"));

  // Another window with a "Speichern" of its own saves there, not on the card.
  auto* other = new QWidget;
  auto* save = new QPushButton(QStringLiteral("&Speichern"), other);
  int saves = 0;
  QObject::connect(save, &QPushButton::clicked, [&saves] { ++saves; });
  QMdiSubWindow* sub = window_->mdiArea()->addSubWindow(other);
  sub->show();
  window_->mdiArea()->setActiveSubWindow(sub);
  other->setFocus();
  key(other, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(saves, 1);
  sub->close();
}

TEST_F(MainWindowListTest, DeleteQuestionDefaultsToNeinAndTheAnimalLeavesTheRecentMenu) {
  showFromList(QStringLiteral("A7"));
  showFromList(QStringLiteral("C3"));
  ASSERT_EQ(window_->recentActions().size(), 2);
  dialogs_.yes();
  trigger(QStringLiteral("Kaninchen löschen"));
  EXPECT_EQ(dialogs_.shown().back().buttons, store::DialogButtons::YesNoDefaultNo);
  ASSERT_EQ(window_->recentActions().size(), 1);
  EXPECT_TRUE(window_->recentActions()[0]->text().startsWith(QStringLiteral("A7 ")));
  EXPECT_TRUE(shell::isEmptyRecentSlot(session_.settings().LASTLapiro[1]));
}

TEST_F(MainWindowListTest, LookedUpDataOnTheCardFollowsChangesAtOnce) {
  breederOf(QStringLiteral("B12"));
  showFromList(QStringLiteral("B12"));
  EXPECT_TRUE(card().breederBox()->toPlainText().contains(QStringLiteral("Altweg 1")));
  engine::Cursor a(session_.engine());
  a.setTableName(QStringLiteral("Adresse.db"));
  a.open();
  a.edit();
  a.field(QStringLiteral("Straße")).setString(QStringLiteral("Neuweg 2"));
  a.post();
  engine::Cursor f(session_.engine());
  f.setTableName(QStringLiteral("Farbe.db"));
  f.open();
  f.append();
  f.field(QStringLiteral("Rasse")).setInteger(1);
  f.field(QStringLiteral("Name")).setString(QStringLiteral("weiß"));
  f.post();
  QApplication::processEvents();
  EXPECT_TRUE(card().breederBox()->toPlainText().contains(QStringLiteral("Neuweg 2")));
  EXPECT_GE(card().colourBox()->findText(QStringLiteral("weiß")), 0);
}

TEST_F(MainWindowListTest, IndexRebuildOfEveryGroupKeepsTheCardAndTheListOnTheirAnimal) {
  breederOf(QStringLiteral("B12"));
  showFromList(QStringLiteral("B12"));
  const QString title = card().windowTitle();
  const QString breeder = card().breederBox()->toPlainText();
  ASSERT_FALSE(breeder.isEmpty());
  store::ui::TFormIndexrekonstruktion rebuild(session_, {});
  for (const store::IndexGroupDef& g : store::indexGroups()) rebuild.box(g.group)->setChecked(true);
  int lastValue = -1;
  QObject::connect(&rebuild, &store::ui::TFormIndexrekonstruktion::stepDone, &rebuild,
                   [&] { lastValue = rebuild.progress()->value(); });
  rebuild.startButton()->click();
  ASSERT_TRUE(rebuild.lastResult().completed) << rebuild.lastResult().error.toStdString();
  EXPECT_EQ(dialogs_.texts(), QStringList{installer::messageText(35)});
  EXPECT_EQ(lastValue, rebuild.progress()->maximum()) << "the bar reached its end";
  QApplication::processEvents();
  EXPECT_EQ(hasen().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("B12"));
  EXPECT_EQ(listTattoo(), QStringLiteral("B12"));
  EXPECT_EQ(card().windowTitle(), title);
  EXPECT_EQ(card().rightTattoo()->text(), QStringLiteral("B12"));
  EXPECT_EQ(card().breederBox()->toPlainText(), breeder);
  EXPECT_EQ(card().breedBox()->currentText(), QStringLiteral("Deutsche Riesen"));
}

TEST(MainWindowCardEmptyStock, FirstAnimalOfAnEmptyStockAndUndoBackToNothing) {
  ShellInstall install;  // no animals
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  auto window = std::make_unique<TFormLapiroManager>(session);
  ASSERT_TRUE(window->startUp(QRect(0, 0, 1280, 1024)));
  session.createDataModule();
  window->createCard();
  window->applySettings();
  window->show();
  card::ui::TLapiroStamm& card = *card::ui::cardOf(*window);
  EXPECT_EQ(card.windowTitle(), QStringLiteral("Rund um das Tier"));
  EXPECT_FALSE(card.rightTattoo()->isEnabled());

  for (QAction* a : window->findChildren<QAction*>())
    if (a->text() == QStringLiteral("Neuaufnahme")) a->trigger();
  EXPECT_TRUE(card.rightTattoo()->isEnabled());
  QTest::keyClicks(card.rightTattoo(), QStringLiteral("A1"));
  card.RueckgaengigClick();
  EXPECT_TRUE(session.dataModule()->Hasen().isEmpty());
  EXPECT_FALSE(card.rightTattoo()->isEnabled());
  EXPECT_TRUE(card.rightTattoo()->text().isEmpty());
  EXPECT_EQ(card.windowTitle(), QStringLiteral("Rund um das Tier"));
  EXPECT_TRUE(dialogs.texts().isEmpty());
  window->hide();
}

}  // namespace
}  // namespace lapiro::test

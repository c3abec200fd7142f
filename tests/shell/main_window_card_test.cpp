// The main window with its animal card: showing an animal from the list, and the commands
// new, duplicate, delete and save that work through the card.
#include "shell/ui/main_window.h"

#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "installer/content.h"
#include "shell/animal_list.h"
#include "shell/shell_install.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
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
    ASSERT_NE(window_->card(), nullptr);
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
  card::ui::TLapiroStamm& card() { return *window_->card(); }

  ShellInstall install_;
  ScriptedDialogs dialogs_;
  shell::ShellSession session_;
  std::unique_ptr<TFormLapiroManager> window_;
};

TEST_F(MainWindowCardTest, TheCardSitsBesideTheListAndShowsTheDoubleClickedAnimal) {
  ASSERT_EQ(window_->mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(window_->mdiArea()->subWindowList()[0]->widget(), window_->card());
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
  ASSERT_NE(book->widget(), window_->card());
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
  card::ui::TLapiroStamm& card = *window->card();
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

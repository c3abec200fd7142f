// The main window's breeding commands: "Verpaarungen und Würfe" (one window, for the current
// animal, not while an office window is open) and "Gewichtstabelle" without weighings.
#include "shell/ui/main_window.h"

#include "breeding/ui/matings_window.h"
#include "installer/content.h"
#include "shell/shell_install.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

QAction* findCommand(QWidget* window, const QString& caption) {
  for (QAction* a : window->findChildren<QAction*>())
    if (a->text() == caption && !a->menu()) return a;
  return nullptr;
}

class MainWindowBreedingTest : public ::testing::Test {
 protected:
  MainWindowBreedingTest() : install_({.animals = ShellInstall::sampleAnimals()}) {}
  void SetUp() override {
    window_ = std::make_unique<TFormLapiroManager>(session_);
    ASSERT_TRUE(window_->startUp(QRect(0, 0, 1280, 1024)));
    session_.createDataModule();
    window_->createCard();
    window_->show();
  }
  void TearDown() override {
    window_->hide();
    window_.reset();
  }
  int matingWindows() const { return static_cast<int>(window_->mdiArea()->findChildren<breeding::ui::TFormVerpaarung*>().size()); }

  ShellInstall install_;
  ScriptedDialogs dialogs_;
  shell::ShellSession session_;
  std::unique_ptr<TFormLapiroManager> window_;
};

TEST_F(MainWindowBreedingTest, MatingsWindowOpensOnceForTheCurrentAnimal) {
  QAction* command = findCommand(window_.get(), QStringLiteral("Verpaarungen und Würfe"));
  ASSERT_TRUE(command);
  EXPECT_TRUE(command->isEnabled());
  command->trigger();
  ASSERT_EQ(matingWindows(), 1);
  auto* form = window_->mdiArea()->findChild<breeding::ui::TFormVerpaarung*>();
  ASSERT_TRUE(form);
  EXPECT_TRUE(form->daten().gefunden);
  command->trigger();
  EXPECT_EQ(matingWindows(), 1);
}

// "Zurück" closes the whole sub-window, and the command opens a working window again.
TEST_F(MainWindowBreedingTest, BackClosesTheMatingsSubWindowNotJustItsContents) {
  QAction* command = findCommand(window_.get(), QStringLiteral("Verpaarungen und Würfe"));
  command->trigger();
  auto* form = window_->mdiArea()->findChild<breeding::ui::TFormVerpaarung*>();
  ASSERT_TRUE(form);
  QPushButton* back = nullptr;
  for (QPushButton* b : form->findChildren<QPushButton*>())
    if (b->text() == QStringLiteral("&Zurück")) back = b;
  ASSERT_TRUE(back);
  back->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // subWindowList() returns a copy: both ends must come from the same one.
  const QList<QMdiSubWindow*> subWindows = window_->mdiArea()->subWindowList();
  EXPECT_TRUE(std::none_of(subWindows.begin(), subWindows.end(),
                           [](QMdiSubWindow* w) { return w->isVisible() && !w->widget(); }));
  EXPECT_EQ(matingWindows(), 0);
  command->trigger();
  ASSERT_EQ(matingWindows(), 1);
  form = window_->mdiArea()->findChild<breeding::ui::TFormVerpaarung*>();
  EXPECT_TRUE(form->isVisible());
}

TEST_F(MainWindowBreedingTest, OfficeWindowBlocksTheMatingsWindow) {
  QObject addressBook;
  window_->officeRule().setOpen(shell::ui::OfficeWindow::Adressenverwaltung, &addressBook);
  findCommand(window_.get(), QStringLiteral("Verpaarungen und Würfe"))->trigger();
  EXPECT_EQ(matingWindows(), 0);
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  EXPECT_EQ(dialogs_.shown()[0].text, installer::messageText(139));
}

TEST_F(MainWindowBreedingTest, WeightTableWithoutWeighingsSaysSoAndPrintsNothing) {
  findCommand(window_.get(), QStringLiteral("Gewichtstabelle"))->trigger();
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  EXPECT_EQ(dialogs_.shown()[0].text, installer::messageText(122));
  EXPECT_TRUE(findCommand(window_.get(), QStringLiteral("Jungtierliste"))->isEnabled());
  EXPECT_TRUE(findCommand(window_.get(), QStringLiteral("Gewichtstabellen -Formulare-"))->isEnabled());
}

}  // namespace
}  // namespace lapiro::test

// The office commands in the running main window: a restore while the program has its tables
// open, the bookkeeping office window, and the options written to the settings file.
#include "shell/ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QMdiArea>
#include <QMenu>
#include <QSpinBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>

#include "bookkeeping/ui/bookkeeping_window.h"
#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "output/ui/options_window.h"
#include "output/ui/own_data_window.h"
#include "safety/data_safety.h"
#include "safety/ui/safety_windows.h"
#include "shell/paths.h"
#include "shell/profile_file.h"
#include "shell/running_main_window.h"
#include "shell/shell_install.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

class OfficeWindowsTest : public RunningMainWindow {};

}  // namespace

TEST_F(OfficeWindowsTest, RestoreWhileTheProgramRunsBringsBackTheBackupAndReopensEverything) {
  const QString backupDir = install_.dir.path() + QStringLiteral("/Sicherung");
  QDir().mkpath(backupDir);
  ASSERT_TRUE(safety::backup(shell::paths::dataDir(), backupDir).failed.isEmpty());
  const int before = window_->animalModel()->rowCount();
  ASSERT_EQ(before, 4);

  // A fifth animal after the backup.
  {
    engine::Cursor& hasen = session_.dataModule()->Hasen();
    hasen.append();
    hasen.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("Z9"));
    hasen.field(QStringLiteral("TatoLinks")).setString(QStringLiteral("1.5.9"));
    hasen.field(QStringLiteral("Geschlecht")).setString(QStringLiteral("1"));
    hasen.post();
  }
  trigger(QStringLiteral("Datenrücksicherung"));
  auto* restore = openWindow<safety::ui::TFormDatenruecksicherung>();
  ASSERT_NE(restore, nullptr);
  restore->selectFolder(backupDir);
  dialogs_.yes().yes();
  restore->startButton()->click();
  ASSERT_EQ(restore->lastResult().status, safety::RestoreStatus::Restored) << restore->lastResult().message.toStdString();

  // The program works on the restored data: the list, the data module and the query engine.
  EXPECT_EQ(window_->animalModel()->rowCount(), before);
  ASSERT_TRUE(session_.dataModule()->Hasen().isOpen());
  EXPECT_FALSE(session_.dataModule()->Hasen().locate(QStringLiteral("TatoRechts"), {QStringLiteral("Z9")}));
  EXPECT_TRUE(session_.eigen().isOpen());
  EXPECT_FALSE(session_.messages().text(16).isEmpty());
  // The previous data, with the fifth animal, is the safety copy.
  engine::Engine other;
  other.setAlias(QStringLiteral("Hase"), shell::paths::backupDir());
  engine::Cursor old(other);
  old.setTableName(QStringLiteral("Hasen"));
  old.open();
  EXPECT_EQ(old.recordCount(), before + 1);
}

TEST_F(OfficeWindowsTest, BookkeepingIsAnOfficeWindowAndOptionsAreWrittenToTheFile) {
  trigger(QStringLiteral("Buchführung"));
  auto* books = openWindow<bookkeeping::ui::TFormBuchfuehrung>();
  ASSERT_NE(books, nullptr);
  EXPECT_FALSE(window_->listPanel()->isVisible());
  // Normal windows wait until the office window is closed.
  trigger(QStringLiteral("Systemparameter"));
  EXPECT_EQ(openWindow<output::ui::TFOptionen>(), nullptr);
  EXPECT_EQ(dialogs_.texts().size(), 1u);  // the office window's message
  books->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window_->listPanel()->isVisible());

  trigger(QStringLiteral("Systemparameter"));
  auto* options = openWindow<output::ui::TFOptionen>();
  ASSERT_NE(options, nullptr);
  options->group(QStringLiteral("NameAnzeigen"))->button(1)->setChecked(true);
  options->marginBox(2)->setValue(33);
  options->SpeichernClick();
  QApplication::processEvents();
  const shell::ProfileFile ini(shell::paths::settingsFile());
  EXPECT_EQ(ini.readString(QStringLiteral("Auswahlfenster"), QStringLiteral("NameAnzeigen")), QStringLiteral("0"));
  EXPECT_EQ(ini.readString(QStringLiteral("Stammbaum"), QStringLiteral("untererRand")), QStringLiteral("33"));
  EXPECT_FALSE(session_.settings().Auswahlfenster.NameAnzeigen);
}

}  // namespace lapiro::test

namespace lapiro::test {

TEST(OwnDataAtStart, OpensByItselfWhileTheOwnNameIsEmpty) {
  ShellInstall install;
  {
    // A fresh installation: the own user has no record yet.
    engine::Engine engine;
    engine.setAlias(QStringLiteral("Hase"), shell::paths::dataDir());
    engine::Cursor eigen(engine);
    eigen.setTableName(QStringLiteral("eigen.DB"));
    eigen.open();
    eigen.first();
    eigen.deleteRecord();
  }
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  TFormLapiroManager window(session);
  ASSERT_TRUE(window.startUp(QRect(0, 0, 1280, 1024)));
  session.createDataModule();
  window.show();
  QMdiSubWindow* found = nullptr;
  for (QMdiSubWindow* sub : window.mdiArea()->subWindowList())
    if (qobject_cast<output::ui::TAnwenderdaten*>(sub->widget())) found = sub;
  ASSERT_NE(found, nullptr);
  window.hide();
}

}  // namespace lapiro::test

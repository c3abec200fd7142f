// The backup and restore windows: one summary instead of a box per file, the new-folder panel,
// and a restore run from the window with the tables closed and reopened around it.
#include "safety/ui/safety_windows.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>

#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"
#include "support/temp_dir.h"

using namespace lapiro;
using namespace lapiro::safety;
using namespace lapiro::safety::ui;

TEST(SafetyWindows, BackupTwiceGivesOneSummaryEachAndNewFolderFailuresShowMessage34) {
  test::StockDirectory stock{{34}};
  test::ScriptedDialogs dialogs;
  test::TempDir target;
  TFormDatensicherung w(stock.dir.path());
  w.selectFolder(target.path());
  w.newFolder(QStringLiteral("Sicherung Mai"));
  EXPECT_EQ(w.folder(), target.path() + QStringLiteral("/Sicherung Mai"));
  w.newFolder(QStringLiteral("../x/y"));
  EXPECT_EQ(dialogs.texts(), QStringList{test::StockDirectory::message(34)});
  EXPECT_EQ(w.folder(), target.path() + QStringLiteral("/Sicherung Mai"));
  dialogs.clear();

  if (qEnvironmentVariableIsSet("LAPIRO_SNAPSHOTS")) {
    w.resize(560, 520);
    w.progressPanel()->show();
    w.grab().save(qEnvironmentVariable("LAPIRO_SNAPSHOTS") + QStringLiteral("/sicherung.png"));
    w.progressPanel()->hide();
  }
  const int files = int(dataFiles(stock.dir.path()).size());
  ASSERT_GT(files, 20);
  w.startButton()->click();
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Information);
  EXPECT_EQ(w.lastResult().copied.size(), files);
  EXPECT_TRUE(w.startButton()->isEnabled());
  EXPECT_FALSE(w.abortButton()->isEnabled());
  EXPECT_TRUE(w.progressPanel()->isHidden());

  w.startButton()->click();
  ASSERT_EQ(dialogs.shown().size(), 2u);
  EXPECT_EQ(dialogs.shown()[1].kind, store::DialogKind::Warning);
  EXPECT_EQ(w.lastResult().existing.size(), files);
  EXPECT_TRUE(isBackupDirectory(w.folder()));
}

TEST(SafetyWindows, RestoreFromTheWindowClosesAndReopensTheTables) {
  test::TempDir prog;
  const SafetyPaths paths(prog.path());
  QDir().mkpath(paths.data);
  QDir().mkpath(prog.path() + QStringLiteral("/alt"));
  for (const QString& dir : {paths.data, prog.path() + QStringLiteral("/alt")}) {
    QFile f(dir + QStringLiteral("/Hasen.DB"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(dir.toUtf8());
  }
  test::ScriptedDialogs dialogs;
  int closed = 0, reopened = 0;
  TFormDatenruecksicherung w(prog.path(), [&] { return ++closed > 0; }, [&] { ++reopened; });
  w.selectFolder(prog.path() + QStringLiteral("/alt"));
  dialogs.yes().yes();
  w.startButton()->click();
  EXPECT_EQ(w.lastResult().status, RestoreStatus::Restored) << w.lastResult().message.toStdString();
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(reopened, 1);
  QFile f(paths.data + QStringLiteral("/Hasen.DB"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), (prog.path() + QStringLiteral("/alt")).toUtf8());
  EXPECT_EQ(dialogs.shown().back().kind, store::DialogKind::Information);
}

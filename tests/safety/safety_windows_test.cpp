// The backup and restore windows: one summary instead of a box per file, the new-folder panel,
// and a restore run from the window with the tables closed and reopened around it.
#include "safety/ui/safety_windows.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>

#include <sqlite3.h>

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

namespace {

// A table file with one row holding `text`.
void makeTable(const QString& path, const QString& text) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  const QByteArray sql = "CREATE TABLE t(txt TEXT); INSERT INTO t VALUES ('" + text.toUtf8() + "')";
  ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

QString tableText(const QString& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  QString out;
  if (sqlite3_prepare_v2(db, "SELECT txt FROM t", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
    out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

}  // namespace

TEST(SafetyWindows, RestoreFromTheWindowAndTheSafetyCopyFetchedBack) {
  test::TempDir prog;
  const SafetyPaths paths(prog.path());
  QDir().mkpath(paths.data);
  QDir().mkpath(prog.path() + QStringLiteral("/alt"));
  makeTable(paths.data + QStringLiteral("/Hasen.DB"), QStringLiteral("jetzt"));
  makeTable(prog.path() + QStringLiteral("/alt/Hasen.DB"), QStringLiteral("gesichert"));
  test::ScriptedDialogs dialogs;
  int closed = 0, reopened = 0;
  TFormDatenruecksicherung w(prog.path(), [&] { return ++closed > 0; }, [&] { ++reopened; });
  // Before any restore there is no safety copy to fetch back.
  w.safetyCopyButton()->click();
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Es ist keine Sicherheitskopie vorhanden.")});
  EXPECT_EQ(closed, 0);
  dialogs.clear();
  w.selectFolder(prog.path() + QStringLiteral("/alt"));
  dialogs.yes().yes();
  w.startButton()->click();
  EXPECT_EQ(w.lastResult().status, RestoreStatus::Restored) << w.lastResult().message.toStdString();
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(reopened, 1);
  EXPECT_EQ(tableText(paths.data + QStringLiteral("/Hasen.DB")), QStringLiteral("gesichert"));
  EXPECT_EQ(dialogs.shown().back().kind, store::DialogKind::Information);

  // "Sicherheitskopie zurückholen": the data before the restore comes back, and the restored
  // data is the safety copy now.
  dialogs.clear();
  dialogs.yes();
  w.safetyCopyButton()->click();
  EXPECT_EQ(w.lastResult().status, RestoreStatus::Restored) << w.lastResult().message.toStdString();
  EXPECT_TRUE(dialogs.texts().value(0).contains(QStringLiteral("Sicherheitskopie")));
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(reopened, 2);
  EXPECT_EQ(tableText(paths.data + QStringLiteral("/Hasen.DB")), QStringLiteral("jetzt"));
  EXPECT_EQ(tableText(paths.safety + QStringLiteral("/Hasen.DB")), QStringLiteral("gesichert"));
}

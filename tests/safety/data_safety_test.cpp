// Backup and restore on real directories: which files are copied, that nothing existing is
// overwritten, that copies of open tables are consistent, and that a restore that is refused,
// fails, is cancelled or is killed at any moment leaves complete data in "daten".
#include "safety/data_safety.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <sqlite3.h>
#include <csignal>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

using namespace lapiro;
using namespace lapiro::safety;

namespace {

void exec(sqlite3* db, const char* sql) { ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

// A table file holding `rows` rows whose text carries `tag`.
void makeTable(const QString& path, const QString& tag, int rows) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  exec(db, "CREATE TABLE t(id INTEGER PRIMARY KEY, txt TEXT)");
  exec(db, "BEGIN");
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t(txt) VALUES (?)", -1, &st, nullptr);
  for (int i = 0; i < rows; ++i) {
    const QByteArray text = (tag + QStringLiteral(" Zeile %1 ").arg(i)).toUtf8().repeated(4);
    sqlite3_bind_text(st, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  exec(db, "COMMIT");
  sqlite3_close(db);
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// Name -> content: the rows of a table file, the bytes of any other file.
using Fingerprint = std::map<QString, QByteArray>;
QByteArray tableContent(const QString& path) {
  sqlite3* db = nullptr;
  QByteArray out;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT id, txt FROM t ORDER BY id", -1, &st, nullptr) == SQLITE_OK)
      while (sqlite3_step(st) == SQLITE_ROW) out += QByteArray::number(sqlite3_column_int64(st, 0)) + ':' +
                                                   reinterpret_cast<const char*>(sqlite3_column_text(st, 1)) + '\n';
    else
      out = "<unreadable>";
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return out;
}
Fingerprint fingerprint(const QString& dir) {
  Fingerprint fp;
  for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
    if (isTableFile(fi.filePath())) {
      fp[fi.fileName()] = tableContent(fi.filePath());
    } else {
      QFile f(fi.filePath());
      f.open(QIODevice::ReadOnly);
      fp[fi.fileName()] = f.readAll();
    }
  }
  return fp;
}

// A program directory with data, an older safety copy and a backup folder.
class SafetyTest : public ::testing::Test {
 protected:
  void SetUp() override { build(200); }
  void build(int rows) {
    QDir(prog.path()).removeRecursively();
    QDir().mkpath(paths.data);
    QDir().mkpath(paths.safety);
    QDir().mkpath(backupDir);
    makeTable(paths.data + QStringLiteral("/Hasen.db"), QStringLiteral("aktuell"), rows);
    makeTable(paths.data + QStringLiteral("/Rasse.db"), QStringLiteral("aktuell"), 20);
    writeFile(paths.data + QStringLiteral("/Notizen.txt"), "aktuelle Notiz");
    writeFile(paths.data + QStringLiteral("/LIESMICH"), "ohne Endung");
    writeFile(paths.data + QStringLiteral("/Archiv.zip"), "zip");
    makeTable(paths.safety + QStringLiteral("/Hasen.db"), QStringLiteral("uralt"), 5);
    makeTable(backupDir + QStringLiteral("/HASEN.DB"), QStringLiteral("gesichert"), rows * 2);
    makeTable(backupDir + QStringLiteral("/Farbe.db"), QStringLiteral("gesichert"), 10);
    writeFile(backupDir + QStringLiteral("/Notizen.txt"), "gesicherte Notiz");
    writeFile(backupDir + QStringLiteral("/OHNEENDUNG"), "nicht zurückspielen");
    // The backup is newer than the data unless a test says otherwise.
    setTime(backupDir + QStringLiteral("/HASEN.DB"), QDateTime::currentDateTime().addSecs(60));
  }
  static void setTime(const QString& path, const QDateTime& t) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(t, QFileDevice::FileModificationTime);
  }
  RestoreResult runRestore(const Progress& progress = {}) {
    return restore(paths, backupDir, progress, [this] { ++closed; }, [this] { ++reopened; });
  }
  // The data directory as it must look after a successful restore.
  Fingerprint restoredData() {
    Fingerprint fp = fingerprint(backupDir);
    fp.erase(QStringLiteral("OHNEENDUNG"));
    const Fingerprint before = fingerprint(paths.data);
    fp[QStringLiteral("LIESMICH")] = before.at(QStringLiteral("LIESMICH"));
    fp[QStringLiteral("Archiv.zip")] = before.at(QStringLiteral("Archiv.zip"));
    return fp;
  }

  test::TempDir prog;
  SafetyPaths paths{prog.path()};
  QString backupDir = prog.path() + QStringLiteral("/Sicherung 1");
  test::ScriptedDialogs dialogs;
  int closed = 0, reopened = 0;
};

}  // namespace

TEST_F(SafetyTest, BackupCopiesDataFilesOnceAndNeverOverwrites) {
  const QString target = prog.path() + QStringLiteral("/Ziel");
  QDir().mkpath(target);
  const Fingerprint data = fingerprint(paths.data);
  int shown = 0;
  const BackupResult first = backup(paths.data, target, Progress{[&](const QString& label, const QString&, int n, int total) {
                                      EXPECT_EQ(label, QStringLiteral("Kopiere"));
                                      EXPECT_EQ(total, 4);
                                      EXPECT_LE(n, total);
                                      ++shown;
                                    }, {}, {}});
  EXPECT_EQ(shown, 4);
  EXPECT_EQ(first.copied, (QStringList{QStringLiteral("Archiv.zip"), QStringLiteral("Hasen.db"),
                                       QStringLiteral("Notizen.txt"), QStringLiteral("Rasse.db")}));
  Fingerprint expected = data;
  expected.erase(QStringLiteral("LIESMICH"));  // no extension: never backed up
  EXPECT_EQ(fingerprint(target), expected);
  EXPECT_EQ(QFileInfo(target + QStringLiteral("/Hasen.db")).lastModified(),
            QFileInfo(paths.data + QStringLiteral("/Hasen.db")).lastModified());

  // The second run into the same folder copies nothing and says so once.
  writeFile(paths.data + QStringLiteral("/Notizen.txt"), "geändert");
  const BackupResult second = backup(paths.data, target);
  EXPECT_TRUE(second.copied.isEmpty());
  EXPECT_EQ(second.existing.size(), 4);
  EXPECT_EQ(fingerprint(target), expected);
  EXPECT_TRUE(second.summary().contains(QStringLiteral("nicht überschrieben (4)")));
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(SafetyTest, CancelledBackupNamesWhatWasNotCopied) {
  const QString target = prog.path() + QStringLiteral("/Ziel");
  QDir().mkpath(target);
  int asked = 0;
  const BackupResult r = backup(paths.data, target, Progress{{}, [&] { return ++asked > 2; }, {}});
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.copied.size(), 2);
  EXPECT_EQ(r.notReached.size(), 2);
  EXPECT_TRUE(r.summary().contains(QStringLiteral("abgebrochen")));
  EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no partial copy left
}

TEST_F(SafetyTest, BackupOfATableInAWriteIsItsCommittedStateWithoutTheJournal) {
  const QString target = prog.path() + QStringLiteral("/Ziel");
  QDir().mkpath(target);
  const QByteArray committed = tableContent(paths.data + QStringLiteral("/Hasen.db"));
  sqlite3* db = nullptr;
  sqlite3_open(QFile::encodeName(paths.data + QStringLiteral("/Hasen.db")).constData(), &db);
  exec(db, "PRAGMA journal_mode=DELETE");
  exec(db, "BEGIN IMMEDIATE");
  exec(db, "DELETE FROM t WHERE id > 10");
  exec(db, "PRAGMA cache_size=1");  // spill to the file: a hot journal exists beside it
  ASSERT_TRUE(QFileInfo::exists(paths.data + QStringLiteral("/Hasen.db-journal")));
  const BackupResult r = backup(paths.data, target);
  exec(db, "ROLLBACK");
  sqlite3_close(db);
  EXPECT_TRUE(r.failed.isEmpty()) << r.summary().toStdString();
  EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("/Hasen.db-journal")));
  EXPECT_EQ(tableContent(target + QStringLiteral("/Hasen.db")), committed);
}

TEST_F(SafetyTest, BackupTargetThatIsNoWritableFolderIsRefusedBeforeCopying) {
  const BackupResult missing = backup(paths.data, prog.path() + QStringLiteral("/gibt es nicht"));
  EXPECT_FALSE(missing.refusal.isEmpty());
  const QString file = prog.path() + QStringLiteral("/datei.txt");
  writeFile(file, "x");
  EXPECT_FALSE(backup(paths.data, file).refusal.isEmpty());
  EXPECT_FALSE(backup(paths.data, paths.data).refusal.isEmpty());
  EXPECT_TRUE(backup(paths.data, paths.data).copied.isEmpty());
}

TEST_F(SafetyTest, RestoreRefusesForeignAndOwnFoldersAndTouchesNothing) {
  const Fingerprint data = fingerprint(paths.data), safe = fingerprint(paths.safety);
  // A folder without Hasen.DB (the program directory), the data directory, the safety copy.
  for (const QString& source : {prog.path(), paths.data, paths.safety}) {
    const RestoreResult r = restore(paths, source, {}, [&] { ++closed; }, [&] { ++reopened; });
    EXPECT_EQ(r.status, RestoreStatus::Refused) << source.toStdString();
  }
  EXPECT_EQ(dialogs.texts().value(0), QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!"));
  EXPECT_EQ(dialogs.shown().size(), 3u);
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(fingerprint(paths.data), data);
  EXPECT_EQ(fingerprint(paths.safety), safe);
}

TEST_F(SafetyTest, OlderBackupAsksAndNoLeavesEverything) {
  setTime(backupDir + QStringLiteral("/HASEN.DB"), QDateTime::currentDateTime().addDays(-3));
  const Fingerprint data = fingerprint(paths.data);
  dialogs.yes().no();
  EXPECT_EQ(runRestore().status, RestoreStatus::Refused);
  EXPECT_EQ(dialogs.texts(), (QStringList{QStringLiteral("Wirklich zurückspielen?"),
                                          QStringLiteral("Kaninchendatei älter als aktuelle Datei! Wirklich ersetzen?")}));
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(fingerprint(paths.data), data);
}

TEST_F(SafetyTest, RestoreSwapsInTheBackupAndTheSafetyCopyHoldsThePreviousData) {
  Fingerprint previous = fingerprint(paths.data);
  const Fingerprint expected = restoredData();
  dialogs.yes();
  const RestoreResult r = runRestore();
  ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(reopened, 1);
  EXPECT_EQ(fingerprint(paths.data), expected);
  // Exactly the data files the data directory held (no zip, nothing without extension).
  previous.erase(QStringLiteral("LIESMICH"));
  previous.erase(QStringLiteral("Archiv.zip"));
  EXPECT_EQ(fingerprint(paths.safety), previous);
  EXPECT_FALSE(QFileInfo::exists(paths.newData));
  EXPECT_FALSE(QFileInfo::exists(paths.newSafety));
}

TEST_F(SafetyTest, FailedOrCancelledRestoreLeavesDataAndSafetyCopyAsTheyWere) {
  const Fingerprint data = fingerprint(paths.data), safe = fingerprint(paths.safety);
  // A damaged table in the backup: its copy fails the check.
  QFile damaged(backupDir + QStringLiteral("/Farbe.db"));
  ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
  damaged.seek(100);
  damaged.write(QByteArray(3000, '\xff'));
  damaged.close();
  dialogs.yes();
  RestoreResult r = runRestore();
  EXPECT_EQ(r.status, RestoreStatus::Failed);
  EXPECT_TRUE(r.message.contains(QStringLiteral("Farbe.db"))) << r.message.toStdString();
  EXPECT_TRUE(r.message.contains(QStringLiteral("unverändert")));
  EXPECT_EQ(reopened, 1);
  EXPECT_EQ(fingerprint(paths.data), data);
  EXPECT_EQ(fingerprint(paths.safety), safe);

  build(200);
  int asked = 0;
  dialogs.yes();
  r = runRestore(Progress{{}, [&] { return ++asked > 3; }, {}});
  EXPECT_EQ(r.status, RestoreStatus::Cancelled);
  EXPECT_EQ(fingerprint(paths.data), data);
  EXPECT_EQ(fingerprint(paths.safety), safe);
  EXPECT_FALSE(QFileInfo::exists(paths.newData));
}

// Runs the restore in a child process that is killed at a checkpoint (step >= 0) or after
// `delayUs` microseconds, and checks what the parent finds afterwards.
TEST_F(SafetyTest, RestoreKilledAtAnyMomentLeavesOldOrRestoredDataComplete) {
  build(3000);  // a few MB, so that timed kills land inside copies
  const Fingerprint oldData = fingerprint(paths.data), oldSafety = fingerprint(paths.safety);
  const Fingerprint restored = restoredData();
  Fingerprint previousAsSafety = oldData;
  previousAsSafety.erase(QStringLiteral("LIESMICH"));
  previousAsSafety.erase(QStringLiteral("Archiv.zip"));

  // How long an undisturbed restore takes, and how many checkpoints it passes.
  int steps = 0;
  QElapsedTimer timer;
  timer.start();
  dialogs.yes();
  ASSERT_EQ(runRestore(Progress{{}, {}, [&](int s) { steps = s + 1; }}).status, RestoreStatus::Restored);
  const qint64 fullUs = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
  ASSERT_GT(steps, 8);

  int sawOld = 0, sawNew = 0;
  auto attempt = [&](int killStep, qint64 delayUs) {
    build(3000);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      dialogs.yes();
      runRestore(Progress{{}, {}, [killStep](int s) {
                            if (s == killStep) ::kill(::getpid(), SIGKILL);
                          }});
      ::_exit(0);
    }
    if (delayUs >= 0) {
      ::usleep(static_cast<useconds_t>(delayUs));
      ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const Fingerprint now = fingerprint(paths.data);
    if (now == oldData) {
      ++sawOld;
    } else {
      ASSERT_EQ(now, restored) << "step " << killStep << " delay " << delayUs;
      ++sawNew;
    }
    recoverInterruptedRestore(paths);
    EXPECT_EQ(fingerprint(paths.data), now);
    const Fingerprint safe = fingerprint(paths.safety);
    EXPECT_TRUE(safe == oldSafety || safe == previousAsSafety) << "step " << killStep;
    EXPECT_FALSE(QFileInfo::exists(paths.newData));
    EXPECT_FALSE(QFileInfo::exists(paths.oldData));
  };
  for (int s = 0; s < steps; ++s) attempt(s, -1);
  for (int i = 0; i < 25; ++i) attempt(-1, QRandomGenerator::global()->bounded(fullUs * 12 / 10));
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}

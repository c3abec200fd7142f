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
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/faulty_vfs.h"
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
  exec(db, "PRAGMA synchronous=OFF");
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
// Every file below `dir` by relative path; the program's own hidden marker files
// (".lapiro-…") are left out, folders appear as "<path>/" with their mode.
void addFingerprint(Fingerprint& fp, const QString& dir, const QString& prefix) {
  for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
    const QString key = prefix + fi.fileName();
    if (fi.fileName().startsWith(QStringLiteral(".lapiro-"))) continue;
    if (fi.isDir()) {
      fp[key + u'/'] = QByteArray::number(int(fi.permissions()), 16);
      addFingerprint(fp, fi.filePath(), key + u'/');
    } else if (isTableFile(fi.filePath())) {
      fp[key] = tableContent(fi.filePath());
    } else {
      QFile f(fi.filePath());
      f.open(QIODevice::ReadOnly);
      fp[key] = f.readAll();
    }
  }
}
Fingerprint fingerprint(const QString& dir) {
  Fingerprint fp;
  addFingerprint(fp, dir, {});
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
    makeTable(backupDir + QStringLiteral("/Rasse.db"), QStringLiteral("gesichert"), 10);
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
  // Two copies and the manifest, which marks the folder incomplete; no partial copy left.
  EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 3);
  const Manifest m = readManifest(target);
  EXPECT_TRUE(m.present);
  EXPECT_FALSE(m.complete);
  // The same folder completed by a second run is complete, listing both tables.
  const BackupResult again = backup(paths.data, target);
  EXPECT_FALSE(again.cancelled);
  const Manifest full = readManifest(target);
  EXPECT_TRUE(full.complete);
  ASSERT_EQ(full.tables.size(), 2u);
  EXPECT_EQ(full.tables[0].name, QStringLiteral("Hasen.db"));
  EXPECT_EQ(full.tables[0].size, QFileInfo(target + QStringLiteral("/Hasen.db")).size());
  EXPECT_EQ(full.tables[0].sha256.size(), 64);
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

TEST_F(SafetyTest, ACheckedCopySaysWhyOnlyWhenItFails) {
  const QString target = prog.path() + QStringLiteral("/Kopie");
  QString error;
  EXPECT_TRUE(copyChecked(paths.data + QStringLiteral("/Notizen.txt"), target + QStringLiteral("/Notizen.txt"), &error));
  EXPECT_TRUE(copyChecked(paths.data + QStringLiteral("/Rasse.db"), target + QStringLiteral("/Rasse.db"), &error));
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_EQ(fingerprint(target).at(QStringLiteral("Notizen.txt")), QByteArray("aktuelle Notiz"));
  EXPECT_FALSE(copyChecked(paths.data + QStringLiteral("/Notizen.txt"), target + QStringLiteral("/Notizen.txt"), &error));
  EXPECT_EQ(error, QStringLiteral("Die Datei ist im Ziel schon vorhanden."));
}

// A disk with less room than the copies need: backup and restore refuse before they write.
TEST_F(SafetyTest, WithoutRoomForTheCopiesBackupAndRestoreRefuseBeforeWriting) {
  struct Restore {
    ~Restore() { setFreeSpaceProbe({}); }
  } restoreProbe;
  writeFile(paths.data + QStringLiteral("/Gross.txt"), QByteArray(2 * 1048576, 'x'));
  qint64 needed = 0;
  for (const QString& name : {QStringLiteral("Archiv.zip"), QStringLiteral("Gross.txt"), QStringLiteral("Hasen.db"),
                              QStringLiteral("Notizen.txt"), QStringLiteral("Rasse.db")})
    needed += QFileInfo(paths.data + u'/' + name).size();
  qint64 free = needed - 1;
  setFreeSpaceProbe([&](const QString&) { return free; });
  const QString target = prog.path() + QStringLiteral("/Ziel");
  QDir().mkpath(target);
  const BackupResult refused = backup(paths.data, target);
  EXPECT_TRUE(refused.refusal.startsWith(QStringLiteral("Im Zielverzeichnis ist nicht genug Platz: benötigt werden 2,")))
      << refused.refusal.toStdString();
  EXPECT_TRUE(refused.copied.isEmpty());
  EXPECT_TRUE(fingerprint(target).empty());
  free = 1572864;  // 1.5 MB
  EXPECT_TRUE(backup(paths.data, target).refusal.endsWith(QStringLiteral("frei sind 1,5 MB.")));
  // Exactly enough room is enough.
  free = needed;
  const BackupResult done = backup(paths.data, target);
  EXPECT_TRUE(done.refusal.isEmpty()) << done.refusal.toStdString();
  EXPECT_EQ(done.copied.size(), 5);

  free = 0;
  const Fingerprint data = fingerprint(paths.data), safe = fingerprint(paths.safety);
  dialogs.yes();
  EXPECT_EQ(runRestore().status, RestoreStatus::Refused);
  EXPECT_TRUE(dialogs.texts().last().startsWith(QStringLiteral("Für die Rücksicherung ist nicht genug Platz: benötigt werden 2,")))
      << dialogs.texts().last().toStdString();
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(fingerprint(paths.data), data);
  EXPECT_EQ(fingerprint(paths.safety), safe);
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
  // A kill loses nothing written: fsync is left out to keep the many runs fast.
  setFaultHooks(FaultHooks{true, {}, false});
  struct Restore {
    ~Restore() { setFreeSpaceProbe({}); }
  } restoreProbe;
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

// ------------------------------------------------------------------ sub-folders and modes

TEST_F(SafetyTest, BackupAndRestoreCarryPicturesAndRestoreKeepsWhatItDoesNotRestore) {
  const QString bilder = paths.data + QStringLiteral("/Bilder");
  QDir().mkpath(bilder + QStringLiteral("/2024"));
  QDir().mkpath(paths.data + QStringLiteral("/Leer"));
  writeFile(bilder + QStringLiteral("/Hoppel.jpg"), "Bild 1");
  writeFile(bilder + QStringLiteral("/2024/Wurf.jpg"), "Bild 2");
  writeFile(bilder + QStringLiteral("/OHNEENDUNG"), "auch ein Bild");
  ASSERT_TRUE(QFile::setPermissions(paths.data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  ASSERT_TRUE(QFile::setPermissions(bilder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                QFile::ExeGroup));
  EXPECT_TRUE(dataFiles(paths.data).contains(QStringLiteral("Bilder/2024/Wurf.jpg")));
  EXPECT_TRUE(dataFiles(paths.data).contains(QStringLiteral("Bilder/OHNEENDUNG")));
  EXPECT_FALSE(dataFiles(paths.data).contains(QStringLiteral("LIESMICH")));

  // The backup holds the pictures.
  const QString target = prog.path() + QStringLiteral("/Ziel");
  QDir().mkpath(target);
  const BackupResult b = backup(paths.data, target);
  ASSERT_TRUE(b.failed.isEmpty()) << b.summary().toStdString();
  EXPECT_TRUE(b.copied.contains(QStringLiteral("Bilder/2024/Wurf.jpg")));
  EXPECT_EQ(fingerprint(target + QStringLiteral("/Bilder")).count(QStringLiteral("2024/Wurf.jpg")), 1u);

  // Afterwards one picture changes and one is added; the restore brings the saved picture
  // back, keeps the new one, the empty folder and the folders' modes.
  writeFile(bilder + QStringLiteral("/Hoppel.jpg"), "Bild 1 bearbeitet");
  writeFile(bilder + QStringLiteral("/Neu.jpg"), "neues Bild");
  const Fingerprint before = fingerprint(paths.data);
  dialogs.yes();
  const RestoreResult r = restore(paths, target, {}, {}, {});
  ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
  const Fingerprint after = fingerprint(paths.data);
  EXPECT_EQ(after.at(QStringLiteral("Bilder/Hoppel.jpg")), QByteArray("Bild 1"));
  EXPECT_EQ(after.at(QStringLiteral("Bilder/Neu.jpg")), QByteArray("neues Bild"));
  EXPECT_EQ(after.at(QStringLiteral("Bilder/2024/Wurf.jpg")), QByteArray("Bild 2"));
  EXPECT_EQ(after.at(QStringLiteral("Bilder/")), before.at(QStringLiteral("Bilder/")));
  EXPECT_EQ(after.count(QStringLiteral("Leer/")), 1u);
  EXPECT_EQ(after.at(QStringLiteral("LIESMICH")), before.at(QStringLiteral("LIESMICH")));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(paths.data).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  // The replaced picture is in the safety copy.
  EXPECT_EQ(fingerprint(paths.safety).at(QStringLiteral("Bilder/Hoppel.jpg")), QByteArray("Bild 1 bearbeitet"));
}

// ------------------------------------------------------------------ checks of the source

TEST_F(SafetyTest, IncompleteBackupAsksNamingTheMissingTablesAndJaKeepsTheCurrentCopies) {
  makeTable(paths.data + QStringLiteral("/KONTEN.DB"), QStringLiteral("konten"), 30);
  makeTable(paths.data + QStringLiteral("/Impfung.db"), QStringLiteral("impfung"), 30);
  const QString target = prog.path() + QStringLiteral("/Abgebrochen");
  QDir().mkpath(target);
  int asked = 0;
  // Cancelled after two files: Archiv.zip and Hasen.db.
  ASSERT_TRUE(backup(paths.data, target, Progress{{}, [&] { return ++asked > 2; }, {}}).cancelled);
  const SourceCheck check = checkSource(target, paths.data);
  EXPECT_TRUE(check.refusal.isEmpty());
  EXPECT_TRUE(check.incomplete);
  // In catalogue order.
  EXPECT_EQ(check.missing, (QStringList{QStringLiteral("Rasse.db"), QStringLiteral("Impfung.db"), QStringLiteral("KONTEN.DB")}))
      << check.missing.join(u',').toStdString();

  // "Nein" (the default) restores nothing.
  const Fingerprint data = fingerprint(paths.data), safe = fingerprint(paths.safety);
  dialogs.yes().no();
  EXPECT_EQ(restore(paths, target, {}, {}, {}).status, RestoreStatus::Refused);
  ASSERT_EQ(dialogs.shown().size(), 2u);
  const auto& q = dialogs.shown()[1];
  EXPECT_EQ(q.buttons, store::DialogButtons::YesNoDefaultNo);
  EXPECT_TRUE(q.text.contains(QStringLiteral("abgebrochen")));
  EXPECT_TRUE(q.text.contains(QStringLiteral("Rasse.db, Impfung.db, KONTEN.DB"))) << q.text.toStdString();
  EXPECT_EQ(fingerprint(paths.data), data);
  EXPECT_EQ(fingerprint(paths.safety), safe);

  // "Ja": the backup's tables come back, each missing table keeps its current copy.
  writeFile(paths.data + QStringLiteral("/Notizen.txt"), "später");
  dialogs.clear();
  dialogs.yes().yes();
  const RestoreResult r = restore(paths, target, {}, {}, {});
  EXPECT_TRUE(dialogs.allAnswersUsed());
  ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
  const Fingerprint now = fingerprint(paths.data);
  EXPECT_EQ(now.at(QStringLiteral("KONTEN.DB")), data.at(QStringLiteral("KONTEN.DB")));
  EXPECT_EQ(now.at(QStringLiteral("Impfung.db")), data.at(QStringLiteral("Impfung.db")));
  EXPECT_EQ(now.at(QStringLiteral("Rasse.db")), data.at(QStringLiteral("Rasse.db")));
  EXPECT_EQ(now.at(QStringLiteral("Hasen.db")), data.at(QStringLiteral("Hasen.db")));
  EXPECT_EQ(now.count(QStringLiteral("Notizen.txt")), 0u);  // not in the backup: dropped into the safety copy
  EXPECT_EQ(fingerprint(paths.safety).at(QStringLiteral("Notizen.txt")), QByteArray("später"));
}

TEST_F(SafetyTest, AFolderWithOnlyAnAnimalFileOrAChangedTableIsNoBackup) {
  const Fingerprint data = fingerprint(paths.data), safe = fingerprint(paths.safety);
  const QString only = prog.path() + QStringLiteral("/NurHasen");
  QDir().mkpath(only);
  // A text file and an empty file named Hasen.DB are refused before any question.
  for (const QByteArray& content : {QByteArray("kein SQLite"), QByteArray()}) {
    writeFile(only + QStringLiteral("/Hasen.DB"), content);
    dialogs.clear();
    const RestoreResult r = restore(paths, only, {}, [&] { ++closed; }, {});
    EXPECT_EQ(r.status, RestoreStatus::Refused);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.texts()[0].startsWith(QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!")));
  }
  // A real but lone animal table: the missing tables are named, "Nein" keeps everything.
  QFile::remove(only + QStringLiteral("/Hasen.DB"));
  makeTable(only + QStringLiteral("/Hasen.DB"), QStringLiteral("allein"), 3);
  dialogs.clear();
  dialogs.yes().no();
  EXPECT_EQ(restore(paths, only, {}, [&] { ++closed; }, {}).status, RestoreStatus::Refused);
  EXPECT_TRUE(dialogs.texts().value(1).contains(QStringLiteral("Rasse.db")));

  // A table changed after a complete backup no longer matches the manifest.
  const QString target = prog.path() + QStringLiteral("/Ziel");
  QDir().mkpath(target);
  ASSERT_TRUE(backup(paths.data, target).failed.isEmpty());
  EXPECT_TRUE(checkSource(target, paths.data).refusal.isEmpty());
  sqlite3* db = nullptr;
  sqlite3_open(QFile::encodeName(target + QStringLiteral("/Rasse.db")).constData(), &db);
  exec(db, "DELETE FROM t WHERE id > 5");
  sqlite3_close(db);
  dialogs.clear();
  EXPECT_EQ(restore(paths, target, {}, [&] { ++closed; }, {}).status, RestoreStatus::Refused);
  EXPECT_TRUE(dialogs.texts().value(0).contains(QStringLiteral("Rasse.db"))) << dialogs.texts().value(0).toStdString();
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(fingerprint(paths.data), data);
  EXPECT_EQ(fingerprint(paths.safety), safe);
}

// ------------------------------------------------------------------ safety copy under faults

namespace {

// Switches the atomic exchange off (and injects rename faults) for one test; no fsync, since
// a kill or a failing rename loses nothing that was written.
struct NoAtomicExchange {
  explicit NoAtomicExchange(std::function<int(const QString&, const QString&)> fault = {}) {
    setFaultHooks(FaultHooks{false, std::move(fault), false});
  }
  ~NoAtomicExchange() { setFaultHooks({}); }
};

}  // namespace

// Without an atomic exchange, killed at every step of a restore and of "Sicherheitskopie
// zurückholen": after the recovery the data is the old or the new, and the safety copy is the
// one that belongs to it, complete; nothing is ever lost.
TEST_F(SafetyTest, WithoutAtomicExchangeAKillAtAnyStepKeepsTheNewestCompleteSafetyCopy) {
  NoAtomicExchange off;
  build(100);
  const Fingerprint oldData = fingerprint(paths.data), oldSafety = fingerprint(paths.safety);
  const Fingerprint restored = restoredData();
  Fingerprint previousAsSafety = oldData;
  previousAsSafety.erase(QStringLiteral("LIESMICH"));
  previousAsSafety.erase(QStringLiteral("Archiv.zip"));
  // After "zurückholen" the data is the old safety copy with what carries over; the safety
  // copy lacks Rasse.db, whose current copy is kept ("Ja" to the question naming it).
  Fingerprint fetched = oldSafety;
  for (const char* kept : {"LIESMICH", "Archiv.zip", "Rasse.db"})
    fetched[QString::fromUtf8(kept)] = oldData.at(QString::fromUtf8(kept));
  Fingerprint previousAsFetchedSafety = previousAsSafety;
  previousAsFetchedSafety.erase(QStringLiteral("Rasse.db"));

  for (const bool fromSafety : {false, true}) {
    auto run = [&](const Progress& p) {
      return fromSafety ? restoreSafetyCopy(paths, p, {}, {}) : restore(paths, backupDir, p, {}, {});
    };
    auto answer = [&] {
      dialogs.yes();
      if (fromSafety) dialogs.yes();
    };
    const Fingerprint newData = fromSafety ? fetched : restored;
    const Fingerprint newSafety = fromSafety ? previousAsFetchedSafety : previousAsSafety;
    int steps = 0;
    build(100);
    answer();
    ASSERT_EQ(run(Progress{{}, {}, [&](int s) { steps = s + 1; }}).status, RestoreStatus::Restored);
    EXPECT_EQ(fingerprint(paths.data), newData);
    EXPECT_EQ(fingerprint(paths.safety), newSafety);
    ASSERT_GT(steps, 8);
    int sawOld = 0, sawNew = 0;
    for (int killStep = 0; killStep < steps; ++killStep) {
      build(100);
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        answer();
        run(Progress{{}, {}, [killStep](int s) {
                       if (s == killStep) ::kill(::getpid(), SIGKILL);
                     }});
        ::_exit(0);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << "step " << killStep;
      recoverInterruptedRestore(paths);
      const Fingerprint data = fingerprint(paths.data), safe = fingerprint(paths.safety);
      if (data == oldData) {
        ++sawOld;
        EXPECT_EQ(safe, oldSafety) << "fromSafety " << fromSafety << " step " << killStep;
      } else {
        ++sawNew;
        ASSERT_EQ(data, newData) << "fromSafety " << fromSafety << " step " << killStep;
        EXPECT_EQ(safe, newSafety) << "fromSafety " << fromSafety << " step " << killStep;
      }
      for (const QString& work : {paths.newData, paths.oldData, paths.newSafety, paths.oldSafety})
        EXPECT_FALSE(QFileInfo::exists(work)) << work.toStdString() << " step " << killStep;
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
  }
}

// Each rename of a restore fails in turn (EIO): the message never says "unverändert" unless
// data and safety copy are; after the next start's recovery both are complete.
TEST_F(SafetyTest, ARenameFailingWithEioNeverLosesTheSafetyCopy) {
  build(50);
  const Fingerprint oldData = fingerprint(paths.data), oldSafety = fingerprint(paths.safety);
  const Fingerprint restored = restoredData();
  Fingerprint previousAsSafety = oldData;
  previousAsSafety.erase(QStringLiteral("LIESMICH"));
  previousAsSafety.erase(QStringLiteral("Archiv.zip"));
  // Directory renames only (file copies rename their work file into place as well).
  auto isDirRename = [](const QString& from) { return !QFileInfo(from).fileName().startsWith(QStringLiteral(".~")); };
  int renames = 0;
  {
    NoAtomicExchange count([&](const QString& from, const QString&) {
      if (isDirRename(from)) ++renames;
      return 0;
    });
    dialogs.yes();
    ASSERT_EQ(restore(paths, backupDir, {}, {}, {}).status, RestoreStatus::Restored);
  }
  ASSERT_GE(renames, 4);
  for (int failing = 0; failing < renames; ++failing) {
    build(50);
    int n = 0;
    RestoreResult r;
    {
      NoAtomicExchange fault([&](const QString& from, const QString&) { return isDirRename(from) && n++ == failing ? EIO : 0; });
      dialogs.yes();
      r = restore(paths, backupDir, {}, {}, {});
    }
    const Fingerprint data = fingerprint(paths.data), safe = fingerprint(paths.safety);
    if (r.message.contains(QStringLiteral("unverändert"))) {
      EXPECT_EQ(r.status, RestoreStatus::Failed);
      EXPECT_EQ(data, oldData) << failing;
      EXPECT_EQ(safe, oldSafety) << failing;
    } else {
      EXPECT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
      EXPECT_EQ(data, restored) << failing;
      EXPECT_TRUE(r.warning) << failing;
      EXPECT_TRUE(r.message.contains(QStringLiteral("Datensik.neu"))) << r.message.toStdString();
    }
    recoverInterruptedRestore(paths);
    const Fingerprint dataAfter = fingerprint(paths.data);
    EXPECT_EQ(dataAfter, data) << failing;
    EXPECT_EQ(fingerprint(paths.safety), dataAfter == oldData ? oldSafety : previousAsSafety) << failing;
  }
}

// ------------------------------------------------------------------ hot journals

namespace {

// Leaves `table` as a killed writer leaves it: a hot journal beside a half-changed file.
void killWriterMidTransaction(const QString& table) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(table).constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=1; BEGIN; DELETE FROM t WHERE id > 3;"
                     "UPDATE t SET txt = 'halb' WHERE id <= 3;", nullptr, nullptr, nullptr);
    ::kill(::getpid(), SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
}

}  // namespace

TEST_F(SafetyTest, AHotJournalLeftByAKilledWriteIsRolledBackByBackupAndAtStart) {
  const QString hasen = paths.data + QStringLiteral("/Hasen.db");
  const QByteArray committed = tableContent(hasen);
  killWriterMidTransaction(hasen);
  ASSERT_GT(QFileInfo(hasen + QStringLiteral("-journal")).size(), 0);

  const QString target = prog.path() + QStringLiteral("/Ziel");
  QDir().mkpath(target);
  const BackupResult r = backup(paths.data, target);
  EXPECT_TRUE(r.failed.isEmpty()) << r.summary().toStdString();
  EXPECT_EQ(tableContent(target + QStringLiteral("/Hasen.db")), committed);
  EXPECT_TRUE(readManifest(target).complete);
  EXPECT_EQ(tableContent(hasen), committed);

  // At start: every table with a hot journal, once.
  makeTable(paths.data + QStringLiteral("/BUCHUNG.db"), QStringLiteral("buchung"), 200);
  const QByteArray bookings = tableContent(paths.data + QStringLiteral("/BUCHUNG.db"));
  killWriterMidTransaction(hasen);
  killWriterMidTransaction(paths.data + QStringLiteral("/BUCHUNG.db"));
  rollBackHotJournalsAtStart(paths.data);
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_FALSE(QFileInfo::exists(hasen + QStringLiteral("-journal")));
  EXPECT_FALSE(QFileInfo::exists(paths.data + QStringLiteral("/BUCHUNG.db-journal")));
  EXPECT_EQ(tableContent(hasen), committed);
  EXPECT_EQ(tableContent(paths.data + QStringLiteral("/BUCHUNG.db")), bookings);

  // A journal that cannot be rolled back (the disk refuses the write) is named in one German
  // box, with SQLite's text only as the detail line; the journal stays for the next start.
  killWriterMidTransaction(hasen);
  {
    test::FaultyVfs failing(QStringLiteral("/Hasen.db"), SQLITE_IOERR_WRITE);
    rollBackHotJournalsAtStart(paths.data);
  }
  ASSERT_EQ(dialogs.shown().size(), 1u);
  const QString text = dialogs.texts()[0];
  EXPECT_TRUE(text.startsWith(QStringLiteral("Nach einem Abbruch des Programms konnten angefangene Änderungen"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Hasen.db: Fehler beim Schreiben oder Lesen auf dem Datenträger."))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("Technische Angabe: disk I/O error"))) << text.toStdString();
  EXPECT_TRUE(QFileInfo::exists(hasen + QStringLiteral("-journal")));
  EXPECT_TRUE(rollBackHotJournals(paths.data).isEmpty());
  EXPECT_EQ(tableContent(hasen), committed);
}

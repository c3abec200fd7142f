// The safety copy "Datensik" also keeps whole data folders: the first start and the installer
// move a user's old data there as "daten-<date>-<time>". A restore replaces the safety copy but
// keeps those folders, and whatever else in "Datensik" it does not write itself; "Sicherheitskopie
// zurückholen" never takes them into the data directory. Checked on real directories, also
// when the restore is killed at any step.
#include "safety/data_safety.h"
#include "shell/first_start.h"
#include "shell/paths.h"

#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <csignal>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using namespace lapiro;
using namespace lapiro::safety;

namespace {

QByteArray read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// Relative path -> bytes of every file below `dir`, the program's hidden marks left out.
std::map<QString, QByteArray> files(const QString& dir, const QString& prefix = {}) {
  std::map<QString, QByteArray> out;
  for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
    if (fi.fileName().startsWith(QStringLiteral(".lapiro-"))) continue;
    if (fi.isDir())
      out.merge(files(fi.filePath(), prefix + fi.fileName() + u'/'));
    else
      out[prefix + fi.fileName()] = read(fi.filePath());
  }
  return out;
}

// Only the entries of `all` below the folder `folder`.
std::map<QString, QByteArray> below(const std::map<QString, QByteArray>& all, const QString& folder) {
  std::map<QString, QByteArray> out;
  for (const auto& [path, bytes] : all)
    if (path.startsWith(folder + u'/')) out[path] = bytes;
  return out;
}

// A program directory whose safety copy holds the previous data and two old data folders kept
// by earlier first starts, a note without extension and an archive.
class KeptFolders : public ::testing::Test {
 protected:
  void SetUp() override { build(); }
  void build() {
    QDir(prog.path()).removeRecursively();
    write(paths.data + QStringLiteral("/Hasen.db"), "Tiere jetzt");
    write(paths.data + QStringLiteral("/Rasse.db"), "Rassen jetzt");
    write(paths.data + QStringLiteral("/Bilder/h1.jpg"), "Bild jetzt");
    write(paths.safety + QStringLiteral("/Hasen.db"), "Tiere vorher");
    write(paths.safety + QStringLiteral("/Rasse.db"), "Rassen vorher");
    write(paths.safety + QStringLiteral("/Bilder/alt.jpg"), "Bild vorher");
    write(paths.safety + QStringLiteral("/daten-2026-01-05-101500/Hasen.db"), "Tiere vom Januar");
    write(paths.safety + QStringLiteral("/daten-2026-01-05-101500/Bilder/j.jpg"), "Bild vom Januar");
    write(paths.safety + QStringLiteral("/daten-2026-03-01-080000/Wurfbuch.DB"), "halb kopiert");
    write(paths.safety + QStringLiteral("/LIESMICH"), "Notiz des Züchters");
    write(paths.safety + QStringLiteral("/Alt.zip"), "Archiv");
    write(backupDir + QStringLiteral("/Hasen.db"), "Tiere gesichert");
    write(backupDir + QStringLiteral("/Rasse.db"), "Rassen gesichert");
  }
  // The animal tables are real tables: restore checks them before it touches anything.
  void makeTables();

  test::TempDir prog;
  SafetyPaths paths{prog.path()};
  QString backupDir = prog.path() + QStringLiteral("/Sicherung");
  test::ScriptedDialogs dialogs;
};

}  // namespace

namespace {

void makeTable(const QString& path, const char* tag) {
  QFile::remove(path);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  const QByteArray sql = QByteArray("CREATE TABLE t(x TEXT); INSERT INTO t VALUES('") + tag + "');";
  ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

// The text the table written by makeTable() holds.
QByteArray tableText(const QString& path) {
  sqlite3* db = nullptr;
  QByteArray out;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT x FROM t", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
      out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return out;
}

void KeptFolders::makeTables() {
  makeTable(paths.data + QStringLiteral("/Hasen.db"), "jetzt");
  makeTable(paths.safety + QStringLiteral("/Hasen.db"), "vorher");
  makeTable(paths.safety + QStringLiteral("/daten-2026-01-05-101500/Hasen.db"), "Januar");
  makeTable(backupDir + QStringLiteral("/Hasen.db"), "gesichert");
  QFile f(backupDir + QStringLiteral("/Hasen.db"));
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
}

const QStringList kKept{QStringLiteral("daten-2026-01-05-101500"), QStringLiteral("daten-2026-03-01-080000")};

// The kept folders and files of `before` are in `safety` unchanged, and none is in `data`.
void expectKept(const std::map<QString, QByteArray>& before, const QString& safety, const QString& data,
                const std::string& where) {
  const auto now = files(safety);
  for (const QString& folder : kKept) {
    EXPECT_FALSE(below(before, folder).empty()) << where;
    EXPECT_EQ(below(now, folder), below(before, folder)) << folder.toStdString() << " " << where;
    EXPECT_FALSE(QFileInfo::exists(QDir(data).filePath(folder))) << folder.toStdString() << " " << where;
  }
  EXPECT_EQ(read(safety + QStringLiteral("/LIESMICH")), QByteArray("Notiz des Züchters")) << where;
  EXPECT_EQ(read(safety + QStringLiteral("/Alt.zip")), QByteArray("Archiv")) << where;
}

struct Hooks {
  explicit Hooks(bool atomic) { setFaultHooks(FaultHooks{atomic, {}, false}); }
  ~Hooks() { setFaultHooks({}); }
};

}  // namespace

TEST_F(KeptFolders, RestoreAndFetchingTheSafetyCopyKeepTheOldDataFoldersInDatensik) {
  for (const bool atomic : {true, false}) {
    Hooks hooks(atomic);
    build();
    makeTables();
    const auto before = files(paths.safety);

    dialogs.yes();
    RestoreResult r = restore(paths, backupDir, {}, {}, {});
    ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
    expectKept(before, paths.safety, paths.data, atomic ? "restore" : "restore by renames");
    // The safety copy itself is the data before the restore, replaced as a whole; the picture
    // the backup does not hold carries over in the data.
    EXPECT_EQ(tableText(paths.data + QStringLiteral("/Hasen.db")), QByteArray("gesichert"));
    EXPECT_EQ(tableText(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));
    EXPECT_EQ(read(paths.safety + QStringLiteral("/Rasse.db")), QByteArray("Rassen jetzt"));
    EXPECT_EQ(read(paths.data + QStringLiteral("/Bilder/h1.jpg")), QByteArray("Bild jetzt"));
    EXPECT_FALSE(QFileInfo::exists(paths.safety + QStringLiteral("/Bilder/alt.jpg")));
    for (const QString& work : {paths.newData, paths.oldData, paths.newSafety, paths.oldSafety})
      EXPECT_FALSE(QFileInfo::exists(work)) << work.toStdString();

    // "Sicherheitskopie zurückholen": the kept folders are no part of the copy fetched back.
    dialogs.yes();
    r = restoreSafetyCopy(paths, {}, {}, {});
    ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
    expectKept(before, paths.safety, paths.data, atomic ? "fetch" : "fetch by renames");
    EXPECT_EQ(tableText(paths.data + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));
    EXPECT_EQ(tableText(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("gesichert"));
    EXPECT_TRUE(dialogs.allAnswersUsed());
  }
}

// Killed at every step, with and without an atomic exchange: after the next start's recovery
// every kept folder is in "Datensik", whole, whichever data came out.
TEST_F(KeptFolders, AKillAtAnyStepOfARestoreLosesNoKeptFolder) {
  for (const bool atomic : {true, false}) {
    Hooks hooks(atomic);
    build();
    makeTables();
    const auto before = files(paths.safety);
    int steps = 0;
    dialogs.yes();
    ASSERT_EQ(restore(paths, backupDir, Progress{{}, {}, [&](int s) { steps = s + 1; }}, {}, {}).status,
              RestoreStatus::Restored);
    ASSERT_GT(steps, 5);
    for (int killStep = 0; killStep < steps; ++killStep) {
      build();
      makeTables();
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        dialogs.yes();
        restore(paths, backupDir, Progress{{}, {}, [killStep](int s) {
                                             if (s == killStep) ::kill(::getpid(), SIGKILL);
                                           }},
                {}, {});
        ::_exit(0);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << "step " << killStep;
      recoverInterruptedRestore(paths);
      expectKept(before, paths.safety, paths.data,
                 (atomic ? "atomic step " : "renames step ") + std::to_string(killStep));
      for (const QString& work : {paths.newSafety, paths.oldSafety})
        EXPECT_FALSE(QFileInfo::exists(work)) << work.toStdString() << " step " << killStep;
    }
  }
}

// The whole way: a first start moves a folder that is no stock into "Datensik", a restore
// follows, and the folder is still there.
TEST(KeptFoldersOfTheFirstStart, SurviveARestore) {
  test::TempDir tmp;
  const QByteArray savedHome = qgetenv("LAPIRO_HOME"), savedConfig = qgetenv("LAPIRO_CONFIG_DIR");
  qputenv("LAPIRO_HOME", tmp.file(QStringLiteral("home")).toUtf8());
  qputenv("LAPIRO_CONFIG_DIR", tmp.file(QStringLiteral("config")).toUtf8());
  write(shell::paths::dataDir() + QStringLiteral("/Wurfbuch.DB"), "halb kopiert");
  {
    test::ScriptedDialogs dialogs;
    dialogs.choice(shell::kChoiceDemo);
    ASSERT_TRUE(shell::runFirstStart(QRect(0, 0, 1280, 1000)));
  }
  const QStringList kept = QDir(shell::paths::backupDir()).entryList({QStringLiteral("daten-*")}, QDir::Dirs);
  ASSERT_EQ(kept.size(), 1);
  // A backup of the demo stock just made, then restored.
  const QString backup = tmp.file(QStringLiteral("Sicherung"));
  ASSERT_TRUE(QDir().mkpath(backup));
  ASSERT_TRUE(safety::backup(shell::paths::dataDir(), backup).refusal.isEmpty());
  test::ScriptedDialogs dialogs;
  dialogs.yes();  // "Wirklich zurückspielen?"; a backup as old as the data asks no more
  const RestoreResult r = restore(SafetyPaths(shell::paths::programDir()), backup, {}, {}, {});
  EXPECT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
  EXPECT_EQ(read(shell::paths::backupDir() + u'/' + kept.front() + QStringLiteral("/Wurfbuch.DB")),
            QByteArray("halb kopiert"));
  qputenv("LAPIRO_HOME", savedHome);
  qputenv("LAPIRO_CONFIG_DIR", savedConfig);
}

// The rules of backup and restore one at a time, on real directories and real tables: which
// names count as data, what a checked copy refuses, what the manifest holds and how strictly it
// is read, the texts the user sees with their figures, the room a run needs to the byte, the
// order of the restore's phases and what it leaves out, and what the recovery does with work
// copies left behind.
#include "safety/data_safety.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sqlite3.h>
#include <csignal>
#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/faulty_vfs.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

using namespace lapiro;
using namespace lapiro::safety;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  f.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

// A table file with one table holding `tag` (and `rows` rows of padding).
void makeTable(const QString& path, const QByteArray& tag, int rows = 1) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile::remove(path);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  QByteArray sql = "PRAGMA synchronous=OFF; CREATE TABLE t(id INTEGER PRIMARY KEY, x TEXT); BEGIN;";
  for (int i = 0; i < rows; ++i) sql += "INSERT INTO t(x) VALUES('" + tag + "');";
  sql += "COMMIT;";
  ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

QByteArray tableTag(const QString& path) {
  sqlite3* db = nullptr;
  QByteArray out = "<unlesbar>";
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT x FROM t ORDER BY id LIMIT 1", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return out;
}

void setTime(const QString& path, const QDateTime& t) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  f.setFileTime(t, QFileDevice::FileModificationTime);
}

unsigned modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QString linkTarget(const QString& path) { return QFileInfo(path).symLinkTarget(); }

// The target of a link as written, not resolved.
QByteArray linkText(const QString& path) {
  char buf[8192];
  const ssize_t len = ::readlink(QFile::encodeName(path).constData(), buf, sizeof buf);
  return len < 0 ? QByteArray() : QByteArray(buf, int(len));
}

// The entries of `dir` (hidden ones too when asked), sorted by name.
QStringList entries(const QString& dir, bool hidden = false) {
  QStringList out = QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System |
                                        (hidden ? QDir::Hidden : QDir::Filters()));
  out.sort();
  return out;
}

// The tag of the animal table of `dir`, whatever the case of its name.
QByteArray animalsTag(const QString& dir) {
  for (const QString& name : QDir(dir).entryList(QDir::Files))
    if (name.compare(QStringLiteral("Hasen.db"), Qt::CaseInsensitive) == 0) return tableTag(QDir(dir).filePath(name));
  return "<fehlt>";
}

void makeLink(const QString& target, const QString& link) {
  ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

qint64 sizeOf(const QString& dir, const QStringList& names) {
  qint64 sum = 0;
  for (const QString& n : names) sum += QFileInfo(QDir(dir).filePath(n)).size();
  return sum;
}

// Leaves `table` as a killed writer leaves it: a hot journal beside a half-changed file.
void killWriterMidTransaction(const QString& table) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(table).constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA cache_size=1; BEGIN; UPDATE t SET x = 'halb';", nullptr, nullptr,
                 nullptr);
    ::kill(::getpid(), SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
}

struct FreeSpace {
  explicit FreeSpace(qint64 bytes) {
    setFreeSpaceProbe([this](const QString&) { return free; });
    free = bytes;
  }
  ~FreeSpace() { setFreeSpaceProbe({}); }
  qint64 free;
};

struct Hooks {
  explicit Hooks(FaultHooks h) { setFaultHooks(std::move(h)); }
  ~Hooks() { setFaultHooks({}); }
};

// A program directory with data, a safety copy and a newer backup folder.
class SafetyRules : public ::testing::Test {
 protected:
  void SetUp() override {
    setFaultHooks(FaultHooks{true, {}, false});
    makeTable(paths.data + QStringLiteral("/Hasen.db"), "jetzt", 2000);
    makeTable(paths.data + QStringLiteral("/Rasse.db"), "jetzt");
    writeFile(paths.data + QStringLiteral("/Notizen.txt"), "aktuelle Notiz");
    writeFile(paths.data + QStringLiteral("/LIESMICH"), "ohne Endung");
    writeFile(paths.data + QStringLiteral("/Archiv.zip"), "zip");
    makeTable(paths.safety + QStringLiteral("/Hasen.db"), "uralt");
    makeTable(backup + QStringLiteral("/HASEN.DB"), "gesichert", 80);
    makeTable(backup + QStringLiteral("/Farbe.db"), "gesichert");
    makeTable(backup + QStringLiteral("/Rasse.db"), "gesichert");
    writeFile(backup + QStringLiteral("/Notizen.txt"), "gesicherte Notiz");
    setTime(backup + QStringLiteral("/HASEN.DB"), QDateTime::currentDateTime().addSecs(60));
  }
  void TearDown() override { setFaultHooks({}); }
  RestoreResult runRestore(const Progress& progress = {}) { return restore(paths, backup, progress, {}, {}); }

  test::TempDir prog;
  SafetyPaths paths{prog.path()};
  QString backup = prog.path() + QStringLiteral("/Sicherung");
  test::ScriptedDialogs dialogs;
};

const QString kNoBackup = QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!");

}  // namespace

// ------------------------------------------------------------------ names and tables

TEST_F(SafetyRules, DataFilesHaveAnExtensionAndNoSideFileOrHiddenNameAndSubFoldersGiveEveryFile) {
  const std::pair<const char*, bool> names[] = {
      {"Hasen.db", true},          {"Archiv.zip", true},        {"LIESMICH", false},
      {".versteckt.db", false},    {"Hasen.db-journal", false}, {"Hasen.db-wal", false},
      {"Hasen.db-shm", false},     {"Hasen.db-mj0A1F", false},  {"Hasen.db-mjx", true},
  };
  for (const auto& [name, data] : names) EXPECT_EQ(isDataFileName(QString::fromUtf8(name)), data) << name;

  const QString dir = prog.file(QStringLiteral("Ordner"));
  writeFile(dir + QStringLiteral("/Hasen.db"), "t");
  writeFile(dir + QStringLiteral("/Archiv.zip"), "z");
  writeFile(dir + QStringLiteral("/Suchindex.db"), "abgeleitet");
  writeFile(dir + QStringLiteral("/.versteckt/a.jpg"), "h");
  writeFile(dir + QStringLiteral("/Bilder/a.jpg"), "b");
  writeFile(dir + QStringLiteral("/Bilder/OHNEENDUNG"), "b");
  writeFile(dir + QStringLiteral("/Bilder/.b.jpg"), "h");
  writeFile(dir + QStringLiteral("/Bilder/c.db-journal"), "j");
  writeFile(dir + QStringLiteral("/Bilder/2024/d.jpg"), "d");
  makeLink(dir + QStringLiteral("/Bilder/a.jpg"), dir + QStringLiteral("/Bilder/Verweis.jpg"));
  makeLink(dir + QStringLiteral("/Bilder"), dir + QStringLiteral("/Verweis"));
  EXPECT_EQ(dataFiles(dir), (QStringList{QStringLiteral("Archiv.zip"), QStringLiteral("Hasen.db"),
                                         QStringLiteral("Bilder/2024/d.jpg"), QStringLiteral("Bilder/OHNEENDUNG"),
                                         QStringLiteral("Bilder/a.jpg")}));
  EXPECT_EQ(dataFiles(dir, false), (QStringList{QStringLiteral("Hasen.db"), QStringLiteral("Bilder/2024/d.jpg"),
                                                QStringLiteral("Bilder/OHNEENDUNG"), QStringLiteral("Bilder/a.jpg")}));
  EXPECT_TRUE(isBackupDirectory(backup));  // "HASEN.DB"
  EXPECT_FALSE(isBackupDirectory(dir + QStringLiteral("/Bilder")));
}

TEST_F(SafetyRules, ATableIsSoundWithTheHeaderAPassingCheckAndAtLeastOneTable) {
  const QString text = prog.file(QStringLiteral("Notiz.db"));
  writeFile(text, "SQLite format 3");  // 15 characters, no NUL: no header
  QString why;
  EXPECT_FALSE(isTableFile(text));
  EXPECT_FALSE(isSoundTable(text, &why));
  EXPECT_EQ(why, QStringLiteral("Die Datei Notiz.db ist keine Tabelle."));

  const QString empty = prog.file(QStringLiteral("Leer.db"));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(empty).constData(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version=1", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_TRUE(isTableFile(empty));
  EXPECT_FALSE(isSoundTable(empty, &why));
  EXPECT_EQ(why, QStringLiteral("Die Tabelle Leer.db ist beschädigt (keine Tabelle in der Datei)."));

  const QString one = prog.file(QStringLiteral("Eine.db"));
  makeTable(one, "eins");
  why = QStringLiteral("vorher");
  EXPECT_TRUE(isSoundTable(one, &why));
  EXPECT_EQ(why, QStringLiteral("vorher"));
  sqlite3_open(QFile::encodeName(one).constData(), &db);
  sqlite3_exec(db, "CREATE TABLE u(y)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_TRUE(isSoundTable(one));  // two tables
}

TEST_F(SafetyRules, ACheckedCopyRefusesAnyNameInTheWayAndKeepsTheModeOfAnExistingFolder) {
  const QString source = paths.data + QStringLiteral("/Notizen.txt");
  const QString target = prog.file(QStringLiteral("Ziel"));
  QString error;
  // A link in the way, even one that leads nowhere.
  QDir().mkpath(target);
  makeLink(target + QStringLiteral("/nirgends"), target + QStringLiteral("/Notizen.txt"));
  EXPECT_FALSE(copyChecked(source, target + QStringLiteral("/Notizen.txt"), &error));
  EXPECT_EQ(error, QStringLiteral("Die Datei ist im Ziel schon vorhanden."));
  EXPECT_EQ(linkTarget(target + QStringLiteral("/Notizen.txt")), target + QStringLiteral("/nirgends"));
  // A folder that cannot be made.
  writeFile(prog.file(QStringLiteral("Datei")), "x");
  EXPECT_FALSE(copyChecked(source, prog.file(QStringLiteral("Datei/Unter/Notizen.txt")), &error));
  EXPECT_EQ(error, QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.").arg(prog.file(QStringLiteral("Datei/Unter"))));
  // A source that cannot be read: said so, nothing left, also when nobody asks why.
  EXPECT_FALSE(copyChecked(paths.data + QStringLiteral("/fehlt.txt"), target + QStringLiteral("/fehlt.txt"), &error));
  EXPECT_EQ(error, QStringLiteral("Die Datei kann nicht kopiert werden."));
  EXPECT_FALSE(copyChecked(paths.data + QStringLiteral("/fehlt.txt"), target + QStringLiteral("/fehlt.txt")));
  EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("Notizen.txt")});

  // An existing folder keeps its mode; a new one gets the source folder's.
  ASSERT_EQ(::chmod(QFile::encodeName(paths.data).constData(), 0700), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0750), 0);
  error.clear();
  EXPECT_TRUE(copyChecked(source, target + QStringLiteral("/Kopie.txt"), &error));
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_EQ(modeOf(target), 0750u);
  EXPECT_TRUE(copyChecked(source, target + QStringLiteral("/Neu/Kopie.txt"), &error));
  EXPECT_EQ(modeOf(target + QStringLiteral("/Neu")), 0700u);
  EXPECT_EQ(readFile(target + QStringLiteral("/Neu/Kopie.txt")), QByteArray("aktuelle Notiz"));
  EXPECT_EQ(entries(target, true), (QStringList{QStringLiteral("Kopie.txt"), QStringLiteral("Neu"), QStringLiteral("Notizen.txt")}));
}

// ------------------------------------------------------------------ manifest

TEST_F(SafetyRules, TheManifestListsTheTopLevelTablesWithSizeAndChecksum) {
  const QString dir = prog.file(QStringLiteral("Daten2"));
  makeTable(dir + QStringLiteral("/Hasen.db"), "h", 20);
  writeFile(dir + QStringLiteral("/Notiz.txt"), "n");
  makeTable(dir + QStringLiteral("/Bilder/Bild.db"), "b");
  const QString target = prog.file(QStringLiteral("Ziel"));
  QDir().mkpath(target);
  ASSERT_TRUE(safety::backup(dir, target).failed.isEmpty());
  const Manifest m = readManifest(target);
  EXPECT_TRUE(m.present);
  EXPECT_TRUE(m.complete);
  ASSERT_EQ(m.tables.size(), 1u);
  EXPECT_EQ(m.tables[0].name, QStringLiteral("Hasen.db"));
  EXPECT_EQ(m.tables[0].size, QFileInfo(target + QStringLiteral("/Hasen.db")).size());
  QFile f(target + QStringLiteral("/Hasen.db"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(m.tables[0].sha256, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());

  // A folder without any table gets a complete manifest that lists none.
  const QString textOnly = prog.file(QStringLiteral("NurText"));
  const QString target2 = prog.file(QStringLiteral("Ziel2"));
  writeFile(textOnly + QStringLiteral("/Notiz.txt"), "n");
  QDir().mkpath(target2);
  ASSERT_TRUE(safety::backup(textOnly, target2).copied.size() == 1);
  const Manifest none = readManifest(target2);
  EXPECT_TRUE(none.present);
  EXPECT_TRUE(none.complete);
  EXPECT_TRUE(none.tables.empty());
}

TEST_F(SafetyRules, AManifestIsReadStrictly) {
  const QString dir = prog.file(QStringLiteral("Hand"));
  const QString path = dir + u'/' + QString::fromUtf16(kManifestName);
  const QByteArray head = "Lapiro Manager Datensicherung\nStand: 2026-01-01T10:00:00\nVollständig: ja\n";
  // Another head: no manifest.
  writeFile(path, "Andere Datensicherung\nVollständig: ja\nTabellen: 0\n");
  EXPECT_FALSE(readManifest(dir).present);
  // Cut before the table count: none either, and not complete.
  writeFile(path, head);
  EXPECT_FALSE(readManifest(dir).present);
  EXPECT_FALSE(readManifest(dir).complete);
  // A count that disagrees with the lines marks it incomplete.
  writeFile(path, head + "Tabellen: 0\nabc 12 Hasen.db\n");
  Manifest m = readManifest(dir);
  EXPECT_TRUE(m.present);
  EXPECT_FALSE(m.complete);
  EXPECT_EQ(m.tables.size(), 1u);
  // Fields are split at the first two blanks (names may hold blanks); malformed lines are
  // skipped; an empty size reads as 0, so that the table is still checked (and fails).
  writeFile(path, head + "Tabellen: 3\nabc 12 Mein Hasen.db\n 99 Rasse.db\nkaputt\nohne Farbe.db\nx 5 Kurz.db\nabc  Leer.db\n");
  m = readManifest(dir);
  EXPECT_TRUE(m.present);
  EXPECT_TRUE(m.complete);
  ASSERT_EQ(m.tables.size(), 3u);
  EXPECT_EQ(m.tables[2].name, QStringLiteral("Leer.db"));
  EXPECT_EQ(m.tables[2].size, 0);
  EXPECT_EQ(m.tables[0].name, QStringLiteral("Mein Hasen.db"));
  EXPECT_EQ(m.tables[0].size, 12);
  EXPECT_EQ(m.tables[0].sha256, QByteArray("abc"));
  EXPECT_EQ(m.tables[1].name, QStringLiteral("Kurz.db"));
  EXPECT_EQ(m.tables[1].size, 5);
  // "Vollständig: nein" is an incomplete backup.
  writeFile(path, "Lapiro Manager Datensicherung\nVollständig: nein\nTabellen: 0\n");
  EXPECT_FALSE(readManifest(dir).complete);
  EXPECT_TRUE(readManifest(dir).present);

  // Without an animal table a folder is refused in one line.
  EXPECT_EQ(checkSource(dir, paths.data).refusal, kNoBackup);
}

// ------------------------------------------------------------------ journals

TEST_F(SafetyRules, RollingBackAJournalSaysWhyOnlyWhenItFails) {
  const QString hasen = paths.data + QStringLiteral("/Hasen.db");
  QString why = QStringLiteral("unberührt");
  EXPECT_TRUE(rollBackHotJournal(paths.data + QStringLiteral("/Notizen.txt"), &why));  // no journal: not opened
  EXPECT_EQ(why, QStringLiteral("unberührt"));
  killWriterMidTransaction(hasen);
  ASSERT_GT(QFileInfo(hasen + QStringLiteral("-journal")).size(), 0);
  EXPECT_TRUE(rollBackHotJournal(hasen, &why));
  EXPECT_EQ(why, QStringLiteral("unberührt"));
  EXPECT_EQ(tableTag(hasen), QByteArray("jetzt"));
  EXPECT_FALSE(QFileInfo::exists(hasen + QStringLiteral("-journal")));

  killWriterMidTransaction(hasen);
  {
    test::FaultyVfs failing(QStringLiteral("/Hasen.db"), SQLITE_IOERR_WRITE);
    EXPECT_FALSE(rollBackHotJournal(hasen));  // nobody asks why
    EXPECT_FALSE(rollBackHotJournal(hasen, &why));
  }
  EXPECT_TRUE(why.startsWith(QStringLiteral("Fehler beim Schreiben oder Lesen auf dem Datenträger."))) << why.toStdString();

  // A stray journal of one byte is a journal too: rolled back (to nothing) and removed, so
  // that the backup can read the table.
  writeFile(paths.data + QStringLiteral("/Rasse.db-journal"), "x");
  const QString target = prog.file(QStringLiteral("Ziel"));
  QDir().mkpath(target);
  const BackupResult r = safety::backup(paths.data, target);
  EXPECT_FALSE(QFileInfo::exists(paths.data + QStringLiteral("/Rasse.db-journal")));
  EXPECT_TRUE(r.copied.contains(QStringLiteral("Rasse.db"))) << r.summary().toStdString();
}

// ------------------------------------------------------------------ backup

TEST_F(SafetyRules, TheBackupSummaryNamesWhatHappenedAndMarksAnIncompleteRun) {
  BackupResult refused;
  refused.refusal = QStringLiteral("nein");
  refused.copied << QStringLiteral("a");
  EXPECT_EQ(refused.summary(), QStringLiteral("nein"));

  BackupResult clean;
  clean.copied << QStringLiteral("a") << QStringLiteral("b") << QStringLiteral("c");
  EXPECT_EQ(clean.summary(), QStringLiteral("Die Datensicherung ist beendet.\nKopiert: 3 Dateien."));

  BackupResult again;
  again.existing << QStringLiteral("a.db") << QStringLiteral("b.db");
  EXPECT_EQ(again.summary(), QStringLiteral("Die Datensicherung ist beendet.\nKopiert: 0 Dateien.\n"
                                            "Im Zielverzeichnis schon vorhanden und nicht überschrieben (2): a.db, b.db"));

  BackupResult failed;
  failed.copied << QStringLiteral("a");
  failed.failed << QStringLiteral("b.db: kaputt");
  EXPECT_EQ(failed.summary(), QStringLiteral("Die Datensicherung ist beendet.\nKopiert: 1 Dateien.\nFehler beim Kopieren der "
                                             "Datei:\nb.db: kaputt\nDie Sicherung in diesem Verzeichnis ist als "
                                             "unvollständig gekennzeichnet."));

  BackupResult cancelled;
  cancelled.cancelled = true;
  cancelled.copied << QStringLiteral("a");
  cancelled.notReached << QStringLiteral("c") << QStringLiteral("d");
  EXPECT_EQ(cancelled.summary(), QStringLiteral("Die Datensicherung wurde abgebrochen.\nKopiert: 1 Dateien.\nNicht kopiert "
                                                "(abgebrochen): c, d\nDie Sicherung in diesem Verzeichnis ist als "
                                                "unvollständig gekennzeichnet."));
}

TEST_F(SafetyRules, BackupRefusesTheDataFolderAndItsSubFoldersButNotANeighbourOfSimilarName) {
  writeFile(paths.data + QStringLiteral("/Bilder/a.jpg"), "b");
  const QString own = QStringLiteral("Das Datenverzeichnis kann nicht in sich selbst gesichert werden.");
  EXPECT_EQ(safety::backup(paths.data, paths.data + QStringLiteral("/Bilder")).refusal, own);
  EXPECT_EQ(safety::backup(paths.data, paths.data).refusal, own);
  const QString neighbour = paths.data + QStringLiteral("2");
  QDir().mkpath(neighbour);
  const BackupResult r = safety::backup(paths.data, neighbour);
  EXPECT_TRUE(r.refusal.isEmpty()) << r.refusal.toStdString();
  EXPECT_EQ(r.copied.size(), 5);
  EXPECT_EQ(safety::backup(paths.data, prog.file(QStringLiteral("fehlt"))).refusal,
            QStringLiteral("Das Zielverzeichnis ist nicht vorhanden:\n%1").arg(prog.file(QStringLiteral("fehlt"))));
}

// Room to the byte: 1.4 MB needed with 0.5 MB free is refused with both figures; no room at
// all is refused; a disk whose free space is unknown refuses nothing.
TEST_F(SafetyRules, BackupNeedsRoomForWhatItCopiesAndSaysHowMuch) {
  const QString dir = prog.file(QStringLiteral("Gross"));
  writeFile(dir + QStringLiteral("/Gross.txt"), QByteArray(1468006, 'x'));  // 1.39999 MB
  const QString target = prog.file(QStringLiteral("Ziel"));
  QDir().mkpath(target);
  FreeSpace space(524288);
  EXPECT_EQ(safety::backup(dir, target).refusal,
            QStringLiteral("Im Zielverzeichnis ist nicht genug Platz: benötigt werden 1,4 MB, frei sind 0,5 MB."));
  space.free = 0;
  EXPECT_FALSE(safety::backup(dir, target).refusal.isEmpty());
  space.free = -1;
  const BackupResult r = safety::backup(dir, target);
  EXPECT_TRUE(r.refusal.isEmpty()) << r.refusal.toStdString();
  EXPECT_EQ(r.copied, QStringList{QStringLiteral("Gross.txt")});
}

// Files already in the target are counted but not shown; the checkpoints count from 0.
TEST_F(SafetyRules, BackupShowsEachFileWithItsNumberAmongAll) {
  const QString dir = prog.file(QStringLiteral("Drei"));
  for (const char* name : {"A.txt", "B.txt", "C.txt"}) writeFile(dir + u'/' + QString::fromUtf8(name), name);
  const QString target = prog.file(QStringLiteral("Ziel"));
  writeFile(target + QStringLiteral("/B.txt"), "schon da");
  QStringList shown;
  std::vector<int> steps;
  const BackupResult r = safety::backup(
      dir, target,
      Progress{[&](const QString& label, const QString& file, int n, int total) {
                 shown << QStringLiteral("%1 %2 %3/%4").arg(label, file).arg(n).arg(total);
               },
               [] { return false; }, [&](int step) { steps.push_back(step); }});
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Kopiere A.txt 1/3"), QStringLiteral("Kopiere C.txt 3/3")}));
  EXPECT_EQ(steps, (std::vector<int>{0, 1}));
  EXPECT_EQ(r.existing, QStringList{QStringLiteral("B.txt")});
  EXPECT_EQ(readFile(target + QStringLiteral("/B.txt")), QByteArray("schon da"));
}

// ------------------------------------------------------------------ restore

TEST_F(SafetyRules, RestoreClosesTheTablesBeforeItTouchesAFileAndReopensThemAtTheEnd) {
  for (const bool fromSafety : {false, true}) {
    QStringList events;
    dialogs.clear();
    dialogs.yes();
    if (fromSafety) dialogs.yes();  // the safety copy lacks Farbe.db
    const auto close = [&] {
      events << QStringLiteral("close");
      EXPECT_FALSE(QFileInfo::exists(paths.newSafety));
      EXPECT_EQ(animalsTag(paths.data), fromSafety ? QByteArray("gesichert") : QByteArray("jetzt"));
    };
    const auto reopen = [&] {
      events << QStringLiteral("reopen");
      EXPECT_EQ(animalsTag(paths.data), fromSafety ? QByteArray("jetzt") : QByteArray("gesichert"));
    };
    const RestoreResult r = fromSafety ? restoreSafetyCopy(paths, {}, close, reopen) : restore(paths, backup, {}, close, reopen);
    ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
    EXPECT_EQ(events, (QStringList{QStringLiteral("close"), QStringLiteral("reopen")})) << fromSafety;
  }
}

// The safety copy takes exactly what the restore replaces or drops; what it does not restore
// carries over: files without extension, archives, links (whatever their target), pictures the
// backup does not hold. Work files, side files and a stale restore mark never carry over.
TEST_F(SafetyRules, RestoreCountsEachPhaseFromOneAndCarriesOverOnlyWhatItDoesNotReplace) {
  writeFile(paths.data + QStringLiteral("/Bilder/alt.jpg"), "altes Bild");
  writeFile(paths.data + QStringLiteral("/Bilder/neu.jpg"), "neues Bild");
  writeFile(backup + QStringLiteral("/Bilder/alt.jpg"), "gesichertes Bild");
  writeFile(paths.data + QStringLiteral("/.~Notizen.txt.part"), "halbe Kopie");
  writeFile(paths.data + QStringLiteral("/Notizen.txt-journal"), "Rest");
  writeFile(paths.data + QStringLiteral("/.lapiro-ruecksicherung"), "alte Marke");
  const QString longTarget(4095, u'z');
  makeLink(QStringLiteral("a"), paths.data + QStringLiteral("/kurz"));
  makeLink(longTarget, paths.data + QStringLiteral("/lang"));
  QStringList shown;
  dialogs.yes();
  const RestoreResult r = runRestore(Progress{[&](const QString& label, const QString&, int n, int total) {
                                                shown << QStringLiteral("%1 %2/%3").arg(label).arg(n).arg(total);
                                              },
                                              [] { return false; }, {}});
  ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
  EXPECT_EQ(r.message, QStringLiteral("Die Rücksicherung ist abgeschlossen: 5 Dateien zurückgespielt. Die bisherigen Daten "
                                      "liegen in der Sicherheitskopie „Datensik“."));
  // Safety copy: Bilder/alt.jpg, Hasen.db, Notizen.txt, Rasse.db; backup: five files; carried:
  // Archiv.zip, LIESMICH, Bilder/neu.jpg.
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Kopiere 1/4"), QStringLiteral("Kopiere 2/4"), QStringLiteral("Kopiere 3/4"),
                                QStringLiteral("Kopiere 4/4"), QStringLiteral("Kopiere 1/5"), QStringLiteral("Kopiere 2/5"),
                                QStringLiteral("Kopiere 3/5"), QStringLiteral("Kopiere 4/5"), QStringLiteral("Kopiere 5/5"),
                                QStringLiteral("Kopiere 1/3"), QStringLiteral("Kopiere 2/3"), QStringLiteral("Kopiere 3/3")}));
  EXPECT_EQ(entries(paths.safety), (QStringList{QStringLiteral("Bilder"), QStringLiteral("Hasen.db"),
                                               QStringLiteral("Notizen.txt"), QStringLiteral("Rasse.db")}));
  EXPECT_EQ(entries(paths.safety + QStringLiteral("/Bilder")), QStringList{QStringLiteral("alt.jpg")});
  EXPECT_EQ(entries(paths.data, true),
            (QStringList{QStringLiteral("Archiv.zip"), QStringLiteral("Bilder"), QStringLiteral("Farbe.db"),
                         QStringLiteral("HASEN.DB"), QStringLiteral("LIESMICH"), QStringLiteral("Notizen.txt"),
                         QStringLiteral("Rasse.db"), QStringLiteral("kurz"), QStringLiteral("lang")}));
  EXPECT_EQ(readFile(paths.data + QStringLiteral("/Bilder/alt.jpg")), QByteArray("gesichertes Bild"));
  EXPECT_EQ(readFile(paths.data + QStringLiteral("/Bilder/neu.jpg")), QByteArray("neues Bild"));
  EXPECT_EQ(linkText(paths.data + QStringLiteral("/kurz")), QByteArray("a"));
  EXPECT_EQ(linkText(paths.data + QStringLiteral("/lang")), longTarget.toUtf8());
}

TEST_F(SafetyRules, RestoreNeedsRoomForTheSafetyCopyTheBackupAndWhatCarriesOver) {
  // Replaced: Hasen.db, Notizen.txt, Rasse.db; restored: the backup's four files; carried:
  // Archiv.zip, LIESMICH.
  const qint64 needed = sizeOf(paths.data, {QStringLiteral("Hasen.db"), QStringLiteral("Notizen.txt"), QStringLiteral("Rasse.db")}) +
                        sizeOf(backup, {QStringLiteral("HASEN.DB"), QStringLiteral("Farbe.db"), QStringLiteral("Rasse.db"),
                                        QStringLiteral("Notizen.txt")}) +
                        sizeOf(paths.data, {QStringLiteral("Archiv.zip"), QStringLiteral("LIESMICH")});
  FreeSpace space(needed - 1);
  dialogs.yes();
  EXPECT_EQ(runRestore().status, RestoreStatus::Refused);
  const QString text = dialogs.texts().value(1);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^Für die Rücksicherung ist nicht genug Platz: benötigt werden [0-9]+,[0-9] MB\\.$"))
                  .match(text)
                  .hasMatch())
      << text.toStdString();
  EXPECT_EQ(tableTag(paths.data + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));
  space.free = needed;
  dialogs.yes();
  EXPECT_EQ(runRestore().status, RestoreStatus::Restored);
  space.free = -1;  // unknown: refuses nothing
  dialogs.yes().yes();
  EXPECT_EQ(restoreSafetyCopy(paths, {}, {}, {}).status, RestoreStatus::Restored);
}

TEST_F(SafetyRules, ACancelOrAFailureWhileTheSafetyCopyIsMadeChangesNothing) {
  dialogs.yes();
  RestoreResult r = runRestore(Progress{{}, [] { return true; }, {}});
  EXPECT_EQ(r.status, RestoreStatus::Cancelled);
  EXPECT_EQ(r.message, QStringLiteral("Die Rücksicherung wurde abgebrochen. Die Daten sind unverändert."));

  // A damaged current table: its copy into the safety copy fails the check.
  QFile damaged(paths.data + QStringLiteral("/Rasse.db"));
  ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
  damaged.seek(100);
  damaged.write(QByteArray(1000, '\xff'));
  damaged.close();
  dialogs.yes();
  r = runRestore();
  EXPECT_EQ(r.status, RestoreStatus::Failed);
  EXPECT_TRUE(r.message.startsWith(QStringLiteral("Fehler beim Kopieren der Datei:\nRasse.db ("))) << r.message.toStdString();
  EXPECT_TRUE(r.message.endsWith(QStringLiteral(")\nDie Rücksicherung wurde nicht ausgeführt. Die Daten sind unverändert.")))
      << r.message.toStdString();
  EXPECT_EQ(tableTag(paths.data + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));
  EXPECT_EQ(tableTag(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("uralt"));
  EXPECT_FALSE(QFileInfo::exists(paths.newSafety));
  EXPECT_FALSE(QFileInfo::exists(paths.newData));
}

// A backup as old as the data (taken just now) and the safety copy (always older) ask no age
// question; a backup whose only fault is an incomplete run asks once more.
TEST_F(SafetyRules, OnlyAnOlderBackupAsksAboutItsAgeAndAnIncompleteOneAsksToGoOn) {
  const QString fresh = prog.file(QStringLiteral("Frisch"));
  QDir().mkpath(fresh);
  ASSERT_TRUE(safety::backup(paths.data, fresh).failed.isEmpty());
  dialogs.yes();
  ASSERT_EQ(restore(paths, fresh, {}, {}, {}).status, RestoreStatus::Restored);
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Wirklich zurückspielen?")});

  setTime(paths.safety + QStringLiteral("/Hasen.db"), QDateTime::currentDateTime().addDays(-3));
  dialogs.clear();
  dialogs.yes();
  ASSERT_EQ(restoreSafetyCopy(paths, {}, {}, {}).status, RestoreStatus::Restored);
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Die Sicherheitskopie „Datensik“ zurückholen? Die jetzigen Daten "
                                                        "werden dabei zur neuen Sicherheitskopie.")});

  // The same fresh backup marked incomplete.
  const QString manifest = fresh + u'/' + QString::fromUtf16(kManifestName);
  QByteArray text = readFile(manifest);
  text.replace("Vollständig: ja", "Vollständig: nein");
  writeFile(manifest, text);
  dialogs.clear();
  dialogs.yes().no();
  EXPECT_EQ(restore(paths, fresh, {}, {}, {}).status, RestoreStatus::Refused);
  EXPECT_EQ(dialogs.texts().value(1), QStringLiteral("Die Datensicherung in diesem Verzeichnis wurde abgebrochen oder ist "
                                                     "nicht vollständig.\nTrotzdem zurückspielen?"));
}

TEST_F(SafetyRules, RestoreRefusesLinksFoldersInsideItsOwnAndAMissingSafetyCopy) {
  makeLink(backup, prog.file(QStringLiteral("Verweis")));
  const auto refusal = [&](const QString& source) {
    dialogs.clear();
    const RestoreResult r = restore(paths, source, {}, {}, {});
    EXPECT_EQ(r.status, RestoreStatus::Refused) << source.toStdString();
    return r.message;
  };
  EXPECT_EQ(refusal(prog.file(QStringLiteral("Verweis"))), kNoBackup);
  writeFile(paths.data + QStringLiteral("/Bilder/a.jpg"), "b");
  EXPECT_EQ(refusal(paths.data + QStringLiteral("/Bilder")), kNoBackup);
  makeTable(paths.data + QStringLiteral("/Sicherung/Hasen.db"), "innen");
  EXPECT_EQ(refusal(paths.data + QStringLiteral("/Sicherung")),
            QStringLiteral("Das Datenverzeichnis und die Sicherheitskopie können nicht zurückgespielt werden."));
  EXPECT_EQ(tableTag(paths.data + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));

  QFile::remove(paths.safety + QStringLiteral("/Hasen.db"));
  dialogs.clear();
  const RestoreResult none = restoreSafetyCopy(paths, {}, {}, {});
  EXPECT_EQ(none.status, RestoreStatus::Refused);
  EXPECT_EQ(none.message, QStringLiteral("Es ist keine Sicherheitskopie vorhanden."));
}

// ------------------------------------------------------------------ work copies left behind

TEST_F(SafetyRules, ALeftoverWorkCopyIsRebuiltWhenItHoldsNothingAndKeptWhenItHoldsAnExtra) {
  // No safety copy yet, an empty work copy from a cut first restore.
  QDir(paths.safety).removeRecursively();
  QDir().mkpath(paths.newSafety);
  recoverInterruptedRestore(paths);
  EXPECT_FALSE(QFileInfo::exists(paths.safety));  // an unmarked work copy is no safety copy
  dialogs.yes();
  RestoreResult r = runRestore();
  ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
  EXPECT_EQ(tableTag(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));

  // A work copy holding a note the safety copy holds too: nothing is built over it.
  writeFile(paths.safety + QStringLiteral("/LIESMICH"), "neu");
  writeFile(paths.newSafety + QStringLiteral("/LIESMICH"), "nur hier");
  dialogs.yes();
  r = runRestore();
  EXPECT_EQ(r.status, RestoreStatus::Failed);
  EXPECT_EQ(r.message, QStringLiteral("Die Sicherheitskopie kann nicht angelegt werden: „%1“ ist noch vorhanden.\nDie "
                                      "Rücksicherung wurde nicht ausgeführt. Die Daten sind unverändert.")
                           .arg(QDir::toNativeSeparators(paths.newSafety)));
  EXPECT_EQ(readFile(paths.newSafety + QStringLiteral("/LIESMICH")), QByteArray("nur hier"));
}

TEST_F(SafetyRules, TheRecoveryGivesAMarkedWorkCopyItsNameAndNeverWritesThroughALink) {
  // A complete work copy cut off from its name while the data was not yet replaced.
  QDir(paths.safety).removeRecursively();
  makeTable(paths.newSafety + QStringLiteral("/Hasen.db"), "vorher");
  writeFile(paths.newSafety + QStringLiteral("/.lapiro-sicherheitskopie"), "Lauf 1");
  recoverInterruptedRestore(paths);
  EXPECT_EQ(tableTag(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("vorher"));
  EXPECT_FALSE(QFileInfo::exists(paths.newSafety));
  // Likewise the previous copy cut off as "Datensik.alt".
  QDir().rename(paths.safety, paths.oldSafety);
  recoverInterruptedRestore(paths);
  EXPECT_EQ(tableTag(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("vorher"));
  EXPECT_FALSE(QFileInfo::exists(paths.oldSafety));

  // A link in the place of "daten" or "Datensik" is left as it is, with and without an
  // atomic exchange.
  for (const bool atomic : {true, false}) {
    Hooks hooks(FaultHooks{atomic, {}, false});
    const QString elsewhere = prog.file(QStringLiteral("anderswo"));
    QDir(paths.safety).removeRecursively();
    QDir(elsewhere).removeRecursively();
    QDir().mkpath(elsewhere);
    makeLink(elsewhere, paths.safety);
    writeFile(paths.oldSafety + QStringLiteral("/LIESMICH"), "alt");
    recoverInterruptedRestore(paths);
    EXPECT_EQ(QFileInfo(paths.safety).symLinkTarget(), elsewhere) << atomic;
    EXPECT_TRUE(QDir(elsewhere).isEmpty()) << atomic;
    EXPECT_EQ(readFile(paths.oldSafety + QStringLiteral("/LIESMICH")), QByteArray("alt")) << atomic;
    QFile::remove(paths.safety);
    QDir(paths.oldSafety).removeRecursively();

    QDir(paths.data).rename(paths.data, paths.oldData);
    makeLink(prog.file(QStringLiteral("nirgends")), paths.data);
    recoverInterruptedRestore(paths);
    EXPECT_EQ(QFileInfo(paths.data).symLinkTarget(), prog.file(QStringLiteral("nirgends"))) << atomic;
    EXPECT_TRUE(QFileInfo(paths.oldData).isDir()) << atomic;
    QFile::remove(paths.data);
    QDir().rename(paths.oldData, paths.data);
  }
}

// The previous safety copy's extras move into the new one: a kept folder whose name is taken
// gets the next free number, another extra of a taken name waits in the old copy, which stays
// until nothing of it is left.
TEST_F(SafetyRules, ExtrasOfThePreviousSafetyCopyMoveUnderFreeNames) {
  for (const char* folder : {"daten-A", "daten-B", "daten-B-2"})
    writeFile(paths.safety + u'/' + QString::fromUtf8(folder) + QStringLiteral("/Hasen.db"), folder);
  writeFile(paths.safety + QStringLiteral("/LIESMICH"), "neu");
  writeFile(paths.oldSafety + QStringLiteral("/daten-A/Hasen.db"), "A alt");
  writeFile(paths.oldSafety + QStringLiteral("/daten-B/Hasen.db"), "B alt");
  writeFile(paths.oldSafety + QStringLiteral("/Alte Daten/hasen.db"), "ohne Namen");
  writeFile(paths.oldSafety + QStringLiteral("/Bilder/x.jpg"), "Teil der Kopie");
  writeFile(paths.oldSafety + QStringLiteral("/.versteckt/x"), "Marke");
  writeFile(paths.oldSafety + QStringLiteral("/LIESMICH"), "alt");
  writeFile(paths.oldSafety + QStringLiteral("/Alt.zip"), "Archiv");
  writeFile(paths.oldSafety + QStringLiteral("/Hasen.db"), "Teil der Kopie");
  recoverInterruptedRestore(paths);
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/daten-A-2/Hasen.db")), QByteArray("A alt"));
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/daten-B-3/Hasen.db")), QByteArray("B alt"));
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/daten-B-2/Hasen.db")), QByteArray("daten-B-2"));
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/Alte Daten/hasen.db")), QByteArray("ohne Namen"));
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/Alt.zip")), QByteArray("Archiv"));
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/LIESMICH")), QByteArray("neu"));
  EXPECT_FALSE(QFileInfo::exists(paths.safety + QStringLiteral("/Bilder")));
  EXPECT_FALSE(QFileInfo::exists(paths.safety + QStringLiteral("/.versteckt")));
  EXPECT_EQ(readFile(paths.oldSafety + QStringLiteral("/LIESMICH")), QByteArray("alt"));

  QFile::remove(paths.safety + QStringLiteral("/LIESMICH"));
  recoverInterruptedRestore(paths);
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/LIESMICH")), QByteArray("alt"));
  EXPECT_FALSE(QFileInfo::exists(paths.oldSafety));

  // Links are extras whatever their name, and only real folders are kept folders: a file or a
  // link whose name is taken waits, like any other extra, instead of taking a number; so does
  // an extra whose name a link in Datensik holds.
  const QString elsewhere = prog.file(QStringLiteral("anderswo"));
  QDir().mkpath(elsewhere);
  writeFile(paths.safety + QStringLiteral("/daten-notiz"), "neu");
  makeLink(elsewhere, paths.safety + QStringLiteral("/daten-verweis"));
  makeLink(prog.file(QStringLiteral("nirgends")), paths.safety + QStringLiteral("/NOTIZ"));
  writeFile(paths.oldSafety + QStringLiteral("/daten-notiz"), "alt");
  makeLink(elsewhere, paths.oldSafety + QStringLiteral("/daten-verweis"));
  writeFile(paths.oldSafety + QStringLiteral("/NOTIZ"), "alt");
  makeLink(elsewhere, paths.oldSafety + QStringLiteral("/Verweis"));
  makeLink(elsewhere, paths.oldSafety + QStringLiteral("/Bild.jpg"));
  recoverInterruptedRestore(paths);
  EXPECT_EQ(linkTarget(paths.safety + QStringLiteral("/Verweis")), elsewhere);
  EXPECT_EQ(linkTarget(paths.safety + QStringLiteral("/Bild.jpg")), elsewhere);
  EXPECT_EQ(entries(paths.oldSafety), (QStringList{QStringLiteral("NOTIZ"), QStringLiteral("daten-notiz"),
                                                   QStringLiteral("daten-verweis")}));
  EXPECT_EQ(readFile(paths.safety + QStringLiteral("/daten-notiz")), QByteArray("neu"));
  EXPECT_EQ(linkText(paths.safety + QStringLiteral("/NOTIZ")), QFile::encodeName(prog.file(QStringLiteral("nirgends"))));
  EXPECT_TRUE(QDir(elsewhere).isEmpty());
}

// Without an atomic exchange, the new safety copy cannot take the name "Datensik": the previous
// one goes back to it at once, and the next start makes the waiting copy the safety copy.
TEST_F(SafetyRules, WhenTheNewSafetyCopyCannotTakeItsNameThePreviousOneGoesBack) {
  {
    Hooks hooks(FaultHooks{false, [&](const QString& from, const QString&) { return from == paths.newSafety ? EIO : 0; }, false});
    dialogs.yes();
    const RestoreResult r = runRestore();
    ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
    EXPECT_TRUE(r.warning);
    EXPECT_EQ(r.message, QStringLiteral("Die Rücksicherung ist ausgeführt: 4 Dateien zurückgespielt. Die Sicherheitskopie "
                                        "„Datensik“ kann aber nicht ersetzt werden (%1). Die bisherigen Daten liegen "
                                        "vollständig in „%2“ und werden beim nächsten Programmstart zur Sicherheitskopie.")
                             .arg(QString::fromLocal8Bit(std::strerror(EIO)), QDir::toNativeSeparators(paths.newSafety)));
    EXPECT_EQ(tableTag(paths.data + QStringLiteral("/HASEN.DB")), QByteArray("gesichert"));
    EXPECT_EQ(tableTag(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("uralt"));
    EXPECT_FALSE(QFileInfo::exists(paths.oldSafety));
  }
  recoverInterruptedRestore(paths);
  EXPECT_EQ(tableTag(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));
  EXPECT_FALSE(QFileInfo::exists(paths.newSafety));
}

// With an atomic exchange that fails, the data is swapped by two renames; when the second one
// fails too, the previous data goes back and nothing has changed.
TEST_F(SafetyRules, AFailingExchangeFallsBackToRenamesAndAFailingRenameUndoesTheRestore) {
  Hooks hooks(FaultHooks{true, [&](const QString& from, const QString&) { return from == paths.newData ? EIO : 0; }, false});
  dialogs.yes();
  const RestoreResult r = runRestore();
  EXPECT_EQ(r.status, RestoreStatus::Failed);
  EXPECT_EQ(r.message, QStringLiteral("Das Datenverzeichnis kann nicht ersetzt werden (%1).\nDie Rücksicherung wurde nicht "
                                      "ausgeführt. Die Daten sind unverändert.")
                           .arg(QString::fromLocal8Bit(std::strerror(EIO))));
  EXPECT_EQ(tableTag(paths.data + QStringLiteral("/Hasen.db")), QByteArray("jetzt"));
  EXPECT_EQ(tableTag(paths.safety + QStringLiteral("/Hasen.db")), QByteArray("uralt"));
  for (const QString& work : {paths.newData, paths.oldData, paths.newSafety, paths.oldSafety})
    EXPECT_FALSE(QFileInfo::exists(work)) << work.toStdString();
}

// "Ja" to the tables the backup lacks: the current copies stay in the data and are no part of
// the safety copy, which holds what was replaced.
TEST_F(SafetyRules, ATableTheBackupLacksStaysInTheDataAndOutOfTheSafetyCopy) {
  QFile::remove(backup + QStringLiteral("/Rasse.db"));
  dialogs.yes().yes();
  const RestoreResult r = runRestore();
  ASSERT_EQ(r.status, RestoreStatus::Restored) << r.message.toStdString();
  EXPECT_TRUE(dialogs.texts().value(1).contains(QStringLiteral("Im Sicherungsverzeichnis fehlen diese Tabellen: Rasse.db.")));
  EXPECT_EQ(tableTag(paths.data + QStringLiteral("/Rasse.db")), QByteArray("jetzt"));
  EXPECT_EQ(entries(paths.safety), (QStringList{QStringLiteral("Hasen.db"), QStringLiteral("Notizen.txt")}));
}

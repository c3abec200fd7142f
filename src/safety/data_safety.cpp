#include "safety/data_safety.h"

#include "engine/sqlite_errors.h"
#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/keyword_index.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStorageInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace lapiro::safety {

namespace {

const QString kKopiere = QStringLiteral("Kopiere");
const QString kLoesche = QStringLiteral("Lösche");
// In "daten.neu" (and, after the swap, in "daten"): the name of the restore that built it.
const QString kRestoreName = QStringLiteral(".lapiro-ruecksicherung");
// In "Datensik.neu", written last: the name of the restore it belongs to.
const QString kSafetyMark = QStringLiteral(".lapiro-sicherheitskopie");

FaultHooks& hooks() {
  static FaultHooks h;
  return h;
}

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// fsync(), unless a test switched it off.
bool syncFile(int fd) { return !hooks().sync || ::fsync(fd) == 0; }

std::function<qint64(const QString&)>& freeSpaceProbe() {
  static std::function<qint64(const QString&)> probe;
  return probe;
}

// Bytes free on the file system holding `dir`; -1 when unknown, which refuses nothing.
qint64 bytesFree(const QString& dir) {
  if (freeSpaceProbe()) return freeSpaceProbe()(dir);
  const QStorageInfo storage(dir);
  return storage.isValid() ? storage.bytesAvailable() : -1;
}

void syncPath(const QString& path, bool directory) {
  if (!hooks().sync) return;
  const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | (directory ? O_DIRECTORY : 0));
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool injectedFault(const QString& from, const QString& to) {
  if (!hooks().renameFault) return false;
  const int err = hooks().renameFault(from, to);
  if (err == 0) return false;
  errno = err;
  return true;
}

// Renames `from` to `to` unless `to` exists; false (and errno) otherwise.
bool renameNoReplace(const QString& from, const QString& to) {
  if (injectedFault(from, to)) return false;
  if (hooks().atomicExchange) {
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
  }
  if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
    errno = EEXIST;
    return false;
  }
  return ::rename(native(from).constData(), native(to).constData()) == 0;
}

// Exchanges two existing directories atomically; false when the file system cannot.
bool exchange(const QString& a, const QString& b) {
  if (!hooks().atomicExchange) {
    errno = EINVAL;
    return false;
  }
  if (injectedFault(a, b)) return false;
  return ::renameat2(AT_FDCWD, native(a).constData(), AT_FDCWD, native(b).constData(), RENAME_EXCHANGE) == 0;
}

bool removeTree(const QString& path) {
  QDir dir(path);
  return !dir.exists() || dir.removeRecursively();
}

bool isDir(const QString& path) { return QFileInfo(path).isDir() && !QFileInfo(path).isSymLink(); }

QString findCaseless(const QString& dir, const QString& name) {
  const QDir d(dir);
  for (const QString& entry : d.entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return d.filePath(entry);
  return {};
}

qint64 totalSize(const QString& dir, const QStringList& names) {
  qint64 sum = 0;
  for (const QString& n : names) sum += QFileInfo(QDir(dir).filePath(n)).size();
  return sum;
}

bool isSideFile(const QString& name) {
  static const QRegularExpression side(QStringLiteral(R"((-journal|-wal|-shm|-mj[0-9A-Fa-f]+)$)"));
  return side.match(name).hasMatch();
}

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Creates `path` with the permission bits of `model` (when it exists).
bool makeDirLike(const QString& path, const QString& model) {
  if (!QDir().mkpath(path)) return false;
  struct stat st {};
  if (!model.isEmpty() && ::stat(native(model).constData(), &st) == 0)
    ::chmod(native(path).constData(), st.st_mode & 07777);
  return true;
}

QByteArray readSmall(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.read(4096).trimmed();
}

// A sub-folder of the safety copy that is no part of it: a whole data directory kept there
// (the first start and the installer move a user's old data to "Datensik/daten-<date>-<time>").
bool isKeptFolder(const QFileInfo& fi) {
  if (!fi.isDir() || fi.isSymLink() || fi.fileName().startsWith(u'.')) return false;
  return fi.fileName().startsWith(QStringLiteral("daten-"), Qt::CaseInsensitive) ||
         !findCaseless(fi.absoluteFilePath(), QStringLiteral("Hasen.DB")).isEmpty();
}

// What a safety copy holds beside the copy itself: kept data folders, and files of its top
// level that restore never writes (no extension, zip archives). Hidden entries are the copy's
// own marks.
QStringList safetyExtras(const QString& safetyDir) {
  QStringList out;
  const QFileInfoList entries =
      QDir(safetyDir).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
  for (const QFileInfo& fi : entries) {
    const QString name = fi.fileName();
    if (name.startsWith(u'.')) continue;
    if (fi.isDir() && !fi.isSymLink()) {
      if (isKeptFolder(fi)) out << name;
    } else if (fi.isSymLink() || !isDataFileName(name) || name.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive)) {
      out << name;
    }
  }
  return out;
}

// Moves the extras of the safety copy `from`, which is about to be removed, into the safety
// copy `to`. A kept folder whose name `to` already holds moves under a numbered name; another
// extra of the same name in `to` wins. Each move is one rename, so an interruption leaves every
// extra in one of the two places, and the next call moves the rest.
void moveSafetyExtras(const QString& from, const QString& to) {
  if (!isDir(from) || !isDir(to)) return;
  bool moved = false;
  for (const QString& name : safetyExtras(from)) {
    const QString source = QDir(from).filePath(name);
    QString target = QDir(to).filePath(name);
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
      if (!isKeptFolder(QFileInfo(source))) continue;
      const QString base = target;
      for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n) target = base + u'-' + QString::number(n);
    }
    moved = ::rename(native(source).constData(), native(target).constData()) == 0 || moved;
  }
  if (moved) syncPath(to, true);
}

// Removes a safety copy that has been replaced by "Datensik", its extras moved there first.
// An extra that cannot be moved keeps the whole copy in place.
void removeOldSafety(const QString& oldSafety, const QString& safety) {
  if (!isDir(oldSafety)) return;
  moveSafetyExtras(oldSafety, safety);
  if (isDir(safety) && safetyExtras(oldSafety).isEmpty()) removeTree(oldSafety);
}

// Writes a small file and puts it on the disk before returning.
bool writeSynced(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  bool ok = f.write(bytes) == bytes.size() && f.flush() && syncFile(f.handle());
  f.close();
  syncPath(QFileInfo(path).absolutePath(), true);
  return ok;
}

QByteArray sha256Of(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash h(QCryptographicHash::Sha256);
  if (!h.addData(&f)) return {};
  return h.result().toHex();
}

QString sqliteFailure(sqlite3* db, int rc, const QString& file) {
  return engine::sqliteErrorMessage(db ? sqlite3_extended_errcode(db) : rc, QFileInfo(file).fileName(),
                                    db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)));
}

bool copySqlite(const QString& source, const QString& target, QString* error) {
  sqlite3* src = nullptr;
  sqlite3* dst = nullptr;
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    if (src) sqlite3_close_v2(src);
    if (dst) sqlite3_close_v2(dst);
    return false;
  };
  int rc = sqlite3_open_v2(native(source).constData(), &src, SQLITE_OPEN_READONLY, nullptr);
  if (rc != SQLITE_OK) return fail(sqliteFailure(src, rc, source));
  sqlite3_busy_timeout(src, 5000);
  rc = sqlite3_open_v2(native(target).constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) return fail(sqliteFailure(dst, rc, target));
  sqlite3_busy_timeout(dst, 5000);
  if (!hooks().sync) sqlite3_exec(dst, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
  sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
  if (!b) return fail(sqliteFailure(dst, sqlite3_errcode(dst), target));
  // One step for the whole file: the source stays read-locked, so the copy is one snapshot.
  do {
    rc = sqlite3_backup_step(b, -1);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(20);
  } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
  sqlite3_backup_finish(b);
  if (rc != SQLITE_DONE) return fail(engine::sqliteErrorMessage(rc, QFileInfo(source).fileName(), QString::fromUtf8(sqlite3_errstr(rc))));
  sqlite3_close_v2(src);
  src = nullptr;
  // The copy must be sound before it counts.
  sqlite3_stmt* st = nullptr;
  QString verdict;
  if (sqlite3_prepare_v2(dst, "PRAGMA quick_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
    verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  if (verdict != QStringLiteral("ok"))
    return fail(QStringLiteral("Prüfung der Kopie fehlgeschlagen (%1)").arg(verdict.isEmpty() ? sqliteFailure(dst, sqlite3_errcode(dst), target) : verdict));
  sqlite3_close_v2(dst);
  return true;
}

}  // namespace

bool isDataFileName(const QString& name) {
  if (!name.contains(u'.') || name.startsWith(u'.')) return false;
  return !isSideFile(name);
}

namespace {

// The files of the sub-folder `rel` of `root` (paths relative to `root`), hidden entries,
// links and SQLite side files left out.
void subFolderFiles(const QString& root, const QString& rel, QStringList& out) {
  const QFileInfoList entries =
      QDir(QDir(root).filePath(rel)).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
  for (const QFileInfo& fi : entries) {
    const QString name = fi.fileName();
    if (name.startsWith(u'.') || fi.isSymLink()) continue;
    const QString path = rel + u'/' + name;
    if (fi.isDir())
      subFolderFiles(root, path, out);
    else if (!isSideFile(name))
      out << path;
  }
}

}  // namespace

QStringList dataFiles(const QString& dir, bool withZip) {
  QStringList out, deeper;
  const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QFileInfo& fi : entries) {
    const QString name = fi.fileName();
    if (!isDataFileName(name)) continue;
    if (!withZip && name.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive)) continue;
    // The keyword index is derived from the tables and built again when it is missing or
    // older than they are: it is neither backed up nor restored.
    if (name.compare(QString::fromUtf16(store::KeywordIndex::kFileName), Qt::CaseInsensitive) == 0) continue;
    out << name;
  }
  // Sub-folders (the pictures): every file, whatever its name.
  for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
    if (!fi.fileName().startsWith(u'.') && !fi.isSymLink()) subFolderFiles(dir, fi.fileName(), deeper);
  return out + deeper;
}

bool isBackupDirectory(const QString& dir) { return !findCaseless(dir, QStringLiteral("Hasen.DB")).isEmpty(); }

bool isTableFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool isSoundTable(const QString& path, QString* why) {
  const QString name = QFileInfo(path).fileName();
  if (!isTableFile(path)) {
    if (why) *why = QStringLiteral("Die Datei %1 ist keine Tabelle.").arg(name);
    return false;
  }
  sqlite3* db = nullptr;
  QString verdict;
  int rc = sqlite3_open_v2(native(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
      verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    // A table file holds at least one table.
    if (verdict == QStringLiteral("ok") &&
        sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) == 0)
      verdict = QStringLiteral("keine Tabelle in der Datei");
    sqlite3_finalize(st);
  }
  if (verdict == QStringLiteral("ok")) {
    sqlite3_close_v2(db);
    return true;
  }
  if (why)
    *why = QStringLiteral("Die Tabelle %1 ist beschädigt (%2).")
               .arg(name, verdict.isEmpty() ? sqliteFailure(db, db ? sqlite3_errcode(db) : rc, path) : verdict);
  sqlite3_close_v2(db);
  return false;
}

bool copyChecked(const QString& source, const QString& target, QString* error) {
  const QFileInfo src(source), dst(target);
  if (dst.exists() || dst.isSymLink()) {
    if (error) *error = QStringLiteral("Die Datei ist im Ziel schon vorhanden.");
    return false;
  }
  if (!isDir(dst.absolutePath()) && !makeDirLike(dst.absolutePath(), src.absolutePath())) {
    if (error) *error = QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.").arg(dst.absolutePath());
    return false;
  }
  const QString tmp = dst.absolutePath() + QStringLiteral("/.~") + dst.fileName() + QStringLiteral(".part");
  QFile::remove(tmp);
  bool ok;
  if (isTableFile(source)) {
    ok = copySqlite(source, tmp, error);
  } else {
    ok = QFile::copy(source, tmp);
    if (!ok && error) *error = QStringLiteral("Die Datei kann nicht kopiert werden.");
    if (ok && QFileInfo(tmp).size() != src.size()) {
      ok = false;
      if (error) *error = QStringLiteral("Die Kopie ist unvollständig.");
    }
  }
  if (ok) {
    QFile f(tmp);
    if (f.open(QIODevice::ReadWrite)) {
      f.setFileTime(src.lastModified(), QFileDevice::FileModificationTime);
      ok = syncFile(f.handle());
      f.close();
      if (!ok && error) *error = QStringLiteral("Die Kopie kann nicht auf die Platte geschrieben werden.");
    } else {
      ok = false;
      if (error) *error = f.errorString();
    }
  }
  if (ok && !renameNoReplace(tmp, target)) {
    ok = false;
    if (error) *error = errnoText();
  }
  if (!ok) QFile::remove(tmp);
  return ok;
}

// ------------------------------------------------------------------------------ manifest

namespace {

const QByteArray kManifestHead = "Lapiro Manager Datensicherung";

// Writes the manifest of `targetDir` for the data files `names` (the tables among them).
void writeManifest(const QString& targetDir, const QStringList& names, bool complete) {
  QByteArray text = kManifestHead + '\n';
  text += "Stand: " + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + '\n';
  text += QByteArray("Vollständig: ") + (complete ? "ja" : "nein") + '\n';
  QByteArray lines;
  int count = 0;
  for (const QString& name : names) {
    const QString path = QDir(targetDir).filePath(name);
    if (name.contains(u'/') || !isTableFile(path)) continue;
    ++count;
    lines += sha256Of(path) + ' ' + QByteArray::number(QFileInfo(path).size()) + ' ' + name.toUtf8() + '\n';
  }
  text += "Tabellen: " + QByteArray::number(count) + '\n' + lines;
  const QString path = QDir(targetDir).filePath(QString::fromUtf16(kManifestName));
  const QString tmp = path + QStringLiteral(".part");
  if (writeSynced(tmp, text)) ::rename(native(tmp).constData(), native(path).constData());
  QFile::remove(tmp);
  syncPath(targetDir, true);
}

}  // namespace

Manifest readManifest(const QString& dir) {
  Manifest m;
  QFile f(QDir(dir).filePath(QString::fromUtf16(kManifestName)));
  if (!f.open(QIODevice::ReadOnly)) return m;
  const QList<QByteArray> lines = f.readAll().split('\n');
  if (lines.isEmpty() || lines[0] != kManifestHead) return m;
  int count = -1;
  for (const QByteArray& line : lines) {
    if (line.startsWith("Vollständig: ")) m.complete = line.endsWith("ja");
    if (line.startsWith("Tabellen: ")) {
      count = line.mid(10).toInt();
      continue;
    }
    if (count < 0 || line.isEmpty()) continue;
    const int a = line.indexOf(' '), b = line.indexOf(' ', a + 1);
    if (a <= 0 || b <= a) continue;
    m.tables.push_back({QString::fromUtf8(line.mid(b + 1)), line.mid(a + 1, b - a - 1).toLongLong(), line.left(a)});
  }
  m.present = count >= 0;
  // A manifest cut short counts as one of an incomplete backup.
  if (count != int(m.tables.size())) m.complete = false;
  return m;
}

SourceCheck checkSource(const QString& source, const QString& dataDir) {
  SourceCheck r;
  const QString animals = findCaseless(source, QStringLiteral("Hasen.DB"));
  QString why;
  if (animals.isEmpty() || !isSoundTable(animals, &why)) {
    r.refusal = QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!");
    if (!why.isEmpty()) r.refusal += u'\n' + why;
    return r;
  }
  std::set<QString> seen;
  auto noteMissing = [&](const QString& name) {
    if (seen.insert(name.toLower()).second) r.missing << name;
  };
  const Manifest manifest = readManifest(source);
  if (manifest.present) {
    r.incomplete = !manifest.complete;
    for (const Manifest::Table& t : manifest.tables) {
      const QString path = findCaseless(source, t.name);
      if (path.isEmpty()) {
        noteMissing(t.name);
      } else if (QFileInfo(path).size() != t.size || sha256Of(path) != t.sha256) {
        r.refusal = QStringLiteral("Die Tabelle %1 im Sicherungsverzeichnis ist seit der Datensicherung verändert oder "
                                   "beschädigt worden. Es wird nichts zurückgespielt.")
                        .arg(t.name);
        return r;
      }
    }
  }
  for (const store::CatalogueTable& t : store::catalogue()) {
    if (t.origin == store::CatalogueTable::Origin::WorkTable) continue;
    const QString here = findCaseless(dataDir, t.fileName);
    if (!here.isEmpty() && findCaseless(source, t.fileName).isEmpty()) noteMissing(QFileInfo(here).fileName());
  }
  return r;
}

// ------------------------------------------------------------------------------ journals

bool rollBackHotJournal(const QString& tablePath, QString* why) {
  const QString journal = tablePath + QStringLiteral("-journal");
  if (QFileInfo(journal).size() <= 0) return true;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(native(tablePath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db, 500);
    // The first read of a table with a hot journal rolls the journal back.
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    // A journal of a write still running elsewhere is no hot journal: it stays.
    if ((rc & 0xff) == SQLITE_BUSY) rc = SQLITE_OK;
  }
  if (rc != SQLITE_OK && why) *why = sqliteFailure(db, rc, tablePath);
  sqlite3_close_v2(db);
  return rc == SQLITE_OK;
}

QStringList rollBackHotJournals(const QString& dataDir) {
  QStringList failed;
  for (const QFileInfo& fi : QDir(dataDir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
    if (!fi.fileName().endsWith(QStringLiteral("-journal"))) continue;
    const QString table = fi.filePath().chopped(8);
    if (!QFileInfo::exists(table)) continue;
    QString why;
    if (!rollBackHotJournal(table, &why)) failed << QFileInfo(table).fileName() + QStringLiteral(": ") + why;
  }
  return failed;
}

void rollBackHotJournalsAtStart(const QString& dataDir) {
  const QStringList failed = rollBackHotJournals(dataDir);
  if (failed.isEmpty()) return;
  store::dialogs().warn(
      QStringLiteral("Nach einem Abbruch des Programms konnten angefangene Änderungen dieser Tabellen nicht "
                     "zurückgenommen werden:\n%1\nBitte sorgen Sie dafür, dass die Dateien beschreibbar sind, und "
                     "starten Sie das Programm neu, oder spielen Sie die letzte Datensicherung zurück.")
          .arg(failed.join(u'\n')));
}

// ------------------------------------------------------------------------------ backup

QString BackupResult::summary() const {
  if (!refusal.isEmpty()) return refusal;
  QStringList lines;
  lines << (cancelled ? QStringLiteral("Die Datensicherung wurde abgebrochen.") : QStringLiteral("Die Datensicherung ist beendet."));
  lines << QStringLiteral("Kopiert: %1 Dateien.").arg(copied.size());
  if (!existing.isEmpty())
    lines << QStringLiteral("Im Zielverzeichnis schon vorhanden und nicht überschrieben (%1): %2")
                 .arg(existing.size())
                 .arg(existing.join(QStringLiteral(", ")));
  if (!failed.isEmpty())
    lines << QStringLiteral("Fehler beim Kopieren der Datei:") << failed;
  if (!notReached.isEmpty())
    lines << QStringLiteral("Nicht kopiert (abgebrochen): %1").arg(notReached.join(QStringLiteral(", ")));
  if (cancelled || !failed.isEmpty())
    lines << QStringLiteral("Die Sicherung in diesem Verzeichnis ist als unvollständig gekennzeichnet.");
  return lines.join(u'\n');
}

BackupResult backup(const QString& dataDir, const QString& targetDir, const Progress& progress) {
  BackupResult r;
  const QFileInfo target(targetDir);
  if (!target.isDir()) {
    r.refusal = QStringLiteral("Das Zielverzeichnis ist nicht vorhanden:\n%1").arg(targetDir);
    return r;
  }
  const QString canonicalTarget = target.canonicalFilePath();
  const QString canonicalData = QFileInfo(dataDir).canonicalFilePath();
  if (canonicalTarget == canonicalData || canonicalTarget.startsWith(canonicalData + u'/')) {
    r.refusal = QStringLiteral("Das Datenverzeichnis kann nicht in sich selbst gesichert werden.");
    return r;
  }
  const QString probe = QDir(targetDir).filePath(QStringLiteral(".~lapiro-schreibtest"));
  {
    QFile f(probe);
    if (!f.open(QIODevice::WriteOnly)) {
      r.refusal = QStringLiteral("In das Zielverzeichnis kann nicht geschrieben werden:\n%1").arg(targetDir);
      return r;
    }
  }
  QFile::remove(probe);

  const QStringList files = dataFiles(dataDir, true);
  QStringList toCopy;
  for (const QString& name : files) {
    if (QFileInfo::exists(QDir(targetDir).filePath(name)))
      r.existing << name;
    else
      toCopy << name;
  }
  const qint64 needed = totalSize(dataDir, toCopy);
  const qint64 free = bytesFree(targetDir);
  if (free >= 0 && free < needed) {
    r.refusal = QStringLiteral("Im Zielverzeichnis ist nicht genug Platz: benötigt werden %1 MB, frei sind %2 MB.")
                    .arg(QString::number(double(needed) / 1048576.0, 'f', 1).replace(u'.', u','))
                    .arg(QString::number(double(free) / 1048576.0, 'f', 1).replace(u'.', u','));
    r.existing.clear();
    return r;
  }

  int n = 0, step = 0;
  for (const QString& name : files) {
    ++n;
    if (r.existing.contains(name)) continue;
    if (progress.cancelled && progress.cancelled()) {
      r.cancelled = true;
      r.notReached << name;
      continue;
    }
    if (progress.show) progress.show(kKopiere, name, n, int(files.size()));
    if (progress.checkpoint) progress.checkpoint(step++);
    const QString from = QDir(dataDir).filePath(name);
    QString why;
    // A crash left a hot journal: the table is rolled back (which needs write access) before
    // it can be read, else SQLite refuses the read-only copy.
    if (!name.contains(u'/') && !rollBackHotJournal(from, &why))
      r.failed << name + QStringLiteral(": ") + why;
    else if (copyChecked(from, QDir(targetDir).filePath(name), &why))
      r.copied << name;
    else
      r.failed << name + QStringLiteral(": ") + why;
  }
  syncPath(targetDir, true);
  writeManifest(targetDir, files, !r.cancelled && r.failed.isEmpty());
  return r;
}

// ------------------------------------------------------------------------------ restore

SafetyPaths::SafetyPaths(const QString& programDir) {
  const QDir p(programDir);
  data = QDir::cleanPath(p.absoluteFilePath(QStringLiteral("daten")));
  safety = QDir::cleanPath(p.absoluteFilePath(QStringLiteral("Datensik")));
  newData = data + QStringLiteral(".neu");
  newSafety = safety + QStringLiteral(".neu");
  oldData = data + QStringLiteral(".alt");
  oldSafety = safety + QStringLiteral(".alt");
}

void setFaultHooks(FaultHooks h) { hooks() = std::move(h); }
void setFreeSpaceProbe(std::function<qint64(const QString&)> probe) { freeSpaceProbe() = std::move(probe); }

namespace {

QByteArray restoreNameOf(const QString& dataDir) { return readSmall(QDir(dataDir).filePath(kRestoreName)); }
QByteArray safetyMarkOf(const QString& safetyDir) { return readSmall(QDir(safetyDir).filePath(kSafetyMark)); }

// Puts "Datensik.neu" in place of "Datensik" over "Datensik.alt"; false when a rename failed
// (then "Datensik" or "Datensik.alt" and "Datensik.neu" all stay for the recovery).
bool promoteSafety(const SafetyPaths& paths, int* failedErrno) {
  if (isDir(paths.safety)) {
    if (exchange(paths.newSafety, paths.safety)) return true;
    removeOldSafety(paths.oldSafety, paths.safety);
    if (!renameNoReplace(paths.safety, paths.oldSafety)) {
      if (failedErrno) *failedErrno = errno;
      return false;
    }
  }
  if (!renameNoReplace(paths.newSafety, paths.safety)) {
    if (failedErrno) *failedErrno = errno;
    // The previous safety copy goes back to its name while the new one waits.
    if (!isDir(paths.safety) && isDir(paths.oldSafety)) renameNoReplace(paths.oldSafety, paths.safety);
    return false;
  }
  return true;
}

}  // namespace

void recoverInterruptedRestore(const SafetyPaths& paths) {
  // A data swap by two renames cut in the middle: the previous data goes back.
  if (!isDir(paths.data) && isDir(paths.oldData)) renameNoReplace(paths.oldData, paths.data);
  if (!isDir(paths.data)) return;  // nothing can be decided safely without a data directory
  syncPath(QFileInfo(paths.data).absolutePath(), true);

  const QByteArray name = restoreNameOf(paths.data);
  const bool pending = isDir(paths.newSafety) && !name.isEmpty() && safetyMarkOf(paths.newSafety) == name;
  if (pending) {
    // The data was replaced: "Datensik.neu" holds the data before and is the newest copy.
    if (!promoteSafety(paths, nullptr)) {
      removeTree(paths.newData);
      removeTree(paths.oldData);
      return;  // tried again at the next start
    }
  } else if (!isDir(paths.safety)) {
    // No restore to complete; a safety copy cut off from its name goes back.
    if (isDir(paths.oldSafety))
      renameNoReplace(paths.oldSafety, paths.safety);
    else if (isDir(paths.newSafety) && !safetyMarkOf(paths.newSafety).isEmpty())
      renameNoReplace(paths.newSafety, paths.safety);
  }
  syncPath(QFileInfo(paths.data).absolutePath(), true);
  removeTree(paths.newData);
  removeTree(paths.oldData);
  if (isDir(paths.safety)) {
    removeOldSafety(paths.newSafety, paths.safety);
    removeOldSafety(paths.oldSafety, paths.safety);
  }
  QFile::remove(QDir(paths.data).filePath(kRestoreName));
}

namespace {

bool within(const QString& inner, const QString& outer) {
  const QString a = QFileInfo(inner).canonicalFilePath(), b = QFileInfo(outer).canonicalFilePath();
  if (a.isEmpty() || b.isEmpty()) return false;
  return a == b || a.startsWith(b + u'/');
}

// Copies the listed files of `from` into the fresh directory `to`; false on a failure or cancel.
enum class CopyRun { Done, Cancelled, Failed };
CopyRun copyAll(const QString& from, const QStringList& names, const QString& to, const Progress& progress, int& step,
                QString* failure) {
  int n = 0;
  for (const QString& name : names) {
    ++n;
    if (progress.cancelled && progress.cancelled()) return CopyRun::Cancelled;
    if (progress.show) progress.show(kKopiere, name, n, int(names.size()));
    if (progress.checkpoint) progress.checkpoint(step++);
    QString why;
    if (!copyChecked(QDir(from).filePath(name), QDir(to).filePath(name), &why)) {
      *failure = QStringLiteral("Fehler beim Kopieren der Datei:\n%1 (%2)").arg(name, why);
      return CopyRun::Failed;
    }
  }
  syncPath(to, true);
  return CopyRun::Done;
}

// What the data directory holds beside the files restore replaces: relative paths of files,
// folders (with their mode) and links that carry over into the new data directory.
struct Carried {
  QStringList files;
  QStringList dirs;
  QStringList links;
};

void collectCarried(const QString& root, const QString& rel, const std::set<QString>& replaced,
                    const std::set<QString>& handledTop, Carried& out) {
  const QString here = rel.isEmpty() ? root : QDir(root).filePath(rel);
  const QFileInfoList entries =
      QDir(here).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
  for (const QFileInfo& fi : entries) {
    const QString name = fi.fileName();
    const QString path = rel.isEmpty() ? name : rel + u'/' + name;
    // Work files of a copy, SQLite's side files and the restore's own name never carry over.
    if (name.startsWith(QStringLiteral(".~")) || isSideFile(name) || (rel.isEmpty() && name == kRestoreName)) continue;
    if (fi.isSymLink()) {
      out.links << path;
    } else if (fi.isDir()) {
      out.dirs << path;
      collectCarried(root, path, replaced, handledTop, out);
    } else if (!replaced.count(path) && !(rel.isEmpty() && handledTop.count(name))) {
      out.files << path;
    }
  }
}

}  // namespace

namespace {

RestoreResult runRestore(const SafetyPaths& paths, const QString& source, bool fromSafety, const Progress& progress,
                         const std::function<void()>& closeTables, const std::function<void()>& reopenTables) {
  auto refused = [](const QString& message) { return RestoreResult{RestoreStatus::Refused, message, false}; };
  store::DialogService& dlg = store::dialogs();

  if (fromSafety && (!isDir(source) || !isBackupDirectory(source))) {
    const QString text = QStringLiteral("Es ist keine Sicherheitskopie vorhanden.");
    dlg.error(text);
    return refused(text);
  }
  if (!isDir(source) || !isBackupDirectory(source)) {
    const QString text = QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!");
    dlg.error(text);
    return refused(text);
  }
  if (!fromSafety)
    for (const QString& own : {paths.data, paths.safety, paths.newData, paths.newSafety, paths.oldData, paths.oldSafety})
      if (within(source, own)) {
        const QString text =
            QStringLiteral("Das Datenverzeichnis und die Sicherheitskopie können nicht zurückgespielt werden.");
        dlg.error(text);
        return refused(text);
      }
  // The folder must be a sound backup before anything is asked or touched.
  const SourceCheck check = checkSource(source, paths.data);
  if (!check.refusal.isEmpty()) {
    dlg.error(check.refusal);
    return refused(check.refusal);
  }
  const QString question = fromSafety ? QStringLiteral("Die Sicherheitskopie „Datensik“ zurückholen? Die jetzigen Daten "
                                                       "werden dabei zur neuen Sicherheitskopie.")
                                      : QStringLiteral("Wirklich zurückspielen?");
  if (dlg.show(store::DialogKind::Information, question, store::DialogButtons::YesNo) != store::DialogAnswer::Yes)
    return refused({});
  if (!check.missing.isEmpty() || check.incomplete) {
    QStringList lines;
    if (check.incomplete)
      lines << QStringLiteral("Die Datensicherung in diesem Verzeichnis wurde abgebrochen oder ist nicht vollständig.");
    if (!check.missing.isEmpty())
      lines << QStringLiteral("Im Sicherungsverzeichnis fehlen diese Tabellen: %1.").arg(check.missing.join(QStringLiteral(", ")))
            << QStringLiteral("Bei „Ja“ wird für jede fehlende Tabelle die Tabelle des jetzigen Bestands behalten. "
                              "Bei „Nein“ wird nichts zurückgespielt.")
            << QStringLiteral("Trotzdem zurückspielen?");
    else
      lines << QStringLiteral("Trotzdem zurückspielen?");
    if (dlg.show(store::DialogKind::Warning, lines.join(u'\n'), store::DialogButtons::YesNoDefaultNo) !=
        store::DialogAnswer::Yes)
      return refused({});
  }
  const QString backupAnimals = findCaseless(source, QStringLiteral("Hasen.db"));
  const QString currentAnimals = findCaseless(paths.data, QStringLiteral("Hasen.db"));
  if (!fromSafety && !backupAnimals.isEmpty() && !currentAnimals.isEmpty() &&
      QFileInfo(backupAnimals).lastModified() < QFileInfo(currentAnimals).lastModified() &&
      dlg.show(store::DialogKind::Information,
               QStringLiteral("Kaninchendatei älter als aktuelle Datei! Wirklich ersetzen?"),
               store::DialogButtons::YesNo) != store::DialogAnswer::Yes)
    return refused({});

  // What is restored, what the safety copy keeps, what carries over. The safety copy's kept
  // folders are no part of it: they stay in "Datensik".
  const QStringList current = dataFiles(paths.data, false);
  QStringList incoming = dataFiles(source, false);
  if (fromSafety) {
    const QStringList kept = safetyExtras(source);
    incoming.removeIf([&](const QString& name) { return kept.contains(name.section(u'/', 0, 0)); });
  }
  const std::set<QString> incomingSet(incoming.begin(), incoming.end());
  std::set<QString> handledTop;  // top-level data files: replaced by the backup's, or dropped
  for (const QString& name : current)
    if (!name.contains(u'/')) handledTop.insert(name);
  for (const QString& name : check.missing) {
    const QString here = findCaseless(paths.data, name);
    if (!here.isEmpty()) handledTop.erase(QFileInfo(here).fileName());  // "Ja": the current copy stays
  }
  QStringList safetyFiles;  // what restore replaces or drops
  for (const QString& name : current)
    if (name.contains(u'/') ? incomingSet.count(name) > 0 : handledTop.count(name) > 0) safetyFiles << name;
  Carried carried;
  collectCarried(paths.data, {}, incomingSet, handledTop, carried);

  const qint64 needed = totalSize(paths.data, safetyFiles) + totalSize(source, incoming) + totalSize(paths.data, carried.files);
  const qint64 free = bytesFree(QFileInfo(paths.data).absolutePath());
  if (free >= 0 && free < needed) {
    const QString text = QStringLiteral("Für die Rücksicherung ist nicht genug Platz: benötigt werden %1 MB.")
                             .arg(QString::number(double(needed) / 1048576.0, 'f', 1).replace(u'.', u','));
    dlg.error(text);
    return refused(text);
  }

  if (closeTables) closeTables();
  int step = 0;
  auto checkpoint = [&] {
    if (progress.checkpoint) progress.checkpoint(step++);
  };
  auto finish = [&](RestoreResult r) {
    if (reopenTables) reopenTables();
    return r;
  };
  const QString unchanged = QStringLiteral("\nDie Rücksicherung wurde nicht ausgeführt. Die Daten sind unverändert.");
  auto undo = [&](RestoreStatus status, const QString& why) {
    removeTree(paths.newData);
    removeTree(paths.newSafety);
    const QString text = status == RestoreStatus::Cancelled
                             ? QStringLiteral("Die Rücksicherung wurde abgebrochen. Die Daten sind unverändert.")
                             : why + unchanged;
    return finish(RestoreResult{status, text, false});
  };

  recoverInterruptedRestore(paths);
  checkpoint();
  const QByteArray name = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8() + ' ' +
                          QByteArray::number(QRandomGenerator::global()->generate64(), 16);
  const QString programDir = QFileInfo(paths.data).absolutePath();

  // 1. A fresh safety copy of what restore replaces, checked, its marker written last. A work
  // copy left over that holds a mark or kept folders is never built into.
  if (isDir(paths.newSafety) && (!safetyMarkOf(paths.newSafety).isEmpty() || !safetyExtras(paths.newSafety).isEmpty()))
    return finish(RestoreResult{RestoreStatus::Failed,
                                QStringLiteral("Die Sicherheitskopie kann nicht angelegt werden: „%1“ ist noch vorhanden.")
                                        .arg(QDir::toNativeSeparators(paths.newSafety)) +
                                    unchanged,
                                false});
  removeTree(paths.newSafety);
  if (!makeDirLike(paths.newSafety, isDir(paths.safety) ? paths.safety : paths.data))
    return undo(RestoreStatus::Failed, QStringLiteral("Die Sicherheitskopie kann nicht angelegt werden."));
  QString failure;
  CopyRun run = copyAll(paths.data, safetyFiles, paths.newSafety, progress, step, &failure);
  if (run != CopyRun::Done) return undo(run == CopyRun::Cancelled ? RestoreStatus::Cancelled : RestoreStatus::Failed, failure);
  checkpoint();
  if (!writeSynced(QDir(paths.newSafety).filePath(kSafetyMark), name))
    return undo(RestoreStatus::Failed, QStringLiteral("Die Sicherheitskopie kann nicht angelegt werden."));

  // 2. The backup and what carries over in a new directory beside "daten", with its mode.
  checkpoint();
  if (!makeDirLike(paths.newData, paths.data))
    return undo(RestoreStatus::Failed, QStringLiteral("Das neue Datenverzeichnis kann nicht angelegt werden."));
  for (const QString& dir : carried.dirs)
    if (!makeDirLike(QDir(paths.newData).filePath(dir), QDir(paths.data).filePath(dir)))
      return undo(RestoreStatus::Failed, QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.").arg(dir));
  run = copyAll(source, incoming, paths.newData, progress, step, &failure);
  if (run == CopyRun::Done) run = copyAll(paths.data, carried.files, paths.newData, progress, step, &failure);
  if (run != CopyRun::Done) return undo(run == CopyRun::Cancelled ? RestoreStatus::Cancelled : RestoreStatus::Failed, failure);
  for (const QString& link : carried.links) {
    char buf[4096];
    const ssize_t len = ::readlink(native(QDir(paths.data).filePath(link)).constData(), buf, sizeof buf - 1);
    if (len <= 0 ||
        ::symlink(QByteArray(buf, int(len)).constData(), native(QDir(paths.newData).filePath(link)).constData()) != 0)
      return undo(RestoreStatus::Failed, QStringLiteral("Die Verknüpfung %1 kann nicht übernommen werden.").arg(link));
  }
  checkpoint();
  if (!writeSynced(QDir(paths.newData).filePath(kRestoreName), name))
    return undo(RestoreStatus::Failed, QStringLiteral("Das neue Datenverzeichnis kann nicht angelegt werden."));
  syncPath(programDir, true);

  // 3. The data directory is swapped. From here on nothing is cancelled.
  checkpoint();
  if (!exchange(paths.newData, paths.data)) {
    // No atomic exchange here: two renames; recoverInterruptedRestore() undoes a cut.
    if (!renameNoReplace(paths.data, paths.oldData))
      return undo(RestoreStatus::Failed,
                  QStringLiteral("Das Datenverzeichnis kann nicht ersetzt werden (%1).").arg(errnoText()));
    syncPath(programDir, true);
    checkpoint();
    if (!renameNoReplace(paths.newData, paths.data)) {
      const QString why = errnoText();
      if (!renameNoReplace(paths.oldData, paths.data))
        return finish(RestoreResult{
            RestoreStatus::Failed,
            QStringLiteral("Das Datenverzeichnis kann nicht ersetzt werden (%1). Die bisherigen Daten liegen in "
                           "„%2“; sie werden beim nächsten Programmstart an ihren Platz zurückgebracht.")
                .arg(why, QDir::toNativeSeparators(paths.oldData)),
            false});
      return undo(RestoreStatus::Failed, QStringLiteral("Das Datenverzeichnis kann nicht ersetzt werden (%1).").arg(why));
    }
  }
  syncPath(programDir, true);

  // 4. The safety copy. The previous data is complete in "Datensik.neu" whatever happens here.
  checkpoint();
  int safetyErrno = 0;
  const bool safetyDone = promoteSafety(paths, &safetyErrno);
  syncPath(programDir, true);
  checkpoint();
  if (!safetyDone) {
    removeTree(paths.newData);
    removeTree(paths.oldData);
    return finish(RestoreResult{
        RestoreStatus::Restored,
        QStringLiteral("Die Rücksicherung ist ausgeführt: %1 Dateien zurückgespielt. Die Sicherheitskopie „Datensik“ "
                       "kann aber nicht ersetzt werden (%2). Die bisherigen Daten liegen vollständig in „%3“ und werden "
                       "beim nächsten Programmstart zur Sicherheitskopie.")
            .arg(incoming.size())
            .arg(QString::fromLocal8Bit(std::strerror(safetyErrno)), QDir::toNativeSeparators(paths.newSafety)),
        true});
  }
  // 5. What is left of the previous data directory and the previous safety copy goes.
  removeTree(paths.newData);
  removeTree(paths.oldData);
  checkpoint();
  // The kept folders of the previous safety copy move into the new one.
  removeOldSafety(paths.newSafety, paths.safety);
  removeOldSafety(paths.oldSafety, paths.safety);
  QFile::remove(QDir(paths.data).filePath(kRestoreName));
  syncPath(paths.data, true);
  checkpoint();
  const QString done = fromSafety
                           ? QStringLiteral("Die Sicherheitskopie ist zurückgeholt: %1 Dateien. Die bisherigen Daten "
                                            "liegen jetzt in der Sicherheitskopie „Datensik“.")
                           : QStringLiteral("Die Rücksicherung ist abgeschlossen: %1 Dateien zurückgespielt. "
                                            "Die bisherigen Daten liegen in der Sicherheitskopie „Datensik“.");
  return finish(RestoreResult{RestoreStatus::Restored, done.arg(incoming.size()), false});
}

}  // namespace

RestoreResult restore(const SafetyPaths& paths, const QString& source, const Progress& progress,
                      const std::function<void()>& closeTables, const std::function<void()>& reopenTables) {
  return runRestore(paths, source, false, progress, closeTables, reopenTables);
}

RestoreResult restoreSafetyCopy(const SafetyPaths& paths, const Progress& progress,
                                const std::function<void()>& closeTables,
                                const std::function<void()>& reopenTables) {
  return runRestore(paths, paths.safety, true, progress, closeTables, reopenTables);
}

}  // namespace lapiro::safety

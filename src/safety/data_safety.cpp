#include "safety/data_safety.h"

#include "store/dialog_service.h"
#include "store/keyword_index.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace lapiro::safety {

namespace {

const QString kKopiere = QStringLiteral("Kopiere");
const QString kLoesche = QStringLiteral("Lösche");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

void syncPath(const QString& path, bool directory) {
  const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | (directory ? O_DIRECTORY : 0));
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Renames `from` to `to` unless `to` exists; false (and errno) otherwise.
bool renameNoReplace(const QString& from, const QString& to) {
  if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (QFileInfo::exists(to)) {
    errno = EEXIST;
    return false;
  }
  return ::rename(native(from).constData(), native(to).constData()) == 0;
}

// Exchanges two existing directories atomically; false when the file system cannot.
bool exchange(const QString& a, const QString& b) {
  return ::renameat2(AT_FDCWD, native(a).constData(), AT_FDCWD, native(b).constData(), RENAME_EXCHANGE) == 0;
}

bool removeTree(const QString& path) {
  QDir dir(path);
  return !dir.exists() || dir.removeRecursively();
}

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

bool copySqlite(const QString& source, const QString& target, QString* error) {
  sqlite3* src = nullptr;
  sqlite3* dst = nullptr;
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    if (src) sqlite3_close_v2(src);
    if (dst) sqlite3_close_v2(dst);
    return false;
  };
  if (sqlite3_open_v2(native(source).constData(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    return fail(QString::fromUtf8(sqlite3_errmsg(src)));
  sqlite3_busy_timeout(src, 5000);
  if (sqlite3_open_v2(native(target).constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
    return fail(QString::fromUtf8(sqlite3_errmsg(dst)));
  sqlite3_busy_timeout(dst, 5000);
  sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
  if (!b) return fail(QString::fromUtf8(sqlite3_errmsg(dst)));
  int rc;
  // One step for the whole file: the source stays read-locked, so the copy is one snapshot.
  do {
    rc = sqlite3_backup_step(b, -1);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) sqlite3_sleep(20);
  } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
  sqlite3_backup_finish(b);
  if (rc != SQLITE_DONE) return fail(QString::fromUtf8(sqlite3_errstr(rc)));
  sqlite3_close_v2(src);
  src = nullptr;
  // The copy must be sound before it counts.
  sqlite3_stmt* st = nullptr;
  QString verdict;
  if (sqlite3_prepare_v2(dst, "PRAGMA quick_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
    verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  if (verdict != QStringLiteral("ok"))
    return fail(QStringLiteral("Prüfung der Kopie fehlgeschlagen (%1)").arg(verdict.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(dst)) : verdict));
  sqlite3_close_v2(dst);
  return true;
}

}  // namespace

bool isDataFileName(const QString& name) {
  if (!name.contains(u'.') || name.startsWith(u'.')) return false;
  static const QRegularExpression side(QStringLiteral(R"((-journal|-wal|-shm|-mj[0-9A-Fa-f]+)$)"));
  return !side.match(name).hasMatch();
}

QStringList dataFiles(const QString& dir, bool withZip) {
  QStringList out;
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
  return out;
}

bool isBackupDirectory(const QString& dir) { return !findCaseless(dir, QStringLiteral("Hasen.DB")).isEmpty(); }

bool isTableFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool copyChecked(const QString& source, const QString& target, QString* error) {
  const QFileInfo src(source), dst(target);
  if (dst.exists() || dst.isSymLink()) {
    if (error) *error = QStringLiteral("Die Datei ist im Ziel schon vorhanden.");
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
      ok = ::fsync(f.handle()) == 0;
      f.close();
      if (!ok && error) *error = QStringLiteral("Die Kopie kann nicht auf die Platte geschrieben werden.");
    } else {
      ok = false;
      if (error) *error = f.errorString();
    }
  }
  if (ok && !renameNoReplace(tmp, target)) {
    ok = false;
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
  }
  if (!ok) QFile::remove(tmp);
  return ok;
}

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
  if (canonicalTarget == QFileInfo(dataDir).canonicalFilePath()) {
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
  const QStorageInfo storage(targetDir);
  if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < needed) {
    r.refusal = QStringLiteral("Im Zielverzeichnis ist nicht genug Platz: benötigt werden %1 MB, frei sind %2 MB.")
                    .arg(QString::number(double(needed) / 1048576.0, 'f', 1).replace(u'.', u','))
                    .arg(QString::number(double(storage.bytesAvailable()) / 1048576.0, 'f', 1).replace(u'.', u','));
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
    QString why;
    if (copyChecked(QDir(dataDir).filePath(name), QDir(targetDir).filePath(name), &why))
      r.copied << name;
    else
      r.failed << name + QStringLiteral(": ") + why;
  }
  syncPath(targetDir, true);
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
}

void recoverInterruptedRestore(const SafetyPaths& paths) {
  if (!QFileInfo(paths.data).isDir() && QFileInfo(paths.oldData).isDir())
    ::rename(native(paths.oldData).constData(), native(paths.data).constData());
  if (!QFileInfo(paths.safety).isDir() && QFileInfo(paths.newSafety).isDir()) {
    // Only a complete safety copy is ever renamed; a ".neu" directory without marker is not.
  }
  removeTree(paths.newData);
  removeTree(paths.newSafety);
  if (QFileInfo(paths.data).isDir()) removeTree(paths.oldData);
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

}  // namespace

RestoreResult restore(const SafetyPaths& paths, const QString& source, const Progress& progress,
                      const std::function<void()>& closeTables, const std::function<void()>& reopenTables) {
  auto refused = [](const QString& message) { return RestoreResult{RestoreStatus::Refused, message}; };
  store::DialogService& dlg = store::dialogs();

  if (!QFileInfo(source).isDir() || !isBackupDirectory(source)) {
    const QString text = QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!");
    dlg.error(text);
    return refused(text);
  }
  for (const QString& own : {paths.data, paths.safety, paths.newData, paths.newSafety, paths.oldData})
    if (within(source, own)) {
      const QString text =
          QStringLiteral("Das Datenverzeichnis und die Sicherheitskopie können nicht zurückgespielt werden.");
      dlg.error(text);
      return refused(text);
    }
  if (dlg.show(store::DialogKind::Information, QStringLiteral("Wirklich zurückspielen?"), store::DialogButtons::YesNo) !=
      store::DialogAnswer::Yes)
    return refused({});
  const QString backupAnimals = findCaseless(source, QStringLiteral("Hasen.db"));
  const QString currentAnimals = findCaseless(paths.data, QStringLiteral("Hasen.db"));
  if (!backupAnimals.isEmpty() && !currentAnimals.isEmpty() &&
      QFileInfo(backupAnimals).lastModified() < QFileInfo(currentAnimals).lastModified() &&
      dlg.show(store::DialogKind::Information,
               QStringLiteral("Kaninchendatei älter als aktuelle Datei! Wirklich ersetzen?"),
               store::DialogButtons::YesNo) != store::DialogAnswer::Yes)
    return refused({});

  const QStringList current = dataFiles(paths.data, false);
  const QStringList incoming = dataFiles(source, false);
  // Whatever restore does not handle stays in the data directory: files without extension,
  // zip archives, hidden files.
  QStringList kept;
  for (const QFileInfo& fi : QDir(paths.data).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
    const QString name = fi.fileName();
    if (!current.contains(name) && !name.endsWith(QStringLiteral("-journal")) && !name.startsWith(QStringLiteral(".~")))
      kept << name;
  }
  const qint64 needed = totalSize(paths.data, current) + totalSize(source, incoming) + totalSize(paths.data, kept);
  const QStorageInfo storage(QFileInfo(paths.data).absolutePath());
  if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < needed) {
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
  auto undo = [&](RestoreStatus status, const QString& why) {
    removeTree(paths.newData);
    removeTree(paths.newSafety);
    const QString text = status == RestoreStatus::Cancelled
                             ? QStringLiteral("Die Rücksicherung wurde abgebrochen. Die Daten sind unverändert.")
                             : why + QStringLiteral("\nDie Rücksicherung wurde nicht ausgeführt. Die Daten sind unverändert.");
    return finish(RestoreResult{status, text});
  };

  recoverInterruptedRestore(paths);
  checkpoint();
  // 1. A fresh safety copy of the current data, checked.
  if (!QDir().mkpath(paths.newSafety)) return undo(RestoreStatus::Failed, QStringLiteral("Die Sicherheitskopie kann nicht angelegt werden."));
  QString failure;
  CopyRun run = copyAll(paths.data, current, paths.newSafety, progress, step, &failure);
  if (run != CopyRun::Done) return undo(run == CopyRun::Cancelled ? RestoreStatus::Cancelled : RestoreStatus::Failed, failure);
  // 2. The backup, with what restore leaves alone, in a new directory beside "daten".
  checkpoint();
  if (!QDir().mkpath(paths.newData)) return undo(RestoreStatus::Failed, QStringLiteral("Das neue Datenverzeichnis kann nicht angelegt werden."));
  run = copyAll(source, incoming, paths.newData, progress, step, &failure);
  if (run == CopyRun::Done) run = copyAll(paths.data, kept, paths.newData, progress, step, &failure);
  if (run != CopyRun::Done) return undo(run == CopyRun::Cancelled ? RestoreStatus::Cancelled : RestoreStatus::Failed, failure);
  syncPath(QFileInfo(paths.data).absolutePath(), true);

  // 3. The swap. From here on nothing is cancelled.
  checkpoint();
  const bool hadSafety = QFileInfo(paths.safety).isDir();
  const bool safetyExchanged = hadSafety && exchange(paths.newSafety, paths.safety);
  if (!safetyExchanged) {
    // Without an atomic exchange the old safety copy goes first; the new one is complete.
    if (hadSafety && !removeTree(paths.safety))
      return undo(RestoreStatus::Failed, QStringLiteral("Die Sicherheitskopie kann nicht ersetzt werden."));
    if (!renameNoReplace(paths.newSafety, paths.safety))
      return undo(RestoreStatus::Failed, QStringLiteral("Die Sicherheitskopie kann nicht ersetzt werden."));
  }
  syncPath(QFileInfo(paths.data).absolutePath(), true);
  checkpoint();
  auto swapFailed = [&] {
    if (safetyExchanged) exchange(paths.newSafety, paths.safety);  // the old safety copy back
    return undo(RestoreStatus::Failed, QStringLiteral("Das Datenverzeichnis kann nicht ersetzt werden."));
  };
  if (!exchange(paths.newData, paths.data)) {
    // No atomic exchange here: two renames; recoverInterruptedRestore() completes a cut.
    if (!renameNoReplace(paths.data, paths.oldData)) return swapFailed();
    checkpoint();
    if (!renameNoReplace(paths.newData, paths.data)) {
      renameNoReplace(paths.oldData, paths.data);
      return swapFailed();
    }
    removeTree(paths.oldData);
  }
  syncPath(QFileInfo(paths.data).absolutePath(), true);
  checkpoint();
  // The previous data is in the safety copy now; its former place and the old safety go.
  removeTree(paths.newData);
  removeTree(paths.newSafety);
  checkpoint();
  return finish(RestoreResult{RestoreStatus::Restored,
                              QStringLiteral("Die Rücksicherung ist abgeschlossen: %1 Dateien zurückgespielt. "
                                             "Die bisherigen Daten liegen in der Sicherheitskopie „Datensik“.")
                                  .arg(incoming.size())});
}

}  // namespace lapiro::safety

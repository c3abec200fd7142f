// Backup of the data directory into a folder the user chooses, and restore from such a folder.
//
// Files handled are the entries of a directory whose name contains a "." (files with an
// extension). Left out always: hidden entries (a leading "."), SQLite's side files of a write
// in progress ("-journal", "-wal", "-shm", super-journals "-mj…"), which would spoil a copy made
// beside them, and subdirectories. Restore also leaves out "*.zip".
//
// Table files (recognised by the SQLite header) are copied with SQLite's online backup API, so a
// copy is consistent even while the program has the table open, and every copy is checked
// (PRAGMA quick_check, for other files the size) before it counts as made. A copy is written
// under a hidden temporary name and renamed into place only when complete.
//
// Restore never loses data: the source may not be the data directory or the safety copy; the
// current data is copied into a fresh safety copy and checked; the backup is copied into a new
// directory beside "daten" and checked; only then are the directories swapped by rename
// (atomically where the file system can exchange two names). A failure or a cancel before the
// swap removes what was built and leaves everything as it was; a process killed at any moment
// leaves either the old or the restored data, complete, in "daten". The old safety copy is
// replaced only after the new one is complete.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace lapiro::safety {

// True for a name that backup copies: it contains a "." and is no hidden or SQLite side file.
bool isDataFileName(const QString& name);
// The data files of `dir` sorted by name; with `withZip` false, "*.zip" files are left out.
QStringList dataFiles(const QString& dir, bool withZip = true);
// True when `dir` holds "Hasen.DB" (name compared without regard to case).
bool isBackupDirectory(const QString& dir);
// True when the file starts with the SQLite header.
bool isTableFile(const QString& path);

// Copies one file to `target` (which must not exist) and checks the copy; the modification
// time of the source is kept. On failure nothing is left at `target` and `error` says why.
bool copyChecked(const QString& source, const QString& target, QString* error = nullptr);

// What a long run reports to its window and asks of it.
struct Progress {
  // Before each file: label "Kopiere" or "Lösche", the file name, its running number (from 1)
  // and the number of files of the phase.
  std::function<void(const QString& label, const QString& file, int number, int total)> show;
  // True when "&Abbruch" was pressed; asked before each file.
  std::function<bool()> cancelled;
  // For tests: called with a running number at every step that changes the disk.
  std::function<void(int step)> checkpoint;
};

struct BackupResult {
  QString refusal;          // not empty: nothing was copied, this says why
  QStringList copied;       // file names
  QStringList existing;     // present in the target already: left untouched
  QStringList failed;       // "<name>: <reason>"
  QStringList notReached;   // not tried because the run was cancelled
  bool cancelled = false;
  // One text for the user: counts and the names not copied.
  QString summary() const;
};

// Copies the data files of `dataDir` into `targetDir`. Before anything is copied the target
// must exist, be writable and have room for the files to copy; otherwise `refusal` is set.
BackupResult backup(const QString& dataDir, const QString& targetDir, const Progress& progress = {});

// Where restore works: the data directory "daten" and the safety copy "Datensik" below the
// program directory, and the names of its work directories beside them.
struct SafetyPaths {
  explicit SafetyPaths(const QString& programDir);
  QString data;         // <program>/daten
  QString safety;       // <program>/Datensik
  QString newData;      // <program>/daten.neu
  QString newSafety;    // <program>/Datensik.neu
  QString oldData;      // <program>/daten.alt (only when names cannot be exchanged atomically)
};

// Finishes or undoes what an interrupted restore left behind: when "daten" is missing but
// "daten.alt" exists, that goes back to "daten"; work directories are removed. Safe to call
// at any time when no restore runs.
void recoverInterruptedRestore(const SafetyPaths& paths);

enum class RestoreStatus {
  Restored,   // the backup is in "daten", the previous data in "Datensik"
  Refused,    // not a backup folder, a forbidden source, no room, or a question answered "Nein"
  Cancelled,  // "&Abbruch": everything is as it was
  Failed,     // a copy or check failed: everything is as it was
};

struct RestoreResult {
  RestoreStatus status = RestoreStatus::Refused;
  QString message;  // shown to the user (empty when a question was answered "Nein")
};

// The restore of the backup folder `source`. Asks its questions through store::dialogs():
// "Dies ist kein Lapiro Manager Sicherungsverzeichnis!" for a folder without "Hasen.DB";
// "Wirklich zurückspielen?"; "Kaninchendatei älter als aktuelle Datei! Wirklich ersetzen?" when
// the folder's animal table is older than the current one. `closeTables` runs before the first
// file is touched and must close every table of the data directory; `reopenTables` runs at the
// end whatever happened. The result's message is not shown here.
RestoreResult restore(const SafetyPaths& paths, const QString& source, const Progress& progress,
                      const std::function<void()>& closeTables, const std::function<void()>& reopenTables);

}  // namespace lapiro::safety

// Backup of the data directory into a folder the user chooses, and restore from such a folder.
//
// Files handled are the files of the data directory whose name contains a "." (files with an
// extension) and every file in its sub-folders (the pictures in "Bilder"). Left out always:
// hidden entries (a leading "."), symbolic links in sub-folders and SQLite's side files of a
// write in progress ("-journal", "-wal", "-shm", super-journals "-mj…"), which would spoil a
// copy made beside them. Restore also leaves out "*.zip" of the top level.
//
// A backup ends by writing a manifest (a hidden file) that lists the tables it holds with size
// and checksum and says whether the run was complete; restore checks a folder against it and
// against the table catalogue before anything is touched.
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
// leaves either the old or the restored data, complete, in "daten". What restore does not
// replace (files without extension, zip archives, sub-folder files the backup does not hold)
// carries over untouched, and the data directory keeps its mode.
//
// "Datensik" also keeps what is no part of the safety copy: whole data folders put there by the
// first start and the installer ("daten-<date>-<time>", or any folder holding "Hasen.DB") and
// top-level files restore never writes (no extension, zip archives). Restore moves them into
// the new safety copy before the previous one is removed, also when the recovery finishes an
// interrupted restore; "Sicherheitskopie zurückholen" never takes them into the data.
//
// Safety copy: "Datensik.neu" gets a marker file, written last, that names the restore which
// built it; the new data directory carries the same name. The data directory is swapped first,
// the safety copy second, each by an atomic exchange or else by two renames over ".alt". The
// recovery at start promotes "Datensik.neu" exactly when the data directory carries its name
// (the data it protects has been replaced) and otherwise keeps "Datensik", so that the newest
// complete safety copy survives a kill at any step, also without an atomic exchange.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace lapiro::safety {

// True for a name that backup copies: it contains a "." and is no hidden or SQLite side file.
bool isDataFileName(const QString& name);
// The data files of `dir` sorted by name; with `withZip` false, "*.zip" files are left out.
QStringList dataFiles(const QString& dir, bool withZip = true);
// True when `dir` holds "Hasen.DB" (name compared without regard to case).
bool isBackupDirectory(const QString& dir);
// True when the file starts with the SQLite header.
bool isTableFile(const QString& path);
// True when `path` is a table file that passes PRAGMA quick_check; otherwise `why` says why.
bool isSoundTable(const QString& path, QString* why = nullptr);

// The manifest a backup writes into its folder (a hidden file, never copied as data).
inline constexpr char16_t kManifestName[] = u".lapiro-sicherung";
struct Manifest {
  struct Table {
    QString name;
    qint64 size = 0;
    QByteArray sha256;  // hex
  };
  bool present = false;   // the folder holds a readable manifest
  bool complete = false;  // the backup run ended without cancel or failure
  std::vector<Table> tables;
};
Manifest readManifest(const QString& dir);

// What restore finds in a source folder before it touches anything.
struct SourceCheck {
  QString refusal;        // not empty: the folder cannot be restored, this says why
  QStringList missing;    // tables the catalogue or the manifest expects but the folder lacks
  bool incomplete = false;  // the manifest marks a cancelled or failed backup
};
// Checks `source` against the tables of `dataDir`, the table catalogue and the manifest: its
// "Hasen.DB" must be a sound table, each table the manifest lists must match size and
// checksum; a catalogue table that `dataDir` holds, or one the manifest lists, but the source
// lacks is missing.
SourceCheck checkSource(const QString& source, const QString& dataDir);

// Rolls back the hot journal a crash left beside a table (by opening the table once read-write
// and reading it). True when no journal is left or it belongs to a live write; otherwise
// `why` says, in German, what failed.
bool rollBackHotJournal(const QString& tablePath, QString* why = nullptr);
// Does so for every table of `dataDir` with a journal beside it; returns "<file>: <reason>"
// for each that could not be rolled back.
QStringList rollBackHotJournals(const QString& dataDir);
// At start-up: rolls back every hot journal of `dataDir` and shows one German warning naming
// the tables that could not be rolled back.
void rollBackHotJournalsAtStart(const QString& dataDir);

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
// A table with a hot journal is rolled back first. Unless refused, the run ends by writing the
// manifest, marked incomplete when it was cancelled or a copy failed.
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
  QString oldSafety;    // <program>/Datensik.alt (likewise)
};

// Finishes or undoes what an interrupted restore left behind: when "daten" is missing but
// "daten.alt" exists, that goes back to "daten"; "Datensik.neu" becomes the safety copy when
// "daten" carries its name, else "Datensik" (or "Datensik.alt") stays; work directories are
// removed. Never removes the only complete safety copy. Safe to call when no restore runs.
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
  bool warning = false;  // Restored, but the safety copy waits for the next start
};

// The restore of the backup folder `source`. Asks its questions through store::dialogs():
// "Dies ist kein Lapiro Manager Sicherungsverzeichnis!" for a folder without a sound
// "Hasen.DB"; "Wirklich zurückspielen?"; for missing tables or an incomplete backup a question
// naming them ("Ja" keeps the current copy of each missing table, "Nein" is the default and
// restores nothing); "Kaninchendatei älter als aktuelle Datei! Wirklich ersetzen?" when the
// folder's animal table is older than the current one. `closeTables` runs before the first
// file is touched and must close every table of the data directory; `reopenTables` runs at the
// end whatever happened. The result's message is not shown here.
RestoreResult restore(const SafetyPaths& paths, const QString& source, const Progress& progress,
                      const std::function<void()>& closeTables, const std::function<void()>& reopenTables);

// "Sicherheitskopie zurückholen": the safety copy "Datensik" becomes the data, and the current
// data becomes the safety copy, with the same checks, questions and guarantees as restore().
RestoreResult restoreSafetyCopy(const SafetyPaths& paths, const Progress& progress,
                                const std::function<void()>& closeTables,
                                const std::function<void()>& reopenTables);

// Fault injection for tests: with `atomicExchange` false the directories are swapped by two
// renames, as on file systems without an atomic exchange; `renameFault`, when set, is asked
// before every rename and exchange and makes it fail with the errno it returns (0: none);
// `sync` false leaves out every fsync (tests that kill the process, which loses no written
// data, run faster so).
struct FaultHooks {
  bool atomicExchange = true;
  std::function<int(const QString& from, const QString& to)> renameFault;
  bool sync = true;
};
void setFaultHooks(FaultHooks hooks);
// For tests of a nearly full disk: `probe`, when set, gives the bytes free on the file system
// holding a directory instead of asking the system.
void setFreeSpaceProbe(std::function<qint64(const QString& dir)> probe);

}  // namespace lapiro::safety

// Start-up and end of the program without windows: the single-instance lock, the checks of
// the settings and help files, the update-control programs, and ShellSession, which holds
// what the main window owns (engine, settings, message catalogue, own user data, breed and
// status lists, animal list) and opens it in the fixed start-up order.
//
// Every message goes through store::dialogs(); the windows only show progress.
#pragma once

#include "engine/cursor.h"
#include "engine/engine.h"
#include "shell/animal_list.h"
#include "shell/version.h"
#include "shell/profile_file.h"
#include "shell/system_info.h"
#include "store/keyword_index.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QLockFile;

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::shell {


// --- Single instance ---------------------------------------------------------------------

// A lock file that at most one running program holds. A program that was killed leaves its
// file behind; the next start sees that the recorded process no longer runs and takes the
// lock over. Released on destruction.
class InstanceLock {
 public:
  enum class Result {
    Acquired,     // this process holds the lock
    HeldByOther,  // another running program holds it
    Unavailable,  // the lock file cannot be created (e.g. missing directory): not checked
  };

  explicit InstanceLock(const QString& path);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  Result tryAcquire();
  void release();

  // <settings directory>/LapiroManager.lock: one program per settings directory.
  static QString defaultPath();

 private:
  std::unique_ptr<QLockFile> lock_;
};

// Shows "Lapiro Manager wird bereits ausgeführt!" unless this process gets the lock.
// Returns whether start-up may go on (true also when the lock cannot be checked at all).
bool acquireSingleInstance(InstanceLock& lock);

// --- Files checked at start-up ----------------------------------------------------------

inline constexpr int kHelpContents = 1001;

// The help page of a context number: <help directory>/<context>.html.
QString helpPagePath(int context);

// The text shown when a help page is missing: "Hilfe-Datei nicht gefunden", a carriage
// return and the path.
QString helpMissingText(const QString& path);

// When the settings file is missing: shows "Installationsdatei nicht vorhanden.
// Programmabbruch!" (error, OK) and returns false; the program must end at once.
bool checkSettingsFile(const QString& settingsFile);

// When the help contents page is missing, shows helpMissingText (information). Start-up
// goes on either way; returns whether the page exists.
bool checkHelp(const QString& contentsPage);

// Runs the programs of XVUPD.ini (updateCommands()) one after the other, each to its end,
// through `run`. Returns how many were run.
using CommandRunner = std::function<void(const QString& commandLine)>;
int runUpdateCommands(const ProfileFile& xvupd, const CommandRunner& run);

// Starts a command line and waits until it ends. A program that cannot be started is skipped.
void runAndWait(const QString& commandLine);
// Starts a command line as a program of its own and returns at once; false when it could
// not be started.
bool startDetached(const QString& commandLine);

// "Lapiro Manager  <Vorname Name>".
QString mainCaption(const QString& vorname, const QString& name);

// --- What the main window owns ----------------------------------------------------------

class ShellSession : public store::CursorProvider {
 public:
  ShellSession();
  ~ShellSession() override;

  // Start-up steps 5 to 9 in order: settings file present; help contents page present
  // (information only); the engine alias "Hase" on
  // <program>/daten; settings loaded for `workArea`; the update programs; the message
  // catalogue ("Sprachdaten nicht vorhanden!" or "Datenbankfehler Sprachdaten" on failure,
  // then empty texts); breed list, status list, own user data and animal list with their
  // upgrades. Returns false when the program must end (settings file missing, own user data
  // not openable); the message was shown.
  bool start(const QRect& workArea);

  // Start-up step 4 after the main window: creates the data module TDatenStamm and opens
  // (and upgrades) its tables. Call once, after start() succeeded.
  void createDataModule();
  // The data module; null before createDataModule().
  store::TDatenStamm* dataModule() { return dataModule_.get(); }

  // Makes the animal with `nummer` the current one of the list and of the data module's
  // "Hasen" and records it in the recently-shown list. Returns false when the list does not
  // hold it; returns true and sets *recentChanged when the recently-shown list changed.
  bool showAnimal(qlonglong nummer, bool* recentChanged = nullptr);

  engine::Engine& engine() { return engine_; }
  // The keyword search index; it follows every change from the start of the session.
  store::KeywordIndex& keywordIndex() { return keywordIndex_; }
  tsysteminfo& settings() { return settings_; }
  ProfileFile& settingsFile() { return ini_; }
  store::MessageCatalogue& messages() { return messages_; }
  AnimalList& animalList() { return list_; }
  engine::Cursor& eigen() { return eigen_; }
  engine::Cursor& rasse() { return rasse_; }
  engine::Cursor& status() { return status_; }

  // The main window's caption from the own user data; "Lapiro Manager" while they are closed.
  QString caption();
  // True when the own user's Name is empty (the own user data window must open).
  bool ownNameEmpty();

  // Records a shown animal in the recently-shown list and writes the five keys to the
  // settings file when the list changed. Returns whether it changed.
  bool noteAnimalShown(const QString& tatoRechts, const QString& tatoLinks, qlonglong nummer);
  RecentSlots recentSlots() const;
  // Removes a deleted animal from the recently-shown list and writes the five keys when the
  // list changed. Returns whether it changed.
  bool forgetAnimalShown(qlonglong nummer);

  // Writes the settings file; false (file left as it was, errorString() of settingsFile()
  // set) when that fails.
  bool saveSettingsFile();
  // Shows "Die Einstellungen konnten nicht gespeichert werden." with the reason (error box).
  void reportSettingsWriteFailure();

  // End of the program: records the window size when System/Aufloesung asks for it, then
  // closes the data module's and the main window's tables; each close saves its pending
  // changes.
  void finish(const QSize& windowSize);
  void closeTables();

  // CursorProvider: the main window's cursors by their mainCursor names.
  engine::Cursor* cursor(const QString& name) override;

 private:
  void openMessageCatalogue();
  bool settingsWriteFailed_ = false;  // the last recently-shown write failed and was told
  std::unique_ptr<store::OpenFailureNaming> naming_;  // from step 9 until the data module is open

  engine::Engine engine_;
  ProfileFile ini_;
  tsysteminfo settings_;
  store::MessageCatalogue messages_;
  engine::Cursor rasse_;
  engine::Cursor status_;
  engine::Cursor eigen_;
  AnimalList list_;
  std::unique_ptr<store::TDatenStamm> dataModule_;
  store::KeywordIndex keywordIndex_{engine_};
};

}  // namespace lapiro::shell

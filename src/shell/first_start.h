// The first start of the program for a user who has no stock yet, and the start on a data
// directory that is not a whole stock.
//
// When the program directory has no data directory, or one without the animal table (an
// empty folder made by hand or left by a failed copy), or the settings file is missing, the
// program does not fail: it welcomes the user and offers to create an empty stock, a demo
// stock, or (when the program can ask for a folder) to take a stock over from a backup.
// Cancelling the folder chooser or choosing a folder that is no backup returns to these
// choices. Whatever the old data directory held is moved into the safety directory first,
// never deleted. A data directory with the animal table but without some other table of a
// stock gets a message naming the missing tables, with the offer to create them or to restore
// a backup, instead of failing table by table. Every question is asked through the dialog
// service; stocks are made by the installer's logic in this process, which never overwrites
// anything and leaves nothing half-made when it fails.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

namespace lapiro::shell {

enum class FirstStartNeed {
  None,          // data directory and settings are there: a normal start
  Everything,    // no data directory or no animal table in it: a new stock (and the settings,
                 // where missing)
  Incomplete,    // the animal table is there, some other table of a stock is not
  SettingsOnly,  // the data directory is whole but the settings file is missing
};

// What the program finds in the directories of shell::paths. Only reads.
FirstStartNeed firstStartNeed();

struct FirstStartHooks {
  // Runs `work` while the user sees that something is happening (a progress dialog in the
  // program, a plain call in tests). Must call `work` exactly once.
  std::function<void(const QString& what, const std::function<void()>& work)> busy;
  // Asks the user for a backup folder; returns it, or an empty text when the user cancelled.
  // Unset: taking a stock over from a backup is not offered.
  std::function<QString()> chooseBackupFolder;
};

// The German texts of the welcome question.
QString welcomeText(const QString& programDir);
inline constexpr int kChoiceEmpty = 0;
inline constexpr int kChoiceDemo = 1;
inline constexpr int kChoiceRestore = 2;

// The German text of the message for an incomplete data directory; `missing` are table file
// names.
QString incompleteText(const QString& dataDir, const QStringList& missing);
inline constexpr int kRepairCreateTables = 0;
inline constexpr int kRepairRestore = 1;

// Does what firstStartNeed() asks for, with `workArea` for the default window size. Returns
// true when the program may start normally afterwards; false when the user cancelled (then
// nothing was changed) or the stock could not be made (the user was told why, and nothing
// half-made is left). With FirstStartNeed::None it does nothing and returns true.
bool runFirstStart(const QRect& workArea, const FirstStartHooks& hooks = {});

// The first-start way of taking a stock over from a backup folder: the folder's data files
// (every table of a backup, checked one by one) become the data directory of the program
// directory, which gets help pages and missing settings as a new stock would. Returns an empty
// text on success, else the German reason; then no data directory and no settings made here
// remain. PRECONDITION: the program directory has no data directory.
QString takeOverBackup(const QString& source, const QRect& workArea);

// Writes LapiroMan.ini and XVUPD.ini with their defaults where they are missing; never
// replaces an existing file. Returns an empty text on success, else the German reason.
QString writeMissingSettings(const QRect& workArea);

}  // namespace lapiro::shell

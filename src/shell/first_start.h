// The first start of the program for a user who has no stock yet.
//
// When the program directory has no data directory (or no animal table in it), or the
// settings file is missing, the program does not fail: it welcomes the user and offers to
// create an empty stock, a demo stock, or (when the program can restore backups) to take a
// stock over from a backup. The choice is asked through the dialog service; the stock is made
// by the installer's logic in this process, which never overwrites anything and leaves
// nothing half-made when it fails.
#pragma once

#include <QRect>
#include <QString>

#include <functional>

namespace lapiro::shell {

enum class FirstStartNeed {
  None,          // data directory and settings are there: a normal start
  Everything,    // no data directory: a new stock (and the settings, where missing)
  SettingsOnly,  // the data directory is there but the settings file is not
};

// What the program finds in the directories of shell::paths. Only reads.
FirstStartNeed firstStartNeed();

struct FirstStartHooks {
  // Runs `work` while the user sees that something is happening (a progress dialog in the
  // program, a plain call in tests). Must call `work` exactly once.
  std::function<void(const QString& what, const std::function<void()>& work)> busy;
  // Takes a stock over from a backup into the program directory; returns false when it did
  // not happen (the function has told the user why). Unset: the choice is not offered.
  std::function<bool(const QString& programDir)> restore;
};

// The German texts of the welcome question.
QString welcomeText(const QString& programDir);
inline constexpr int kChoiceEmpty = 0;
inline constexpr int kChoiceDemo = 1;
inline constexpr int kChoiceRestore = 2;

// Does what firstStartNeed() asks for, with `workArea` for the default window size. Returns
// true when the program may start normally afterwards; false when the user cancelled (then
// nothing was created) or the stock could not be made (the user was told why, and nothing
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

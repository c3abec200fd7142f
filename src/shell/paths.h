// Where the program's files live.
//
// Program directory, in this order: $LAPIRO_HOME when that is set and not empty (tests and the
// run script use it); the directory of the running executable when it holds "daten" (a
// portable copy); else the user's data directory $XDG_DATA_HOME/LapiroManager (only when that
// variable holds an absolute path), by default ~/.local/share/LapiroManager, so that every user
// of an installed program keeps a stock of their own. It holds the data directory "daten", the
// help directory "Help" and the safety copy "Datensik".
// Settings directory: $LAPIRO_CONFIG_DIR; else $XDG_CONFIG_HOME/LapiroManager (only when that
// variable holds an absolute path, as the XDG rules require); else ~/.config/LapiroManager.
// It holds LapiroMan.ini and XVUPD.ini.
//
// Every function returns an absolute, cleaned path and only computes it: nothing is created
// or checked on disk. The environment is read on each call.
#pragma once

#include <QString>

namespace lapiro::shell::paths {

// PRECONDITION: a QCoreApplication exists, unless LAPIRO_HOME is set; without one the
// current directory stands in for the executable's directory.
QString programDir();

QString dataDir();    // <program>/daten
// The help pages: preferredHelpDir() of <program>/Help and the installed program's shared
// pages (<executable>/../share/lapiro-manager/Help).
QString helpDir();
// Of a stock's own help directory and the installed program's: the shared one when the own
// does not exist or its contents page (1001.html) is missing or older than the shared one's,
// so that an updated package reaches stocks made by an earlier version; else the own one;
// the own path when neither exists.
QString preferredHelpDir(const QString& own, const QString& shared);
QString helpFile();   // <program>/Help/LapiroManager.chm
QString backupDir();  // <program>/Datensik

// The user's documents folder (XDG_DOCUMENTS_DIR of the desktop's user directories, by
// default ~/Documents), where the program puts new texts for the user.
QString documentsDir();

// The directory the program falls back to when neither $LAPIRO_HOME nor a portable copy
// names one (see above).
QString userDataDir();

// Shared read-only resources of an installed program: <executable>/../share/lapiro-manager.
QString sharedResourceDir();

QString settingsDir();
QString settingsFile();       // <settings>/LapiroMan.ini
QString updateControlFile();  // <settings>/XVUPD.ini

}  // namespace lapiro::shell::paths

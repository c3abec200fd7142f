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
// <program>/Help; when that does not exist but the installed program's shared help pages
// do (<executable>/../share/lapiro-manager/Help), those.
QString helpDir();
QString helpFile();   // <program>/Help/LapiroManager.chm
QString backupDir();  // <program>/Datensik

// The directory the program falls back to when neither $LAPIRO_HOME nor a portable copy
// names one (see above).
QString userDataDir();

// Shared read-only resources of an installed program: <executable>/../share/lapiro-manager.
QString sharedResourceDir();

QString settingsDir();
QString settingsFile();       // <settings>/LapiroMan.ini
QString updateControlFile();  // <settings>/XVUPD.ini

}  // namespace lapiro::shell::paths

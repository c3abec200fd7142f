// Where the program's files live.
//
// Program directory: the directory of the running executable, or $LAPIRO_HOME when that is
// set and not empty (tests and the run script use it). It holds the data directory "daten",
// the help directory "Help" and the safety copy "Datensik".
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
QString helpDir();    // <program>/Help
QString helpFile();   // <program>/Help/LapiroManager.chm
QString backupDir();  // <program>/Datensik

QString settingsDir();
QString settingsFile();       // <settings>/LapiroMan.ini
QString updateControlFile();  // <settings>/XVUPD.ini

}  // namespace lapiro::shell::paths

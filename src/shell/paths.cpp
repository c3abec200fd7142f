#include "shell/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace lapiro::shell::paths {

namespace {

QString absolute(const QString& path) {
  return QDir::cleanPath(QDir(path).absolutePath());
}

QString below(const QString& dir, const QString& name) {
  return QDir::cleanPath(dir + u'/' + name);
}

}  // namespace

namespace {

QString executableDir() {
  if (QCoreApplication::instance()) return absolute(QCoreApplication::applicationDirPath());
  return absolute(QDir::currentPath());
}

}  // namespace

QString programDir() {
  const QString home = qEnvironmentVariable("LAPIRO_HOME");
  if (!home.isEmpty()) return absolute(home);
  const QString exe = executableDir();
  if (QFileInfo(below(exe, QStringLiteral("daten"))).isDir()) return exe;
  return userDataDir();
}

QString userDataDir() {
  const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return below(xdg, QStringLiteral("LapiroManager"));
  return below(QDir::homePath(), QStringLiteral(".local/share/LapiroManager"));
}

QString sharedResourceDir() {
  return below(executableDir(), QStringLiteral("../share/lapiro-manager"));
}

QString dataDir() {
  return below(programDir(), QStringLiteral("daten"));
}
QString helpDir() {
  const QString own = below(programDir(), QStringLiteral("Help"));
  if (QFileInfo(own).isDir()) return own;
  const QString shared = below(sharedResourceDir(), QStringLiteral("Help"));
  if (QFileInfo(shared).isDir()) return shared;
  return own;
}
QString helpFile() {
  return below(helpDir(), QStringLiteral("LapiroManager.chm"));
}
QString backupDir() {
  return below(programDir(), QStringLiteral("Datensik"));
}

QString settingsDir() {
  const QString own = qEnvironmentVariable("LAPIRO_CONFIG_DIR");
  if (!own.isEmpty()) return absolute(own);
  const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return below(xdg, QStringLiteral("LapiroManager"));
  return below(QDir::homePath(), QStringLiteral(".config/LapiroManager"));
}

QString settingsFile() {
  return below(settingsDir(), QStringLiteral("LapiroMan.ini"));
}
QString updateControlFile() {
  return below(settingsDir(), QStringLiteral("XVUPD.ini"));
}

}  // namespace lapiro::shell::paths

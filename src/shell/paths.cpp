#include "shell/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace lapiro::shell::paths {

namespace {

QString absolute(const QString& path) {
  return QDir::cleanPath(QDir(path).absolutePath());
}

QString below(const QString& dir, const QString& name) {
  return QDir::cleanPath(dir + u'/' + name);
}

}  // namespace

QString programDir() {
  const QString home = qEnvironmentVariable("LAPIRO_HOME");
  if (!home.isEmpty()) return absolute(home);
  if (QCoreApplication::instance()) return absolute(QCoreApplication::applicationDirPath());
  return absolute(QDir::currentPath());
}

QString dataDir() {
  return below(programDir(), QStringLiteral("daten"));
}
QString helpDir() {
  return below(programDir(), QStringLiteral("Help"));
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

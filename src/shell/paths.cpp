#include "shell/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
QString preferredHelpDir(const QString& own, const QString& shared) {
  const bool ownThere = QFileInfo(own).isDir();
  if (!QFileInfo(shared).isDir()) return own;
  if (!ownThere) return shared;
  const QFileInfo ownContents(own + QStringLiteral("/1001.html"));
  const QFileInfo sharedContents(shared + QStringLiteral("/1001.html"));
  if (!sharedContents.isFile()) return own;
  if (!ownContents.isFile() || ownContents.lastModified() < sharedContents.lastModified()) return shared;
  return own;
}

QString helpDir() {
  return preferredHelpDir(below(programDir(), QStringLiteral("Help")), below(sharedResourceDir(), QStringLiteral("Help")));
}
QString helpFile() {
  return below(helpDir(), QStringLiteral("LapiroManager.chm"));
}
QString backupDir() {
  return below(programDir(), QStringLiteral("Datensik"));
}

QString documentsDir() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return absolute(documents.isEmpty() ? QDir::homePath() : documents);
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

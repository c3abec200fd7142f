#include "shell/word_processor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace lapiro::shell {

namespace {

QString findProgram(const QString& name) {
  if (name.contains(u'/')) {
    const QFileInfo info(name);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
  }
  return QStandardPaths::findExecutable(name);
}

QString notFound(const QString& name) {
  return QStringLiteral("Die Textverarbeitung „%1“ wurde nicht gefunden.\nBitte tragen Sie unter "
                        "„Optionen“ das Programm ein, mit dem Sie Texte schreiben.")
      .arg(name);
}

}  // namespace

QString wordProcessorStartFailed(const QString& program) {
  return QStringLiteral("Die Textverarbeitung „%1“ konnte nicht gestartet werden.").arg(program);
}

WordProcessorLaunch resolveWordProcessor(const QString& setting, const QString& documentsDir) {
  WordProcessorLaunch launch;
  const QString command = setting.trimmed();
  if (command.isEmpty() || command.compare(QStringLiteral("Write.exe"), Qt::CaseInsensitive) == 0) {
    launch.program = findProgram(QStringLiteral("xdg-open"));
    if (launch.program.isEmpty()) {
      launch.error = notFound(QStringLiteral("xdg-open"));
      return launch;
    }
    QDir().mkpath(documentsDir);
    const QDir dir(documentsDir);
    QString path;
    for (int n = 1; path.isEmpty() && n < 10000; ++n) {
      const QString candidate = dir.filePath(QStringLiteral("Text %1.txt").arg(n));
      if (!QFileInfo::exists(candidate)) path = candidate;
    }
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      launch.error = QStringLiteral("Die Textdatei „%1“ kann nicht angelegt werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
      return launch;
    }
    file.close();
    launch.args = {path};
    return launch;
  }
  QStringList parts = QProcess::splitCommand(command);
  if (parts.isEmpty()) {
    launch.error = notFound(command);
    return launch;
  }
  const QString name = parts.takeFirst();
  launch.program = findProgram(name);
  if (launch.program.isEmpty()) {
    launch.error = notFound(name);
    return launch;
  }
  launch.args = parts;
  return launch;
}

}  // namespace lapiro::shell

#include "shell/first_start.h"

#include "installer/demo_stock.h"
#include "installer/installer.h"
#include "safety/data_safety.h"
#include "shell/paths.h"
#include "shell/profile_file.h"
#include "shell/system_info.h"
#include "store/dialog_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace lapiro::shell {

namespace {

bool hasAnimalTable(const QString& dataDir) {
  const QDir dir(dataDir);
  if (!dir.exists()) return false;
  // Table files are found without regard to case, as the engine does.
  const QStringList files = dir.entryList({QStringLiteral("*")}, QDir::Files);
  for (const QString& name : files)
    if (name.compare(QStringLiteral("Hasen.db"), Qt::CaseInsensitive) == 0) return true;
  return false;
}

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace

FirstStartNeed firstStartNeed() {
  if (!QFileInfo(paths::dataDir()).exists()) return FirstStartNeed::Everything;
  if (!QFileInfo(paths::settingsFile()).isFile()) return FirstStartNeed::SettingsOnly;
  return FirstStartNeed::None;
}

QString welcomeText(const QString& programDir) {
  return QStringLiteral(
             "Willkommen bei Lapiro Manager!\n\n"
             "Für Sie ist noch kein Bestand angelegt. Ihre Daten werden in diesem Verzeichnis "
             "gespeichert:\n%1\n\nWie möchten Sie beginnen?")
      .arg(native(programDir));
}

QString writeMissingSettings(const QRect& workArea) {
  const QString settings = paths::settingsFile();
  if (!QFileInfo::exists(settings)) {
    ProfileFile ini(settings);
    ini.setText(QString());
    tsysteminfo::writeDefaults(ini, workArea);
    if (!ini.save())
      return QStringLiteral("Die Einstellungsdatei %1 kann nicht geschrieben werden: %2")
          .arg(native(settings), ini.errorString());
  }
  const QString update = paths::updateControlFile();
  if (!QFileInfo::exists(update)) {
    // The current version, so that start-up runs no update programs.
    ProfileFile ini(update);
    ini.setText(QString());
    ini.writeString(QStringLiteral("Version"), QStringLiteral("Nummer"), QStringLiteral("5.1"));
    for (int n = 1; n <= 3; ++n)
      ini.writeString(QStringLiteral("Programme"), QStringLiteral("Update%1").arg(n), QString());
    if (!ini.save())
      return QStringLiteral("Die Einstellungsdatei %1 kann nicht geschrieben werden: %2")
          .arg(native(update), ini.errorString());
  }
  return {};
}

QString takeOverBackup(const QString& source, const QRect& workArea) {
  if (!QFileInfo(source).isDir() || !safety::isBackupDirectory(source))
    return QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!");
  const QString programDir = paths::programDir();
  const QString dataDir = paths::dataDir();
  const bool hadSettings = QFileInfo::exists(paths::settingsFile());
  const bool hadUpdate = QFileInfo::exists(paths::updateControlFile());

  // First an empty stock (tables, help pages, safety directory, settings), then its data
  // directory is replaced by checked copies of the backup's files.
  installer::InstallOptions install;
  install.programDir = programDir;
  install.settingsDir = paths::settingsDir();
  install.workArea = workArea;
  QTemporaryDir scratch;
  if (hadSettings || hadUpdate) install.settingsDir = scratch.path();
  const installer::InstallResult made = installer::install(install);
  if (made.exitCode != installer::kExitOk) return made.message;

  QString error;
  QTemporaryDir staged(programDir + QStringLiteral("/.daten-sicherung-XXXXXX"));
  if (!staged.isValid()) error = QStringLiteral("Im Programmverzeichnis %1 kann nicht geschrieben werden.").arg(native(programDir));
  for (const QString& name : safety::dataFiles(source, false)) {
    if (!error.isEmpty()) break;
    QString why;
    if (!safety::copyChecked(source + u'/' + name, staged.path() + u'/' + name, &why))
      error = QStringLiteral("Die Datei %1 der Sicherung kann nicht übernommen werden: %2").arg(name, why);
  }
  if (error.isEmpty()) {
    const QString empty = programDir + QStringLiteral("/.daten-leer");
    QDir(empty).removeRecursively();
    if (!QDir().rename(dataDir, empty) || !QDir().rename(staged.path(), dataDir)) {
      if (!QFileInfo::exists(dataDir)) QDir().rename(empty, dataDir);
      error = QStringLiteral("Das Datenverzeichnis %1 kann nicht angelegt werden.").arg(native(dataDir));
    } else {
      staged.setAutoRemove(false);
      QDir(empty).removeRecursively();
    }
  }
  if (error.isEmpty()) error = writeMissingSettings(workArea);
  if (!error.isEmpty()) {
    // Nothing of the taken-over stock stays: the next start welcomes the user again.
    QDir(dataDir).removeRecursively();
    if (!hadSettings) QFile::remove(paths::settingsFile());
    if (!hadUpdate) QFile::remove(paths::updateControlFile());
  }
  return error;
}

bool runFirstStart(const QRect& workArea, const FirstStartHooks& hooks) {
  const FirstStartNeed need = firstStartNeed();
  if (need == FirstStartNeed::None) return true;
  auto& dialogs = store::dialogs();
  const auto busy = [&hooks](const QString& what, const std::function<void()>& work) {
    if (hooks.busy)
      hooks.busy(what, work);
    else
      work();
  };

  if (need == FirstStartNeed::SettingsOnly) {
    // A stock exists (a portable copy, or settings removed by hand): keep it, add settings.
    const QString error = writeMissingSettings(workArea);
    if (!error.isEmpty()) {
      dialogs.error(error);
      return false;
    }
    dialogs.inform(QStringLiteral("Die Einstellungen wurden neu angelegt:\n%1\n\nIhr Bestand in %2 bleibt "
                                  "unverändert.")
                       .arg(native(paths::settingsFile()), native(paths::dataDir())));
    return true;
  }

  const QString programDir = paths::programDir();
  QStringList options{
      QStringLiteral("Neuen, leeren Bestand anlegen\nFür Ihre eigene Zucht: alle Tabellen leer, Rassen, "
                     "Farben und Status vorbereitet."),
      QStringLiteral("Demo-Bestand zum Ausprobieren\n%1 Beispieltiere mit Stammbäumen, Adressen und Würfen.")
          .arg(installer::DemoStockOptions().animals)};
  if (hooks.restore) options << QStringLiteral("Bestand aus einer Sicherung übernehmen\nEine früher angelegte "
                                               "Datensicherung in dieses Verzeichnis zurückholen.");
  const int choice = dialogs.choose(welcomeText(programDir), options, QStringLiteral("Willkommen"));
  if (choice < 0 || choice >= options.size()) return false;

  if (choice == kChoiceRestore) {
    if (!hooks.restore(programDir)) return false;
    const QString error = writeMissingSettings(workArea);
    if (!error.isEmpty()) {
      dialogs.error(error);
      return false;
    }
    return true;
  }

  installer::InstallOptions install;
  install.programDir = programDir;
  install.settingsDir = paths::settingsDir();
  install.workArea = workArea;
  if (choice == kChoiceDemo) install.demoAnimals = installer::DemoStockOptions().animals;
  // Settings that exist already are kept: the installer then writes its settings into a
  // directory that is thrown away.
  const bool settingsExist = QFileInfo::exists(paths::settingsFile()) || QFileInfo::exists(paths::updateControlFile());

  installer::InstallResult result;
  busy(choice == kChoiceDemo ? QStringLiteral("Der Demo-Bestand wird angelegt …")
                             : QStringLiteral("Der neue Bestand wird angelegt …"),
       [&] {
         QTemporaryDir scratch;
         if (settingsExist) install.settingsDir = scratch.path();
         result = installer::install(install);
       });
  if (result.exitCode != installer::kExitOk) {
    dialogs.error(QStringLiteral("Der Bestand konnte nicht angelegt werden.\n\n") + result.message);
    return false;
  }
  if (settingsExist) {
    const QString error = writeMissingSettings(workArea);
    if (!error.isEmpty()) {
      dialogs.error(error);
      return false;
    }
  }
  dialogs.inform(QStringLiteral("Ihr Bestand wurde angelegt.\n\nDaten: %1\nEinstellungen: %2")
                     .arg(native(paths::dataDir()), native(paths::settingsFile())));
  return true;
}

}  // namespace lapiro::shell

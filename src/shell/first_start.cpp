#include "shell/first_start.h"

#include "installer/demo_stock.h"
#include "installer/installer.h"
#include "safety/data_safety.h"
#include "shell/paths.h"
#include "shell/profile_file.h"
#include "shell/system_info.h"
#include "store/dialog_service.h"

#include <QDateTime>
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

// A data directory that is in the way of a new stock: an empty one is removed, one with
// content is moved into the safety directory under a dated name. restore() undoes that when
// the new stock could not be made.
class OldDataDirectory {
 public:
  // Returns an empty text when the way is clear, else the German reason (nothing changed).
  QString clear() {
    const QString data = paths::dataDir();
    const QFileInfo info(data);
    if (!info.exists() && !info.isSymLink()) return {};
    if (info.isDir() && !info.isSymLink() && QDir().rmdir(data)) {
      removedEmpty_ = true;
      return {};
    }
    const QString safety = paths::backupDir();
    keptAt_ = installer::datedAsideName(safety, QDateTime::currentDateTime());
    if (!QDir().mkpath(safety) || !QDir().rename(data, keptAt_)) {
      keptAt_.clear();
      return QStringLiteral("Das vorhandene Datenverzeichnis %1 kann nicht nach %2 verschoben werden.")
          .arg(native(data), native(safety));
    }
    return {};
  }
  // Puts the old directory back where a new stock did not come about.
  void restore() {
    const QString data = paths::dataDir();
    if (QFileInfo::exists(data)) return;
    if (!keptAt_.isEmpty() && QDir().rename(keptAt_, data)) keptAt_.clear();
    if (removedEmpty_) QDir().mkdir(data);
    removedEmpty_ = false;
  }
  // The sentence for the final message; empty when nothing was kept.
  QString note() const {
    if (keptAt_.isEmpty()) return {};
    return QStringLiteral("\n\nDer bisherige Inhalt des Datenverzeichnisses liegt jetzt in %1.").arg(native(keptAt_));
  }

 private:
  QString keptAt_;
  bool removedEmpty_ = false;
};

}  // namespace

FirstStartNeed firstStartNeed() {
  const QString data = paths::dataDir();
  if (!QFileInfo(data).isDir() || !hasAnimalTable(data)) return FirstStartNeed::Everything;
  if (!installer::missingTables(data).isEmpty()) return FirstStartNeed::Incomplete;
  if (!QFileInfo(paths::settingsFile()).isFile()) return FirstStartNeed::SettingsOnly;
  return FirstStartNeed::None;
}

QString incompleteText(const QString& dataDir, const QStringList& missing) {
  QStringList names;
  for (const QString& table : missing) names << QStringLiteral("  ") + table;
  return QStringLiteral(
             "Im Datenverzeichnis\n%1\nfehlen Tabellen, ohne die Lapiro Manager nicht arbeiten kann:\n\n%2\n\n"
             "Die vorhandenen Tabellen bleiben in jedem Fall unverändert. Wie möchten Sie fortfahren?")
      .arg(native(dataDir), names.join(u'\n'));
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

namespace {

using Busy = std::function<void(const QString&, const std::function<void()>&)>;

// Asks for a backup folder. Returns it when it is a backup; an empty text ("back to the
// choices") when the user cancelled or chose another folder (then the user was told).
QString askBackupFolder(const FirstStartHooks& hooks) {
  const QString folder = hooks.chooseBackupFolder();
  if (folder.isEmpty()) return {};
  if (!QFileInfo(folder).isDir() || !safety::isBackupDirectory(folder)) {
    store::dialogs().error(QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!"));
    return {};
  }
  return folder;
}

bool writeSettingsOrTell(const QRect& workArea) {
  const QString error = writeMissingSettings(workArea);
  if (error.isEmpty()) return true;
  store::dialogs().error(error);
  return false;
}

// The welcome dialog: a new stock, a demo stock or a backup taken over. Cancelling the
// folder chooser, a folder that is no backup, or a backup that cannot be taken over return to
// the choices.
bool welcome(const QRect& workArea, const FirstStartHooks& hooks, const Busy& busy) {
  auto& dialogs = store::dialogs();
  const QString programDir = paths::programDir();
  QStringList options{
      QStringLiteral("Neuen, leeren Bestand anlegen\nFür Ihre eigene Zucht: alle Tabellen leer, Rassen, "
                     "Farben und Status vorbereitet."),
      QStringLiteral("Demo-Bestand zum Ausprobieren\n%1 Beispieltiere mit Stammbäumen, Adressen und Würfen.")
          .arg(installer::DemoStockOptions().animals)};
  if (hooks.chooseBackupFolder)
    options << QStringLiteral("Bestand aus einer Sicherung übernehmen\nEine früher angelegte "
                              "Datensicherung in dieses Verzeichnis zurückholen.");
  for (;;) {
    const int choice = dialogs.choose(welcomeText(programDir), options, QStringLiteral("Willkommen"));
    if (choice < 0 || choice >= options.size()) return false;

    if (choice == kChoiceRestore) {
      const QString folder = askBackupFolder(hooks);
      if (folder.isEmpty()) continue;
      OldDataDirectory old;
      if (const QString error = old.clear(); !error.isEmpty()) {
        dialogs.error(error);
        continue;
      }
      QString error;
      busy(QStringLiteral("Der Bestand wird aus der Sicherung übernommen …"),
           [&] { error = takeOverBackup(folder, workArea); });
      if (!error.isEmpty()) {
        old.restore();
        dialogs.error(QStringLiteral("Der Bestand konnte nicht übernommen werden.\n\n") + error);
        continue;
      }
      if (!writeSettingsOrTell(workArea)) return false;
      dialogs.inform(QStringLiteral("Der Bestand aus der Sicherung wurde übernommen.\n\nDaten: %1")
                         .arg(native(paths::dataDir())) +
                     old.note());
      return true;
    }

    installer::InstallOptions install;
    install.programDir = programDir;
    install.settingsDir = paths::settingsDir();
    install.workArea = workArea;
    if (choice == kChoiceDemo) install.demoAnimals = installer::DemoStockOptions().animals;
    // Settings that exist already are kept: the installer then writes its settings into a
    // directory that is thrown away.
    const bool settingsExist =
        QFileInfo::exists(paths::settingsFile()) || QFileInfo::exists(paths::updateControlFile());
    OldDataDirectory old;
    if (const QString error = old.clear(); !error.isEmpty()) {
      dialogs.error(QStringLiteral("Der Bestand konnte nicht angelegt werden.\n\n") + error);
      return false;
    }

    installer::InstallResult result;
    busy(choice == kChoiceDemo ? QStringLiteral("Der Demo-Bestand wird angelegt …")
                               : QStringLiteral("Der neue Bestand wird angelegt …"),
         [&] {
           QTemporaryDir scratch;
           if (settingsExist) install.settingsDir = scratch.path();
           result = installer::install(install);
         });
    if (result.exitCode != installer::kExitOk) {
      old.restore();
      dialogs.error(QStringLiteral("Der Bestand konnte nicht angelegt werden.\n\n") + result.message);
      return false;
    }
    if (settingsExist && !writeSettingsOrTell(workArea)) return false;
    dialogs.inform(QStringLiteral("Ihr Bestand wurde angelegt.\n\nDaten: %1\nEinstellungen: %2")
                       .arg(native(paths::dataDir()), native(paths::settingsFile())) +
                   old.note());
    return true;
  }
}

// A data directory with the animal table but without other tables of a stock: the missing
// tables are named, and created or a backup restored on request. Returns true once the
// directory is whole; false when the user ends the program (nothing changed) or the repair
// failed (the user was told why).
bool repairIncomplete(const FirstStartHooks& hooks, const Busy& busy) {
  auto& dialogs = store::dialogs();
  QStringList options{QStringLiteral("Fehlende Tabellen neu anlegen\nSie werden leer angelegt, Meldungstexte und "
                                     "Nachschlagelisten mit ihren Vorgaben.")};
  if (hooks.chooseBackupFolder)
    options << QStringLiteral("Eine Datensicherung zurückspielen\nDie jetzigen Daten kommen in die "
                              "Sicherheitskopie „Datensik“.");
  for (;;) {
    const QString data = paths::dataDir();
    const QStringList missing = installer::missingTables(data);
    if (missing.isEmpty()) return true;
    const int choice = dialogs.choose(incompleteText(data, missing), options, QStringLiteral("Unvollständige Daten"));
    if (choice < 0 || choice >= options.size()) return false;

    if (choice == kRepairCreateTables) {
      installer::MissingTablesResult made;
      busy(QStringLiteral("Die fehlenden Tabellen werden angelegt …"), [&] { made = installer::addMissingTables(data); });
      if (!made.error.isEmpty()) {
        dialogs.error(QStringLiteral("Die fehlenden Tabellen konnten nicht angelegt werden.\n\n") + made.error);
        return false;
      }
      dialogs.inform(QStringLiteral("Diese Tabellen wurden angelegt:\n%1").arg(made.created.join(QStringLiteral(", "))));
      continue;
    }

    const QString folder = askBackupFolder(hooks);
    if (folder.isEmpty()) continue;
    safety::RestoreResult restored;
    busy(QStringLiteral("Die Datensicherung wird zurückgespielt …"), [&] {
      restored = safety::restore(safety::SafetyPaths(paths::programDir()), folder, {}, {}, {});
    });
    if (!restored.message.isEmpty()) {
      if (restored.status == safety::RestoreStatus::Restored)
        dialogs.inform(restored.message);
      else if (restored.status != safety::RestoreStatus::Refused)  // a refusal was shown already
        dialogs.error(restored.message);
    }
  }
}

}  // namespace

bool runFirstStart(const QRect& workArea, const FirstStartHooks& hooks) {
  const auto busy = [&hooks](const QString& what, const std::function<void()>& work) {
    if (hooks.busy)
      hooks.busy(what, work);
    else
      work();
  };
  switch (firstStartNeed()) {
    case FirstStartNeed::None:
      return true;
    case FirstStartNeed::Everything:
      return welcome(workArea, hooks, busy);
    case FirstStartNeed::Incomplete:
      if (!repairIncomplete(hooks, busy)) return false;
      if (QFileInfo(paths::settingsFile()).isFile()) return true;
      [[fallthrough]];
    case FirstStartNeed::SettingsOnly:
      // A stock exists (a portable copy, or settings removed by hand): keep it, add settings.
      if (!writeSettingsOrTell(workArea)) return false;
      store::dialogs().inform(QStringLiteral("Die Einstellungen wurden neu angelegt:\n%1\n\nIhr Bestand in %2 bleibt "
                                             "unverändert.")
                                  .arg(native(paths::settingsFile()), native(paths::dataDir())));
      return true;
  }
  return false;
}

}  // namespace lapiro::shell

#include "installer/installer.h"

#include "installer/demo_pictures.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <functional>

#include "core/safe_write.h"
#include "engine/dataset.h"
#include "engine/sqlite_util.h"
#include "installer/content.h"
#include "installer/demo_stock.h"
#include "shell/profile_file.h"
#include "shell/system_info.h"
#include "store/catalogue.h"

namespace lapiro::installer {

using engine::EngineError;
using engine::FieldType;

// ---------------------------------------------------------------------------- install

namespace {

// A failure that ends the installation with a German message.
struct InstallError {
  QString message;
};

QString nativePath(const QString& path) {
  return QDir::toNativeSeparators(QDir::cleanPath(path));
}

void makeDir(const QString& path) {
  if (!QDir().mkpath(path))
    throw InstallError{
        QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.").arg(nativePath(path))};
}

// Creates every table the installation supplies, and with a demo stock the tables the
// program would otherwise create on its first start for the demo's weighings and wool tests.
int createTables(engine::Engine& engine, bool withDemo) {
  int count = 0;
  for (const store::CatalogueTable& t : store::catalogue()) {
    using Origin = store::CatalogueTable::Origin;
    const bool demoTable =
        withDemo && t.origin == Origin::CreatedByProgram &&
        (engine::sameName(t.def.name, u"Gewichtstabelle"_qs) || engine::sameName(t.def.name, u"Angora"_qs));
    if (t.origin != Origin::Installer && !demoTable) continue;
    engine.createTable(t.fileName, store::currentLayout(t));
    ++count;
  }
  return count;
}

void fillMessages(engine::Engine& engine) {
  TableLoader loader(engine, u"Sprmel.db"_qs);
  const int nummer = loader.column(u"Nummer"_qs);
  const int meldung = loader.column(u"Meldung"_qs);
  for (const auto& [number, text] : messageTexts()) {
    std::vector<QVariant> row = loader.emptyRow();
    row[nummer] = number;
    row[meldung] = text;
    loader.insert(row);
  }
  loader.commit();
}

void fillLookups(engine::Engine& engine) {
  for (const TableRows& rows : lookupRows()) {
    TableLoader loader(engine, rows.table);
    for (const QVariantMap& row : rows.rows) loader.insert(row);
    loader.commit();
  }
}

void writeHelp(const QString& dir) {
  for (const HelpPage& page : helpPages()) {
    QString error;
    if (!core::writeFileSafely(dir + u'/' + page.fileName, page.html.toUtf8(), &error)) throw InstallError{error};
  }
}

// LapiroMan.ini with every key at its default. With `force` an existing file is replaced
// completely rather than merged.
shell::ProfileFile settingsProfile(const QString& path, const QRect& workArea) {
  shell::ProfileFile ini(path);
  ini.setText(QString());
  shell::tsysteminfo::writeDefaults(ini, workArea);
  // Without a known work area (the usual case: the installer runs without a screen) the
  // program's first start fills the screen's work area and keeps the user's size afterwards.
  if (workArea.isEmpty())
    ini.writeString(QStringLiteral("System"), QStringLiteral("Aufloesung"), QStringLiteral("Angepasst"));
  return ini;
}

// XVUPD.ini: the current version, so that start-up runs no update programs, and empty
// program slots.
shell::ProfileFile updateControlProfile(const QString& path) {
  shell::ProfileFile ini(path);
  ini.setText(QString());
  ini.writeString(u"Version"_qs, u"Nummer"_qs, u"5.1"_qs);
  for (int n = 1; n <= 3; ++n) ini.writeString(u"Programme"_qs, QStringLiteral("Update%1").arg(n), QString());
  return ini;
}

// Writes a settings profile under the hidden staging name beside its target; the final
// placement renames it into place.
QString stageProfile(const shell::ProfileFile& ini) {
  const QFileInfo target(ini.path());
  const QString staged = target.absolutePath() + u'/' + core::temporaryPrefix(target.fileName()) + u"install"_qs;
  QString error;
  if (!core::writeFileSafely(staged, ini.text().toUtf8(), &error)) throw InstallError{error};
  return staged;
}

// ------------------------------------------------------------------ final placement
//
// The new data directory, help directory and the two settings files are built under hidden
// names and then renamed into place, the settings files last (the program does not start
// without LapiroMan.ini). Before the first rename a journal in the program directory names
// every target and whether it replaces an existing one; a replaced target is first moved to
// a hidden ".<name>.alt" beside it. A failure in the renames, or the next run after a process
// killed during them, rolls back by the journal: targets made by the run are removed and the
// moved-aside ones put back. The journal goes before the moved-aside copies are removed.

QString journalPath(const QString& programDir) { return programDir + u"/.lapiro-install-journal"_qs; }

QString asidePath(const QString& target) {
  const QFileInfo info(target);
  return info.absolutePath() + u"/."_qs + info.fileName() + u".alt"_qs;
}

bool removePath(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return true;
  if (info.isDir() && !info.isSymLink()) return QDir(path).removeRecursively();
  return QFile::remove(path);
}

struct Placement {
  QString staged;
  QString target;
  bool replaces = false;
  // Where the replaced target goes; empty: the hidden asidePath(), removed after success.
  // Set: the replaced target stays there.
  QString keptAt;

  QString aside() const { return keptAt.isEmpty() ? asidePath(target) : keptAt; }
};

// Undoes the placements named by the journal, if there is one, and removes it.
void rollBackByJournal(const QString& programDir) {
  QFile journal(journalPath(programDir));
  if (!journal.exists()) return;
  if (journal.open(QIODevice::ReadOnly)) {
    const QStringList lines = QString::fromUtf8(journal.readAll()).split(u'\n', Qt::SkipEmptyParts);
    journal.close();
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
      const QString kind = it->section(u'\t', 0, 0);
      const QString target = it->section(u'\t', 1, 1);
      const QString kept = it->section(u'\t', 2, 2);
      const QString aside = kept.isEmpty() ? asidePath(target) : kept;
      if (kind == u"ersetzt") {
        // Moved aside already: the target in place (if any) is the new one.
        if (QFileInfo::exists(aside) && removePath(target)) QDir().rename(aside, target);
      } else {
        removePath(target);
      }
    }
  }
  QFile::remove(journalPath(programDir));
}

// Removes what an interrupted earlier run left: it rolls back by the journal, then deletes
// the hidden build directories, staged settings files and moved-aside copies.
void cleanUpInterruptedRun(const QString& programDir, const QString& settingsDir) {
  rollBackByJournal(programDir);
  const QDir program(programDir);
  for (const QString& name :
       program.entryList({u".daten-neu-*"_qs, u".Help-neu-*"_qs, u".daten.alt"_qs, u".Help.alt"_qs},
                         QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
    removePath(program.filePath(name));
  const QDir settings(settingsDir);
  for (const QString& file : {u"LapiroMan.ini"_qs, u"XVUPD.ini"_qs}) {
    for (const QString& name :
         settings.entryList({core::temporaryPrefix(file) + u'*', u'.' + file + u".alt"_qs},
                            QDir::Files | QDir::Hidden | QDir::System))
      removePath(settings.filePath(name));
  }
}

// Renames every staged item into place as one unit (see above). `step` is called after each
// rename with the target's file name. Throws InstallError after rolling back.
void placeAll(const QString& programDir, const std::vector<Placement>& items,
              const std::function<void(const QString&)>& step) {
  QStringList lines;
  for (const Placement& p : items) {
    // A directory never replaces a file nor a file a directory.
    if (p.replaces && QFileInfo(p.target).isDir() != QFileInfo(p.staged).isDir())
      throw InstallError{QStringLiteral("%1 kann nicht ersetzt werden.").arg(nativePath(p.target))};
    QString line = (p.replaces ? u"ersetzt"_qs : u"neu"_qs) + u'\t' + p.target;
    if (p.replaces && !p.keptAt.isEmpty()) line += u'\t' + p.keptAt;
    lines << line;
  }
  QString error;
  if (!core::writeFileSafely(journalPath(programDir), lines.join(u'\n').toUtf8() + '\n', &error))
    throw InstallError{error};
  for (const Placement& p : items) {
    const bool ok = (!p.replaces || QDir().rename(p.target, p.aside())) && QDir().rename(p.staged, p.target);
    if (!ok) {
      rollBackByJournal(programDir);
      throw InstallError{QStringLiteral("%1 kann nicht an seinen Platz gebracht werden.").arg(nativePath(p.target))};
    }
    if (step) step(QFileInfo(p.target).fileName());
  }
  QFile::remove(journalPath(programDir));
  for (const Placement& p : items)
    if (p.replaces && p.keptAt.isEmpty()) removePath(asidePath(p.target));
}

bool holdsAnything(const QString& dir) {
  const QFileInfo info(dir);
  if (!info.isDir()) return info.exists();
  return !QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
}

QString secondsText(qint64 ms) {
  return QLocale(QLocale::German, QLocale::Germany).toString(static_cast<double>(ms) / 1000.0, 'f', 1);
}

}  // namespace

QString datedAsideName(const QString& dir, const QDateTime& when) {
  const QString base = QDir(dir).filePath(u"daten-"_qs + when.toString(u"yyyy-MM-dd-HHmmss"_qs));
  QString name = base;
  for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n) name = base + u'-' + QString::number(n);
  return name;
}

QStringList missingTables(const QString& dataDir) {
  engine::Engine engine;
  engine.setAlias(QString::fromUtf16(engine::Engine::kDefaultAlias), dataDir);
  QStringList missing;
  for (const store::CatalogueTable& t : store::catalogue())
    if (t.origin == store::CatalogueTable::Origin::Installer && !engine.tableExists(t.fileName)) missing << t.fileName;
  return missing;
}

MissingTablesResult addMissingTables(const QString& dataDir) {
  MissingTablesResult result;
  const QStringList missing = missingTables(dataDir);
  if (missing.isEmpty()) return result;
  engine::Engine engine;
  engine.setAlias(QString::fromUtf16(engine::Engine::kDefaultAlias), dataDir);
  const auto created = [&result](const QString& table) {
    const store::CatalogueTable* wanted = store::findTable(table);
    for (const QString& name : result.created)
      if (store::findTable(name) == wanted) return true;
    return false;
  };
  try {
    for (const QString& name : missing) {
      engine.createTable(name, store::currentLayout(*store::findTable(name)));
      result.created << name;
    }
    if (created(u"Sprmel.db"_qs)) fillMessages(engine);
    for (const TableRows& rows : lookupRows()) {
      if (!created(rows.table)) continue;
      TableLoader loader(engine, rows.table);
      for (const QVariantMap& row : rows.rows) loader.insert(row);
      loader.commit();
    }
  } catch (const EngineError& e) {
    result.error = e.message();
  } catch (const std::exception& e) {
    result.error = QString::fromLocal8Bit(e.what());
  }
  if (!result.error.isEmpty()) {
    for (const QString& name : result.created) QFile::remove(engine.resolve(name));
    result.created.clear();
  }
  return result;
}

InstallResult install(const InstallOptions& options) {
  QElapsedTimer timer;
  timer.start();
  InstallResult result;

  const QString programDir = QDir::cleanPath(QDir(options.programDir).absolutePath());
  const QString settingsDir = QDir::cleanPath(QDir(options.settingsDir).absolutePath());
  const QString dataDir = programDir + u"/daten"_qs;
  const QString helpDir = programDir + u"/Help"_qs;
  const QString backupDir = programDir + u"/Datensik"_qs;
  const QString settingsFile = settingsDir + u"/LapiroMan.ini"_qs;
  const QString updateFile = settingsDir + u"/XVUPD.ini"_qs;

  if (options.demoAnimals && *options.demoAnimals < 0) {
    result.exitCode = kExitFailed;
    result.message = QStringLiteral("Die Anzahl der Demo-Tiere darf nicht negativ sein.");
    return result;
  }

  // What a killed earlier run left is undone first, so that it neither blocks this run nor
  // stays behind.
  cleanUpInterruptedRun(programDir, settingsDir);

  // Refuse before anything is written, naming every existing file or directory.
  if (!options.force) {
    QStringList refused;
    if (QFileInfo::exists(dataDir))
      refused << QStringLiteral(
                     "Das Datenverzeichnis %1 existiert bereits. Mit --force wird es überschrieben.")
                     .arg(nativePath(dataDir));
    for (const QString& file : {settingsFile, updateFile})
      if (QFileInfo::exists(file))
        refused << QStringLiteral(
                       "Die Einstellungsdatei %1 existiert bereits. Mit --force wird sie überschrieben.")
                       .arg(nativePath(file));
    if (!refused.isEmpty()) {
      result.exitCode = kExitExists;
      result.message = refused.join(u'\n');
      return result;
    }
  }

  bool createdBackupDir = false;
  const auto failed = [&](const QString& reason) {
    // Nothing of this run stays: staged files and the new, still empty backup directory go.
    cleanUpInterruptedRun(programDir, settingsDir);
    if (createdBackupDir) QDir().rmdir(backupDir);
    result.exitCode = kExitFailed;
    result.message = QStringLiteral("Installation abgebrochen: ") + reason;
    return result;
  };
  try {
    makeDir(programDir);
    makeDir(settingsDir);

    QTemporaryDir newData(programDir + u"/.daten-neu-XXXXXX"_qs);
    QTemporaryDir newHelp(programDir + u"/.Help-neu-XXXXXX"_qs);
    if (!newData.isValid() || !newHelp.isValid())
      throw InstallError{QStringLiteral("Im Programmverzeichnis %1 kann nicht geschrieben werden.")
                             .arg(nativePath(programDir))};

    {
      engine::Engine engine;
      engine.setAlias(QString::fromUtf16(engine::Engine::kDefaultAlias), newData.path());
      result.tablesCreated = createTables(engine, options.demoAnimals.has_value());
      fillMessages(engine);
      fillLookups(engine);
      if (options.demoAnimals) {
        DemoStockOptions demo;
        demo.animals = *options.demoAnimals;
        result.animals = writeDemoStock(engine, demo).animals;
        writeDemoPictures(engine);
      }
    }
    writeHelp(newHelp.path());

    const QString staged = stageProfile(settingsProfile(settingsFile, options.workArea));
    const QString stagedUpdate = stageProfile(updateControlProfile(updateFile));
    createdBackupDir = !QFileInfo::exists(backupDir);
    makeDir(backupDir);

    // A replaced data directory with content is kept in the safety directory, never deleted.
    Placement data{newData.path(), dataDir, QFileInfo::exists(dataDir), {}};
    if (data.replaces && holdsAnything(dataDir)) data.keptAt = datedAsideName(backupDir, QDateTime::currentDateTime());
    std::vector<Placement> items{{newHelp.path(), helpDir, QFileInfo::exists(helpDir), {}},
                                 data,
                                 {stagedUpdate, updateFile, QFileInfo::exists(updateFile), {}},
                                 {staged, settingsFile, QFileInfo::exists(settingsFile), {}}};
    newHelp.setAutoRemove(false);
    newData.setAutoRemove(false);
    try {
      placeAll(programDir, items, options.afterPlacing);
      result.movedAside = data.keptAt;
    } catch (...) {
      for (const Placement& p : items) removePath(p.staged);
      throw;
    }
  } catch (const InstallError& e) {
    return failed(e.message);
  } catch (const EngineError& e) {
    return failed(e.message());
  } catch (const std::exception& e) {
    return failed(QString::fromLocal8Bit(e.what()));
  }

  result.elapsedMs = timer.elapsed();
  QStringList lines;
  lines << QStringLiteral("Lapiro Manager wurde in %1 installiert.").arg(nativePath(programDir));
  lines << QStringLiteral("Tabellen angelegt: %1").arg(result.tablesCreated);
  if (options.demoAnimals) lines << QStringLiteral("Demo-Tiere erzeugt: %1").arg(result.animals);
  lines << QStringLiteral("Einstellungen: %1").arg(nativePath(settingsFile));
  if (!result.movedAside.isEmpty())
    lines << QStringLiteral("Das bisherige Datenverzeichnis wurde nach %1 verschoben.").arg(nativePath(result.movedAside));
  lines << QStringLiteral("Dauer: %1 s").arg(secondsText(result.elapsedMs));
  result.message = lines.join(u'\n');
  return result;
}

}  // namespace lapiro::installer

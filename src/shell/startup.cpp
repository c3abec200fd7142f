#include "shell/startup.h"

#include "exchange/exchange_import.h"
#include "safety/data_safety.h"

#include "shell/paths.h"
#include "shell/placement.h"
#include "breeding/wool_performance.h"
#include "breeding/litter_book.h"
#include "shows/show_rules.h"
#include "store/catalogue.h"
#include "store/data_module.h"
#include "store/dialog_service.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>

namespace lapiro::shell {

using engine::EngineError;
using engine::FieldType;

#ifndef LAPIRO_VERSION
#define LAPIRO_VERSION "0.0.0"
#endif

// ------------------------------------------------------------------ single instance

InstanceLock::InstanceLock(const QString& path) : lock_(std::make_unique<QLockFile>(path)) {
  // Only a dead owner makes the lock stale: a program may run for days.
  lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

InstanceLock::Result InstanceLock::tryAcquire() {
  if (lock_->isLocked()) return Result::Acquired;
  if (lock_->tryLock(0)) return Result::Acquired;
  // tryLock() removes a stale file itself; whatever remains is held by a live process.
  return lock_->error() == QLockFile::LockFailedError ? Result::HeldByOther : Result::Unavailable;
}

void InstanceLock::release() {
  if (lock_->isLocked()) lock_->unlock();
}

QString InstanceLock::defaultPath() { return paths::settingsDir() + QStringLiteral("/LapiroManager.lock"); }

bool acquireSingleInstance(InstanceLock& lock) {
  if (lock.tryAcquire() != InstanceLock::Result::HeldByOther) return true;
  store::dialogs().inform(QStringLiteral("Lapiro Manager wird bereits ausgeführt!"));
  return false;
}

// ------------------------------------------------------------------ files

QString helpPagePath(int context) { return paths::helpDir() + u'/' + QString::number(context) + QStringLiteral(".html"); }

QString helpMissingText(const QString& path) {
  return QStringLiteral("Hilfe-Datei nicht gefunden") + u'\r' + QDir::toNativeSeparators(path);
}

bool checkSettingsFile(const QString& settingsFile) {
  if (QFileInfo(settingsFile).isFile()) return true;
  store::dialogs().error(QStringLiteral("Installationsdatei nicht vorhanden. Programmabbruch!"));
  return false;
}

bool checkHelp(const QString& contentsPage) {
  if (QFileInfo(contentsPage).isFile()) return true;
  store::dialogs().inform(helpMissingText(contentsPage));
  return false;
}

int runUpdateCommands(const ProfileFile& xvupd, const CommandRunner& run) {
  const QStringList commands = updateCommands(xvupd);
  for (const QString& command : commands) run(command);
  return static_cast<int>(commands.size());
}

void runAndWait(const QString& commandLine) {
  QStringList args = QProcess::splitCommand(commandLine);
  if (args.isEmpty()) return;
  const QString program = args.takeFirst();
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(program, args);
  if (process.waitForStarted(-1)) process.waitForFinished(-1);
}

bool startDetached(const QString& commandLine) {
  QStringList args = QProcess::splitCommand(commandLine);
  if (args.isEmpty()) return false;
  const QString program = args.takeFirst();
  return QProcess::startDetached(program, args);
}

QString mainCaption(const QString& vorname, const QString& name) {
  return QStringLiteral("Lapiro Manager  <") + vorname + u' ' + name + u'>';
}

// ------------------------------------------------------------------ session

namespace {

QStringList catalogueFields(const QString& table) {
  QStringList names;
  if (const store::CatalogueTable* t = store::findTable(table))
    for (const auto& f : t->def.fields) names << f.name;
  return names;
}

void configure(engine::Cursor& cursor, const QString& table) {
  cursor.setTableName(table);
  cursor.setExpectedFields(catalogueFields(table));
}

}  // namespace

ShellSession::ShellSession()
    : messages_(engine_),
      rasse_(engine_, store::mainCursor::Rasse.toString()),
      status_(engine_, store::mainCursor::Status.toString()),
      eigen_(engine_, store::mainCursor::Eigen.toString()),
      list_(engine_) {
  configure(rasse_, QStringLiteral("Rasse.db"));
  configure(status_, QStringLiteral("Status.db"));
  configure(eigen_, QStringLiteral("eigen.DB"));
  eigen_.addCalculatedField(QStringLiteral("Benutzer"), FieldType::Alpha, 60);
  eigen_.addCalculatedField(QStringLiteral("ortAnzeige"), FieldType::Alpha, 50);
  eigen_.addCalculatedField(QStringLiteral("HerdbuchAnzeige"), FieldType::Alpha, 100);
  eigen_.events.onCalcFields = [](engine::DataSet& ds) {
    auto text = [&ds](const char16_t* name) { return ds.field(QString::fromUtf16(name)).asString(); };
    ds.field(QStringLiteral("Benutzer")).setValue(text(u"Vorname") + u' ' + text(u"Name"));
    QString ort = text(u"Plz") + u' ' + text(u"Ort");
    if (!text(u"land").isEmpty()) ort = text(u"land") + u'-' + ort;
    ds.field(QStringLiteral("ortAnzeige")).setValue(ort);
    ds.field(QStringLiteral("HerdbuchAnzeige")).setValue(text(u"Vereinsart") + u' ' + text(u"Verband"));
  };
}

ShellSession::~ShellSession() {
  closeTables();
  if (store::messages() == &messages_) store::setMessageCatalogue(nullptr);
}

bool ShellSession::start(const QRect& workArea) {
  // Step 5: the installation places the settings file; without it there is nothing to run on.
  if (!checkSettingsFile(paths::settingsFile())) return false;

  // Step 6: help is served from HTML pages; without them the program runs on.
  checkHelp(helpPagePath(kHelpContents));

  // Step 7: data directory and settings. The engine needs neither control directories nor
  // a table password.
  // A restore cut short by a crash is completed or undone before the data is opened.
  safety::recoverInterruptedRestore(safety::SafetyPaths(paths::programDir()));
  // Changes a crash left half-written are rolled back before any table is opened read-only.
  safety::rollBackHotJournalsAtStart(paths::dataDir());
  engine_.setAlias(QString::fromUtf16(engine::Engine::kDefaultAlias), paths::dataDir());
  // An import killed between writing its log and committing leaves a log to settle.
  exchange::settleImportLogs(engine_, QDir(paths::programDir()).filePath(QStringLiteral("Austausch")));
  ini_ = ProfileFile(paths::settingsFile());
  settings_.load(ini_, workArea);

  // Step 8: programs to run once after an update.
  runUpdateCommands(ProfileFile(paths::updateControlFile()), runAndWait);

  // Step 9: the main window's tables. The recently-shown menu is built by the window from
  // the settings loaded above.
  openMessageCatalogue();
  // A table that fails to open is named once for the main window and the data module together.
  naming_ = std::make_unique<store::OpenFailureNaming>();
  const store::UpgradeResult upgrade = store::upgradeMainWindowTables(engine_, *this);
  return !upgrade.endProgram;
}

void ShellSession::createDataModule() {
  if (dataModule_) return;
  dataModule_ = std::make_unique<store::TDatenStamm>(engine_, settings_);
  shows::attachShowRules(*dataModule_);
  breeding::attachWoolRules(*dataModule_);
  breeding::attachLitterRules(*dataModule_, settings_);
  dataModule_->open();
  naming_.reset();
}

bool ShellSession::showAnimal(qlonglong nummer, bool* recentChanged) {
  if (recentChanged) *recentChanged = false;
  if (!list_.positionOn(nummer)) return false;
  if (dataModule_) dataModule_->gotoAnimal(nummer);
  engine::Cursor& c = list_.cursor();
  const bool changed = noteAnimalShown(c.field(QStringLiteral("TatoRechts")).asString(),
                                       c.field(QStringLiteral("TatoLinks")).asString(), nummer);
  if (recentChanged) *recentChanged = changed;
  return true;
}

void ShellSession::openMessageCatalogue() {
  store::setMessageCatalogue(&messages_);
  try {
    messages_.open();
  } catch (const EngineError& e) {
    store::dialogs().error(e.kind() == EngineError::Kind::TableMissing ? QStringLiteral("Sprachdaten nicht vorhanden!")
                                                                       : QStringLiteral("Datenbankfehler Sprachdaten"));
  }
}

QString ShellSession::caption() {
  if (!eigen_.isOpen() || !eigen_.hasRecord()) return QStringLiteral("Lapiro Manager");
  return mainCaption(eigen_.field(QStringLiteral("Vorname")).asString(), eigen_.field(QStringLiteral("Name")).asString());
}

bool ShellSession::ownNameEmpty() {
  return eigen_.isOpen() && (!eigen_.hasRecord() || eigen_.field(QStringLiteral("Name")).asString().isEmpty());
}

RecentSlots ShellSession::recentSlots() const {
  RecentSlots recent;
  for (size_t i = 0; i < recent.size(); ++i) recent[i] = settings_.LASTLapiro[i];
  return recent;
}

bool ShellSession::noteAnimalShown(const QString& tatoRechts, const QString& tatoLinks, qlonglong nummer) {
  RecentSlots recent = recentSlots();
  if (!addRecent(recent, tatoRechts, tatoLinks, nummer)) return false;
  for (size_t i = 0; i < recent.size(); ++i) settings_.LASTLapiro[i] = recent[i];
  settings_.saveLastLapiro(ini_);
  // Moving through animals writes often: a failure is told once, not at every move, until a
  // write succeeds again.
  if (saveSettingsFile()) {
    settingsWriteFailed_ = false;
  } else if (!settingsWriteFailed_ && ini_.exists()) {
    settingsWriteFailed_ = true;
    reportSettingsWriteFailure();
  }
  return true;
}

bool ShellSession::forgetAnimalShown(qlonglong nummer) {
  RecentSlots recent = recentSlots();
  if (!removeRecent(recent, nummer)) return false;
  for (size_t i = 0; i < recent.size(); ++i) settings_.LASTLapiro[i] = recent[i];
  settings_.saveLastLapiro(ini_);
  saveSettingsFile();
  return true;
}

void ShellSession::reportSettingsWriteFailure() {
  store::dialogs().error(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden.\r") +
                         ini_.errorString());
}

bool ShellSession::saveSettingsFile() {
  // The installer creates the file; the program only writes into an existing one.
  if (!ini_.exists()) return false;
  return ini_.save();
}

void ShellSession::finish(const QSize& windowSize) {
  if (keepsLastSize(settings_.System.Aufloesung)) {
    settings_.saveAufloesung(ini_, windowSize);
    if (!saveSettingsFile() && ini_.exists()) reportSettingsWriteFailure();
  }
  closeTables();
}

void ShellSession::closeTables() {
  if (dataModule_) {
    try {
      dataModule_->close();
    } catch (const engine::Abort&) {
    } catch (const EngineError& e) {
      store::dialogs().error(e.message());
    }
  }
  for (engine::Cursor* c : {&eigen_, &list_.cursor(), &rasse_, &status_}) {
    try {
      c->close();
    } catch (const engine::Abort&) {
    } catch (const EngineError& e) {
      store::dialogs().error(e.message());
    }
  }
  messages_.close();
}

engine::Cursor* ShellSession::cursor(const QString& name) {
  if (name == store::mainCursor::Rasse) return &rasse_;
  if (name == store::mainCursor::Status) return &status_;
  if (name == store::mainCursor::Eigen) return &eigen_;
  if (name == store::mainCursor::Hasen) return &list_.cursor();
  return nullptr;
}

}  // namespace lapiro::shell

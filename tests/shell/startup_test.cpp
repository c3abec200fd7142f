// Start-up: single instance, settings and help files, update programs, the main window's
// tables and their failure rules, the end of the program. Also home of ShellInstall, the
// small installation the shell's tests run on.
#include "shell/startup.h"

#include "core/safe_write.h"
#include "engine/cursor.h"
#include "installer/content.h"
#include "shell/paths.h"
#include "shell/placement.h"
#include "store/catalogue.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

#include <cerrno>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "shell/shell_install.h"

namespace lapiro::test {

using shell::InstanceLock;
using store::DialogKind;

// ---------------------------------------------------------------------- the installation

ShellInstall::ShellInstall(const Options& options) {
  programDir = dir.file(QStringLiteral("prog"));
  settingsDir = dir.file(QStringLiteral("config"));
  QDir().mkpath(programDir + QStringLiteral("/daten"));
  qputenv("LAPIRO_HOME", programDir.toUtf8());
  qputenv("LAPIRO_CONFIG_DIR", settingsDir.toUtf8());
  if (options.settingsFile) {
    QDir().mkpath(settingsDir);
    shell::ProfileFile ini(shell::paths::settingsFile());
    shell::tsysteminfo::writeDefaults(ini, QRect(0, 0, 1280, 1024));
    ini.save();
  }
  if (options.help) {
    QDir().mkpath(programDir + QStringLiteral("/Help"));
    QFile page(shell::helpPagePath(1001));
    page.open(QIODevice::WriteOnly);
    page.write("<html><body><h1>Inhalt</h1></body></html>");
  }
  engine::Engine engine;
  engine.setAlias(QStringLiteral("Hase"), programDir + QStringLiteral("/daten"));
  for (const auto& t : store::catalogue())
    if (t.origin == store::CatalogueTable::Origin::Installer) engine.createTable(t.fileName, store::currentLayout(t));
  auto fill = [&engine](const QString& table, const std::vector<QVariantMap>& rows) {
    engine::Cursor c(engine);
    c.setTableName(table);
    c.open();
    for (const QVariantMap& row : rows) {
      c.append();
      for (auto it = row.begin(); it != row.end(); ++it) c.field(it.key()).setValue(it.value());
      c.post();
    }
  };
  if (options.messages) {
    std::vector<QVariantMap> rows;
    for (const auto& [n, text] : installer::messageTexts())
      rows.push_back({{QStringLiteral("Nummer"), n}, {QStringLiteral("Meldung"), text}});
    fill(QStringLiteral("Sprmel.db"), rows);
  }
  fill(QStringLiteral("Status.db"), {{{QStringLiteral("Name"), QStringLiteral("Eigener Bestand")}},
                                     {{QStringLiteral("Name"), QStringLiteral("Neuzugang")}},
                                     {{QStringLiteral("Name"), QStringLiteral("Verkauft")}}});
  fill(QStringLiteral("Rasse.db"),
       {{{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")}, {QStringLiteral("Code"), QStringLiteral("DR")}},
        {{QStringLiteral("Name"), QStringLiteral("Kleinchinchilla")}, {QStringLiteral("Code"), QStringLiteral("KCh")}}});
  fill(QStringLiteral("Farbe.db"), {{{QStringLiteral("Rasse"), 1}, {QStringLiteral("Name"), QStringLiteral("grau")}}});
  fill(QStringLiteral("eigen.DB"),
       {{{QStringLiteral("Vorname"), QStringLiteral("Erika")}, {QStringLiteral("Name"), options.ownName}}});
  std::vector<QVariantMap> animals;
  for (const Animal& a : options.animals)
    animals.push_back({{QStringLiteral("TatoRechts"), a.rechts},
                       {QStringLiteral("TatoLinks"), a.links},
                       {QStringLiteral("Geschlecht"), a.geschlecht},
                       {QStringLiteral("Rasse"), a.rasse},
                       {QStringLiteral("Status"), a.status},
                       {QStringLiteral("IDCode"), a.name}});
  fill(QStringLiteral("Hasen.db"), animals);
}

ShellInstall::~ShellInstall() {
  qunsetenv("LAPIRO_HOME");
  qunsetenv("LAPIRO_CONFIG_DIR");
}

std::vector<ShellInstall::Animal> ShellInstall::sampleAnimals() {
  return {{QStringLiteral("B12"), QStringLiteral("3.5.10"), QStringLiteral("1"), 1, 1, QStringLiteral("Bruno")},
          {QStringLiteral("A7"), QStringLiteral("4.5.2"), QStringLiteral("2"), 2, 3, QStringLiteral("Anni")},
          {QStringLiteral("C3"), QStringLiteral("1.5.1"), QStringLiteral("2"), 1, 1, QStringLiteral("Cora")},
          {QStringLiteral("A10"), QStringLiteral("2.5.7"), QStringLiteral("1"), 2, 2, QStringLiteral("Max")}};
}

void ShellInstall::writeSetting(const QString& section, const QString& key, const QString& value) {
  shell::ProfileFile ini(shell::paths::settingsFile());
  ini.writeString(section, key, value);
  ini.save();
}

namespace {

// ---------------------------------------------------------------------- single instance

TEST(SingleInstance, ASecondProgramIsRefusedUntilTheFirstEnds) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("LapiroManager.lock"));
  InstanceLock first(path);
  ASSERT_EQ(first.tryAcquire(), InstanceLock::Result::Acquired);

  ScriptedDialogs dialogs;
  InstanceLock second(path);
  EXPECT_FALSE(shell::acquireSingleInstance(second));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.texts().front(), QStringLiteral("Lapiro Manager wird bereits ausgeführt!"));

  first.release();
  EXPECT_TRUE(shell::acquireSingleInstance(second));
  EXPECT_EQ(dialogs.shown().size(), 1u);
}

TEST(SingleInstance, TheLockOfAKilledProgramDoesNotBlock) {
  TempDir dir;
  const QString path = dir.file(QStringLiteral("LapiroManager.lock"));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    QLockFile lock(path);
    lock.tryLock(0);
    _exit(lock.isLocked() ? 0 : 3);  // dies without releasing, as a killed program does
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(QFile::exists(path));

  InstanceLock lock(path);
  EXPECT_EQ(lock.tryAcquire(), InstanceLock::Result::Acquired);
}

TEST(SingleInstance, AMissingDirectoryDoesNotStopTheProgram) {
  TempDir dir;
  InstanceLock lock(dir.file(QStringLiteral("nicht/da/LapiroManager.lock")));
  EXPECT_EQ(lock.tryAcquire(), InstanceLock::Result::Unavailable);
  ScriptedDialogs dialogs;
  EXPECT_TRUE(shell::acquireSingleInstance(lock));
  EXPECT_TRUE(dialogs.shown().empty());
}

// ---------------------------------------------------------------------- files

TEST(StartUp, AMissingSettingsFileEndsTheProgramAtOnce) {
  ShellInstall install({.settingsFile = false});
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  EXPECT_FALSE(session.start(QRect(0, 0, 1280, 1024)));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Error);
  EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("Installationsdatei nicht vorhanden. Programmabbruch!"));
  EXPECT_FALSE(session.animalList().cursor().isOpen());
  EXPECT_FALSE(QFile::exists(shell::paths::settingsFile()));  // the program never creates it
}

TEST(StartUp, MissingHelpIsReportedAndStartUpGoesOn) {
  ShellInstall install({.help = false, .animals = ShellInstall::sampleAnimals()});
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  ASSERT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Information);
  EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("Hilfe-Datei nicht gefunden\r") +
                                         QDir::toNativeSeparators(install.programDir + QStringLiteral("/Help/1001.html")));
  EXPECT_TRUE(session.animalList().cursor().isOpen());
  EXPECT_EQ(session.caption(), QStringLiteral("Lapiro Manager  <Erika Muster>"));
}

TEST(StartUp, OpensTheMainWindowTablesAndTheMessageCatalogue) {
  ShellInstall install({.animals = ShellInstall::sampleAnimals()});
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  ASSERT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
  EXPECT_TRUE(dialogs.shown().empty()) << dialogs.texts().join(u'|').toStdString();
  EXPECT_TRUE(session.rasse().isOpen());
  EXPECT_TRUE(session.status().isOpen());
  EXPECT_EQ(session.animalList().count(), 4);
  EXPECT_EQ(store::messageText(16), installer::messageText(16));
  EXPECT_FALSE(session.ownNameEmpty());
  EXPECT_EQ(session.eigen().field(QStringLiteral("Benutzer")).asString(), QStringLiteral("Erika Muster"));
}

TEST(StartUp, MessageCatalogueFailuresAreNamedAndStartUpGoesOn) {
  {
    ShellInstall install;
    QFile::remove(install.programDir + QStringLiteral("/daten/Sprmel.db"));
    ScriptedDialogs dialogs;
    shell::ShellSession session;
    EXPECT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.texts().front(), QStringLiteral("Sprachdaten nicht vorhanden!"));
    // The closing question keeps its text even without the catalogue.
    EXPECT_EQ(store::messageText(16), QStringLiteral("Möchten Sie Lapiro Manager jetzt beenden?"));
    EXPECT_TRUE(store::messageText(15).isEmpty());
    EXPECT_TRUE(session.animalList().cursor().isOpen());
  }
  {
    ShellInstall install;
    QFile damaged(install.programDir + QStringLiteral("/daten/Sprmel.db"));
    damaged.open(QIODevice::WriteOnly | QIODevice::Truncate);
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    ScriptedDialogs dialogs;
    shell::ShellSession session;
    EXPECT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.texts().front(), QStringLiteral("Datenbankfehler Sprachdaten"));
  }
}

TEST(StartUp, MissingOwnUserDataEndsTheProgramWithMessage6) {
  ShellInstall install;
  QFile::remove(install.programDir + QStringLiteral("/daten/eigen.DB"));
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  EXPECT_FALSE(session.start(QRect(0, 0, 1280, 1024)));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].text, installer::messageText(6));
  EXPECT_FALSE(session.animalList().cursor().isOpen());
}

TEST(StartUp, UpdateProgramsRunOneAfterTheOtherToTheirEnd) {
  TempDir dir;
  shell::ProfileFile xvupd;
  xvupd.writeString(QStringLiteral("Version"), QStringLiteral("Nummer"), QStringLiteral("3.0"));
  const QString marker = dir.file(QStringLiteral("lief"));
  xvupd.writeString(QStringLiteral("Programme"), QStringLiteral("Update2"),
                    QStringLiteral("sh -c \"sleep 0.2; echo fertig > '%1'\"").arg(marker));
  EXPECT_EQ(shell::runUpdateCommands(xvupd, shell::runAndWait), 1);
  EXPECT_TRUE(QFile::exists(marker));  // waited for its end

  xvupd.writeString(QStringLiteral("Version"), QStringLiteral("Nummer"), QStringLiteral("5.1"));
  QStringList run;
  EXPECT_EQ(shell::runUpdateCommands(xvupd, [&run](const QString& c) { run << c; }), 0);
  EXPECT_TRUE(run.isEmpty());
}

// ---------------------------------------------------------------------- the end

TEST(EndOfProgram, SavesTheWindowSizeOnlyWhenAskedTo) {
  ShellInstall install;
  install.writeSetting(QStringLiteral("System"), QStringLiteral("Aufloesung"), QStringLiteral("1024x768"));
  {
    ScriptedDialogs dialogs;
    shell::ShellSession session;
    ASSERT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
    session.finish(QSize(900, 700));
    EXPECT_FALSE(session.animalList().cursor().isOpen());
    EXPECT_FALSE(session.eigen().isOpen());
  }
  EXPECT_EQ(shell::ProfileFile(shell::paths::settingsFile()).readString(QStringLiteral("System"), QStringLiteral("Aufloesung")),
            QStringLiteral("1024x768"));

  install.writeSetting(QStringLiteral("System"), QStringLiteral("Aufloesung"), QStringLiteral("Angepasst 1024x740"));
  {
    ScriptedDialogs dialogs;
    shell::ShellSession session;
    ASSERT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
    session.finish(QSize(900, 700));
  }
  EXPECT_EQ(shell::ProfileFile(shell::paths::settingsFile()).readString(QStringLiteral("System"), QStringLiteral("Aufloesung")),
            QStringLiteral("Angepasst 900x700"));
}

TEST(EndOfProgram, PendingChangesOfTheOwnUserDataAreSaved) {
  ShellInstall install;
  {
    ScriptedDialogs dialogs;
    shell::ShellSession session;
    ASSERT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
    session.eigen().edit();
    session.eigen().field(QStringLiteral("Ort")).setString(QStringLiteral("Köln"));
    session.finish(QSize(800, 600));
  }
  engine::Engine engine;
  engine.setAlias(QStringLiteral("Hase"), shell::paths::dataDir());
  engine::Cursor eigen(engine);
  eigen.setTableName(QStringLiteral("eigen.DB"));
  eigen.open();
  EXPECT_EQ(eigen.field(QStringLiteral("Ort")).asString(), QStringLiteral("Köln"));
}

}  // namespace
}  // namespace lapiro::test

namespace lapiro::test {

// A settings file that cannot be written at the end (full disk) keeps its old content and
// the user is told, instead of an empty file and silent defaults at the next start.
TEST(EndOfProgram, AFailedSettingsWriteKeepsTheFileAndIsReported) {
  ShellInstall install;
  install.writeSetting(QStringLiteral("System"), QStringLiteral("Aufloesung"), QStringLiteral("Angepasst 1024x740"));
  QFile before(shell::paths::settingsFile());
  ASSERT_TRUE(before.open(QIODevice::ReadOnly));
  const QByteArray content = before.readAll();
  before.close();
  {
    ScriptedDialogs dialogs;
    shell::ShellSession session;
    ASSERT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
    core::setWriteFaultForTesting([](core::WriteStep s) { return s == core::WriteStep::Sync ? ENOSPC : 0; });
    session.finish(QSize(900, 700));
    core::setWriteFaultForTesting(nullptr);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Error);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden.")));
  }
  QFile after(shell::paths::settingsFile());
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), content);
}

}  // namespace lapiro::test

#include "shell/first_start.h"
#include "shell/paths.h"

#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using lapiro::shell::FirstStartNeed;
using lapiro::test::ScriptedDialogs;
using lapiro::test::TempDir;
namespace shell = lapiro::shell;

namespace {

// Points the program and settings directories into a temporary directory for one test.
class FirstStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedHome_ = qgetenv("LAPIRO_HOME");
    savedConfig_ = qgetenv("LAPIRO_CONFIG_DIR");
    setDirs(tmp_.file(QStringLiteral("home")), tmp_.file(QStringLiteral("config")));
  }
  void TearDown() override {
    qputenv("LAPIRO_HOME", savedHome_);
    qputenv("LAPIRO_CONFIG_DIR", savedConfig_);
  }
  void setDirs(const QString& home, const QString& config) {
    qputenv("LAPIRO_HOME", home.toUtf8());
    qputenv("LAPIRO_CONFIG_DIR", config.toUtf8());
  }
  // Every entry below the temporary directory, relative to it.
  QStringList everything() const {
    QStringList out;
    QDir root(tmp_.path());
    for (const QFileInfo& info : root.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
      out << info.fileName();
    return out;
  }
  static QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  TempDir tmp_;
  QByteArray savedHome_, savedConfig_;
  const QRect workArea_{0, 0, 1280, 1000};
};

}  // namespace

TEST_F(FirstStartTest, WhatIsMissingDecidesTheWelcome) {
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::Everything);
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kChoiceEmpty);
  ASSERT_TRUE(shell::runFirstStart(workArea_));
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::None);
  // A normal start asks nothing.
  EXPECT_TRUE(shell::runFirstStart(workArea_));
  EXPECT_TRUE(dialogs.allAnswersUsed());

  QFile::remove(shell::paths::settingsFile());
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::SettingsOnly);
}

TEST_F(FirstStartTest, AnEmptyStockOrADemoStockIsMadeWhereTheUserIsToldItLives) {
  {
    ScriptedDialogs dialogs;
    dialogs.choice(shell::kChoiceEmpty);
    ASSERT_TRUE(shell::runFirstStart(workArea_));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    // The question names the directory and offers the two ways to begin (no restore hook).
    EXPECT_TRUE(dialogs.texts()[0].contains(QDir::toNativeSeparators(shell::paths::programDir())));
    EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("Neuen, leeren Bestand anlegen")));
    EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("Demo-Bestand zum Ausprobieren")));
    EXPECT_FALSE(dialogs.texts()[0].contains(QStringLiteral("Sicherung")));
    EXPECT_TRUE(dialogs.texts()[1].startsWith(QStringLiteral("Ihr Bestand wurde angelegt.")));
    EXPECT_TRUE(dialogs.texts()[1].contains(shell::paths::dataDir()));
    EXPECT_TRUE(QFileInfo(shell::paths::dataDir() + QStringLiteral("/Hasen.db")).isFile());
    EXPECT_TRUE(QFileInfo(shell::paths::helpDir() + QStringLiteral("/1001.html")).isFile());
    EXPECT_TRUE(QFileInfo(shell::paths::settingsFile()).isFile());
  }
  // A second user (another home) gets a stock of their own, here the demo.
  setDirs(tmp_.file(QStringLiteral("home2")), tmp_.file(QStringLiteral("config2")));
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kChoiceDemo);
  ASSERT_TRUE(shell::runFirstStart(workArea_));
  EXPECT_GT(QFileInfo(shell::paths::dataDir() + QStringLiteral("/Hasen.db")).size(),
            QFileInfo(tmp_.file(QStringLiteral("home/daten/Hasen.db"))).size());
}

TEST_F(FirstStartTest, CancellingLeavesNothingBehind) {
  ScriptedDialogs dialogs;
  dialogs.choice(-1);
  EXPECT_FALSE(shell::runFirstStart(workArea_));
  EXPECT_TRUE(everything().isEmpty()) << everything().join(u' ').toStdString();
}

TEST_F(FirstStartTest, AStockThatCannotBeMadeIsReportedAndLeavesNothingHalfMade) {
  // A file where the program directory should be: no directory can be made below it, not
  // even by root.
  QFile blocker(tmp_.file(QStringLiteral("blocked")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  setDirs(tmp_.file(QStringLiteral("blocked/home")), tmp_.file(QStringLiteral("config")));
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kChoiceDemo);
  EXPECT_FALSE(shell::runFirstStart(workArea_));
  ASSERT_EQ(dialogs.shown().size(), 2u);
  EXPECT_EQ(dialogs.shown()[1].kind, lapiro::store::DialogKind::Error);
  EXPECT_TRUE(dialogs.texts()[1].startsWith(QStringLiteral("Der Bestand konnte nicht angelegt werden.")));
  EXPECT_FALSE(QFileInfo::exists(tmp_.file(QStringLiteral("config/LapiroMan.ini"))));
  EXPECT_EQ(everything(), QStringList{QStringLiteral("blocked")}) << everything().join(u' ').toStdString();
}

TEST_F(FirstStartTest, ExistingSettingsOrDataAreNeverOverwritten) {
  // Settings kept from an earlier stock: a new stock is made, the settings stay as they were.
  QDir().mkpath(shell::paths::settingsDir());
  QFile ini(shell::paths::settingsFile());
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[System]\r\nAufloesung=1024x768\r\n");
  ini.close();
  {
    ScriptedDialogs dialogs;
    dialogs.choice(shell::kChoiceEmpty);
    ASSERT_TRUE(shell::runFirstStart(workArea_));
    EXPECT_EQ(read(shell::paths::settingsFile()), QByteArray("[System]\r\nAufloesung=1024x768\r\n"));
    EXPECT_TRUE(QFileInfo(shell::paths::updateControlFile()).isFile());  // the missing one is added
    EXPECT_TRUE(QFileInfo(shell::paths::dataDir() + QStringLiteral("/Hasen.db")).isFile());
  }
  // A stock without settings keeps its data; only the settings are written.
  const QByteArray animals = read(shell::paths::dataDir() + QStringLiteral("/Hasen.db"));
  QFile::remove(shell::paths::settingsFile());
  ScriptedDialogs dialogs;
  ASSERT_TRUE(shell::runFirstStart(workArea_));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.texts()[0].startsWith(QStringLiteral("Die Einstellungen wurden neu angelegt")));
  EXPECT_EQ(read(shell::paths::dataDir() + QStringLiteral("/Hasen.db")), animals);
  EXPECT_TRUE(QFileInfo(shell::paths::settingsFile()).isFile());
}

TEST_F(FirstStartTest, CancellingTheFolderChooserOrChoosingNoBackupReturnsToTheChoices) {
  shell::FirstStartHooks hooks;
  QStringList folders{QString(), tmp_.path()};  // cancelled, then a folder without Hasen.DB
  int asked = 0;
  hooks.chooseBackupFolder = [&] {
    ++asked;
    return folders.takeFirst();
  };
  int busyCalls = 0;
  hooks.busy = [&busyCalls](const QString&, const std::function<void()>& work) {
    ++busyCalls;
    work();
  };
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kChoiceRestore).choice(shell::kChoiceRestore).choice(-1);
  EXPECT_FALSE(shell::runFirstStart(workArea_, hooks));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(busyCalls, 0);
  ASSERT_EQ(dialogs.shown().size(), 4u);
  EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("Bestand aus einer Sicherung übernehmen")));
  EXPECT_TRUE(dialogs.texts()[1].startsWith(QStringLiteral("Willkommen")));  // straight back after the cancel
  EXPECT_EQ(dialogs.texts()[2], QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!"));
  EXPECT_TRUE(dialogs.texts()[3].startsWith(QStringLiteral("Willkommen")));
  EXPECT_FALSE(QFileInfo::exists(shell::paths::dataDir()));
  EXPECT_FALSE(QFileInfo::exists(shell::paths::settingsFile()));

  dialogs.choice(shell::kChoiceEmpty);
  EXPECT_TRUE(shell::runFirstStart(workArea_, hooks));
  EXPECT_EQ(busyCalls, 1);
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(FirstStartTest, AnEmptyDataFolderGetsTheWelcomeInsteadOfErrors) {
  ASSERT_TRUE(QDir().mkpath(shell::paths::dataDir()));
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::Everything);
  {
    // Cancelled: the folder stays as it was.
    ScriptedDialogs dialogs;
    dialogs.choice(-1);
    EXPECT_FALSE(shell::runFirstStart(workArea_));
    EXPECT_TRUE(QFileInfo(shell::paths::dataDir()).isDir());
  }
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kChoiceEmpty);
  ASSERT_TRUE(shell::runFirstStart(workArea_));
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::None);
  EXPECT_TRUE(QFileInfo(shell::paths::dataDir() + QStringLiteral("/Hasen.db")).isFile());
  // Nothing worth keeping was there, so nothing was put aside.
  EXPECT_TRUE(QDir(shell::paths::backupDir()).isEmpty());
  EXPECT_FALSE(dialogs.texts().last().contains(QStringLiteral("bisherige")));
}

TEST_F(FirstStartTest, WhatAFolderWithoutAnimalTableHeldIsKeptInTheSafetyDirectory) {
  ASSERT_TRUE(QDir().mkpath(shell::paths::dataDir()));
  QFile note(shell::paths::dataDir() + QStringLiteral("/Wurfbuch.DB"));
  ASSERT_TRUE(note.open(QIODevice::WriteOnly));
  note.write("halb kopiert");
  note.close();
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::Everything);
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kChoiceDemo);
  ASSERT_TRUE(shell::runFirstStart(workArea_));
  const QStringList kept = QDir(shell::paths::backupDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  ASSERT_EQ(kept.size(), 1);
  const QString keptAt = shell::paths::backupDir() + u'/' + kept.front();
  EXPECT_EQ(read(keptAt + QStringLiteral("/Wurfbuch.DB")), QByteArray("halb kopiert"));
  EXPECT_TRUE(dialogs.texts().last().contains(
      QStringLiteral("Der bisherige Inhalt des Datenverzeichnisses liegt jetzt in %1.").arg(keptAt)));
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::None);
}

TEST_F(FirstStartTest, AFolderMissingSomeTablesIsNamedOnceAndRepairedOnRequest) {
  {
    ScriptedDialogs dialogs;
    dialogs.choice(shell::kChoiceEmpty);
    ASSERT_TRUE(shell::runFirstStart(workArea_));
  }
  const QString data = shell::paths::dataDir();
  const QByteArray animals = read(data + QStringLiteral("/Hasen.db"));
  ASSERT_TRUE(QFile::remove(data + QStringLiteral("/Sprmel.db")));
  ASSERT_TRUE(QFile::remove(data + QStringLiteral("/Status.db")));
  ASSERT_TRUE(QFile::remove(shell::paths::settingsFile()));
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::Incomplete);
  {
    // One clear message naming both tables; ending there changes nothing.
    ScriptedDialogs dialogs;
    dialogs.choice(-1);
    EXPECT_FALSE(shell::runFirstStart(workArea_));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const QString text = dialogs.texts()[0];
    EXPECT_TRUE(text.startsWith(QStringLiteral("Im Datenverzeichnis\n%1\nfehlen Tabellen").arg(data))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("  Status.db\n  Sprmel.db\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Fehlende Tabellen neu anlegen")));
    EXPECT_FALSE(text.contains(QStringLiteral("Datensicherung zurückspielen")));  // no folder chooser given
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/Sprmel.db")));
    EXPECT_FALSE(QFileInfo::exists(shell::paths::settingsFile()));
  }
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kRepairCreateTables);
  ASSERT_TRUE(shell::runFirstStart(workArea_));
  ASSERT_EQ(dialogs.shown().size(), 3u);
  EXPECT_EQ(dialogs.texts()[1], QStringLiteral("Diese Tabellen wurden angelegt:\nStatus.db, Sprmel.db"));
  EXPECT_TRUE(dialogs.texts()[2].startsWith(QStringLiteral("Die Einstellungen wurden neu angelegt")));
  EXPECT_EQ(read(data + QStringLiteral("/Hasen.db")), animals);
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::None);
}

TEST_F(FirstStartTest, AFolderMissingSomeTablesCanGetABackupBackWithTheOldDataKeptAside) {
  // The backup: a whole demo stock made elsewhere.
  setDirs(tmp_.file(QStringLiteral("other")), tmp_.file(QStringLiteral("other-config")));
  {
    ScriptedDialogs dialogs;
    dialogs.choice(shell::kChoiceDemo);
    ASSERT_TRUE(shell::runFirstStart(workArea_));
  }
  const QString backup = shell::paths::dataDir();
  setDirs(tmp_.file(QStringLiteral("home")), tmp_.file(QStringLiteral("config")));
  {
    ScriptedDialogs dialogs;
    dialogs.choice(shell::kChoiceEmpty);
    ASSERT_TRUE(shell::runFirstStart(workArea_));
  }
  ASSERT_TRUE(QFile::remove(shell::paths::dataDir() + QStringLiteral("/Rasse.db")));
  // The backup is older than the current animal table, so the restore asks about that too.
  QFile backupAnimals(backup + QStringLiteral("/Hasen.db"));
  ASSERT_TRUE(backupAnimals.open(QIODevice::ReadWrite));
  ASSERT_TRUE(backupAnimals.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
  backupAnimals.close();

  shell::FirstStartHooks hooks;
  QStringList folders{QString(), backup};
  hooks.chooseBackupFolder = [&folders] { return folders.takeFirst(); };
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kRepairRestore).choice(shell::kRepairRestore).yes().yes();
  ASSERT_TRUE(shell::runFirstStart(workArea_, hooks));
  EXPECT_TRUE(dialogs.allAnswersUsed());
  EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("Eine Datensicherung zurückspielen")));
  EXPECT_TRUE(dialogs.texts()[1].contains(QStringLiteral("fehlen Tabellen")));  // the chooser was cancelled
  EXPECT_TRUE(dialogs.texts().contains(QStringLiteral("Kaninchendatei älter als aktuelle Datei! Wirklich ersetzen?")));
  EXPECT_TRUE(dialogs.texts().last().startsWith(QStringLiteral("Die Rücksicherung ist abgeschlossen")));
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::None);
  EXPECT_GT(QFileInfo(shell::paths::dataDir() + QStringLiteral("/Hasen.db")).size(),
            QFileInfo(shell::paths::backupDir() + QStringLiteral("/Hasen.db")).size());
}

TEST_F(FirstStartTest, AStockIsTakenOverFromABackupFolderOrNothingIsMade) {
  // A backup folder: the data directory of a demo stock made elsewhere.
  setDirs(tmp_.file(QStringLiteral("other")), tmp_.file(QStringLiteral("other-config")));
  {
    ScriptedDialogs dialogs;
    dialogs.choice(shell::kChoiceDemo);
    ASSERT_TRUE(shell::runFirstStart(workArea_));
  }
  const QString backup = shell::paths::dataDir();
  const QByteArray animals = read(backup + QStringLiteral("/Hasen.db"));
  setDirs(tmp_.file(QStringLiteral("home")), tmp_.file(QStringLiteral("config")));

  // A folder without an animal table is refused, and nothing is made.
  EXPECT_EQ(shell::takeOverBackup(tmp_.path(), workArea_),
            QStringLiteral("Dies ist kein Lapiro Manager Sicherungsverzeichnis!"));
  EXPECT_FALSE(QFileInfo::exists(shell::paths::dataDir()));
  EXPECT_FALSE(QFileInfo::exists(shell::paths::settingsFile()));

  EXPECT_EQ(shell::takeOverBackup(backup, workArea_), QString());
  // The copy is made by SQLite's backup, which counts its own change in the file header.
  const QByteArray copied = read(shell::paths::dataDir() + QStringLiteral("/Hasen.db"));
  ASSERT_EQ(copied.size(), animals.size());
  EXPECT_EQ(copied.mid(100), animals.mid(100));
  EXPECT_TRUE(QFileInfo(shell::paths::helpDir() + QStringLiteral("/1001.html")).isFile());
  EXPECT_TRUE(QFileInfo(shell::paths::settingsFile()).isFile());
  EXPECT_EQ(shell::firstStartNeed(), FirstStartNeed::None);
  // No work directory is left beside the data.
  const QStringList hidden = QDir(shell::paths::programDir()).entryList(QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
  EXPECT_EQ(hidden.filter(QStringLiteral(".daten")), QStringList());
}

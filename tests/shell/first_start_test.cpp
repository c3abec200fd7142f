#include "shell/first_start.h"
#include "shell/paths.h"

#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

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

TEST_F(FirstStartTest, TheRestoreChoiceAppearsOnlyWithARestoreAndItsFailureStopsTheStart) {
  shell::FirstStartHooks hooks;
  QString asked;
  hooks.restore = [&asked](const QString& programDir) {
    asked = programDir;
    return false;
  };
  int busyCalls = 0;
  hooks.busy = [&busyCalls](const QString&, const std::function<void()>& work) {
    ++busyCalls;
    work();
  };
  ScriptedDialogs dialogs;
  dialogs.choice(shell::kChoiceRestore);
  EXPECT_FALSE(shell::runFirstStart(workArea_, hooks));
  EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("Bestand aus einer Sicherung übernehmen")));
  EXPECT_EQ(asked, shell::paths::programDir());
  EXPECT_EQ(busyCalls, 0);
  EXPECT_FALSE(QFileInfo::exists(shell::paths::settingsFile()));

  dialogs.choice(shell::kChoiceEmpty);
  EXPECT_TRUE(shell::runFirstStart(workArea_, hooks));
  EXPECT_EQ(busyCalls, 1);
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

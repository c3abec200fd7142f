#include "shell/paths.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace paths = lapiro::shell::paths;

namespace {

// Sets environment variables for one test and restores them afterwards.
class EnvGuard {
 public:
  ~EnvGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        qputenv(it->first.constData(), *it->second);
      else
        qunsetenv(it->first.constData());
    }
  }
  void set(const char* name, const char* value) {
    saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    if (value)
      qputenv(name, value);
    else
      qunsetenv(name);
  }

 private:
  std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved_;
};

}  // namespace

TEST(Paths, ProgramDirectoryAndItsSubdirectories) {
  EnvGuard env;
  env.set("LAPIRO_HOME", "/opt/lapiro/");
  EXPECT_EQ(paths::dataDir(), QStringLiteral("/opt/lapiro/daten"));
  EXPECT_EQ(paths::helpFile(), QStringLiteral("/opt/lapiro/Help/LapiroManager.chm"));
  EXPECT_EQ(paths::backupDir(), QStringLiteral("/opt/lapiro/Datensik"));
}

TEST(Paths, WithoutLapiroHomeAPortableCopyComesBeforeTheUsersDataDirectory) {
  EnvGuard env;
  env.set("LAPIRO_HOME", "");  // empty counts as unset
  env.set("XDG_DATA_HOME", "/xdg-daten");
  env.set("HOME", "/home/zuechter");
  const QString exeDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
  const QString portable = exeDir + QStringLiteral("/daten");
  ASSERT_FALSE(QFileInfo::exists(portable));
  EXPECT_EQ(paths::programDir(), QStringLiteral("/xdg-daten/LapiroManager"));
  EXPECT_EQ(paths::dataDir(), QStringLiteral("/xdg-daten/LapiroManager/daten"));
  env.set("XDG_DATA_HOME", "relativ");  // not absolute: ignored
  EXPECT_EQ(paths::programDir(), QStringLiteral("/home/zuechter/.local/share/LapiroManager"));

  // An executable beside a data directory is a portable copy and keeps its data there.
  ASSERT_TRUE(QDir().mkdir(portable));
  EXPECT_EQ(paths::programDir(), exeDir);
  QDir().rmdir(portable);
}

TEST(Paths, HelpComesFromTheInstalledProgramWhenTheStockHasNone) {
  EnvGuard env;
  QTemporaryDir home;
  env.set("LAPIRO_HOME", home.path().toUtf8().constData());
  const QString own = home.path() + QStringLiteral("/Help");
  const QString shared = QDir::cleanPath(paths::sharedResourceDir() + QStringLiteral("/Help"));
  EXPECT_EQ(paths::sharedResourceDir(),
            QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/lapiro-manager")));
  if (!QFileInfo::exists(shared)) {
    EXPECT_EQ(paths::helpDir(), own);
  }
  ASSERT_TRUE(QDir().mkdir(own));
  EXPECT_EQ(paths::helpDir(), own);
}

TEST(Paths, ThePackagedHelpWinsWhereItIsNewerThanTheStocksOwnCopy) {
  QTemporaryDir tmp;
  const QString own = tmp.filePath(QStringLiteral("programm/Help"));
  const QString shared = tmp.filePath(QStringLiteral("share/Help"));
  // Contents pages with given ages; a negative age leaves the page out.
  auto page = [](const QString& dir, int daysOld) {
    QDir().mkpath(dir);
    if (daysOld < 0) return;
    QFile f(dir + QStringLiteral("/1001.html"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html></html>");
    f.flush();  // else the write at close() would set the time to now
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-daysOld), QFileDevice::FileModificationTime));
  };
  EXPECT_EQ(paths::preferredHelpDir(own, shared), own);  // neither: where a stock keeps its own
  page(shared, 3);
  EXPECT_EQ(paths::preferredHelpDir(own, shared), shared);  // the stock has none
  page(own, 10);
  EXPECT_EQ(paths::preferredHelpDir(own, shared), shared);  // a stock made before the update
  page(own, 1);
  EXPECT_EQ(paths::preferredHelpDir(own, shared), own);  // made after it: the same pages
  QFile::remove(own + QStringLiteral("/1001.html"));
  EXPECT_EQ(paths::preferredHelpDir(own, shared), shared);  // an own copy without contents
  page(own, 1);
  QFile::remove(shared + QStringLiteral("/1001.html"));
  EXPECT_EQ(paths::preferredHelpDir(own, shared), own);  // a shared copy without contents
}

TEST(Paths, SettingsDirectoryByPrecedence) {
  EnvGuard env;
  env.set("LAPIRO_CONFIG_DIR", "/etc/lapiro");
  env.set("XDG_CONFIG_HOME", "/xdg");
  env.set("HOME", "/home/zuechter");
  EXPECT_EQ(paths::settingsFile(), QStringLiteral("/etc/lapiro/LapiroMan.ini"));
  EXPECT_EQ(paths::updateControlFile(), QStringLiteral("/etc/lapiro/XVUPD.ini"));
  env.set("LAPIRO_CONFIG_DIR", nullptr);
  EXPECT_EQ(paths::settingsDir(), QStringLiteral("/xdg/LapiroManager"));
  env.set("XDG_CONFIG_HOME", "relativ/pfad");  // not absolute: ignored
  EXPECT_EQ(paths::settingsFile(), QStringLiteral("/home/zuechter/.config/LapiroManager/LapiroMan.ini"));
}

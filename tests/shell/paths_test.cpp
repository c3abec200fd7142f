#include "shell/paths.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

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
  env.set("LAPIRO_HOME", "");  // empty counts as unset: the executable's directory
  EXPECT_EQ(paths::programDir(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
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

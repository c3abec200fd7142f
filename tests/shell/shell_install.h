// A small installation for the shell's tests: program directory with daten/ (every table the
// installer supplies, the German messages, a few breeds, states, the own user and animals),
// Help/ and the settings directory with LapiroMan.ini. LAPIRO_HOME and LAPIRO_CONFIG_DIR
// point at it while it lives.
#pragma once

#include "support/temp_dir.h"

#include <QString>
#include <vector>

namespace lapiro::test {

class ShellInstall {
 public:
  struct Animal {
    QString rechts;
    QString links;
    QString geschlecht;
    int rasse = 0;
    int status = 0;
    QString name;
  };
  struct Options {
    bool settingsFile = true;
    bool help = true;
    bool messages = true;
    QString ownName = QStringLiteral("Muster");
    std::vector<Animal> animals = {};
  };

  explicit ShellInstall(const Options& options);
  ShellInstall() : ShellInstall(Options{}) {}
  ~ShellInstall();

  // B12 3.5.10 buck DR state 1 "Bruno"; A7 4.5.2 doe KCh state 3 "Anni";
  // C3 1.5.1 doe DR state 1 "Cora"; A10 2.5.7 buck KCh state 2 "Max".
  static std::vector<Animal> sampleAnimals();

  // Writes one key into the settings file on disk.
  void writeSetting(const QString& section, const QString& key, const QString& value);

  TempDir dir;
  QString programDir;
  QString settingsDir;
};

}  // namespace lapiro::test

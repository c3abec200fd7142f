// lapiro-install [--home DIR] [--config-dir DIR] [--demo[=N]] [--force]
//
// Creates the data directory with every table, the message catalogue, the lookup rows, the
// help pages and the settings files; --demo adds a demo stock of N animals (default 300).
// Exit codes: 0 done, 1 failure or wrong arguments, 2 an existing installation was left alone.
#include <QCoreApplication>
#include <QTextStream>

#include "installer/demo_stock.h"
#include "installer/installer.h"
#include "shell/paths.h"

namespace {

QString usage() {
  return QStringLiteral(
             "Aufruf: lapiro-install [--home VERZEICHNIS] [--config-dir VERZEICHNIS] [--demo[=ANZAHL]] "
             "[--force]\n"
             "  --home        Programmverzeichnis (erhält daten/, Help/ und Datensik/)\n"
             "  --config-dir  Verzeichnis der Einstellungsdateien LapiroMan.ini und XVUPD.ini\n"
             "  --demo[=N]    einen Demobestand mit N Tieren anlegen (ohne Angabe %1)\n"
             "  --force       vorhandenes Datenverzeichnis und Einstellungsdateien überschreiben\n")
      .arg(lapiro::installer::DemoStockOptions().animals);
}

// Reads the value of "--name=value" or "--name value"; false when the option is not `name`.
bool valueOption(const QStringList& args, int& i, const QString& name, QString& value, QString& error) {
  const QString arg = args[i];
  if (arg.startsWith(name + u'=')) {
    value = arg.mid(name.size() + 1);
  } else if (arg == name) {
    if (i + 1 >= args.size()) {
      error = QStringLiteral("Zur Option %1 fehlt das Verzeichnis.").arg(name);
      return true;
    }
    value = args[++i];
  } else {
    return false;
  }
  if (value.isEmpty()) error = QStringLiteral("Zur Option %1 fehlt das Verzeichnis.").arg(name);
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);

  lapiro::installer::InstallOptions options;
  options.programDir = lapiro::shell::paths::programDir();
  options.settingsDir = lapiro::shell::paths::settingsDir();

  const QStringList args = app.arguments();
  QString error;
  for (int i = 1; i < args.size() && error.isEmpty(); ++i) {
    const QString& arg = args[i];
    QString value;
    if (arg == u"--help" || arg == u"-h") {
      out << usage();
      return lapiro::installer::kExitOk;
    }
    if (valueOption(args, i, QStringLiteral("--home"), value, error)) {
      options.programDir = value;
    } else if (valueOption(args, i, QStringLiteral("--config-dir"), value, error)) {
      options.settingsDir = value;
    } else if (arg == u"--demo") {
      options.demoAnimals = lapiro::installer::DemoStockOptions().animals;
    } else if (arg.startsWith(u"--demo=")) {
      bool ok = false;
      const int n = arg.mid(7).toInt(&ok);
      if (!ok || n < 0)
        error = QStringLiteral("Die Anzahl bei --demo muss eine ganze Zahl ab 0 sein: %1").arg(arg.mid(7));
      else if (n > 1000000)
        error = QStringLiteral("Der Demobestand darf höchstens 1000000 Tiere umfassen.");
      else
        options.demoAnimals = n;
    } else if (arg == u"--force") {
      options.force = true;
    } else {
      error = QStringLiteral("Unbekannte Angabe: %1").arg(arg);
    }
  }
  if (!error.isEmpty()) {
    err << error << u'\n' << usage();
    return lapiro::installer::kExitFailed;
  }

  const lapiro::installer::InstallResult result = lapiro::installer::install(options);
  if (result.exitCode == lapiro::installer::kExitOk)
    out << result.message << u'\n';
  else
    err << result.message << u'\n';
  return result.exitCode;
}

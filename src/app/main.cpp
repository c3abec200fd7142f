// Lapiro Manager: nothing but start-up.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lapiro Manager"));
  QLabel label(QStringLiteral("Lapiro Manager"));
  label.resize(400, 200);
  label.show();
  return app.exec();
}

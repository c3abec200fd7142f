// Test main shared by every test executable: the program's application object on the offscreen
// platform and a pinned German locale, so formats and widgets behave the same on every machine.
#include "shell/ui/application.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  testing::InitGoogleTest(&argc, argv);
  lapiro::shell::ui::LapiroApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

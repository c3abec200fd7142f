// Test main of the tests of the core (no windows): a QGuiApplication, enough for fonts, images
// and printouts.
#include "support/test_process.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  lapiro::test::TestProcess process(argc, argv);
  QGuiApplication app(argc, argv);
  process.checkFontsBeforeTests();
  return RUN_ALL_TESTS();
}

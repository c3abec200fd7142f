// Test main of the tests that build windows: the program's application object with every
// feature module installed.
#include "app/modules.h"
#include "shell/ui/application.h"
#include "support/test_process.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  lapiro::test::TestProcess process(argc, argv);
  lapiro::shell::ui::LapiroApplication app(argc, argv);
  // Main windows built by the tests carry every module's commands, as the program's does.
  lapiro::app::installFeatureModules();
  process.checkFontsBeforeTests();
  return RUN_ALL_TESTS();
}

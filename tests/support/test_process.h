// What every test executable sets up around its application object: the offscreen platform, a
// pinned German locale and pinned fonts, so that formats, widgets and the measured text of
// printouts are the same on every machine.
//
// Fonts: before the application starts, fontconfig is pointed at a configuration of its own
// that knows only the pinned font files: Liberation Sans from tests/data/fonts (kept in the
// repository, so its version cannot drift with the machine's packages) for printouts, and
// DejaVu Sans from fonts-dejavu-core for everything else. Fonts installed on the machine are
// invisible to the tests, so neither substitutions ("Arial") nor glyph fallbacks depend on
// them. When a pinned file is missing, every test fails with a message naming it.
//
// Two mains use it: support/test_main.cpp (a QGuiApplication, for tests of the core) and
// support/ui/window_test_main.cpp (the program's application object and every feature module,
// for tests that build windows).
#pragma once

#include <QStringList>
#include <QTemporaryDir>

namespace lapiro::test {

class TestProcess {
 public:
  // Call first in main(), before the application object exists: sets the platform, the
  // locale and the font configuration, and lets gtest take its arguments.
  TestProcess(int& argc, char** argv);
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;

  // Call once the application object exists: every test fails when a pinned font is missing.
  void checkFontsBeforeTests();

 private:
  QTemporaryDir fontDir_;  // the font configuration; lives as long as the tests run
  QStringList problems_;
};

}  // namespace lapiro::test

// Test main shared by every test executable: the program's application object on the offscreen platform, a
// pinned German locale and pinned fonts, so that formats, widgets and the measured text of
// printouts are the same on every machine.
//
// Fonts: before the application starts, fontconfig is pointed at a configuration of its own
// that knows only the pinned font files: Liberation Sans from tests/data/fonts (kept in the
// repository, so its version cannot drift with the machine's packages) for printouts, and
// DejaVu Sans from fonts-dejavu-core for everything else. Fonts installed on the machine are
// invisible to the tests, so neither substitutions ("Arial") nor glyph fallbacks depend on
// them. When a pinned file is missing, every test fails with a message naming it.
#include "app/modules.h"
#include "shell/ui/application.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

struct PinnedFont {
  const char* directory;  // nullptr: the repository's tests/data/fonts
  const char* file;
  const char* package;
};

constexpr PinnedFont kPinnedFonts[] = {
    {nullptr, "LiberationSans-Regular.ttf", "tests/data/fonts"},
    {nullptr, "LiberationSans-Bold.ttf", "tests/data/fonts"},
    {nullptr, "LiberationSans-Italic.ttf", "tests/data/fonts"},
    {nullptr, "LiberationSans-BoldItalic.ttf", "tests/data/fonts"},
    {"/usr/share/fonts/truetype/dejavu", "DejaVuSans.ttf", "fonts-dejavu-core"},
    {"/usr/share/fonts/truetype/dejavu", "DejaVuSans-Bold.ttf", "fonts-dejavu-core"},
};

// The families the tests rely on: the printouts' font and the user-interface font.
const QStringList& pinnedFamilies() {
  static const QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
  return families;
}

// Links the pinned files into `dir`/fonts and writes `dir`/fonts.conf listing only that folder.
// Returns the problems found (missing files), empty when fontconfig may use the file.
QStringList writeFontConfiguration(const QString& dir) {
  QStringList problems;
  const QString fonts = dir + QStringLiteral("/fonts");
  QDir().mkpath(fonts);
  for (const PinnedFont& font : kPinnedFonts) {
    const QString folder = font.directory ? QString::fromUtf8(font.directory)
                                          : QString::fromUtf8(LAPIRO_TEST_DATA_DIR) + QStringLiteral("/fonts");
    const QString source = folder + u'/' + QString::fromUtf8(font.file);
    if (!QFileInfo(source).isFile()) {
      problems << QStringLiteral("%1 (from %2)").arg(source, QString::fromUtf8(font.package));
      continue;
    }
    QFile::link(source, fonts + u'/' + QString::fromUtf8(font.file));
  }
  // Generic names (the user-interface default) map to DejaVu Sans, as on a Debian desktop.
  QString aliases;
  for (const char* generic : {"sans-serif", "serif", "monospace", "system-ui"})
    aliases += QStringLiteral("  <alias binding=\"same\"><family>%1</family><prefer><family>DejaVu Sans</family>"
                              "</prefer></alias>\n")
                   .arg(QString::fromUtf8(generic));
  const QString conf = QStringLiteral(
                           "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                           "<fontconfig>\n  <dir>%1</dir>\n  <cachedir>%2</cachedir>\n%3</fontconfig>\n")
                           .arg(fonts, dir + QStringLiteral("/cache"), aliases);
  QFile file(dir + QStringLiteral("/fonts.conf"));
  if (!file.open(QIODevice::WriteOnly) || file.write(conf.toUtf8()) < 0)
    problems << QStringLiteral("%1 cannot be written").arg(file.fileName());
  return problems;
}

// Fails every test with `problems` (the environment's set-up runs before each executable's
// tests, also when ctest runs them one at a time).
class PinnedFontCheck : public testing::Environment {
 public:
  explicit PinnedFontCheck(QStringList problems) : problems_(std::move(problems)) {}
  void SetUp() override {
    const QStringList known = QFontDatabase::families();
    for (const QString& family : pinnedFamilies()) {
      QFont font;
      font.setFamilies({family});
      if (!known.contains(family) || QFontInfo(font).family() != family)
        problems_ << QStringLiteral("the font family %1 is not available to the tests").arg(family);
    }
    if (!problems_.isEmpty())
      FAIL() << "The tests measure text with pinned fonts, and some are missing:\n  "
             << problems_.join(QStringLiteral("\n  ")).toStdString()
             << "\nscripts/install-deps installs the packages named; the files of tests/data/fonts are part of "
                "the repository.";
  }

 private:
  QStringList problems_;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir fontDir;
  QStringList problems;
  if (fontDir.isValid())
    problems = writeFontConfiguration(fontDir.path());
  else
    problems << QStringLiteral("no temporary directory for the font configuration");
  qputenv("FONTCONFIG_FILE", QFile::encodeName(fontDir.filePath(QStringLiteral("fonts.conf"))));
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  testing::InitGoogleTest(&argc, argv);
  lapiro::shell::ui::LapiroApplication app(argc, argv);
  // Main windows built by the tests carry every module's commands, as the program's does.
  lapiro::app::installFeatureModules();
  testing::AddGlobalTestEnvironment(new PinnedFontCheck(problems));
  return RUN_ALL_TESTS();
}

#include "support/test_process.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLocale>

#include <gtest/gtest.h>

#include <utility>

namespace lapiro::test {

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

TestProcess::TestProcess(int& argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (fontDir_.isValid())
    problems_ = writeFontConfiguration(fontDir_.path());
  else
    problems_ << QStringLiteral("no temporary directory for the font configuration");
  qputenv("FONTCONFIG_FILE", QFile::encodeName(fontDir_.filePath(QStringLiteral("fonts.conf"))));
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  testing::InitGoogleTest(&argc, argv);
}

void TestProcess::checkFontsBeforeTests() { testing::AddGlobalTestEnvironment(new PinnedFontCheck(problems_)); }

}  // namespace lapiro::test

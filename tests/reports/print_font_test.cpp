// Which font a printout measures and paints its text with.
#include "reports/print_font.h"
#include "reports/report.h"
#include "reports/report_layout.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>

using namespace lapiro::reports;

namespace {

QString used(const ReportFont& font, const ReportFont& fallback = {}) {
  return QFontInfo(font.resolve(fallback)).family();
}

}  // namespace

// The test main pins the fonts; were the machine's own fonts visible, the golden page models
// would again depend on what happens to be installed.
TEST(PrintFont, TestsSeeOnlyThePinnedFonts) {
  QStringList families = QFontDatabase::families();
  // Qt adds the generic names itself.
  for (const QString& generic : {QStringLiteral("Sans Serif"), QStringLiteral("Serif"), QStringLiteral("Monospace")})
    families.removeAll(generic);
  families.sort();
  EXPECT_EQ(families, (QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}));
}

TEST(PrintFont, ArialAndTheDefaultAreLiberationSansOnEveryMachine) {
  const QString liberation = QStringLiteral("Liberation Sans");
  for (const QString& asked : {QStringLiteral("Arial"), QStringLiteral("arial"), QStringLiteral(" Arial "), QString(),
                               liberation}) {
    EXPECT_EQ(printFontFamilies(asked), designFontFamilies()) << asked.toStdString();
    EXPECT_EQ(used(ReportFont{asked, 10.0}), liberation) << asked.toStdString();
  }
  EXPECT_EQ(designFontFamilies().front(), liberation);
  EXPECT_EQ(designFontFamilies().back(), QStringLiteral("DejaVu Sans"));
  // An element without a family of its own takes the report's default, which is Arial.
  EXPECT_EQ(used(ReportFont{QString(), 8.0, true, true}, ReportFont{QStringLiteral("Arial"), 10.0}), liberation);
  const QFont bold = ReportFont{QStringLiteral("Arial"), 8.0, true, true}.resolve({});
  EXPECT_TRUE(QFontInfo(bold).bold());
  EXPECT_TRUE(QFontInfo(bold).italic());
  EXPECT_DOUBLE_EQ(bold.pointSizeF(), 8.0);
  // Measured with the font that has Arial's metrics: "Arial" and "Liberation Sans" agree.
  const QString text = QStringLiteral("Vereinskennzeichen Züchter Großvater");
  EXPECT_DOUBLE_EQ(textWidthMm(ReportFont{QStringLiteral("Arial"), 10.0}.resolve({}), text),
                   textWidthMm(ReportFont{liberation, 10.0}.resolve({}), text));
}

TEST(PrintFont, AFontTheUserChoseWinsAndAMissingOneFallsBackToTheDesignedFont) {
  const ReportFont chosen{QStringLiteral("DejaVu Sans"), 12.0};
  EXPECT_EQ(printFontFamilies(chosen.family).front(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(printFontFamilies(chosen.family).count(QStringLiteral("DejaVu Sans")), 1);
  EXPECT_EQ(used(chosen, ReportFont{QStringLiteral("Arial"), 10.0}), QStringLiteral("DejaVu Sans"));
  EXPECT_NE(textWidthMm(chosen.resolve({}), QStringLiteral("Rammler")),
            textWidthMm(ReportFont{QStringLiteral("Arial"), 12.0}.resolve({}), QStringLiteral("Rammler")));
  // A font from another machine's settings that is not installed here.
  EXPECT_EQ(used(ReportFont{QStringLiteral("Comic Nichtvorhanden"), 10.0}), QStringLiteral("Liberation Sans"));
}

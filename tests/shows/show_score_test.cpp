#include "shows/show_score.h"

#include <gtest/gtest.h>

using namespace lapiro::shows;
using lapiro::core::Points;

namespace {

Points pt(double v) { return Points::fromDouble(v); }

ShowPoints scored(std::initializer_list<double> points, const QString& title = QStringLiteral("Kreisschau")) {
  ShowPoints p;
  p.titel = title;
  std::size_t i = 0;
  for (double v : points) p.positions[i++] = pt(v);
  return p;
}

ShowPoints withTotal(double total) {
  ShowPoints p;
  p.titel = QStringLiteral("Ortsschau");
  p.eigeneBewertung = pt(total);
  return p;
}

}  // namespace

TEST(ShowScore, SumOfPositionsGivesTotalGradeAndMissingPoints) {
  const ShowPoints row = scored({10, 19, 14, 15, 14, 9, 5});
  const ShowScore s = scoreOf(row);
  ASSERT_TRUE(s.total);
  EXPECT_EQ(*s.total, Points::whole(86));
  EXPECT_EQ(s.display, QStringLiteral("86"));
  EXPECT_EQ(s.grade, QStringLiteral("nicht befriedigend"));
  EXPECT_EQ(s.missing, QStringLiteral("1/1/2"));
}

TEST(ShowScore, TypedOverallPointsWinOverTheSumUnlessZero) {
  ShowPoints row = scored({10, 19, 14, 15, 14, 9, 5});
  row.eigeneBewertung = Points::whole(96);
  EXPECT_EQ(*showTotal(row), Points::whole(96));
  EXPECT_EQ(gradeText(row), QStringLiteral("hervorragend"));
  row.eigeneBewertung = Points();
  EXPECT_EQ(*showTotal(row), Points::whole(86));
}

TEST(ShowScore, GradeThresholdsAreInclusiveFromTheTop) {
  EXPECT_EQ(gradeText(withTotal(97)), QStringLiteral("vorzüglich"));
  EXPECT_EQ(gradeText(withTotal(96.5)), QStringLiteral("hervorragend"));
  EXPECT_EQ(gradeText(withTotal(96)), QStringLiteral("hervorragend"));
  EXPECT_EQ(gradeText(withTotal(94)), QStringLiteral("sehr gut"));
  EXPECT_EQ(gradeText(withTotal(92)), QStringLiteral("gut"));
  EXPECT_EQ(gradeText(withTotal(90)), QStringLiteral("befriedigend"));
  EXPECT_EQ(gradeText(withTotal(89.5)), QStringLiteral("nicht befriedigend"));
  EXPECT_EQ(displayPoints(withTotal(89.5)), QStringLiteral("89,5"));
}

TEST(ShowScore, RowWithoutPointsHasTotalZeroAndNoMissingPoints) {
  ShowPoints row;
  row.titel = QStringLiteral("Landesschau");
  const ShowScore s = scoreOf(row);
  EXPECT_EQ(*s.total, Points());
  EXPECT_EQ(s.display, QStringLiteral("0"));
  EXPECT_EQ(s.grade, QStringLiteral("nicht befriedigend"));
  EXPECT_TRUE(s.missing.isEmpty());
  // Only body and care filled: still no missing points.
  row.positions[ShowPoints::Koerper2] = Points::whole(18);
  row.positions[ShowPoints::Pflege7] = Points::whole(5);
  EXPECT_TRUE(missingPoints(row).isEmpty());
}

TEST(ShowScore, MissingPointsUseFractionsAndTheChosenSeparator) {
  ShowPoints row = scored({9.5, 18.5, 14, 12.5, 12.5, 12.5, 4.5});
  EXPECT_EQ(missingPoints(row), QStringLiteral("1,5/1/2,5"));
  EXPECT_EQ(missingPoints(row, QLatin1Char('.')), QStringLiteral("1.5/1/2.5"));
  EXPECT_EQ(displayPoints(row), QStringLiteral("84"));
}

TEST(ShowScore, YoungAnimalRowsShowTheCodeAndGradeByIt) {
  ShowPoints row;
  row.titel = youngAnimalTitle();
  row.eigeneBewertung = Points::whole(95);  // ignored on such rows
  row.bewertJungtier = QStringLiteral("8/5");
  ShowScore s = scoreOf(row);
  EXPECT_FALSE(s.total);
  EXPECT_EQ(s.display, QStringLiteral("8/5"));
  EXPECT_EQ(s.grade, QStringLiteral("sehr gut"));
  row.bewertJungtier = QStringLiteral("5");
  EXPECT_TRUE(gradeText(row).isEmpty());
  EXPECT_EQ(gradeForYoungAnimalCode(QStringLiteral("6/0")), QStringLiteral("gut"));
  EXPECT_EQ(gradeForYoungAnimalCode(QStringLiteral("4")), QStringLiteral("befriedigend"));
  EXPECT_EQ(gradeForYoungAnimalCode(QStringLiteral("NB")), QStringLiteral("nicht befriedigend"));
  EXPECT_TRUE(gradeForYoungAnimalCode(QStringLiteral("nb")).isEmpty());
  EXPECT_TRUE(gradeForYoungAnimalCode(QString()).isEmpty());
  // Missing points are computed on such rows too once a counted position is set.
  row.positions[ShowPoints::Fell3] = Points::whole(13);
  EXPECT_EQ(missingPoints(row), QStringLiteral("20/2/40"));
}

TEST(ShowScore, PointsParseWithADecimalCommaAndRefuseLettersAndAPoint) {
  EXPECT_EQ(*parsePoints(QStringLiteral("19,5")), Points::fromHundredths(1950));
  EXPECT_EQ(*parsePoints(QStringLiteral("95,49")), Points::fromHundredths(9549));
  EXPECT_EQ(*parsePoints(QStringLiteral(" 20 ")), Points::whole(20));
  EXPECT_FALSE(parsePoints(QStringLiteral("19.5")));  // ambiguous: refused with a hint by the boxes
  EXPECT_FALSE(parsePoints(QStringLiteral("19,555")));
  EXPECT_FALSE(parsePoints(QString()));
  EXPECT_FALSE(parsePoints(QStringLiteral("1a")));
  EXPECT_FALSE(parsePoints(QStringLiteral("-3")));
  EXPECT_FALSE(parsePoints(QStringLiteral("1,2,3")));
  EXPECT_FALSE(parsePoints(QStringLiteral(",")));
}

// Tenths that sum exactly to each threshold; as binary doubles several of these sums fall a
// hair below it.
TEST(ShowScore, TenthsSummingExactlyToAThresholdGetThatThresholdsGrade) {
  struct Case {
    std::initializer_list<double> row;
    const char* total;
    const char16_t* grade;
  };
  const Case cases[] = {
      {{18, 18.1, 14.5, 19.5, 13, 4.6, 4.3}, "92", u"gut"},
      {{18, 18.1, 14.5, 19.5, 13, 4.6, 4.2}, "91,9", u"befriedigend"},
      {{19.8, 19, 14.9, 20, 13.3, 4.5, 4.5}, "96", u"hervorragend"},
      {{19.7, 19, 14.9, 20, 13.3, 4.5, 4.5}, "95,9", u"sehr gut"},
      {{19.9, 19.1, 14.9, 20, 13.3, 4.6, 5.2}, "97", u"vorzüglich"},
      {{19.9, 19.1, 14.9, 20, 13.3, 4.6, 5.1}, "96,9", u"hervorragend"},
      {{19.1, 18.7, 14.3, 19.9, 13.3, 4.4, 4.3}, "94", u"sehr gut"},
      {{18.1, 18.2, 14.3, 18.3, 12.7, 4.1, 4.3}, "90", u"befriedigend"},
      {{18.1, 18.2, 14.3, 18.3, 12.7, 4.1, 3.8}, "89,5", u"nicht befriedigend"},
  };
  for (const Case& c : cases) {
    const ShowScore s = scoreOf(scored(c.row));
    EXPECT_EQ(s.display, QString::fromUtf8(c.total)) << c.total;
    EXPECT_EQ(s.grade, QString::fromUtf16(c.grade)) << c.total;
  }
}

TEST(ShowScore, MissingPointsShowNoBinaryNoise) {
  EXPECT_EQ(missingPoints(scored({9.5, 19.2, 14.5, 18, 13, 9, 4.5})), QStringLiteral("0,8/0,5/0"));
  EXPECT_EQ(missingPoints(scored({9.5, 18.9, 14.7, 13.1, 13.3, 9.3, 4.5})), QStringLiteral("1,1/0,3/4,3"));
  EXPECT_EQ(formatPoints(20.0 - 19.2), QStringLiteral("0,8"));
}

TEST(ShowScore, CodeEditorKeysDependOnTheTitle) {
  for (QChar c : QStringLiteral("0123456789/BN\b")) EXPECT_TRUE(acceptsCodeKey(c, true)) << int(c.unicode());
  EXPECT_FALSE(acceptsCodeKey(QLatin1Char('.'), true));
  EXPECT_FALSE(acceptsCodeKey(QLatin1Char('b'), true));
  EXPECT_FALSE(acceptsCodeKey(QLatin1Char('X'), true));
  EXPECT_TRUE(acceptsCodeKey(QLatin1Char('.'), false));
  EXPECT_TRUE(acceptsCodeKey(QLatin1Char('7'), false));
  EXPECT_FALSE(acceptsCodeKey(QLatin1Char('/'), false));
  EXPECT_FALSE(acceptsCodeKey(QLatin1Char('N'), false));
}

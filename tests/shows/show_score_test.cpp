#include "shows/show_score.h"

#include <gtest/gtest.h>

using namespace lapiro::shows;

namespace {

ShowPoints scored(std::initializer_list<double> points, const QString& title = QStringLiteral("Kreisschau")) {
  ShowPoints p;
  p.titel = title;
  std::size_t i = 0;
  for (double v : points) p.positions[i++] = v;
  return p;
}

ShowPoints withTotal(double total) {
  ShowPoints p;
  p.titel = QStringLiteral("Ortsschau");
  p.eigeneBewertung = total;
  return p;
}

}  // namespace

TEST(ShowScore, SumOfPositionsGivesTotalGradeAndMissingPoints) {
  const ShowPoints row = scored({10, 19, 14, 15, 14, 9, 5});
  const ShowScore s = scoreOf(row);
  ASSERT_TRUE(s.total);
  EXPECT_DOUBLE_EQ(*s.total, 86.0);
  EXPECT_EQ(s.display, QStringLiteral("86"));
  EXPECT_EQ(s.grade, QStringLiteral("nicht befriedigend"));
  EXPECT_EQ(s.missing, QStringLiteral("1/1/2"));
}

TEST(ShowScore, TypedOverallPointsWinOverTheSumUnlessZero) {
  ShowPoints row = scored({10, 19, 14, 15, 14, 9, 5});
  row.eigeneBewertung = 96.0;
  EXPECT_DOUBLE_EQ(*showTotal(row), 96.0);
  EXPECT_EQ(gradeText(row), QStringLiteral("hervorragend"));
  row.eigeneBewertung = 0.0;
  EXPECT_DOUBLE_EQ(*showTotal(row), 86.0);
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
  EXPECT_DOUBLE_EQ(*s.total, 0.0);
  EXPECT_EQ(s.display, QStringLiteral("0"));
  EXPECT_EQ(s.grade, QStringLiteral("nicht befriedigend"));
  EXPECT_TRUE(s.missing.isEmpty());
  // Only body and care filled: still no missing points.
  row.positions[ShowPoints::Koerper2] = 18;
  row.positions[ShowPoints::Pflege7] = 5;
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
  row.eigeneBewertung = 95;  // ignored on such rows
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
  row.positions[ShowPoints::Fell3] = 13;
  EXPECT_EQ(missingPoints(row), QStringLiteral("20/2/40"));
}

TEST(ShowScore, PointsParseWithCommaOrPointAndRefuseLetters) {
  EXPECT_DOUBLE_EQ(*parsePoints(QStringLiteral("19,5")), 19.5);
  EXPECT_DOUBLE_EQ(*parsePoints(QStringLiteral("19.5")), 19.5);
  EXPECT_DOUBLE_EQ(*parsePoints(QStringLiteral(" 20 ")), 20.0);
  EXPECT_FALSE(parsePoints(QString()));
  EXPECT_FALSE(parsePoints(QStringLiteral("1a")));
  EXPECT_FALSE(parsePoints(QStringLiteral("-3")));
  EXPECT_FALSE(parsePoints(QStringLiteral("1,2,3")));
  EXPECT_FALSE(parsePoints(QStringLiteral(",")));
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

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

TEST(ShowScore, TitlesAndPositionFieldsAreRecognisedExactly) {
  EXPECT_TRUE(isYoungAnimalTitle(QStringLiteral("Jungtierbewertung")));
  EXPECT_FALSE(isYoungAnimalTitle(QStringLiteral("Kreisschau")));
  EXPECT_TRUE(isOwnJudgingTitle(QStringLiteral("Eigene Bewertung")));
  EXPECT_FALSE(isOwnJudgingTitle(QStringLiteral("eigene Bewertung")));
  EXPECT_FALSE(isOwnJudgingTitle(youngAnimalTitle()));
  EXPECT_TRUE(isPositionField(QStringLiteral("Gewicht1")));
  EXPECT_TRUE(isPositionField(QStringLiteral("pflege7")));
  EXPECT_FALSE(isPositionField(QStringLiteral("Gewicht")));
  EXPECT_FALSE(isPositionField(QStringLiteral("EigeneBewertung")));
}

TEST(ShowScore, EveryGradeStartsAtItsThresholdAndEndsAHundredthBelowTheNext) {
  const std::pair<double, const char16_t*> cases[] = {
      {100, u"vorzüglich"},        {97, u"vorzüglich"},       {96.99, u"hervorragend"}, {96, u"hervorragend"},
      {95.99, u"sehr gut"},        {95, u"sehr gut"},         {94, u"sehr gut"},        {93.99, u"gut"},
      {93, u"gut"},                {92, u"gut"},              {91.99, u"befriedigend"}, {91, u"befriedigend"},
      {90, u"befriedigend"},       {89.99, u"nicht befriedigend"}, {89, u"nicht befriedigend"},
  };
  for (auto [total, grade] : cases) EXPECT_EQ(gradeForTotal(pt(total)), QString::fromUtf16(grade)) << total;
}

TEST(ShowScore, EveryYoungAnimalCodeHasItsGrade) {
  for (const char* code : {"8/3", "8/4", "8/5", "8/6", "8/7"})
    EXPECT_EQ(gradeForYoungAnimalCode(QString::fromLatin1(code)), QStringLiteral("sehr gut")) << code;
  for (const char* code : {"6/2", "6/1", "6/0"})
    EXPECT_EQ(gradeForYoungAnimalCode(QString::fromLatin1(code)), QStringLiteral("gut")) << code;
  for (const char* code : {"8/2", "8/8", "6/3", "6", "4/0", "N", "B"})
    EXPECT_TRUE(gradeForYoungAnimalCode(QString::fromLatin1(code)).isEmpty()) << code;
}

// A position typed as 0 is set; a position typed and cleared again is empty.
TEST(ShowScore, ZeroAndClearedValuesAreToldApart) {
  ShowPoints row = scored({});
  row.positions[ShowPoints::Gewicht1] = Points();
  EXPECT_FALSE(hasNonZeroPosition(row));
  row.positions[ShowPoints::Pflege7] = Points::whole(4);
  EXPECT_TRUE(hasNonZeroPosition(row));
  row.positions[ShowPoints::Pflege7].reset();
  EXPECT_FALSE(hasNonZeroPosition(row));

  row.positions[ShowPoints::Fell3] = Points::whole(13);
  row.eigeneBewertung = Points::whole(95);
  row.eigeneBewertung.reset();
  EXPECT_EQ(*showTotal(row), Points::whole(13));
  row.eigeneBewertung = Points();
  EXPECT_EQ(*showTotal(row), Points::whole(13));
}

TEST(ShowScore, AnyOneCountedPositionBringsTheMissingPoints) {
  struct Case {
    ShowPoints::Position position;
    double value;
    const char* missing;
  };
  const Case cases[] = {
      {ShowPoints::Gewicht1, 9, "20/15/40"},   {ShowPoints::Fell3, 13.5, "20/1,5/40"},
      {ShowPoints::Kopf4, 14, "20/15/26"},     {ShowPoints::Farbe5, 12.5, "20/15/27,5"},
      {ShowPoints::Unterfarbe6, 9, "20/15/31"},
  };
  for (const Case& c : cases) {
    ShowPoints row = scored({});
    row.positions[c.position] = pt(c.value);
    EXPECT_EQ(missingPoints(row), QString::fromLatin1(c.missing)) << c.position;
  }
  // Every group part counts once, in its own group: 20 − 17 / 15 − 13 / 40 − (14 + 12,5 + 9).
  EXPECT_EQ(missingPoints(scored({9, 17, 13, 14, 12.5, 9, 4})), QStringLiteral("3/2/4,5"));
}

TEST(ShowScore, TheTotalColumnShowsAtMostFiveCharacters) {
  EXPECT_EQ(displayPoints(withTotal(95.25)), QStringLiteral("95,25"));
  EXPECT_EQ(displayPoints(withTotal(100.25)), QStringLiteral("100,2"));
  EXPECT_EQ(displayPoints(withTotal(95.25), QLatin1Char('.')), QStringLiteral("95.25"));
  ShowPoints young;
  young.titel = youngAnimalTitle();
  young.bewertJungtier = QStringLiteral("8/5xyz");
  EXPECT_EQ(displayPoints(young), QStringLiteral("8/5xy"));
  const ShowScore s = scoreOf(scored({9.5, 18.5, 14, 12.5, 12.5, 12.5, 4.5}), QLatin1Char('.'));
  EXPECT_EQ(s.display, QStringLiteral("84"));
  EXPECT_EQ(s.missing, QStringLiteral("1.5/1/2.5"));
}

TEST(ShowScore, TypedPointsTakeUpToNineWholeDigits) {
  EXPECT_EQ(*parsePoints(QStringLiteral("123456789")), Points::whole(123456789));
  EXPECT_FALSE(parsePoints(QStringLiteral("1234567890")));
  EXPECT_EQ(*parsePoints(QStringLiteral("0,05")), Points::fromHundredths(5));
  EXPECT_EQ(*parsePoints(QStringLiteral("7,1")), Points::fromHundredths(710));
  EXPECT_FALSE(parsePoints(QStringLiteral("-0,5")));
  EXPECT_FALSE(parsePoints(QStringLiteral("1,005")));
}

TEST(ShowScore, CodeKeysStopAtTheEndsOfTheDigits) {
  for (bool young : {true, false}) {
    EXPECT_TRUE(acceptsCodeKey(QLatin1Char('0'), young));
    EXPECT_TRUE(acceptsCodeKey(QLatin1Char('9'), young));
    EXPECT_TRUE(acceptsCodeKey(QLatin1Char('\b'), young));
    EXPECT_FALSE(acceptsCodeKey(QLatin1Char(':'), young));
    EXPECT_FALSE(acceptsCodeKey(QLatin1Char(','), young));
  }
  EXPECT_FALSE(acceptsCodeKey(QLatin1Char('n'), true));
  EXPECT_FALSE(acceptsCodeKey(QLatin1Char('B'), false));
}

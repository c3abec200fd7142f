// Points held in exact hundredths, and the one reader of typed numbers.
#include "core/number_input.h"
#include "core/points.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace lapiro::core;

namespace {

Points sumOf(std::initializer_list<double> stored) {
  Points sum;
  for (double v : stored) sum += Points::fromDouble(v);
  return sum;
}

}  // namespace

TEST(Points, TenthsThatSumToAThresholdLandOnItExactly) {
  // As binary doubles these sum to 91.99999999999999.
  EXPECT_EQ(sumOf({18, 18.1, 14.5, 19.5, 13, 4.6, 4.3}), Points::whole(92));
  EXPECT_EQ(sumOf({19.8, 19, 14.9, 20, 13.3, 4.5, 4.5}), Points::whole(96));
  EXPECT_EQ(sumOf({0.1, 0.2}), Points::fromHundredths(30));
  EXPECT_EQ((Points::whole(20) - Points::fromDouble(19.2)).text(), QStringLiteral("0,8"));
  EXPECT_EQ((Points::whole(40) - Points::fromDouble(37.5)).text(), QStringLiteral("2,5"));
}

TEST(Points, GeneralAndTwoDecimalTexts) {
  EXPECT_EQ(Points::whole(92).text(), QStringLiteral("92"));
  EXPECT_EQ(Points::fromHundredths(1925).text(), QStringLiteral("19,25"));
  EXPECT_EQ(Points::fromHundredths(-150).text(), QStringLiteral("-1,5"));
  EXPECT_EQ(Points::fromHundredths(-5).text(), QStringLiteral("-0,05"));
  EXPECT_EQ(Points().text(), QStringLiteral("0"));
  EXPECT_EQ(Points::fromHundredths(950).text(QLatin1Char('.')), QStringLiteral("9.5"));
  EXPECT_EQ(Points::fromHundredths(9360).twoDecimals(), QStringLiteral("93,60"));
  EXPECT_EQ(Points::whole(95).twoDecimals(), QStringLiteral("95,00"));
}

TEST(Points, MeanIsRoundedToTheHundredthHalfAwayFromZero) {
  EXPECT_EQ(Points::mean(Points::whole(468), 5), Points::fromHundredths(9360));
  EXPECT_EQ(Points::mean(Points::fromHundredths(38200), 4), Points::fromHundredths(9550));
  EXPECT_EQ(Points::mean(Points::whole(286), 3), Points::fromHundredths(9533));  // 95,333…
  EXPECT_EQ(Points::mean(Points::whole(287), 3), Points::fromHundredths(9567));  // 95,666…
  EXPECT_EQ(Points::mean(Points::fromHundredths(1), 2), Points::fromHundredths(1));
  EXPECT_EQ(Points::mean(Points::fromHundredths(-1), 2), Points::fromHundredths(-1));
}

TEST(Points, StoredFloatsAreTakenToTheNearestHundredth) {
  EXPECT_EQ(Points::fromDouble(91.99999999999999), Points::whole(92));
  EXPECT_EQ(Points::fromDouble(95.495), Points::fromHundredths(9550));
  EXPECT_EQ(Points::fromDouble(-0.0), Points());
  EXPECT_EQ(Points::fromDouble(1.0 / 0.0), Points());
  EXPECT_DOUBLE_EQ(Points::fromHundredths(1910).toDouble(), 19.1);
}

// ---------------------------------------------------------------- typed numbers

namespace {

std::optional<qint64> hundredths(const char* text) {
  const NumberReading r = readTypedNumber(QString::fromUtf8(text));
  return r.isNumber() ? r.number->scaled(2) : std::nullopt;
}

}  // namespace

TEST(TypedNumber, APointBeforeExactlyThreeDigitsGroupsThousands) {
  EXPECT_EQ(hundredths("1.000"), 100000);
  EXPECT_EQ(hundredths("1.234"), 123400);
  EXPECT_EQ(hundredths("1.234,56"), 123456);
  EXPECT_EQ(hundredths("1.500"), 150000);
  EXPECT_EQ(hundredths("12.345.678"), 1234567800);
  EXPECT_EQ(hundredths("-1.000"), -100000);
  EXPECT_EQ(hundredths(" 3,5 "), 350);
  EXPECT_EQ(hundredths(",5"), 50);
  EXPECT_EQ(hundredths("5,"), 500);
  EXPECT_EQ(hundredths("+7"), 700);
  EXPECT_EQ(hundredths("12,345"), 1235);  // rounded half away from zero
  EXPECT_EQ(hundredths("-12,345"), -1235);
  EXPECT_EQ(readTypedNumber(QStringLiteral("  ")).kind, NumberReading::Kind::Empty);
}

TEST(TypedNumber, AnyOtherPointIsAmbiguousAndExplainedWithTheCommaForm) {
  for (const char* text : {"1.5", "12.50", "0.500", "1.5000", ".5", "-2.25"}) {
    const NumberReading r = readTypedNumber(QString::fromUtf8(text));
    EXPECT_EQ(r.kind, NumberReading::Kind::Ambiguous) << text;
    EXPECT_FALSE(r.number) << text;
  }
  EXPECT_EQ(readTypedNumber(QStringLiteral("1.5")).message, QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 1,5"));
  EXPECT_EQ(decimalCommaHint(QStringLiteral(" 12.50 ")), QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 12,50"));
  EXPECT_EQ(refusalMessage(readTypedNumber(QStringLiteral("x")), QStringLiteral("anders")), QStringLiteral("anders"));
}

TEST(TypedNumber, MalformedGroupsLettersAndForeignDigitsAreInvalid) {
  for (const char* text : {"1.23.4", "12.34,5", "1.2345,00", "1,2,3", "1e3", "inf", "nan", "3,5a", "-", ",", ".", "1.000.",
                           "0x10", "1 000", "12,5.5", "١٢"}) {
    const NumberReading r = readTypedNumber(QString::fromUtf8(text));
    EXPECT_EQ(r.kind, NumberReading::Kind::Invalid) << text;
  }
}

TEST(TypedNumber, WholeNumbersAndScalingLimits) {
  const NumberReading r = readTypedNumber(QStringLiteral("95,0"));
  ASSERT_TRUE(r.isNumber());
  EXPECT_TRUE(r.number->isWhole());
  EXPECT_FALSE(readTypedNumber(QStringLiteral("95,5")).number->isWhole());
  EXPECT_DOUBLE_EQ(readTypedNumber(QStringLiteral("1.234,5")).number->toDouble(), 1234.5);
  EXPECT_FALSE(readTypedNumber(QStringLiteral("99999999999999999999999")).number->scaled(0));
}

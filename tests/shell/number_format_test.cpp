#include "shell/number_format.h"

#include <gtest/gtest.h>

using lapiro::shell::formatSignificant;

TEST(NumberFormat, RoundsToSignificantDigitsThenWritesFixedDecimals) {
  const QChar comma(u',');
  EXPECT_EQ(formatSignificant(0.03125, 3, 5, comma), QStringLiteral("0,03130"));
  EXPECT_EQ(formatSignificant(21.428571, 2, 2, comma), QStringLiteral("21,00"));
  EXPECT_EQ(formatSignificant(0.125, 4, 5, comma), QStringLiteral("0,12500"));
  EXPECT_EQ(formatSignificant(12.5, 4, 2, comma), QStringLiteral("12,50"));
  EXPECT_EQ(formatSignificant(6.25, 4, 2, comma), QStringLiteral("6,25"));
  EXPECT_EQ(formatSignificant(0.0625, 4, 5, comma), QStringLiteral("0,06250"));
  // Digits beyond the significant ones become zeros, also before the separator.
  EXPECT_EQ(formatSignificant(1234.5678, 2, 1, comma), QStringLiteral("1200,0"));
  EXPECT_EQ(formatSignificant(0.000123456, 3, 5, comma), QStringLiteral("0,00012"));
  EXPECT_EQ(formatSignificant(0.0, 4, 5, comma), QStringLiteral("0,00000"));
  EXPECT_EQ(formatSignificant(-0.03125, 3, 5, comma), QStringLiteral("-0,03130"));
  EXPECT_EQ(formatSignificant(-0.000001, 2, 2, comma), QStringLiteral("0,00"));
  EXPECT_EQ(formatSignificant(0.03125, 3, 5, QChar(u'.')), QStringLiteral("0.03130"));
  // 2/14 of 100 is 14.2857...: two significant digits.
  EXPECT_EQ(formatSignificant(100.0 / 14 * 2, 2, 2, comma), QStringLiteral("14,00"));
}

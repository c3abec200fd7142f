#include "shell/date_arith.h"

#include <gtest/gtest.h>

using lapiro::shell::addDays;
using lapiro::shell::daysInMonth;

TEST(DateArith, DaysInMonthHasAlwaysTwentyEightInFebruary) {
  const int expected[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(daysInMonth(m), expected[m - 1]) << m;
}

TEST(DateArith, StepsOverMonthAndYearEnds) {
  EXPECT_EQ(addDays(1, QDate(2023, 2, 28)), QDate(2023, 3, 1));
  EXPECT_EQ(addDays(1, QDate(2024, 2, 28)), QDate(2024, 3, 1));  // leap year too
  EXPECT_EQ(addDays(1, QDate(2024, 2, 29)), QDate(2024, 3, 1));
  EXPECT_EQ(addDays(1, QDate(2024, 12, 31)), QDate(2025, 1, 1));
  EXPECT_EQ(addDays(1, QDate(2024, 4, 30)), QDate(2024, 5, 1));
  EXPECT_EQ(addDays(1, QDate(2024, 11, 30)), QDate(2024, 12, 1));
  EXPECT_EQ(addDays(1, QDate(2024, 7, 31)), QDate(2024, 8, 1));
  EXPECT_EQ(addDays(2, QDate(2024, 7, 30)), QDate(2024, 8, 1));
  EXPECT_EQ(addDays(65, QDate(2023, 1, 10)), QDate(2023, 3, 16));
  EXPECT_EQ(addDays(65, QDate(2024, 1, 10)), QDate(2024, 3, 16));  // the calendar says 15 March
  EXPECT_EQ(addDays(65, QDate(2024, 12, 20)), QDate(2025, 2, 23));
}

TEST(DateArith, CountZeroOrLessAndInvalidDatesReturnTheDate) {
  EXPECT_EQ(addDays(0, QDate(2024, 2, 29)), QDate(2024, 2, 29));
  EXPECT_EQ(addDays(-5, QDate(2024, 3, 1)), QDate(2024, 3, 1));
  EXPECT_FALSE(addDays(3, QDate()).isValid());
}

TEST(DateArith, TimeOfDayIsDropped) {
  EXPECT_EQ(addDays(1, QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59))), QDate(2025, 1, 1));
  EXPECT_EQ(addDays(0, QDateTime(QDate(2024, 6, 1), QTime(12, 0))), QDate(2024, 6, 1));
}

// Outside a leap February the stepping rule is the calendar: compare with QDate for every
// start day of 2021 and every count up to 400 (which ends before February 2024).
TEST(DateArith, MatchesTheCalendarWhereNoTwentyNinthOfFebruaryIsCrossed) {
  for (QDate start(2021, 1, 1); start.year() == 2021; start = start.addDays(1)) {
    for (int count = 0; count <= 400; ++count) {
      ASSERT_EQ(addDays(count, start), start.addDays(count))
          << start.toString(Qt::ISODate).toStdString() << " + " << count;
    }
  }
  // Across a leap February the 29th is skipped: one year from 1 March 2023 is 1 March 2024.
  EXPECT_EQ(addDays(366, QDate(2023, 3, 1)), QDate(2024, 3, 2));
  EXPECT_EQ(addDays(365, QDate(2023, 3, 1)), QDate(2024, 3, 1));
}

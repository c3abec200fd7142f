// The program's own day arithmetic, used for the expected litter day: February always has
// 28 days, so a count of days never lands on 29 February and, across February of a leap
// year, ends one calendar day later than QDate::addDays would.
#pragma once

#include <QDate>
#include <QDateTime>

namespace lapiro::shell {

// Days of `month` (1 to 12): 31 for 1, 3, 5, 7, 8, 10, 12; 28 for 2 in every year; 30 for
// the others. A month outside 1 to 12 gives 30.
int daysInMonth(int month);

// The date `count` steps after `date`. One step: when the day is below daysInMonth of its
// month, the next day of that month; otherwise the first day of the next month (after
// December, 1 January of the next year). So 28 February + 1 and 29 February + 1 are both
// 1 March. A count of 0 or less returns `date` itself; an invalid date stays invalid.
QDate addDays(int count, const QDate& date);

// As above; the time of day is dropped.
QDate addDays(int count, const QDateTime& dateTime);

}  // namespace lapiro::shell

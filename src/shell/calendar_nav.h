// Date steps and text of the calendar dialog, kept free of widgets so they can be tested
// without a screen.
#pragma once

#include <QDate>
#include <QString>

namespace lapiro::shell {

// The same day `months` calendar months after `date` (before it when negative). When the
// target month is shorter than the day, the result is its last day: 31.01.2025 + 1 gives
// 28.02.2025, 31.03.2024 - 1 gives 29.02.2024. December + 1 is January of the next year.
// An invalid date stays invalid.
QDate stepMonths(const QDate& date, int months);

// The same day and month `years` years after `date` (before it when negative); 29 February
// becomes 28 February in a year without it. An invalid date stays invalid.
QDate stepYears(const QDate& date, int years);

// The dialog's date line: "Datum  :  " followed by the date as dd.MM.yyyy, with digits that
// do not depend on the locale. An invalid date gives the prefix alone.
QString calendarDateLine(const QDate& date);

}  // namespace lapiro::shell

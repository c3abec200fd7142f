#include "shell/date_arith.h"

#include <algorithm>

namespace lapiro::shell {

int daysInMonth(int month) {
  switch (month) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
      return 31;
    case 2:
      return 28;
    default:
      return 30;
  }
}

QDate addDays(int count, const QDate& date) {
  if (!date.isValid() || count <= 0) return date;
  int year = date.year();
  int month = date.month();
  int day = date.day();
  // Whole runs of days inside one month at a time, so large counts cost one loop per month.
  while (count > 0) {
    const int last = daysInMonth(month);
    if (day < last) {
      const int step = std::min(count, last - day);
      day += step;
      count -= step;
    } else {
      day = 1;
      --count;
      if (++month > 12) {
        month = 1;
        // QDate has no year 0: the year after -1 is 1.
        year = (year == -1) ? 1 : year + 1;
      }
    }
  }
  return QDate(year, month, day);
}

QDate addDays(int count, const QDateTime& dateTime) {
  return addDays(count, dateTime.date());
}

}  // namespace lapiro::shell

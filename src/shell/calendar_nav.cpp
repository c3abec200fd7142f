#include "shell/calendar_nav.h"

namespace lapiro::shell {

// QDate already clamps the day to the target month and skips the non-existent year 0.
QDate stepMonths(const QDate& date, int months) {
  return date.isValid() ? date.addMonths(months) : QDate();
}

QDate stepYears(const QDate& date, int years) {
  return date.isValid() ? date.addYears(years) : QDate();
}

QString calendarDateLine(const QDate& date) {
  QString line = QStringLiteral("Datum  :  ");
  if (date.isValid()) line += date.toString(QStringLiteral("dd.MM.yyyy"));
  return line;
}

}  // namespace lapiro::shell

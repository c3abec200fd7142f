// The printed week plan of the breeding calendar: A4, one line per open task of the coming
// seven days (and what is overdue), each with a box to tick by hand.
#pragma once

#include "breeding/breeding_calendar.h"
#include "reports/data_source.h"
#include "reports/report.h"

#include <vector>

namespace lapiro::breeding {

class TReportWochenplan : public reports::Report {
 public:
  explicit TReportWochenplan(const QDate& today,
                             const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
  // The open tasks up to today + 6 days, overdue ones first (fields Datum, Aufgabe, Tier, Hinweis).
  static reports::MemoryDataSource rows(const std::vector<CalendarTask>& tasks, const QDate& today);
};

}  // namespace lapiro::breeding

// The breeding calendar as an iCalendar file (RFC 5545) for phone and desktop calendars:
// every open task of the next 8 weeks as an all-day event. Each task keeps its UID from
// export to export, so importing a newer file updates the events instead of doubling them.
#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

#include "breeding/breeding_calendar.h"

namespace lapiro::breeding {

// The UID of a task's event.
QString taskUid(const CalendarTask& task);

// The calendar text of the open (not done) tasks due from `today` to today + 8 weeks.
// `stamp` is the DTSTAMP of every event (the time of the export).
QByteArray calendarIcs(const std::vector<CalendarTask>& tasks, const QDate& today, const QDateTime& stamp);

// Writes calendarIcs() to `path` (all or nothing). Returns false with a German `error`.
bool exportCalendar(const QString& path, const std::vector<CalendarTask>& tasks, const QDate& today,
                    const QDateTime& stamp, QString* error);

}  // namespace lapiro::breeding

#include "breeding/calendar_export.h"

#include "core/safe_write.h"

#include <libical/ical.h>


namespace lapiro::breeding {

namespace {

icaltimetype icalDate(const QDate& day) {
  icaltimetype t = icaltime_null_date();
  t.year = day.year();
  t.month = day.month();
  t.day = day.day();
  t.is_date = 1;
  return t;
}

icaltimetype icalUtc(const QDateTime& when) {
  const QDateTime utc = when.toUTC();
  icaltimetype t = icaltime_null_time();
  t.year = utc.date().year();
  t.month = utc.date().month();
  t.day = utc.date().day();
  t.hour = utc.time().hour();
  t.minute = utc.time().minute();
  t.second = utc.time().second();
  t.zone = icaltimezone_get_utc_timezone();
  return t;
}

QString summaryOf(const CalendarTask& task) {
  if (task.animalText.isEmpty()) return task.detail.isEmpty() ? task.title : task.title + QStringLiteral(": ") + task.detail;
  return task.title + QStringLiteral(": ") + task.animalText;
}

QString descriptionOf(const CalendarTask& task) {
  QStringList lines;
  if (!task.animalText.isEmpty()) lines << QStringLiteral("Tier: ") + task.animalText;
  if (!task.detail.isEmpty()) lines << task.detail;
  if (task.postponed)
    lines << QStringLiteral("Verschoben vom %1").arg(task.plannedDay.toString(QStringLiteral("dd.MM.yyyy")));
  return lines.join(u'\n');
}

}  // namespace

QString taskUid(const CalendarTask& task) {
  return task.key + QStringLiteral("@zuchtkalender.lapiro-manager");
}

QByteArray calendarIcs(const std::vector<CalendarTask>& tasks, const QDate& today, const QDateTime& stamp) {
  icalcomponent* cal = icalcomponent_new_vcalendar();
  icalcomponent_add_property(cal, icalproperty_new_version("2.0"));
  icalcomponent_add_property(cal, icalproperty_new_prodid("-//Lapiro Manager//Zuchtkalender//DE"));
  icalcomponent_add_property(cal, icalproperty_new_calscale("GREGORIAN"));
  const QDate last = today.addDays(7 * kCalendarWeeks);
  for (const CalendarTask& task : tasks) {
    if (task.done || task.day < today || task.day > last) continue;
    icalcomponent* ev = icalcomponent_new_vevent();
    icalcomponent_add_property(ev, icalproperty_new_uid(taskUid(task).toUtf8().constData()));
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(icalUtc(stamp)));
    // An all-day event: DTSTART and the exclusive DTEND are dates.
    icalcomponent_add_property(ev, icalproperty_new_dtstart(icalDate(task.day)));
    icalcomponent_add_property(ev, icalproperty_new_dtend(icalDate(task.day.addDays(1))));
    icalcomponent_add_property(ev, icalproperty_new_summary(summaryOf(task).toUtf8().constData()));
    const QString description = descriptionOf(task);
    if (!description.isEmpty())
      icalcomponent_add_property(ev, icalproperty_new_description(description.toUtf8().constData()));
    icalcomponent_add_property(ev, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    icalcomponent_add_component(cal, ev);
  }
  char* text = icalcomponent_as_ical_string_r(cal);
  const QByteArray out(text);
  icalmemory_free_buffer(text);
  icalcomponent_free(cal);
  return out;
}

bool exportCalendar(const QString& path, const std::vector<CalendarTask>& tasks, const QDate& today,
                    const QDateTime& stamp, QString* error) {
  QString why;
  if (core::writeFileSafely(path, calendarIcs(tasks, today, stamp), &why)) return true;
  if (error) *error = QStringLiteral("Der Kalender kann nicht nach %1 exportiert werden: %2").arg(path, why);
  return false;
}

}  // namespace lapiro::breeding

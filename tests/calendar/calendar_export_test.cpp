// The iCalendar export read back with the same library a phone calendar's importer would
// use: all-day events, German summaries, the animal in the description, and UIDs that stay
// the same from one export to the next.
#include "breeding/calendar_export.h"

#include "support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <map>

using namespace lapiro::breeding;

namespace {

const QDate kToday(2025, 6, 11);

CalendarTask task(const char16_t* key, const QDate& day, const char16_t* title, const char16_t* animal) {
  CalendarTask t;
  t.key = QString::fromUtf16(key);
  t.day = t.plannedDay = day;
  t.title = QString::fromUtf16(title);
  t.animalText = QString::fromUtf16(animal);
  return t;
}

struct Event {
  QString summary, description;
  QDate start, end;
  bool allDay = false;
};

// UID -> event, parsed from the file's text.
std::map<QString, Event> readBack(const QByteArray& text) {
  std::map<QString, Event> events;
  icalcomponent* cal = icalparser_parse_string(text.constData());
  EXPECT_NE(cal, nullptr);
  if (!cal) return events;
  for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
       ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
    Event e;
    e.summary = QString::fromUtf8(icalcomponent_get_summary(ev));
    if (const char* d = icalcomponent_get_description(ev)) e.description = QString::fromUtf8(d);
    const icaltimetype start = icalcomponent_get_dtstart(ev), end = icalcomponent_get_dtend(ev);
    e.start = QDate(start.year, start.month, start.day);
    e.end = QDate(end.year, end.month, end.day);
    e.allDay = start.is_date && end.is_date;
    events[QString::fromUtf8(icalcomponent_get_uid(ev))] = e;
  }
  icalcomponent_free(cal);
  return events;
}

}  // namespace

TEST(CalendarExport, OpenTasksOfTheNextEightWeeksBecomeAllDayEventsWithStableUids) {
  std::vector<CalendarTask> tasks{
      task(u"wurf-7-erwartet", kToday.addDays(3), u"Wurf erwartet", u"R1 1.1.1 Berta (Stall 12)"),
      task(u"wurf-7-abtasten", kToday.addDays(-1), u"Trächtigkeit prüfen (Abtasten)", u"R1 1.1.1 Berta"),
      task(u"wurf-8-trennen", kToday.addDays(56), u"Geschlechter trennen", u"R2 2.2.2"),
      task(u"wurf-8-wiegen-21", kToday.addDays(57), u"Wurf wiegen", u"R2 2.2.2"),
      task(u"ausstellung-3", kToday, u"Ausstellung", u""),
      task(u"impfung-5", kToday.addDays(10), u"Impfung fällig", u"R3 3.3.3")};
  tasks[4].detail = QStringLiteral("KV Trier, Trier");
  tasks[5].done = true;

  lapiro::test::TempDir dir;
  const QString path = dir.file(QStringLiteral("zuchtkalender.ics"));
  QString error;
  ASSERT_TRUE(exportCalendar(path, tasks, kToday, QDateTime(kToday, QTime(8, 0), Qt::UTC), &error))
      << error.toStdString();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray first = file.readAll();
  EXPECT_TRUE(first.startsWith("BEGIN:VCALENDAR"));

  const auto events = readBack(first);
  ASSERT_EQ(events.size(), 3u);  // not the overdue, the one after 8 weeks nor the done one
  const Event& expected = events.at(QStringLiteral("wurf-7-erwartet@zuchtkalender.lapiro-manager"));
  EXPECT_TRUE(expected.allDay);
  EXPECT_EQ(expected.start, kToday.addDays(3));
  EXPECT_EQ(expected.end, kToday.addDays(4));
  EXPECT_EQ(expected.summary, QStringLiteral("Wurf erwartet: R1 1.1.1 Berta (Stall 12)"));
  EXPECT_EQ(expected.description, QStringLiteral("Tier: R1 1.1.1 Berta (Stall 12)"));
  EXPECT_EQ(events.at(QStringLiteral("ausstellung-3@zuchtkalender.lapiro-manager")).summary,
            QStringLiteral("Ausstellung: KV Trier, Trier"));
  EXPECT_TRUE(events.count(QStringLiteral("wurf-8-trennen@zuchtkalender.lapiro-manager")));

  // A later export after postponing a task: the same UIDs, the moved day.
  tasks[0].day = kToday.addDays(5);
  tasks[0].postponed = true;
  const auto again = readBack(calendarIcs(tasks, kToday, QDateTime(kToday.addDays(1), QTime(9, 30), Qt::UTC)));
  ASSERT_EQ(again.size(), events.size());
  for (const auto& [uid, e] : events) EXPECT_TRUE(again.count(uid)) << uid.toStdString();
  const Event& moved = again.at(QStringLiteral("wurf-7-erwartet@zuchtkalender.lapiro-manager"));
  EXPECT_EQ(moved.start, kToday.addDays(5));
  EXPECT_TRUE(moved.description.contains(QStringLiteral("Verschoben vom 14.06.2025")));
}

TEST(CalendarExport, AnUnwritablePlaceFailsWithAGermanMessage) {
  QString error;
  EXPECT_FALSE(exportCalendar(QStringLiteral("/nonexistent-dir/x/kalender.ics"), {}, kToday,
                              QDateTime::currentDateTimeUtc(), &error));
  EXPECT_TRUE(error.startsWith(QStringLiteral("Der Kalender kann nicht nach"))) << error.toStdString();
}

// The "Zuchtkalender" window on a real stock: group rows, the double click that opens the
// animal at the litter-book tab, ticking and postponing through the buttons' actions, and the
// export through the window.
#include "breeding/ui/breeding_calendar_window.h"
#include "reports/data_source.h"

#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QFile>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>

using namespace lapiro;
using namespace lapiro::breeding;
using lapiro::test::ScriptedDialogs;
using lapiro::test::StockDirectory;

namespace {
QString s(const char16_t* text) { return QString::fromUtf16(text); }
const QDate kToday(2025, 6, 11);
}  // namespace

TEST(BreedingCalendarWindow, ListsByGroupOpensTheAnimalAndKeepsTicksAndPostponements) {
  StockDirectory stock({11});
  const qint64 doe = stock.animal(s(u"R1"), s(u"1.1.1"));
  stock.add(s(u"Wurfbuch.DB"), {{s(u"Katze"), doe}, {s(u"Decktermin"), kToday.addDays(-12)}});
  ScriptedDialogs dialogs;
  qint64 opened = 0;
  CardTab openedTab = CardTab::None;
  BreedingCalendarWindow w(stock.engine, dialogs, {}, 31, [&](qint64 a, CardTab t) {
    opened = a;
    openedTab = t;
  });
  w.setToday(kToday);
  QTreeWidget* list = w.list();
  // "Heute" with the check, "Später" with nest box, expected and overdue litter.
  ASSERT_EQ(list->topLevelItemCount(), 6);
  EXPECT_EQ(list->topLevelItem(0)->text(0), s(u"Heute"));
  EXPECT_EQ(list->topLevelItem(1)->text(1), s(u"Trächtigkeit prüfen (Abtasten)"));
  EXPECT_EQ(list->topLevelItem(2)->text(0), s(u"Später"));

  emit list->itemDoubleClicked(list->topLevelItem(1), 0);
  EXPECT_EQ(opened, doe);
  EXPECT_EQ(openedTab, CardTab::Wurfbuch);
  opened = 0;
  emit list->itemDoubleClicked(list->topLevelItem(0), 0);  // a group row opens nothing
  EXPECT_EQ(opened, 0);

  list->setCurrentItem(list->topLevelItem(1));
  w.tickSelected();
  EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Checked);
  BreedingCalendarWindow again(stock.engine, dialogs, {}, 31, {});
  again.setToday(kToday);
  EXPECT_TRUE(again.tasks().front().done);

  // Postponing the first later task by a week moves it to its new day.
  list->setCurrentItem(list->topLevelItem(3));
  const QString key = w.tasks()[1].key;
  dialogs.choice(2);
  w.postponeSelected();
  const auto it = std::find_if(w.tasks().begin(), w.tasks().end(), [&](const CalendarTask& t) { return t.key == key; });
  ASSERT_NE(it, w.tasks().end());
  EXPECT_TRUE(it->postponed);
  EXPECT_EQ(it->day, kToday.addDays(16 + 7));

  const QString path = stock.dir.file(s(u"kalender.ics"));
  w.setAskPath([&] { return path; });
  w.exportCalendar();
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_TRUE(dialogs.texts().last().startsWith(s(u"Der Zuchtkalender wurde nach"))) << dialogs.texts().join(u'|').toStdString();
}

TEST(BreedingCalendarWindow, WeekPlanPrintsTheOpenTasksOfTheComingWeek) {
  StockDirectory stock({11});
  const qint64 doe = stock.animal(s(u"R1"), s(u"1.1.1"));
  // Mated 12 days ago: the check is due today, the rest of its tasks later than a week.
  stock.add(s(u"Wurfbuch.DB"), {{s(u"Katze"), doe}, {s(u"Decktermin"), kToday.addDays(-12)}});
  ScriptedDialogs dialogs;
  BreedingCalendarWindow w(stock.engine, dialogs, {}, 31, {});
  w.setToday(kToday);
  int printed = 0;
  QStringList titles;
  w.reportSink = [&](const reports::Report&, const reports::ReportDataSource& rows) {
    ++printed;
    for (int i = 0; i < rows.rowCount(); ++i) titles << rows.value(i, QStringLiteral("Aufgabe")).toString();
  };
  w.printWeekPlan();
  EXPECT_EQ(printed, 1);
  EXPECT_EQ(titles, QStringList{s(u"Trächtigkeit prüfen (Abtasten)")});
  EXPECT_TRUE(dialogs.shown().empty());
}

// The breeding calendar on a real stock: which tasks the litter book, the treatments, the
// show calendar and the buck judgings give on fixed days, their groups, and the ticks and
// postponements that must survive a new session.
#include "breeding/breeding_calendar.h"

#include "engine/engine.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace lapiro;
using namespace lapiro::breeding;
using lapiro::test::StockDirectory;

namespace {

QString s(const char16_t* text) { return QString::fromUtf16(text); }

// A Wednesday; its week ends on Sunday 15 June.
const QDate kToday(2025, 6, 11);
constexpr int kGestation = 31;

class BreedingCalendarTest : public ::testing::Test {
 protected:
  BreedingCalendarTest() : stock({11}) {
    stock.add(s(u"Status"), {{s(u"Name"), s(u"Eigener Bestand")}});
    doe = stock.animal(s(u"R1"), s(u"1.1.1"), {{s(u"IDCode"), s(u"Berta")}, {s(u"Stallnummer"), 12}});
  }

  std::vector<CalendarTask> tasks(const CalendarSettings& settings = {}) {
    return calendarTasks(stock.engine, settings, kGestation, kToday);
  }
  qint64 litter(const QVariantMap& values, qint64 mother = 0) {
    QVariantMap v = values;
    v.insert(s(u"Katze"), mother ? mother : doe);
    return stock.add(s(u"Wurfbuch.DB"), v);
  }
  static const CalendarTask* find(const std::vector<CalendarTask>& list, const QString& key) {
    const auto it = std::find_if(list.begin(), list.end(), [&](const CalendarTask& t) { return t.key == key; });
    return it == list.end() ? nullptr : &*it;
  }
  static int count(const std::vector<CalendarTask>& list, TaskKind kind) {
    return static_cast<int>(std::count_if(list.begin(), list.end(), [&](const CalendarTask& t) { return t.kind == kind; }));
  }

  StockDirectory stock;
  qint64 doe = 0;
};

}  // namespace

TEST_F(BreedingCalendarTest, MatedDoeGivesItsTasksOnTheirDaysUntilTheLitterIsEntered) {
  const qint64 today = litter({{s(u"Decktermin"), kToday.addDays(-12)}});
  const qint64 yesterday = litter({{s(u"Decktermin"), kToday.addDays(-13)}});
  const auto list = tasks();
  const QString k = QStringLiteral("wurf-%1-").arg(today);

  const CalendarTask* check = find(list, k + QStringLiteral("abtasten"));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->title, s(u"Trächtigkeit prüfen (Abtasten)"));
  EXPECT_EQ(check->group, TaskGroup::Heute);
  EXPECT_EQ(check->animal, doe);
  EXPECT_EQ(check->animalText, s(u"R1 1.1.1 Berta (Stall 12)"));
  EXPECT_EQ(check->tab, CardTab::Wurfbuch);
  EXPECT_EQ(find(list, QStringLiteral("wurf-%1-abtasten").arg(yesterday))->group, TaskGroup::Ueberfaellig);

  EXPECT_EQ(find(list, k + QStringLiteral("nestkiste"))->day, kToday.addDays(-12 + kGestation - 3));
  EXPECT_EQ(find(list, k + QStringLiteral("erwartet"))->day, kToday.addDays(-12 + kGestation));
  EXPECT_EQ(find(list, k + QStringLiteral("ueberfaellig"))->day, kToday.addDays(-12 + kGestation + 3));
  EXPECT_EQ(find(list, k + QStringLiteral("erwartet"))->title, s(u"Wurf erwartet"));

  // Entering the litter day ends the mating's tasks.
  stock.engine.execute(QStringLiteral("UPDATE \"Wurfbuch.DB\" SET Wurftag = '2025-06-10' WHERE LaufendeNummer = %1").arg(today));
  const auto after = tasks();
  EXPECT_EQ(find(after, k + QStringLiteral("erwartet")), nullptr);
  EXPECT_NE(find(after, k + QStringLiteral("nestkontrolle")), nullptr);
  EXPECT_EQ(find(after, k + QStringLiteral("nestkontrolle"))->group, TaskGroup::Heute);
}

TEST_F(BreedingCalendarTest, OverdueLitterStaysListedUntilTheLitterDayIsEnteredOrItIsTicked) {
  // Expected day 3 days ago: overdue from today on.
  const qint64 due = litter({{s(u"Decktermin"), kToday.addDays(-kGestation - 3)}});
  // Expected long before the look-back: still overdue, its other tasks are gone.
  const qint64 old = litter({{s(u"Decktermin"), kToday.addDays(-kGestation - 3 - 15)}});
  const auto list = tasks();
  const CalendarTask* late = find(list, QStringLiteral("wurf-%1-ueberfaellig").arg(due));
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->day, kToday);
  EXPECT_EQ(late->title, s(u"Wurf überfällig"));
  const CalendarTask* older = find(list, QStringLiteral("wurf-%1-ueberfaellig").arg(old));
  ASSERT_NE(older, nullptr);
  EXPECT_EQ(older->day, kToday.addDays(-15));
  EXPECT_EQ(older->group, TaskGroup::Ueberfaellig);
  EXPECT_EQ(find(list, QStringLiteral("wurf-%1-erwartet").arg(old)), nullptr);

  // Ticked done it leaves the list; a litter day ends it as well.
  CalendarState(stock.engine).setDone(*older, true);
  EXPECT_EQ(find(tasks(), QStringLiteral("wurf-%1-ueberfaellig").arg(old)), nullptr);
  stock.engine.execute(QStringLiteral("UPDATE \"Wurfbuch.DB\" SET Wurftag = '2025-06-10' WHERE LaufendeNummer = %1").arg(due));
  EXPECT_EQ(find(tasks(), QStringLiteral("wurf-%1-ueberfaellig").arg(due)), nullptr);
}

TEST_F(BreedingCalendarTest, ATaskPostponedFromBeforeTheLookBackIsKept) {
  // The mating check fell due 40 days ago and was postponed to tomorrow then.
  const qint64 nr = litter({{s(u"Decktermin"), kToday.addDays(-12 - 40)}});
  const QString key = QStringLiteral("wurf-%1-abtasten").arg(nr);
  {
    const auto before = calendarTasks(stock.engine, {}, kGestation, kToday.addDays(-40));
    const CalendarTask* check = find(before, key);
    ASSERT_NE(check, nullptr);
    CalendarState(stock.engine).postpone(*check, kToday.addDays(1));
  }
  const auto list = tasks();
  const CalendarTask* moved = find(list, key);
  ASSERT_NE(moved, nullptr);
  EXPECT_TRUE(moved->postponed);
  EXPECT_EQ(moved->day, kToday.addDays(1));
  EXPECT_EQ(moved->plannedDay, kToday.addDays(-40));
  EXPECT_EQ(moved->group, TaskGroup::DieseWoche);
  // Its neighbours from before the look-back are not brought back.
  EXPECT_EQ(find(list, QStringLiteral("wurf-%1-nestkiste").arg(nr)), nullptr);
  EXPECT_EQ(find(list, QStringLiteral("wurf-%1-erwartet").arg(nr)), nullptr);
}

TEST_F(BreedingCalendarTest, LitterTasksFollowTheLitterDayAndTattooingEndsWithTheTattoos) {
  const QDate born = kToday.addDays(-56);
  const qint64 nr = litter({{s(u"Decktermin"), born.addDays(-31)}, {s(u"Wurftag"), born}});
  const QString k = QStringLiteral("wurf-%1-").arg(nr);
  auto list = tasks();
  EXPECT_EQ(find(list, k + QStringLiteral("absetzen"))->day, kToday);
  EXPECT_EQ(find(list, k + QStringLiteral("wiegen-56"))->day, kToday);
  EXPECT_EQ(find(list, k + QStringLiteral("wiegen-56"))->title, s(u"Wurf wiegen"));
  EXPECT_EQ(find(list, k + QStringLiteral("wiegen-42"))->day, kToday.addDays(-14));  // last day of the look-back
  EXPECT_EQ(find(list, k + QStringLiteral("wiegen-35")), nullptr);
  EXPECT_EQ(find(list, k + QStringLiteral("nestkontrolle")), nullptr);
  EXPECT_EQ(find(list, k + QStringLiteral("trennen"))->day, kToday.addDays(28));
  EXPECT_EQ(find(list, k + QStringLiteral("trennen"))->group, TaskGroup::Spaeter);
  // No young recorded yet: they still need their tattoos.
  ASSERT_NE(find(list, k + QStringLiteral("taetowieren")), nullptr);

  stock.animal(s(u"K1"), s(u"6.25.1"), {{s(u"Mutter"), doe}, {s(u"Geburtstag"), born}});
  const qint64 second = stock.animal(s(u"K1"), QString(), {{s(u"Mutter"), doe}, {s(u"Geburtstag"), born}});
  EXPECT_NE(find(tasks(), k + QStringLiteral("taetowieren")), nullptr);
  stock.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET TatoLinks = '6.25.2' WHERE Nummer = %1").arg(second));
  EXPECT_EQ(find(tasks(), k + QStringLiteral("taetowieren")), nullptr);

  // The intervals come from the settings.
  CalendarSettings settings;
  settings.absetzen = 60;
  settings.wiegetage = s(u"21, 50");
  list = tasks(settings);
  EXPECT_EQ(find(list, k + QStringLiteral("absetzen"))->day, kToday.addDays(4));
  EXPECT_EQ(find(list, k + QStringLiteral("wiegen-50"))->day, kToday.addDays(-6));
  EXPECT_EQ(find(list, k + QStringLiteral("wiegen-56")), nullptr);
}

TEST_F(BreedingCalendarTest, GroupsSplitAtTheEndOfTheWeekAndTheListEndsAfterEightWeeks) {
  for (int d : {4, 5, 56, 57})
    stock.add(s(u"AUSSTELT.DB"), {{s(u"Datum"), kToday.addDays(d)}, {s(u"Verein"), QStringLiteral("Verein %1").arg(d)},
                                 {s(u"Ort"), s(u"Trier")}});
  const auto list = tasks();
  ASSERT_EQ(count(list, TaskKind::Ausstellung), 3);
  EXPECT_EQ(list[0].day, QDate(2025, 6, 15));
  EXPECT_EQ(list[0].group, TaskGroup::DieseWoche);
  EXPECT_EQ(list[0].title, s(u"Ausstellung"));
  EXPECT_EQ(list[0].detail, s(u"Verein 4, Trier"));
  EXPECT_EQ(list[0].animal, 0);  // a show is nobody's card
  EXPECT_EQ(list[0].tab, CardTab::None);
  EXPECT_EQ(list[1].day, QDate(2025, 6, 16));
  EXPECT_EQ(list[1].group, TaskGroup::Spaeter);
  EXPECT_EQ(list[2].day, kToday.addDays(56));

  EXPECT_EQ(groupOf(kToday.addDays(-1), kToday), TaskGroup::Ueberfaellig);
  EXPECT_EQ(groupOf(kToday, kToday), TaskGroup::Heute);
  // On a Sunday "this week" holds nothing after today.
  EXPECT_EQ(groupOf(QDate(2025, 6, 16), QDate(2025, 6, 15)), TaskGroup::Spaeter);
  EXPECT_EQ(groupTitle(TaskGroup::Ueberfaellig), s(u"Überfällig"));
}

TEST_F(BreedingCalendarTest, VaccinationRepeatsFromTheNewestOneAndGoneAnimalsDropOut) {
  const qint64 vaccine = stock.add(s(u"APOTHEKE"), {{s(u"Medikament"), s(u"Myxomatose-Impfstoff")},
                                                    {s(u"WiederholungMonate"), 6}});
  const qint64 other = stock.add(s(u"APOTHEKE"), {{s(u"Medikament"), s(u"Wundsalbe")}});
  const qint64 older = stock.add(s(u"MedizienHase"), {{s(u"Hase"), doe}, {s(u"Medikament"), vaccine}, {s(u"Am"), QDate(2024, 6, 1)}});
  const qint64 newest =
      stock.add(s(u"MedizienHase"), {{s(u"Hase"), doe}, {s(u"Medikament"), vaccine}, {s(u"Am"), QDate(2024, 12, 14)}});
  stock.add(s(u"MedizienHase"), {{s(u"Hase"), doe}, {s(u"Medikament"), other}, {s(u"Am"), QDate(2025, 6, 1)}});
  const qint64 buck = stock.animal(s(u"R2"), s(u"2.2.2"), {{s(u"Geschlecht"), s(u"1")}});
  stock.add(s(u"MedizienHase"), {{s(u"Hase"), buck}, {s(u"Medikament"), vaccine}, {s(u"Am"), QDate(2025, 1, 1)}});
  stock.add(s(u"Koernote.db"), {{s(u"Hase"), buck}, {s(u"Datum"), kToday.addDays(10)}});

  auto list = tasks();
  ASSERT_EQ(count(list, TaskKind::Impfung), 2);
  const CalendarTask* due = find(list, QStringLiteral("impfung-%1").arg(newest));
  ASSERT_NE(due, nullptr);
  EXPECT_EQ(due->day, QDate(2025, 6, 14));
  EXPECT_EQ(due->group, TaskGroup::DieseWoche);
  EXPECT_EQ(due->title, s(u"Impfung fällig"));
  EXPECT_EQ(due->detail, s(u"Myxomatose-Impfstoff"));
  EXPECT_EQ(due->tab, CardTab::Gesundheit);
  EXPECT_EQ(find(list, QStringLiteral("impfung-%1").arg(older)), nullptr);
  ASSERT_EQ(count(list, TaskKind::Koerung), 1);
  // An animal without a hutch number is named without one.
  for (const CalendarTask& t : list) {
    if (t.kind == TaskKind::Impfung && t.key != QStringLiteral("impfung-%1").arg(newest)) {
      EXPECT_EQ(t.animalText, s(u"R2 2.2.2"));
    }
  }

  // A second repeating medicine of the same doe has its own next date.
  const qint64 rhd = stock.add(s(u"APOTHEKE"), {{s(u"Medikament"), s(u"RHD-Impfstoff")}, {s(u"WiederholungMonate"), 12}});
  const qint64 rhdGiven =
      stock.add(s(u"MedizienHase"), {{s(u"Hase"), doe}, {s(u"Medikament"), rhd}, {s(u"Am"), QDate(2024, 7, 1)}});
  list = tasks();
  EXPECT_EQ(count(list, TaskKind::Impfung), 3);
  ASSERT_NE(find(list, QStringLiteral("impfung-%1").arg(rhdGiven)), nullptr);
  EXPECT_EQ(find(list, QStringLiteral("impfung-%1").arg(rhdGiven))->day, QDate(2025, 7, 1));
  EXPECT_NE(find(list, QStringLiteral("impfung-%1").arg(newest)), nullptr);

  // A sold buck, and a doe whose status says she died, leave the calendar.
  stock.add(s(u"VERKAUFT"), {{s(u"Katze"), buck}, {s(u"Verkauftam"), QDate(2025, 5, 1)}});
  const qint64 dead = stock.add(s(u"Status"), {{s(u"Name"), s(u"Verendet")}});
  litter({{s(u"Decktermin"), kToday.addDays(-12)}});
  EXPECT_EQ(count(tasks(), TaskKind::Abtasten), 1);
  stock.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Status = %1 WHERE Nummer = %2").arg(dead).arg(doe));
  list = tasks();
  EXPECT_EQ(count(list, TaskKind::Impfung), 0);
  EXPECT_EQ(count(list, TaskKind::Koerung), 0);
  EXPECT_EQ(count(list, TaskKind::Abtasten), 0);
}

TEST_F(BreedingCalendarTest, TicksAndPostponementsSurviveANewSession) {
  const qint64 nr = litter({{s(u"Decktermin"), kToday.addDays(-12)}});
  const QString k = QStringLiteral("wurf-%1-").arg(nr);
  {
    auto list = tasks();
    CalendarState state(stock.engine);
    state.setDone(*find(list, k + QStringLiteral("abtasten")), true);
    state.postpone(*find(list, k + QStringLiteral("nestkiste")), kToday.addDays(2));
    state.postpone(*find(list, k + QStringLiteral("erwartet")), kToday.addDays(100));  // beyond the list
  }
  engine::Engine reopened;
  reopened.setAlias(QStringLiteral("Hase"), stock.dir.path());
  auto list = calendarTasks(reopened, {}, kGestation, kToday);
  const CalendarTask* done = find(list, k + QStringLiteral("abtasten"));
  ASSERT_NE(done, nullptr);
  EXPECT_TRUE(done->done);
  const CalendarTask* moved = find(list, k + QStringLiteral("nestkiste"));
  ASSERT_NE(moved, nullptr);
  EXPECT_TRUE(moved->postponed);
  EXPECT_FALSE(moved->done);
  EXPECT_EQ(moved->day, kToday.addDays(2));
  EXPECT_EQ(moved->plannedDay, kToday.addDays(16));
  EXPECT_EQ(moved->group, TaskGroup::DieseWoche);
  EXPECT_EQ(find(list, k + QStringLiteral("erwartet")), nullptr);

  // Unticking and taking the postponement back restore the task.
  CalendarState state(reopened);
  state.setDone(*done, false);
  state.postpone(*moved, QDate());
  list = calendarTasks(reopened, {}, kGestation, kToday);
  EXPECT_FALSE(find(list, k + QStringLiteral("abtasten"))->done);
  EXPECT_EQ(find(list, k + QStringLiteral("nestkiste"))->day, kToday.addDays(16));
  EXPECT_EQ(stock.rowCount(s(u"Zuchtkalender.db")), 3);
}

TEST_F(BreedingCalendarTest, APostponementToTheLastDayOfTheListStaysAndOneDayLaterLeaves) {
  const qint64 nr = litter({{s(u"Decktermin"), kToday.addDays(-12)}});
  const QString check = QStringLiteral("wurf-%1-abtasten").arg(nr);
  const QString box = QStringLiteral("wurf-%1-nestkiste").arg(nr);
  {
    const auto list = tasks();
    CalendarState state(stock.engine);
    state.postpone(*find(list, check), kToday.addDays(7 * kCalendarWeeks));
    state.postpone(*find(list, box), kToday.addDays(7 * kCalendarWeeks + 1));
  }
  const auto list = tasks();
  const CalendarTask* last = find(list, check);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->day, kToday.addDays(7 * kCalendarWeeks));
  EXPECT_EQ(last->group, TaskGroup::Spaeter);
  EXPECT_EQ(find(list, box), nullptr);
}

TEST_F(BreedingCalendarTest, LitterDayBeforeMatingIsADataProblemNotTasks) {
  const qint64 nr = litter({{s(u"Decktermin"), kToday.addDays(-5)}, {s(u"Wurftag"), kToday.addDays(-20)}});
  const auto list = tasks();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].kind, TaskKind::Datenproblem);
  EXPECT_EQ(list[0].key, QStringLiteral("wurf-%1-datenproblem").arg(nr));
  EXPECT_EQ(list[0].title, s(u"Datenproblem: Wurftag vor Decktermin"));
  EXPECT_EQ(list[0].group, TaskGroup::Ueberfaellig);
  EXPECT_EQ(list[0].detail, s(u"Decktermin 06.06.2025, Wurftag 22.05.2025"));
}

TEST_F(BreedingCalendarTest, LitterDayOnTheMatingDayIsNoDataProblem) {
  litter({{s(u"Decktermin"), kToday.addDays(-5)}, {s(u"Wurftag"), kToday.addDays(-5)}});
  EXPECT_EQ(count(tasks(), TaskKind::Datenproblem), 0);
}

TEST(CalendarSettings, IntervalsOutsideOneToAYearAreRefusedInGerman) {
  EXPECT_TRUE(intervalProblem(s(u"Absetzen"), 1).isEmpty());
  EXPECT_TRUE(intervalProblem(s(u"Absetzen"), 365).isEmpty());
  EXPECT_EQ(intervalProblem(s(u"Absetzen"), 0),
            s(u"Der Abstand „Absetzen“ muss zwischen 1 und 365 Tagen liegen (eingegeben: 0)."));
  EXPECT_FALSE(intervalProblem(s(u"Absetzen"), 366).isEmpty());
  EXPECT_FALSE(intervalProblem(s(u"Absetzen"), -3).isEmpty());

  CalendarSettings settings;
  EXPECT_TRUE(settings.problems().isEmpty());
  settings.trennen = 0;
  settings.wiegetage = s(u"21,abc");
  const QStringList problems = settings.problems();
  ASSERT_EQ(problems.size(), 2);
  EXPECT_TRUE(problems[0].contains(s(u"Geschlechter trennen")));
  EXPECT_TRUE(problems[1].contains(s(u"Wiegetage")));

  // Saved and read back; a hand-edited file with a refused value reads as the default.
  CalendarSettings changed;
  changed.absetzen = 63;
  changed.beimStart = true;
  shell::ProfileFile ini;
  changed.save(ini);
  ini.writeInteger(s(u"Zuchtkalender"), s(u"Trennen"), 400);
  CalendarSettings back;
  back.load(ini);
  EXPECT_EQ(back.absetzen, 63);
  EXPECT_TRUE(back.beimStart);
  EXPECT_EQ(back.trennen, CalendarSettings().trennen);
}

TEST(CalendarSettings, StartUpShowsTheCalendarOnlyWhenOnAndSomethingIsDueNow) {
  CalendarSettings on;
  on.beimStart = true;
  CalendarTask later;
  later.group = TaskGroup::DieseWoche;
  CalendarTask now;
  now.group = TaskGroup::Heute;
  EXPECT_FALSE(showAtStart(on, {}));
  EXPECT_FALSE(showAtStart(on, {later}));
  EXPECT_TRUE(showAtStart(on, {later, now}));
  EXPECT_FALSE(showAtStart(CalendarSettings(), {now}));  // off by default
  now.done = true;
  EXPECT_FALSE(showAtStart(on, {now}));
}

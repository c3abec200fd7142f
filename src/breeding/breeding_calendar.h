// The breeding calendar: what is due in the stock, derived from what the stock already holds
// (litter book, young animals, treatments with a repeating vaccine, the show calendar and the
// buck judgings), grouped by when it is due. Ticked and postponed tasks are kept per task key
// and task day in Zuchtkalender.db, so a ticked task stays ticked.
//
// Everything here is headless; the window and the printed week plan read the task list.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

#include "shell/profile_file.h"

namespace lapiro::engine {
class Engine;
}

namespace lapiro::breeding {

enum class TaskKind {
  Abtasten,         // "Trächtigkeit prüfen (Abtasten)"
  Nestkiste,        // "Nestkiste einstellen"
  WurfErwartet,     // "Wurf erwartet"
  WurfUeberfaellig, // "Wurf überfällig"
  Nestkontrolle,    // "Nestkontrolle"
  Wiegen,           // "Wurf wiegen"
  Absetzen,         // "Absetzen"
  Taetowieren,      // "Tätowieren"
  Trennen,          // "Geschlechter trennen"
  Impfung,          // "Impfung fällig"
  Ausstellung,      // "Ausstellung"
  Koerung,          // the judging day of a saved buck judging
  Datenproblem,     // a litter-book row that cannot be planned
};

enum class TaskGroup { Ueberfaellig, Heute, DieseWoche, Spaeter };

// "Überfällig", "Heute", "Diese Woche", "Später".
QString groupTitle(TaskGroup group);

// The tab of the animal card that shows where a task comes from.
enum class CardTab { None, Wurfbuch, Gesundheit, Koerung };

// The intervals, in days unless said otherwise, with rabbit defaults. Kept in LapiroMan.ini,
// section [Zuchtkalender].
struct CalendarSettings {
  int abtasten = 12;        // after mating
  int nestkiste = 3;        // before the expected litter day
  int wurfUeberfaellig = 3; // after the expected litter day
  int nestkontrolle = 1;    // after the litter day
  QString wiegetage = QStringLiteral("21,28,35,42,56");  // litter ages of the weighings
  int absetzen = 56;
  int taetowieren = 56;
  int trennen = 84;
  int rueckblick = 14;      // days an undone task stays listed as overdue
  bool beimStart = false;   // "Beim Start anzeigen"

  void load(const shell::ProfileFile& ini);
  void save(shell::ProfileFile& ini) const;
  // The weighing days as numbers; empty when the text holds none.
  std::vector<int> weighingDays() const;
  // German messages for every interval out of 1..365 (and unreadable weighing days); empty
  // when all are valid.
  QStringList problems() const;
};

// One interval of the settings as the options tab shows it and the file stores it.
struct CalendarInterval {
  QString key;    // the key in [Zuchtkalender], e.g. "Abtasten"
  QString label;  // German, e.g. "Abtasten nach dem Decken"
  int CalendarSettings::*value;
};
// Every interval of CalendarSettings (the weighing days aside), in the order the options show.
const std::vector<CalendarInterval>& calendarIntervals();

// The German message for an interval `days` named `label`, or empty when 1 <= days <= 365.
QString intervalProblem(const QString& label, int days);

struct CalendarTask {
  QString key;        // stable: the same task gets the same key in every run
  QDate day;          // the day the task is due (after a postponement: the new day)
  QDate plannedDay;   // the day derived from the stock; with the key it names the task
  TaskKind kind = TaskKind::Abtasten;
  QString title;      // German, e.g. "Wurf erwartet"
  qint64 animal = 0;  // Hasen.Nummer, 0 for a show
  QString animalText; // tattoos, name and hutch, e.g. "R1 3.3.1 Berta (Stall 12)"
  QString detail;     // e.g. the vaccine or the show's club and place
  CardTab tab = CardTab::None;
  TaskGroup group = TaskGroup::Spaeter;
  bool done = false;
  bool postponed = false;
};

// The horizon of the list: 8 weeks after `today`.
inline constexpr int kCalendarWeeks = 8;

// The last day of the week (Sunday) of `day`.
QDate endOfWeek(const QDate& day);
// The group of a task due on `day` seen on `today`.
TaskGroup groupOf(const QDate& day, const QDate& today);

// Reads the stock behind `engine` and returns the open and ticked tasks from `today` minus
// the look-back to `today` + 8 weeks, sorted by group, day and title. Done tasks are included
// with `done` set (the window shows them ticked; the week plan and the export leave them out
// when asked). `gestationDays` is [Stammdaten] TageTraechtigkeit. Animals sold, slaughtered
// or dead drop out. Throws engine::EngineError when a table cannot be read.
std::vector<CalendarTask> calendarTasks(engine::Engine& engine, const CalendarSettings& settings, int gestationDays,
                                        const QDate& today);

// Whether the calendar opens after start-up: the setting is on and something undone is
// overdue or due today.
bool showAtStart(const CalendarSettings& settings, const std::vector<CalendarTask>& tasks);

// The stored state of tasks in Zuchtkalender.db (created on first use).
class CalendarState {
 public:
  explicit CalendarState(engine::Engine& engine);
  // Ticks or unticks the task (its key and planned day).
  void setDone(const CalendarTask& task, bool done);
  // Moves the task to `newDay`; an invalid date takes the postponement back.
  void postpone(const CalendarTask& task, const QDate& newDay);

 private:
  void ensureTable();
  engine::Engine& engine_;
};

}  // namespace lapiro::breeding

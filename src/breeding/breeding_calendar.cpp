#include "breeding/breeding_calendar.h"

#include "engine/cursor.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "store/schema_upgrade.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace lapiro::breeding {

namespace {

using Row = engine::DataSet::Row;

const QString kSection = QStringLiteral("Zuchtkalender");
const QString kStateTable = QStringLiteral("Zuchtkalender.db");

// An animal counts as gone when a sale, slaughter or death is recorded for it, or its status
// is one of those. `col` is the animal's number column of the outer statement.
QString stillInStock(const QString& col) {
  return QStringLiteral(
             "NOT EXISTS (SELECT 1 FROM \"VERKAUFT.db\" v WHERE v.Katze = %1 AND "
             "(v.Verkauftam IS NOT NULL OR v.Geschlachtetam IS NOT NULL OR v.Gestorbenam IS NOT NULL)) "
             "AND NOT EXISTS (SELECT 1 FROM \"Hasen.db\" g JOIN \"Status.db\" st ON st.Nummer = g.Status "
             "WHERE g.Nummer = %1 AND st.Name IN ('Verkauft', 'Geschlachtet', 'Verendet'))")
      .arg(col);
}

QString animalText(const QString& rechts, const QString& links, const QString& name, const QVariant& stall) {
  QString text = (rechts.trimmed() + u' ' + links.trimmed()).trimmed();
  if (!name.trimmed().isEmpty()) text += u' ' + name.trimmed();
  if (!stall.isNull() && stall.toLongLong() != 0) text += QStringLiteral(" (Stall %1)").arg(stall.toLongLong());
  return text;
}

std::vector<Row> rowsOf(engine::Query& q) {
  q.open();
  return q.readRows(0, static_cast<int>(q.recordCount()));
}

struct Builder {
  // `first` is where the list begins (today minus the look-back); tasks are derived from
  // `from` on, which reaches further back when a stored postponement moved an older task into
  // the list. An open "Wurf überfällig" stays whatever its age, until a litter day is entered.
  QDate today, first, from, last;
  std::vector<CalendarTask> tasks;

  void add(TaskKind kind, const QString& title, const QDate& day, const QString& key, qint64 animal,
           const QString& who, CardTab tab, const QString& detail = {}) {
    if (!day.isValid() || day > last) return;
    if (day < from && kind != TaskKind::WurfUeberfaellig) return;
    CalendarTask t;
    t.key = key;
    t.day = day;
    t.plannedDay = day;
    t.kind = kind;
    t.title = title;
    t.animal = animal;
    t.animalText = who;
    t.tab = tab;
    t.detail = detail;
    tasks.push_back(std::move(t));
  }
};

void addLitterBook(engine::Engine& engine, const CalendarSettings& s, int gestation, Builder& b) {
  const std::vector<int> weighings = s.weighingDays();
  int oldestAge = std::max({s.nestkontrolle, s.absetzen, s.taetowieren, s.trennen});
  for (int d : weighings) oldestAge = std::max(oldestAge, d);

  engine::Query q(engine, QStringLiteral("ZuchtkalenderWurfbuch"));
  q.setSql(QStringLiteral(
               "SELECT w.LaufendeNummer, w.Katze, w.Decktermin, w.Wurftag, h.TatoRechts, h.TatoLinks, h.IDCode, "
               "h.Stallnummer, "
               "(SELECT count(*) FROM \"Hasen.db\" j WHERE j.Mutter = w.Katze AND j.Geburtstag = w.Wurftag) AS Jung, "
               "(SELECT count(*) FROM \"Hasen.db\" j WHERE j.Mutter = w.Katze AND j.Geburtstag = w.Wurftag "
               "AND coalesce(j.TatoLinks, '') = '') AS OhneTato "
               "FROM \"Wurfbuch.DB\" w JOIN \"Hasen.db\" h ON h.Nummer = w.Katze "
               "WHERE (w.Wurftag >= :vonWurf OR (w.Wurftag IS NULL AND w.Decktermin IS NOT NULL)) AND %1")
               .arg(stillInStock(QStringLiteral("w.Katze"))));
  q.setParam(QStringLiteral("vonWurf"), b.from.addDays(-oldestAge));
  for (const Row& r : rowsOf(q)) {
    const qint64 nr = r[0].toLongLong();
    const qint64 doe = r[1].toLongLong();
    const QDate deck = r[2].toDate();
    const QDate wurf = r[3].toDate();
    const QString who = animalText(r[4].toString(), r[5].toString(), r[6].toString(), r[7]);
    const QString key = QStringLiteral("wurf-%1-").arg(nr);
    if (wurf.isValid() && deck.isValid() && wurf < deck) {
      // Planning from such a row would give tasks before the mating: shown as a problem instead,
      // on the litter day or, when that is older than the list reaches, at its start.
      CalendarTask t;
      t.key = key + QStringLiteral("datenproblem");
      t.plannedDay = t.day = std::max(wurf, b.first);
      t.kind = TaskKind::Datenproblem;
      t.title = QStringLiteral("Datenproblem: Wurftag vor Decktermin");
      t.animal = doe;
      t.animalText = who;
      t.tab = CardTab::Wurfbuch;
      t.detail = QStringLiteral("Decktermin %1, Wurftag %2")
                     .arg(deck.toString(QStringLiteral("dd.MM.yyyy")), wurf.toString(QStringLiteral("dd.MM.yyyy")));
      b.tasks.push_back(std::move(t));
      continue;
    }
    if (!wurf.isValid()) {
      if (!deck.isValid()) continue;
      const QDate expected = deck.addDays(gestation);
      b.add(TaskKind::Abtasten, QStringLiteral("Trächtigkeit prüfen (Abtasten)"), deck.addDays(s.abtasten),
            key + QStringLiteral("abtasten"), doe, who, CardTab::Wurfbuch);
      b.add(TaskKind::Nestkiste, QStringLiteral("Nestkiste einstellen"), expected.addDays(-s.nestkiste),
            key + QStringLiteral("nestkiste"), doe, who, CardTab::Wurfbuch);
      b.add(TaskKind::WurfErwartet, QStringLiteral("Wurf erwartet"), expected, key + QStringLiteral("erwartet"), doe, who,
            CardTab::Wurfbuch);
      b.add(TaskKind::WurfUeberfaellig, QStringLiteral("Wurf überfällig"), expected.addDays(s.wurfUeberfaellig),
            key + QStringLiteral("ueberfaellig"), doe, who, CardTab::Wurfbuch);
      continue;
    }
    b.add(TaskKind::Nestkontrolle, QStringLiteral("Nestkontrolle"), wurf.addDays(s.nestkontrolle),
          key + QStringLiteral("nestkontrolle"), doe, who, CardTab::Wurfbuch);
    for (int d : weighings)
      b.add(TaskKind::Wiegen, QStringLiteral("Wurf wiegen"), wurf.addDays(d), key + QStringLiteral("wiegen-%1").arg(d),
            doe, who, CardTab::Wurfbuch, QStringLiteral("%1. Lebenstag").arg(d));
    b.add(TaskKind::Absetzen, QStringLiteral("Absetzen"), wurf.addDays(s.absetzen), key + QStringLiteral("absetzen"), doe, who,
          CardTab::Wurfbuch);
    const qint64 young = r[8].toLongLong(), untattooed = r[9].toLongLong();
    if (young == 0 || untattooed > 0)
      b.add(TaskKind::Taetowieren, QStringLiteral("Tätowieren"), wurf.addDays(s.taetowieren), key + QStringLiteral("taetowieren"),
            doe, who, CardTab::Wurfbuch);
    b.add(TaskKind::Trennen, QStringLiteral("Geschlechter trennen"), wurf.addDays(s.trennen), key + QStringLiteral("trennen"), doe,
          who, CardTab::Wurfbuch);
  }
}

void addVaccinations(engine::Engine& engine, Builder& b) {
  engine::Query q(engine, QStringLiteral("ZuchtkalenderImpfung"));
  q.setSql(QStringLiteral(
               "SELECT m.Nummer, m.Hase, m.Medikament, m.Am, a.Medikament, a.WiederholungMonate, h.TatoRechts, "
               "h.TatoLinks, h.IDCode, h.Stallnummer "
               "FROM \"MedizienHase\" m JOIN \"APOTHEKE\" a ON a.LaufendeNummer = m.Medikament "
               "JOIN \"Hasen.db\" h ON h.Nummer = m.Hase "
               "WHERE a.WiederholungMonate > 0 AND m.Am IS NOT NULL AND %1")
               .arg(stillInStock(QStringLiteral("m.Hase"))));
  // Only the newest vaccination of an animal with a medicine sets the next one.
  std::map<std::pair<qint64, qint64>, Row> newest;
  for (Row& r : rowsOf(q)) {
    auto& slot = newest[{r[1].toLongLong(), r[2].toLongLong()}];
    if (slot.empty() || std::make_tuple(r[3].toDate(), r[0].toLongLong()) >
                            std::make_tuple(slot[3].toDate(), slot[0].toLongLong()))
      slot = std::move(r);
  }
  for (const auto& [id, r] : newest) {
    const QDate due = r[3].toDate().addMonths(r[5].toInt());
    b.add(TaskKind::Impfung, QStringLiteral("Impfung fällig"), due, QStringLiteral("impfung-%1").arg(r[0].toLongLong()),
          id.first, animalText(r[6].toString(), r[7].toString(), r[8].toString(), r[9]), CardTab::Gesundheit,
          r[4].toString());
  }
}

void addShows(engine::Engine& engine, Builder& b) {
  engine::Query q(engine, QStringLiteral("ZuchtkalenderAusstellung"));
  q.setSql(QStringLiteral("SELECT LaufendeNummer, Datum, Verein, Ort FROM \"AUSSTELT.DB\" "
                          "WHERE Datum >= :von AND Datum <= :bis"));
  q.setParam(QStringLiteral("von"), b.from);
  q.setParam(QStringLiteral("bis"), b.last);
  for (const Row& r : rowsOf(q)) {
    QStringList where;
    for (int i : {2, 3})
      if (!r[i].toString().trimmed().isEmpty()) where << r[i].toString().trimmed();
    b.add(TaskKind::Ausstellung, QStringLiteral("Ausstellung"), r[1].toDate(),
          QStringLiteral("ausstellung-%1").arg(r[0].toLongLong()), 0, QString(), CardTab::None,
          where.join(QStringLiteral(", ")));
  }
}

void addJudgings(engine::Engine& engine, Builder& b) {
  engine::Query q(engine, QStringLiteral("ZuchtkalenderKoerung"));
  q.setSql(QStringLiteral("SELECT k.Nummer, k.Hase, k.Datum, h.TatoRechts, h.TatoLinks, h.IDCode, h.Stallnummer "
                          "FROM \"Koernote.db\" k JOIN \"Hasen.db\" h ON h.Nummer = k.Hase "
                          "WHERE k.Datum >= :von AND k.Datum <= :bis AND %1")
               .arg(stillInStock(QStringLiteral("k.Hase"))));
  q.setParam(QStringLiteral("von"), b.from);
  q.setParam(QStringLiteral("bis"), b.last);
  for (const Row& r : rowsOf(q))
    b.add(TaskKind::Koerung, QStringLiteral("Zuchtrammlerkörung"), r[2].toDate(),
          QStringLiteral("koerung-%1").arg(r[0].toLongLong()), r[1].toLongLong(),
          animalText(r[3].toString(), r[4].toString(), r[5].toString(), r[6]), CardTab::Koerung);
}

// The earliest planned day of a task postponed to `first` or later; `first` when there is none.
QDate earliestPostponedTask(engine::Engine& engine, const QDate& first) {
  if (!engine.tableExists(kStateTable)) return first;
  engine::Query q(engine, QStringLiteral("ZuchtkalenderVerschoben"));
  q.setSql(QStringLiteral("SELECT Tag FROM \"Zuchtkalender.db\" WHERE VerschobenAuf >= :von"));
  q.setParam(QStringLiteral("von"), first);
  QDate earliest = first;
  for (const Row& r : rowsOf(q))
    if (const QDate planned = r[0].toDate(); planned.isValid()) earliest = std::min(earliest, planned);
  return earliest;
}

// Applies the stored ticks and postponements.
void applyState(engine::Engine& engine, const QDate& today, const QDate& last, std::vector<CalendarTask>& tasks) {
  if (!engine.tableExists(kStateTable)) return;
  engine::Query q(engine, QStringLiteral("ZuchtkalenderStand"));
  q.setSql(QStringLiteral("SELECT Schluessel, Tag, Erledigt, VerschobenAuf FROM \"Zuchtkalender.db\""));
  std::map<std::pair<QString, QDate>, Row> state;
  for (Row& r : rowsOf(q)) state[{r[0].toString(), r[1].toDate()}] = std::move(r);
  if (state.empty()) return;
  std::vector<CalendarTask> kept;
  kept.reserve(tasks.size());
  for (CalendarTask& t : tasks) {
    const auto it = state.find({t.key, t.plannedDay});
    if (it != state.end()) {
      t.done = it->second[2].toBool();
      const QDate moved = it->second[3].toDate();
      if (moved.isValid()) {
        t.postponed = true;
        t.day = moved;
        if (moved > last) continue;
      }
    }
    t.group = groupOf(t.day, today);
    kept.push_back(std::move(t));
  }
  tasks = std::move(kept);
}

}  // namespace

QString groupTitle(TaskGroup group) {
  switch (group) {
    case TaskGroup::Ueberfaellig: return QStringLiteral("Überfällig");
    case TaskGroup::Heute: return QStringLiteral("Heute");
    case TaskGroup::DieseWoche: return QStringLiteral("Diese Woche");
    case TaskGroup::Spaeter: return QStringLiteral("Später");
  }
  return {};
}

QDate endOfWeek(const QDate& day) {
  return day.addDays(7 - day.dayOfWeek());
}

TaskGroup groupOf(const QDate& day, const QDate& today) {
  if (day < today) return TaskGroup::Ueberfaellig;
  if (day == today) return TaskGroup::Heute;
  if (day <= endOfWeek(today)) return TaskGroup::DieseWoche;
  return TaskGroup::Spaeter;
}

const std::vector<CalendarInterval>& calendarIntervals() {
  static const std::vector<CalendarInterval> intervals{
      {QStringLiteral("Abtasten"), QStringLiteral("Abtasten nach dem Decken"), &CalendarSettings::abtasten},
      {QStringLiteral("Nestkiste"), QStringLiteral("Nestkiste vor dem Wurftermin"), &CalendarSettings::nestkiste},
      {QStringLiteral("WurfUeberfaellig"), QString::fromUtf16(u"Wurf überfällig nach dem Wurftermin"),
       &CalendarSettings::wurfUeberfaellig},
      {QStringLiteral("Nestkontrolle"), QStringLiteral("Nestkontrolle nach dem Wurf"), &CalendarSettings::nestkontrolle},
      {QStringLiteral("Absetzen"), QStringLiteral("Absetzen nach dem Wurf"), &CalendarSettings::absetzen},
      {QStringLiteral("Taetowieren"), QString::fromUtf16(u"Tätowieren nach dem Wurf"), &CalendarSettings::taetowieren},
      {QStringLiteral("Trennen"), QStringLiteral("Geschlechter trennen nach dem Wurf"), &CalendarSettings::trennen},
      {QStringLiteral("Rueckblick"), QString::fromUtf16(u"Überfällige Aufgaben anzeigen"), &CalendarSettings::rueckblick},
  };
  return intervals;
}

void CalendarSettings::load(const shell::ProfileFile& ini) {
  const CalendarSettings d;
  // A file edited by hand with a value the options would refuse falls back to the default,
  // so that no task lands before the event it follows.
  for (const CalendarInterval& i : calendarIntervals()) {
    this->*i.value = ini.readInteger(kSection, i.key, d.*i.value);
    if (!intervalProblem(QString(), this->*i.value).isEmpty()) this->*i.value = d.*i.value;
  }
  wiegetage = ini.readString(kSection, QStringLiteral("Wiegetage"), d.wiegetage);
  beimStart = ini.readBool(kSection, QStringLiteral("BeimStart"), d.beimStart);
}

void CalendarSettings::save(shell::ProfileFile& ini) const {
  for (const CalendarInterval& i : calendarIntervals()) ini.writeInteger(kSection, i.key, this->*i.value);
  ini.writeString(kSection, QStringLiteral("Wiegetage"), wiegetage);
  ini.writeBool(kSection, QStringLiteral("BeimStart"), beimStart);
}

std::vector<int> CalendarSettings::weighingDays() const {
  std::vector<int> days;
  for (const QString& part : wiegetage.split(u',', Qt::SkipEmptyParts)) {
    bool ok = false;
    const int d = part.trimmed().toInt(&ok);
    if (ok && intervalProblem(QString(), d).isEmpty()) days.push_back(d);
  }
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return days;
}

QString intervalProblem(const QString& label, int days) {
  if (days >= 1 && days <= 365) return {};
  return QStringLiteral("Der Abstand \u201E%1\u201C muss zwischen 1 und 365 Tagen liegen (eingegeben: %2).")
      .arg(label)
      .arg(days);
}

QStringList CalendarSettings::problems() const {
  QStringList out;
  for (const CalendarInterval& i : calendarIntervals()) {
    const QString p = intervalProblem(i.label, this->*i.value);
    if (!p.isEmpty()) out << p;
  }
  for (const QString& part : wiegetage.split(u',', Qt::SkipEmptyParts)) {
    bool ok = false;
    const int d = part.trimmed().toInt(&ok);
    if (!ok || !intervalProblem(QString(), d).isEmpty()) {
      out << QStringLiteral("Die Wiegetage sind durch Komma getrennte Lebenstage zwischen 1 und 365 (\u201E%1\u201C).")
                 .arg(part.trimmed());
      break;
    }
  }
  return out;
}

std::vector<CalendarTask> calendarTasks(engine::Engine& engine, const CalendarSettings& settings, int gestationDays,
                                        const QDate& today) {
  Builder b;
  b.today = today;
  b.first = today.addDays(-settings.rueckblick);
  b.from = std::min(b.first, earliestPostponedTask(engine, b.first));
  b.last = today.addDays(7 * kCalendarWeeks);
  addLitterBook(engine, settings, gestationDays, b);
  addVaccinations(engine, b);
  addShows(engine, b);
  addJudgings(engine, b);
  for (CalendarTask& t : b.tasks) t.group = groupOf(t.day, today);
  applyState(engine, today, b.last, b.tasks);
  // Older than the look-back: only a task postponed into the list and an open overdue litter stay.
  std::erase_if(b.tasks, [&b](const CalendarTask& t) {
    return t.day < b.first && !(t.kind == TaskKind::WurfUeberfaellig && !t.done);
  });
  std::stable_sort(b.tasks.begin(), b.tasks.end(), [](const CalendarTask& x, const CalendarTask& y) {
    return std::tie(x.group, x.day, x.title, x.animalText, x.key) < std::tie(y.group, y.day, y.title, y.animalText, y.key);
  });
  return std::move(b.tasks);
}

bool showAtStart(const CalendarSettings& settings, const std::vector<CalendarTask>& tasks) {
  if (!settings.beimStart) return false;
  return std::any_of(tasks.begin(), tasks.end(), [](const CalendarTask& t) {
    return !t.done && (t.group == TaskGroup::Ueberfaellig || t.group == TaskGroup::Heute);
  });
}

CalendarState::CalendarState(engine::Engine& engine) : engine_(engine) {}

void CalendarState::ensureTable() {
  engine::Cursor c(engine_, QStringLiteral("ZuchtkalenderAnlegen"));
  c.setTableName(kStateTable);
  store::createWhenMissing(engine_, c);
}

namespace {

// Writes the row of (key, day), keeping the column not named.
void writeState(engine::Engine& engine, const CalendarTask& task, const QString& column, const QVariant& value) {
  engine::Query find(engine, QStringLiteral("ZuchtkalenderSuche"));
  find.setSql(QStringLiteral("SELECT Nummer FROM \"Zuchtkalender.db\" WHERE Schluessel = :k AND Tag = :t"));
  find.setParam(QStringLiteral("k"), task.key);
  find.setParam(QStringLiteral("t"), task.plannedDay);
  find.open();
  engine::Query write(engine, QStringLiteral("ZuchtkalenderSchreiben"));
  if (find.hasRecord()) {
    write.setSql(QStringLiteral("UPDATE \"Zuchtkalender.db\" SET %1 = :v WHERE Nummer = :n").arg(column));
    write.setParam(QStringLiteral("n"), find.field(QStringLiteral("Nummer")).asInteger());
  } else {
    write.setSql(QStringLiteral("INSERT INTO \"Zuchtkalender.db\" (Schluessel, Tag, %1) VALUES (:k, :t, :v)").arg(column));
    write.setParam(QStringLiteral("k"), task.key);
    write.setParam(QStringLiteral("t"), task.plannedDay);
  }
  write.setParam(QStringLiteral("v"), value);
  write.execSql();
}

}  // namespace

void CalendarState::setDone(const CalendarTask& task, bool done) {
  ensureTable();
  writeState(engine_, task, QStringLiteral("Erledigt"), done);
}

void CalendarState::postpone(const CalendarTask& task, const QDate& newDay) {
  ensureTable();
  writeState(engine_, task, QStringLiteral("VerschobenAuf"), newDay.isValid() ? QVariant(newDay) : QVariant());
}

}  // namespace lapiro::breeding

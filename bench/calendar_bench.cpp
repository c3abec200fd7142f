// The breeding calendar's task list on the 100,000-animal demo stock, topped up to 2,000 open
// matings and 5,000 litters of the last year.
//
// Works on a copy in /tmp/calendar-bench of the data directory in $LAPIRO_BENCH_HOME (default
// /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
#include "breeding/breeding_calendar.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "installer/installer.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

using namespace lapiro;

constexpr int kOpenMatings = 2000;
constexpr int kLittersOfTheYear = 5000;

qint64 countOf(engine::Engine& engine, const QString& sql, const QDate& today) {
  engine::Query q(engine, QStringLiteral("Zaehlen"));
  q.setSql(sql);
  q.setParam(QStringLiteral("heute"), today);
  q.open();
  return q.field(QStringLiteral("n")).asInteger();
}

struct Stock {
  engine::Engine engine;
  QDate today = QDate::currentDate();
  bool ok = false;
  qint64 matings = 0, litters = 0;

  Stock() {
    const QString home = qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big")
                                                                          : qEnvironmentVariable("LAPIRO_BENCH_HOME");
    const QString source = home + QStringLiteral("/daten");
    const QString copy = QStringLiteral("/tmp/calendar-bench");
    if (!QDir(source).exists()) return;
    if (!QDir(copy).exists()) {
      QDir().mkpath(copy);
      for (const QString& f : QDir(source).entryList(QDir::Files)) QFile::copy(source + u'/' + f, copy + u'/' + f);
    }
    engine.setAlias(QStringLiteral("Hase"), copy);
    // A stock made by an older installer lacks the vaccines' repeat interval.
    if (!engine.tableDef(QStringLiteral("APOTHEKE")).field(QStringLiteral("WiederholungMonate")))
      engine.execute(QStringLiteral("ALTER TABLE \"APOTHEKE.db\" ADD WiederholungMonate SMALLINT"));
    matings = countOf(engine,
                      QStringLiteral("SELECT count(*) AS n FROM \"Wurfbuch.DB\" WHERE Wurftag IS NULL AND "
                                     "Decktermin >= date(:heute, '-40 days')"),
                      today);
    litters = countOf(engine,
                      QStringLiteral("SELECT count(*) AS n FROM \"Wurfbuch.DB\" WHERE Wurftag >= date(:heute, '-365 days')"),
                      today);
    // Does of the stock, picked evenly.
    engine::Query does(engine, QStringLiteral("Haesinnen"));
    does.setSql(QStringLiteral("SELECT Nummer FROM \"Hasen.db\" WHERE Geschlecht = '2'"));
    does.open();
    const auto rows = does.readRows(0, static_cast<int>(does.recordCount()));
    if (rows.empty()) return;
    installer::TableLoader loader(engine, QStringLiteral("Wurfbuch.DB"));
    for (qint64 i = matings; i < kOpenMatings; ++i)
      loader.insert(QVariantMap{{QStringLiteral("Katze"), rows[static_cast<size_t>(i * 7919) % rows.size()][0]},
                                {QStringLiteral("Decktermin"), today.addDays(-(i % 40))}});
    for (qint64 i = litters; i < kLittersOfTheYear; ++i) {
      const QDate born = today.addDays(-(i % 365));
      loader.insert(QVariantMap{{QStringLiteral("Katze"), rows[static_cast<size_t>(i * 104729) % rows.size()][0]},
                                {QStringLiteral("Decktermin"), born.addDays(-31)},
                                {QStringLiteral("Wurftag"), born}});
    }
    loader.commit();
    matings = std::max<qint64>(matings, kOpenMatings);
    litters = std::max<qint64>(litters, kLittersOfTheYear);
    ok = true;
  }
};

Stock& stock() {
  static Stock s;
  return s;
}

void BM_Calendar_TaskList(benchmark::State& state) {
  Stock& s = stock();
  if (!s.ok) {
    state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
    return;
  }
  size_t tasks = 0;
  for (auto _ : state) tasks = breeding::calendarTasks(s.engine, {}, 31, s.today).size();
  state.counters["tasks"] = static_cast<double>(tasks);
  state.counters["open_matings"] = static_cast<double>(s.matings);
  state.counters["litters_year"] = static_cast<double>(s.litters);
}
BENCHMARK(BM_Calendar_TaskList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The breeding calendar's task list on the 100,000-animal demo stock, topped up to 2,000 open
// matings and 5,000 litters of the last year (see calendar_stock.h).
//
// Uses the demo stock in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
#include "breeding/breeding_calendar.h"

#include "calendar_stock.h"

#include <benchmark/benchmark.h>

namespace {

using namespace lapiro;

bench::CalendarStock& stock() {
  static bench::CalendarStock s;
  return s;
}

void BM_Calendar_TaskList(benchmark::State& state) {
  bench::CalendarStock& s = stock();
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

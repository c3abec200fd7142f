// Opening "Zuchtkalender" end to end on the 100,000-animal demo stock with 2,000 open matings
// and 5,000 litters of the last year (see calendar_stock.h): the window constructed, its task
// list read and filled, shown and painted once (offscreen).
//
// Uses the demo stock in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
// Run with QT_QPA_PLATFORM=offscreen.
#include "breeding/ui/breeding_calendar_window.h"
#include "store/dialog_service.h"

#include "calendar_stock.h"

#include <QApplication>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

namespace {

using namespace lapiro;

bench::CalendarStock& stock() {
  static bench::CalendarStock s;
  return s;
}

void BM_CalendarWindow_Open(benchmark::State& state) {
  bench::CalendarStock& s = stock();
  if (!s.ok) {
    state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
    return;
  }
  int rows = 0;
  for (auto _ : state) {
    breeding::BreedingCalendarWindow window(s.engine, store::dialogs(), {}, 31, {});
    window.resize(760, 480);
    window.show();
    benchmark::DoNotOptimize(window.grab());
    rows = window.list()->topLevelItemCount();
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_CalendarWindow_Open)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Aktualisieren" on the open window: the list read and filled again.
void BM_CalendarWindow_Reload(benchmark::State& state) {
  bench::CalendarStock& s = stock();
  if (!s.ok) {
    state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
    return;
  }
  breeding::BreedingCalendarWindow window(s.engine, store::dialogs(), {}, 31, {});
  window.resize(760, 480);
  window.show();
  for (auto _ : state) {
    window.reload();
    benchmark::DoNotOptimize(window.grab());
  }
}
BENCHMARK(BM_CalendarWindow_Reload)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The data module on a demo stock: what one move to another animal costs with every
// after-scroll rule (details following, lookups, calculated fields, formula and birth date).
//
// Uses the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
#include "card/card_controller.h"
#include "engine/engine.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/animal_search.h"
#include "store/messages.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Stock {
  lapiro::engine::Engine engine;
  lapiro::shell::tsysteminfo settings;
  std::unique_ptr<lapiro::store::MessageCatalogue> messages;
  std::unique_ptr<lapiro::store::TDatenStamm> module;
  bool ok = false;

  Stock() {
    const QString home = qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big")
                                                                          : qEnvironmentVariable("LAPIRO_BENCH_HOME");
    const QString data = home + QStringLiteral("/daten");
    if (!QDir(data).exists()) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    messages = std::make_unique<lapiro::store::MessageCatalogue>(engine);
    messages->open();
    lapiro::store::setMessageCatalogue(messages.get());
    settings.System.Speichern = true;
    module = std::make_unique<lapiro::store::TDatenStamm>(engine, settings);
    module->open();
    ok = true;
  }
};

Stock& stock() {
  static Stock s;
  return s;
}

// The opened stock, or null after marking the benchmark skipped when there is none.
Stock* openStock(benchmark::State& state) {
  Stock& s = stock();
  if (s.ok) return &s;
  state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
  return nullptr;
}

void BM_DataModule_NextAnimal(benchmark::State& state) {
  Stock* stockPtr = openStock(state);
  if (!stockPtr) return;
  Stock& s = *stockPtr;
  auto& hasen = s.module->Hasen();
  hasen.first();
  hasen.moveBy(50000);
  for (auto _ : state) {
    hasen.next();
    if (hasen.eof()) hasen.first();
  }
  state.counters["animals"] = static_cast<double>(hasen.recordCount());
}
BENCHMARK(BM_DataModule_NextAnimal)->Unit(benchmark::kMicrosecond);

void BM_DataModule_GotoAnimal(benchmark::State& state) {
  Stock* stockPtr = openStock(state);
  if (!stockPtr) return;
  Stock& s = *stockPtr;
  qint64 n = 1;
  for (auto _ : state) {
    s.module->gotoAnimal(n);
    n = (n * 7919) % 99991 + 1;
  }
}
BENCHMARK(BM_DataModule_GotoAnimal)->Unit(benchmark::kMicrosecond);

// What the animal card reads after a move: caption, both address boxes, both parent fields
// and the father's information panel.
void BM_Card_DisplaysAfterMove(benchmark::State& state) {
  Stock* stockPtr = openStock(state);
  if (!stockPtr) return;
  Stock& s = *stockPtr;
  lapiro::card::CardController card(*s.module);
  auto& hasen = s.module->Hasen();
  hasen.first();
  hasen.moveBy(50000);
  for (auto _ : state) {
    hasen.next();
    if (hasen.eof()) hasen.first();
    benchmark::DoNotOptimize(card.caption());
    benchmark::DoNotOptimize(card.addressLines(hasen.field(QStringLiteral("Zuechter")).value()));
    benchmark::DoNotOptimize(card.addressLines(hasen.field(QStringLiteral("Besitzer")).value()));
    benchmark::DoNotOptimize(card.parentDisplay(true));
    benchmark::DoNotOptimize(card.parentDisplay(false));
    benchmark::DoNotOptimize(card.parentPanel(true));
  }
}
BENCHMARK(BM_Card_DisplaysAfterMove)->Unit(benchmark::kMicrosecond);

// The animal search: all boxes empty (every animal), a right-tattoo prefix, and the card's
// father search (bucks only, the animal itself excluded). Each run also reads the first page
// of the result grid, as the dialog shows it. Case 3 is case 0 as the first search after the
// dialog was shown: the dialog has read the status names meanwhile (not timed), so the
// search starts with Hasen no longer attached to the query connection.
void BM_AnimalSearch(benchmark::State& state) {
  Stock* stockPtr = openStock(state);
  if (!stockPtr) return;
  Stock& s = *stockPtr;
  lapiro::store::AnimalSearch search(s.engine);
  search.prepare();
  lapiro::store::SearchBoxes boxes;
  lapiro::store::SearchRequest request;
  if (state.range(0) == 1) boxes.tatoRechts = QStringLiteral("H 5");
  if (state.range(0) == 2) request = {3, lapiro::store::ParentSearch::Father, 4711};
  qint64 rows = 0;
  for (auto _ : state) {
    if (state.range(0) == 3) {
      state.PauseTiming();
      search.close();
      search.refreshStatusNames();
      state.ResumeTiming();
    }
    rows = search.run(boxes, request);
    benchmark::DoNotOptimize(search.result().readRows(0, lapiro::engine::CursorModel::kPageSize));
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_AnimalSearch)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Inbreeding on a demo stock and on a synthetic herd book: one 4-generation calculation of
// the inbreeding window, the coefficients over all generations for the whole stock (reading
// Hasen included), the planner for 100 bucks x 1,000 does, and the coefficients of the two
// synthetic pedigree shapes of synthetic_pedigree.h, herd-bound and widely mixed, of 100,000
// and 1,000,000 animals over 20 generations (sorting included), on all cores and on one.
//
// The demo stock is the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), made
// by lapiro-install --home DIR --config-dir DIR-config --demo=100000. The 4-generation run
// writes the work table Vorfahrenliste.DB there and deletes it at the end: use a copy.
#include "engine/engine.h"
#include "lineage/inbreeding_calculation.h"
#include "lineage/mating_planner.h"
#include "lineage/pedigree.h"
#include "lineage/stock_pedigree.h"
#include "store/messages.h"
#include "synthetic_pedigree.h"

#include <QDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace lapiro;

namespace {

struct Stock {
  engine::Engine engine;
  bool ok = false;
  qint64 deepest = 0;  // the animal with the most complete pedigree
  Stock() {
    const QString home = qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big")
                                                                          : qEnvironmentVariable("LAPIRO_BENCH_HOME");
    if (!QDir(home + QStringLiteral("/daten")).exists()) return;
    engine.setAlias(QStringLiteral("Hase"), home + QStringLiteral("/daten"));
    lineage::StockPedigree p(engine);
    p.refresh();
    const auto& e = p.generations();
    const auto it = std::max_element(e.begin(), e.end());
    deepest = p.pedigree().id[it - e.begin()];
    ok = true;
  }
};

Stock* openStock(benchmark::State& state) {
  static Stock s;
  if (s.ok) return &s;
  state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
  return nullptr;
}

void BM_Inbreeding_FourGenerations(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  lineage::InbreedingCalculation calc(s->engine);
  lineage::InzuchtEingabe ein;
  calc.waehleKaninchen(s->deepest, ein);
  lineage::InzuchtAusgabe aus;
  calc.berechne(ein, aus, true);  // reads the stock pedigree once
  for (auto _ : state) {
    calc.berechne(ein, aus, true);
    benchmark::DoNotOptimize(aus.koeffizient);
  }
  state.counters["ancestors"] = static_cast<double>(aus.vorfahren.size());
  calc.dropWorkTable();
}
BENCHMARK(BM_Inbreeding_FourGenerations)->Unit(benchmark::kMillisecond);

void BM_Inbreeding_AllGenerationsWholeStock(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  for (auto _ : state) {
    lineage::StockPedigree p(s->engine);  // a fresh object: reads Hasen every time
    p.refresh();
    benchmark::DoNotOptimize(p.f().data());
    state.counters["animals"] = p.pedigree().size();
  }
}
BENCHMARK(BM_Inbreeding_AllGenerationsWholeStock)->Unit(benchmark::kMillisecond);

void BM_Planner_100Bucks1000Does(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  lineage::MatingPlanner planner(s->engine);
  lineage::PlanFilter all;
  all.nurLebende = false;
  auto bucks = planner.kandidaten(all, true);
  auto does = planner.kandidaten(all, false);
  bucks.resize(std::min<size_t>(bucks.size(), 100));
  does.resize(std::min<size_t>(does.size(), 1000));
  planner.stock().refresh();
  for (auto _ : state) {
    auto pairs = planner.rate(bucks, does);
    benchmark::DoNotOptimize(pairs->data());
    state.counters["pairs"] = static_cast<double>(pairs->size());
  }
}
BENCHMARK(BM_Planner_100Bucks1000Does)->Unit(benchmark::kMillisecond);

// range(0): animals, range(1): threads (0 = one per core).
void runSynthetic(benchmark::State& state, const std::vector<bench::SyntheticAnimal>& animals) {
  std::vector<lineage::PedigreeRecord> records;
  records.reserve(animals.size());
  for (const auto& a : animals) records.push_back({a.id, a.sire, a.dam});
  double meanF = 0;
  for (auto _ : state) {
    const lineage::Pedigree ped = lineage::buildPedigree(records);
    const auto f = lineage::inbreeding(ped, static_cast<int>(state.range(1)));
    meanF = 0;
    for (double v : f) meanF += v;
    meanF /= ped.size();
  }
  state.counters["meanF"] = meanF;
}

void BM_Inbreeding_Synthetic(benchmark::State& state) {
  runSynthetic(state, bench::syntheticPedigree(static_cast<int>(state.range(0)) / 20, 20));
}
BENCHMARK(BM_Inbreeding_Synthetic)
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_Inbreeding_WidelyMixed(benchmark::State& state) {
  runSynthetic(state, bench::widelyMixedPedigree(static_cast<int>(state.range(0)) / 20, 20));
}
BENCHMARK(BM_Inbreeding_WidelyMixed)
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

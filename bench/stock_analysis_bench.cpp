// The stock analysis on the 100,000-animal demo stock with a reference population of the 5,000
// youngest living animals: every per-animal figure and the summary, reading Hasen and the
// coefficients over all generations included (a fresh object each time). Also the diversity
// figures alone on the widely mixed synthetic herd book of 100,000 animals with its newest
// 5,000 as reference. Peak resident memory is reported as a counter.
//
// Measured (Release, two cores shared with other work): the demo stock 244 ms CPU, 540 ms wall
// per analysis, peak resident memory 55 MB; the mixed herd book 500 ms CPU (2,590 ancestors
// chosen to the end).
//
// The demo stock is the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), made
// by lapiro-install --home DIR --config-dir DIR-config --demo=100000. Nothing is written.
#include "bench_stock.h"
#include "engine/engine.h"
#include "lineage/pedigree_diversity.h"
#include "lineage/stock_analysis.h"
#include "synthetic_pedigree.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>

using namespace lapiro;

namespace {

double peakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

void BM_StockAnalysis_DemoStock(benchmark::State& state) {
  const QString data = bench::bigStockData();
  if (!QDir(data).exists()) {
    state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
    return;
  }
  engine::Engine engine;
  engine.setAlias(QStringLiteral("Hase"), data);
  lineage::ReferenzWahl wahl;
  {
    // The 5,000 youngest animals of the living stock (by number, which rises with birth).
    lineage::StockAnalysis a(engine);
    std::vector<qint64> living = a.referenz(a.standardWahl());
    state.counters["living"] = static_cast<double>(living.size());
    if (living.size() > 5000) living.erase(living.begin(), living.end() - 5000);
    wahl.art = lineage::ReferenzArt::Liste;
    wahl.nummern = living;
  }
  const QDate day(2026, 1, 1);
  for (auto _ : state) {
    lineage::StockAnalysis a(engine);
    auto r = a.berechne(wahl, day);
    if (!r) {
      state.SkipWithError("no result");
      return;
    }
    state.counters["animals"] = static_cast<double>(r->tiere.size());
    state.counters["reference"] = r->werte.size;
    state.counters["ancestors"] = static_cast<double>(r->beitraege.ancestors.size());
    state.counters["fe"] = r->beitraege.fe;
    state.counters["fa"] = r->beitraege.fa;
    state.counters["fg"] = r->werte.fg.value_or(0);
    state.counters["Ne"] = r->werte.ne.value_or(0);
  }
  state.counters["peakMB"] = peakMegabytes();
}
BENCHMARK(BM_StockAnalysis_DemoStock)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Diversity_WidelyMixed(benchmark::State& state) {
  const auto animals = bench::widelyMixedPedigree(5000, 20);  // newest generation first
  std::vector<lineage::PedigreeRecord> records;
  records.reserve(animals.size());
  for (const auto& a : animals) records.push_back({a.id, a.sire, a.dam});
  const lineage::Pedigree ped = lineage::buildPedigree(records);
  const auto f = lineage::inbreeding(ped);
  const auto d = lineage::mendelianVariances(ped, f);
  std::vector<std::int32_t> ref;
  for (const auto& r : records) {
    if (ref.size() == 5000) break;
    ref.push_back(ped.indexOf(r.id));
  }
  for (auto _ : state) {
    const auto mk = lineage::meanKinship(ped, d, ref);
    const auto c = lineage::contributions(ped, ref);
    benchmark::DoNotOptimize(mk.data());
    state.counters["ancestors"] = static_cast<double>(c->ancestors.size());
    state.counters["fa"] = c->fa;
  }
  state.counters["peakMB"] = peakMegabytes();
}
BENCHMARK(BM_Diversity_WidelyMixed)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

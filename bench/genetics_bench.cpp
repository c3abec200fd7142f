// Colour genetics: carriers and contradictions over the whole 100,000-animal demo stock (read
// from the data directory and worked through), the inference alone, and the young of one pair
// over every tracked locus.
//
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
//   build/bench/genetics_bench            (LAPIRO_BENCH_HOME points elsewhere)
//
// The stock is only read, so the original serves.
#include <benchmark/benchmark.h>

#include <QDir>

#include "bench_stock.h"
#include "engine/engine.h"
#include "genetics/cross.h"
#include "genetics/stock_genetics.h"

using namespace lapiro;

namespace {

bool openBigStock(engine::Engine& engine, benchmark::State& state) {
  if (!QDir(bench::bigStockData()).exists()) {
    state.SkipWithError("no demo stock; see the head of genetics_bench.cpp");
    return false;
  }
  engine.setAlias(QStringLiteral("Hase"), bench::bigStockData());
  return true;
}

void BM_StockCarriersOnDemand(benchmark::State& state) {
  engine::Engine engine;
  if (!openBigStock(engine, state)) return;
  size_t notes = 0, contradictions = 0, animals = 0;
  for (auto _ : state) {
    const genetics::StockGenetics s = genetics::readStockGenetics(engine);
    notes = s.inference.carriers.size();
    contradictions = s.inference.contradictions.size();
    animals = s.animals.size();
    benchmark::DoNotOptimize(s.inference.genotypes.data());
  }
  state.counters["animals"] = static_cast<double>(animals);
  state.counters["notes"] = static_cast<double>(notes);
  state.counters["contradictions"] = static_cast<double>(contradictions);
}
BENCHMARK(BM_StockCarriersOnDemand)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StockInferenceOnly(benchmark::State& state) {
  engine::Engine engine;
  if (!openBigStock(engine, state)) return;
  const genetics::StockGenetics s = genetics::readStockGenetics(engine);
  for (auto _ : state) benchmark::DoNotOptimize(genetics::inferStock(s.animals).carriers.size());
}
BENCHMARK(BM_StockInferenceOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every locus split in both parents: the most combinations a pair can give.
void BM_PairAllLociWorstCase(benchmark::State& state) {
  const genetics::Genotype sire =
      genetics::parseGenotype(QStringLiteral("A a/Be bj/C c/D d/G g/K k/H h/X x/Si si/R r/V v"));
  const genetics::Genotype dam =
      genetics::parseGenotype(QStringLiteral("achi an/B b/C c/D d/go g/K k/H h/X x/Si si/R r/V v"));
  size_t outcomes = 0;
  for (auto _ : state) outcomes = genetics::cross(sire, dam).outcomes.size();
  state.counters["outcomes"] = static_cast<double>(outcomes);
}
BENCHMARK(BM_PairAllLociWorstCase)->Unit(benchmark::kMillisecond);

// A pair as breeders type it: the five basic series, a few loci split.
void BM_PairTypical(benchmark::State& state) {
  const genetics::Genotype sire = genetics::parseGenotype(QStringLiteral("A achi/B b/C c/D D/G g"));
  const genetics::Genotype dam = genetics::parseGenotype(QStringLiteral("A an/B B/C c/D d/go g"));
  for (auto _ : state) benchmark::DoNotOptimize(genetics::cross(sire, dam).outcomes.size());
}
BENCHMARK(BM_PairTypical)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// Wool performance on a demo stock: the figures of one test record together with the
// parents' and grandparents' averages read from the tables (what arriving at a test record
// with empty averages costs).
//
// Reads the stock in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big) without writing to it.
#include "breeding/wool_performance.h"
#include "engine/engine.h"
#include "engine/query.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

namespace {

QString stockDir() {
  const QString home =
      qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big") : qEnvironmentVariable("LAPIRO_BENCH_HOME");
  return home + QStringLiteral("/daten");
}

// A tested animal whose father and mother are tested too (the most lookups); 0 when none.
qint64 testedAnimal(lapiro::engine::Engine& e) {
  lapiro::engine::Query q(e);
  q.setSql(QStringLiteral("SELECT a.Kaninchen FROM \"Angora.db\" a, \"Hasen.db\" h, \"Angora.db\" v, \"Angora.db\" m "
                          "WHERE h.Nummer = a.Kaninchen AND v.Kaninchen = h.Vater AND m.Kaninchen = h.Mutter"));
  q.open();
  return q.hasRecord() ? q.field(QStringLiteral("Kaninchen")).asInteger() : 0;
}

void BM_WoolFiguresWithAncestorAverages(benchmark::State& state) {
  if (!QDir(stockDir()).exists()) {
    state.SkipWithError("no demo stock");
    return;
  }
  lapiro::engine::Engine e;
  e.setAlias(QStringLiteral("Hase"), stockDir());
  const qint64 animal = testedAnimal(e);
  if (animal == 0) {
    state.SkipWithError("no tested animal with tested parents");
    return;
  }
  lapiro::breeding::WoolLookup lookup(e);
  for (auto _ : state) {
    const lapiro::breeding::AncestorAverages a = lapiro::breeding::ancestorAverages(lookup, animal);
    lapiro::breeding::WoolRecord r;
    r.interval = QStringLiteral("84");
    r.shear1 = 250;
    r.shear2 = 80;
    r.felt = 20;
    r.jweInsgesamt = 1500;
    r.wrzInsgesamt = 1350;
    r.elternWrz = a.elternWrz;
    r.grosselternWrz = a.grosselternWrz;
    r.bewertung = 90.0;
    benchmark::DoNotOptimize(lapiro::breeding::woolFigures(r));
  }
}
BENCHMARK(BM_WoolFiguresWithAncestorAverages)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

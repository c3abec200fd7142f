// Data exchange on the 100,000-animal demo stock: export of 1,000 animals with four ancestor
// generations; import of the whole stock's file into an empty stock and into a copy of the
// stock itself (every animal matched); reading the passport's QR code from a 12-megapixel photo.
//
// Uses the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
#include "bench_stock.h"
#include "engine/engine.h"
#include "exchange/exchange_export.h"
#include "exchange/exchange_import.h"
#include "exchange/passport.h"
#include "store/catalogue.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

using namespace lapiro;

using lapiro::bench::bigStockData;
using lapiro::bench::copyDataFiles;

// The whole stock as one exchange file, made once.
const exchange::ExchangeFile& wholeStock() {
  static const exchange::ExchangeFile file = [] {
    engine::Engine e;
    e.setAlias(QStringLiteral("Hase"), bigStockData());
    exchange::ExportOptions o;
    o.allAnimals = true;
    return exchange::collectExport(e, o);
  }();
  return file;
}

void BM_Export1000WithFourGenerations(benchmark::State& state) {
  if (!QDir(bigStockData()).exists()) return state.SkipWithError("no demo stock");
  engine::Engine e;
  e.setAlias(QStringLiteral("Hase"), bigStockData());
  QTemporaryDir out;
  exchange::ExportOptions o;
  for (qint64 n = 99'000; n < 100'000; ++n) o.animals.push_back(n);  // the youngest: full pedigrees
  o.generations = 4;
  std::size_t animals = 0;
  for (auto _ : state) {
    const exchange::ExchangeFile f = exchange::collectExport(e, o);
    animals = f.animals.size();
    if (!exchange::saveExchangeFile(f, out.filePath(QStringLiteral("x.json"))).isEmpty()) state.SkipWithError("write failed");
  }
  state.counters["animals"] = static_cast<double>(animals);
}

// CPU seconds of this thread: the machine is shared, so wall time says little about the code.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void importInto(benchmark::State& state, bool emptyStock) {
  if (!QDir(bigStockData()).exists()) return state.SkipWithError("no demo stock");
  const exchange::ExchangeFile& file = wholeStock();
  const QByteArray bytes = exchange::writeExchange(file);
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir dir;
    engine::Engine e;
    e.setAlias(QStringLiteral("Hase"), dir.path());
    if (emptyStock) {
      for (const store::CatalogueTable& t : store::catalogue())
        if (t.origin == store::CatalogueTable::Origin::Installer) e.createTable(t.fileName, store::currentLayout(t));
    } else {
      copyDataFiles(bigStockData(), dir.path());
    }
    state.ResumeTiming();
    // Reading the file is part of the import.
    double t0 = cpuSeconds();
    const exchange::ReadResult r = exchange::readExchange(bytes);
    if (!r.file) return state.SkipWithError("file refused");
    double t1 = cpuSeconds();
    state.counters["read_cpu_s"] = t1 - t0;
    const exchange::ImportPlan plan = exchange::planImport(e, *r.file, {});
    t0 = cpuSeconds();
    state.counters["plan_cpu_s"] = t0 - t1;
    const exchange::ImportResult done =
        exchange::runImport(e, *r.file, plan, {}, dir.filePath(QStringLiteral("Austausch")), QStringLiteral("bench"));
    state.counters["write_cpu_s"] = cpuSeconds() - t0;
    if (!done.ok) return state.SkipWithError("import failed");
    state.counters["created"] = done.created;
    state.counters["matched"] = done.matched + done.updated;
  }
  state.counters["animals"] = static_cast<double>(file.animals.size());
}

void BM_ImportIntoEmptyStock(benchmark::State& state) { importInto(state, true); }
void BM_ImportIntoTheSameStock(benchmark::State& state) { importInto(state, false); }

void BM_PassportFrom12MegapixelPhoto(benchmark::State& state) {
  if (!QDir(bigStockData()).exists()) return state.SkipWithError("no demo stock");
  engine::Engine e;
  e.setAlias(QStringLiteral("Hase"), bigStockData());
  const QImage code = exchange::passportImage(e, 99'999);
  // A 4000 x 3000 photo of an A4 sheet filling most of it, with the 30 mm code on it.
  QImage photo(4000, 3000, QImage::Format_RGB32);
  photo.fill(QColor(0x8a, 0x84, 0x7a));
  QPainter p(&photo);
  const double pxPerMm = 2800.0 / 297.0;
  p.fillRect(QRectF(600, 100, 297 * pxPerMm, 210 * pxPerMm), QColor(0xf4, 0xf2, 0xee));
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(QRectF(600 + 200 * pxPerMm, 100 + 20 * pxPerMm, 30 * pxPerMm, 30 * pxPerMm), code);
  p.end();
  for (auto _ : state) {
    const exchange::PassportRead r = exchange::readPassportImage(photo);
    if (!r.file) return state.SkipWithError("no code read");
  }
}

}  // namespace

BENCHMARK(BM_Export1000WithFourGenerations)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportIntoEmptyStock)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ImportIntoTheSameStock)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PassportFrom12MegapixelPhoto)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);  // the passport draws with QPainter
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

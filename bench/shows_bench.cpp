// Show results on a demo stock: moving to an animal with 20 show rows and computing the
// total, grade and missing points of every row; the page model of "Ausstellungsliste" for an
// animal with 50 rows.
//
// Works on a copy of the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big),
// made once into $LAPIRO_SHOWS_BENCH_DIR (default /tmp/shows-big/daten), where two animals get
// 20 and 50 show rows. The original stock is never written.
#include "bench_stock.h"
#include "engine/cursor.h"
#include "engine/engine.h"
#include "reports/report_layout.h"
#include "shell/system_info.h"
#include "shows/show_list_report.h"
#include "shows/show_rules.h"
#include "shows/show_score.h"
#include "store/data_module.h"
#include "store/messages.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using lapiro::bench::envOr;

struct Stock {
  lapiro::engine::Engine engine;
  lapiro::shell::tsysteminfo settings;
  std::unique_ptr<lapiro::store::MessageCatalogue> messages;
  std::unique_ptr<lapiro::store::TDatenStamm> module;
  qint64 with20 = 0, with50 = 0, other = 0;
  bool ok = false;

  // Copies the stock and gives two animals their show rows; false when there is no stock.
  static bool prepare(const QString& from, const QString& to) {
    if (lapiro::bench::preparedMark(to)) return true;
    if (!lapiro::bench::copyDataFiles(from, to)) return false;
    lapiro::engine::Engine e;
    e.setAlias(QStringLiteral("Hase"), to);
    lapiro::engine::Cursor shows(e, QStringLiteral("Ausstellung"));
    shows.setTableName(QStringLiteral("Ausstellung"));
    shows.open();
    for (auto [animal, rows] : {std::pair{qint64(1001), 20}, std::pair{qint64(2002), 50}}) {
      for (int i = 0; i < rows; ++i) {
        shows.append();
        shows.field(QStringLiteral("Hase")).setInteger(animal);
        shows.field(QStringLiteral("Datum")).setDate(QDate(2015, 1, 1).addDays(40 * i));
        shows.field(QStringLiteral("Titel")).setString(i % 7 == 3 ? QStringLiteral("Jungtierbewertung")
                                                                  : QStringLiteral("Kreisschau"));
        shows.field(QStringLiteral("Ort")).setString(QStringLiteral("Kassel"));
        if (i % 7 == 3) {
          shows.field(QStringLiteral("BewertJungtier")).setString(QStringLiteral("8/5"));
        } else {
          const double points[7] = {9.5, 18.5, 14, 14.5, 14, 9, 5};
          for (int p = 0; p < 7; ++p)
            shows.field(lapiro::shows::positionFieldNames()[p]).setFloat(points[p] - (i % 3) * 0.5 * (p == 1));
        }
        shows.post();
      }
    }
    shows.close();
    return lapiro::bench::markPrepared(to);
  }

  Stock() {
    const QString from = lapiro::bench::bigStockData();
    const QString data = envOr("LAPIRO_SHOWS_BENCH_DIR", QStringLiteral("/tmp/shows-big/daten"));
    if (!prepare(from, data)) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    messages = std::make_unique<lapiro::store::MessageCatalogue>(engine);
    messages->open();
    lapiro::store::setMessageCatalogue(messages.get());
    module = std::make_unique<lapiro::store::TDatenStamm>(engine, settings);
    lapiro::shows::attachShowRules(*module);
    module->open();
    with20 = 1001;
    with50 = 2002;
    other = 50000;
    ok = true;
  }
};

Stock& stock() {
  static Stock s;
  return s;
}

Stock* openStock(benchmark::State& state) {
  Stock& s = stock();
  if (s.ok) return &s;
  state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
  return nullptr;
}

// Every row's calculated show fields, read as a view reads them.
int readScores(lapiro::engine::Cursor& shows) {
  int n = 0;
  const int grade = shows.fieldIndex(QStringLiteral("PraedikatText"));
  for (const auto& row : shows.readRows(0, 100)) {
    benchmark::DoNotOptimize(row[grade]);
    ++n;
  }
  return n;
}

void BM_Shows_MoveToAnimalWith20Shows(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  auto& shows = s->module->at(QStringLiteral("Ausstellung"));
  int rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s->module->gotoAnimal(s->other);
    state.ResumeTiming();
    s->module->gotoAnimal(s->with20);
    rows = readScores(shows);
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_Shows_MoveToAnimalWith20Shows)->Unit(benchmark::kMillisecond);

void BM_Shows_ListPageModel50(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  s->module->gotoAnimal(s->with50);
  auto& shows = s->module->at(QStringLiteral("Ausstellung"));
  int pages = 0;
  for (auto _ : state) {
    const lapiro::reports::MemoryDataSource rows =
        lapiro::shows::showListRows(s->module->Hasen(), shows, QStringLiteral("Heinrich Brandt"));
    const lapiro::reports::PageModel model = lapiro::reports::layoutReport(lapiro::shows::TReportAusstellung(), rows);
    pages = model.pageCount();
    benchmark::DoNotOptimize(model.pages.data());
  }
  state.counters["rows"] = static_cast<double>(shows.recordCount());
  state.counters["pages"] = pages;
}
BENCHMARK(BM_Shows_ListPageModel50)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

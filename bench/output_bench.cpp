// Printouts on a demo stock: the page model of an animal's data sheet, the data list of about
// 5,000 animals found by the animal search (reading the result and laying it out), and 96
// transport labels (rows filled from the stock and laid out).
//
// Works on a copy of the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big),
// made once into $LAPIRO_OUTPUT_BENCH_DIR (default /tmp/output-big/daten); the original stock
// is never written.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <memory>

#include "bench_stock.h"
#include "engine/cursor.h"
#include "engine/engine.h"
#include "output/animal_sheets.h"
#include "output/labels.h"
#include "reports/report_layout.h"
#include "shell/system_info.h"
#include "store/animal_search.h"
#include "store/data_module.h"
#include "store/messages.h"

namespace {

using namespace lapiro;

using lapiro::bench::envOr;

struct Stock {
  engine::Engine engine;
  shell::tsysteminfo settings;
  std::unique_ptr<store::MessageCatalogue> messages;
  std::unique_ptr<store::TDatenStamm> module;
  bool ok = false;

  static bool prepare(const QString& from, const QString& to) {
    if (lapiro::bench::preparedMark(to)) return true;
    if (!lapiro::bench::copyDataFiles(from, to)) return false;
    return lapiro::bench::markPrepared(to);
  }

  Stock() {
    const QString from = lapiro::bench::bigStockData();
    const QString data = envOr("LAPIRO_OUTPUT_BENCH_DIR", QStringLiteral("/tmp/output-big/daten"));
    if (!prepare(from, data)) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    messages = std::make_unique<store::MessageCatalogue>(engine);
    messages->open();
    store::setMessageCatalogue(messages.get());
    module = std::make_unique<store::TDatenStamm>(engine, settings);
    module->open();
    ok = true;
  }
};

Stock* openStock(benchmark::State& state) {
  static Stock s;
  if (s.ok) return &s;
  state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
  return nullptr;
}

void BM_Output_DataSheetPageModel(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  s->module->gotoAnimal(50000);
  engine::Cursor& hasen = s->module->Hasen();
  int pages = 0;
  for (auto _ : state) {
    const reports::MemoryDataSource row = output::dataSheetRow(hasen, QStringLiteral("Heinrich Brandt"));
    const output::TReportStammdaten report(hasen.field(QStringLiteral("Anomalien")).asString(), {});
    const reports::PageModel model = output::layoutPrintout(report, row);
    pages = model.pageCount();
    benchmark::DoNotOptimize(model.pages.data());
  }
  state.counters["pages"] = pages;
}
BENCHMARK(BM_Output_DataSheetPageModel)->Unit(benchmark::kMillisecond);

// The search with the left-tattoo prefix whose result is closest to 5,000 animals (on the
// demo stock "3.1", the litters of March 2010 to 2019: about 4,600).
store::SearchBoxes boxesFor5000(store::AnimalSearch& search) {
  store::SearchBoxes best;
  qint64 bestDiff = -1;
  for (const QString& prefix :
       QStringList{QStringLiteral("3.1"), QStringLiteral("8.1"), QStringLiteral("10.1"),
                   QStringLiteral("11.1"), QStringLiteral("12.1")}) {
    store::SearchBoxes boxes;
    boxes.tatoLinks = prefix;
    const qint64 n = search.run(boxes, store::SearchRequest{});
    const qint64 diff = std::abs(n - 5000);
    if (n > 0 && (bestDiff < 0 || diff < bestDiff)) {
      bestDiff = diff;
      best = boxes;
    }
  }
  return best;
}

void BM_Output_DataList5000(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  store::AnimalSearch search(s->engine);
  search.prepare();
  const store::SearchBoxes boxes = boxesFor5000(search);
  int rows = 0, pages = 0;
  for (auto _ : state) {
    search.run(boxes, store::SearchRequest{});
    const auto data = output::dataListRows(search.result(), [](int, int) { return true; });
    const reports::PageModel model = output::layoutPrintout(output::TReportKatzenListe(), *data);
    rows = data->rowCount();
    pages = model.pageCount();
    benchmark::DoNotOptimize(model.pages.data());
  }
  search.close();
  state.counters["rows"] = rows;
  state.counters["pages"] = pages;
}
BENCHMARK(BM_Output_DataList5000)->Unit(benchmark::kMillisecond);

void BM_Output_96TransportLabels(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  int pages = 0;
  for (auto _ : state) {
    std::vector<output::LabelRow> rows;
    for (qint64 n = 1000; n < 1096; ++n)
      if (auto row = output::labelRowForAnimal(s->engine, n)) {
        row->kaefignummer = QString::number(n);
        rows.push_back(*row);
      }
    const reports::PageModel model = output::layoutTransportLabels(rows, 1);
    pages = model.pageCount();
    benchmark::DoNotOptimize(model.pages.data());
  }
  state.counters["pages"] = pages;
}
BENCHMARK(BM_Output_96TransportLabels)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The animal search dialog end to end on the 100,000-animal demo stock: "&Suchen" clicked with
// every box empty until the result grid is painted (the dialog is rendered offscreen).
//
// Uses the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
// Run with QT_QPA_PLATFORM=offscreen.
#include "engine/engine.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/ui/animal_search_dialog.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_AnimalSearchDialog_EmptySearchToPaintedGrid(benchmark::State& state) {
  const QString home = qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big")
                                                                        : qEnvironmentVariable("LAPIRO_BENCH_HOME");
  const QString data = home + QStringLiteral("/daten");
  if (!QDir(data).exists()) {
    state.SkipWithError("no demo stock: run lapiro-install --home /tmp/lapiro-big --demo=100000");
    return;
  }
  lapiro::engine::Engine engine;
  engine.setAlias(QStringLiteral("Hase"), data);
  lapiro::store::MessageCatalogue messages(engine);
  messages.open();
  lapiro::store::setMessageCatalogue(&messages);
  {
    lapiro::store::ui::TsuchenDlg dialog(engine);
    QPushButton* suchen = dialog.findChild<QPushButton*>(QStringLiteral("ButtonSuchen"));
    qint64 rows = 0;
    for (auto _ : state) {
      state.PauseTiming();
      dialog.prepareForShow({});
      dialog.show();
      QApplication::processEvents();
      state.ResumeTiming();
      suchen->click();
      // The painted result: the dialog with its grid rendered once.
      benchmark::DoNotOptimize(dialog.grab());
      rows = dialog.grid()->model()->rowCount();
      state.PauseTiming();
      dialog.hide();
      state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
  }
  lapiro::store::setMessageCatalogue(nullptr);
}
BENCHMARK(BM_AnimalSearchDialog_EmptySearchToPaintedGrid)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

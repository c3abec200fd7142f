// The animal search dialog end to end on the 100,000-animal demo stock: "&Suchen" clicked with
// every box empty until the result grid is painted (the dialog is rendered offscreen).
//
// Uses the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
// Run with QT_QPA_PLATFORM=offscreen.
#include "app/modules.h"
#include "engine/engine.h"
#include "shell/startup.h"
#include "shell/ui/main_window.h"
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

// The same inside the running program: main window with its list, the data module and the
// card open on the stock, the dialog a child of the main window. Needs LAPIRO_HOME and
// LAPIRO_CONFIG_DIR of an installation with that stock (settings are written: use a copy).
void BM_AnimalSearchDialog_InTheProgram(benchmark::State& state) {
  if (qEnvironmentVariableIsEmpty("LAPIRO_HOME") || qEnvironmentVariableIsEmpty("LAPIRO_CONFIG_DIR")) {
    state.SkipWithError("LAPIRO_HOME and LAPIRO_CONFIG_DIR must name a copy of the 100,000 stock");
    return;
  }
  lapiro::shell::ShellSession session;
  lapiro::app::installFeatureModules();  // the card and the commands, as in the program
  lapiro::shell::ui::TFormLapiroManager window(session);
  if (!window.startUp(QRect(0, 0, 1280, 1024))) {
    state.SkipWithError("the program did not start");
    return;
  }
  session.createDataModule();
  window.createCard();
  window.applySettings();
  window.show();
  QApplication::processEvents();
  {
    lapiro::store::ui::TsuchenDlg dialog(session.engine(), &window);
    QPushButton* suchen = dialog.findChild<QPushButton*>(QStringLiteral("ButtonSuchen"));
    for (auto _ : state) {
      state.PauseTiming();
      dialog.prepareForShow({});
      dialog.show();
      QApplication::processEvents();
      state.ResumeTiming();
      suchen->click();
      QApplication::processEvents();
      benchmark::DoNotOptimize(dialog.grab());
      state.PauseTiming();
      dialog.hide();
      state.ResumeTiming();
    }
  }
  window.hide();
  session.closeTables();
}
BENCHMARK(BM_AnimalSearchDialog_InTheProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The litter book on a demo stock: moving to a doe with 30 litters (newest litter, litter
// figures counted from its young, young-animal rows rebuilt) and saving 12 young-animal rows.
//
// Works on a copy of the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big),
// made once into $LAPIRO_LITTER_BENCH_DIR (default /tmp/litter-big/daten), where a new doe gets
// 30 litters, the newest with 6 recorded young. The original stock is never written.
#include "bench_stock.h"
#include "breeding/litter_book.h"
#include "breeding/young_rows.h"
#include "engine/cursor.h"
#include "engine/engine.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/messages.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using lapiro::bench::envOr;

const QDate kNewest(2026, 3, 10);

struct Stock {
  lapiro::engine::Engine engine;
  lapiro::shell::tsysteminfo settings;
  std::unique_ptr<lapiro::store::MessageCatalogue> messages;
  std::unique_ptr<lapiro::store::TDatenStamm> module;
  std::shared_ptr<lapiro::breeding::TWurfbuch> rules;
  qint64 doe = 0, other = 50000;
  bool ok = false;

  // Copies the stock and adds the doe with her litters; the doe's Nummer, 0 when there is no stock.
  static qint64 prepare(const QString& from, const QString& to) {
    if (const auto mark = lapiro::bench::preparedMark(to)) return mark->toLongLong();
    if (!lapiro::bench::copyDataFiles(from, to)) return 0;
    lapiro::engine::Engine e;
    e.setAlias(QStringLiteral("Hase"), to);
    lapiro::engine::Cursor hasen(e, QStringLiteral("Hasen"));
    hasen.setTableName(QStringLiteral("Hasen"));
    hasen.open();
    const qint64 buck = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("1.20.1"), QStringLiteral("1"));
    const qint64 doe = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("1.20.2"), QStringLiteral("2"));
    for (int i = 0; i < 6; ++i)
      lapiro::bench::addBenchAnimal(hasen, QStringLiteral("3.26.%1").arg(i + 1), i < 3 ? QStringLiteral("1") : QStringLiteral("2"), 0,
                                    doe, kNewest);
    lapiro::engine::Cursor wurfbuch(e, QStringLiteral("Wurfbuch"));
    wurfbuch.setTableName(QStringLiteral("Wurfbuch.DB"));
    wurfbuch.open();
    for (int i = 29; i >= 0; --i) {
      wurfbuch.append();
      wurfbuch.field(QStringLiteral("Katze")).setInteger(doe);
      wurfbuch.field(QStringLiteral("Kater")).setInteger(buck);
      const QDate born = kNewest.addDays(-70 * i);
      wurfbuch.field(QStringLiteral("Decktermin")).setDate(born.addDays(-31));
      wurfbuch.field(QStringLiteral("Wurftag")).setDate(born);
      if (i > 0) {
        wurfbuch.field(QStringLiteral("WurfStMaennlich")).setInteger(3);
        wurfbuch.field(QStringLiteral("WurfStWeiblich")).setInteger(3);
      }
      wurfbuch.post();
    }
    return lapiro::bench::markPrepared(to, QByteArray::number(doe)) ? doe : 0;
  }

  Stock() {
    const QString from = lapiro::bench::bigStockData();
    const QString data = envOr("LAPIRO_LITTER_BENCH_DIR", QStringLiteral("/tmp/litter-big/daten"));
    doe = prepare(from, data);
    if (!doe) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    messages = std::make_unique<lapiro::store::MessageCatalogue>(engine);
    messages->open();
    lapiro::store::setMessageCatalogue(messages.get());
    module = std::make_unique<lapiro::store::TDatenStamm>(engine, settings);
    rules = lapiro::breeding::attachLitterRules(*module, settings);
    module->open();
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

void BM_Litter_MoveToDoeWith30Litters(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  lapiro::breeding::TNachzucht rows(*s->module, s->settings);
  for (auto _ : state) {
    state.PauseTiming();
    s->module->gotoAnimal(s->other);
    state.ResumeTiming();
    s->module->gotoAnimal(s->doe);
    rows.build();
  }
  state.counters["litters"] = static_cast<double>(s->module->at(QStringLiteral("Wurfbuch")).recordCount());
  state.counters["rows"] = rows.rowCount();
  state.counters["foundYoung"] = s->rules->foundBucks() + s->rules->foundDoes();
}
BENCHMARK(BM_Litter_MoveToDoeWith30Litters)->Unit(benchmark::kMillisecond);

void BM_Litter_Save12YoungAnimalRows(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  s->module->gotoAnimal(s->doe);
  lapiro::engine::Cursor& w = s->module->at(QStringLiteral("Wurfbuch"));
  w.last();
  lapiro::breeding::TNachzucht rows(*s->module, s->settings);
  int saved = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s->engine.execute(QStringLiteral("DELETE FROM \"Hasen.db\" WHERE Mutter = :m AND Geburtstag = :g"),
                      {{QStringLiteral("m"), s->doe}, {QStringLiteral("g"), kNewest}});
    if (!w.isEditing()) w.edit();
    w.field(QStringLiteral("WurfStMaennlich")).setInteger(6);
    w.field(QStringLiteral("WurfStWeiblich")).setInteger(6);
    rows.build();
    for (int i = 0; i < rows.rowCount(); ++i) rows.setWhole(i, QStringLiteral("3.26.%1").arg(i + 1));
    state.ResumeTiming();
    saved = rows.save();
  }
  state.counters["saved"] = saved;
}
BENCHMARK(BM_Litter_Save12YoungAnimalRows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

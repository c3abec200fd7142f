// Buck judging on a demo stock: the Körnote of a buck with 40 litters in the breeding year
// (pedigree boxes, the two chosen litters' young under the breeding-year filter, his best show
// row) and the score rows of one litter.
//
// Works on a copy of the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), made
// once into $LAPIRO_KOERUNG_BENCH_DIR (default /tmp/koerung-big/daten), where a new buck gets
// 40 litters by 40 does, each with 6 judged young, and a Körung record naming two of them.
// The original stock is never written.
#include "bench_stock.h"
#include "breeding/koerung.h"
#include "breeding/litter_book.h"
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

const QDate kKoerung(2026, 10, 10);

struct Stock {
  lapiro::engine::Engine engine;
  lapiro::shell::tsysteminfo settings;
  std::unique_ptr<lapiro::store::MessageCatalogue> messages;
  std::unique_ptr<lapiro::store::TDatenStamm> module;
  std::shared_ptr<lapiro::breeding::TWurfbuch> rules;
  std::unique_ptr<lapiro::breeding::TKoerung> koerung;
  qint64 buck = 0, other = 50000;
  bool ok = false;

  // Copies the stock and adds the buck with his litters; his Nummer, 0 when there is no stock.
  static qint64 prepare(const QString& from, const QString& to) {
    if (const auto mark = lapiro::bench::preparedMark(to)) return mark->toLongLong();
    if (!lapiro::bench::copyDataFiles(from, to)) return 0;
    lapiro::engine::Engine e;
    e.setAlias(QStringLiteral("Hase"), to);
    lapiro::engine::Cursor hasen(e, QStringLiteral("Hasen"));
    hasen.setTableName(QStringLiteral("Hasen"));
    hasen.open();
    // The buck with two known generations above him.
    const qint64 gf = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("1.18.1"), QStringLiteral("1"), 0, 0, {});
    const qint64 gm = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("1.18.2"), QStringLiteral("2"), 0, 0, {});
    const qint64 father = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("1.19.1"), QStringLiteral("1"), gf, gm, {});
    const qint64 mother = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("1.19.2"), QStringLiteral("2"), gf, gm, {});
    const qint64 buck = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("1.20.1"), QStringLiteral("1"), father, mother, {});
    lapiro::engine::Cursor wurfbuch(e, QStringLiteral("Wurfbuch"));
    wurfbuch.setTableName(QStringLiteral("Wurfbuch.DB"));
    wurfbuch.open();
    lapiro::engine::Cursor shows(e, QStringLiteral("Ausstellung"));
    shows.setTableName(QStringLiteral("Ausstellung.db"));
    shows.open();
    std::vector<qint64> litters;
    for (int d = 0; d < 40; ++d) {
      const qint64 doe = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("2.21.%1").arg(d + 1), QStringLiteral("2"), 0, 0, {});
      const QDate born = QDate(2025, 11, 3).addDays(7 * d);
      wurfbuch.append();
      wurfbuch.field(QStringLiteral("Katze")).setInteger(doe);
      wurfbuch.field(QStringLiteral("Kater")).setInteger(buck);
      wurfbuch.field(QStringLiteral("Decktermin")).setDate(born.addDays(-31));
      wurfbuch.field(QStringLiteral("Wurftag")).setDate(born);
      wurfbuch.field(QStringLiteral("WurfStMaennlich")).setInteger(3);
      wurfbuch.field(QStringLiteral("WurfStWeiblich")).setInteger(3);
      wurfbuch.post();
      litters.push_back(wurfbuch.field(QStringLiteral("LaufendeNummer")).asInteger());
      for (int y = 0; y < 6; ++y) {
        const qint64 young = lapiro::bench::addBenchAnimal(hasen, QStringLiteral("%1.26.%2").arg(born.month()).arg(d * 6 + y + 1),
                                       y < 3 ? QStringLiteral("1") : QStringLiteral("2"), buck, doe, born);
        shows.append();
        shows.field(QStringLiteral("Hase")).setInteger(young);
        shows.field(QStringLiteral("Datum")).setDate(kKoerung);
        shows.field(QStringLiteral("Titel")).setString(lapiro::breeding::koerungTitle());
        shows.field(QStringLiteral("Gewicht1")).setFloat(19.0);
        shows.field(QStringLiteral("EigeneBewertung")).setFloat(90.0 + (y + d) % 8);
        shows.post();
      }
    }
    lapiro::engine::Cursor k(e, QStringLiteral("Koernote"));
    k.setTableName(QStringLiteral("Koernote.db"));
    k.open();
    k.append();
    k.field(QStringLiteral("Hase")).setInteger(buck);
    k.field(QStringLiteral("Haesin1")).setInteger(litters[10]);
    k.field(QStringLiteral("Haesin2")).setInteger(litters[30]);
    k.post();
    return lapiro::bench::markPrepared(to, QByteArray::number(buck)) ? buck : 0;
  }

  Stock() {
    const QString from = lapiro::bench::bigStockData();
    const QString data = envOr("LAPIRO_KOERUNG_BENCH_DIR", QStringLiteral("/tmp/koerung-big/daten"));
    buck = prepare(from, data);
    if (!buck) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    messages = std::make_unique<lapiro::store::MessageCatalogue>(engine);
    messages->open();
    lapiro::store::setMessageCatalogue(messages.get());
    module = std::make_unique<lapiro::store::TDatenStamm>(engine, settings);
    rules = lapiro::breeding::attachLitterRules(*module, settings);
    module->open();
    koerung = std::make_unique<lapiro::breeding::TKoerung>(*module, settings);
    ok = module->gotoAnimal(buck);
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

void BM_Koerung_KoernoteOfABuckWith40Litters(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  lapiro::breeding::KoernoteResult r;
  for (auto _ : state) r = s->koerung->compute(kKoerung);
  state.counters["covered"] = static_cast<double>(s->module->at(QStringLiteral("GedeckteHaesinnen")).recordCount());
  state.counters["koernote"] = r.koernote;
  state.counters["presented"] = r.haesin1.count() + r.haesin2.count();
}
BENCHMARK(BM_Koerung_KoernoteOfABuckWith40Litters)->Unit(benchmark::kMillisecond);

void BM_Koerung_ScoreRowsOfALitter(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  s->koerung->applyBreedingYear(kKoerung);
  lapiro::engine::Cursor& g = s->module->at(QStringLiteral("GedeckteHaesinnen"));
  size_t rows = 0;
  for (auto _ : state) {
    g.first();
    s->koerung->showYoungOfCurrentLitter();
    rows = s->koerung->scoreRows().size();
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_Koerung_ScoreRowsOfALitter)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Health records, breeder register and vaccination certificate on a demo stock: moving to an
// animal with 50 health rows (the four lists following it and read as the card's grids read
// them), the register search over the demo's breeders and the certificate's page model.
//
// Uses the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
#include "contacts/breeder_register.h"
#include "engine/cursor.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "health/health_rules.h"
#include "health/vaccination_certificate.h"
#include "reports/report_layout.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/messages.h"

#include <QDir>
#include <QGuiApplication>
#include <QHash>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using lapiro::engine::Cursor;

struct Stock {
  lapiro::engine::Engine engine;
  lapiro::shell::tsysteminfo settings;
  std::unique_ptr<lapiro::store::MessageCatalogue> messages;
  std::unique_ptr<lapiro::store::TDatenStamm> module;
  std::unique_ptr<lapiro::health::THygieneRegeln> rules;
  qint64 longHistory = 0;  // the animal with the most health rows
  int longHistoryRows = 0;
  bool ok = false;

  Stock() {
    const QString home = qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big")
                                                                          : qEnvironmentVariable("LAPIRO_BENCH_HOME");
    const QString data = home + QStringLiteral("/daten");
    if (!QDir(data).exists() || !QFile::exists(data + QStringLiteral("/Impfung.db"))) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    messages = std::make_unique<lapiro::store::MessageCatalogue>(engine);
    messages->open();
    lapiro::store::setMessageCatalogue(messages.get());
    settings.System.Speichern = true;
    module = std::make_unique<lapiro::store::TDatenStamm>(engine, settings);
    module->open();
    rules = std::make_unique<lapiro::health::THygieneRegeln>(*module, [] { return true; });
    // The animal with the most rows over the four health tables.
    QHash<qint64, int> counts;
    for (const auto& [table, field] : {std::pair{u"MedizienHase", u"Hase"}, std::pair{u"Impfung", u"Tier"},
                                       std::pair{u"Desinfektion", u"Hase"}, std::pair{u"Insektenbek", u"Hase"}}) {
      Cursor c(engine);
      c.setTableName(QString::fromUtf16(table));
      c.setReadOnly(true);
      c.open();
      const int fi = c.fieldIndex(QString::fromUtf16(field));
      const qint64 n = c.recordCount();
      for (qint64 off = 0; off < n; off += 4096)
        for (const auto& row : c.readRows(off, 4096)) ++counts[row[fi].toLongLong()];
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
      if (it.value() > longHistoryRows) {
        longHistory = it.key();
        longHistoryRows = it.value();
      }
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
  state.SkipWithError("no demo stock with health records: run lapiro-install --home /tmp/lapiro-big --demo=100000");
  return nullptr;
}

// One iteration: move to the animal with the long history and read its four lists as the
// grids do; the move back to another animal is not timed.
void BM_Health_MoveToAnimalWith50Rows(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  const QStringList lists = lapiro::health::THygieneRegeln::cursorNames();
  qint64 rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    s->module->gotoAnimal(s->longHistory == 1 ? 2 : 1);
    state.ResumeTiming();
    s->module->gotoAnimal(s->longHistory);
    rows = 0;
    for (const QString& name : lists) {
      Cursor& c = s->module->at(name);
      const auto read = c.readRows(0, 128);
      rows += static_cast<qint64>(read.size());
      benchmark::DoNotOptimize(c.field(c.fieldIndex(QStringLiteral("Am")) >= 0 ? QStringLiteral("Am")
                                                                               : QStringLiteral("Datum"))
                                   .asDate());
    }
  }
  state.counters["healthRows"] = static_cast<double>(rows);
}
BENCHMARK(BM_Health_MoveToAnimalWith50Rows)->Unit(benchmark::kMicrosecond);

// 0: place "Mün"; 1: breeder "Jürgen" and breed "A"; 2: every box empty (the whole register).
void BM_Register_Search(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  lapiro::contacts::RegisterSearchBoxes boxes;
  if (state.range(0) == 0) boxes.ort = QStringLiteral("Mün");
  if (state.range(0) == 1) {
    boxes.zuechter = QStringLiteral("Jürgen");
    boxes.rasse = QStringLiteral("A");
  }
  lapiro::engine::Query q(s->engine);
  qint64 rows = 0;
  for (auto _ : state) {
    rows = lapiro::contacts::runRegisterSearch(q, boxes);
    benchmark::DoNotOptimize(q.readRows(0, 128));
  }
  Cursor all(s->engine);
  all.setTableName(QStringLiteral("ZWINGREG.DB"));
  all.setReadOnly(true);
  all.open();
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["breeders"] = static_cast<double>(all.recordCount());
}
BENCHMARK(BM_Register_Search)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The certificate for 12 animals: reading them, the work table and the page model.
void BM_Certificate_PageModel(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  lapiro::health::CertificateHeader header;
  header.zuechter = QStringLiteral("Heinrich Brandt, Am Mühlbach 7, 34369 Hofgeismar");
  header.impfung = QStringLiteral("RHD");
  header.impfdatum = QStringLiteral("30.10.2026");
  int pages = 0;
  for (auto _ : state) {
    lapiro::health::TImpfListe list;
    for (qint64 nr = 1001; nr <= 1012; ++nr)
      if (auto a = lapiro::health::readCertificateAnimal(s->engine, nr)) list.addAnimal(*a);
    lapiro::health::fillCertificateTable(s->engine, list);
    const auto model = lapiro::reports::layoutReport(lapiro::health::TReportImpfbescheinigung(header),
                                                     lapiro::health::certificateRows(list));
    lapiro::health::dropCertificateTable(s->engine);
    pages = model.pageCount();
  }
  state.counters["pages"] = pages;
}
BENCHMARK(BM_Certificate_PageModel)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The page model measures text with the application's fonts.
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The pedigree and the descendants on a demo stock: the 62 boxes with every item configured
// (show scores included), the certificate's page model, the direct-offspring list of the buck
// with the most offspring and the expansion of a tree node of the doe with the most offspring.
//
// Uses the data directory in $LAPIRO_BENCH_HOME (default /tmp/lapiro-big), created with
//   lapiro-install --home /tmp/lapiro-big --config-dir /tmp/lapiro-big-config --demo=100000
#include "card/pedigree.h"
#include "card/pedigree_certificate.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "lineage/descendants.h"
#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/messages.h"

#include <QDir>

#include <algorithm>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using lapiro::card::PedigreeBoxes;

struct Stock {
  lapiro::engine::Engine engine;
  lapiro::shell::tsysteminfo settings;
  std::unique_ptr<lapiro::store::MessageCatalogue> messages;
  std::unique_ptr<lapiro::store::TDatenStamm> module;
  bool ok = false;
  qint64 animal = 0;      // the animal with the fullest pedigree among a sample
  int filled = 0;         // its filled boxes
  qint64 buck = 0, doe = 0;
  qint64 buckOffspring = 0, doeOffspring = 0;

  Stock() {
    const QString home = qEnvironmentVariableIsEmpty("LAPIRO_BENCH_HOME") ? QStringLiteral("/tmp/lapiro-big")
                                                                          : qEnvironmentVariable("LAPIRO_BENCH_HOME");
    const QString data = home + QStringLiteral("/daten");
    if (!QDir(data).exists()) return;
    engine.setAlias(QStringLiteral("Hase"), data);
    messages = std::make_unique<lapiro::store::MessageCatalogue>(engine);
    messages->open();
    lapiro::store::setMessageCatalogue(messages.get());
    settings.System.Speichern = true;
    // Every item of the boxes.
    settings.Stammbaum.Anzeige = QStringLiteral(
        "Täto rechts,Täto links,Rasse,Farbe,Geschlecht,Wurfgröße,Züchter,Besitzer,Stallnummer,Bewertung,Erbformel,Körnote");
    settings.updateDerived();
    module = std::make_unique<lapiro::store::TDatenStamm>(engine, settings);
    module->open();

    auto& hasen = module->Hasen();
    hasen.last();
    for (int i = 0; i < 400 && !hasen.bof(); ++i, hasen.moveBy(-97)) {
      const PedigreeBoxes boxes =
          lapiro::card::buildPedigree(*module, hasen.field(QStringLiteral("Vater")).asInteger(),
                                      hasen.field(QStringLiteral("Mutter")).asInteger(), settings.AnzeigeReihenfolge);
      int n = 0;
      for (const auto& b : boxes) n += b.lines.isEmpty() ? 0 : 1;
      if (n > filled) {
        filled = n;
        animal = hasen.field(QStringLiteral("Nummer")).asInteger();
      }
    }
    auto most = [&](const QString& parent, qint64& who, qint64& count) {
      lapiro::engine::Query q(engine);
      q.setSql(QStringLiteral("SELECT %1, COUNT(*) AS n FROM \"Hasen.db\" WHERE %1 > 0 GROUP BY %1 ORDER BY n DESC")
                   .arg(parent));
      q.open();
      q.first();
      who = q.field(parent).asInteger();
      count = q.field(QStringLiteral("n")).asInteger();
    };
    most(QStringLiteral("Vater"), buck, buckOffspring);
    // The doe with the most offspring among those whose mother is recorded (the tree's root).
    lapiro::engine::Query q(engine);
    q.setSql(QStringLiteral("SELECT h.Mutter AS Doe, COUNT(*) AS n FROM \"Hasen.db\" h, \"Hasen.db\" m "
                            "WHERE m.Nummer = h.Mutter AND m.Mutter > 0 GROUP BY h.Mutter ORDER BY n DESC"));
    q.open();
    q.first();
    doe = q.field(QStringLiteral("Doe")).asInteger();
    doeOffspring = q.field(QStringLiteral("n")).asInteger();
    ok = animal > 0;
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

void BM_Pedigree_ShowWithEveryItem(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  s->module->gotoAnimal(s->animal);
  auto& h = s->module->Hasen();
  // Argument 1 leaves out the show scores (item 10), to see what they cost.
  lapiro::shell::PedigreeItemOrder order = s->settings.AnzeigeReihenfolge;
  if (state.range(0) == 1) std::replace(order.begin(), order.end(), 10, 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(lapiro::card::buildPedigree(*s->module, h.field(QStringLiteral("Vater")).asInteger(),
                                                         h.field(QStringLiteral("Mutter")).asInteger(), order));
  }
  state.counters["boxes"] = s->filled;
}
BENCHMARK(BM_Pedigree_ShowWithEveryItem)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Certificate_PageModel(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  s->module->gotoAnimal(s->animal);
  for (auto _ : state) {
    const lapiro::card::PedigreeCertificate c = lapiro::card::readPedigreeCertificate(*s->module, s->settings);
    benchmark::DoNotOptimize(lapiro::reports::layoutReport(
        lapiro::card::TReportAbstammungsnachweis(c, {QStringLiteral("Arial"), 0}), lapiro::reports::MemoryDataSource{}));
  }
}
BENCHMARK(BM_Certificate_PageModel)->Unit(benchmark::kMillisecond);

void BM_Descendants_DirectOffspring(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  size_t rows = 0;
  for (auto _ : state) rows = lapiro::lineage::readDirectOffspring(*s->module, s->buck, true).size();
  state.counters["offspring"] = static_cast<double>(rows);
}
BENCHMARK(BM_Descendants_DirectOffspring)->Unit(benchmark::kMillisecond);

void BM_Descendants_ExpandNode(benchmark::State& state) {
  Stock* s = openStock(state);
  if (!s) return;
  // The node of the doe with the most offspring, under her mother (or her father) as root.
  auto& h = s->module->Hasen();
  s->module->gotoAnimal(s->doe);
  const qint64 root = h.field(QStringLiteral("Mutter")).asInteger();
  lapiro::lineage::TDescendantTree tree(s->engine, h.tableName());
  if (!tree.open(root)) {
    state.SkipWithError("no doe with offspring and a recorded mother");
    return;
  }
  size_t children = 0;
  for (auto _ : state) {
    state.PauseTiming();
    tree.open(root);
    lapiro::lineage::DescendantNode* node = nullptr;
    for (auto& c : tree.root()->children)
      if (c->nummer == s->doe) node = c.get();
    state.ResumeTiming();
    tree.expand(node);
    children = node ? node->children.size() : 0;
  }
  state.counters["children"] = static_cast<double>(children);
}
BENCHMARK(BM_Descendants_ExpandNode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);  // the certificate measures its texts
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

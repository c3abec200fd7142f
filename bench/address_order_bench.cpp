// The address book's letter tabs over 10,000 addresses: choosing a tab applies its range on
// the name index, counts the addresses and reads the first screenful, as the window does.
// Argument 1: the name index in German order (as installed); 0: the former byte order.
#include "contacts/address_book.h"
#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "engine/engine.h"
#include "installer/installer.h"
#include "store/catalogue.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

namespace engine = lapiro::engine;

struct Book {
  QTemporaryDir dir;
  engine::Engine engine;

  explicit Book(bool german) {
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    const auto* t = lapiro::store::findTable(QStringLiteral("Adresse.db"));
    engine::TableDef layout = lapiro::store::currentLayout(*t);
    if (!german) layout = lapiro::store::olderLayout(*t);
    engine.createTable(t->fileName, layout);
    const QStringList stems{QStringLiteral("Müller"), QStringLiteral("Schäfer"), QStringLiteral("Böhm"),
                            QStringLiteral("Braun"),  QStringLiteral("König"),   QStringLiteral("Krüger"),
                            QStringLiteral("Übermuth"), QStringLiteral("Weiß"),  QStringLiteral("Zander"),
                            QStringLiteral("Özdemir"), QStringLiteral("Hoffmann"), QStringLiteral("Jäger"),
                            QStringLiteral("Fuchs"),  QStringLiteral("Graf"),    QStringLiteral("Ackermann"),
                            QStringLiteral("Vogel"),  QStringLiteral("Richter"), QStringLiteral("Neumann")};
    std::mt19937 random(7);
    lapiro::installer::TableLoader loader(engine, t->fileName);
    for (int i = 0; i < 10000; ++i) {
      const QString name = stems[static_cast<int>(random() % stems.size())] + QString::number(random() % 1000);
      loader.insert(QVariantMap{{QStringLiteral("Name"), name}, {QStringLiteral("Vorname"), QStringLiteral("Anna")}});
    }
    loader.commit();
  }
};

void BM_AddressLetterTabs(benchmark::State& state) {
  Book book(state.range(0) != 0);
  engine::Cursor c(book.engine);
  lapiro::contacts::configureAddressCursor(c);
  if (state.range(0) == 0) c.setExpectedFields({});
  c.open();
  engine::CursorModel model(&c);
  model.setColumns({{QStringLiteral("Name"), QStringLiteral("Name"), 20}});
  int tab = 0;
  for (auto _ : state) {
    // The range's reset notification makes the model count the addresses again.
    lapiro::contacts::applyLetterTab(c, tab);
    for (int row = 0; row < 40 && row < model.rowCount(); ++row) benchmark::DoNotOptimize(model.data(model.index(row, 0)));
    tab = (tab + 1) % 8;
  }
}
BENCHMARK(BM_AddressLetterTabs)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

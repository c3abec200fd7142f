// Mutated exchange files: whatever the bytes, reading never crashes, and a file that is read
// either imports completely or leaves the stock as it was, without dangling parent links.
#include "exchange/exchange_export.h"
#include "exchange/exchange_import.h"

#include "support/stock_fixture.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace lapiro;
using namespace lapiro::exchange;

namespace {

QByteArray mutate(QByteArray b, QRandomGenerator& rng) {
  static const QByteArray tokens[] = {"{", "}", "[", "]", "\"", ",", ":", "null", "-1e999", "\\u0000", "\"Sire\"",
                                      "\"Dam\"", "\"t1\"", "\"2025-02-30\"", "1e308", "\"Male\"", "99999999999999999999"};
  const int edits = 1 + rng.bounded(4);
  for (int k = 0; k < edits && !b.isEmpty(); ++k) {
    const int at = rng.bounded(static_cast<int>(b.size()));
    switch (rng.bounded(5)) {
      case 0: b[at] = static_cast<char>(rng.bounded(256)); break;
      case 1: b.remove(at, 1 + rng.bounded(16)); break;
      case 2: b.insert(at, tokens[rng.bounded(static_cast<int>(std::size(tokens)))]); break;
      case 3: b.insert(at, b.mid(rng.bounded(static_cast<int>(b.size())), 1 + rng.bounded(40))); break;
      default: {
        // Swap two quoted ids, which rewires the parentage.
        const int from = b.indexOf("\"t", at);
        const int to = b.indexOf("\"t", from + 2);
        if (from > 0 && to > 0) std::swap(b[from + 2], b[to + 2]);
      }
    }
  }
  return b;
}

}  // namespace

TEST(ExchangeFuzz, MutatedFilesAreRefusedOrImportedWhole) {
  test::StockDirectory seller;
  // Another breeder than the buyer (the fixture's own user), so that the imports write.
  seller.engine.execute(QStringLiteral("UPDATE \"eigen.DB\" SET Name = 'Brandt', Vorname = 'Karl'"));
  const qint64 breed = seller.add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Widder")}, {QStringLiteral("Code"), QStringLiteral("W")}});
  const qint64 adr = seller.add(QStringLiteral("Adresse"), {{QStringLiteral("Name"), QStringLiteral("Maaß")}});
  qint64 prev[2] = {0, 0};
  for (int i = 0; i < 12; ++i) {
    QVariantMap v{{QStringLiteral("Geschlecht"), i % 2 ? QStringLiteral("2") : QStringLiteral("1")},
                  {QStringLiteral("Rasse"), breed},
                  {QStringLiteral("Zuechter"), adr},
                  {QStringLiteral("Geburtstag"), QDate(2020, 1 + i, 1)}};
    if (prev[0]) v.insert(QStringLiteral("Vater"), prev[0]);
    if (prev[1]) v.insert(QStringLiteral("Mutter"), prev[1]);
    const qint64 n = seller.animal(QStringLiteral("F%1").arg(i), QStringLiteral("%1.0.%2").arg(1 + i % 12).arg(i), v);
    prev[i % 2] = n;
  }
  ExportOptions o;
  o.allAnimals = true;
  const QByteArray seed = writeExchange(collectExport(seller.engine, o), true);

  test::StockDirectory buyer;
  test::TempDir logs;
  QRandomGenerator rng(20261209);
  int refused = 0, imported = 0;
  const int cases = 400;
  for (int c = 0; c < cases; ++c) {
    const QByteArray bytes = mutate(seed, rng);
    const ReadResult r = readExchange(bytes);
    if (!r.file) {
      ASSERT_FALSE(r.error.isEmpty());
      ++refused;
      continue;
    }
    const qint64 before = buyer.rowCount(QStringLiteral("Hasen"));
    ImportOptions opt;
    opt.animalMode = MergeMode(c % 3);
    const ImportPlan plan = planImport(buyer.engine, *r.file, opt);
    const ImportResult done = runImport(buyer.engine, *r.file, plan, opt, logs.path(), QStringLiteral("fuzz"));
    ASSERT_TRUE(done.ok) << done.error.toStdString();
    ++imported;
    EXPECT_LE(buyer.rowCount(QStringLiteral("Hasen")), before + static_cast<qint64>(r.file->animals.size()));
  }
  // Every parent link of the buyer's stock points to an animal that exists.
  for (qint64 k = 1; k <= buyer.rowCount(QStringLiteral("Hasen")) + 50; ++k) {
    for (const char* f : {"Vater", "Mutter"}) {
      const qint64 p = buyer.stored(QStringLiteral("Hasen.db"), k, QString::fromLatin1(f)).toLongLong();
      if (p > 0) {
        EXPECT_TRUE(buyer.stored(QStringLiteral("Hasen.db"), p, QStringLiteral("Nummer")).isValid()) << k;
      }
    }
  }
  std::printf("exchange fuzz: %d cases, %d refused with a message, %d imported\n", cases, refused, imported);
  EXPECT_GT(refused, 0);
  EXPECT_GT(imported, 0);
}

// Weights typed into the litter and show tables: a point before three digits groups
// thousands ("1.500" g), any other point is refused with the hint to type a comma, and the
// stored value is the number of grams.
#include "engine/cursor.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

using test::StockDirectory;

// Appends a row to `table` with the typed weight `text` in `field`, as the windows' boxes
// and grid cells give it to the engine; returns the error message, empty when stored.
QString typeWeight(StockDirectory& stock, const QString& table, const QVariantMap& row, const QString& field,
                   const QString& text) {
  engine::Cursor c(stock.engine);
  c.setTableName(table);
  c.open();
  try {
    c.append();
    for (auto it = row.begin(); it != row.end(); ++it) c.field(it.key()).setValue(it.value());
    c.field(field).setString(text);
    c.post();
  } catch (const engine::EngineError& e) {
    c.cancel();
    return e.message();
  }
  return {};
}

TEST(TypedWeights, LitterAndShowWeightsReadTheThousandsPoint) {
  StockDirectory stock;
  const qint64 animal = stock.animal(QStringLiteral("A1"), QStringLiteral("1.5.1"));
  struct Case {
    const char16_t* table;
    QVariantMap row;
  };
  const Case cases[] = {
      {u"Jungtiere", {{QStringLiteral("Wurf"), 1}, {QStringLiteral("Datum"), QDate(2024, 4, 1)}}},
      {u"Ausstellung.db", {{QStringLiteral("Hase"), animal}, {QStringLiteral("Datum"), QDate(2024, 4, 1)}}},
  };
  for (const Case& c : cases) {
    const QString table = QString::fromUtf16(c.table);
    EXPECT_EQ(typeWeight(stock, table, c.row, QStringLiteral("Gewicht"), QStringLiteral("1.500")), QString()) << table.toStdString();
    EXPECT_EQ(typeWeight(stock, table, c.row, QStringLiteral("Gewicht"), QStringLiteral("900,5")), QString());
    EXPECT_EQ(typeWeight(stock, table, c.row, QStringLiteral("Gewicht"), QStringLiteral("1.5")),
              QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 1,5"));
    EXPECT_EQ(stock.rowCount(table), 2) << table.toStdString();
    EXPECT_DOUBLE_EQ(stock.stored(table, 1, QStringLiteral("Gewicht")).toDouble(), 1500.0) << table.toStdString();
    EXPECT_DOUBLE_EQ(stock.stored(table, 2, QStringLiteral("Gewicht")).toDouble(), 900.5) << table.toStdString();
  }
}

}  // namespace
}  // namespace lapiro::breeding

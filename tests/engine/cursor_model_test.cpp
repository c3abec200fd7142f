// The grid model over a cursor: lazy pages, positions, and following the data set.
#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "engine/engine.h"
#include "support/temp_dir.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace lapiro::engine;

namespace {

struct CursorModelTest : ::testing::Test {
  lapiro::test::TempDir dir;
  Engine engine;
  Cursor cursor{engine};
  void SetUp() override {
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    TableDef def;
    def.fields = {{QStringLiteral("Nummer"), FieldType::AutoInc, 0, false},
                  {QStringLiteral("Name"), FieldType::Alpha, 20, false},
                  {QStringLiteral("Preis"), FieldType::Money, 0, false}};
    def.indexes = {IndexDef::primaryKey(QStringLiteral("Nummer")),
                   IndexDef::fromList(QStringLiteral("NameIdx"), QStringLiteral("Name"))};
    engine.createTable(QStringLiteral("Liste"), def);
    cursor.setTableName(QStringLiteral("Liste"));
    cursor.open();
    // Names in reverse of their numbers, so the two orders differ.
    for (int i = 0; i < 1000; ++i) {
      cursor.append();
      cursor.field(QStringLiteral("Name")).setString(QStringLiteral("N%1").arg(999 - i, 4, 10, QLatin1Char('0')));
      cursor.field(QStringLiteral("Preis")).setMoney(Money::fromUnits(i * 100));
      cursor.post();
    }
    cursor.first();
  }
};

}  // namespace

TEST_F(CursorModelTest, ReadsRowsByPositionInTheCursorsOrder) {
  CursorModel model(&cursor);
  model.setColumns({{QStringLiteral("Name"), QStringLiteral("Name"), 10},
                    {QStringLiteral("Preis"), QStringLiteral("Preis"), 8}});
  EXPECT_EQ(model.rowCount(), 1000);
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Preis"));
  EXPECT_EQ(model.data(model.index(500, 0)).toString(), QStringLiteral("N0499"));
  EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("0,00"));
  EXPECT_EQ(model.data(model.index(999, 0)).toString(), QStringLiteral("N0000"));
  cursor.setIndexName(QStringLiteral("NameIdx"));
  EXPECT_EQ(model.data(model.index(500, 0)).toString(), QStringLiteral("N0500"));
  EXPECT_EQ(model.data(model.index(500, 1)).toString(), QStringLiteral("4,99"));
  EXPECT_FALSE(model.data(model.index(1000, 0)).isValid());

  // Pages read from either end, before or after a cached page, all agree with the order.
  CursorModel fresh(&cursor);
  fresh.setColumns({{QStringLiteral("Name"), QStringLiteral("Name"), 10}});
  for (int row : {999, 700, 300, 0})
    EXPECT_EQ(fresh.data(fresh.index(row, 0)).toString(), QStringLiteral("N%1").arg(row, 4, 10, QLatin1Char('0')));
  for (int row = 999; row >= 0; --row)
    ASSERT_EQ(fresh.data(fresh.index(row, 0)).toString(), QStringLiteral("N%1").arg(row, 4, 10, QLatin1Char('0')));
  for (int row = 0; row < 1000; row += 7)
    ASSERT_EQ(fresh.data(fresh.index(row, 0)).toString(), QStringLiteral("N%1").arg(row, 4, 10, QLatin1Char('0')));
}

TEST_F(CursorModelTest, MovesTheCursorAndFollowsItsChanges) {
  CursorModel model(&cursor);
  model.setColumns({{QStringLiteral("Name"), QStringLiteral("Name"), 10}});
  QSignalSpy moved(&model, &CursorModel::currentChanged);
  ASSERT_TRUE(model.moveTo(321));
  EXPECT_EQ(cursor.field(QStringLiteral("Nummer")).asInteger(), 322);
  EXPECT_EQ(model.currentRow(), 321);
  EXPECT_GE(moved.count(), 1);

  // Another cursor adds a record: the model grows.
  Cursor other(engine);
  other.setTableName(QStringLiteral("Liste"));
  other.open();
  other.append();
  other.field(QStringLiteral("Name")).setString(QStringLiteral("A"));
  other.post();
  EXPECT_EQ(model.rowCount(), 1001);
  // A filter narrows it.
  cursor.setFilter(QStringLiteral("Name < 'N0010'"));
  cursor.setFiltered(true);
  EXPECT_EQ(model.rowCount(), 11);
  cursor.close();
  EXPECT_EQ(model.rowCount(), 0);
}

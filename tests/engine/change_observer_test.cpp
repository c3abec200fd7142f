// The engine's change observers: every post and delete through any cursor names its record;
// changes of unknown extent name none.
#include "engine/cursor.h"
#include "engine/engine.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace lapiro::engine;

namespace {

TEST(ChangeObservers, HearEachPostAndDeleteWithItsRecordAndBulkChangesWithoutOne) {
  lapiro::test::TempDir dir;
  Engine engine;
  engine.setAlias(QStringLiteral("Hase"), dir.path());
  TableDef def;
  def.fields = {{QStringLiteral("Nummer"), FieldType::AutoInc, 0, false},
                {QStringLiteral("Name"), FieldType::Alpha, 20, false}};
  def.indexes = {IndexDef::primaryKey(QStringLiteral("Nummer"))};
  engine.createTable(QStringLiteral("Rasse.db"), def);

  std::vector<TableChange> heard;
  const int id = engine.addChangeObserver([&](const TableChange& c) { heard.push_back(c); });
  Cursor c(engine);
  c.setTableName(QStringLiteral("RASSE"));
  c.open();
  c.append();
  c.field(QStringLiteral("Name")).setString(QStringLiteral("Widder"));
  c.post();
  const qint64 nummer = c.field(QStringLiteral("Nummer")).asInteger();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].table->baseName(), QStringLiteral("Rasse"));
  EXPECT_EQ(heard[0].rowid, nummer);
  EXPECT_EQ(heard[0].previousRowid, nummer);
  EXPECT_FALSE(heard[0].deleted);

  // A changed integer key moves the record: the observer hears where it was.
  c.edit();
  c.field(QStringLiteral("Nummer")).setInteger(nummer + 40);
  c.post();
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[1].rowid, nummer + 40);
  EXPECT_EQ(heard[1].previousRowid, nummer);

  c.deleteRecord();
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_TRUE(heard[2].deleted);
  EXPECT_EQ(heard[2].rowid, nummer + 40);

  engine.tableChangedOutside(QStringLiteral("Rasse"));
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[3].rowid, -1);

  engine.removeChangeObserver(id);
  c.append();
  c.field(QStringLiteral("Name")).setString(QStringLiteral("Rex"));
  c.post();
  EXPECT_EQ(heard.size(), 4u);
}

}  // namespace

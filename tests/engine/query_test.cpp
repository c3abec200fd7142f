// SQL results: stored values kept packed until read, lookup and calculated fields computed
// per read, reading by position, and the grid model over a result.
#include "engine/query.h"

#include <gtest/gtest.h>

#include <limits>

#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "engine/engine.h"
#include "support/temp_dir.h"
#include "support/table_rows.h"

using namespace lapiro::engine;

namespace {

struct QueryTest : ::testing::Test {
  lapiro::test::TempDir dir;
  Engine engine;

  void SetUp() override {
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    TableDef werte;
    werte.fields = {{QStringLiteral("Nummer"), FieldType::AutoInc, 0, false},
                    {QStringLiteral("Name"), FieldType::Alpha, 20, false},
                    {QStringLiteral("Rasse"), FieldType::Long, 0, false},
                    {QStringLiteral("Zahl"), FieldType::Long, 0, false},
                    {QStringLiteral("Gewicht"), FieldType::Number, 0, false},
                    {QStringLiteral("Geboren"), FieldType::Date, 0, false},
                    {QStringLiteral("Info"), FieldType::Memo, 1, false},
                    {QStringLiteral("Bild"), FieldType::Graphic, 0, false}};
    werte.indexes = {IndexDef::primaryKey(QStringLiteral("Nummer"))};
    engine.createTable(QStringLiteral("Tiere.db"), werte);
    TableDef rasse;
    rasse.fields = {{QStringLiteral("Nummer"), FieldType::AutoInc, 0, false},
                    {QStringLiteral("Name"), FieldType::Alpha, 25, false}};
    rasse.indexes = {IndexDef::primaryKey(QStringLiteral("Nummer"))};
    engine.createTable(QStringLiteral("Rasse.db"), rasse);
  }

  qlonglong add(const QString& table, const QVariantMap& values) {
    return lapiro::test::addRow(engine, table, values);
  }

  void rename(const QString& table, qlonglong nummer, const QString& name) {
    Cursor c(engine);
    c.setTableName(table);
    c.open();
    ASSERT_TRUE(c.findKey({nummer}));
    c.edit();
    c.field(QStringLiteral("Name")).setString(name);
    c.post();
  }

  // Three animals with breeds; the names sort against their numbers.
  void addAnimals() {
    riesen = add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Riesen")}});
    widder = add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Widder")}});
    const std::pair<const char16_t*, qlonglong> animals[] = {
        {u"Cäsar", riesen}, {u"Bella", widder}, {u"Anton", riesen}};
    for (const auto& [name, breed] : animals)
      add(QStringLiteral("Tiere.db"),
          {{QStringLiteral("Name"), QString::fromUtf16(name)}, {QStringLiteral("Rasse"), breed}});
  }

  void addBreedLookup(Query& q) {
    q.addLookupField(QStringLiteral("RasseName"), FieldType::Alpha, 25, QStringLiteral("Rasse"),
                     QStringLiteral("Rasse.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  }

  static QStringList column(Query& q, const std::vector<DataSet::Row>& rows, const char16_t* field) {
    QStringList out;
    const int idx = q.fieldIndex(QString::fromUtf16(field));
    for (const auto& r : rows) out << r[static_cast<size_t>(idx)].toString();
    return out;
  }

  qlonglong riesen = 0, widder = 0;
};

}  // namespace

// Every kind of stored value comes back exactly as a table cursor reads it: integers of every
// width and sign, doubles, dates, umlauts, empty text, empty and large blobs. The large blob
// does not fit the rest of a storage chunk, so its row moves to a chunk of its own.
TEST_F(QueryTest, StoredValuesComeBackAsTheTableHoldsThem) {
  const QByteArray picture(300 * 1024, 'x');
  const std::vector<qlonglong> numbers = {0,
                                          -1,
                                          127,
                                          128,
                                          -128,
                                          -129,
                                          32767,
                                          32768,
                                          -32769,
                                          2147483647,
                                          2147483648LL,
                                          -2147483649LL,
                                          std::numeric_limits<qlonglong>::max(),
                                          std::numeric_limits<qlonglong>::min()};
  for (int round = 0; round < 40; ++round) {
    const qlonglong n = numbers[static_cast<size_t>(round) % numbers.size()];
    QVariantMap values{{QStringLiteral("Zahl"), n},
                       {QStringLiteral("Name"), QStringLiteral("Häsin %1").arg(round)},
                       {QStringLiteral("Gewicht"), round * 0.25 - 3.5},
                       {QStringLiteral("Geboren"), QDate(2025, 1, 1).addDays(round)}};
    if (round == 30) values.insert(QStringLiteral("Bild"), picture);
    if (round % 7 == 0) values.insert(QStringLiteral("Info"), QStringLiteral("Ärger mit Ölflecken"));
    add(QStringLiteral("Tiere.db"), values);
  }
  // Enough rows to fill several storage chunks, and what cursors never write: empty text and
  // a zero-length blob.
  engine.execute(
      QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                     "INSERT INTO \"Tiere.db\" (Name, Zahl, Gewicht) "
                     "SELECT 'Zeile ' || i, i * 7919 - 50000, i / 3.0 FROM n"),
      {});
  engine.execute(QStringLiteral("INSERT INTO \"Tiere.db\" (Name, Info, Bild) VALUES ('', '', X'')"), {});

  Query q(engine);
  q.setSql(QStringLiteral("SELECT * FROM \"Tiere.db\" ORDER BY Nummer"));
  q.open();
  Cursor c(engine);
  c.setTableName(QStringLiteral("Tiere.db"));
  c.open();
  ASSERT_EQ(q.recordCount(), 20041);
  const std::vector<DataSet::Row> rows = q.readRows(0, 30000);
  ASSERT_EQ(rows.size(), 20041u);
  size_t i = 0;
  for (c.first(); !c.eof(); c.next(), ++i) {
    for (int f = 0; f < c.fieldCount(); ++f) {
      const QVariant want = c.field(f).value();
      const QVariant have = rows[i][static_cast<size_t>(f)];
      ASSERT_EQ(have.metaType(), want.metaType()) << "row " << i << " field " << f;
      ASSERT_EQ(have, want) << "row " << i << " field " << f;
      ASSERT_EQ(have.isNull(), want.isNull()) << "row " << i << " field " << f;
    }
  }
  EXPECT_EQ(rows[30][7].toByteArray(), picture);
  EXPECT_EQ(rows.back()[1].toString(), QString());
  EXPECT_TRUE(rows.back()[7].toByteArray().isNull());
  EXPECT_EQ(rows[13][3].toLongLong(), std::numeric_limits<qlonglong>::min());
}

// Rows are read by position in any order; positions outside the result are left out, and
// each row carries its position as bookmark.
TEST_F(QueryTest, RowsAreReadByPositionInAnyOrder) {
  addAnimals();
  Query q(engine);
  q.setSql(QStringLiteral("SELECT Name FROM Tiere ORDER BY Name"));
  q.open();
  EXPECT_EQ(column(q, q.readRows(2, 5), u"Name"), QStringList{QStringLiteral("Cäsar")});
  EXPECT_EQ(column(q, q.readRows(0, 1), u"Name"), QStringList{QStringLiteral("Anton")});
  EXPECT_EQ(column(q, q.readRows(-1, 2), u"Name"), QStringList{QStringLiteral("Anton")});
  EXPECT_TRUE(q.readRows(3, 1).empty());
  EXPECT_TRUE(q.readRows(1, 0).empty());
  EXPECT_TRUE(q.readRows(1, -4).empty());

  const auto middle = q.readRows(1, 1);
  ASSERT_EQ(middle.size(), 1u);
  EXPECT_EQ(middle[0].back().toLongLong(), 1);
  ASSERT_TRUE(q.gotoBookmark(middle[0].back()));
  EXPECT_EQ(q.field(QStringLiteral("Name")).asString(), QStringLiteral("Bella"));
  EXPECT_EQ(q.recordNumber(), 1);
  q.refresh();
  EXPECT_EQ(q.field(QStringLiteral("Name")).asString(), QStringLiteral("Bella"));
  EXPECT_FALSE(q.gotoBookmark(QVariant(qlonglong{3})));

  // A closed result has no rows left to read.
  q.close();
  EXPECT_EQ(q.recordCount(), 0);
  EXPECT_TRUE(q.readRows(0, 3).empty());
  EXPECT_FALSE(q.gotoBookmark(QVariant(qlonglong{0})));
}

// Lookup fields belong to their own row whatever the order and whichever row is read first,
// and show the lookup table as it is when the row is read; the stored values stay as they
// were when the query opened.
TEST_F(QueryTest, LookupsFollowTheirRowAndTheLookupTableAtReadTime) {
  addAnimals();
  Query q(engine);
  addBreedLookup(q);
  q.setSql(QStringLiteral("SELECT * FROM Tiere ORDER BY Name"));
  q.open();
  EXPECT_EQ(q.field(QStringLiteral("RasseName")).asString(), QStringLiteral("Riesen"));
  EXPECT_EQ(column(q, q.readRows(1, 1), u"RasseName"), QStringList{QStringLiteral("Widder")});

  q.setSql(QStringLiteral("SELECT * FROM Tiere ORDER BY Name DESC"));
  q.open();
  EXPECT_EQ(column(q, q.readRows(2, 1), u"Name"), QStringList{QStringLiteral("Anton")});
  EXPECT_EQ(column(q, q.readRows(2, 1), u"RasseName"), QStringList{QStringLiteral("Riesen")});
  EXPECT_EQ(column(q, q.readRows(0, 3), u"RasseName"),
            (QStringList{QStringLiteral("Riesen"), QStringLiteral("Widder"), QStringLiteral("Riesen")}));

  rename(QStringLiteral("Rasse.db"), widder, QStringLiteral("Deutsche Widder"));
  rename(QStringLiteral("Tiere.db"), 2, QStringLiteral("Berta"));
  const auto rows = q.readRows(0, 3);
  EXPECT_EQ(
      column(q, rows, u"RasseName"),
      (QStringList{QStringLiteral("Riesen"), QStringLiteral("Deutsche Widder"), QStringLiteral("Riesen")}));
  EXPECT_EQ(column(q, rows, u"Name"),
            (QStringList{QStringLiteral("Cäsar"), QStringLiteral("Bella"), QStringLiteral("Anton")}));
  q.next();
  EXPECT_EQ(q.field(QStringLiteral("RasseName")).asString(), QStringLiteral("Deutsche Widder"));
}

// A lookup that cannot work fails open() when there is a row to compute, and leaves the
// query closed; an empty result opens.
TEST_F(QueryTest, AFailingLookupFailsOpenWhenThereIsARow) {
  Query q(engine);
  q.addLookupField(QStringLiteral("Fehlt"), FieldType::Alpha, 25, QStringLiteral("Rasse"),
                   QStringLiteral("Fehlt.db"), QStringLiteral("Nummer"), QStringLiteral("Name"));
  q.setSql(QStringLiteral("SELECT * FROM Tiere"));
  q.open();
  EXPECT_EQ(q.recordCount(), 0);
  q.close();
  addAnimals();
  EXPECT_THROW(q.open(), EngineError);
  EXPECT_FALSE(q.isOpen());
  EXPECT_EQ(q.recordCount(), 0);
}

// The grid over a result: a page whose rows cannot be computed shows empty cells instead of
// throwing into the view, and is read again once it can be.
TEST_F(QueryTest, GridShowsAnUnreadablePageEmptyAndRetriesIt) {
  addAnimals();
  Query q(engine);
  q.addCalculatedField(QStringLiteral("Anzeige"), FieldType::Alpha, 20);
  bool fail = false;
  q.events.onCalcFields = [&fail](DataSet& d) {
    if (fail) throw EngineError(EngineError::Kind::General, QStringLiteral("kaputt"));
    d.field(QStringLiteral("Anzeige")).setString(d.field(QStringLiteral("Name")).asString());
  };
  q.setSql(QStringLiteral("SELECT Name FROM Tiere ORDER BY Name"));
  q.open();
  CursorModel model(&q);
  model.setColumns({{QStringLiteral("Anzeige"), QStringLiteral("Anzeige"), 10}});
  fail = true;
  EXPECT_FALSE(model.data(model.index(1, 0)).isValid());
  fail = false;
  EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("Bella"));
}

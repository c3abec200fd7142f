// Table cursors on real SQLite files in a temporary data directory.
#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QImage>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace lapiro::engine;
using lapiro::test::TempDir;

namespace {

TableDef animalLayout() {
  TableDef def;
  def.fields = {{QStringLiteral("Nummer"), FieldType::AutoInc, 0, false},
                {QStringLiteral("TatoRechts"), FieldType::Alpha, 8, false},
                {QStringLiteral("TatoLinks"), FieldType::Alpha, 10, false},
                {QStringLiteral("Geschlecht"), FieldType::Alpha, 1, true},
                {QStringLiteral("Mutter"), FieldType::Long, 0, false},
                {QStringLiteral("Geburtstag"), FieldType::Date, 0, false},
                {QStringLiteral("Preis"), FieldType::Money, 0, false},
                {QStringLiteral("Gewicht"), FieldType::Number, 0, false},
                {QStringLiteral("Aktiv"), FieldType::Logical, 0, false},
                {QStringLiteral("Info"), FieldType::Memo, 1, false},
                {QStringLiteral("Bild"), FieldType::Graphic, 0, false},
                {QStringLiteral("Körnote"), FieldType::Short, 0, false}};
  def.indexes = {IndexDef::primaryKey(QStringLiteral("Nummer")),
                 IndexDef::fromList(QStringLiteral("Tato"), QStringLiteral("TatoRechts;TatoLinks;Geburtstag")),
                 IndexDef::fromList(QStringLiteral("IdxMutter"), QStringLiteral("Mutter;TatoLinks")),
                 IndexDef::fromList(QStringLiteral("GebAb"), QStringLiteral("Geburtstag"), true),
                 IndexDef::fromList(QStringLiteral("TatoCI"), QStringLiteral("TatoRechts"), false, true)};
  return def;
}

struct Fixture : ::testing::Test {
  TempDir dir;
  Engine engine;
  void SetUp() override {
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    engine.createTable(QStringLiteral("Hasen.db"), animalLayout());
  }
  // Appends an animal and returns its number.
  qlonglong add(Cursor& c, const QString& right, const QString& left, const QVariant& mother = {},
                const QDate& born = {}) {
    c.append();
    c.field(QStringLiteral("TatoRechts")).setString(right);
    c.field(QStringLiteral("TatoLinks")).setString(left);
    c.field(QStringLiteral("Geschlecht")).setString(QStringLiteral("1"));
    c.field(QStringLiteral("Mutter")).setValue(mother);
    c.field(QStringLiteral("Geburtstag")).setDate(born);
    c.post();
    return c.field(QStringLiteral("Nummer")).asInteger();
  }
  QStringList walk(Cursor& c, bool backwards = false) {
    QStringList out;
    if (backwards) {
      c.last();
      while (!c.bof()) {
        out << c.field(QStringLiteral("TatoRechts")).asString();
        c.prior();
      }
    } else {
      c.first();
      while (!c.eof()) {
        out << c.field(QStringLiteral("TatoRechts")).asString();
        c.next();
      }
    }
    return out;
  }
};

using NameResolution = Fixture;
using TypeRoundTrip = Fixture;
using Navigation = Fixture;
using SharedTable = Fixture;
using Filters = Fixture;
using MasterDetail = Fixture;
using Changes = Fixture;
using Notifications = Fixture;
using Structure = Fixture;
using Processes = Fixture;
using SqlQueries = Fixture;

}  // namespace

TEST_F(NameResolution, CaseAndExtensionDoNotMatter) {
  Cursor a(engine), b(engine), c(engine);
  a.setTableName(QStringLiteral("Hasen"));
  b.setTableName(QStringLiteral("Hasen.db"));
  c.setTableName(QStringLiteral("HASEN.DB"));
  a.open();
  b.open();
  c.open();
  EXPECT_EQ(a.table(), b.table());
  EXPECT_EQ(a.table(), c.table());
  add(a, QStringLiteral("R1"), QStringLiteral("1.25.1"));
  c.first();
  EXPECT_EQ(c.field(QStringLiteral("tatorechts")).asString(), QStringLiteral("R1"));

  // A file written in upper case on disk is found by any spelling.
  engine.createTable(QStringLiteral("Wurfbuch.DB"), animalLayout());
  EXPECT_TRUE(engine.tableExists(QStringLiteral("wurfbuch")));
  EXPECT_TRUE(QFile::exists(dir.file(QStringLiteral("Wurfbuch.DB"))));
  EXPECT_EQ(engine.resolve(QStringLiteral("WURFBUCH.db")), dir.file(QStringLiteral("Wurfbuch.DB")));
  EXPECT_FALSE(engine.tableExists(QStringLiteral("Nichtda")));

  Cursor missing(engine);
  missing.setTableName(QStringLiteral("Nichtda"));
  try {
    missing.open();
    FAIL() << "opened a missing table";
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::TableMissing);
  }
}

TEST_F(TypeRoundTrip, ValuesComeBackAsStored) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.open();
  c.append();
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("0012"));
  c.field(QStringLiteral("TatoLinks")).setString(QStringLiteral("ÄÖÜ-ß-12345678"));  // cut to 10
  c.field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
  c.field(QStringLiteral("Preis")).setString(QStringLiteral("12,34"));
  c.field(QStringLiteral("Gewicht")).setString(QStringLiteral("3,75"));
  c.field(QStringLiteral("Aktiv")).setBool(true);
  c.field(QStringLiteral("Geburtstag")).setString(QStringLiteral("01.03.2025"));
  const QString memo = QString(5000, u'x') + QStringLiteral(" Ende");
  c.field(QStringLiteral("Info")).setString(memo);
  c.field(QStringLiteral("Körnote")).setInteger(93);
  c.post();
  c.close();
  c.open();
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).value().typeId(), QMetaType::QString);
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("0012"));
  EXPECT_EQ(c.field(QStringLiteral("TatoLinks")).asString(), QStringLiteral("ÄÖÜ-ß-1234"));
  EXPECT_EQ(c.field(QStringLiteral("Preis")).asMoney().units(), 123400);
  EXPECT_EQ(c.field(QStringLiteral("Preis")).asString(), QStringLiteral("12,34"));
  EXPECT_DOUBLE_EQ(c.field(QStringLiteral("Gewicht")).asFloat(), 3.75);
  EXPECT_TRUE(c.field(QStringLiteral("Aktiv")).asBool());
  EXPECT_EQ(c.field(QStringLiteral("Geburtstag")).asDate(), QDate(2025, 3, 1));
  EXPECT_EQ(c.field(QStringLiteral("Geburtstag")).asString(), QStringLiteral("01.03.2025"));
  EXPECT_EQ(c.field(QStringLiteral("Info")).asString(), memo);
  EXPECT_EQ(c.field(QStringLiteral("Körnote")).asInteger(), 93);
  EXPECT_TRUE(c.field(QStringLiteral("Mutter")).isNull());
  EXPECT_TRUE(c.field(QStringLiteral("Bild")).isNull());

  // Bad input is refused with a German message and leaves the field as it was.
  c.edit();
  EXPECT_THROW(c.field(QStringLiteral("Geburtstag")).setString(QStringLiteral("31.02.2025")), EngineError);
  EXPECT_THROW(c.field(QStringLiteral("Körnote")).setString(QStringLiteral("abc")), EngineError);
  EXPECT_EQ(c.field(QStringLiteral("Körnote")).asInteger(), 93);
  c.cancel();

  // The stored value of the Alpha field is text, not the number 12.
  Query q(engine);
  q.setSql(QStringLiteral("SELECT typeof(TatoRechts) AS t, Preis FROM Hasen.db"));
  q.open();
  EXPECT_EQ(q.field(QStringLiteral("t")).asString(), QStringLiteral("text"));
  EXPECT_EQ(q.field(QStringLiteral("Preis")).asMoney().units(), 123400);
}

TEST_F(TypeRoundTrip, DatesSortChronologicallyAndPicturesLoad) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.open();
  add(c, QStringLiteral("A"), QStringLiteral("1"), {}, QDate(2025, 10, 5));
  add(c, QStringLiteral("B"), QStringLiteral("2"), {}, QDate(2025, 2, 9));
  add(c, QStringLiteral("C"), QStringLiteral("3"), {}, QDate(1998, 12, 31));
  add(c, QStringLiteral("D"), QStringLiteral("4"), {}, QDate());
  c.setIndexFieldNames(QStringLiteral("Geburtstag"));
  EXPECT_EQ(walk(c), (QStringList{QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));
  // The descending index puts the newest first and empty dates last.
  c.setIndexName(QStringLiteral("GebAb"));
  EXPECT_EQ(walk(c), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}));
  EXPECT_EQ(walk(c, true), (QStringList{QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));

  QImage img(4, 3, QImage::Format_RGB32);
  img.fill(Qt::red);
  const QString file = dir.file(QStringLiteral("bild.png"));
  ASSERT_TRUE(img.save(file));
  c.first();
  c.edit();
  c.field(QStringLiteral("Bild")).loadFromFile(file);
  EXPECT_THROW(c.field(QStringLiteral("Bild")).loadFromFile(dir.file(QStringLiteral("fehlt.jpg"))), EngineError);
  c.post();
  c.refresh();
  EXPECT_EQ(QImage::fromData(c.field(QStringLiteral("Bild")).asBytes()).size(), QSize(4, 3));
}

TEST_F(Navigation, EmptyTableAndBothEnds) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setIndexName(QStringLiteral("Tato"));
  c.open();
  EXPECT_TRUE(c.isEmpty());
  EXPECT_TRUE(c.bof());
  EXPECT_TRUE(c.eof());
  c.next();
  c.prior();
  c.last();
  EXPECT_TRUE(c.eof());
  EXPECT_EQ(c.moveBy(5), 0);
  EXPECT_EQ(c.recordCount(), 0);
  EXPECT_EQ(c.recordNumber(), -1);
  EXPECT_FALSE(c.bookmark().isValid());

  for (const char* t : {"C", "A", "E", "B", "D"}) add(c, QString::fromLatin1(t), QStringLiteral("1"));
  c.first();
  EXPECT_TRUE(c.bof());
  EXPECT_FALSE(c.eof());
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("A"));
  c.prior();
  EXPECT_TRUE(c.bof());
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("A"));
  c.last();
  EXPECT_TRUE(c.eof());
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("E"));
  c.next();
  EXPECT_TRUE(c.eof());
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("E"));
  c.first();
  EXPECT_EQ(c.moveBy(3), 3);
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("D"));
  EXPECT_EQ(c.recordNumber(), 3);
  EXPECT_EQ(c.moveBy(10), 1);
  EXPECT_TRUE(c.eof());
  EXPECT_EQ(c.moveBy(-2), 2);
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C"));
  EXPECT_EQ(c.moveBy(-10), 2);
  EXPECT_TRUE(c.bof());
  EXPECT_EQ(c.recordCount(), 5);

  c.findKey({QStringLiteral("C")});
  const QVariant mark = c.bookmark();
  c.first();
  ASSERT_TRUE(c.gotoBookmark(mark));
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C"));
  EXPECT_FALSE(c.findKey({QStringLiteral("X")}));
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C"));
  c.findNearest({QStringLiteral("BB")});
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C"));
  c.findNearest({QStringLiteral("Z")});
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("E"));

  // locate and lookup find by any fields; lookup does not move.
  EXPECT_TRUE(c.locate(QStringLiteral("TatoLinks;TatoRechts"), {QStringLiteral("1"), QStringLiteral("B")}));
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("B"));
  EXPECT_FALSE(c.locate(QStringLiteral("TatoRechts"), {QStringLiteral("Q")}));
  EXPECT_EQ(c.lookup(QStringLiteral("TatoRechts"), {QStringLiteral("D")}, QStringLiteral("TatoLinks")).toString(),
            QStringLiteral("1"));
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("B"));
  c.last();

  // Reading by position for grids does not move the cursor.
  const auto rows = c.readRows(1, 3);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][1].toString(), QStringLiteral("B"));
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("E"));
}

// A record being edited keeps its stored position until it is posted, whichever way its
// ordered fields were changed; grids find their edited row by it.
TEST_F(Navigation, ARecordBeingEditedKeepsItsPositionUntilPosted) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setIndexName(QStringLiteral("Tato"));
  c.open();
  for (const char* t : {"A", "C", "E"}) add(c, QString::fromLatin1(t), QStringLiteral("1"));
  ASSERT_TRUE(c.findKey({QStringLiteral("C")}));
  ASSERT_EQ(c.recordNumber(), 1);
  c.edit();
  c.field(QStringLiteral("TatoLinks")).setString(QStringLiteral("9"));  // second key field grows
  EXPECT_EQ(c.recordNumber(), 1);
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("Z"));  // would sort last
  EXPECT_EQ(c.recordNumber(), 1);
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("0"));  // would sort first
  EXPECT_EQ(c.recordNumber(), 1);
  c.post();
  EXPECT_EQ(c.recordNumber(), 0);  // posted: its new place
}

TEST_F(Navigation, DuplicateKeysAndEmptyKeysAreEachVisitedOnce) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setIndexName(QStringLiteral("IdxMutter"));
  c.open();
  // Many equal keys, some empty keys: keyset steps must neither skip nor repeat.
  for (int i = 0; i < 30; ++i)
    add(c, QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0')), i % 3 ? QStringLiteral("1") : QString(),
        i % 5 ? QVariant(qlonglong(i % 4)) : QVariant());
  QStringList fwd = walk(c);
  QStringList back = walk(c, true);
  std::reverse(back.begin(), back.end());
  EXPECT_EQ(fwd.size(), 30);
  EXPECT_EQ(fwd, back);
  fwd.removeDuplicates();
  EXPECT_EQ(fwd.size(), 30);
  // Empty mothers come first in the ascending order.
  c.first();
  EXPECT_TRUE(c.field(QStringLiteral("Mutter")).isNull());

  // Case-insensitive index: "a" and "A" sort together.
  Cursor ci(engine);
  ci.setTableName(QStringLiteral("Hasen"));
  ci.open();
  add(ci, QStringLiteral("b"), QStringLiteral("1"));
  add(ci, QStringLiteral("A"), QStringLiteral("1"));
  add(ci, QStringLiteral("a"), QStringLiteral("1"));
  ci.setIndexName(QStringLiteral("TatoCI"));
  ci.setRange({QStringLiteral("a")}, {QStringLiteral("b")});
  EXPECT_EQ(walk(ci).size(), 3);
  ci.cancelRange();
  EXPECT_THROW(ci.setIndexName(QStringLiteral("GibtEsNicht")), EngineError);
  EXPECT_EQ(ci.indexName(), QStringLiteral("TatoCI"));
}

TEST_F(Navigation, AWhollyDescendingFieldListIsTheExactReverseOfTheAscendingOrder) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setIndexFieldNames(QStringLiteral("Mutter;TatoLinks"));
  c.open();
  for (int i = 0; i < 30; ++i)
    add(c, QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0')), i % 3 ? QStringLiteral("1") : QString(),
        i % 5 ? QVariant(qlonglong(i % 4)) : QVariant());
  const QStringList ascending = walk(c);
  c.setIndexFieldNames(QStringLiteral("Mutter desc;TatoLinks DESC"));
  QStringList descending = walk(c);
  QStringList backwards = walk(c, true);
  std::reverse(backwards.begin(), backwards.end());
  EXPECT_EQ(descending, backwards);
  std::reverse(descending.begin(), descending.end());
  EXPECT_EQ(descending, ascending) << "equal keys too come in reverse: the rowid tiebreak is descending";
  // Rows from the middle, as a grid reads them.
  const auto rows = c.readRows(10, 5);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0][c.fieldIndex(QStringLiteral("TatoRechts"))].toString(), ascending[19]);
  // Empty mothers come last in the descending order.
  c.last();
  EXPECT_TRUE(c.field(QStringLiteral("Mutter")).isNull());
}

TEST_F(SharedTable, ChangesOfOtherCursorsAreSeen) {
  Cursor a(engine), b(engine);
  a.setTableName(QStringLiteral("Hasen"));
  b.setTableName(QStringLiteral("Hasen"));
  a.setIndexName(QStringLiteral("Tato"));
  b.setIndexName(QStringLiteral("Tato"));
  a.open();
  b.open();
  for (const char* t : {"A", "B", "C", "D"}) add(a, QString::fromLatin1(t), QStringLiteral("1"));
  b.findKey({QStringLiteral("B")});
  // Another cursor changes the record b stands on: b sees the new value.
  a.findKey({QStringLiteral("B")});
  a.edit();
  a.field(QStringLiteral("TatoLinks")).setString(QStringLiteral("9.9.9"));
  a.post();
  EXPECT_EQ(b.field(QStringLiteral("TatoLinks")).asString(), QStringLiteral("9.9.9"));
  // ... deletes it: b stands on the following record and steps on correctly.
  a.deleteRecord();
  EXPECT_EQ(b.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C"));
  b.prior();
  EXPECT_EQ(b.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("A"));
  // ... inserts before and after: b's steps include the new records.
  add(a, QStringLiteral("AA"), QStringLiteral("1"));
  b.next();
  EXPECT_EQ(b.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("AA"));
  EXPECT_EQ(b.recordCount(), 4);

  // Records read ahead by a forward scan do not hide a record inserted meanwhile.
  b.first();
  b.next();
  b.next();
  EXPECT_EQ(b.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C"));
  add(a, QStringLiteral("CA"), QStringLiteral("1"));
  b.next();
  EXPECT_EQ(b.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("CA"));
  b.next();
  EXPECT_EQ(b.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("D"));
  b.next();
  EXPECT_TRUE(b.eof());
}

TEST_F(Filters, ExpressionsLimitTheVisitedRecords) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setIndexName(QStringLiteral("Tato"));
  c.open();
  add(c, QStringLiteral("A"), QStringLiteral("1"), 5, QDate(2025, 3, 1));
  add(c, QStringLiteral("B"), QStringLiteral("1"), 5, QDate(2025, 3, 2));
  add(c, QStringLiteral("C"), QStringLiteral("1"), 6, QDate(2025, 3, 1));
  c.setFilter(QStringLiteral("(Mutter=5)and(Geburtstag='01.03.2025')"));
  c.setFiltered(true);
  EXPECT_EQ(walk(c), QStringList{QStringLiteral("A")});
  EXPECT_EQ(c.recordCount(), 1);
  c.setFilter(QStringLiteral("Mutter=5 OR Mutter=6"));
  EXPECT_EQ(c.recordCount(), 3);
  c.setFilter(QStringLiteral("TatoRechts = '\" OR 1=1 --'"));
  EXPECT_EQ(c.recordCount(), 0);
  EXPECT_THROW(c.setFilter(QStringLiteral("(Mutter=5")), EngineError);
  c.setFiltered(false);
  EXPECT_EQ(c.recordCount(), 3);
}

TEST_F(MasterDetail, DetailFollowsTheMaster) {
  Cursor master(engine), detail(engine);
  master.setTableName(QStringLiteral("Hasen"));
  master.setIndexName(QStringLiteral("Tato"));
  master.open();
  const qlonglong mom1 = add(master, QStringLiteral("M1"), QStringLiteral("1"));
  const qlonglong mom2 = add(master, QStringLiteral("M2"), QStringLiteral("1"));
  add(master, QStringLiteral("K1"), QStringLiteral("1"), mom1);
  add(master, QStringLiteral("K2"), QStringLiteral("2"), mom1);
  add(master, QStringLiteral("K3"), QStringLiteral("3"), mom2);

  detail.setTableName(QStringLiteral("Hasen"));
  detail.setIndexName(QStringLiteral("IdxMutter"));
  detail.setMaster(&master, QStringLiteral("Nummer"));
  detail.open();
  master.findKey({QStringLiteral("M1")});
  EXPECT_EQ(walk(detail), (QStringList{QStringLiteral("K1"), QStringLiteral("K2")}));
  master.findKey({QStringLiteral("M2")});
  EXPECT_EQ(walk(detail), QStringList{QStringLiteral("K3")});
  master.findKey({QStringLiteral("K3")});
  EXPECT_TRUE(detail.isEmpty());
  // A new detail record receives the master's key.
  master.findKey({QStringLiteral("M2")});
  detail.append();
  detail.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("K4"));
  detail.field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
  detail.post();
  EXPECT_EQ(detail.field(QStringLiteral("Mutter")).asInteger(), mom2);
  EXPECT_EQ(detail.recordCount(), 2);
  // A master being entered has no key yet: the detail shows nothing.
  master.append();
  EXPECT_TRUE(detail.isEmpty());
  master.cancel();
  EXPECT_EQ(detail.recordCount(), 2);
}

TEST_F(MasterDetail, PendingDetailChangesAreSavedBeforeTheMasterMoves) {
  Cursor master(engine);
  master.setTableName(QStringLiteral("Hasen"));
  master.setIndexName(QStringLiteral("Tato"));
  master.open();
  const qlonglong mom = add(master, QStringLiteral("M1"), QStringLiteral("1"));
  add(master, QStringLiteral("M2"), QStringLiteral("1"));
  add(master, QStringLiteral("K1"), QStringLiteral("1"), mom);
  auto detail = std::make_unique<Cursor>(engine);
  detail->setTableName(QStringLiteral("Hasen"));
  detail->setIndexName(QStringLiteral("IdxMutter"));
  detail->setMaster(&master, QStringLiteral("Nummer"));
  detail->open();
  master.findKey({QStringLiteral("M1")});
  bool refuse = true;
  detail->events.beforePost = [&](DataSet&) {
    if (refuse) throw Abort();
  };
  detail->edit();
  detail->field(QStringLiteral("TatoLinks")).setString(QStringLiteral("9"));
  // The detail's rule refuses the save: the master stays where it is, nothing is lost.
  EXPECT_THROW(master.next(), Abort);
  EXPECT_EQ(master.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("M1"));
  EXPECT_EQ(detail->state(), DataSetState::Edit);
  refuse = false;
  master.next();
  EXPECT_EQ(master.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("M2"));
  master.findKey({QStringLiteral("K1")});
  EXPECT_EQ(master.field(QStringLiteral("TatoLinks")).asString(), QStringLiteral("9"));

  // A master destroyed before its detail leaves the detail usable, not dangling.
  {
    Cursor shortLived(engine);
    shortLived.setTableName(QStringLiteral("Hasen"));
    shortLived.open();
    detail->setMaster(&shortLived, QStringLiteral("Nummer"));
  }
  detail->first();
  detail.reset();
}

TEST_F(Changes, RefreshReadsChangesMadeOutsideTheEngine) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.open();
  add(c, QStringLiteral("A"), QStringLiteral("1"));
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(dir.file(QStringLiteral("Hasen.db")).toUtf8().constData(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "UPDATE Hasen SET TatoLinks = '7.25.1'", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(raw);
  c.refresh();
  EXPECT_EQ(c.field(QStringLiteral("TatoLinks")).asString(), QStringLiteral("7.25.1"));
}

TEST_F(Changes, AutoIncRequiredFieldsAndCancel) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.open();
  const qlonglong first = add(c, QStringLiteral("A"), QStringLiteral("1"));
  const qlonglong second = add(c, QStringLiteral("B"), QStringLiteral("1"));
  EXPECT_GT(first, 0);
  EXPECT_EQ(second, first + 1);
  // Numbers are never reused, even after the last record is deleted.
  c.deleteRecord();
  const qlonglong third = add(c, QStringLiteral("C"), QStringLiteral("1"));
  EXPECT_EQ(third, second + 1);

  c.append();
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("ohne Geschlecht"));
  try {
    c.post();
    FAIL() << "posted without a required field";
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::RequiredField);
    EXPECT_EQ(e.detail(), QStringLiteral("Geschlecht"));
  }
  EXPECT_EQ(c.state(), DataSetState::Insert);
  c.cancel();
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C"));
  EXPECT_EQ(c.recordCount(), 2);

  // Setting a field outside edit mode is refused; an edit that changes nothing writes nothing.
  EXPECT_THROW(c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("X")), EngineError);
  c.edit();
  EXPECT_FALSE(c.modified());
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("C"));
  EXPECT_FALSE(c.modified());
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("C2"));
  EXPECT_TRUE(c.modified());
  // Moving away posts the pending change.
  c.first();
  EXPECT_TRUE(c.findKey({third}));
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C2"));

  // Read-only cursors refuse changes.
  Cursor ro(engine);
  ro.setTableName(QStringLiteral("Hasen"));
  ro.setReadOnly(true);
  ro.open();
  EXPECT_THROW(ro.edit(), EngineError);
  c.emptyTable();
  EXPECT_EQ(ro.recordCount(), 0);
}

TEST_F(Notifications, RulesRunAndAbortSilently) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.addCalculatedField(QStringLiteral("Anzeige"), FieldType::Alpha, 30);
  c.addLookupField(QStringLiteral("MutterTato"), FieldType::Alpha, 8, QStringLiteral("Mutter"), QStringLiteral("Hasen"),
                   QStringLiteral("Nummer"), QStringLiteral("TatoRechts"));
  QStringList log;
  c.events.onCalcFields = [](DataSet& ds) {
    ds.field(QStringLiteral("Anzeige"))
        .setString(ds.field(QStringLiteral("TatoRechts")).asString() + QStringLiteral("  ") +
                   ds.field(QStringLiteral("TatoLinks")).asString());
  };
  c.events.afterScroll = [&](DataSet&) { log << QStringLiteral("scroll"); };
  c.events.beforePost = [&](DataSet& ds) {
    log << QStringLiteral("beforePost");
    if (ds.field(QStringLiteral("TatoRechts")).asString() == u"NEIN") throw Abort();
  };
  c.events.afterPost = [&](DataSet&) { log << QStringLiteral("afterPost"); };
  c.events.onFieldChange = [&](DataSet&, const QString& f) { log << QStringLiteral("change ") + f; };
  c.open();
  const qlonglong mom = add(c, QStringLiteral("M"), QStringLiteral("1.25.3"));
  add(c, QStringLiteral("K"), QStringLiteral("2.25.1"), mom);
  EXPECT_EQ(c.field(QStringLiteral("Anzeige")).asString(), QStringLiteral("K  2.25.1"));
  EXPECT_EQ(c.field(QStringLiteral("MutterTato")).asString(), QStringLiteral("M"));
  EXPECT_TRUE(log.contains(QStringLiteral("change TatoRechts")));
  EXPECT_EQ(log.count(QStringLiteral("afterPost")), 2);

  log.clear();
  c.edit();
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("NEIN"));
  EXPECT_THROW(c.post(), Abort);
  EXPECT_EQ(c.state(), DataSetState::Edit);
  EXPECT_EQ(log.count(QStringLiteral("afterPost")), 0);
  c.cancel();
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("K"));

  // Lookup fields follow a change of the looked-up record and an empty key gives nothing.
  c.first();
  c.edit();
  c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("M2"));
  c.post();
  c.last();
  EXPECT_EQ(c.field(QStringLiteral("MutterTato")).asString(), QStringLiteral("M2"));
  c.first();
  EXPECT_TRUE(c.field(QStringLiteral("MutterTato")).isNull());
  log.clear();
  c.next();
  EXPECT_EQ(log, QStringList{QStringLiteral("scroll")});
}

TEST_F(Structure, IndexesFieldsAndTables) {
  auto idx = engine.indexes(QStringLiteral("Hasen"));
  ASSERT_GE(idx.size(), 5u);
  EXPECT_TRUE(idx[0].primary);
  EXPECT_EQ(idx[1].name, QStringLiteral("Tato"));
  EXPECT_EQ(idx[1].fieldNames(), (QStringList{QStringLiteral("TatoRechts"), QStringLiteral("TatoLinks"),
                                              QStringLiteral("Geburtstag")}));
  const TableDef def = engine.tableDef(QStringLiteral("hasen.db"));
  EXPECT_TRUE(def.index(QStringLiteral("GebAb"))->fields[0].descending);
  EXPECT_TRUE(def.index(QStringLiteral("TatoCI"))->fields[0].caseInsensitive);
  EXPECT_EQ(def.field(QStringLiteral("Nummer"))->type, FieldType::AutoInc);
  EXPECT_EQ(def.field(QStringLiteral("TatoLinks"))->size, 10);
  EXPECT_TRUE(def.field(QStringLiteral("Geschlecht"))->required);

  engine.addIndex(QStringLiteral("Hasen"), IndexDef::fromList(QStringLiteral("Neu"), QStringLiteral("Körnote;Nummer")));
  EXPECT_NE(engine.tableDef(QStringLiteral("Hasen")).index(QStringLiteral("neu")), nullptr);
  EXPECT_THROW(engine.addIndex(QStringLiteral("Hasen"), IndexDef::fromList(QStringLiteral("Neu"), QStringLiteral("Nummer"))),
               EngineError);
  engine.deleteIndex(QStringLiteral("Hasen"), QStringLiteral("Neu"));
  EXPECT_EQ(engine.tableDef(QStringLiteral("Hasen")).index(QStringLiteral("Neu")), nullptr);

  // Several ADDs in one statement, then a DROP of an indexed field.
  engine.execute(QStringLiteral("ALTER TABLE \"Hasen.db\" ADD  Kreis CHAR(50),ADD Art date"));
  const TableDef after = engine.tableDef(QStringLiteral("Hasen"));
  ASSERT_NE(after.field(QStringLiteral("Kreis")), nullptr);
  EXPECT_EQ(after.field(QStringLiteral("Kreis"))->size, 50);
  EXPECT_EQ(after.field(QStringLiteral("Art"))->type, FieldType::Date);
  engine.execute(QStringLiteral("ALTER TABLE \"Hasen.db\" DROP TatoLinks"));
  EXPECT_EQ(engine.tableDef(QStringLiteral("Hasen")).field(QStringLiteral("TatoLinks")), nullptr);
  EXPECT_EQ(engine.tableDef(QStringLiteral("Hasen")).index(QStringLiteral("Tato")), nullptr);

  // A cursor expecting a field that is missing fails with the field's name.
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setExpectedFields({QStringLiteral("TatoLinks")});
  try {
    c.open();
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::FieldMissing);
    EXPECT_EQ(e.detail(), QStringLiteral("TatoLinks"));
  }
  // Structure changes need the table closed; deleting a closed table removes its file.
  Cursor open(engine);
  open.setTableName(QStringLiteral("Hasen"));
  open.open();
  EXPECT_THROW(engine.deleteTable(QStringLiteral("Hasen")), EngineError);
  open.close();
  engine.deleteTable(QStringLiteral("Hasen"));
  EXPECT_FALSE(engine.tableExists(QStringLiteral("Hasen")));
}

TEST_F(Structure, DamagedFileIsReportedNotCrashed) {
  QFile f(dir.file(QStringLiteral("Kaputt.db")));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(4096, 'x'));
  f.close();
  Cursor c(engine);
  c.setTableName(QStringLiteral("Kaputt"));
  try {
    c.open();
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::TableDamaged);
  }
  EXPECT_FALSE(c.isOpen());
}

TEST_F(Processes, ExclusiveOpenIsRefusedWhileAnotherProcessReads) {
  int ready[2];
  int quit[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(quit), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    Engine other;
    other.setAlias(QStringLiteral("Hase"), dir.path());
    Cursor c(other);
    c.setTableName(QStringLiteral("Hasen"));
    c.open();
    char b = 1;
    (void)!write(ready[1], &b, 1);
    (void)!read(quit[0], &b, 1);
    _exit(0);
  }
  char b = 0;
  ASSERT_EQ(read(ready[0], &b, 1), 1);
  Cursor ex(engine);
  ex.setTableName(QStringLiteral("Hasen"));
  ex.setExclusive(true);
  try {
    ex.open();
    FAIL() << "exclusive open while another process reads";
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::Locked);
  }
  EXPECT_THROW(engine.addField(QStringLiteral("Hasen"), FieldDef{QStringLiteral("X"), FieldType::Long, 0, false}),
               EngineError);
  (void)!write(quit[1], &b, 1);
  int status = 0;
  waitpid(pid, &status, 0);
  ex.open();  // free again
  EXPECT_TRUE(ex.isOpen());
  // And a shared open is refused while this process holds the table exclusively.
  Cursor shared(engine);
  shared.setTableName(QStringLiteral("Hasen"));
  EXPECT_THROW(shared.open(), EngineError);
}

TEST_F(Processes, KilledWriterLosesNoPostedRecord) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    Engine other;
    other.setAlias(QStringLiteral("Hase"), dir.path());
    Cursor c(other);
    c.setTableName(QStringLiteral("Hasen"));
    c.open();
    for (int i = 0; i < 20; ++i) {
      c.append();
      c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("K%1").arg(i));
      c.field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
      c.post();
    }
    char b = 1;
    (void)!write(ready[1], &b, 1);
    c.append();  // a record being entered when the process dies
    c.field(QStringLiteral("TatoRechts")).setString(QStringLiteral("offen"));
    for (;;) pause();
  }
  char b = 0;
  ASSERT_EQ(read(ready[0], &b, 1), 1);
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.open();
  EXPECT_EQ(c.recordCount(), 20);
  c.last();
  EXPECT_EQ(c.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("K19"));
}

TEST_F(SqlQueries, ParametersJoinsAndDuplicateColumns) {
  Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.open();
  const qlonglong mom = add(c, QStringLiteral("Mü"), QStringLiteral("1.24.1"), {}, QDate(2024, 1, 1));
  add(c, QStringLiteral("K1"), QStringLiteral("3.25.1"), mom, QDate(2025, 3, 1));
  add(c, QStringLiteral("K2"), QStringLiteral("3.25.2"), mom, QDate(2025, 3, 1));
  add(c, QStringLiteral("\" OR 1--"), QStringLiteral("x"), {}, QDate(2025, 6, 1));

  Query q(engine);
  q.setSql(QStringList{QStringLiteral("SELECT b.TatoRechts,a.TatoRechts,a.Geburtstag"),
                       QStringLiteral("FROM Hasen.db a,Hasen.db b"),
                       QStringLiteral("WHERE (a.Mutter=b.Nummer) and (a.Geburtstag>=:Von)"),
                       QStringLiteral("ORDER BY a.TatoRechts")});
  q.setParam(QStringLiteral("Von"), QDate(2025, 1, 1));
  q.open();
  EXPECT_EQ(q.recordCount(), 2);
  EXPECT_EQ(q.field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("Mü"));
  EXPECT_EQ(q.field(QStringLiteral("TatoRechts_1")).asString(), QStringLiteral("K1"));
  EXPECT_EQ(q.field(QStringLiteral("Geburtstag")).asDate(), QDate(2025, 3, 1));
  q.next();
  EXPECT_EQ(q.field(QStringLiteral("TatoRechts_1")).asString(), QStringLiteral("K2"));
  q.next();
  EXPECT_TRUE(q.eof());
  EXPECT_THROW(q.edit(), EngineError);

  // A parameter is searched as text, never read as SQL.
  Query p(engine);
  p.setSql(QStringLiteral("SELECT * FROM \"Hasen.db\" WHERE TatoRechts = :T"));
  p.setParam(QStringLiteral("T"), QStringLiteral("\" OR 1--"));
  p.open();
  EXPECT_EQ(p.recordCount(), 1);
  p.close();
  p.setParam(QStringLiteral("T"), QStringLiteral("' OR '1'='1"));
  p.open();
  EXPECT_EQ(p.recordCount(), 0);

  // UPPER knows umlauts; LIKE compares case as typed.
  Query u(engine);
  u.setSql(QStringLiteral("SELECT TatoRechts FROM Hasen WHERE UPPER(TatoRechts) like UPPER(:X)"));
  u.setParam(QStringLiteral("X"), QStringLiteral("mü%"));
  u.open();
  EXPECT_EQ(u.recordCount(), 1);
  Query l(engine);
  l.setSql(QStringLiteral("SELECT TatoRechts FROM Hasen WHERE TatoRechts like 'k%'"));
  l.open();
  EXPECT_EQ(l.recordCount(), 0);

  EXPECT_THROW(
      {
        Query bad(engine);
        bad.setSql(QStringLiteral("SELECT * FROM Nirgends.db"));
        bad.open();
      },
      EngineError);
}

namespace lapiro::engine {
namespace {

QStringList namesInOrder(Cursor& c, bool backwards = false) {
  QStringList out;
  if (backwards) {
    for (c.last(); !c.bof(); c.prior()) out.prepend(c.field(QStringLiteral("Name")).asString());
  } else {
    for (c.first(); !c.eof(); c.next()) out << c.field(QStringLiteral("Name")).asString();
  }
  return out;
}

}  // namespace

// An index in German order sorts, steps, finds and ranges by DIN 5007-1, survives a re-read
// of the file's definition, and the file stays readable and writable by a plain SQLite
// connection that knows none of the engine's functions.
TEST(GermanOrder, IndexSortsTheGermanWayAndOtherToolsCanWriteTheFile) {
  test::TempDir dir;
  Engine engine;
  engine.setAlias(QStringLiteral("Hase"), dir.path());
  TableDef def;
  def.name = QStringLiteral("Leute");
  def.fields = {{QStringLiteral("Nr"), FieldType::AutoInc}, {QStringLiteral("Name"), FieldType::Alpha, 30}};
  def.indexes = {IndexDef::primaryKey(QStringLiteral("Nr")),
                 IndexDef::fromList(QStringLiteral("NameIdx"), QStringLiteral("Name"))
                     .withGermanOrder({QStringLiteral("Name")})};
  engine.createTable(QStringLiteral("Leute.db"), def);
  const TableDef storedDef = engine.tableDef(QStringLiteral("Leute"));  // index() points into it
  const IndexDef* stored = storedDef.index(QStringLiteral("NameIdx"));
  ASSERT_NE(stored, nullptr);
  ASSERT_EQ(stored->fields.size(), 1u);
  EXPECT_EQ(stored->fields[0].name, QStringLiteral("Name"));
  EXPECT_TRUE(stored->fields[0].german);

  Cursor c(engine);
  c.setTableName(QStringLiteral("Leute"));
  c.setIndexName(QStringLiteral("NameIdx"));
  c.open();
  for (const char16_t* n : {u"Schulze", u"Braun", u"Krüger", u"Böhm", u"könig", u"Schäfer", u"Strauß", u"Straub",
                            u"Élise", u"Ebert", u"Zander"}) {
    c.append();
    c.field(QStringLiteral("Name")).setString(QString::fromUtf16(n));
    c.post();
  }
  const QStringList expected{QStringLiteral("Böhm"),   QStringLiteral("Braun"),   QStringLiteral("Ebert"),
                             QStringLiteral("Élise"),  QStringLiteral("könig"),   QStringLiteral("Krüger"),
                             QStringLiteral("Schäfer"), QStringLiteral("Schulze"), QStringLiteral("Straub"),
                             QStringLiteral("Strauß"), QStringLiteral("Zander")};
  EXPECT_EQ(namesInOrder(c), expected);
  EXPECT_EQ(namesInOrder(c, true), expected);
  c.setRange({QStringLiteral("K")}, {QStringLiteral("K") + QChar(0xFFFF)});
  EXPECT_EQ(namesInOrder(c), (QStringList{QStringLiteral("könig"), QStringLiteral("Krüger")}));
  c.cancelRange();
  ASSERT_TRUE(c.findKey({QStringLiteral("KÖNIG")}));
  EXPECT_EQ(c.field(QStringLiteral("Name")).asString(), QStringLiteral("könig"));
  c.findNearest({QStringLiteral("Sd")});
  EXPECT_EQ(c.field(QStringLiteral("Name")).asString(), QStringLiteral("Straub"));
  c.close();

  // Another tool: a bare connection inserts, queries through the index and checks the file.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(dir.file(QStringLiteral("Leute.db"))).constData(), &db,
                            SQLITE_OPEN_READWRITE, nullptr),
            SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, "INSERT INTO Leute (Name) VALUES ('Übel')", nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "");
  sqlite3_free(error);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok");
  sqlite3_finalize(st);
  sqlite3_close(db);

  c.open();
  EXPECT_EQ(namesInOrder(c).indexOf(QStringLiteral("Übel")), expected.indexOf(QStringLiteral("Strauß")) + 1);
}

TEST(GermanOrder, SortKeyFoldsUmlautsSharpSAndCase) {
  EXPECT_EQ(germanSortKey(QStringLiteral("Übermuth")), QStringLiteral("ubermuth"));
  EXPECT_EQ(germanSortKey(QStringLiteral("Straße")), germanSortKey(QStringLiteral("STRASSE")));
  EXPECT_LT(germanSortKey(QStringLiteral("Böhm")), germanSortKey(QStringLiteral("Braun")));
}

}  // namespace lapiro::engine

namespace lapiro::engine {

// Random bytes in one data page: the failure names the table and the way out, and a list
// over the table still shows every row that can be read.
TEST(DamagedTable, ErrorsNameTheTableAndTheListShowsWhatIsReadable) {
  test::TempDir dir;
  Engine engine;
  engine.setAlias(QStringLiteral("Hase"), dir.path());
  TableDef def;
  def.name = QStringLiteral("Viele");
  def.fields = {{QStringLiteral("Nr"), FieldType::AutoInc}, {QStringLiteral("Text"), FieldType::Alpha, 200}};
  def.indexes = {IndexDef::primaryKey(QStringLiteral("Nr"))};
  engine.createTable(QStringLiteral("Viele.db"), def);
  const QByteArray path = QFile::encodeName(dir.file(QStringLiteral("Viele.db")));
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                           "INSERT INTO Viele (Text) SELECT printf('%0150d', i) FROM n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  {
    QFile f(dir.file(QStringLiteral("Viele.db")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_GT(f.size(), 40 * 4096);
    f.seek(30 * 4096);
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    f.write(noise);
  }
  Cursor c(engine);
  c.setTableName(QStringLiteral("Viele"));
  c.open();
  try {
    for (c.first(); !c.eof(); c.next()) {
    }
    FAIL() << "the damaged page was read";
  } catch (const EngineError& e) {
    EXPECT_EQ(e.kind(), EngineError::Kind::TableDamaged);
    EXPECT_EQ(e.detail(), QStringLiteral("Viele.db"));
    EXPECT_TRUE(e.message().contains(QStringLiteral("Viele.db")));
    EXPECT_TRUE(e.message().contains(QStringLiteral("Indexrekonstruktion")));
  }

  CursorModel model(&c);
  model.setColumns({{QStringLiteral("Text"), QStringLiteral("Text"), 10}});
  // Only the rows of the damaged page are missing, and no row shows empty.
  EXPECT_GT(model.rowCount(), 1900);
  EXPECT_LT(model.rowCount(), 2000);
  for (int row = 0; row < model.rowCount(); ++row)
    ASSERT_TRUE(model.data(model.index(row, 0)).isValid()) << row;
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("%1").arg(1, 150, 10, QChar(u'0')));
  EXPECT_EQ(model.data(model.index(model.rowCount() - 1, 0)).toString(), QStringLiteral("%1").arg(2000, 150, 10, QChar(u'0')));
}

}  // namespace lapiro::engine

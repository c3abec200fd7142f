// The keyword search index on real table files: folding, prefixes, ranking, following the
// engine's changes, the index rebuild and typed text that looks like query syntax.
#include "store/keyword_index.h"

#include "engine/cursor.h"
#include "store/catalogue.h"
#include "safety/data_safety.h"
#include "store/index_rebuild.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QFile>
#include <QThread>

#include <map>

#include <gtest/gtest.h>
#include <sqlite3.h>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace lapiro;
using namespace lapiro::store;

namespace {

QString s(const char16_t* text) { return QString::fromUtf16(text); }

class KeywordSearch : public ::testing::Test {
 protected:
  test::StockDirectory stock{{35}};
  KeywordIndex index{stock.engine};

  // The headings of the hits for `text`, best first.
  QStringList headings(const QString& text) {
    QStringList out;
    for (const auto& hit : index.search(text)) out << hit.heading;
    return out;
  }

  // The headings stored in the index file right now, without a search that could bring it
  // up to date first.
  QStringList storedHeadings() {
    QStringList out;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(index.path()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT kopf FROM Texte ORDER BY id", -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
      out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }

  void change(const QString& table, qint64 key, const QString& field, const QString& value) {
    engine::Cursor c(stock.engine);
    c.setTableName(table);
    c.open();
    ASSERT_TRUE(c.findKey({key}));
    c.edit();
    c.field(field).setString(value);
    c.post();
  }

  void remove(const QString& table, qint64 key) {
    engine::Cursor c(stock.engine);
    c.setTableName(table);
    c.open();
    ASSERT_TRUE(c.findKey({key}));
    c.deleteRecord();
  }
};

TEST_F(KeywordSearch, UmlautsAndSharpSFoldTheSameWayInTextAndQuery) {
  stock.add(s(u"Adresse"), {{s(u"Name"), s(u"Müller")}, {s(u"Vorname"), s(u"Jörg")},
                            {s(u"Straße"), s(u"Straße des Friedens 5")}, {s(u"Ort"), s(u"Göttingen")}});
  const QStringList expected{s(u"Müller, Jörg")};
  for (const char16_t* query : {u"muller", u"Müller", u"MÜLLER", u"strasse", u"Straße", u"STRASSE", u"straß", u"gott", u"jorg"})
    EXPECT_EQ(headings(QString::fromUtf16(query)), expected) << QString::fromUtf16(query).toStdString();
  // Folding is no transliteration, and a word is found by its beginning.
  EXPECT_TRUE(headings(s(u"Mueller")).isEmpty());
  EXPECT_TRUE(headings(s(u"friedensstrasse")).isEmpty());
  EXPECT_EQ(headings(s(u"fried")), expected);
  // Every word must occur, each as a prefix.
  EXPECT_EQ(headings(s(u"mül gött")), expected);
  EXPECT_TRUE(headings(s(u"mül berlin")).isEmpty());
}

TEST_F(KeywordSearch, HitsCarryKindTargetAndMarkedSnippetRankedByWhereTheWordStands) {
  const qint64 named = stock.animal(s(u"12"), s(u"A5"), {{s(u"IDCode"), s(u"Blitz")}});
  const qint64 noted = stock.animal(s(u"13"), s(u"A6"),
                                    {{s(u"Info"), s(u"Vom Züchter erhalten, Bruder von Blitz, ruhiges Tier mit "
                                                    u"guter Fellstruktur und kräftigem Körperbau")}});
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), noted}, {s(u"Titel"), s(u"Landesschau")},
                                {s(u"Ort"), s(u"Blitzingen")}, {s(u"Bemerkung"), s(u"sehr gut")}});

  const auto hits = index.search(s(u"blitz"));
  ASSERT_EQ(hits.size(), 3u);
  // The name in the heading weighs more than a word in a long note.
  EXPECT_EQ(hits[0].kind, KeywordKind::Tier);
  EXPECT_EQ(hits[0].target, named);
  EXPECT_EQ(hits[0].heading, s(u"12 A5 Blitz"));
  bool sawShow = false, sawNote = false;
  for (const auto& hit : hits) {
    if (hit.kind == KeywordKind::Ausstellung) {
      sawShow = true;
      EXPECT_EQ(hit.target, noted);  // a show result leads to its animal
      EXPECT_EQ(hit.heading, s(u"Landesschau"));
    } else if (hit.target == noted) {
      sawNote = true;
      EXPECT_TRUE(hit.snippet.contains(QString(kHitStart) + s(u"Blitz") + kHitEnd)) << hit.snippet.toStdString();
    }
  }
  EXPECT_TRUE(sawShow && sawNote);
  // Tattoos are found as they are written, with their separators.
  EXPECT_EQ(headings(s(u"A5")), QStringList{s(u"12 A5 Blitz")});
  EXPECT_EQ(keywordKindName(KeywordKind::Adresse), s(u"Adresse"));
}

TEST_F(KeywordSearch, FollowsInsertEditAndDeleteThroughTheEngine) {
  const qint64 first = stock.animal(s(u"1"), s(u"B1"), {{s(u"IDCode"), s(u"Rosa")}});
  EXPECT_EQ(headings(s(u"rosa")).size(), 1);  // builds the index

  const qint64 second = stock.animal(s(u"2"), s(u"B2"), {{s(u"Anomalien"), s(u"Rosafarbene Krallen")}});
  // Each post reaches the index at once, not only at the next search.
  EXPECT_EQ(storedHeadings(), (QStringList{s(u"1 B1 Rosa"), s(u"2 B2")}));
  EXPECT_EQ(headings(s(u"rosa")).size(), 2);

  change(s(u"Hasen"), first, s(u"IDCode"), s(u"Bella"));
  EXPECT_EQ(storedHeadings(), (QStringList{s(u"1 B1 Bella"), s(u"2 B2")}));
  EXPECT_EQ(headings(s(u"rosa")), QStringList{s(u"2 B2")});
  EXPECT_EQ(headings(s(u"bella")), QStringList{s(u"1 B1 Bella")});

  remove(s(u"Hasen"), second);
  EXPECT_EQ(storedHeadings(), QStringList{s(u"1 B1 Bella")});
  EXPECT_TRUE(headings(s(u"rosa")).isEmpty());
  EXPECT_EQ(headings(s(u"B")).size(), 1);

  // A second index on the same file (the next session) reads what the first one wrote.
  KeywordIndex later(stock.engine, false);
  EXPECT_EQ(later.search(s(u"bella")).size(), 1u);
}

TEST_F(KeywordSearch, ChangesMadeBehindTheEnginesBackAreReadBeforeTheNextSearch) {
  stock.add(s(u"Adresse"), {{s(u"Name"), s(u"Albrecht")}});
  EXPECT_EQ(headings(s(u"albrecht")).size(), 1);
  QThread::msleep(20);  // the file's time must differ
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(stock.engine.resolve(s(u"Adresse"))).constData(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "UPDATE Adresse SET Name = 'Brandt'", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_TRUE(headings(s(u"albrecht")).isEmpty());
  EXPECT_EQ(headings(s(u"brandt")).size(), 1);
}

TEST_F(KeywordSearch, IndexRebuildBuildsTheKeywordIndexAnewAndBackupLeavesItOut) {
  stock.animal(s(u"7"), s(u"C7"), {{s(u"IDCode"), s(u"Kalle")}});
  EXPECT_EQ(headings(s(u"kalle")).size(), 1);
  const QString file = index.path();
  ASSERT_TRUE(QFile::exists(file));
  EXPECT_FALSE(safety::dataFiles(stock.dir.path()).contains(QString::fromUtf16(KeywordIndex::kFileName)));

  // Emptied behind its back: only the rebuild (or a changed source) brings the texts back.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "INSERT INTO Suche(Suche) VALUES('delete-all'); DELETE FROM Texte;", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  EXPECT_TRUE(headings(s(u"kalle")).isEmpty());

  struct NoCursors : GroupCursors {
    bool close(const QStringList&) override { return true; }
    void reopen(const QStringList&) override {}
  } owners;
  test::ScriptedDialogs dialogs;
  const auto result = rebuildIndexes(stock.engine, {IndexGroup::Kaninchen}, owners);
  ASSERT_TRUE(result.completed) << result.error.toStdString();
  EXPECT_EQ(headings(s(u"kalle")).size(), 1);
}

TEST_F(KeywordSearch, TypedQuerySyntaxIsPlainText) {
  stock.animal(s(u"9"), s(u"D9"), {{s(u"Info"), s(u"Steht NEAR Tor (links) – \"Ecke\" * 3")}});
  EXPECT_EQ(keywordMatchExpression(s(u"A-12.3 \"x\"")), s(u"\"A 12 3\"* \"x\"*"));
  EXPECT_EQ(keywordMatchExpression(s(u"Groß")), s(u"\"Gross\"*"));
  EXPECT_TRUE(keywordMatchExpression(s(u" \" * - ( ) ")).isEmpty());
  // Each of these is either found as text or finds nothing; none may break the query.
  for (const char16_t* query : {u"\"", u"\"\"\"", u"*", u"-tor", u"NEAR", u"NEAR(tor ecke)", u"tor OR xyz",
                                u"tor AND", u"NOT tor", u"(links", u"ecke\"*", u"'; DROP TABLE Texte; --",
                                u"kopf:tor", u"^tor", u"{kopf text}: tor", u"\\", u"\u0002"}) {
    const QString q = QString::fromUtf16(query);
    EXPECT_NO_THROW(index.search(q)) << q.toStdString();
  }
  EXPECT_EQ(headings(s(u"near")).size(), 1);
  EXPECT_EQ(headings(s(u"NEAR(tor ecke)")).size(), 1);
  EXPECT_EQ(headings(s(u"-tor")).size(), 1);
  EXPECT_TRUE(headings(s(u"tor OR xyz")).isEmpty());  // OR is a word like any other
  EXPECT_EQ(headings(s(u"'; DROP TABLE Texte; --")).size(), 0);
  EXPECT_EQ(headings(s(u"tor")).size(), 1);  // the index is intact
  // A very long input is cut, not refused.
  EXPECT_NO_THROW(index.search(QString(25001, QChar(0xE4))));
}

TEST_F(KeywordSearch, HealthBookkeepingRegisterAndClubTextsAreFoundAndLeadToTheirRecord) {
  const qint64 animal = stock.animal(s(u"5"), s(u"E5"), {{s(u"IDCode"), s(u"Flocke")}});
  const qint64 medicine = stock.add(s(u"APOTHEKE"), {{s(u"Medikament"), s(u"Baycox")},
                                                     {s(u"Bereich"), s(u"Darm")},
                                                     {s(u"Krankheit"), s(u"Kokzidiose, Durchfall")}});
  stock.add(s(u"MedizienHase"), {{s(u"Hase"), animal}, {s(u"Medikament"), medicine},
                                 {s(u"Krankheit"), s(u"Kokzidiose")}, {s(u"Dosierung"), s(u"1 ml/kg über 3 Tage")}});
  // The program creates the vaccination table when it first opens a stock.
  if (!stock.engine.tableExists(s(u"Impfung")))
    stock.engine.createTable(s(u"Impfung.db"), currentLayout(*findTable(s(u"Impfung"))));
  stock.add(s(u"Impfung"), {{s(u"Tier"), animal}, {s(u"Impfung"), s(u"RHD")}, {s(u"Impfstoff"), s(u"Filavac")},
                            {s(u"Chargenbez"), s(u"CH-4711")}, {s(u"Tierarzt"), s(u"Dr. Kühn")}});
  const qint64 booking = stock.add(s(u"BUCHUNG"), {{s(u"Kontoname"), 1}, {s(u"Buchungsdatum"), QDate(2025, 3, 1)},
                                                  {s(u"Kategorie"), s(u"Futter")}, {s(u"Betrag"), 125000},
                                                  {s(u"Beschreibung"), s(u"Kokzidiostatikum-Pellets Raiffeisen")}});
  const qint64 entry = stock.add(s(u"ZWINGREG"), {{s(u"Zwinger"), s(u"A-117")}, {s(u"Züchter"), s(u"Schäfer")},
                                                 {s(u"Ort"), s(u"Fulda")}, {s(u"Zuchtfarbe"), s(u"havannafarbig")}});
  stock.add(s(u"ZWINGINF"), {{s(u"Zwinger"), entry}, {s(u"Name"), s(u"Hansi")},
                             {s(u"Memo1"), s(u"Zuchtrammler mit Havannafell")}});
  const qint64 club = stock.add(s(u"VEREINE"), {{s(u"Verein"), s(u"KZV H 512 Hünfeld")},
                                                {s(u"Ansprechpartner"), s(u"Grete Wolf")}});

  std::map<KeywordKind, qint64> found;
  for (const auto& hit : index.search(s(u"kokzid"))) found[hit.kind] = hit.target;
  EXPECT_EQ(found.size(), 3u);
  EXPECT_EQ(found[KeywordKind::Behandlung], animal);  // a treatment leads to its animal
  EXPECT_EQ(found[KeywordKind::Medikament], medicine);
  EXPECT_EQ(found[KeywordKind::Buchung], booking);
  const auto vaccination = index.search(s(u"kühn"));
  ASSERT_EQ(vaccination.size(), 1u);
  EXPECT_EQ(vaccination[0].kind, KeywordKind::Impfung);
  EXPECT_EQ(vaccination[0].target, animal);
  EXPECT_EQ(vaccination[0].heading, s(u"RHD"));
  found.clear();
  for (const auto& hit : index.search(s(u"havanna"))) found[hit.kind] = hit.target;
  EXPECT_EQ(found[KeywordKind::Zuechterregister], entry);
  EXPECT_EQ(found[KeywordKind::RegisterTier], entry);  // an animal of an entry leads to the entry
  EXPECT_EQ(headings(s(u"schafer")), QStringList{s(u"A-117, Schäfer")});
  const auto clubs = index.search(s(u"grete"));
  ASSERT_EQ(clubs.size(), 1u);
  EXPECT_EQ(clubs[0].kind, KeywordKind::Verein);
  EXPECT_EQ(clubs[0].target, club);
  EXPECT_EQ(keywordKindName(KeywordKind::Behandlung), s(u"Behandlung"));
  EXPECT_EQ(keywordKindName(KeywordKind::RegisterTier), s(u"Züchterregister"));

  // Changes through the engine reach these parts of the index as they reach the animals'.
  change(s(u"MedizienHase"), 1, s(u"Krankheit"), s(u"Schnupfen"));
  found.clear();
  for (const auto& hit : index.search(s(u"kokzid"))) found[hit.kind] = hit.target;
  EXPECT_EQ(found.count(KeywordKind::Behandlung), 0u);
  EXPECT_EQ(index.search(s(u"schnupfen")).size(), 1u);
  remove(s(u"VEREINE"), club);
  EXPECT_TRUE(index.search(s(u"grete")).empty());
}

}  // namespace

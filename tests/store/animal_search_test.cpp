// The animal search: the name lookup rule, the statement it builds, the search over real
// tables (literal tattoos, modes, orders, display fields) and the dialog offscreen.
#include "store/animal_search.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <map>

#include "store/catalogue.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"
#include "store/ui/animal_search_dialog.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/table_rows.h"

namespace lapiro::store {
namespace {

using engine::Cursor;

std::vector<qint64> nums(std::initializer_list<qint64> l) {
  return l;
}

TEST(AnimalSearchRules, NameLookupTakesConsecutiveNamesInAnyCase) {
  const std::vector<NamedNumber> breeds = {{QStringLiteral("Widder"), 1},
                                           {QStringLiteral("deutsche Kleinwidder"), 7},
                                           {QStringLiteral("Deutsche Riesen"), 3},
                                           {QStringLiteral("DEUTSCHE Widder"), 4},
                                           {QStringLiteral("Blaue Wiener"), 9}};
  EXPECT_EQ(matchNames(breeds, QStringLiteral("deutsche")).numbers, nums({7, 3, 4}));
  EXPECT_EQ(matchNames(breeds, QStringLiteral("DEUTSCHE R")).numbers, nums({3}));
  EXPECT_EQ(matchNames(breeds, QStringLiteral("w")).numbers, nums({1}));
  // No name begins with the text: a number above every number, whatever the gaps.
  const NameMatch none = matchNames(breeds, QStringLiteral("Dresdner"));
  EXPECT_TRUE(none.numbers.empty());
  EXPECT_EQ(none.noMatchValue, 10);
  EXPECT_EQ(matchNames({}, QStringLiteral("x")).noMatchValue, 1);
  // Names with the same key stand as written (capitals first), then by number.
  const std::vector<NamedNumber> same = {{QStringLiteral("müller"), 1}, {QStringLiteral("Mueller"), 2},
                                         {QStringLiteral("Müller"), 8}, {QStringLiteral("Müller"), 5}};
  EXPECT_EQ(matchNames(same, QStringLiteral("mu")).numbers, nums({2, 5, 8, 1}));
}

// A register full of umlaut names: every beginning of every name finds that name and exactly
// the names that begin with the same letters in German order, in any case.
TEST(AnimalSearchRules, EveryBeginningOfEveryUmlautNameIsFound) {
  const QStringList surnames = {
      QStringLiteral("Bauer"),   QStringLiteral("Böhm"),    QStringLiteral("Brandt"),
      QStringLiteral("Braun"),   QStringLiteral("König"),   QStringLiteral("Koch"),
      QStringLiteral("Köhler"),  QStringLiteral("Schäfer"), QStringLiteral("Schaefer"),
      QStringLiteral("Schubert"), QStringLiteral("Schütz"), QStringLiteral("Müller"),
      QStringLiteral("Mueller"), QStringLiteral("Möller"),  QStringLiteral("Straßer"),
      QStringLiteral("Strauß"),  QStringLiteral("Öztürk"),  QStringLiteral("Özdemir"),
      QStringLiteral("Ulrich"),  QStringLiteral("Übel"),    QStringLiteral("ärmel"),
      QStringLiteral("Zöllner"), QStringLiteral("Zuse"),    QStringLiteral("BÖHME")};
  std::vector<NamedNumber> names;
  for (int i = 0; i < surnames.size(); ++i) names.push_back({surnames[i], 100 + i});

  const auto fold = [](const QString& s) { return engine::germanSortKey(s).toCaseFolded(); };
  for (const NamedNumber& n : names) {
    for (qsizetype len = 1; len <= n.name.size(); ++len) {
      for (const QString& typed : {n.name.left(len), n.name.left(len).toUpper(), n.name.left(len).toLower()}) {
        std::vector<qint64> expected;
        for (const NamedNumber& m : names)
          if (fold(m.name).startsWith(fold(typed))) expected.push_back(m.number);
        std::vector<qint64> got = matchNames(names, typed).numbers;
        EXPECT_NE(std::find(got.begin(), got.end(), n.number), got.end()) << typed.toStdString();
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected) << typed.toStdString();
      }
    }
  }
  // The reported cases: names with umlauts between them no longer stop the scan.
  EXPECT_EQ(matchNames(names, QStringLiteral("Brandt")).numbers, nums({102}));
  EXPECT_EQ(matchNames(names, QStringLiteral("braun")).numbers, nums({103}));
  // Umlauts read as their base letters, as in every sorted list of the program.
  EXPECT_EQ(matchNames(names, QStringLiteral("Schafer")).numbers, nums({107}));
  EXPECT_EQ(matchNames(names, QStringLiteral("Strass")).numbers, nums({114}));
  EXPECT_TRUE(matchNames(names, QStringLiteral("Böhmer")).numbers.empty());
}

TEST(AnimalSearchRules, LikePatternEscapesWildcards) {
  EXPECT_EQ(likePrefixPattern(QStringLiteral("3.5")), QStringLiteral("3.5%"));
  EXPECT_EQ(likePrefixPattern(QStringLiteral("a%b_c\\")), QStringLiteral("a\\%b\\_c\\\\%"));
}

TEST(AnimalSearchRules, StatementHasTheBoxOrderAndBindsEveryValue) {
  SearchBoxes b;
  b.tatoRechts = QStringLiteral("A\"1");
  b.rasse = QStringLiteral("de");
  b.stallnummer = QStringLiteral("12");
  b.status = QStringLiteral("Zucht");
  const auto resolve = [](NameList l, const QString&) {
    return l == NameList::Rasse ? NameMatch{{5, 6}, 9} : NameMatch{{}, 4};
  };
  const SearchStatement s = buildSearchStatement(b, SearchRequest{}, resolve);
  EXPECT_EQ(s.lines,
            QStringList({QStringLiteral("SELECT * from \"Hasen.db\""), QStringLiteral(" Where "),
                         QStringLiteral("TatoRechts like :TatoRechts ESCAPE '\\'"), QStringLiteral(" AND "),
                         QStringLiteral("(Rasse = :Rasse0 OR Rasse = :Rasse1)"), QStringLiteral(" AND "),
                         QStringLiteral("Stallnummer = :Stallnummer"), QStringLiteral(" AND "),
                         QStringLiteral("Status = :StatusKeiner"),
                         QStringLiteral("ORDER BY TatoRechts,TatoLinks")}));
  EXPECT_EQ(s.params.value(QStringLiteral("TatoRechts")).toString(), QStringLiteral("A\"1%"));
  EXPECT_EQ(s.params.value(QStringLiteral("Rasse1")).toLongLong(), 6);
  EXPECT_EQ(s.params.value(QStringLiteral("Stallnummer")).toLongLong(), 12);
  EXPECT_EQ(s.params.value(QStringLiteral("StatusKeiner")).toLongLong(), 4);
}

TEST(AnimalSearchRules, EachModeAddsItsSexCondition) {
  const auto unused = [](NameList, const QString&) -> NameMatch {
    ADD_FAILURE() << "no name box is filled";
    return {};
  };
  struct Case {
    SearchRequest request;
    QString sexLine;  // empty: no condition
  };
  const Case cases[] = {
      {{0, ParentSearch::Father, 7}, {}},
      {{1, ParentSearch::Father, 7}, QStringLiteral("(Geschlecht='1')")},
      {{1, ParentSearch::Mother, 7}, QStringLiteral("(Geschlecht='2')")},
      {{1, ParentSearch::None, 7}, {}},
      {{2, ParentSearch::None, 7}, QStringLiteral("(Geschlecht='1')")},
      {{3, ParentSearch::Father, 7}, QStringLiteral("(Geschlecht='1') AND (Nummer<>:Nummer)")},
      {{3, ParentSearch::Mother, 0}, QStringLiteral("(Geschlecht='2')")},
      {{4, ParentSearch::None, 0}, QStringLiteral("(Geschlecht='1')")},
      {{5, ParentSearch::None, 0}, QStringLiteral("(Geschlecht='2')")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.mode);
    const SearchStatement s = buildSearchStatement({}, c.request, unused);
    if (c.sexLine.isEmpty()) {
      EXPECT_EQ(s.lines.size(), 2);
      continue;
    }
    ASSERT_EQ(s.lines.size(), 4);
    EXPECT_EQ(s.lines[1], QStringLiteral(" WHERE "));
    EXPECT_EQ(s.lines[2], c.sexLine);
    EXPECT_EQ(s.params.contains(QStringLiteral("Nummer")), c.request.mode == 3 && c.request.currentAnimal);
  }
  SearchBoxes b;
  b.tatoLinks = QStringLiteral("1.");
  const SearchStatement s = buildSearchStatement(b, {5, ParentSearch::None, 0}, unused);
  EXPECT_EQ(s.lines[s.lines.size() - 3], QStringLiteral(" AND "));
}

TEST(AnimalSearchRules, ColumnOrdersAndPlacement) {
  EXPECT_EQ(orderLineForColumn(QStringLiteral("TatoLinks")), QStringLiteral("ORDER BY TatoLinks,TatoRechts"));
  EXPECT_EQ(orderLineForColumn(QStringLiteral("GeschlechtAnzeige")),
            QStringLiteral("ORDER BY Geschlecht,TatoRechts,TatoLinks"));
  EXPECT_TRUE(orderLineForColumn(QStringLiteral("ZuechterAnzeige")).isEmpty());
  const QRect screen(0, 0, 1280, 1024);
  EXPECT_EQ(placementWithGrid(QRect(400, 200, 401, 255), screen), QRect(250, 200, 700, 255));
  EXPECT_EQ(placementWithGrid(QRect(60, 200, 800, 255), screen), QRect(0, 200, 800, 255));
}

// ------------------------------------------------------------------ on real tables

class AnimalSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.valid());
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    for (const CatalogueTable& t : catalogue())
      if (t.origin == CatalogueTable::Origin::Installer)
        // The status list as older installations hold it, without its index Name.
        engine.createTable(t.fileName, t.def.name == u"Status" ? olderLayout(t) : currentLayout(t));
    add(QStringLiteral("Sprmel.db"),
        {{QStringLiteral("Nummer"), 11}, {QStringLiteral("Meldung"), QStringLiteral("M11")}});
    add(QStringLiteral("Sprmel.db"),
        {{QStringLiteral("Nummer"), 50}, {QStringLiteral("Meldung"), QStringLiteral("M50")}});
    messages = std::make_unique<MessageCatalogue>(engine);
    messages->open();
    setMessageCatalogue(messages.get());

    // Breeds with a gap in their numbers (2 is deleted).
    riesen = add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")}});
    const qint64 gone =
        add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Gelöscht")}});
    widder = add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("DEUTSCHE Widder")}});
    wiener = add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Blaue Wiener")}});
    remove(QStringLiteral("Rasse.db"), gone);
    for (const char16_t* s : {u"Zucht", u"Verkauft", u"Tot"})
      add(QStringLiteral("Status.db"), {{QStringLiteral("Name"), QString::fromUtf16(s)}});
    sommer = add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), QStringLiteral("Sommer")},
                                                {QStringLiteral("Vorname"), QStringLiteral("Jörg")}});

    a1 = animal(u"B12", u"3.5.1", u"1", riesen,
                {{QStringLiteral("Zuechter"), sommer}, {QStringLiteral("Status"), 1}});
    a2 = animal(u"A7", u"3.51.2", u"2", widder,
                {{QStringLiteral("Stallnummer"), 4}, {QStringLiteral("Status"), 2}});
    a3 = animal(u"A7", u"13.5.1", u"2", wiener,
                {{QStringLiteral("Vater"), a1}, {QStringLiteral("Mutter"), a2}});
    a4 = animal(u"C\"%'_", u"1.6.1", u"1", wiener);
    a5 = animal(u"CX%'_", u"1.6.2", u"2", wiener);
    a6 = animal(u"CX'Y", u"1.6.3", u"2", riesen);
  }

  void TearDown() override { setMessageCatalogue(nullptr); }

  qint64 add(const QString& table, const QVariantMap& values) {
    return test::addRow(engine, table, values);
  }

  void remove(const QString& table, qint64 key) {
    Cursor c(engine, QStringLiteral("Loeschen"));
    c.setTableName(table);
    c.open();
    ASSERT_TRUE(c.findKey({key}));
    c.deleteRecord();
  }

  qint64 animal(const char16_t* rechts, const char16_t* links, const char16_t* sex, qint64 rasse,
                QVariantMap more = {}) {
    more.insert(QStringLiteral("TatoRechts"), QString::fromUtf16(rechts));
    more.insert(QStringLiteral("TatoLinks"), QString::fromUtf16(links));
    more.insert(QStringLiteral("Geschlecht"), QString::fromUtf16(sex));
    more.insert(QStringLiteral("Rasse"), rasse);
    return add(QStringLiteral("Hasen.db"), more);
  }

  // Nummer of every result row, in result order.
  std::vector<qint64> found(AnimalSearch& s) {
    std::vector<qint64> out;
    engine::Query& q = s.result();
    for (const auto& row : q.readRows(0, static_cast<int>(q.recordCount())))
      out.push_back(row[static_cast<size_t>(q.fieldIndex(QStringLiteral("Nummer")))].toLongLong());
    return out;
  }

  std::vector<qint64> search(const SearchBoxes& b, const SearchRequest& r = {}) {
    AnimalSearch s(engine);
    s.run(b, r);
    return found(s);
  }

  test::TempDir dir;
  engine::Engine engine;
  std::unique_ptr<MessageCatalogue> messages;
  qint64 riesen = 0, widder = 0, wiener = 0, sommer = 0;
  qint64 a1 = 0, a2 = 0, a3 = 0, a4 = 0, a5 = 0, a6 = 0;
};

TEST_F(AnimalSearchTest, NothingFilledFindsAllInTattooOrder) {
  EXPECT_EQ(search({}), nums({a3, a2, a1, a4, a5, a6}));
}

TEST_F(AnimalSearchTest, LeftTattooIsAPrefix) {
  SearchBoxes b;
  b.tatoLinks = QStringLiteral("3.5");
  EXPECT_EQ(search(b), nums({a2, a1}));
}

TEST_F(AnimalSearchTest, QuotesAndWildcardsInATattooAreSearchedLiterally) {
  SearchBoxes b;
  b.tatoRechts = QStringLiteral("C\"%'_");
  EXPECT_EQ(search(b), nums({a4}));
  b.tatoRechts = QStringLiteral("CX%");
  EXPECT_EQ(search(b), nums({a5}));
  b.tatoRechts = QStringLiteral("CX'");
  EXPECT_EQ(search(b), nums({a6}));
  b.tatoRechts = QStringLiteral("C_");
  EXPECT_TRUE(search(b).empty());
  b.tatoRechts = QStringLiteral("x' OR '1'='1");
  EXPECT_TRUE(search(b).empty());
}

TEST_F(AnimalSearchTest, BreedTextFindsTheBreedsItBegins) {
  SearchBoxes b;
  b.rasse = QStringLiteral("deutsche");
  EXPECT_EQ(search(b), nums({a2, a1, a6}));
  // No breed begins with the text: nothing, although breed number 2 is free.
  b.rasse = QStringLiteral("Gelö");
  EXPECT_TRUE(search(b).empty());
  AnimalSearch s(engine);
  EXPECT_EQ(s.resolve(NameList::Rasse, QStringLiteral("Gelö")).noMatchValue, wiener + 1);
}

TEST_F(AnimalSearchTest, BreederStatusAndHutchNumber) {
  SearchBoxes b;
  b.zuechter = QStringLiteral("som");
  EXPECT_EQ(search(b), nums({a1}));
  b = {};
  b.status = QStringLiteral("v");
  EXPECT_EQ(search(b), nums({a2}));
  b.status = QStringLiteral("Keiner");
  EXPECT_TRUE(search(b).empty());
  b = {};
  b.stallnummer = QStringLiteral("4");
  EXPECT_EQ(search(b), nums({a2}));
  b.stallnummer = QStringLiteral("vier");
  EXPECT_TRUE(search(b).empty());
}

TEST_F(AnimalSearchTest, ModesRestrictTheSex) {
  EXPECT_EQ(search({}, {4, ParentSearch::None, 0}), nums({a1, a4}));
  EXPECT_EQ(search({}, {5, ParentSearch::None, 0}), nums({a3, a2, a5, a6}));
  // The card's mother search never offers the card's own animal.
  EXPECT_EQ(search({}, {3, ParentSearch::Mother, a2}), nums({a3, a5, a6}));
  SearchBoxes b;
  b.tatoRechts = QStringLiteral("C");
  EXPECT_EQ(search(b, {1, ParentSearch::Father, 0}), nums({a4}));
}

TEST_F(AnimalSearchTest, NamesAsLongAsTheirColumnsShowWhole) {
  const QString first = QStringLiteral("Anna-Katharina Maria Theresia Elisabeths");  // 40 characters
  const QString last = QStringLiteral("Berg-Hohenstein zu Wartenfels-Ebersbachs");  // 40 as well
  ASSERT_EQ(first.size(), 40);
  ASSERT_EQ(last.size(), 40);
  const qint64 owner = add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), last}, {QStringLiteral("Vorname"), first}});
  animal(u"L40", u"1.1.1", u"2", riesen, {{QStringLiteral("Besitzer"), owner}, {QStringLiteral("Zuechter"), owner}});
  AnimalSearch s(engine);
  SearchBoxes b;
  b.tatoRechts = QStringLiteral("L40");
  ASSERT_EQ(s.run(b, {}), 1);
  engine::Query& q = s.result();
  EXPECT_EQ(q.field(QStringLiteral("BesitzerVorname")).asString(), first);
  EXPECT_EQ(q.field(QStringLiteral("ZuechterVorname")).asString(), first);
  EXPECT_EQ(q.field(QStringLiteral("BesitzerAnzeige")).asString(), last + QStringLiteral(", ") + first);
  EXPECT_EQ(q.field(QStringLiteral("ZuechterAnzeige")).asString(), last + QStringLiteral(", ") + first);
  EXPECT_EQ(q.field(QStringLiteral("BesitzerName")).asString(), last);
  EXPECT_EQ(q.field(QStringLiteral("ZuechterName")).asString(), last);

  // Breed, breed code, colour and status as long as their lists hold them; parents' tattoos of
  // eight and ten characters.
  const QString breedName = QStringLiteral("Deutsche Großsilber hell.");  // 25 characters
  const QString colourName = QStringLiteral("schwarz-weiß gescheckt, h");
  const QString statusName = QStringLiteral("Zuchttier vorübergehend a");
  for (const QString& t : {breedName, colourName, statusName}) ASSERT_EQ(t.size(), 25);
  const qint64 breed = add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), breedName},
                                                        {QStringLiteral("Code"), QStringLiteral("DGrSi hel")}});
  const qint64 colour = add(QStringLiteral("Farbe.db"), {{QStringLiteral("Name"), colourName}});
  const qint64 status = add(QStringLiteral("Status.db"), {{QStringLiteral("Name"), statusName}});
  const qint64 sire = animal(u"RS123456", u"12.34.5678", u"1", breed);
  const qint64 dam = animal(u"HS654321", u"87.65.4321", u"2", breed);
  animal(u"L41", u"1.1.2", u"2", breed,
         {{QStringLiteral("Farbe"), colour}, {QStringLiteral("Status"), status},
          {QStringLiteral("Vater"), sire}, {QStringLiteral("Mutter"), dam}});
  b.tatoRechts = QStringLiteral("L41");
  ASSERT_EQ(s.run(b, {}), 1);
  EXPECT_EQ(s.result().field(QStringLiteral("RasseAnzeige")).asString(), breedName);
  EXPECT_EQ(s.result().field(QStringLiteral("RasseCodeAnzeige")).asString(), QStringLiteral("DGrSi hel"));
  EXPECT_EQ(s.result().field(QStringLiteral("FarbeAnzeige")).asString(), colourName);
  EXPECT_EQ(s.result().field(QStringLiteral("StatusAnzeige")).asString(), statusName);
  EXPECT_EQ(s.result().field(QStringLiteral("VaterTatorechts")).asString(), QStringLiteral("RS123456"));
  EXPECT_EQ(s.result().field(QStringLiteral("VaterTatolinks")).asString(), QStringLiteral("12.34.5678"));
  EXPECT_EQ(s.result().field(QStringLiteral("MutterTatoRechts")).asString(), QStringLiteral("HS654321"));
  EXPECT_EQ(s.result().field(QStringLiteral("MutterTatoLinks")).asString(), QStringLiteral("87.65.4321"));
}

TEST_F(AnimalSearchTest, ResultCarriesDisplayFieldsAndSorts) {
  AnimalSearch s(engine);
  // Before a search and after one without hits: no order to change, no animal, no boxes.
  EXPECT_FALSE(s.sortBy(QStringLiteral("RasseAnzeige")));
  EXPECT_FALSE(s.currentNummer());
  EXPECT_TRUE(s.boxesOfCurrent(true).tatoRechts.isEmpty());
  SearchBoxes b;
  b.tatoRechts = QStringLiteral("ZZ");
  ASSERT_EQ(s.run(b, {}), 0);
  EXPECT_FALSE(s.currentNummer());
  EXPECT_TRUE(s.boxesOfCurrent(true).rasse.isEmpty());
  b.tatoRechts = QStringLiteral("A7");
  ASSERT_EQ(s.run(b, {}), 2);
  engine::Query& q = s.result();
  EXPECT_EQ(q.field(QStringLiteral("TatoLinks")).asString(), QStringLiteral("13.5.1"));
  EXPECT_EQ(q.field(QStringLiteral("GeschlechtAnzeige")).asString(), QStringLiteral("Häsin 0.1"));
  EXPECT_EQ(q.field(QStringLiteral("GeschlechtAnzeige2")).asString(), QStringLiteral("0.1"));
  EXPECT_EQ(q.field(QStringLiteral("VaterTatorechts")).asString(), QStringLiteral("B12"));
  EXPECT_EQ(q.field(QStringLiteral("MutterTatoLinks")).asString(), QStringLiteral("3.51.2"));
  EXPECT_EQ(q.field(QStringLiteral("RasseAnzeige")).asString(), QStringLiteral("Blaue Wiener"));

  EXPECT_FALSE(s.sortBy(QStringLiteral("BesitzerAnzeige")));
  ASSERT_TRUE(s.sortBy(QStringLiteral("RasseAnzeige")));
  EXPECT_EQ(s.statement().lines.last(), QStringLiteral("ORDER BY Rasse,TatoRechts,TatoLinks"));
  EXPECT_EQ(found(s), nums({a2, a3}));
  EXPECT_EQ(s.currentNummer(), a2);

  b = {};
  b.zuechter = QStringLiteral("Sommer");
  ASSERT_EQ(s.run(b, {}), 1);
  const SearchBoxes back = s.boxesOfCurrent(false);
  EXPECT_EQ(back.tatoRechts, QStringLiteral("B12"));
  EXPECT_EQ(back.zuechter, QStringLiteral("Sommer"));
  EXPECT_EQ(q.field(QStringLiteral("ZuechterAnzeige")).asString(), QStringLiteral("Sommer, Jörg"));
  EXPECT_EQ(back.rasse, QStringLiteral("Deutsche Riesen"));
  EXPECT_EQ(back.status, QStringLiteral("Zucht"));
  EXPECT_EQ(q.field(QStringLiteral("GeschlechtAnzeige2")).asString(), QStringLiteral("1.0"));
}

// The display fields are computed when a row is read: in every order, and whichever row is
// read first, each row shows its own breed, sex and father; a breed renamed while the result
// is shown appears in the rows read afterwards.
TEST_F(AnimalSearchTest, EveryRowShowsItsOwnDisplayFieldsInEveryOrder) {
  const std::map<qint64, QString> breed = {
      {a1, QStringLiteral("Deutsche Riesen")}, {a2, QStringLiteral("DEUTSCHE Widder")},
      {a3, QStringLiteral("Blaue Wiener")},    {a4, QStringLiteral("Blaue Wiener")},
      {a5, QStringLiteral("Blaue Wiener")},    {a6, QStringLiteral("Deutsche Riesen")}};
  AnimalSearch s(engine);
  ASSERT_EQ(s.run({}, {}), 6);
  engine::Query& q = s.result();
  const auto at = [&q](const engine::DataSet::Row& row, const char16_t* field) {
    return row[static_cast<size_t>(q.fieldIndex(QString::fromUtf16(field)))];
  };
  for (const char16_t* column : {u"TatoLinks", u"RasseAnzeige", u"StatusAnzeige", u"GeschlechtAnzeige"}) {
    ASSERT_TRUE(s.sortBy(QString::fromUtf16(column)));
    // Back to front, one row at a time, as a grid scrolled upwards reads them.
    for (qint64 i = q.recordCount() - 1; i >= 0; --i) {
      const engine::DataSet::Row row = q.readRows(i, 1).at(0);
      const qint64 nummer = at(row, u"Nummer").toLongLong();
      SCOPED_TRACE(QStringLiteral("%1 row %2").arg(QString::fromUtf16(column)).arg(i).toStdString());
      EXPECT_EQ(at(row, u"RasseAnzeige").toString(), breed.at(nummer));
      EXPECT_EQ(at(row, u"GeschlechtAnzeige").toString(), at(row, u"Geschlecht").toString() == u"1"
                                                              ? QStringLiteral("Rammler 1.0")
                                                              : QStringLiteral("Häsin 0.1"));
      EXPECT_EQ(at(row, u"VaterTatorechts").toString(), nummer == a3 ? QStringLiteral("B12") : QString());
    }
  }

  Cursor rasse(engine);
  rasse.setTableName(QStringLiteral("Rasse.db"));
  rasse.open();
  ASSERT_TRUE(rasse.findKey({wiener}));
  rasse.edit();
  rasse.field(QStringLiteral("Name")).setString(QStringLiteral("Wiener, blau"));
  rasse.post();
  engine::CursorModel grid(&q);
  grid.setColumns(AnimalSearch::gridColumns());
  QStringList shown;
  for (int r = 0; r < grid.rowCount(); ++r) shown << grid.data(grid.index(r, 5)).toString();
  EXPECT_EQ(shown.count(QStringLiteral("Wiener, blau")), 3);
}

TEST_F(AnimalSearchTest, PrepareAddsTheStatusNameIndexAndReadsNames) {
  test::ScriptedDialogs dialogs;
  AnimalSearch s(engine);
  s.prepare();
  EXPECT_TRUE(hasIndexOn(engine.indexes(QStringLiteral("Status")), QStringLiteral("Name;Nummer")));
  EXPECT_EQ(s.statusNames(),
            QStringList({QStringLiteral("Zucht"), QStringLiteral("Verkauft"), QStringLiteral("Tot")}));
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_FALSE(engine.isOpen(QStringLiteral("Status")));
}

TEST_F(AnimalSearchTest, MissingStatusListReportsMessage11) {
  engine.deleteTable(QStringLiteral("Status.db"));
  test::ScriptedDialogs dialogs;
  AnimalSearch s(engine);
  s.prepare();
  EXPECT_EQ(dialogs.texts(), QStringList({QStringLiteral("M11 Status")}));
  EXPECT_TRUE(s.statusNames().isEmpty());
}

// ------------------------------------------------------------------ the dialog

TEST_F(AnimalSearchTest, DialogShowsGridForSeveralRowsAndWarnsForNone) {
  test::ScriptedDialogs dialogs;
  ui::TsuchenDlg dlg(engine);
  dlg.prepareForShow(SearchRequest{});
  auto* rechts = dlg.findChild<QLineEdit*>(QStringLiteral("EditTatoRechts"));
  auto* links = dlg.findChild<QLineEdit*>(QStringLiteral("EditTatoLinks"));
  auto* suchen = dlg.findChild<QPushButton*>(QStringLiteral("ButtonSuchen"));
  ASSERT_TRUE(rechts && links && suchen);
  EXPECT_TRUE(suchen->isDefault());

  rechts->setText(QStringLiteral("A7"));
  suchen->click();
  EXPECT_TRUE(dlg.gridShown());
  EXPECT_EQ(dlg.grid()->model()->rowCount(), 2);
  EXPECT_GE(dlg.width(), 700);
  // The hit count stands above the result; rows keep one line, and the columns fill the width.
  EXPECT_FALSE(dlg.hitCount()->isHidden());
  EXPECT_EQ(dlg.hitCount()->text(), QStringLiteral("2 Tiere gefunden"));
  EXPECT_FALSE(dlg.grid()->wordWrap());
  EXPECT_LE(dlg.grid()->rowHeight(0), dlg.grid()->fontMetrics().height() + 8);
  const QHeaderView* header = dlg.grid()->horizontalHeader();
  EXPECT_GE(header->sectionPosition(header->count() - 1) + header->sectionSize(header->count() - 1),
            dlg.grid()->viewport()->width());

  // A second click hides the grid again; a double-click copies its row into the boxes.
  suchen->click();
  EXPECT_FALSE(dlg.gridShown());
  EXPECT_TRUE(dlg.hitCount()->isHidden());
  suchen->click();
  ASSERT_TRUE(dlg.gridShown());
  dlg.grid()->doubleClicked(dlg.grid()->model()->index(1, 0));
  EXPECT_FALSE(dlg.gridShown());
  EXPECT_EQ(links->text(), QStringLiteral("3.51.2"));
  EXPECT_EQ(dlg.chosenNummer(), a2);

  rechts->setText(QStringLiteral("ZZ"));
  links->clear();
  suchen->click();
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Warning);
  EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("M50"));
  EXPECT_FALSE(dlg.chosenNummer());

  // One row fills the boxes; a comma typed in the left tattoo becomes a point.
  dlg.prepareForShow(SearchRequest{});
  links->setText(QStringLiteral("1,6,3"));
  EXPECT_EQ(links->text(), QStringLiteral("1.6.3"));
  suchen->click();
  EXPECT_FALSE(dlg.gridShown());
  EXPECT_EQ(rechts->text(), QStringLiteral("CX'Y"));
  EXPECT_EQ(dlg.findChild<QLineEdit*>(QStringLiteral("EditRasse"))->text(),
            QStringLiteral("Deutsche Riesen"));
  EXPECT_EQ(dlg.chosenNummer(), a6);

  // Every show starts with empty boxes.
  dlg.prepareForShow(SearchRequest{});
  EXPECT_TRUE(rechts->text().isEmpty());
  EXPECT_TRUE(dlg.findChild<QComboBox*>(QStringLiteral("ComboStatus"))->currentText().isEmpty());
  EXPECT_FALSE(dlg.chosenNummer());

  // A modal run with the does-only mode, ended with "&OK", keeps the chosen animal.
  QTimer::singleShot(0, &dlg, [&] {
    rechts->setText(QStringLiteral("B12"));
    suchen->click();  // the buck B12 is not a doe
    rechts->setText(QStringLiteral("CX"));
    suchen->click();
    dlg.grid()->doubleClicked(dlg.grid()->model()->index(1, 0));
    dlg.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
  });
  ASSERT_EQ(dlg.exec(SearchRequest{5, ParentSearch::None, 0}), QDialog::Accepted);
  EXPECT_EQ(dlg.chosenNummer(), a6);
  EXPECT_FALSE(dlg.search().result().isOpen());
  EXPECT_EQ(dialogs.texts().size(), 2);
}

// A breeder register with umlaut names: a single hit copies the breeder into the box, and
// searching again with the copied boxes finds the same animal ("Mutter suchen" on the card).
TEST_F(AnimalSearchTest, SingleHitCopiesTheBreederAndSearchingAgainFindsItOnceMore) {
  QVariantMap brandt;
  for (const char16_t* name : {u"Böhm", u"König", u"Schäfer", u"Braun", u"Bauer", u"Brandt"}) {
    const qint64 nr = add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), QString::fromUtf16(name)}});
    if (QString::fromUtf16(name) == u"Brandt") brandt.insert(QStringLiteral("Zuechter"), nr);
  }
  const qint64 doe = animal(u"H 512", u"10.26.1", u"2", wiener, brandt);
  animal(u"H 512", u"10.26.2", u"1", wiener, brandt);

  test::ScriptedDialogs dialogs;
  ui::TsuchenDlg dlg(engine);
  dlg.prepareForShow(SearchRequest{3, ParentSearch::Mother, a1});
  auto* zuechter = dlg.findChild<QLineEdit*>(QStringLiteral("EditZuechter"));
  auto* suchen = dlg.findChild<QPushButton*>(QStringLiteral("ButtonSuchen"));
  ASSERT_TRUE(zuechter && suchen);
  zuechter->setText(QStringLiteral("Brandt"));
  suchen->click();
  EXPECT_FALSE(dlg.gridShown());
  EXPECT_EQ(dlg.chosenNummer(), doe);
  EXPECT_EQ(zuechter->text(), QStringLiteral("Brandt"));
  suchen->click();
  EXPECT_FALSE(dlg.gridShown());
  EXPECT_EQ(dlg.chosenNummer(), doe);
  EXPECT_TRUE(dialogs.shown().empty()) << dialogs.texts().join(u'|').toStdString();
}

}  // namespace
}  // namespace lapiro::store

// The matching rules of the import one by one, on files built record by record: breeds,
// colours, addresses and animals against a known stock, the texts of the control view and of
// the log, the undo records, and the settling of logs an interrupted import left behind.
#include "exchange/exchange_export.h"
#include "exchange/exchange_import.h"

#include "support/stock_fixture.h"
#include "support/table_rows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace lapiro;
using namespace lapiro::exchange;

namespace {

const QString kHasen = QStringLiteral("Hasen.db");
const QString kRasse = QStringLiteral("Rasse");
const QString kFarbe = QStringLiteral("Farbe");
const QString kAdresse = QStringLiteral("Adresse");

QVariantMap v(std::initializer_list<std::pair<QString, QVariant>> items) {
  QVariantMap m;
  for (const auto& [k, val] : items) m.insert(k, val);
  return m;
}

ExAnimal animal(const char* id, const char* rechts, const char* links, const char* sex = "2") {
  ExAnimal a;
  a.id = QString::fromUtf8(id);
  a.tatoRechts = QString::fromUtf8(rechts);
  a.tatoLinks = QString::fromUtf8(links);
  a.sex = QString::fromUtf8(sex);
  return a;
}

ExAnimal coloured(const char* id, const char* breed, const char* colourName, const char* colourCode = "") {
  ExAnimal a = animal(id, id, "1.1.1");
  a.breedCode = QString::fromUtf8(breed);
  a.colourName = QString::fromUtf8(colourName);
  a.colourCode = QString::fromUtf8(colourCode);
  return a;
}

ExAddress address(const char* id, const char* name, const char* vorname, const char* strasse, const char* ort) {
  ExAddress a;
  a.id = QString::fromUtf8(id);
  a.name = QString::fromUtf8(name);
  a.vorname = QString::fromUtf8(vorname);
  a.strasse = QString::fromUtf8(strasse);
  a.ort = QString::fromUtf8(ort);
  return a;
}

ExBreed breed(const char* code, const char* name, const char* group = "") {
  return {QString::fromUtf8(code), QString::fromUtf8(name), QString::fromUtf8(group)};
}

ExchangeFile foreignFile() {
  ExchangeFile f;
  f.program = QStringLiteral("Lapiro Manager 3.0");
  f.stock = QStringLiteral("ein anderer Bestand");
  return f;
}

// Nummer of the animal with this right tattoo, 0 when none.
qint64 findAnimal(test::StockDirectory& s, const QString& rechts) {
  for (qint64 k = 1; k < 100; ++k)
    if (s.stored(kHasen, k, QStringLiteral("TatoRechts")).toString() == rechts) return k;
  return 0;
}

QString readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

const FieldDiff* diffOf(const RecordPlan& p, const char* field) {
  for (const FieldDiff& d : p.diffs)
    if (d.field == QString::fromUtf8(field)) return &d;
  return nullptr;
}

QStringList fieldsOf(const RecordPlan& p) {
  QStringList fields;
  for (const FieldDiff& d : p.diffs) fields << d.field;
  return fields;
}

}  // namespace

// ------------------------------------------------------------------ breeds and colours

TEST(ExchangeImportBreeds, BreedsMatchByCodeThenByNameAndTheFirstStoredOneWins) {
  test::StockDirectory buyer;
  const qint64 riesen = buyer.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")}, {QStringLiteral("Code"), QStringLiteral("DR")}}));
  const qint64 widder = buyer.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral("Widder")}}));
  buyer.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral("Rex")}, {QStringLiteral("Code"), QStringLiteral("dr")}}));
  buyer.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral(" widder ")}, {QStringLiteral("Code"), QStringLiteral("WI")}}));
  const qint64 loh = buyer.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral("Lohkaninchen")}, {QStringLiteral("Code"), QStringLiteral("LH")}}));
  ExchangeFile file = foreignFile();
  file.breeds = {breed("Dr", "Riesen"), breed("XW", "WIDDER"), breed("LH", "Rex"), breed("NEU", "Neue Rasse", "Gruppe B")};
  file.animals = {coloured("A0", "DR", ""), coloured("A1", "neu", "")};
  const ImportPlan plan = planImport(buyer.engine, file, ImportOptions{});
  ASSERT_EQ(plan.breeds.size(), 4u);
  const struct {
    qint64 existing;
    RecordState state;
    const char* display;
  } expected[] = {
      {riesen, RecordState::Present, "Riesen (Dr)"},  // by code, case ignored, the first of two
      {widder, RecordState::Present, "WIDDER (XW)"},  // by name, case and blanks ignored, the first of two
      {loh, RecordState::Present, "Rex (LH)"},        // the code counts before the name
      {0, RecordState::New, "Neue Rasse (NEU)"},
  };
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(plan.breeds[i].fileIndex, i);
    EXPECT_EQ(plan.breeds[i].existing, expected[i].existing) << i;
    EXPECT_EQ(plan.breeds[i].state, expected[i].state) << i;
    EXPECT_EQ(plan.breeds[i].display, QString::fromUtf8(expected[i].display)) << i;
  }

  test::TempDir logs;
  const ImportResult r = runImport(buyer.engine, file, plan, ImportOptions{}, logs.path(), QStringLiteral("rassen.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(buyer.stored(kHasen, findAnimal(buyer, QStringLiteral("A0")), QStringLiteral("Rasse")).toLongLong(), riesen);
  const qint64 neu = buyer.stored(kHasen, findAnimal(buyer, QStringLiteral("A1")), QStringLiteral("Rasse")).toLongLong();
  EXPECT_EQ(buyer.stored(kRasse, neu, QStringLiteral("Name")).toString(), QStringLiteral("Neue Rasse"));
  EXPECT_EQ(buyer.stored(kRasse, neu, QStringLiteral("Code")).toString(), QStringLiteral("NEU"));
  EXPECT_EQ(buyer.stored(kRasse, neu, QStringLiteral("Rassegruppe")).toString(), QStringLiteral("Gruppe B"));
  const QString log = readAll(r.logPath);
  EXPECT_TRUE(log.contains(QStringLiteral("Rasse zugeordnet: Rex (LH) {%1}\n").arg(loh))) << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("Rasse angelegt: Neue Rasse (NEU) {%1}\n").arg(neu))) << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("Ergebnis: 3 angelegt, 0 geändert, 0 zugeordnet, 0 mit übersprungenen Angaben")));
}

TEST(ExchangeImportColours, ColoursMatchWithinTheirBreedByNameThenByCode) {
  test::StockDirectory buyer;
  const qint64 riesen = buyer.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")}, {QStringLiteral("Code"), QStringLiteral("DR")}}));
  const qint64 widder = buyer.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral("Widder")}, {QStringLiteral("Code"), QStringLiteral("WI")}}));
  auto colour = [&](qint64 rasse, const char* name, const char* code) {
    return buyer.add(kFarbe, v({{QStringLiteral("Rasse"), rasse}, {QStringLiteral("Name"), QString::fromUtf8(name)},
                                {QStringLiteral("Code"), QString::fromUtf8(code)}}));
  };
  colour(widder, "schwarz", "S");  // so that no colour's number equals its breed's
  const qint64 grau = colour(riesen, "grau", "G");
  const qint64 widderGrau = colour(widder, "grau", "G2");
  colour(riesen, "Grau", "X");  // a second "grau" of the same breed: the first stays the match
  const qint64 weiss = colour(riesen, "weiß", "W");
  colour(riesen, "blau", "w");  // a second code "W": the first stays the match
  ExchangeFile file = foreignFile();
  file.breeds = {breed("DR", "Riesen"), breed("WI", "Widder"), breed("NEU", "Neu")};
  file.animals = {
      coloured("A0", "DR", "GRAU"),          coloured("A1", "dr", "grau"),
      coloured("A2", "WI", "grau"),          coloured("A3", "DR", "Hasengrau", "g"),
      coloured("A4", "DR", "weiß", "zz"),    coloured("A5", "DR", "", "W"),
      coloured("A6", "NEU", "rot", "R"),     coloured("A7", "", "grau"),
      coloured("A8", "DR", ""),              coloured("A9", "DR", "grau", "G"),
      coloured("B0", "DR", "Marder", "M"),  // neither name nor code known: a new colour
  };
  const ImportPlan plan = planImport(buyer.engine, file, ImportOptions{});
  EXPECT_EQ(plan.animalColour, (std::vector<int>{0, 0, 1, 2, 3, 4, 5, -1, -1, 0, 6}));
  ASSERT_EQ(plan.colours.size(), 7u);
  const struct {
    int breed;
    const char* name;
    const char* code;
    qint64 existing;
    const char* display;
  } expected[] = {
      {0, "GRAU", "", grau, "GRAU (Riesen)"},           {1, "grau", "", widderGrau, "grau (Widder)"},
      {0, "Hasengrau", "g", grau, "Hasengrau (Riesen)"}, {0, "weiß", "zz", weiss, "weiß (Riesen)"},
      {0, "W", "W", weiss, "W (Riesen)"},                {2, "rot", "R", 0, "rot (Neu)"},
      {0, "Marder", "M", 0, "Marder (Riesen)"},
  };
  for (int i = 0; i < 7; ++i) {
    const ColourPlan& cp = plan.colours[i];
    EXPECT_EQ(cp.breed, expected[i].breed) << i;
    EXPECT_EQ(cp.name, QString::fromUtf8(expected[i].name)) << i;
    EXPECT_EQ(cp.code, QString::fromUtf8(expected[i].code)) << i;
    EXPECT_EQ(cp.existing, expected[i].existing) << i;
    EXPECT_EQ(cp.display, QString::fromUtf8(expected[i].display)) << i;
  }

  test::TempDir logs;
  const ImportResult r = runImport(buyer.engine, file, plan, ImportOptions{}, logs.path(), QStringLiteral("farben.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  auto stored = [&](const char* rechts, const char* field) {
    return buyer.stored(kHasen, findAnimal(buyer, QString::fromUtf8(rechts)), QString::fromUtf8(field));
  };
  EXPECT_EQ(stored("A0", "Farbe").toLongLong(), grau);
  EXPECT_EQ(stored("A0", "Rasse").toLongLong(), riesen);
  EXPECT_EQ(stored("A2", "Farbe").toLongLong(), widderGrau);
  EXPECT_EQ(stored("A2", "Rasse").toLongLong(), widder);
  EXPECT_EQ(stored("A5", "Farbe").toLongLong(), weiss);
  EXPECT_EQ(stored("A7", "Rasse"), QVariant());  // no breed, so no colour either
  EXPECT_EQ(stored("A7", "Farbe"), QVariant());
  EXPECT_EQ(stored("A8", "Farbe"), QVariant());
  const qint64 rot = stored("A6", "Farbe").toLongLong();
  EXPECT_EQ(buyer.stored(kFarbe, rot, QStringLiteral("Name")).toString(), QStringLiteral("rot"));
  EXPECT_EQ(buyer.stored(kFarbe, rot, QStringLiteral("Code")).toString(), QStringLiteral("R"));
  EXPECT_EQ(buyer.stored(kFarbe, rot, QStringLiteral("Rasse")), stored("A6", "Rasse"));
  const QString log = readAll(r.logPath);
  EXPECT_TRUE(log.contains(QStringLiteral("Farbe zugeordnet: W (Riesen) {%1}\n").arg(weiss))) << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("Farbe angelegt: rot (Neu) {%1}\n").arg(rot))) << log.toStdString();
}
// ------------------------------------------------------------------ addresses

namespace {

// The buyer (own user Jörg Sommer, Lindenweg 3, Kassel) knows Jürgen Müller twice (the first
// is the match), Jonas Wagner of Halle, and two animals bred by Wagner and by nobody.
struct AddressStock {
  test::StockDirectory s;
  qint64 mueller = 0, wagner = 0, e1 = 0, e2 = 0;
  AddressStock() {
    mueller = s.add(kAdresse, v({{QStringLiteral("Name"), QStringLiteral("Müller")}, {QStringLiteral("Vorname"), QStringLiteral("Jürgen")},
                                 {QStringLiteral("Straße"), QStringLiteral("Bergstraße 2")}, {QStringLiteral("PLZ"), QStringLiteral("37073")},
                                 {QStringLiteral("Ort"), QStringLiteral("Göttingen")}, {QStringLiteral("Land"), QStringLiteral("DE")},
                                 {QStringLiteral("Telefon"), QStringLiteral("0551 1")}}));
    s.add(kAdresse, v({{QStringLiteral("Name"), QStringLiteral("Müller")}, {QStringLiteral("Vorname"), QStringLiteral("Jürgen")},
                       {QStringLiteral("Straße"), QStringLiteral("Bergstraße 2")}, {QStringLiteral("Ort"), QStringLiteral("Göttingen")}}));
    wagner = s.add(kAdresse, v({{QStringLiteral("Name"), QStringLiteral("Wagner")}, {QStringLiteral("Vorname"), QStringLiteral("Jonas")},
                                {QStringLiteral("Straße"), QStringLiteral("Am Markt 9")}, {QStringLiteral("Ort"), QStringLiteral("Halle")}}));
    e1 = s.animal(QStringLiteral("E1"), QStringLiteral("1.1.1"), v({{QStringLiteral("Zuechter"), wagner}}));
    e2 = s.animal(QStringLiteral("E2"), QStringLiteral("1.1.2"));
  }
  // The own user (twice, once in other case and blanks), Müller with other values, Wagner in
  // another street, a new person with every field, and a new Wagner whose id names Wagner's
  // stored number.
  static ExchangeFile file() {
    ExchangeFile f = foreignFile();
    ExAddress own = address("eigen", "Sommer", "Jörg", "Lindenweg 3", "Kassel");
    own.plz = QStringLiteral("34117");
    ExAddress mueller = address("a7", "MÜLLER", "Jürgen", "Bergstraße 2", "Göttingen");
    mueller.plz = QStringLiteral("37073");
    mueller.telefon = QStringLiteral("0551 2");
    mueller.email = QStringLiteral("jm@example.org");
    mueller.vereinskennzeichen = QStringLiteral("V12");
    mueller.hbnr = QStringLiteral("H7");
    ExAddress neu = address("a1", "Neu", "", "", "");
    neu.plz = QStringLiteral("10115");
    neu.land = QStringLiteral("DE");
    neu.telefon = QStringLiteral("030 1");
    neu.email = QStringLiteral("neu@example.org");
    neu.vereinskennzeichen = QStringLiteral("K5");
    neu.hbnr = QStringLiteral("HB9");
    f.addresses = {own, mueller, address("a8", "Wagner", "Jonas", "Bahnhofstraße 4", "Halle"),
                   address("a9", "sommer", "jörg", "Lindenweg  3", "kassel"), neu, address("a3", "Wagner", "Eva", "", "Leipzig")};
    ExAnimal n0 = animal("n0", "N0", "2.2.1");
    n0.breederId = QStringLiteral("eigen");
    n0.ownerId = QStringLiteral("eigen");
    ExAnimal n1 = animal("n1", "N1", "2.2.2");
    n1.breederId = QStringLiteral("a9");
    n1.ownerId = QStringLiteral("a7");
    ExAnimal n2 = animal("n2", "N2", "2.2.3");
    n2.ownerId = QStringLiteral("a8");
    ExAnimal e1 = animal("e1", "E1", "1.1.1");
    e1.breederId = QStringLiteral("eigen");
    e1.ownerId = QStringLiteral("a9");
    ExAnimal e2 = animal("e2", "E2", "1.1.2");
    e2.breederId = QStringLiteral("a9");
    f.animals = {n0, n1, n2, e1, e2};
    return f;
  }
};

}  // namespace

TEST(ExchangeImportAddresses, ThePlanShowsMatchesDoubtsTwinsAndTheOwnUser) {
  AddressStock b;
  const ExchangeFile file = AddressStock::file();
  const ImportPlan plan = planImport(b.s.engine, file, ImportOptions{});
  ASSERT_EQ(plan.addresses.size(), 6u);
  const struct {
    RecordState state;
    qint64 existing, candidate;
    int sameAs;
    bool own;
    const char* display;
    QString note;
  } expected[] = {
      {RecordState::New, 0, 0, -1, true, "Jörg Sommer, Kassel", QStringLiteral("eigene Anwenderdaten: nie Besitzer")},
      {RecordState::Differing, b.mueller, 0, -1, false, "Jürgen MÜLLER, Göttingen", QString()},
      {RecordState::Doubtful, 0, b.wagner, -1, false, "Jonas Wagner, Halle",
       QStringLiteral("gleicher Name und Ort wie Jonas Wagner, Halle, aber andere Straße: wird nicht zusammengeführt")},
      {RecordState::New, 0, 0, 0, true, "jörg sommer, kassel", QStringLiteral("dieselbe Adresse wie Jörg Sommer, Kassel")},
      {RecordState::New, 0, 0, -1, false, "Neu", QString()},
      {RecordState::New, 0, 0, -1, false, "Eva Wagner, Leipzig", QString()},  // "a3" names no number of this stock
  };
  for (int i = 0; i < 6; ++i) {
    const RecordPlan& p = plan.addresses[i];
    EXPECT_EQ(p.fileIndex, i);
    EXPECT_EQ(p.state, expected[i].state) << i;
    EXPECT_EQ(p.existing, expected[i].existing) << i;
    EXPECT_EQ(p.candidate, expected[i].candidate) << i;
    EXPECT_EQ(p.sameAs, expected[i].sameAs) << i;
    EXPECT_EQ(p.own, expected[i].own) << i;
    EXPECT_EQ(p.display, QString::fromUtf8(expected[i].display)) << i;
    EXPECT_EQ(p.note, expected[i].note) << i;
  }
  // Every field of Müller is compared; an empty file value (the country) is no difference,
  // the name differs in case only.
  const RecordPlan& m = plan.addresses[1];
  const struct {
    const char* field;
    const char* caption;
    const char* stored;
    const char* incoming;
    const char* action;
  } diffs[] = {
      {"Name", "Name", "Müller", "MÜLLER", "bleibt"},
      {"Telefon", "Telefon", "0551 1", "0551 2", "bleibt"},
      {"EMail", "E-Mail", "", "jm@example.org", "wird ergänzt"},
      {"Vereinskennzeichen", "Vereinskennzeichen", "", "V12", "wird ergänzt"},
      {"HBNr", "Herdbuchnummer", "", "H7", "wird ergänzt"},
  };
  ASSERT_EQ(m.diffs.size(), std::size(diffs)) << fieldsOf(m).join(u',').toStdString();
  for (std::size_t i = 0; i < std::size(diffs); ++i) {
    const FieldDiff& d = m.diffs[i];
    EXPECT_EQ(d.field, QString::fromUtf8(diffs[i].field));
    EXPECT_EQ(d.caption, QString::fromUtf8(diffs[i].caption));
    EXPECT_EQ(d.storedText, QString::fromUtf8(diffs[i].stored));
    EXPECT_EQ(d.incomingText, QString::fromUtf8(diffs[i].incoming));
    EXPECT_EQ(d.actionText(), QString::fromUtf8(diffs[i].action)) << diffs[i].field;
  }
  // The own user as breeder is shown under the first of its two forms; as owner it is nobody.
  const RecordPlan& e1 = plan.animals[3];
  EXPECT_EQ(e1.existing, b.e1);
  EXPECT_EQ(fieldsOf(e1), QStringList{QStringLiteral("Zuechter")});
  ASSERT_TRUE(diffOf(e1, "Zuechter"));
  EXPECT_EQ(diffOf(e1, "Zuechter")->storedText, QStringLiteral("Jonas Wagner, Halle"));
  EXPECT_EQ(diffOf(e1, "Zuechter")->incomingText, QStringLiteral("Jörg Sommer, Kassel"));
  ASSERT_TRUE(diffOf(plan.animals[4], "Zuechter"));
  EXPECT_EQ(diffOf(plan.animals[4], "Zuechter")->storedText, QString());
  EXPECT_EQ(diffOf(plan.animals[4], "Zuechter")->incomingText, QStringLiteral("Jörg Sommer, Kassel"));
  EXPECT_EQ(diffOf(plan.animals[4], "Zuechter")->caption, QStringLiteral("Züchter"));
}

TEST(ExchangeImportAddresses, OverwritingWritesEveryFieldAndTheLogNamesEachStep) {
  AddressStock b;
  const ExchangeFile file = AddressStock::file();
  ImportOptions o;
  o.addressMode = MergeMode::Overwrite;
  const ImportPlan plan = planImport(b.s.engine, file, o);
  for (const FieldDiff& d : plan.addresses[1].diffs) EXPECT_TRUE(d.apply) << d.field.toStdString();
  test::TempDir logs;
  const ImportResult r = runImport(b.s.engine, file, plan, o, logs.path(), QStringLiteral("adressen.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(r.created, 7);  // four addresses (the own user once) and three animals
  EXPECT_EQ(r.updated, 1);
  EXPECT_EQ(r.matched, 1);
  EXPECT_EQ(r.skipped, 1);
  EXPECT_EQ(b.s.rowCount(kAdresse), 7);

  auto stored = [&](qint64 k, const char* field) { return b.s.stored(kAdresse, k, QString::fromUtf8(field)); };
  EXPECT_EQ(stored(b.mueller, "Name").toString(), QStringLiteral("MÜLLER"));
  EXPECT_EQ(stored(b.mueller, "Telefon").toString(), QStringLiteral("0551 2"));
  EXPECT_EQ(stored(b.mueller, "EMail").toString(), QStringLiteral("jm@example.org"));
  EXPECT_EQ(stored(b.mueller, "Vereinskennzeichen").toString(), QStringLiteral("V12"));
  EXPECT_EQ(stored(b.mueller, "HBNr").toString(), QStringLiteral("H7"));
  EXPECT_EQ(stored(b.mueller, "Land").toString(), QStringLiteral("DE"));  // the file gives none

  auto animalField = [&](const char* rechts, const char* field) {
    return b.s.stored(kHasen, findAnimal(b.s, QString::fromUtf8(rechts)), QString::fromUtf8(field));
  };
  const qint64 sommer = animalField("N0", "Zuechter").toLongLong();
  ASSERT_GT(sommer, 0);
  EXPECT_EQ(stored(sommer, "Name").toString(), QStringLiteral("Sommer"));
  EXPECT_EQ(stored(sommer, "PLZ").toString(), QStringLiteral("34117"));
  EXPECT_EQ(animalField("N0", "Besitzer"), QVariant());  // the own user owns nothing
  EXPECT_EQ(animalField("N1", "Zuechter").toLongLong(), sommer);
  EXPECT_EQ(animalField("N1", "Besitzer").toLongLong(), b.mueller);
  const qint64 bahnhof = animalField("N2", "Besitzer").toLongLong();
  EXPECT_EQ(stored(bahnhof, "Straße").toString(), QStringLiteral("Bahnhofstraße 4"));
  EXPECT_EQ(b.s.stored(kHasen, b.e1, QStringLiteral("Zuechter")).toLongLong(), b.wagner);  // filled only when empty
  EXPECT_EQ(b.s.stored(kHasen, b.e1, QStringLiteral("Besitzer")), QVariant());
  EXPECT_EQ(b.s.stored(kHasen, b.e2, QStringLiteral("Zuechter")).toLongLong(), sommer);
  // A new address takes each of its fields into its own column.
  qint64 neu = 0;
  for (qint64 k = 1; k < 20; ++k)
    if (stored(k, "Name").toString() == u"Neu") neu = k;
  ASSERT_GT(neu, 0);
  const struct {
    const char* field;
    const char* value;
  } fields[] = {{"PLZ", "10115"}, {"Land", "DE"}, {"Telefon", "030 1"}, {"EMail", "neu@example.org"},
                {"Vereinskennzeichen", "K5"}, {"HBNr", "HB9"}};
  for (const auto& f : fields) EXPECT_EQ(stored(neu, f.field).toString(), QString::fromUtf8(f.value)) << f.field;
  EXPECT_EQ(stored(neu, "Vorname"), QVariant());

  const QString log = readAll(r.logPath);
  const qint64 wagner2 = bahnhof;
  for (const QString& line : {
           QStringLiteral("Modus Adressen: Überschreiben"),
           QStringLiteral("Adresse überschrieben: Jürgen MÜLLER, Göttingen {%1} – Telefon: \"0551 1\" → \"0551 2\"").arg(b.mueller),
           QStringLiteral("Adresse ergänzt: Jürgen MÜLLER, Göttingen {%1} – E-Mail: \"\" → \"jm@example.org\"").arg(b.mueller),
           QStringLiteral("Adresse angelegt: Jonas Wagner, Halle {%1} (zweifelhaft: gleicher Name und Ort wie Jonas Wagner, "
                          "Halle, aber andere Straße: wird nicht zusammengeführt)")
               .arg(wagner2),
           QStringLiteral("Adresse angelegt: Neu {%1}").arg(neu),
           QStringLiteral("Adresse zugeordnet: jörg sommer, kassel {%1} (dieselbe Adresse wie Jörg Sommer, Kassel)").arg(sommer),
           QStringLiteral("Tier ergänzt: E2  1.1.2 {%1} – Züchter: \"\" → \"Jörg Sommer, Kassel\"").arg(b.e2),
           QStringLiteral("Übersprungen: Tier E1  1.1.1 {%1} – Züchter bleibt \"Jonas Wagner, Halle\" (Datei: \"Jörg Sommer, "
                          "Kassel\"; Modus Aktualisieren leerer Felder)")
               .arg(b.e1),
           QStringLiteral("Tier zugeordnet: E1  1.1.1 {%1} (abweichend)").arg(b.e1),
           QStringLiteral("Ergebnis: 7 angelegt, 1 geändert, 1 zugeordnet, 1 mit übersprungenen Angaben"),
       })
    EXPECT_TRUE(log.contains(line + u'\n')) << line.toStdString() << "\n" << log.toStdString();
}

TEST(ExchangeImportAddresses, WithFillEmptyAnAddressKeepsItsValuesAndTheLogSaysSo) {
  AddressStock b;
  const ExchangeFile file = AddressStock::file();
  const ImportPlan plan = planImport(b.s.engine, file, ImportOptions{});
  test::TempDir logs;
  const ImportResult r = runImport(b.s.engine, file, plan, ImportOptions{}, logs.path(), QStringLiteral("adressen.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(b.s.stored(kAdresse, b.mueller, QStringLiteral("Telefon")).toString(), QStringLiteral("0551 1"));
  EXPECT_EQ(b.s.stored(kAdresse, b.mueller, QStringLiteral("EMail")).toString(), QStringLiteral("jm@example.org"));
  const QString log = readAll(r.logPath);
  EXPECT_TRUE(log.contains(QStringLiteral("Übersprungen: Adresse Jürgen MÜLLER, Göttingen {%1} – Telefon bleibt \"0551 1\" "
                                          "(Datei: \"0551 2\"; Modus Aktualisieren leerer Felder)\n")
                               .arg(b.mueller)))
      << log.toStdString();
  // An address the file gives unchanged is matched and named as such.
  ExchangeFile same = foreignFile();
  same.addresses = {address("a3", "Wagner", "Jonas", "Am Markt 9", "Halle")};
  same.animals = {animal("x", "X1", "")};
  const ImportPlan samePlan = planImport(b.s.engine, same, ImportOptions{});
  ASSERT_EQ(samePlan.addresses.size(), 1u);
  EXPECT_EQ(samePlan.addresses[0].state, RecordState::Present);
  EXPECT_EQ(samePlan.addresses[0].existing, b.wagner);
  const ImportResult again = runImport(b.s.engine, same, samePlan, ImportOptions{}, logs.path(), QStringLiteral("wagner.json"));
  ASSERT_TRUE(again.ok) << again.error.toStdString();
  EXPECT_TRUE(readAll(again.logPath).contains(QStringLiteral("Adresse zugeordnet: Jonas Wagner, Halle {%1} (vorhanden)\n").arg(b.wagner)));
}

// ------------------------------------------------------------------ animals

namespace {

// The buyer holds breed, colour, address and animal number 1 (the references the doe K1
// has), an animal with only a right and one with only a left tattoo, and one with none.
struct AnimalStock {
  test::StockDirectory s;
  qint64 riesen = 0, grau = 0, mueller = 0, vater = 0, k1 = 0, right = 0, left = 0, none = 0;
  AnimalStock() {
    riesen = s.add(kRasse, v({{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")}, {QStringLiteral("Code"), QStringLiteral("DR")}}));
    grau = s.add(kFarbe, v({{QStringLiteral("Rasse"), riesen}, {QStringLiteral("Name"), QStringLiteral("grau")}}));
    mueller = s.add(kAdresse, v({{QStringLiteral("Name"), QStringLiteral("Müller")}, {QStringLiteral("Vorname"), QStringLiteral("Jürgen")},
                                 {QStringLiteral("Straße"), QStringLiteral("Bergstraße 2")}, {QStringLiteral("Ort"), QStringLiteral("Göttingen")}}));
    vater = s.animal(QStringLiteral("V0"), QStringLiteral("0.0.1"), v({{QStringLiteral("Geschlecht"), QStringLiteral("1")}}));
    k1 = s.animal(QStringLiteral("K1"), QStringLiteral("3.5.12"),
                  v({{QStringLiteral("Geburtstag"), QDate(2025, 3, 1)}, {QStringLiteral("Rasse"), riesen},
                     {QStringLiteral("Farbe"), grau}, {QStringLiteral("Vater"), vater}, {QStringLiteral("Zuechter"), mueller},
                     {QStringLiteral("Erbformel"), QStringLiteral("C1")}, {QStringLiteral("Info"), QStringLiteral("alt")},
                     {QStringLiteral("Körnote"), 90}, {QStringLiteral("Status"), 1}}));
    right = s.animal(QStringLiteral("R7"), QString());
    left = s.animal(QString(), QStringLiteral("7.7.7"));
    none = s.animal(QString(), QString());
  }
  // A new buck and doe of a new breed (the first records of the file), K1 with other values,
  // the two half-tattooed animals without breed, colour or parents, and an animal without
  // tattoos.
  ExchangeFile file() const {
    ExchangeFile f = foreignFile();
    f.breeds = {breed("NEU", "Neue Rasse"), breed("DR", "Deutsche Riesen")};
    f.addresses = {address("a1", "Neumann", "Hans", "Hauptstraße 1", "Berlin"), address("a2", "Müller", "Jürgen", "Bergstraße 2", "Göttingen"),
                   address("a3", "Weiß", "Ida", "Hof 1", "Kassel")};
    ExAnimal s9 = animal("s", "S9", "9.9.9", "1");
    s9.breedCode = QStringLiteral("NEU");
    ExAnimal d9 = animal("d", "D9", "9.9.8");
    d9.breedCode = QStringLiteral("NEU");
    ExAnimal k = animal("k", "K1", "3.5.12", "1");
    k.birthDate = QDate(2025, 3, 1);
    k.breedCode = QStringLiteral("NEU");
    k.colourName = QStringLiteral("rot");
    k.sireId = QStringLiteral("s");
    k.damId = QStringLiteral("d");
    k.breederId = QStringLiteral("a1");
    k.ownerId = QStringLiteral("a3");
    k.geneticFormula = QStringLiteral("A1B1");
    k.litterSize = QStringLiteral("7");
    k.koernote = 93;
    ExAnimal j = animal("j", "J9", "9.9.7");  // their young, new as well
    j.sireId = QStringLiteral("s");
    j.damId = QStringLiteral("d");
    j.breederId = QStringLiteral("a1");
    f.animals = {s9, d9, k, animal("r", "R7", ""), animal("l", "", "7.7.7"), animal("o", "", ""), j};
    return f;
  }
};

}  // namespace

TEST(ExchangeImportAnimals, AnimalsMatchByTheirTattoosAndBirthDayAndEachDifferenceIsShownAsTheUserKnowsIt) {
  AnimalStock b;
  const ExchangeFile file = b.file();
  const ImportPlan plan = planImport(b.s.engine, file, ImportOptions{});
  ASSERT_EQ(plan.animals.size(), 7u);
  const struct {
    qint64 existing;
    RecordState state;
    const char* display;
  } expected[] = {
      {0, RecordState::New, "S9  9.9.9"},           {0, RecordState::New, "D9  9.9.8"},
      {b.k1, RecordState::Differing, "K1  3.5.12"}, {b.right, RecordState::Present, "R7  "},
      {b.left, RecordState::Present, "  7.7.7"},    {0, RecordState::New, "  "},  // without tattoos always new
  };
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(plan.animals[i].existing, expected[i].existing) << i;
    EXPECT_EQ(plan.animals[i].state, expected[i].state) << i;
    EXPECT_EQ(plan.animals[i].display, QString::fromUtf8(expected[i].display)) << i;
  }
  EXPECT_EQ(plan.count(RecordState::New), 4);
  EXPECT_EQ(plan.count(RecordState::Present), 2);
  EXPECT_EQ(plan.count(RecordState::Differing), 1);
  EXPECT_EQ(plan.count(RecordState::Doubtful), 0);
  // Stored keys are named by the stock's records, new ones by the file's.
  const struct {
    const char* field;
    const char* caption;
    const char* stored;
    const char* incoming;
    bool fillEmpty;
  } diffs[] = {
      {"Geschlecht", "Geschlecht", "0.1", "1.0", false},
      {"Rasse", "Rasse", "Deutsche Riesen", "Neue Rasse", false},
      {"Farbe", "Farbe", "grau", "rot", false},
      {"Vater", "Vater", "V0  0.0.1", "S9  9.9.9", false},
      {"Mutter", "Mutter", "", "D9  9.9.8", true},
      {"Zuechter", "Züchter", "Jürgen Müller, Göttingen", "Hans Neumann, Berlin", false},
      {"Besitzer", "Besitzer", "", "Ida Weiß, Kassel", true},
      {"Erbformel", "Erbformel", "C1", "A1B1", false},
      {"Wurfgroesse", "Wurfgröße", "", "7", true},
      {"Körnote", "Körnote", "90", "93", false},
  };
  const RecordPlan& k = plan.animals[2];
  ASSERT_EQ(k.diffs.size(), std::size(diffs)) << fieldsOf(k).join(u',').toStdString();
  for (std::size_t i = 0; i < std::size(diffs); ++i) {
    const FieldDiff& d = k.diffs[i];
    EXPECT_EQ(d.field, QString::fromUtf8(diffs[i].field));
    EXPECT_EQ(d.caption, QString::fromUtf8(diffs[i].caption));
    EXPECT_EQ(d.storedText, QString::fromUtf8(diffs[i].stored)) << diffs[i].field;
    EXPECT_EQ(d.incomingText, QString::fromUtf8(diffs[i].incoming)) << diffs[i].field;
    EXPECT_EQ(d.apply, diffs[i].fillEmpty) << diffs[i].field;
  }
  // The half-tattooed animals have nothing in the file that could differ.
  EXPECT_TRUE(plan.animals[3].diffs.empty()) << fieldsOf(plan.animals[3]).join(u',').toStdString();
  EXPECT_TRUE(plan.animals[4].diffs.empty()) << fieldsOf(plan.animals[4]).join(u',').toStdString();
}

TEST(ExchangeImportAnimals, FillingAndOverwritingLinkTheRecordsTheImportCreates) {
  for (const MergeMode mode : {MergeMode::FillEmpty, MergeMode::Overwrite}) {
    AnimalStock b;
    const ExchangeFile file = b.file();
    ImportOptions o;
    o.animalMode = mode;
    o.newStatus = 4;
    const ImportPlan plan = planImport(b.s.engine, file, o);
    test::TempDir logs;
    const ImportResult r = runImport(b.s.engine, file, plan, o, logs.path(), QStringLiteral("tiere.json"));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const bool all = mode == MergeMode::Overwrite;
    auto k1 = [&](const char* field) { return b.s.stored(kHasen, b.k1, QString::fromUtf8(field)); };
    const qint64 sire = findAnimal(b.s, QStringLiteral("S9")), dam = findAnimal(b.s, QStringLiteral("D9"));
    const qint64 neu = b.s.stored(kHasen, sire, QStringLiteral("Rasse")).toLongLong();
    EXPECT_EQ(b.s.stored(kRasse, neu, QStringLiteral("Name")).toString(), QStringLiteral("Neue Rasse"));
    EXPECT_EQ(b.s.stored(kHasen, dam, QStringLiteral("Rasse")).toLongLong(), neu);
    EXPECT_EQ(b.s.stored(kHasen, sire, QStringLiteral("Status")).toLongLong(), 4);
    EXPECT_EQ(k1("Status").toLongLong(), 1);  // a matched animal keeps its status
    EXPECT_EQ(k1("Mutter").toLongLong(), dam);
    EXPECT_EQ(b.s.stored(kAdresse, k1("Besitzer").toLongLong(), QStringLiteral("Name")).toString(), QStringLiteral("Weiß"));
    EXPECT_EQ(k1("Wurfgroesse").toString(), QStringLiteral("7"));
    EXPECT_EQ(k1("Info").toString(), QStringLiteral("alt"));  // an empty file value never clears one
    if (all) {
      EXPECT_EQ(k1("Geschlecht").toString(), QStringLiteral("1"));
      EXPECT_EQ(k1("Rasse").toLongLong(), neu);
      EXPECT_EQ(b.s.stored(kFarbe, k1("Farbe").toLongLong(), QStringLiteral("Name")).toString(), QStringLiteral("rot"));
      EXPECT_EQ(b.s.stored(kFarbe, k1("Farbe").toLongLong(), QStringLiteral("Rasse")).toLongLong(), neu);
      EXPECT_EQ(k1("Vater").toLongLong(), sire);
      EXPECT_EQ(b.s.stored(kAdresse, k1("Zuechter").toLongLong(), QStringLiteral("Name")).toString(), QStringLiteral("Neumann"));
      EXPECT_EQ(k1("Erbformel").toString(), QStringLiteral("A1B1"));
      EXPECT_EQ(k1("Körnote").toLongLong(), 93);
    } else {
      EXPECT_EQ(k1("Geschlecht").toString(), QStringLiteral("2"));
      EXPECT_EQ(k1("Rasse").toLongLong(), b.riesen);
      EXPECT_EQ(k1("Farbe").toLongLong(), b.grau);
      EXPECT_EQ(k1("Vater").toLongLong(), b.vater);
      EXPECT_EQ(k1("Zuechter").toLongLong(), b.mueller);
      EXPECT_EQ(k1("Erbformel").toString(), QStringLiteral("C1"));
      EXPECT_EQ(k1("Körnote").toLongLong(), 90);
    }
    const QString log = readAll(r.logPath);
    const QString line = all ? QStringLiteral("Tier überschrieben: K1  3.5.12 {%1} – Vater: \"V0  0.0.1\" → \"S9  9.9.9\"\n").arg(b.k1)
                             : QStringLiteral("Tier ergänzt: K1  3.5.12 {%1} – Mutter: \"\" → \"D9  9.9.8\"\n").arg(b.k1);
    EXPECT_TRUE(log.contains(line)) << line.toStdString() << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Tier zugeordnet: R7   {%1} (vorhanden)\n").arg(b.right))) << log.toStdString();
    EXPECT_EQ(r.created, 8);  // a breed, a colour, two addresses, four animals
    EXPECT_EQ(r.updated, 1);
    EXPECT_EQ(r.matched, 2);
    EXPECT_EQ(r.skipped, all ? 0 : 1);
    EXPECT_EQ(b.s.rowCount(kHasen), 9);
    const qint64 young = findAnimal(b.s, QStringLiteral("J9"));
    EXPECT_EQ(b.s.stored(kHasen, young, QStringLiteral("Vater")).toLongLong(), sire);
    EXPECT_EQ(b.s.stored(kHasen, young, QStringLiteral("Mutter")).toLongLong(), dam);
    EXPECT_EQ(b.s.stored(kAdresse, b.s.stored(kHasen, young, QStringLiteral("Zuechter")).toLongLong(), QStringLiteral("Name")).toString(),
              QStringLiteral("Neumann"));
  }
}


// ------------------------------------------------------------------ a file of this very stock

namespace {

ExchangeFile exportAll(test::StockDirectory& s) {
  ExportOptions o;
  o.allAnimals = true;
  const ReadResult r = readExchange(writeExchange(collectExport(s.engine, o)));
  EXPECT_TRUE(r.file) << r.error.toStdString();
  return r.file ? *r.file : ExchangeFile{};
}

const ExAddress* addressWithId(const ExchangeFile& f, const QString& id) {
  for (const ExAddress& a : f.addresses)
    if (a.id == id) return &a;
  return nullptr;
}

}  // namespace

TEST(ExchangeImportOwnStock, AnOwnFileNamesStoredRecordsByTheirNumbersWhileTheyStillAreTheSame) {
  test::StockDirectory s;
  const qint64 ring = s.add(kAdresse, v({{QStringLiteral("Name"), QStringLiteral("Wagner")}, {QStringLiteral("Vorname"), QStringLiteral("Jonas")},
                                         {QStringLiteral("Straße"), QStringLiteral("Ringstraße 1")}, {QStringLiteral("Ort"), QStringLiteral("Halle")}}));
  const qint64 markt = s.add(kAdresse, v({{QStringLiteral("Name"), QStringLiteral("Wagner")}, {QStringLiteral("Vorname"), QStringLiteral("Jonas")},
                                          {QStringLiteral("Straße"), QStringLiteral("Am Markt 9")}, {QStringLiteral("Ort"), QStringLiteral("Halle")}}));
  const qint64 own = s.animal(QStringLiteral("S1"), QStringLiteral("1.5.1"), v({{QStringLiteral("Zuechter"), ring}}));
  const qint64 sold = s.animal(QStringLiteral("S2"), QStringLiteral("3.5.1"),
                               v({{QStringLiteral("Besitzer"), markt}, {QStringLiteral("Erbformel"), QStringLiteral("A1")}}));
  const ExchangeFile file = exportAll(s);
  ASSERT_TRUE(addressWithId(file, QStringLiteral("a%1").arg(ring)));
  ASSERT_TRUE(addressWithId(file, QStringLiteral("a%1").arg(markt)));
  // Since the export: Ringstraße 1 moved within Halle, Am Markt 9 is someone else now, S1
  // carries another left tattoo and S2 another formula.
  s.engine.execute(QStringLiteral("UPDATE Adresse SET \"Straße\" = 'Ringstraße 11' WHERE LaufendeNr = %1").arg(ring));
  s.engine.execute(QStringLiteral("UPDATE Adresse SET Name = 'Schulz' WHERE LaufendeNr = %1").arg(markt));
  s.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET TatoLinks = '1.5.9' WHERE Nummer = %1").arg(own));
  s.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Erbformel = 'Z9' WHERE Nummer = %1").arg(sold));
  const ImportPlan plan = planImport(s.engine, file, ImportOptions{});
  ASSERT_TRUE(plan.sameStock);
  ASSERT_EQ(plan.addresses.size(), file.addresses.size());
  for (const RecordPlan& p : plan.addresses) {
    const ExAddress& a = file.addresses[p.fileIndex];
    if (a.id == QStringLiteral("a%1").arg(ring)) {
      EXPECT_EQ(p.existing, ring);
      EXPECT_EQ(p.state, RecordState::Present);
    } else if (a.id == QStringLiteral("a%1").arg(markt)) {
      EXPECT_EQ(p.existing, 0);  // the name no longer agrees
    }
  }
  for (const RecordPlan& p : plan.animals) {
    const ExAnimal& a = file.animals[p.fileIndex];
    if (a.tatoRechts == u"S1") {
      EXPECT_EQ(p.existing, 0);  // its tattoos no longer agree
    }
    if (a.tatoRechts == u"S2") {
      EXPECT_EQ(p.existing, sold);
      EXPECT_TRUE(p.diffs.empty()) << fieldsOf(p).join(u',').toStdString();  // an own file changes nothing
    }
  }
  // Ids the export does not write name no stored address, also right after one that does.
  ExchangeFile other = file;
  other.addresses.clear();
  ExAddress moved = *addressWithId(file, QStringLiteral("a%1").arg(ring));
  other.addresses.push_back(moved);
  moved.id = QStringLiteral("x%1").arg(ring);
  moved.strasse = QStringLiteral("Weg 5");
  other.addresses.push_back(moved);
  other.addresses.push_back(address("ax", "Wagner", "Paul", "", "Jena"));
  const ImportPlan otherPlan = planImport(s.engine, other, ImportOptions{});
  ASSERT_TRUE(otherPlan.sameStock);
  ASSERT_EQ(otherPlan.addresses.size(), 3u);
  EXPECT_EQ(otherPlan.addresses[0].existing, ring);
  EXPECT_EQ(otherPlan.addresses[1].existing, 0);
  EXPECT_EQ(otherPlan.addresses[2].existing, 0);
  EXPECT_EQ(otherPlan.addresses[2].state, RecordState::New);
}

TEST(ExchangeImportOwnStock, OnlyTheIdsTheExportWritesNameStoredAnimals) {
  test::StockDirectory s;
  const qint64 first = s.animal(QStringLiteral("S1"), QStringLiteral("1.5.1"));
  const qint64 twin = s.animal(QStringLiteral("S1"), QStringLiteral("1.5.1"));
  ExportOptions e;
  e.animals = {twin};
  e.generations = 0;
  ExchangeFile file = *readExchange(writeExchange(collectExport(s.engine, e))).file;
  ASSERT_EQ(file.animals.size(), 1u);
  ASSERT_EQ(file.animals[0].id, QStringLiteral("t%1").arg(twin));
  EXPECT_EQ(planImport(s.engine, file, ImportOptions{}).animals[0].existing, twin);
  file.animals[0].id = QStringLiteral("x%1").arg(twin);  // not an id of an export: matched by identity
  EXPECT_EQ(planImport(s.engine, file, ImportOptions{}).animals[0].existing, first);
}

TEST(ExchangeImportOwnStock, AnOlderFileIsOwnOnlyWhenItsOwnAddressIsTheOwnUser) {
  test::StockDirectory buyer;  // own user Jörg Sommer, Lindenweg 3, Kassel
  ExchangeFile file;
  file.program = QStringLiteral("Lapiro Manager 2.9");
  file.animals = {animal("t1", "B1", "1.1.1")};
  // Another breeder's file that knows the own user as an ordinary address.
  file.addresses = {address("eigen", "Brandt", "Karl", "Am Hang 1", "Fulda"), address("a5", "Sommer", "Jörg", "Lindenweg 3", "Kassel")};
  ImportPlan plan = planImport(buyer.engine, file, ImportOptions{});
  EXPECT_FALSE(plan.sameStock);
  EXPECT_FALSE(plan.addresses[0].own);
  EXPECT_TRUE(plan.addresses[1].own);
  // The own user's file: its own address is the own user, also when that has no first name.
  buyer.engine.execute(QStringLiteral("UPDATE \"eigen.DB\" SET Vorname = NULL"));
  file.addresses = {address("eigen", "Sommer", "", "Lindenweg 3", "Kassel")};
  plan = planImport(buyer.engine, file, ImportOptions{});
  EXPECT_TRUE(plan.sameStock);
  EXPECT_TRUE(plan.addresses[0].own);
  // Not when the street differs.
  file.addresses = {address("eigen", "Sommer", "", "Lindenweg 4", "Kassel")};
  EXPECT_FALSE(planImport(buyer.engine, file, ImportOptions{}).sameStock);
}

// ------------------------------------------------------------------ a file no reader checked

TEST(ExchangeImportUnchecked, ReferencesTheFileDoesNotResolveAreLeftEmpty) {
  test::StockDirectory buyer;
  const qint64 e5 = buyer.animal(QStringLiteral("E5"), QStringLiteral("5.5.5"));
  ExchangeFile file = foreignFile();
  file.breeds = {breed("NEU", "Neu")};
  ExAddress nameless = address("", "Leer", "", "", "");
  file.addresses = {nameless};
  ExAnimal l0 = animal("", "L0", "0.0.0");
  l0.breedCode = QStringLiteral("NEU");
  ExAnimal n5 = animal("n", "N5", "5.5.6");
  n5.breedCode = QStringLiteral("XX");
  n5.colourName = QStringLiteral("grau");
  n5.sireId = QStringLiteral("fehlt");
  n5.breederId = QStringLiteral("fehlt");
  ExAnimal e = animal("e", "E5", "5.5.5");
  e.breedCode = QStringLiteral("XX");
  e.colourName = QStringLiteral("grau");
  e.sireId = QStringLiteral("fehlt");
  e.breederId = QStringLiteral("fehlt");
  e.ownerId = QStringLiteral("fehlt");
  file.animals = {l0, n5, e};
  const ImportPlan plan = planImport(buyer.engine, file, ImportOptions{});
  EXPECT_TRUE(plan.colours.empty());
  EXPECT_EQ(plan.animalColour, (std::vector<int>{-1, -1, -1}));
  ASSERT_EQ(plan.animals[2].existing, e5);
  EXPECT_TRUE(plan.animals[2].diffs.empty()) << fieldsOf(plan.animals[2]).join(u',').toStdString();
  test::TempDir logs;
  const ImportResult r = runImport(buyer.engine, file, plan, ImportOptions{}, logs.path(), QStringLiteral("roh.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  const qint64 n = findAnimal(buyer, QStringLiteral("N5"));
  for (const char* field : {"Rasse", "Farbe", "Vater", "Mutter", "Zuechter", "Besitzer"}) {
    EXPECT_EQ(buyer.stored(kHasen, n, QString::fromUtf8(field)), QVariant()) << field;
    EXPECT_EQ(buyer.stored(kHasen, e5, QString::fromUtf8(field)), QVariant()) << field;
  }
}

// ------------------------------------------------------------------ undo records and undo

namespace {

// One new breed, one new animal with a show result, and the known doe K1 whose notes the
// file overwrites; the stored notes hold a tab and a unit separator, the file's quotes and a
// backslash.
struct UndoCase {
  test::StockDirectory s;
  test::TempDir logs;
  qint64 k1 = 0;
  ExchangeFile file = foreignFile();
  UndoCase() {
    k1 = s.animal(QStringLiteral("K1"), QStringLiteral("3.5.12"), v({{QStringLiteral("Info"), QStringLiteral("a\x1f" "b\tc")}}));
    file.breeds = {breed("DR", "Deutsche Riesen")};
    ExAnimal n = animal("n", "N1", "1.1.1", "1");
    n.breedCode = QStringLiteral("DR");
    ExShow show;
    show.date = QDate(2025, 11, 2);
    show.title = QStringLiteral("Kreisschau");
    show.weight = 19.3;
    show.scores[0] = 19.5;
    n.shows = {show};
    ExAnimal k = animal("k", "K1", "3.5.12");
    k.info = QStringLiteral("sagt \"hallo\" C:\\x");
    file.animals = {n, k};
  }
  ImportResult run() {
    ImportOptions o;
    o.animalMode = MergeMode::Overwrite;
    const ImportPlan plan = planImport(s.engine, file, o);
    return runImport(s.engine, file, plan, o, logs.path(), QStringLiteral("rueck.json"));
  }
};

}  // namespace

TEST(ExchangeImportUndo, TheLogCarriesEachWriteAsOneLineOfJsonAndTheUndoRestoresItExactly) {
  UndoCase c;
  const ImportResult r = c.run();
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  const qint64 n = findAnimal(c.s, QStringLiteral("N1"));
  const qint64 rasse = c.s.stored(kHasen, n, QStringLiteral("Rasse")).toLongLong();
  const QString log = readAll(r.logPath);
  for (const QString& line : {
           QStringLiteral("#{\"op\":\"insert\",\"table\":\"Rasse\",\"key\":%1,\"values\":{\"Name\":\"Deutsche Riesen\","
                          "\"Code\":\"DR\",\"Rassegruppe\":null}}")
               .arg(rasse),
           QStringLiteral("#{\"op\":\"update\",\"table\":\"Hasen\",\"key\":%1,\"field\":\"Info\",\"old\":\"a\\u001fb\\u0009c\","
                          "\"new\":\"sagt \\\"hallo\\\" C:\\\\x\"}")
               .arg(c.k1),
           QStringLiteral("\"Titel\":\"Kreisschau\",\"Ort\":null,\"Preis\":null,\"Gewicht\":19.300000000000001,\"Gewicht1\":19.5,"
                          "\"Koerper2\":null"),
       })
    EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("#{\"op\":\"insert\",\"table\":\"Hasen\",\"key\":%1,\"values\":{\"TatoRechts\":\"N1\",")
                               .arg(n)));
  EXPECT_EQ(c.s.stored(kHasen, c.k1, QStringLiteral("Info")).toString(), QStringLiteral("sagt \"hallo\" C:\\x"));

  EXPECT_EQ(undoImport(c.s.engine, r.logPath), QString());
  EXPECT_EQ(c.s.stored(kHasen, c.k1, QStringLiteral("Info")).toString(), QStringLiteral("a\x1f" "b\tc"));
  EXPECT_EQ(c.s.rowCount(kHasen), 1);
  EXPECT_EQ(c.s.rowCount(kRasse), 0);
  EXPECT_EQ(c.s.rowCount(QStringLiteral("Ausstellung")), 0);
  EXPECT_TRUE(readAll(r.logPath).contains(QStringLiteral(": 3 Datensätze entfernt, 1 Angaben wiederhergestellt.\n")))
      << readAll(r.logPath).toStdString();
}

TEST(ExchangeImportUndo, ChangesSinceTheImportAreNamedAndNumbersAgreeToFifteenDigits) {
  UndoCase c;
  const ImportResult r = c.run();
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  const qint64 n = findAnimal(c.s, QStringLiteral("N1"));
  const QString head = QStringLiteral("Die Einlagerung kann nicht rückgängig gemacht werden, weil Datensätze seitdem geändert wurden:\n");
  // A created record edited since.
  c.s.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET IDCode = 'Max' WHERE Nummer = %1").arg(n));
  EXPECT_EQ(undoImport(c.s.engine, r.logPath), head + QStringLiteral("Hasen {%1}: IDCode wurde seitdem geändert").arg(n));
  c.s.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET IDCode = NULL WHERE Nummer = %1").arg(n));
  // A weight that differs in the fifteenth digit is a change, one beyond it is none.
  c.s.engine.execute(QStringLiteral("UPDATE Ausstellung SET Gewicht1 = 19.5000000000001"));
  EXPECT_TRUE(undoImport(c.s.engine, r.logPath).endsWith(QStringLiteral(": Gewicht1 wurde seitdem geändert")));
  c.s.engine.execute(QStringLiteral("UPDATE Ausstellung SET Gewicht1 = 19.50000000000004"));
  // An overwritten value changed since, and a record that refers to a created one.
  c.s.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Info = 'neu' WHERE Nummer = %1").arg(c.k1));
  const qint64 young = c.s.animal(QStringLiteral("J1"), QStringLiteral("4.4.4"), v({{QStringLiteral("Vater"), n}}));
  EXPECT_EQ(undoImport(c.s.engine, r.logPath), head + QStringLiteral("Hasen {%1}: Info wurde seitdem geändert").arg(c.k1));
  c.s.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Info = 'sagt \"hallo\" C:\\x' WHERE Nummer = %1").arg(c.k1));
  EXPECT_EQ(undoImport(c.s.engine, r.logPath),
            head + QStringLiteral("Hasen {%1} verweist über Vater auf einen eingelagerten Datensatz").arg(young));
  EXPECT_EQ(c.s.stored(kHasen, c.k1, QStringLiteral("Info")).toString(), QStringLiteral("sagt \"hallo\" C:\\x"));
  c.s.engine.execute(QStringLiteral("DELETE FROM \"Hasen.db\" WHERE Nummer = %1").arg(young));
  EXPECT_EQ(undoImport(c.s.engine, r.logPath), QString());
}

TEST(ExchangeImportUndo, AtMostFiveConflictsAreListedAndTheRestCounted) {
  test::StockDirectory s;
  test::TempDir logs;
  ExchangeFile file = foreignFile();
  for (int i = 0; i < 7; ++i) {
    const QByteArray id = "n" + QByteArray::number(i);
    file.animals.push_back(animal(id.constData(), id.constData(), "1.1.1"));
  }
  const ImportPlan plan = planImport(s.engine, file, ImportOptions{});
  const ImportResult r = runImport(s.engine, file, plan, ImportOptions{}, logs.path(), QStringLiteral("sieben.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  QStringList gone;
  for (int i = 0; i < 7; ++i) gone << QStringLiteral("Hasen {%1} gibt es nicht mehr").arg(findAnimal(s, QStringLiteral("n%1").arg(i)));
  s.engine.execute(QStringLiteral("DELETE FROM \"Hasen.db\""));
  EXPECT_EQ(undoImport(s.engine, r.logPath),
            QStringLiteral("Die Einlagerung kann nicht rückgängig gemacht werden, weil Datensätze seitdem geändert wurden:\n") +
                gone.mid(0, 5).join(u'\n') + QStringLiteral("\n… und 2 weitere"));
}

// ------------------------------------------------------------------ logs

TEST(ExchangeImportLog, ASecondImportInTheSameSecondGetsTheNextFreeName) {
  test::StockDirectory s;
  test::TempDir logs;
  // Every name of the next half minute is taken already.
  const QDateTime now = QDateTime::currentDateTime();
  for (int sec = -1; sec < 30; ++sec) {
    QFile f(logs.file(QStringLiteral("Einlagerung-%1.log").arg(now.addSecs(sec).toString(QStringLiteral("yyyyMMdd-HHmmss")))));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  ExchangeFile file = foreignFile();
  file.animals = {animal("n", "N1", "1.1.1")};
  const ImportPlan plan = planImport(s.engine, file, ImportOptions{});
  const ImportResult r = runImport(s.engine, file, plan, ImportOptions{}, logs.path(), QStringLiteral("x.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_TRUE(r.logPath.endsWith(QStringLiteral("-2.log"))) << r.logPath.toStdString();
  const QString log = readAll(r.logPath);
  EXPECT_TRUE(log.startsWith(QStringLiteral("Lapiro Manager – Einlagerung\nProtokollversion: 2\nDatei: x.json\n")));
  EXPECT_TRUE(log.contains(QStringLiteral("\nStatus neuer Tiere: 2\n")));
  EXPECT_TRUE(log.contains(QStringLiteral("\nModus Tiere: Aktualisieren leerer Felder\n")));
}

TEST(ExchangeImportLog, SettlingKeepsTheLogsWhoseWritesAreInTheTablesAndDropsTheOthers) {
  test::StockDirectory s;
  test::TempDir logs;
  const qint64 k = s.animal(QStringLiteral("K1"), QStringLiteral("3.5.12"), v({{QStringLiteral("Erbformel"), QStringLiteral("A1")}}));
  const qint64 adr = s.add(kAdresse, v({{QStringLiteral("Name"), QStringLiteral("Wagner")}}));
  EXPECT_EQ(settleImportLogs(s.engine, logs.file(QStringLiteral("fehlt"))), 0);
  const QString head = QStringLiteral("Lapiro Manager – Einlagerung\nProtokollversion: 2\n\nRücknahmedaten (für \"Rückgängig\"; bitte nicht ändern):\n");
  auto insert = [](const char* table, qint64 key) {
    return QStringLiteral("#{\"op\":\"insert\",\"table\":\"%1\",\"key\":%2,\"values\":{}}").arg(QString::fromUtf8(table)).arg(key);
  };
  auto update = [](qint64 key, const char* value) {
    return QStringLiteral("#{\"op\":\"update\",\"table\":\"Hasen\",\"key\":%1,\"field\":\"Erbformel\",\"old\":null,\"new\":\"%2\"}")
        .arg(key)
        .arg(QString::fromUtf8(value));
  };
  const struct {
    const char* name;
    QString content;
    bool kept, closed;
  } cases[] = {
      {"Einlagerung-20250101-100000.log", head, true, true},  // wrote nothing
      {"Einlagerung-20250101-100001.log", head + insert("Hasen", k) + u'\n', true, true},
      {"Einlagerung-20250101-100002.log", head + insert("Adresse", adr) + u'\n', true, true},
      {"Einlagerung-20250101-100003.log", head + insert("Hasen", 999) + u'\n', false, false},
      {"Einlagerung-20250101-100004.log", head + update(k, "A1"), true, true},  // no line break at its end
      {"Einlagerung-20250101-100005.log", head + update(k, "Z9") + u'\n', false, false},
      {"Einlagerung-20250101-100006.log", head + insert("Hasen", 999) + QStringLiteral("\nRückgängig gemacht am 01.01.2025\n"), true, false},
      {"Einlagerung-20250101-100007.log", QStringLiteral("Lapiro Manager – Einlagerung\n") + insert("Hasen", 999) + u'\n', true, false},
  };
  for (const auto& c : cases) {
    QFile f(logs.file(QString::fromUtf8(c.name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(c.content.toUtf8());
  }
  EXPECT_EQ(settleImportLogs(s.engine, logs.path()), 6);
  for (const auto& c : cases) {
    const QString path = logs.file(QString::fromUtf8(c.name));
    EXPECT_EQ(QFile::exists(path), c.kept) << c.name;
    if (!c.kept) continue;
    const QString text = readAll(path);
    if (c.closed) {
      EXPECT_TRUE(text.startsWith(c.content)) << c.name;
      const QString rest = text.mid(c.content.size());
      const QString line = c.content.endsWith(u'\n') ? rest : rest.mid(1);
      EXPECT_TRUE(line.startsWith(QStringLiteral("Eingelagert und abgeschlossen am "))) << c.name << rest.toStdString();
      EXPECT_TRUE(line.endsWith(u'\n')) << c.name;
      EXPECT_EQ(line.count(u'\n'), 1) << c.name;
    } else {
      EXPECT_EQ(text, c.content) << c.name;
    }
  }
  EXPECT_EQ(settleImportLogs(s.engine, logs.path()), 0);
}

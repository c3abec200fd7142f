#include "exchange/exchange_export.h"
#include "exchange/exchange_import.h"

#include "support/stock_fixture.h"
#include "support/table_rows.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

using namespace lapiro;
using namespace lapiro::exchange;

namespace {

const QString kHasen = QStringLiteral("Hasen.db");

QVariantMap v(std::initializer_list<std::pair<QString, QVariant>> items) {
  QVariantMap m;
  for (const auto& [k, val] : items) m.insert(k, val);
  return m;
}

// A seller's stock: a doe with parents and grandparents, breeds, a colour and addresses.
struct SellerStock {
  test::StockDirectory s;
  qint64 breed = 0, colour = 0, breeder = 0, owner = 0;
  qint64 ggf = 0, gf = 0, gm = 0, father = 0, mother = 0, doe = 0, unrelated = 0;

  SellerStock() {
    // Another breeder than the buyer's fixture (whose own user is Jörg Sommer, Kassel).
    s.engine.execute(QStringLiteral("UPDATE \"eigen.DB\" SET Name = 'Brandt', Vorname = 'Karl', Strasse = 'Am Hang 1', "
                                    "Plz = '36037', Ort = 'Fulda'"));
    breed = s.add(QStringLiteral("Rasse"), v({{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")},
                                             {QStringLiteral("Code"), QStringLiteral("DR")}}));
    colour = s.add(QStringLiteral("Farbe"), v({{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), QStringLiteral("grau")}}));
    breeder = s.add(QStringLiteral("Adresse"), v({{QStringLiteral("Name"), QStringLiteral("Müller")},
                                                  {QStringLiteral("Vorname"), QStringLiteral("Jürgen")},
                                                  {QStringLiteral("Ort"), QStringLiteral("Göttingen")},
                                                  {QStringLiteral("Telefon"), QStringLiteral("0551 1")}}));
    owner = s.add(QStringLiteral("Adresse"), v({{QStringLiteral("Name"), QStringLiteral("Weiß")}, {QStringLiteral("Ort"), QStringLiteral("Kassel")}}));
    auto animal = [&](const char* r, const char* l, const char* sex, qint64 vater, qint64 mutter, QVariantMap more = {}) {
      more.insert(QStringLiteral("Geschlecht"), QString::fromUtf8(sex));
      more.insert(QStringLiteral("Rasse"), breed);
      more.insert(QStringLiteral("Farbe"), colour);
      more.insert(QStringLiteral("Status"), 2);
      if (vater) more.insert(QStringLiteral("Vater"), vater);
      if (mutter) more.insert(QStringLiteral("Mutter"), mutter);
      return s.animal(QString::fromUtf8(r), QString::fromUtf8(l), more);
    };
    ggf = animal("G1", "1.2.1", "1", 0, 0);
    gf = animal("G2", "1.3.1", "1", ggf, 0, v({{QStringLiteral("Geburtstag"), QDate(2023, 1, 1)}}));
    gm = animal("G3", "1.3.2", "2", 0, 0);
    father = animal("V1", "2.4.1", "1", gf, gm, v({{QStringLiteral("Zuechter"), breeder}}));
    mother = animal("M1", "2.4.2", "2", 0, 0, v({{QStringLiteral("Erbformel"), QStringLiteral("A1")}}));
    doe = animal("K1", "3.5.12", "2", father, mother,
                 v({{QStringLiteral("Geburtstag"), QDate(2025, 3, 1)},
                    {QStringLiteral("Zuechter"), breeder},
                    {QStringLiteral("Besitzer"), owner},
                    {QStringLiteral("Erbformel"), QStringLiteral("A1B1")},
                    {QStringLiteral("Körnote"), 93},
                    {QStringLiteral("IDCode"), QStringLiteral("Grete")}}));
    unrelated = animal("X9", "9.9.9", "1", 0, 0);
    s.add(QStringLiteral("Ausstellung"), v({{QStringLiteral("Hase"), doe},
                                            {QStringLiteral("Datum"), QDate(2025, 11, 2)},
                                            {QStringLiteral("Titel"), QStringLiteral("Kreisschau")},
                                            {QStringLiteral("Gewicht1"), 19.5}}));
  }
};

// Nummer of the animal with these tattoos in `s`, 0 when none.
qint64 find(test::StockDirectory& s, const QString& rechts, const QString& links) {
  for (qint64 k = 1; k < 1000; ++k)
    if (s.stored(kHasen, k, QStringLiteral("TatoRechts")).toString() == rechts &&
        s.stored(kHasen, k, QStringLiteral("TatoLinks")).toString() == links)
      return k;
  return 0;
}

ExchangeFile exportDoe(SellerStock& seller, int generations, bool shows = true) {
  ExportOptions o;
  o.animals = {seller.doe};
  o.generations = generations;
  o.withShows = shows;
  return collectExport(seller.s.engine, o);
}

}  // namespace

TEST(ExchangeExport, AncestorsAreTakenToTheChosenNumberOfGenerations) {
  SellerStock seller;
  EXPECT_EQ(exportDoe(seller, 0).animals.size(), 1u);
  EXPECT_EQ(exportDoe(seller, 1).animals.size(), 3u);
  EXPECT_EQ(exportDoe(seller, 2).animals.size(), 5u);
  const ExchangeFile f = exportDoe(seller, 4);
  EXPECT_EQ(f.animals.size(), 6u);  // the unrelated buck stays home
  // Parentage only within the file: with one generation the father has no recorded sire.
  const ExchangeFile one = exportDoe(seller, 1);
  for (const ExAnimal& a : one.animals) {
    if (a.tatoRechts == u"V1") {
      EXPECT_TRUE(a.sireId.isEmpty());
    }
  }
  ExportOptions all;
  all.allAnimals = true;
  EXPECT_EQ(collectExport(seller.s.engine, all).animals.size(), 7u);

  // The status goes by its name.
  seller.s.add(QStringLiteral("Status"), v({{QStringLiteral("Name"), QStringLiteral("Verkauft")}}));
  const qint64 zucht = seller.s.add(QStringLiteral("Status"), v({{QStringLiteral("Name"), QStringLiteral("Zucht")}}));
  seller.s.engine.execute(
      QStringLiteral("UPDATE \"Hasen.db\" SET Status = %1 WHERE Nummer = %2").arg(zucht).arg(seller.doe));
  EXPECT_EQ(exportDoe(seller, 0).animals.at(0).status, QStringLiteral("Zucht"));
}

TEST(ExchangeExport, FileIsWrittenWholeAndReadsBack) {
  SellerStock seller;
  test::TempDir target;
  const QString path = target.file(exportFileName(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))));
  EXPECT_TRUE(path.endsWith(QStringLiteral("Lapiro-Austausch-20260102-030405.json")));
  ASSERT_TRUE(saveExchangeFile(exportDoe(seller, 4), path).isEmpty());
  EXPECT_EQ(QDir(target.path()).entryList(QDir::Files).size(), 1);  // no temporary left behind
  const ReadResult r = readExchangeFile(path);
  ASSERT_TRUE(r.file) << r.error.toStdString();
  EXPECT_EQ(r.file->animals.size(), 6u);
  EXPECT_EQ(saveExchangeFile(*r.file, target.file(QStringLiteral("fehlt/x.json"))).isEmpty(), false);
}

TEST(ExchangeImport, RoundTripBringsAnimalsParentsAndAddressesAndASecondImportCreatesNothing) {
  SellerStock seller;
  test::StockDirectory buyer;
  test::TempDir logs;
  const ReadResult r = readExchange(writeExchange(exportDoe(seller, 4)));
  ASSERT_TRUE(r.file) << r.error.toStdString();

  ImportOptions o;
  o.newStatus = 3;
  const ImportPlan plan = planImport(buyer.engine, *r.file, o);
  EXPECT_EQ(plan.count(RecordState::New), 6);
  ASSERT_EQ(plan.breeds.size(), 1u);
  EXPECT_EQ(plan.breeds[0].state, RecordState::New);
  const ImportResult done = runImport(buyer.engine, *r.file, plan, o, logs.path(), QStringLiteral("test.json"));
  ASSERT_TRUE(done.ok) << done.error.toStdString();
  EXPECT_EQ(buyer.rowCount(kHasen), 6);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Rasse")), 1);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Farbe")), 1);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Adresse")), 2);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Ausstellung")), 1);

  const qint64 doe = find(buyer, QStringLiteral("K1"), QStringLiteral("3.5.12"));
  const qint64 father = find(buyer, QStringLiteral("V1"), QStringLiteral("2.4.1"));
  const qint64 mother = find(buyer, QStringLiteral("M1"), QStringLiteral("2.4.2"));
  const qint64 gf = find(buyer, QStringLiteral("G2"), QStringLiteral("1.3.1"));
  const qint64 ggf = find(buyer, QStringLiteral("G1"), QStringLiteral("1.2.1"));
  ASSERT_TRUE(doe && father && mother && gf && ggf);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Vater")).toLongLong(), father);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Mutter")).toLongLong(), mother);
  EXPECT_EQ(buyer.stored(kHasen, father, QStringLiteral("Vater")).toLongLong(), gf);
  EXPECT_EQ(buyer.stored(kHasen, gf, QStringLiteral("Vater")).toLongLong(), ggf);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Geburtstag")).toDate(), QDate(2025, 3, 1));
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("A1B1"));
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Körnote")).toLongLong(), 93);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("IDCode")).toString(), QStringLiteral("Grete"));
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Status")).toLongLong(), 3);
  const qint64 breederKey = buyer.stored(kHasen, doe, QStringLiteral("Zuechter")).toLongLong();
  EXPECT_EQ(buyer.stored(QStringLiteral("Adresse"), breederKey, QStringLiteral("Name")).toString(), QStringLiteral("Müller"));
  EXPECT_EQ(buyer.stored(QStringLiteral("Adresse"), breederKey, QStringLiteral("Telefon")).toString(), QStringLiteral("0551 1"));
  EXPECT_EQ(buyer.stored(kHasen, father, QStringLiteral("Zuechter")).toLongLong(), breederKey);  // one address, used twice
  const qint64 rasse = buyer.stored(kHasen, doe, QStringLiteral("Rasse")).toLongLong();
  EXPECT_EQ(buyer.stored(QStringLiteral("Rasse"), rasse, QStringLiteral("Code")).toString(), QStringLiteral("DR"));
  const qint64 farbe = buyer.stored(kHasen, doe, QStringLiteral("Farbe")).toLongLong();
  EXPECT_EQ(buyer.stored(QStringLiteral("Farbe"), farbe, QStringLiteral("Rasse")).toLongLong(), rasse);

  // The second import finds everything.
  const ImportPlan again = planImport(buyer.engine, *r.file, o);
  EXPECT_EQ(again.count(RecordState::Present), 6);
  EXPECT_EQ(again.breeds[0].state, RecordState::Present);
  EXPECT_EQ(again.colours[0].existing, farbe);
  for (const RecordPlan& a : again.addresses) EXPECT_EQ(a.state, RecordState::Present);
  const ImportResult second = runImport(buyer.engine, *r.file, again, o, logs.path(), QStringLiteral("test.json"));
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(second.created, 0);
  EXPECT_EQ(second.updated, 0);
  EXPECT_EQ(second.matched, 6);
  EXPECT_EQ(buyer.rowCount(kHasen), 6);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Adresse")), 2);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Ausstellung")), 1);
}

// The buyer holds the doe already with other data, the mother identical, the rest is new.
class ImportModes : public ::testing::Test {
 protected:
  void SetUp() override {
    const ReadResult r = readExchange(writeExchange(exportDoe(seller, 1, false)));
    ASSERT_TRUE(r.file);
    file = *r.file;
    breed = buyer.add(QStringLiteral("Rasse"), v({{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")},
                                                  {QStringLiteral("Code"), QStringLiteral("dr")}}));
    doe = buyer.animal(QStringLiteral("K1"), QStringLiteral("3.5.12"),
                       v({{QStringLiteral("Geburtstag"), QDate(2025, 3, 1)},
                          {QStringLiteral("Rasse"), breed},
                          {QStringLiteral("Erbformel"), QStringLiteral("C1")},
                          {QStringLiteral("Status"), 1}}));
    colour = buyer.add(QStringLiteral("Farbe"), v({{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), QStringLiteral("Grau")}}));
    mother = buyer.animal(QStringLiteral("M1"), QStringLiteral("2.4.2"),
                          v({{QStringLiteral("Rasse"), breed},
                             {QStringLiteral("Farbe"), colour},
                             {QStringLiteral("Erbformel"), QStringLiteral("A1")}}));
  }
  const FieldDiff* diff(const RecordPlan& p, const char* field) {
    for (const FieldDiff& d : p.diffs)
      if (d.field == QString::fromUtf8(field)) return &d;
    return nullptr;
  }
  const RecordPlan& planOf(const ImportPlan& plan, const char* rechts) {
    for (const RecordPlan& p : plan.animals)
      if (file.animals[p.fileIndex].tatoRechts == QString::fromUtf8(rechts)) return p;
    throw std::logic_error("no such animal");
  }
  ImportResult run(MergeMode mode) {
    ImportOptions o;
    o.animalMode = mode;
    plan = planImport(buyer.engine, file, o);
    return runImport(buyer.engine, file, plan, o, logs.path(), QStringLiteral("k1.json"));
  }

  SellerStock seller;
  test::StockDirectory buyer;
  test::TempDir logs;
  ExchangeFile file;
  ImportPlan plan;
  qint64 breed = 0, colour = 0, doe = 0, mother = 0;
};

TEST_F(ImportModes, ControlViewShowsNewPresentAndDifferingWithBothValues) {
  ImportOptions o;
  const ImportPlan p = planImport(buyer.engine, file, o);
  EXPECT_EQ(planOf(p, "V1").state, RecordState::New);
  EXPECT_EQ(planOf(p, "M1").state, RecordState::Present);  // the breed matched by code, case ignored
  const RecordPlan& k = planOf(p, "K1");
  EXPECT_EQ(k.state, RecordState::Differing);
  EXPECT_EQ(k.existing, doe);
  const FieldDiff* erb = diff(k, "Erbformel");
  ASSERT_TRUE(erb);
  EXPECT_EQ(erb->storedText, QStringLiteral("C1"));
  EXPECT_EQ(erb->incomingText, QStringLiteral("A1B1"));
  EXPECT_EQ(erb->actionText(), QStringLiteral("bleibt"));
  const FieldDiff* mutter = diff(k, "Mutter");
  ASSERT_TRUE(mutter);
  EXPECT_EQ(mutter->incomingText, QStringLiteral("M1  2.4.2"));
  EXPECT_EQ(mutter->actionText(), QStringLiteral("wird ergänzt"));
  EXPECT_EQ(diff(k, "Rasse"), nullptr);  // the same breed
  EXPECT_EQ(p.breeds[0].existing, breed);
  EXPECT_EQ(p.colours.size(), 1u);
  EXPECT_EQ(p.colours[0].existing, colour);  // names compare without regard to case
  ASSERT_TRUE(diff(k, "Farbe"));
  EXPECT_EQ(diff(k, "Farbe")->incomingText, QStringLiteral("Grau"));
}

TEST_F(ImportModes, TheSexDiffersOnlyBetweenBuckAndDoe) {
  ASSERT_EQ(file.animals[static_cast<size_t>(planOf(planImport(buyer.engine, file, ImportOptions{}), "K1").fileIndex)].sex,
            QStringLiteral("2"));
  auto sexDiffers = [&](const char* stored) {
    buyer.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Geschlecht = '%1' WHERE Nummer = %2")
                             .arg(QString::fromUtf8(stored)).arg(doe));
    return diff(planOf(planImport(buyer.engine, file, ImportOptions{}), "K1"), "Geschlecht") != nullptr;
  };
  EXPECT_TRUE(sexDiffers("1"));   // stored as a buck, the file has a doe
  EXPECT_FALSE(sexDiffers("0"));  // any stored code but "1" is a doe
  EXPECT_FALSE(sexDiffers("2"));
}

TEST_F(ImportModes, FillEmptyFillsOnlyEmptyFieldsAndLinksTheNewFather) {
  const ImportResult r = run(MergeMode::FillEmpty);
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("C1"));
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Mutter")).toLongLong(), mother);
  const qint64 father = find(buyer, QStringLiteral("V1"), QStringLiteral("2.4.1"));
  ASSERT_GT(father, 0);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Vater")).toLongLong(), father);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Status")).toLongLong(), 1);  // existing status stays
  EXPECT_EQ(buyer.stored(kHasen, father, QStringLiteral("Status")).toLongLong(), 2);
  EXPECT_EQ(r.created, 3);  // father, breeder and owner address
  EXPECT_EQ(r.updated, 1);
  EXPECT_EQ(r.matched, 1);
}

TEST_F(ImportModes, AppendOnlyLeavesExistingAnimalsAlone) {
  const ImportResult r = run(MergeMode::AppendOnly);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Mutter")), QVariant());
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("C1"));
  EXPECT_EQ(buyer.rowCount(kHasen), 3);  // the father is still added
  EXPECT_EQ(r.updated, 0);
}

TEST_F(ImportModes, OverwriteReplacesStoredValues) {
  const ImportResult r = run(MergeMode::Overwrite);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("A1B1"));
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Körnote")).toLongLong(), 93);
}

TEST_F(ImportModes, AFailureInTheMiddleWritesNothing) {
  ImportOptions o;
  o.animalMode = MergeMode::Overwrite;
  const ImportPlan p = planImport(buyer.engine, file, o);
  int written = 0;
  const ImportResult r = runImport(buyer.engine, file, p, o, logs.path(), QStringLiteral("k1.json"), [&](int) {
    if (++written == 2) throw std::runtime_error("disk full");
  });
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.error.contains(QStringLiteral("nichts gespeichert")));
  EXPECT_EQ(buyer.rowCount(kHasen), 2);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Adresse")), 0);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("C1"));
  EXPECT_TRUE(QDir(logs.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(ImportModes, LogRecordsEachStepAndUndoRestoresTheStock) {
  const ImportResult r = run(MergeMode::Overwrite);
  ASSERT_TRUE(r.ok);
  ASSERT_FALSE(r.logPath.isEmpty());
  EXPECT_TRUE(r.logPath.startsWith(logs.path()));
  QFile f(r.logPath);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString log = QString::fromUtf8(f.readAll());
  f.close();
  const qint64 father = find(buyer, QStringLiteral("V1"), QStringLiteral("2.4.1"));
  EXPECT_TRUE(log.contains(QStringLiteral("Datei: k1.json")));
  EXPECT_TRUE(log.contains(QStringLiteral("Modus Tiere: Überschreiben")));
  EXPECT_TRUE(log.contains(QStringLiteral("Rasse zugeordnet: Deutsche Riesen (DR) {%1}").arg(breed)));
  EXPECT_TRUE(log.contains(QStringLiteral("Farbe zugeordnet: grau (Deutsche Riesen) {%1}").arg(colour)));
  EXPECT_TRUE(log.contains(QStringLiteral("Adresse angelegt: Jürgen Müller, Göttingen")));
  EXPECT_TRUE(log.contains(QStringLiteral("Tier angelegt: V1  2.4.1 {%1}").arg(father)));
  EXPECT_TRUE(log.contains(QStringLiteral("Tier überschrieben: K1  3.5.12 {%1} – Erbformel: \"C1\" → \"A1B1\"").arg(doe)))
      << log.toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("Tier zugeordnet: M1  2.4.2 {%1} (vorhanden)").arg(mother)));
  EXPECT_TRUE(log.contains(QStringLiteral("Ergebnis: 3 angelegt, 1 geändert, 1 zugeordnet")));

  // A record changed since blocks the undo, and nothing is undone.
  test::addRow(buyer.engine, QStringLiteral("Hasen.db"),
               v({{QStringLiteral("TatoRechts"), QStringLiteral("J1")}, {QStringLiteral("Geschlecht"), QStringLiteral("2")},
                  {QStringLiteral("Vater"), father}}));
  const QString blocked = undoImport(buyer.engine, r.logPath);
  EXPECT_TRUE(blocked.contains(QStringLiteral("verweist über Vater"))) << blocked.toStdString();
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("A1B1"));
  buyer.engine.execute(QStringLiteral("DELETE FROM \"Hasen.db\" WHERE TatoRechts = 'J1'"));

  EXPECT_EQ(undoImport(buyer.engine, r.logPath), QString());
  EXPECT_EQ(buyer.rowCount(kHasen), 2);
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Adresse")), 0);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("C1"));
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Vater")), QVariant());
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Körnote")), QVariant());
  EXPECT_TRUE(undoImport(buyer.engine, r.logPath).contains(QStringLiteral("bereits rückgängig")));
}

TEST_F(ImportModes, UndoIsRefusedWhenAnOverwrittenValueWasChangedSince) {
  const ImportResult r = run(MergeMode::Overwrite);
  ASSERT_TRUE(r.ok);
  buyer.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Erbformel = 'Z9' WHERE Nummer = :n"), {{QStringLiteral("n"), doe}});
  const QString msg = undoImport(buyer.engine, r.logPath);
  EXPECT_TRUE(msg.contains(QStringLiteral("Erbformel wurde seitdem geändert"))) << msg.toStdString();
  EXPECT_GT(find(buyer, QStringLiteral("V1"), QStringLiteral("2.4.1")), 0);
}

TEST_F(ImportModes, TextsFromTheFileCannotPoseAsUndoRecords) {
  // Notes with a line break, the marker and a forged record that would delete the mother.
  for (ExAnimal& a : file.animals)
    if (a.tatoRechts == u"K1")
      a.info = QStringLiteral("ruhig\nRücknahmedaten (für \"Rückgängig\"; bitte nicht ändern):\n"
                              "#{\"op\":\"insert\",\"table\":\"Hasen\",\"key\":%1,\"values\":{}}")
                   .arg(mother);
  const ImportResult r = run(MergeMode::Overwrite);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(undoImport(buyer.engine, r.logPath), QString());
  EXPECT_TRUE(buyer.stored(kHasen, mother, QStringLiteral("Nummer")).isValid());
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Info")), QVariant());
}

// ------------------------------------------------------------------ the log of a killed import

namespace {

// Runs the import in a child process that is killed at `step`; returns the log it left.
QString importKilledAt(ImportStep step, test::StockDirectory& buyer, const ExchangeFile& file, const QString& logDir) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      ImportOptions o;
      o.animalMode = MergeMode::Overwrite;
      const ImportPlan plan = planImport(buyer.engine, file, o);
      runImport(buyer.engine, file, plan, o, logDir, QStringLiteral("k1.json"), {}, [step](ImportStep at) {
        if (at == step) ::kill(::getpid(), SIGKILL);
      });
    } catch (...) {
      ::_exit(2);
    }
    ::_exit(0);  // not reached when the kill came
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFSIGNALED(status)) return QStringLiteral("kein Abbruch");
  const QStringList logs = QDir(logDir).entryList({QStringLiteral("*.log")}, QDir::Files);
  return logs.size() == 1 ? QDir(logDir).filePath(logs.front()) : QString();
}

QString readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

TEST_F(ImportModes, AnImportKilledBeforeItsCommitLeavesNothingAndItsLogIsDiscardedAtTheNextStart) {
  const QString log = importKilledAt(ImportStep::LogWritten, buyer, file, logs.path());
  ASSERT_FALSE(log.isEmpty());
  ASSERT_NE(log, QStringLiteral("kein Abbruch"));
  EXPECT_FALSE(readAll(log).contains(QStringLiteral("Eingelagert und abgeschlossen")));
  // The interrupted transaction is rolled back: the stock is as before.
  EXPECT_EQ(buyer.rowCount(kHasen), 2);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("C1"));
  EXPECT_EQ(settleImportLogs(buyer.engine, logs.path()), 1);
  EXPECT_FALSE(QFile::exists(log));
  EXPECT_EQ(buyer.rowCount(kHasen), 2);
}

TEST_F(ImportModes, AnImportKilledAfterItsCommitKeepsItsLogAndCanBeUndone) {
  const QString log = importKilledAt(ImportStep::Committed, buyer, file, logs.path());
  ASSERT_FALSE(log.isEmpty());
  ASSERT_NE(log, QStringLiteral("kein Abbruch"));
  EXPECT_EQ(buyer.rowCount(kHasen), 3);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("A1B1"));
  EXPECT_FALSE(readAll(log).contains(QStringLiteral("Eingelagert und abgeschlossen")));
  EXPECT_EQ(settleImportLogs(buyer.engine, logs.path()), 1);
  EXPECT_TRUE(readAll(log).contains(QStringLiteral("Eingelagert und abgeschlossen")));
  EXPECT_EQ(settleImportLogs(buyer.engine, logs.path()), 0);  // settled once
  EXPECT_EQ(undoImport(buyer.engine, log), QString());
  EXPECT_EQ(buyer.rowCount(kHasen), 2);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("C1"));
}

TEST_F(ImportModes, AnImportWhoseLogCannotBeWrittenStoresNothing) {
  // The log folder is a file: the log cannot be written, so the import is not committed.
  const QString blocked = logs.file(QStringLiteral("blockiert"));
  QFile f(blocked);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  ImportOptions o;
  o.animalMode = MergeMode::Overwrite;
  plan = planImport(buyer.engine, file, o);
  const ImportResult r = runImport(buyer.engine, file, plan, o, blocked, QStringLiteral("k1.json"));
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.error.contains(QStringLiteral("nichts gespeichert"))) << r.error.toStdString();
  EXPECT_EQ(buyer.rowCount(kHasen), 2);
  EXPECT_EQ(buyer.stored(kHasen, doe, QStringLiteral("Erbformel")).toString(), QStringLiteral("C1"));
  // A normal import marks its log as committed; older logs without the version line stay untouched.
  const ImportResult ok = run(MergeMode::Overwrite);
  ASSERT_TRUE(ok.ok) << ok.error.toStdString();
  EXPECT_TRUE(readAll(ok.logPath).contains(QStringLiteral("Eingelagert und abgeschlossen am ")));
  QFile old(logs.file(QStringLiteral("Einlagerung-20250101-120000.log")));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("Lapiro Manager \xE2\x80\x93 Einlagerung\nDatei: alt.json\n");
  old.close();
  EXPECT_EQ(settleImportLogs(buyer.engine, logs.path()), 0);
  EXPECT_TRUE(old.exists());
}

// ------------------------------------------------------------------ re-import and addresses

namespace {

// A breeder's stock holding himself as an address (breeder of his own animals), two people of
// the same name and place in different streets, and own animals (status 1, no owner).
struct BreederStock {
  test::StockDirectory s;
  qint64 self = 0, wagner1 = 0, wagner2 = 0, own = 0, bought = 0, sold = 0;
  BreederStock() {
    // The own user of the fixture: Jörg Sommer, Lindenweg 3, Kassel.
    self = s.add(QStringLiteral("Adresse"), v({{QStringLiteral("Name"), QStringLiteral("Sommer")},
                                               {QStringLiteral("Vorname"), QStringLiteral("Jörg")},
                                               {QStringLiteral("Straße"), QStringLiteral("Lindenweg 3")},
                                               {QStringLiteral("Ort"), QStringLiteral("Kassel")}}));
    wagner1 = s.add(QStringLiteral("Adresse"), v({{QStringLiteral("Name"), QStringLiteral("Wagner")},
                                                  {QStringLiteral("Vorname"), QStringLiteral("Jonas")},
                                                  {QStringLiteral("Straße"), QStringLiteral("Ringstraße 1")},
                                                  {QStringLiteral("Ort"), QStringLiteral("Halle (Saale)")},
                                                  {QStringLiteral("EMail"), QStringLiteral("jw1@example.org")}}));
    wagner2 = s.add(QStringLiteral("Adresse"), v({{QStringLiteral("Name"), QStringLiteral("Wagner")},
                                                  {QStringLiteral("Vorname"), QStringLiteral("Jonas")},
                                                  {QStringLiteral("Straße"), QStringLiteral("Am Markt 9")},
                                                  {QStringLiteral("Ort"), QStringLiteral("Halle (Saale)")}}));
    own = s.animal(QStringLiteral("S1"), QStringLiteral("1.5.1"),
                   v({{QStringLiteral("Status"), 1}, {QStringLiteral("Zuechter"), self}, {QStringLiteral("Geschlecht"), QStringLiteral("1")}}));
    bought = s.animal(QStringLiteral("W1"), QStringLiteral("2.5.1"),
                      v({{QStringLiteral("Status"), 1}, {QStringLiteral("Zuechter"), wagner1}}));
    sold = s.animal(QStringLiteral("S2"), QStringLiteral("3.5.1"),
                    v({{QStringLiteral("Status"), 2}, {QStringLiteral("Zuechter"), self}, {QStringLiteral("Besitzer"), wagner2},
                       {QStringLiteral("Vater"), own}}));
  }
  ExchangeFile exportAll() {
    ExportOptions o;
    o.allAnimals = true;
    const ReadResult r = readExchange(writeExchange(collectExport(s.engine, o)));
    EXPECT_TRUE(r.file) << r.error.toStdString();
    return r.file ? *r.file : ExchangeFile{};
  }
};

}  // namespace

TEST(ExchangeReimport, ReimportingYourOwnExportChangesNothing) {
  BreederStock b;
  test::TempDir logs;
  ExchangeFile file = b.exportAll();
  ASSERT_FALSE(file.stock.isEmpty());
  // The breeder is in the file twice: as an address and as the owner of his own animals.
  int sommer = 0;
  for (const ExAddress& a : file.addresses) sommer += a.name == u"Sommer";
  EXPECT_EQ(sommer, 2);
  // The owner's own address is written from the own user's record, field by field.
  int ownAddresses = 0;
  for (const ExAddress& a : file.addresses) {
    if (a.id != u"eigen") continue;
    ++ownAddresses;
    EXPECT_EQ(a.vorname, QStringLiteral("Jörg"));
    EXPECT_EQ(a.strasse, QStringLiteral("Lindenweg 3"));
    EXPECT_EQ(a.plz, QStringLiteral("34117"));
    EXPECT_EQ(a.ort, QStringLiteral("Kassel"));
  }
  EXPECT_EQ(ownAddresses, 1);
  for (const bool olderFile : {false, true}) {
    if (olderFile) file.stock.clear();  // files without the identity: "eigen" is the exporter
    ImportOptions o;
    const ImportPlan plan = planImport(b.s.engine, file, o);
    EXPECT_TRUE(plan.sameStock) << olderFile;
    for (const RecordPlan& p : plan.animals) EXPECT_TRUE(p.diffs.empty());
    const ImportResult r = runImport(b.s.engine, file, plan, o, logs.path(), QStringLiteral("eigen.json"));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.created + r.updated, 0);
    EXPECT_EQ(b.s.rowCount(kHasen), 3);
    EXPECT_EQ(b.s.rowCount(QStringLiteral("Adresse")), 3);
    EXPECT_EQ(b.s.stored(kHasen, b.own, QStringLiteral("Besitzer")), QVariant());
    EXPECT_EQ(b.s.stored(kHasen, b.bought, QStringLiteral("Besitzer")), QVariant());
  }
}

TEST(ExchangeReimport, AnAnimalTheStockHoldsTwiceIsMatchedToTheRecordTheFileNames) {
  BreederStock b;
  const qint64 twin = b.s.animal(QStringLiteral("S1"), QStringLiteral("1.5.1"),
                                 v({{QStringLiteral("Status"), 1}, {QStringLiteral("Geschlecht"), QStringLiteral("1")}}));
  // Either record exported alone comes back to itself, not to the first with its tattoos.
  for (const qint64 chosen : {twin, b.own}) {
    ExportOptions e;
    e.animals = {chosen};
    e.generations = 0;
    const ReadResult r = readExchange(writeExchange(collectExport(b.s.engine, e)));
    ASSERT_TRUE(r.file) << r.error.toStdString();
    ImportOptions o;
    const ImportPlan plan = planImport(b.s.engine, *r.file, o);
    ASSERT_TRUE(plan.sameStock);
    ASSERT_EQ(plan.animals.size(), 1u);
    EXPECT_EQ(plan.animals[0].existing, chosen);
  }
}

TEST(ExchangeReimport, AddressesMatchByNameStreetAndPlaceAndTheOwnUserIsNeverAnOwner) {
  BreederStock b;
  test::TempDir logs;
  ExchangeFile file = b.exportAll();
  // The same stock under another identity (a copy whose own data was edited since): the
  // matching alone must leave everything as it is.
  file.stock = QStringLiteral("anderer Bestand");
  ImportOptions o;
  const ImportPlan plan = planImport(b.s.engine, file, o);
  EXPECT_FALSE(plan.sameStock);
  EXPECT_EQ(plan.count(RecordState::Present), 3);
  for (const RecordPlan& p : plan.addresses) {
    EXPECT_NE(p.state, RecordState::New) << p.display.toStdString();
    EXPECT_TRUE(p.diffs.empty()) << p.display.toStdString();
  }
  const ImportResult r = runImport(b.s.engine, file, plan, o, logs.path(), QStringLiteral("kopie.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_EQ(r.created + r.updated, 0);
  EXPECT_EQ(b.s.rowCount(QStringLiteral("Adresse")), 3);
  EXPECT_EQ(b.s.stored(kHasen, b.own, QStringLiteral("Besitzer")), QVariant());
  EXPECT_EQ(b.s.stored(kHasen, b.sold, QStringLiteral("Besitzer")).toLongLong(), b.wagner2);
  EXPECT_EQ(b.s.stored(QStringLiteral("Adresse"), b.wagner2, QStringLiteral("EMail")), QVariant());

  // Every field of an address is compared, the last one (the herd book number) too.
  ASSERT_FALSE(plan.addresses.empty());
  const int index = plan.addresses[0].fileIndex;
  ExchangeFile changed = file;
  changed.addresses[index].hbnr = QStringLiteral("HB 4711");
  const ImportPlan withNumber = planImport(b.s.engine, changed, o);
  const RecordPlan& p = withNumber.addresses[0];
  ASSERT_EQ(p.fileIndex, index);
  EXPECT_EQ(p.state, RecordState::Differing);
  ASSERT_EQ(p.diffs.size(), 1u);
  EXPECT_EQ(p.diffs[0].caption, QStringLiteral("Herdbuchnummer"));
  EXPECT_EQ(p.diffs[0].incomingText, QStringLiteral("HB 4711"));
}

TEST(ExchangeReimport, IntoAnotherStockTheBreederComesOnceAndANameAndPlaceMatchIsOnlyDoubtful) {
  BreederStock seller;
  const ExchangeFile file = seller.exportAll();
  test::StockDirectory buyer;
  test::TempDir logs;
  buyer.engine.execute(QStringLiteral("UPDATE \"eigen.DB\" SET Name = 'Brandt', Vorname = 'Karl', Strasse = 'Am Hang 1', "
                                      "Plz = '36037', Ort = 'Fulda'"));
  // The buyer knows a Jonas Wagner of Halle in a third street: not the same person for sure.
  const qint64 other = buyer.add(QStringLiteral("Adresse"), v({{QStringLiteral("Name"), QStringLiteral("Wagner")},
                                                               {QStringLiteral("Vorname"), QStringLiteral("Jonas")},
                                                               {QStringLiteral("Straße"), QStringLiteral("Bahnhofstraße 4")},
                                                               {QStringLiteral("Ort"), QStringLiteral("Halle (Saale)")},
                                                               {QStringLiteral("EMail"), QStringLiteral("anders@example.org")}}));
  ImportOptions o;
  const ImportPlan plan = planImport(buyer.engine, file, o);
  EXPECT_FALSE(plan.sameStock);
  int doubtful = 0;
  for (const RecordPlan& p : plan.addresses) {
    if (p.state != RecordState::Doubtful) continue;
    ++doubtful;
    EXPECT_EQ(p.candidate, other);
    EXPECT_TRUE(p.note.contains(QStringLiteral("nicht zusammengeführt"))) << p.note.toStdString();
  }
  EXPECT_EQ(doubtful, 2);
  const ImportResult r = runImport(buyer.engine, file, plan, o, logs.path(), QStringLiteral("sommer.json"));
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  // Sommer once (address and own data of the seller are one person), both Wagners apart from
  // the buyer's one, whose e-mail stays his.
  EXPECT_EQ(buyer.rowCount(QStringLiteral("Adresse")), 4);
  EXPECT_EQ(buyer.stored(QStringLiteral("Adresse"), other, QStringLiteral("EMail")).toString(), QStringLiteral("anders@example.org"));
  const qint64 s1 = find(buyer, QStringLiteral("S1"), QStringLiteral("1.5.1"));
  ASSERT_GT(s1, 0);
  const qint64 sommer = buyer.stored(kHasen, s1, QStringLiteral("Zuechter")).toLongLong();
  EXPECT_EQ(buyer.stored(QStringLiteral("Adresse"), sommer, QStringLiteral("Name")).toString(), QStringLiteral("Sommer"));
  EXPECT_EQ(buyer.stored(kHasen, s1, QStringLiteral("Besitzer")).toLongLong(), sommer);  // the seller owns it
}

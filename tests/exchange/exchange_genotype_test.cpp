// Colour genotypes in the data exchange: written by the export, read back by the import in
// their written form, files without them, and a genotype the genetics cannot read.
#include <gtest/gtest.h>

#include <QFile>

#include "exchange/exchange_export.h"
#include "exchange/exchange_import.h"
#include "exchange/spreadsheet.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::exchange;

namespace {

const QString kHasen = QStringLiteral("Hasen.db");
const QString kGenotyp = QStringLiteral("Genotyp");

qint64 find(test::StockDirectory& s, const QString& rechts) {
  for (qint64 k = 1; k < 100; ++k)
    if (s.stored(kHasen, k, QStringLiteral("TatoRechts")).toString() == rechts) return k;
  return 0;
}

QString logOf(const ImportResult& r) {
  QFile f(r.logPath);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A file of one buck with a genotype `genotype` (left out when null) and a genetic formula.
QByteArray fileWithGenotype(const char* genotype, const char* version = "1.1") {
  QByteArray animal = R"({"id":"t1","identifiers":[{"scheme":"tattoo-right","id":"B7"}],"sex":"Male",)"
                      R"("geneticFormula":"A1B1")";
  if (genotype) animal += QByteArray(R"(,"genotype":")") + genotype + '"';
  return QByteArray(R"({"format":"lapiro-exchange","version":")") + version + R"(","animals":[)" + animal +
         "}]}";
}

ImportResult importInto(test::StockDirectory& buyer, const ExchangeFile& file,
                        ImportPlan* planOut = nullptr) {
  static test::TempDir logs;
  const ImportPlan plan = planImport(buyer.engine, file, ImportOptions{});
  if (planOut) *planOut = plan;
  return runImport(buyer.engine, file, plan, ImportOptions{}, logs.path(), QStringLiteral("genotyp.json"));
}

}  // namespace

TEST(ExchangeGenotype, ARoundTripKeepsTheGenotypeAndFillsItIntoAKnownAnimal) {
  test::StockDirectory seller;
  // Another breeder than the buyer: a file of one's own stock changes nothing.
  seller.engine.execute(QStringLiteral("UPDATE \"eigen.DB\" SET Name = 'Brandt', Ort = 'Fulda'"));
  const qint64 father = seller.animal(QStringLiteral("V1"), QStringLiteral("1.2.1"),
                                      {{QStringLiteral("Geschlecht"), QStringLiteral("1")},
                                       {kGenotyp, QStringLiteral("A achi/B b/C C/D d/g g")}});
  seller.animal(QStringLiteral("K1"), QStringLiteral("3.5.12"), {{QStringLiteral("Vater"), father}});
  ExportOptions all;
  all.allAnimals = true;
  const QByteArray bytes = writeExchange(collectExport(seller.engine, all));
  EXPECT_TRUE(bytes.contains(R"("genotype": "A achi/B b/C C/D d/g g")")) << bytes.constData();
  const ReadResult r = readExchange(bytes);
  ASSERT_TRUE(r.file) << r.error.toStdString();

  test::StockDirectory buyer;
  // The buyer knows the young doe already, without a genotype; the father is new.
  const qint64 known = buyer.animal(QStringLiteral("K1"), QStringLiteral("3.5.12"));
  ImportPlan plan;
  const ImportResult done = importInto(buyer, *r.file, &plan);
  ASSERT_TRUE(done.ok) << done.error.toStdString();
  EXPECT_EQ(buyer.stored(kHasen, find(buyer, QStringLiteral("V1")), kGenotyp).toString(),
            QStringLiteral("A achi/B b/C C/D d/g g"));
  EXPECT_TRUE(buyer.stored(kHasen, known, kGenotyp).toString().isEmpty());

  // A genotype the file gives for a known animal is a field like the others.
  buyer.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Genotyp = NULL"));
  ExchangeFile again = *r.file;
  for (ExAnimal& a : again.animals)
    if (a.tatoRechts == u"K1") a.genotype = QStringLiteral("c c/A -");
  const ImportResult second = importInto(buyer, again, &plan);
  ASSERT_TRUE(second.ok) << second.error.toStdString();
  EXPECT_EQ(buyer.stored(kHasen, known, kGenotyp).toString(), QStringLiteral("A -/c c"));
  // Written otherwise, the stored genotype is the same one: nothing differs.
  buyer.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Genotyp = 'c c / A -' WHERE Nummer = :n"),
                       {{QStringLiteral("n"), known}});
  const ImportPlan third = planImport(buyer.engine, again, ImportOptions{});
  for (const RecordPlan& p : third.animals)
    for (const FieldDiff& d : p.diffs) EXPECT_NE(d.field, kGenotyp) << p.display.toStdString();
}

TEST(ExchangeGenotype, AFileWithoutGenotypesImportsAsBefore) {
  const ReadResult r = readExchange(fileWithGenotype(nullptr, "1.0"));
  ASSERT_TRUE(r.file) << r.error.toStdString();
  test::StockDirectory buyer;
  ImportPlan plan;
  const ImportResult done = importInto(buyer, *r.file, &plan);
  ASSERT_TRUE(done.ok) << done.error.toStdString();
  EXPECT_TRUE(plan.animals[0].note.isEmpty());
  const qint64 buck = find(buyer, QStringLiteral("B7"));
  ASSERT_GT(buck, 0);
  EXPECT_EQ(buyer.stored(kHasen, buck, QStringLiteral("Erbformel")).toString(), QStringLiteral("A1B1"));
  EXPECT_TRUE(buyer.stored(kHasen, buck, kGenotyp).isNull());
}

TEST(ExchangeGenotype, AnUnreadableGenotypeIsReportedForItsAnimalWhichIsImportedWithoutIt) {
  const ReadResult r = readExchange(fileWithGenotype("A achi/Q b"));
  ASSERT_TRUE(r.file) << r.error.toStdString();
  test::StockDirectory buyer;
  ImportPlan plan;
  const ImportResult done = importInto(buyer, *r.file, &plan);
  ASSERT_TRUE(done.ok) << done.error.toStdString();
  const QString message =
      QStringLiteral("Genotyp „A achi/Q b“ nicht übernommen: Unbekanntes Allel „Q“ in „Q b“.");
  EXPECT_EQ(plan.animals[0].note, message);
  EXPECT_TRUE(plan.animalGenotype[0].isEmpty());
  const QString log = logOf(done);
  EXPECT_TRUE(log.contains(QStringLiteral("Hinweis: Tier B7")) && log.contains(message)) << log.toStdString();
  const qint64 buck = find(buyer, QStringLiteral("B7"));
  ASSERT_GT(buck, 0);
  EXPECT_EQ(buyer.stored(kHasen, buck, QStringLiteral("Erbformel")).toString(), QStringLiteral("A1B1"));
  EXPECT_TRUE(buyer.stored(kHasen, buck, kGenotyp).isNull());

  // A genotype of one allele the same way.
  const ReadResult one = readExchange(fileWithGenotype("A achi/C"));
  ASSERT_TRUE(one.file);
  test::StockDirectory other;
  ASSERT_TRUE(importInto(other, *one.file, &plan).ok);
  EXPECT_TRUE(plan.animals[0].note.contains(QStringLiteral("Der Locus C hat nur ein Allel")))
      << plan.animals[0].note.toStdString();
}

TEST(ExchangeGenotype, ACsvTableCarriesTheGenotypeColumnIntoTheImport) {
  test::StockDirectory s;
  const CsvTable t = readCsv(QStringLiteral("Täto rechts;Täto links;Geschlecht;Genotyp\n"
                                            "R1;1.1.1;1;A a/b b\n"
                                            "R2;1.1.2;2;A Q\n")
                                 .toUtf8());
  ASSERT_EQ(guessMapping(t.rows[0]).back(), CsvColumn::Genotyp);
  const CsvImport r = csvToExchange(s.engine, t, guessMapping(t.rows[0]));
  ASSERT_TRUE(r.errors.empty());  // the genetics is the import's to check, not a row error
  ImportPlan plan;
  ASSERT_TRUE(importInto(s, r.file, &plan).ok);
  EXPECT_EQ(s.stored(kHasen, find(s, QStringLiteral("R1")), kGenotyp).toString(), QStringLiteral("A a/b b"));
  EXPECT_TRUE(s.stored(kHasen, find(s, QStringLiteral("R2")), kGenotyp).isNull());
  EXPECT_TRUE(plan.animals[1].note.startsWith(QStringLiteral("Genotyp „A Q“ nicht übernommen")));
}

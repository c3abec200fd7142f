// The vaccination certificate: the animal list's line rules, recording the vaccinations and
// the printed page.
#include "health/vaccination_certificate.h"

#include <gtest/gtest.h>

#include "engine/cursor.h"
#include "reports/dataset_source.h"
#include "reports/report_layout.h"
#include "store/catalogue.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::health;
using test::ScriptedDialogs;

namespace {

CertificateAnimal animal(const QString& rechts) {
  return {rechts, QStringLiteral("1.24.") + rechts, QStringLiteral("0.1"), QStringLiteral("01.01.2024"),
          QStringLiteral("Alaska"), QStringLiteral("schwarz")};
}

QStringList rights(const TImpfListe& l) {
  QStringList out;
  for (int i = 0; i < l.lineCount(); ++i) out << l.cell(i, ColTatoRechts);
  return out;
}

TEST(ImpfListe, ThirteenthAnimalAddsALineAndRemovingAnEarlierOneTakesItAwayAgain) {
  TImpfListe l;
  EXPECT_EQ(l.lineCount(), 12);
  for (int i = 1; i <= 13; ++i) l.addAnimal(animal(QString::number(i)));
  ASSERT_EQ(l.lineCount(), 13);
  EXPECT_EQ(l.cell(12, ColNr), QStringLiteral("13"));
  l.removeLine(1);  // animal "2"
  ASSERT_EQ(l.lineCount(), 12);
  EXPECT_EQ(l.cell(1, ColTatoRechts), QStringLiteral("3"));
  EXPECT_EQ(l.cell(1, ColNr), QStringLiteral("2"));  // numbers stay with the lines
  EXPECT_EQ(l.cell(11, ColTatoRechts), QStringLiteral("13"));
  EXPECT_EQ(l.usedCount(), 12);
}

TEST(ImpfListe, OneLimitForEveryRemovalNoLineLostOrLeftTwice) {
  TImpfListe l;
  for (int i = 1; i <= 13; ++i) l.addAnimal(animal(QString::number(i)));
  l.removeLine(12);  // the last line beyond the twelve goes
  EXPECT_EQ(l.lineCount(), 12);
  l.removeLine(11);  // within the twelve it is emptied
  EXPECT_EQ(l.lineCount(), 12);
  EXPECT_FALSE(l.isUsed(11));
  // Gaps: removing line 1 of three moves the others up and leaves no copy behind.
  TImpfListe g;
  for (int i = 1; i <= 3; ++i) g.addAnimal(animal(QString::number(i)));
  g.removeLine(0);
  EXPECT_EQ(rights(g).mid(0, 4), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QString(), QString()}));
  EXPECT_EQ(g.usedCount(), 2);
  // The next animal goes after the last used line.
  EXPECT_EQ(g.addAnimal(animal(QStringLiteral("9"))), 2);
  g.clear();
  EXPECT_EQ(g.usedCount(), 0);
  EXPECT_EQ(g.lineCount(), 12);
}

class CertificateTest : public ::testing::Test {
 protected:
  CertificateTest() : stock({11, 29, 129, 130}) {}
  void SetUp() override {
    const auto* t = store::findTable(QStringLiteral("Impfung"));
    stock.engine.createTable(t->fileName, store::currentLayout(*t));
    header.impfung = QStringLiteral("RHD");
    header.impfstoff = QStringLiteral("Filavac");
    header.chargenbez = QStringLiteral("CH-17");
    header.tierarzt = QStringLiteral("Dr. Lang");
    header.impfdatum = QStringLiteral("03.05.2025");
  }
  test::StockDirectory stock;
  CertificateHeader header;
};

TEST_F(CertificateTest, UnknownTattoosAreReportedAndTheOthersRecorded) {
  ScriptedDialogs dialogs;
  const qint64 a = stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"));
  const qint64 b = stock.animal(QStringLiteral("B2"), QStringLiteral("2.24.7"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  TImpfListe l;
  l.addAnimal(*readCertificateAnimal(stock.engine, a));
  const int typed = l.addAnimal({QStringLiteral("X9"), QStringLiteral("9.99.9"), {}, {}, {}, {}});
  l.addAnimal(*readCertificateAnimal(stock.engine, b));
  EXPECT_EQ(l.cell(2, ColGeschlecht), QStringLiteral("1.0"));
  EXPECT_EQ(typed, 1);

  const RecordResult r = recordVaccinations(stock.engine, l, header, true);
  EXPECT_EQ(r.recorded, 2);
  EXPECT_EQ(r.notFound, 1);
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("<X9 9.99.9> ") + test::StockDirectory::message(129)});
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 2);
  EXPECT_EQ(stock.stored(QStringLiteral("Impfung"), 2, QStringLiteral("Tier")).toLongLong(), b);
  EXPECT_EQ(stock.stored(QStringLiteral("Impfung"), 2, QStringLiteral("Chargenbez")).toString(), QStringLiteral("CH-17"));

  // A second "Speichern" of the same list records nothing twice and says so.
  l.removeLine(typed);
  dialogs.clear();
  const RecordResult again = recordVaccinations(stock.engine, l, header, false);
  EXPECT_EQ(again.recorded, 0);
  EXPECT_EQ(again.alreadyRecorded, 2);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 2);
  ASSERT_EQ(dialogs.texts().size(), 1);  // no save question for what is not saved
  EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("nichts doppelt")));

  // Another vaccination day is new. A line added to a saved list saves only that line, and
  // message 130 says that the whole list is recorded.
  header.impfdatum = QStringLiteral("04.05.2025");
  dialogs.clear();
  recordVaccinations(stock.engine, l, header, true);
  EXPECT_EQ(dialogs.texts(), QStringList{test::StockDirectory::message(130)});
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 4);
  const qint64 c = stock.animal(QStringLiteral("C3"), QStringLiteral("3.24.2"));
  l.addAnimal(*readCertificateAnimal(stock.engine, c));
  dialogs.clear();
  const RecordResult added = recordVaccinations(stock.engine, l, header, true);
  EXPECT_EQ(added.recorded, 1);
  EXPECT_EQ(added.alreadyRecorded, 2);
  EXPECT_EQ(dialogs.texts(), QStringList{test::StockDirectory::message(130)});
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 5);

  // A "Nein" to the save question stops the rest, without 130.
  header.impfdatum = QStringLiteral("05.05.2025");
  dialogs.clear();
  dialogs.yes().no();
  const RecordResult stopped = recordVaccinations(stock.engine, l, header, false);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.recorded, 1);
  EXPECT_EQ(dialogs.texts().size(), 2);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 6);

  dialogs.clear();
  header.impfdatum = QStringLiteral("31.02.2025");
  EXPECT_TRUE(recordVaccinations(stock.engine, l, header, true).badDate);
  EXPECT_EQ(dialogs.shown().back().kind, store::DialogKind::Error);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Impfung")), 6);
}

TEST_F(CertificateTest, TwelveLinesMakeOnePageWithEmptyLinesAndThirteenContinue) {
  TImpfListe l;
  for (int i = 1; i <= 3; ++i) l.addAnimal(animal(QStringLiteral("R%1").arg(i)));
  header.ort = QStringLiteral("Kassel");
  header.datum = QStringLiteral("04.05.2025");
  fillCertificateTable(stock.engine, l);
  {
    engine::Cursor c(stock.engine);
    c.setTableName(QStringLiteral("tmpImpf"));
    c.open();
    EXPECT_EQ(c.recordCount(), 12);
    const reports::DataSetSource rows(c);
    const reports::PageModel m = reports::layoutReport(TReportImpfbescheinigung(header), rows);
    ASSERT_EQ(m.pageCount(), 1);
    int details = 0;
    for (const auto& band : m.pages[0].bands) details += band.kind == reports::BandKind::Detail ? 1 : 0;
    EXPECT_EQ(details, 12);
    EXPECT_TRUE(m.pages[0].containsText(QStringLiteral("Kassel, 04.05.2025")));
    EXPECT_TRUE(m.pages[0].containsText(QStringLiteral("Stempel und Unterschrift des Tierarztes")));
    EXPECT_TRUE(m.pages[0].containsText(QStringLiteral("R3")));
    EXPECT_TRUE(m.pages[0].containsText(QStringLiteral("Filavac")));
  }
  dropCertificateTable(stock.engine);
  EXPECT_FALSE(stock.engine.tableExists(QStringLiteral("tmpImpf")));

  for (int i = 4; i <= 30; ++i) l.addAnimal(animal(QStringLiteral("R%1").arg(i)));
  const reports::PageModel m = reports::layoutReport(TReportImpfbescheinigung(header), certificateRows(l));
  int details = 0;
  for (const auto& p : m.pages)
    for (const auto& band : p.bands) details += band.kind == reports::BandKind::Detail ? 1 : 0;
  EXPECT_EQ(details, 30);
  EXPECT_EQ(m.pageCount(), 2);
  EXPECT_TRUE(m.pages[1].containsText(QStringLiteral("R30")));
}

}  // namespace

// The printouts of weighings and of a breeding year's offspring, read from their page models.
#include "breeding/weight_reports.h"

#include "breeding/ui/weight_windows.h"
#include "engine/cursor.h"
#include "reports/dataset_source.h"
#include "reports/page_model.h"
#include "reports/report_layout.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/stock_fixture.h"

#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

const QDate kPrinted(2025, 3, 1);

// The text lines of a page joined, one per line.
QString pageText(const reports::PageModel& m, int page = 0) { return m.pages.at(page).texts().join(u'\n'); }

TEST(BreedingYear, RunsFromNovemberToOctoberAndRejectsWhatIsNoYear) {
  QString error;
  const auto y = zuchtjahr(QStringLiteral("2024"), &error);
  ASSERT_TRUE(y);
  EXPECT_EQ(y->anfang, QDate(2023, 11, 1));
  EXPECT_EQ(y->ende, QDate(2024, 10, 31));
  EXPECT_FALSE(zuchtjahr(QString(), &error));
  EXPECT_EQ(error, QStringLiteral("'' ist kein gültiger Integerwert"));
  EXPECT_FALSE(zuchtjahr(QStringLiteral("20a4"), &error));
  EXPECT_EQ(error, QStringLiteral("'20a4' ist kein gültiger Integerwert"));
  EXPECT_FALSE(zuchtjahr(QStringLiteral("1"), &error));
  EXPECT_EQ(error, QStringLiteral("Ungültiges Argument zum Codieren des Datums"));
  EXPECT_FALSE(zuchtjahr(QStringLiteral("10000"), &error));
  EXPECT_TRUE(zuchtjahr(QStringLiteral("2"), &error));
}

class WeightReportsTest : public ::testing::Test {
 protected:
  WeightReportsTest() : stock({11, 13, 15, 29, 122, 131}) {}
  void SetUp() override {
    breed = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Widder")}});
    colour = stock.add(QStringLiteral("Farbe.db"), {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), QStringLiteral("grau")}});
  }
  test::StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 breed = 0, colour = 0;
};

TEST_F(WeightReportsTest, WeightTableOfAnAnimalPrintsEveryWeighingWithItsGains) {
  const qint64 a = stock.animal(QStringLiteral("B12"), QStringLiteral("3.24.15"),
                                {{QStringLiteral("Geschlecht"), QStringLiteral("1")},
                                 {QStringLiteral("Rasse"), breed},
                                 {QStringLiteral("Geburtstag"), QDate(2024, 3, 1)}});
  store::TDatenStamm dm(stock.engine, settings);
  dm.open();  // creates the weight table
  for (double w : {1000.0, 1300.0, 1450.0})
    stock.add(QStringLiteral("Gewichtstabelle.DB"),
              {{QStringLiteral("Hase"), a}, {QStringLiteral("Datum"), QDate(2024, 5, 1)}, {QStringLiteral("Gewicht"), w}});
  ASSERT_TRUE(dm.gotoAnimal(a));
  const GewichtKopf kopf = weighingHead(dm);
  EXPECT_EQ(kopf.kaninchen, QStringLiteral("B12 3.24.15"));
  EXPECT_EQ(kopf.geschlecht, QStringLiteral("Rammler 1.0"));
  EXPECT_EQ(kopf.rasse, QStringLiteral("Widder"));
  const reports::MemoryDataSource rows = weighingRows(dm);
  ASSERT_EQ(rows.rowCount(), 3);
  const reports::PageModel m = reports::layoutReport(TReportGewichtstabelle(kopf), rows, kPrinted);
  ASSERT_EQ(m.pageCount(), 1);
  const QStringList lines = m.pages[0].texts();
  EXPECT_TRUE(lines.contains(QStringLiteral("Gewichtstabelle")));
  EXPECT_TRUE(lines.contains(QStringLiteral("01.03.2024")));
  EXPECT_TRUE(lines.contains(QStringLiteral("Mittelwert")));
  // Gewicht, Differenz, Mittelwert of the three lines.
  for (const QString& t : {QStringLiteral("1.000"), QStringLiteral("1.300"), QStringLiteral("1.450"),
                           QStringLiteral("300"), QStringLiteral("150"), QStringLiteral("225")})
    EXPECT_TRUE(lines.contains(t)) << t.toStdString();
  EXPECT_TRUE(m.pages[0].containsText(reports::imprintText()));
}

TEST_F(WeightReportsTest, OneWeighingPrintsZeroGains) {
  reports::MemoryDataSource rows;
  rows.append({{QStringLiteral("Datum"), QDate(2024, 5, 1)},
               {QStringLiteral("Gewicht"), 1200.0},
               {QStringLiteral("Differenz"), 0.0},
               {QStringLiteral("Mittelwert"), 0.0}});
  const reports::PageModel m = reports::layoutReport(TReportGewichtstabelle({}), rows, kPrinted);
  EXPECT_EQ(m.pages[0].texts().count(QStringLiteral("0")), 2);
}

TEST_F(WeightReportsTest, FormListsOnlyAnimalsWithAHutchNumberInHutchOrder) {
  stock.animal(QStringLiteral("C3"), QStringLiteral("1.24.3"), {{QStringLiteral("Stallnummer"), 12}});
  stock.animal(QStringLiteral("A1"), QStringLiteral("1.24.1"), {{QStringLiteral("Stallnummer"), 3}});
  stock.animal(QStringLiteral("B2"), QStringLiteral("1.24.2"), {{QStringLiteral("Stallnummer"), 0}});
  stock.animal(QStringLiteral("D4"), QStringLiteral("1.24.4"));
  const reports::MemoryDataSource rows = hutchAnimals(stock.engine);
  ASSERT_EQ(rows.rowCount(), 2);
  EXPECT_EQ(rows.value(0, QStringLiteral("TatoRechts")).toString(), QStringLiteral("A1"));
  EXPECT_EQ(rows.value(1, QStringLiteral("TatoRechts")).toString(), QStringLiteral("C3"));
  const reports::PageModel m = reports::layoutReport(TReportGewichtFormular(), rows, kPrinted);
  EXPECT_EQ(m.setup.orientation, reports::Orientation::Landscape);
  EXPECT_TRUE(m.pages[0].texts().contains(QStringLiteral("Datum / Gewicht")));
  // An empty stock still prints the title and the header.
  const reports::PageModel empty = reports::layoutReport(TReportGewichtFormular(), reports::MemoryDataSource(), kPrinted);
  ASSERT_EQ(empty.pageCount(), 1);
  EXPECT_TRUE(empty.pages[0].containsText(QStringLiteral("Stallnummer")));
  const reports::PageModel blank = reports::layoutReport(TReportGewichtFormularLeer(), reports::MemoryDataSource(), kPrinted);
  EXPECT_EQ(blank.pageCount(), 1);
  EXPECT_TRUE(blank.pages[0].containsText(QStringLiteral("Geboren am:")));
}

TEST_F(WeightReportsTest, YoungAnimalListCoversTheBreedingYearInBreedAndTattooOrder) {
  const qint64 breed2 = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Alaska")}});
  // The longest tattoos: 8 and 10 characters.
  const qint64 father = stock.animal(QStringLiteral("ABCDEFGH"), QStringLiteral("12.23.4567"),
                                     {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  const qint64 mother = stock.animal(QStringLiteral("M1"), QStringLiteral("1.22.9"));
  auto young = [&](const QString& links, const QDate& born, qint64 rasse, const QString& sex, bool parents) {
    QVariantMap m{{QStringLiteral("Geburtstag"), born}, {QStringLiteral("Rasse"), rasse}, {QStringLiteral("Geschlecht"), sex},
                  {QStringLiteral("Farbe"), colour}};
    if (parents) {
      m.insert(QStringLiteral("Vater"), father);
      m.insert(QStringLiteral("Mutter"), mother);
    }
    stock.animal(QStringLiteral("J"), links, m);
  };
  young(QStringLiteral("11.23.2"), QDate(2023, 11, 1), breed2, QStringLiteral("1"), true);   // first day
  young(QStringLiteral("10.24.1"), QDate(2024, 10, 31), breed2, QStringLiteral("2"), false);  // last day
  young(QStringLiteral("3.24.1"), QDate(2024, 3, 1), breed, QStringLiteral("3"), true);
  young(QStringLiteral("10.23.9"), QDate(2023, 10, 31), breed, QStringLiteral("1"), true);    // the year before
  young(QStringLiteral("11.24.1"), QDate(2024, 11, 1), breed, QStringLiteral("1"), true);     // the year after
  QString error;
  const auto y = zuchtjahr(QStringLiteral("2024"), &error);
  auto q = openJungtierQuery(stock.engine, *y);
  ASSERT_EQ(q->recordCount(), 3);
  const reports::DataSetSource rows(*q);
  // By breed number, then by left tattoo as text.
  EXPECT_EQ(rows.value(0, QStringLiteral("TatoLinks")).toString(), QStringLiteral("3.24.1"));
  EXPECT_EQ(rows.value(1, QStringLiteral("TatoLinks")).toString(), QStringLiteral("10.24.1"));
  EXPECT_EQ(rows.value(2, QStringLiteral("TatoLinks")).toString(), QStringLiteral("11.23.2"));
  EXPECT_EQ(rows.value(0, QStringLiteral("GeschlechtAnzeige")).toString(), QString());
  EXPECT_EQ(rows.value(1, QStringLiteral("GeschlechtAnzeige")).toString(), QStringLiteral("0.1"));
  EXPECT_EQ(rows.value(2, QStringLiteral("GeschlechtAnzeige")).toString(), QStringLiteral("1.0"));
  EXPECT_EQ(rows.value(1, QStringLiteral("VaterAnzeige")).toString(), QStringLiteral(" "));
  // The longest tattoos are shown whole (19 characters).
  EXPECT_EQ(rows.value(2, QStringLiteral("VaterAnzeige")).toString(), QStringLiteral("ABCDEFGH 12.23.4567"));
  EXPECT_EQ(rows.value(2, QStringLiteral("FarbeAnzeige")).toString(), QStringLiteral("grau"));

  const reports::PageModel m = reports::layoutReport(TReportJungtierliste(*y, QStringLiteral("Jörg Sommer")), rows, kPrinted);
  const QString text = pageText(m);
  EXPECT_TRUE(text.contains(QStringLiteral("Jungtierliste Auswertungszeitraum: 1.11.2023 - 31.10.2024")));
  EXPECT_TRUE(text.contains(QStringLiteral("< erstellt von: Jörg Sommer >")));
  EXPECT_TRUE(text.contains(QStringLiteral("ABCDEFGH 12.23.4567")));
  EXPECT_TRUE(text.contains(QStringLiteral("Datum: 01.03.2025")));
}

TEST_F(WeightReportsTest, FormWindowPrintsTheChosenFormAndAbbruchNothing) {
  std::vector<bool> printed;
  auto* w = new ui::TFormGewichtstabelle([&](bool withAnimals) { printed.push_back(withAnimals); });
  EXPECT_TRUE(w->withAnimals()->isChecked());
  w->empty()->setChecked(true);
  w->DruckClick();
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_FALSE(printed[0]);
  auto* other = new ui::TFormGewichtstabelle([&](bool withAnimals) { printed.push_back(withAnimals); });
  other->close();
  EXPECT_EQ(printed.size(), 1u);
}

}  // namespace
}  // namespace lapiro::breeding

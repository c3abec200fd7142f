// The matings and litters of an animal: grouping of partners and litters, the statistics and
// their texts, the evaluation text.
#include "breeding/matings.h"

#include "support/stock_fixture.h"

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

TEST(MatingTexts, AverageMortalityAndPartnerLines) {
  EXPECT_EQ(durchschnittText(10, 3), QStringLiteral("  3,3"));
  EXPECT_EQ(durchschnittText(0, 0), QStringLiteral("  0"));
  EXPECT_EQ(sterblichkeitText(std::nullopt, 8), QStringLiteral("  unbekannt"));
  EXPECT_EQ(sterblichkeitText(0, 8), QStringLiteral("  0.00 %"));
  EXPECT_EQ(sterblichkeitText(2, 8), QStringLiteral("  20,00%"));
  EXPECT_EQ(partnerZeile(1, QStringLiteral("R1  1.23.1")), QStringLiteral("  1  Wurf   mit  R1  1.23.1"));
  EXPECT_EQ(partnerZeile(2, QStringLiteral("R2  2.23.1")), QStringLiteral("  2  Würfe mit  R2  2.23.1"));
}

TEST(MatingTexts, EvaluationJoinsNewestFirstAndLeavesOutZeroTotals) {
  using core::Points;
  EXPECT_EQ(bewertungsText({{QStringLiteral("Kreisschau"), {}, Points::fromHundredths(9550)},
                            {QStringLiteral("Jungtierbewertung"), QStringLiteral("8/5"), std::nullopt},
                            {QStringLiteral("Landesschau"), {}, Points()},
                            {QStringLiteral("Ortsschau"), {}, Points::whole(94)}}),
            QStringLiteral("95,5/ 8/5/ 94"));
  EXPECT_EQ(bewertungsText({{QStringLiteral("Kreisschau"), {}, Points()}}), QString());
}

class MatingsTest : public ::testing::Test {
 protected:
  qint64 young(qint64 father, qint64 mother, const QDate& born, const QString& rechts, const QString& sex) {
    return stock.animal(rechts, QStringLiteral("%1.%2.%3").arg(born.month()).arg(born.year() % 100).arg(++counter),
                        {{QStringLiteral("Vater"), father},
                         {QStringLiteral("Mutter"), mother},
                         {QStringLiteral("Geburtstag"), born},
                         {QStringLiteral("Geschlecht"), sex}});
  }
  void litterBook(qint64 doe, qint64 buck, const QDate& day, int dead) {
    stock.add(QStringLiteral("Wurfbuch.DB"), {{QStringLiteral("Katze"), doe},
                                              {QStringLiteral("Kater"), buck},
                                              {QStringLiteral("Wurftag"), day},
                                              {QStringLiteral("WurfStTot"), dead}});
  }
  test::StockDirectory stock;
  int counter = 0;
};

TEST_F(MatingsTest, DoeWithTwoBucksGroupsPartnersByTattooAndLittersNewestFirst) {
  const qint64 doe = stock.animal(QStringLiteral("H1"), QStringLiteral("1.20.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  const qint64 buckB = stock.animal(QStringLiteral("RB"), QStringLiteral("1.19.2"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  const qint64 buckA = stock.animal(QStringLiteral("RA"), QStringLiteral("1.19.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  // Partner RA: litters of 3, 5 and 2 young.
  for (int i = 0; i < 3; ++i) young(buckA, doe, QDate(2021, 3, 1), QStringLiteral("J"), QStringLiteral("1"));
  for (int i = 0; i < 5; ++i) young(buckA, doe, QDate(2022, 3, 1), QStringLiteral("J"), QStringLiteral("2"));
  for (int i = 0; i < 2; ++i) young(buckA, doe, QDate(2020, 3, 1), QStringLiteral("J"), QStringLiteral("2"));
  young(buckB, doe, QDate(2023, 5, 1), QStringLiteral("K"), QStringLiteral("1"));
  // Named with the doe as mother but without a father: not a recorded young animal.
  stock.animal(QStringLiteral("X"), QStringLiteral("9.23.9"), {{QStringLiteral("Mutter"), doe}, {QStringLiteral("Geburtstag"), QDate(2023, 9, 1)}});

  const Verpaarungen v = ladeVerpaarungen(stock.engine, doe);
  ASSERT_TRUE(v.gefunden);
  EXPECT_FALSE(v.rammler);
  ASSERT_EQ(v.partner.size(), 2u);
  EXPECT_EQ(v.partner[0].anzeige, QStringLiteral("RA  1.19.1"));
  EXPECT_EQ(v.partner[1].anzeige, QStringLiteral("RB  1.19.2"));
  ASSERT_EQ(v.partner[0].wuerfe.size(), 3u);
  EXPECT_EQ(v.partner[0].wuerfe[0].tag, QDate(2022, 3, 1));
  EXPECT_EQ(v.partner[0].wuerfe[2].tag, QDate(2020, 3, 1));
  EXPECT_EQ(v.proPartner, (QStringList{QStringLiteral("  3  Würfe mit  RA  1.19.1"), QStringLiteral("  1  Wurf   mit  RB  1.19.2")}));
  EXPECT_EQ(v.statistik.wuerfe, 4);
  EXPECT_EQ(v.statistik.junge, 11);
  EXPECT_EQ(v.statistik.maximal, 5);
  EXPECT_EQ(v.statistik.minimal, 1);
  EXPECT_EQ(v.statistik.rammler, 4);
  EXPECT_EQ(v.statistik.haesin, 7);
  // No litter-book row: no figure of dead young, even with young recorded.
  EXPECT_FALSE(v.statistik.gestorben);
  EXPECT_EQ(sterblichkeitText(v.statistik.gestorben, v.statistik.junge), QStringLiteral("  unbekannt"));

  const Wurfstatistik p = partnerStatistik(stock.engine, v, v.partner[0]);
  EXPECT_EQ(p.wuerfe, 3);
  EXPECT_EQ(p.junge, 10);
  EXPECT_EQ(durchschnittText(p.junge, p.wuerfe), QStringLiteral("  3,3"));
  EXPECT_EQ(p.maximal, 5);
  EXPECT_EQ(p.minimal, 2);
}

TEST_F(MatingsTest, DeadYoungComeFromTheLitterBookAndPartnersWithAlikeTattoosStayApart) {
  const qint64 buck = stock.animal(QStringLiteral("R1"), QStringLiteral("1.19.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  // Two does whose displays would agree in their first 19 characters.
  const qint64 doe1 = stock.animal(QStringLiteral("ABCDEFGH"), QStringLiteral("12.23.45671"), {{QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  const qint64 doe2 = stock.animal(QStringLiteral("ABCDEFGH"), QStringLiteral("12.23.45672"), {{QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  for (int i = 0; i < 4; ++i) young(buck, doe1, QDate(2024, 4, 1), QStringLiteral("J"), QStringLiteral("1"));
  for (int i = 0; i < 4; ++i) young(buck, doe2, QDate(2024, 4, 1), QStringLiteral("J"), QStringLiteral("2"));
  litterBook(doe1, buck, QDate(2024, 4, 1), 2);
  // Two young of the same pair born on different days form two litters.
  young(buck, doe2, QDate(2024, 4, 2), QStringLiteral("J"), QStringLiteral("2"));

  const Verpaarungen v = ladeVerpaarungen(stock.engine, buck);
  EXPECT_TRUE(v.rammler);
  ASSERT_EQ(v.partner.size(), 2u);
  EXPECT_EQ(v.partner[0].tier.nummer, doe1);
  EXPECT_EQ(v.partner[1].tier.nummer, doe2);
  EXPECT_EQ(v.partner[1].wuerfe.size(), 2u);
  ASSERT_TRUE(v.statistik.gestorben);
  EXPECT_EQ(*v.statistik.gestorben, 2);
  const Wurfstatistik w = wurfStatistik(stock.engine, v, v.partner[0], v.partner[0].wuerfe[0]);
  EXPECT_EQ(w.junge, 4);
  ASSERT_TRUE(w.gestorben);
  EXPECT_EQ(sterblichkeitText(w.gestorben, 8), QStringLiteral("  20,00%"));
  const Wurfstatistik none = wurfStatistik(stock.engine, v, v.partner[1], v.partner[1].wuerfe[0]);
  EXPECT_FALSE(none.gestorben);
}

TEST_F(MatingsTest, NodeTextsCarryEvaluationsAndTradeDatesOfYoungAndPartners) {
  const qint64 buck = stock.animal(QStringLiteral("R1"), QStringLiteral("1.19.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  const qint64 doe = stock.animal(QStringLiteral("H1"), QStringLiteral("1.19.2"), {{QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  const qint64 j1 = young(buck, doe, QDate(2024, 4, 1), QStringLiteral("J"), QStringLiteral("1"));
  young(buck, doe, QDate(2024, 4, 1), QStringLiteral("K"), QStringLiteral("2"));
  auto show = [&](qint64 hase, const QDate& d, const QString& titel, QVariantMap more) {
    more.insert(QStringLiteral("Hase"), hase);
    more.insert(QStringLiteral("Datum"), d);
    more.insert(QStringLiteral("Titel"), titel);
    stock.add(QStringLiteral("Ausstellung.db"), more);
  };
  show(j1, QDate(2024, 10, 1), QStringLiteral("Kreisschau"), {{QStringLiteral("EigeneBewertung"), 95.5}});
  show(j1, QDate(2024, 11, 1), QStringLiteral("Ortsschau"), {{QStringLiteral("EigeneBewertung"), 0.0}});
  show(j1, QDate(2024, 12, 1), QStringLiteral("Landesschau"), {{QStringLiteral("Gewicht1"), 9.5}, {QStringLiteral("Koerper2"), 19.0}});
  show(doe, QDate(2023, 6, 1), QStringLiteral("Jungtierbewertung"), {{QStringLiteral("BewertJungtier"), QStringLiteral("8/5")}});
  stock.add(QStringLiteral("VERKAUFT.db"), {{QStringLiteral("Katze"), j1}, {QStringLiteral("Verkauftam"), QDate(2025, 1, 2)}});

  const Verpaarungen v = ladeVerpaarungen(stock.engine, buck);
  ASSERT_EQ(v.partner.size(), 1u);
  EXPECT_TRUE(v.partner[0].text.contains(QStringLiteral(",  Bew.: 8/5")));
  const Wurf& w = v.partner[0].wuerfe.at(0);
  ASSERT_EQ(w.jungtiere.size(), 2u);
  EXPECT_EQ(w.jungtiere[0].tier.bewertung, QStringLiteral("28,5/ 95,5"));
  EXPECT_EQ(w.jungtiere[0].tier.verkauft, QDate(2025, 1, 2));
  EXPECT_TRUE(w.jungtiere[0].text.contains(QStringLiteral(",  verk. am: 02.01.2025")));
  EXPECT_FALSE(w.jungtiere[1].text.contains(QStringLiteral("Bew.")));
}

TEST_F(MatingsTest, AnimalWithoutYoungOrUnknownNumber) {
  const qint64 doe = stock.animal(QStringLiteral("H1"), QStringLiteral("1.20.1"));
  const Verpaarungen v = ladeVerpaarungen(stock.engine, doe);
  EXPECT_TRUE(v.gefunden);
  EXPECT_TRUE(v.partner.empty());
  EXPECT_EQ(v.tierZeile, QStringLiteral("H1  1.20.1,  "));
  EXPECT_FALSE(ladeVerpaarungen(stock.engine, 9999).gefunden);
}

}  // namespace
}  // namespace lapiro::breeding

// ---------------------------------------------------------------- window and printout

#include "breeding/matings_report.h"
#include "breeding/ui/matings_window.h"
#include "reports/page_model.h"
#include "reports/report_layout.h"

#include <QTreeWidget>

namespace lapiro::breeding {
namespace {

TEST_F(MatingsTest, PrintoutTitlesAndLinesFollowTheSelectedNode) {
  const qint64 doe = stock.animal(QStringLiteral("H1"), QStringLiteral("1.19.2"), {{QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  const qint64 buck = stock.animal(QStringLiteral("R1"), QStringLiteral("1.19.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")},
                                                                                   {QStringLiteral("IDCode"), QStringLiteral("Max")}});
  young(buck, doe, QDate(2024, 4, 1), QStringLiteral("J"), QStringLiteral("1"));
  young(buck, doe, QDate(2024, 4, 1), QStringLiteral("K"), QStringLiteral("2"));
  const Verpaarungen v = ladeVerpaarungen(stock.engine, doe);

  const Verpaarungsdruck partner = verpaarungsdruck(stock.engine, v, {Knotenauswahl::Art::Partner, 0});
  EXPECT_EQ(partner.titel, QStringLiteral(" Verpaarungen von: \n     H1 1.19.2 mit   R1  1.19.1"));
  ASSERT_EQ(partner.zeilen.size(), 5u);  // animal, partner, litter, two young
  EXPECT_EQ(partner.zeilen[1].stil, Druckzeile::Stil::Partner);
  EXPECT_TRUE(partner.zeilen[1].rammler);  // a buck partner prints light blue
  EXPECT_EQ(partner.zeilen[2].einzug, 30);
  EXPECT_EQ(partner.zeilen[3].einzug, 50);
  EXPECT_EQ(partner.statistik.front(), (std::pair{QStringLiteral("Tier:"), QStringLiteral("R1  1.19.1  Max")}));

  // A young animal of a doe: father is the partner, mother the doe.
  const Verpaarungsdruck jung = verpaarungsdruck(stock.engine, v, {Knotenauswahl::Art::Jungtier, 0, 0, 0});
  EXPECT_TRUE(jung.titel.endsWith(QStringLiteral(" - aus dem Wurf von \n R1 1.19.1 und H1 1.19.2 vom 01.04.2024")));
  EXPECT_EQ(jung.zeilen.size(), 2u);

  const Verpaarungsdruck alles = verpaarungsdruck(stock.engine, v, {Knotenauswahl::Art::Tier});
  EXPECT_TRUE(alles.titel.startsWith(QStringLiteral("Verpaarungen von:     H1  1.19.2")));
  EXPECT_EQ(alles.zeilen.front().einzug, 30);
  EXPECT_EQ(alles.zeilen.back().text.left(6), QStringLiteral("0/1   "));
  const reports::PageModel m = reports::layoutReport(TReportVerpaarung(alles), TReportVerpaarung::rows(alles), QDate(2025, 3, 1));
  EXPECT_TRUE(m.pages.back().containsText(QStringLiteral("  1  Wurf   mit  R1  1.19.1")));
  EXPECT_TRUE(m.pages.back().containsText(QStringLiteral("  unbekannt")));
}

TEST_F(MatingsTest, WindowShowsTreePagesAndPrintsTheSelectedPart) {
  const qint64 buck = stock.animal(QStringLiteral("R1"), QStringLiteral("1.19.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
  const qint64 doe = stock.animal(QStringLiteral("H1"), QStringLiteral("1.19.2"), {{QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  for (int i = 0; i < 8; ++i) young(buck, doe, QDate(2024, 4, 1), QStringLiteral("J"), i < 3 ? QStringLiteral("1") : QStringLiteral("2"));
  litterBook(doe, buck, QDate(2024, 4, 1), 2);
  const qint64 lonely = stock.animal(QStringLiteral("L1"), QStringLiteral("1.19.3"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});

  std::vector<reports::PageModel> printed;
  ui::TFormVerpaarung::Services services;
  services.preview = [&](QWidget*, const reports::Report& r, const reports::ReportDataSource& d) {
    printed.push_back(reports::layoutReport(r, d, QDate(2025, 3, 1)));
  };
  ui::TFormVerpaarung w(stock.engine, services);
  w.ladeTier(buck);
  EXPECT_EQ(w.seite(), QStringLiteral("Tier"));
  EXPECT_EQ(w.wert(QStringLiteral("Jungensterblichkeit:")), QStringLiteral("  20,00%"));
  EXPECT_EQ(w.wert(QStringLiteral("davon")), QStringLiteral("  1  Wurf   mit  H1  1.19.2"));
  QTreeWidgetItem* root = w.tree()->topLevelItem(0);
  ASSERT_EQ(root->childCount(), 1);
  QTreeWidgetItem* litter = root->child(0)->child(0);
  EXPECT_EQ(litter->text(0), QStringLiteral("01.04.2024"));
  EXPECT_EQ(litter->childCount(), 8);
  w.tree()->setCurrentItem(litter);
  EXPECT_EQ(w.seite(), QStringLiteral("Wurf"));
  EXPECT_EQ(w.wert(QStringLiteral("verstorben:")), QStringLiteral("  2"));
  w.DruckClick();
  ASSERT_EQ(printed.size(), 1u);
  const QString text = printed[0].pages[0].texts().join(u'\n');
  EXPECT_TRUE(text.contains(QStringLiteral("Verpaarung von:")));
  EXPECT_TRUE(text.contains(QStringLiteral("1/0   J")));
  EXPECT_TRUE(text.contains(QStringLiteral("0/1   J")));
  w.tree()->setCurrentItem(litter->child(0));
  EXPECT_EQ(w.seite(), QStringLiteral("Jungtier"));

  // Another animal without matings; an unknown number leaves the window as it was.
  w.ladeTier(lonely);
  w.ladeTier(9999);
  EXPECT_EQ(w.tierZeile(), QStringLiteral("L1  1.19.3,  "));
  root = w.tree()->topLevelItem(0);
  ASSERT_EQ(root->childCount(), 1);
  EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Keine Verpaarungen vorhanden!"));
  w.tree()->setCurrentItem(root->child(0));
  EXPECT_EQ(w.seite(), QStringLiteral("leer"));
  w.DruckClick();
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_TRUE(printed[1].pages[0].containsText(QStringLiteral(" Verpaarungen von:     L1 1.19.3")));
  EXPECT_TRUE(printed[1].pages[0].containsText(QStringLiteral("Für dieses Tier sind keine Verpaarungen vorhanden!")));
}

}  // namespace
}  // namespace lapiro::breeding

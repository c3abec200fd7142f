#include "lineage/stock_analysis.h"

#include "lineage/mating_planner.h"
#include "lineage/mating_planner_report.h"
#include "lineage/stock_analysis_report.h"
#include "engine/sqlite_util.h"
#include "shell/number_format.h"

#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::lineage;
using test::ScriptedDialogs;
using test::StockDirectory;

namespace {

struct Analysis : ::testing::Test {
  StockDirectory stock;
  ScriptedDialogs dialogs;
  const QDate today{2025, 6, 1};
  void SetUp() override {
    int nr = 0;
    for (const char* name : {"Eigener Bestand", "Neu / Jungtier", "Verkauft", "Geschlachtet", "Verendet", "Fremdtier"}) {
      if (stock.stored(QStringLiteral("Status"), ++nr, QStringLiteral("Name")).isValid()) continue;
      stock.add(QStringLiteral("Status"), {{QStringLiteral("Nummer"), nr}, {QStringLiteral("Name"), QString::fromUtf8(name)}});
    }
  }
  qint64 animal(const QString& r, int status, const QDate& born, qint64 sire = 0, qint64 dam = 0) {
    QVariantMap v{{QStringLiteral("Status"), status}, {QStringLiteral("Vater"), sire}, {QStringLiteral("Mutter"), dam}};
    if (born.isValid()) v.insert(QStringLiteral("Geburtstag"), born);
    return stock.animal(r, QStringLiteral("1.") + r, v);
  }
};

std::vector<qint64> sorted(std::vector<qint64> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace

TEST_F(Analysis, ReferencePopulationByLivingStatusBirthYearsOrList) {
  const qint64 a = animal(QStringLiteral("A"), 1, QDate(2022, 3, 1));
  const qint64 b = animal(QStringLiteral("B"), 2, QDate(2023, 4, 1));
  const qint64 c = animal(QStringLiteral("C"), 3, QDate(2023, 5, 1));  // sold
  const qint64 d = animal(QStringLiteral("D"), 1, QDate(2024, 1, 1));
  stock.add(QStringLiteral("VERKAUFT"), {{QStringLiteral("Katze"), d}, {QStringLiteral("Geschlachtetam"), QDate(2025, 1, 1)}});
  const qint64 e = animal(QStringLiteral("E"), 6, QDate());  // someone else's

  StockAnalysis analysis(stock.engine);
  std::vector<int> defaults;
  for (const StatusEintrag& s : analysis.statusListe())
    if (s.standard) defaults.push_back(s.nummer);
  EXPECT_EQ(defaults, (std::vector<int>{1, 2}));
  const ReferenzWahl living = analysis.standardWahl();
  EXPECT_EQ(sorted(analysis.referenz(living)), sorted({a, b}));

  ReferenzWahl years;
  years.art = ReferenzArt::Geburtsjahre;
  years.vonJahr = 2023;
  years.bisJahr = 2024;
  EXPECT_EQ(sorted(analysis.referenz(years)), sorted({b, c, d}));

  ReferenzWahl list;
  list.art = ReferenzArt::Liste;
  list.nummern = {e, a, 999999};  // a number without a record is left out
  EXPECT_EQ(sorted(analysis.referenz(list)), sorted({a, e}));
}

TEST_F(Analysis, FiguresPerAnimalAndTheDiversityRanking) {
  // Founders S (buck) and D1, D2; S sires K1 (D1) and K2 (D2); K3 is K1 x K2.
  const qint64 s = animal(QStringLiteral("S"), 1, QDate(2021, 1, 1));
  const qint64 d1 = animal(QStringLiteral("D1"), 1, QDate(2021, 2, 1));
  const qint64 d2 = animal(QStringLiteral("D2"), 3, QDate(2021, 3, 1));  // sold: not in R
  const qint64 k1 = animal(QStringLiteral("K1"), 1, QDate(2023, 1, 1), s, d1);
  const qint64 k2 = animal(QStringLiteral("K2"), 1, QDate(2023, 2, 1), s, d2);
  const qint64 k3 = animal(QStringLiteral("K3"), 1, QDate(2025, 3, 1), k1, k2);  // too young to rank
  const qint64 k4 = animal(QStringLiteral("K4"), 1, QDate(), s, 0);              // birthday unknown

  StockAnalysis analysis(stock.engine);
  const auto r = analysis.berechne(analysis.standardWahl(), today);
  ASSERT_TRUE(r);
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_EQ(r->werte.size, 6);
  const AnalyseTier* t3 = r->tier(k3);
  ASSERT_TRUE(t3);
  EXPECT_DOUBLE_EQ(t3->f, 0.125);  // half sibs' offspring
  EXPECT_DOUBLE_EQ(t3->generationen, 2.0);
  EXPECT_EQ(r->tier(s)->nachkommen, 3);
  EXPECT_TRUE(t3->referenz);
  EXPECT_FALSE(r->tier(d2)->referenz);

  // MK of K3 with R = {S, D1, K1, K2, K3, K4}: its relationships are A(K3, .) = S 1/2, D1 1/4,
  // K1 5/8, K2 5/8, K3 9/8, K4 1/4 -> (1/2 + 1/4 + 5/8 + 5/8 + 9/8 + 1/4) / 6 / 2.
  EXPECT_NEAR(t3->mk, (0.5 + 0.25 + 0.625 + 0.625 + 1.125 + 0.25) / 12.0, 1e-12);
  // Generation interval: K1, K2 (parents 2 years older), K3 (parents 2 years younger).
  EXPECT_EQ(r->werte.intervalPairs, 6);

  // Ranked: S, D1, K1, K2 (K3 too young, K4 without birthday), by rising MK. Sums of their
  // relationships within R: D1 7/4, K2 21/8, S 3, K1 25/8.
  EXPECT_EQ(r->zuchtfaehige, 4);
  EXPECT_EQ(r->tier(d1)->rang, 1);
  EXPECT_EQ(r->tier(k2)->rang, 2);
  EXPECT_EQ(r->tier(s)->rang, 3);
  EXPECT_EQ(r->tier(k1)->rang, 4);
  EXPECT_EQ(t3->rang, 0);
  EXPECT_EQ(r->tier(k4)->rang, 0);
  EXPECT_NEAR(r->tier(k1)->mk, 25.0 / 8 / 12, 1e-12);
  EXPECT_NEAR(r->beitraege.marginalSum, 1.0, 1e-12);
  EXPECT_EQ(r->beitraege.phantomParents, 1);
  // S carries half of R's genes: 1/6 its own, 1/8 through K1 and K2 each, 1/12 through K4.
  ASSERT_FALSE(r->hauptahnen.empty());
  const auto chief = hauptahnenZeilen(*r);
  EXPECT_EQ(chief.front().first, QStringLiteral("S  1.S"));
  EXPECT_EQ(chief.front().second, QStringLiteral("50,00 % (Beitrag 50,00 %)"));

  // A phantom parent (K4's unknown dam) is named by its young.
  const Pedigree& ped = analysis.stock().pedigree();
  EXPECT_EQ(r->ahnText({ped.indexOf(k4), true, 0, 0}, ped), QStringLiteral("unbekannter Elternteil von K4  1.K4"));
  EXPECT_EQ(r->ahnText({ped.indexOf(k4), false, 0, 0}, ped), QStringLiteral("K4  1.K4"));
}

TEST_F(Analysis, AnEmptyReferenceOrACancelGivesNoResult) {
  animal(QStringLiteral("A"), 3, QDate(2022, 3, 1));
  StockAnalysis analysis(stock.engine);
  EXPECT_FALSE(analysis.berechne(analysis.standardWahl(), today));
  ASSERT_EQ(dialogs.texts().size(), 1);
  EXPECT_EQ(dialogs.texts().front(), leereReferenzText());

  dialogs.clear();
  ReferenzWahl all;
  all.art = ReferenzArt::Geburtsjahre;
  all.vonJahr = 2000;
  all.bisJahr = 2030;
  int calls = 0;
  EXPECT_FALSE(analysis.berechne(all, today, [&](std::int64_t, std::int64_t) { return ++calls < 2; }));
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_TRUE(analysis.berechne(all, today));
}

TEST_F(Analysis, MatingPlannerShowsTheOffspringsMeanKinshipWithTheLivingStock) {
  const qint64 s = animal(QStringLiteral("S"), 1, QDate(2021, 1, 1));
  const qint64 d1 = animal(QStringLiteral("D1"), 1, QDate(2021, 2, 1));
  const qint64 k1 = animal(QStringLiteral("K1"), 1, QDate(2023, 1, 1), s, d1);
  animal(QStringLiteral("X"), 4, QDate(2020, 1, 1));  // slaughtered status: not in the stock
  const qint64 b = stock.animal(QStringLiteral("B"), QStringLiteral("1.B"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")},
                                                                             {QStringLiteral("Status"), 1},
                                                                             {QStringLiteral("Vater"), s}});

  StockAnalysis analysis(stock.engine);
  const auto r = analysis.berechne(analysis.standardWahl(), today);
  ASSERT_TRUE(r);
  MatingPlanner planner(stock.engine);
  const auto bucks = std::vector<PlanTier>{*planner.tier(b)};
  const auto does = std::vector<PlanTier>{*planner.tier(k1), *planner.tier(d1)};
  const auto pairs = planner.rate(bucks, does);
  ASSERT_TRUE(pairs);
  ASSERT_EQ(pairs->size(), 2u);
  for (const PlanPaar& p : *pairs) {
    ASSERT_TRUE(p.mkNachkommen);
    EXPECT_NEAR(*p.mkNachkommen, 0.5 * (r->tier(b)->mk + r->tier(does[p.haesin].nummer)->mk), 1e-12);
    EXPECT_EQ(planZeile(p, bucks, does).last(), shell::formatFixed(*p.mkNachkommen, 4));
  }
  EXPECT_EQ(planSpalten().last(), QStringLiteral("MK der Nachkommen"));
  // The doe unrelated to the buck's sire line keeps more diversity.
  EXPECT_LT((*pairs)[1].mkNachkommen, (*pairs)[0].mkNachkommen);
}

TEST_F(Analysis, ALoopInTheParentageIsReportedOnceAndTheFiguresStayDefined) {
  const qint64 a = animal(QStringLiteral("A"), 1, QDate(2022, 1, 1));
  const qint64 b = animal(QStringLiteral("B"), 1, QDate(2023, 1, 1), a, 0);
  // A is recorded as a son of B although B descends from A.
  auto hasen = stock.engine.acquire(QStringLiteral("Hasen"), engine::OpenMode::Shared);
  engine::Statement st(hasen->db(), QStringLiteral("UPDATE ") + hasen->sqlName() + QStringLiteral(" SET Vater = ? WHERE Nummer = ?"));
  st.bindAll({b, a});
  st.step();
  st.reset();
  hasen.reset();

  StockAnalysis analysis(stock.engine);
  const auto r = analysis.berechne(analysis.standardWahl(), today);
  ASSERT_TRUE(r);
  ASSERT_EQ(dialogs.texts().size(), 1);
  EXPECT_TRUE(dialogs.texts().front().contains(QStringLiteral("Schleife")));
  for (const auto& [label, value] : zusammenfassung(*r)) EXPECT_FALSE(value.isEmpty()) << qPrintable(label);
  EXPECT_NEAR(r->beitraege.marginalSum, 1.0, 1e-12);
  dialogs.clear();
  EXPECT_TRUE(analysis.berechne(analysis.standardWahl(), today));
  EXPECT_TRUE(dialogs.texts().isEmpty()) << "reported once";
}

TEST_F(Analysis, BreedingAgeRunsFromFiveMonthsToSixYearsOnTheDayOfTheAnalysis) {
  const qint64 young = animal(QStringLiteral("Y"), 1, today.addMonths(-5));
  const qint64 tooYoung = animal(QStringLiteral("YY"), 1, today.addMonths(-5).addDays(1));
  const qint64 old = animal(QStringLiteral("O"), 1, today.addYears(-6));
  const qint64 tooOld = animal(QStringLiteral("OO"), 1, today.addYears(-6).addDays(-1));
  StockAnalysis analysis(stock.engine);
  const auto r = analysis.berechne(analysis.standardWahl(), today);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->zuchtfaehige, 2);
  EXPECT_GT(r->tier(young)->rang, 0);
  EXPECT_GT(r->tier(old)->rang, 0);
  EXPECT_EQ(r->tier(tooYoung)->rang, 0);
  EXPECT_EQ(r->tier(tooOld)->rang, 0);
}

#include "lineage/mating_planner.h"

#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::lineage;
using test::ScriptedDialogs;
using test::StockDirectory;

namespace {

struct Planner : ::testing::Test {
  StockDirectory stock;
  ScriptedDialogs dialogs;
  qint64 animal(const QString& r, bool buck, const QVariantMap& more = {}) {
    QVariantMap v = more;
    v.insert(QStringLiteral("Geschlecht"), buck ? QStringLiteral("1") : QStringLiteral("2"));
    return stock.animal(r, QStringLiteral("1.24.") + r, v);
  }
};

std::vector<qint64> numbers(const std::vector<PlanTier>& list) {
  std::vector<qint64> n;
  for (const auto& t : list) n.push_back(t.nummer);
  return n;
}

}  // namespace

TEST_F(Planner, CandidatesFollowBreedColourStatusYearAndLife) {
  const QVariantMap base{{QStringLiteral("Rasse"), 3}, {QStringLiteral("Farbe"), 7}, {QStringLiteral("Status"), 1},
                         {QStringLiteral("Geburtstag"), QDate(2024, 3, 1)}};
  const qint64 a = animal(QStringLiteral("A"), true, base);
  QVariantMap other = base;
  other.insert(QStringLiteral("Rasse"), 4);
  const qint64 b = animal(QStringLiteral("B"), true, other);
  other = base;
  other.insert(QStringLiteral("Status"), 3);
  const qint64 c = animal(QStringLiteral("C"), true, other);
  other = base;
  other.insert(QStringLiteral("Geburtstag"), QDate(2023, 5, 1));
  const qint64 d = animal(QStringLiteral("D"), true, other);
  const qint64 e = animal(QStringLiteral("E"), true, base);
  stock.add(QStringLiteral("VERKAUFT"), {{QStringLiteral("Katze"), e}, {QStringLiteral("Geschlachtetam"), QDate(2025, 1, 1)}});
  const qint64 doe = animal(QStringLiteral("F"), false, base);

  MatingPlanner planner(stock.engine);
  PlanFilter f = planner.standardFilter(a);
  EXPECT_EQ(f.rasse, 3);
  EXPECT_EQ(f.status, 1);
  EXPECT_EQ(numbers(planner.kandidaten(f, true)), (std::vector<qint64>{a, d}));
  EXPECT_EQ(numbers(planner.kandidaten(f, false)), (std::vector<qint64>{doe}));
  f.geburtsjahr = 2024;
  EXPECT_EQ(numbers(planner.kandidaten(f, true)), (std::vector<qint64>{a}));
  f = PlanFilter{};
  f.nurLebende = false;
  EXPECT_EQ(numbers(planner.kandidaten(f, true)), (std::vector<qint64>{a, b, c, d, e}));
  f.farbe = 8;
  EXPECT_TRUE(planner.kandidaten(f, true).empty());
  EXPECT_FALSE(planner.standardFilter(0).rasse.has_value());
}

TEST_F(Planner, BestShowTotalTakesOwnJudgingOrThePositionsAndSkipsYoungAnimalRows) {
  const qint64 a = animal(QStringLiteral("A"), true);
  const qint64 b = animal(QStringLiteral("B"), true);
  auto show = [&](qint64 hase, const QString& titel, const QVariantMap& points) {
    QVariantMap v = points;
    v.insert(QStringLiteral("Hase"), hase);
    v.insert(QStringLiteral("Titel"), titel);
    stock.add(QStringLiteral("Ausstellung"), v);
  };
  show(a, QStringLiteral("Kreisschau"), {{QStringLiteral("Koerper2"), 19.0}, {QStringLiteral("Fell3"), 14.5}});
  show(a, QStringLiteral("Landesschau"), {{QStringLiteral("EigeneBewertung"), 95.5}, {QStringLiteral("Koerper2"), 10.0}});
  show(a, QStringLiteral("Jungtierbewertung"), {{QStringLiteral("EigeneBewertung"), 99.0}});
  MatingPlanner planner(stock.engine);
  EXPECT_EQ(planner.besteSchau(a), 95.5);
  EXPECT_FALSE(planner.besteSchau(b).has_value());
}

TEST_F(Planner, RatingCountsEveryPairAndCanBeCancelled) {
  const qint64 v = animal(QStringLiteral("V"), true, {{QStringLiteral("Erbformel"), QStringLiteral("A")}});
  const qint64 m = animal(QStringLiteral("M"), false, {{QStringLiteral("Erbformel"), QStringLiteral("B")}});
  const qint64 s = animal(QStringLiteral("S"), true, {{QStringLiteral("Vater"), v}, {QStringLiteral("Mutter"), m}});
  const qint64 t = animal(QStringLiteral("T"), false, {{QStringLiteral("Vater"), v}, {QStringLiteral("Mutter"), m}});
  MatingPlanner planner(stock.engine);
  const std::vector<PlanTier> bucks{*planner.tier(v), *planner.tier(s)};
  const std::vector<PlanTier> does{*planner.tier(m), *planner.tier(t)};
  const auto pairs = planner.rate(bucks, does);
  ASSERT_TRUE(pairs);
  ASSERT_EQ(pairs->size(), 4u);
  // V x M unrelated; V x T father x daughter; S x M son x mother; S x T full sibs.
  EXPECT_DOUBLE_EQ((*pairs)[0].fAlle, 0.0);
  EXPECT_DOUBLE_EQ((*pairs)[1].fAlle, 0.25);
  EXPECT_DOUBLE_EQ((*pairs)[1].f4, 0.25);
  EXPECT_DOUBLE_EQ((*pairs)[2].fAlle, 0.25);
  EXPECT_DOUBLE_EQ((*pairs)[3].fAlle, 0.25);
  EXPECT_DOUBLE_EQ((*pairs)[3].f4, 0.25);
  EXPECT_TRUE((*pairs)[0].formelnOk);
  EXPECT_EQ((*pairs)[0].formel, QStringLiteral("AB"));
  EXPECT_FALSE((*pairs)[1].formelnOk);
  EXPECT_FALSE(planner.rate(bucks, does, [](qint64, qint64) { return false; }));

  EXPECT_EQ(parseSchwelle(QStringLiteral(" 6,25 ")), 6.25);
  EXPECT_EQ(parseSchwelle(QStringLiteral("12.5 %")), 12.5);
  EXPECT_FALSE(parseSchwelle(QStringLiteral("101")));
  EXPECT_FALSE(parseSchwelle(QStringLiteral("x")));
}

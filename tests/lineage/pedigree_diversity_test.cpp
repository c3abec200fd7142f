#include "lineage/pedigree_diversity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace lapiro::lineage;

namespace {

// The full relationship matrix by the tabular method, for checking on small pedigrees.
std::vector<std::vector<double>> tabular(const Pedigree& ped) {
  const int n = ped.size();
  std::vector<std::vector<double>> a(n + 1, std::vector<double>(n + 1, 0.0));
  for (int j = 1; j <= n; ++j) {
    const int s = ped.sire[j], d = ped.dam[j];
    for (int i = 1; i < j; ++i) {
      a[i][j] = a[j][i] = 0.5 * ((s ? a[i][s] : 0.0) + (d ? a[i][d] : 0.0));
    }
    a[j][j] = 1.0 + (s && d ? 0.5 * a[s][d] : 0.0);
  }
  return a;
}

std::vector<std::int32_t> indices(const Pedigree& ped, std::initializer_list<qint64> ids) {
  std::vector<std::int32_t> out;
  for (qint64 id : ids) out.push_back(ped.indexOf(id));
  return out;
}

// A random pedigree of `n` animals whose parents are drawn among the earlier ones (some
// unknown, a few named without a record).
std::vector<PedigreeRecord> randomRecords(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<PedigreeRecord> r;
  for (int i = 1; i <= n; ++i) {
    auto pick = [&]() -> qint64 {
      const int roll = static_cast<int>(rng() % 10);
      if (i < 4 || roll == 0) return 0;
      if (roll == 1) return 1000 + static_cast<qint64>(rng() % 3);  // a parent without a record
      return 1 + static_cast<qint64>(rng() % static_cast<unsigned>(i - 1));
    };
    qint64 s = pick(), d = pick();
    if (s == d) d = 0;
    r.push_back({i, s, d});
  }
  return r;
}

// Boichard's marginal contributions recomputed from scratch after every choice: gene flow in
// the pedigree cut at the chosen animals, share of genes from chosen ancestors, largest
// marginal next. Returns the marginals in the order chosen.
std::vector<double> marginalsFromScratch(const Pedigree& ped, const std::vector<std::int32_t>& ref) {
  const int n = ped.size();
  std::vector<char> chosen(n + 1, 0), phantom(n + 1, 0);
  std::vector<double> out;
  for (;;) {
    std::vector<double> y(n + 1, 0.0), g(n + 1, 0.0);
    for (std::int32_t i : ref) y[i] = 1.0 / static_cast<double>(ref.size());
    for (int i = n; i >= 1; --i)
      if (!chosen[i]) {
        y[ped.sire[i]] += 0.5 * y[i];
        y[ped.dam[i]] += 0.5 * y[i];
      }
    for (int i = 1; i <= n; ++i)
      g[i] = chosen[i] ? 1.0 : 0.5 * ((ped.sire[i] ? g[ped.sire[i]] : 0.0) + (ped.dam[i] ? g[ped.dam[i]] : 0.0)) + (phantom[i] ? 0.5 : 0.0);
    double best = 0;
    int key = 0;
    for (int i = 1; i <= n; ++i) {
      if (chosen[i]) continue;
      const double m = y[i] * (1 - g[i]);
      if (m > best + 1e-15) best = m, key = i;
      const bool half = (ped.sire[i] == 0) != (ped.dam[i] == 0);
      if (half && !phantom[i] && 0.5 * y[i] > best + 1e-15) best = 0.5 * y[i], key = -i;
    }
    if (best <= 1e-15) return out;
    out.push_back(best);
    if (key > 0) chosen[key] = 1;
    else phantom[-key] = 1;
  }
}

}  // namespace

TEST(MeanKinship, EqualsTheTabularMatrixRowMeansOnSmallPedigrees) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const Pedigree ped = buildPedigree(randomRecords(40, seed));
    const auto f = inbreeding(ped, 1);
    const auto d = mendelianVariances(ped, f);
    const auto a = tabular(ped);
    std::vector<std::int32_t> ref;
    for (int i = 1; i <= ped.size(); i += 1 + static_cast<int>(seed % 3)) ref.push_back(i);
    ref.push_back(ref.front());  // a repeat counts once
    const auto mk = meanKinship(ped, d, ref);
    ASSERT_EQ(mk.size(), static_cast<size_t>(ped.size()) + 1);
    const size_t members = ref.size() - 1;
    double meanMK = 0;
    for (int i = 1; i <= ped.size(); ++i) {
      double sum = 0;
      for (size_t k = 0; k < members; ++k) sum += a[i][ref[k]];
      EXPECT_NEAR(mk[i], sum / members / 2.0, 1e-12) << "seed " << seed << " animal " << i;
    }
    double pairs = 0;
    for (size_t k = 0; k < members; ++k) {
      meanMK += mk[ref[k]];
      for (size_t l = 0; l < members; ++l) pairs += a[ref[k]][ref[l]];
    }
    meanMK /= members;
    const double coancestry = pairs / (2.0 * members * members);
    const auto fig = populationFigures(ped, f, equivalentGenerations(ped), mk, {}, ref, {});
    ASSERT_TRUE(fig.meanMK && fig.fg);
    EXPECT_NEAR(*fig.meanMK, coancestry, 1e-12);
    EXPECT_NEAR(*fig.fg, 1.0 / (2.0 * coancestry), 1e-12 * *fig.fg);
    // F agrees with the matrix as well: the diagonal is 1 + F.
    for (int i = 1; i <= ped.size(); ++i) EXPECT_NEAR(f[i], a[i][i] - 1.0, 1e-12);
  }
}

TEST(Completeness, CountsKnownAncestorsPerSideAndJoinsTheSidesByTheirHarmonicMean) {
  // Five full generations above animal 100 (62 ancestors): complete.
  std::vector<PedigreeRecord> r;
  qint64 next = 1;
  std::function<qint64(int)> make = [&](int depth) -> qint64 {
    const qint64 s = depth < 5 ? make(depth + 1) : 0;
    const qint64 d = depth < 5 ? make(depth + 1) : 0;
    const qint64 id = next++;
    r.push_back({id, s, d});
    return id;
  };
  const qint64 sire = make(1), dam = make(1);
  r.push_back({100, sire, dam});
  r.push_back({101, sire, 0});  // one side unknown
  r.push_back({102, sire, 1});  // dam side: only the dam itself (a founder)
  const Pedigree ped = buildPedigree(r);
  const auto c = pedigreeCompleteness(ped, 5);
  EXPECT_DOUBLE_EQ(c[ped.indexOf(100)], 1.0);
  EXPECT_DOUBLE_EQ(c[ped.indexOf(101)], 0.0);
  // Sire side complete (1); dam side: generation 1 known, 2..5 empty: 1/5. 2*1*0.2/1.2.
  EXPECT_NEAR(c[ped.indexOf(102)], 2.0 * 0.2 / 1.2, 1e-15);
  EXPECT_DOUBLE_EQ(c[ped.indexOf(1)], 0.0);  // a founder
  const auto kids = offspringCounts(ped);
  EXPECT_EQ(kids[ped.indexOf(sire)], 3);
  EXPECT_EQ(kids[ped.indexOf(1)], 2);  // a parent of sire's line and of 102
}

TEST(Contributions, TwoFoundersWithUnequalContributions) {
  // X = F1 x F2; Y1, Y2 = F1 x X. The reference {Y1, Y2} carries 3/4 of F1 and 1/4 of F2:
  // fe = 1 / (9/16 + 1/16) = 1.6. Ancestors: F1 explains 3/4; then X and F2 each could
  // explain the last quarter: fa = 1.6 as well.
  const Pedigree ped = buildPedigree({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 3}, {5, 1, 3}});
  const auto r = contributions(ped, indices(ped, {4, 5}));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->founders, 2);
  EXPECT_EQ(r->phantomParents, 0);
  EXPECT_NEAR(r->fe, 1.6, 1e-12);
  EXPECT_NEAR(r->fa, 1.6, 1e-12);
  ASSERT_GE(r->ancestors.size(), 2u);
  EXPECT_EQ(ped.id[r->ancestors[0].animal], 1);
  EXPECT_DOUBLE_EQ(r->ancestors[0].marginal, 0.75);
  EXPECT_DOUBLE_EQ(r->ancestors[1].marginal, 0.25);
  EXPECT_NEAR(r->marginalSum, 1.0, 1e-12);
  EXPECT_NEAR(r->founderSum, 1.0, 1e-12);
}

TEST(Contributions, ABottleneckAncestorMakesFaSmallerThanFe) {
  // B = F1 x F2 sires four young, each from another founder doe F3..F6.
  // Founders: F1, F2 1/4 each, F3..F6 1/8 each: fe = 1 / (2/16 + 4/64) = 16/3.
  // Ancestors: B explains 1/2, then each young's dam side 1/8: fa = 1 / (1/4 + 4/64) = 3.2.
  const Pedigree ped = buildPedigree({{1, 0, 0},
                                      {2, 0, 0},
                                      {3, 0, 0},
                                      {4, 0, 0},
                                      {5, 0, 0},
                                      {6, 0, 0},
                                      {10, 1, 2},
                                      {21, 10, 3},
                                      {22, 10, 4},
                                      {23, 10, 5},
                                      {24, 10, 6}});
  const auto r = contributions(ped, indices(ped, {21, 22, 23, 24}));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->founders, 6);
  EXPECT_NEAR(r->fe, 16.0 / 3.0, 1e-12);
  EXPECT_NEAR(r->fa, 3.2, 1e-12);
  EXPECT_LT(r->fa, r->fe);
  EXPECT_EQ(ped.id[r->ancestors[0].animal], 10);
  EXPECT_DOUBLE_EQ(r->ancestors[0].marginal, 0.5);
  EXPECT_DOUBLE_EQ(r->ancestors[0].raw, 0.5);
  EXPECT_EQ(r->ancestorsForHalf, 1);
  EXPECT_NEAR(r->marginalSum, 1.0, 1e-12);
}

TEST(Contributions, AnUnknownParentOfAHalfKnownAnimalIsItsOwnFounder) {
  // Y1 = F1 x ?, Y2 = F1 x ?: two phantom dams of 1/4 each beside F1 with 1/2.
  const Pedigree ped = buildPedigree({{1, 0, 0}, {2, 1, 0}, {3, 1, 0}});
  const auto r = contributions(ped, indices(ped, {2, 3}));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->founders, 1);
  EXPECT_EQ(r->phantomParents, 2);
  EXPECT_NEAR(r->fe, 1.0 / (0.25 + 2 * 0.0625), 1e-12);
  EXPECT_NEAR(r->founderSum, 1.0, 1e-12);
  EXPECT_NEAR(r->marginalSum, 1.0, 1e-12);
  EXPECT_NEAR(r->fa, r->fe, 1e-12);
}

TEST(Contributions, MarginalContributionsSumToOneAndMatchAFullRecomputationOnMixedPedigrees) {
  for (unsigned seed = 11; seed <= 16; ++seed) {
    const Pedigree ped = buildPedigree(randomRecords(300, seed));
    std::vector<std::int32_t> ref;
    for (int i = ped.size() / 2; i <= ped.size(); i += 3) ref.push_back(i);
    const auto r = contributions(ped, ref);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->marginalSum, 1.0, 1e-9) << seed;
    EXPECT_NEAR(r->founderSum, 1.0, 1e-9) << seed;
    EXPECT_GE(r->fa, 1.0);
    for (size_t k = 1; k < r->ancestors.size(); ++k) EXPECT_LE(r->ancestors[k].marginal, r->ancestors[k - 1].marginal + 1e-15);
    // The incremental updates agree with a full recomputation after every choice.
    const std::vector<double> full = marginalsFromScratch(ped, ref);
    ASSERT_EQ(full.size(), r->ancestors.size()) << seed;
    for (size_t k = 0; k < full.size(); ++k) EXPECT_NEAR(r->ancestors[k].marginal, full[k], 1e-12) << seed << " step " << k;
  }
}

TEST(EffectiveSize, AFullSibLineApproachesItsKnownRateOfInbreeding) {
  // A closed line of constant size two, a full-sib pair each generation. F follows
  // F_t = (1 + 2 F_(t-1) + F_(t-2)) / 4, whose rate tends to 1 - (1 + sqrt 5) / 4.
  std::vector<PedigreeRecord> r{{1, 0, 0}, {2, 0, 0}};
  const int generations = 40;
  for (int g = 1; g <= generations; ++g) {
    const qint64 s = 2 * g - 1, d = 2 * g;
    r.push_back({2 * g + 1, s, d});
    r.push_back({2 * g + 2, s, d});
  }
  const Pedigree ped = buildPedigree(r);
  const auto f = inbreeding(ped, 1);
  const auto e = equivalentGenerations(ped);
  const std::vector<std::int32_t> last = indices(ped, {2 * generations + 1, 2 * generations + 2});
  std::vector<double> expectedF{0, 0};
  for (int g = 2; g <= generations; ++g)
    expectedF.push_back((1 + 2 * expectedF[g - 1] + expectedF[g - 2]) / 4);
  EXPECT_NEAR(f[last[0]], expectedF[generations], 1e-12);
  EXPECT_DOUBLE_EQ(e[last[0]], generations);
  const auto fig = populationFigures(ped, f, e, {}, {}, last, {});
  ASSERT_TRUE(fig.deltaF && fig.ne);
  EXPECT_EQ(fig.neAnimals, 2);
  EXPECT_NEAR(*fig.deltaF, 1 - std::pow(1 - expectedF[generations], 1.0 / (generations - 1)), 1e-12);
  const double rate = 1 - (1 + std::sqrt(5.0)) / 4;
  EXPECT_NEAR(*fig.ne, 1 / (2 * rate), 0.01 / (2 * rate));
}

TEST(BadInput, EmptyReferenceOnlyFoundersAndLoopsGiveDefinedFigures) {
  const Pedigree founders = buildPedigree({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}});
  const auto f = inbreeding(founders, 1);
  const auto d = mendelianVariances(founders, f);
  const auto e = equivalentGenerations(founders);

  EXPECT_TRUE(meanKinship(founders, d, {}).empty());
  EXPECT_FALSE(contributions(founders, {}));
  EXPECT_FALSE(contributions(founders, {0, 99}));  // nothing valid
  const auto none = populationFigures(founders, f, e, {}, {}, {}, {});
  EXPECT_EQ(none.size, 0);
  EXPECT_FALSE(none.meanF || none.meanMK || none.fg || none.deltaF || none.ne || none.generationInterval);

  // Only founders: each explains 1/|R|; no animal has more than one generation.
  const std::vector<std::int32_t> all{1, 2, 3, 4};
  const auto mk = meanKinship(founders, d, all);
  const auto fig = populationFigures(founders, f, e, mk, pedigreeCompleteness(founders), all, {});
  EXPECT_NEAR(*fig.fg, 4.0, 1e-12);
  EXPECT_DOUBLE_EQ(*fig.meanF, 0.0);
  EXPECT_DOUBLE_EQ(*fig.meanCompleteness, 0.0);
  EXPECT_FALSE(fig.ne);
  EXPECT_FALSE(fig.deltaF);
  const auto c = contributions(founders, all);
  EXPECT_NEAR(c->fe, 4.0, 1e-12);
  EXPECT_NEAR(c->fa, 4.0, 1e-12);

  // Unrelated but inbred-free: dF is 0, so Ne stays undefined rather than infinite.
  const Pedigree outbred = buildPedigree({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 1, 2}, {6, 3, 4}, {7, 5, 6}});
  const auto fo = inbreeding(outbred, 1);
  // Animal 5 has exactly one equivalent generation and does not count for Ne.
  const auto figo = populationFigures(outbred, fo, equivalentGenerations(outbred), {}, {}, indices(outbred, {5, 7}), {});
  EXPECT_EQ(figo.neAnimals, 1);
  EXPECT_DOUBLE_EQ(*figo.deltaF, 0.0);
  EXPECT_FALSE(figo.ne);

  // A loop (1 -> 2 -> 3 -> 1) is broken when the pedigree is built; every figure is finite.
  const Pedigree loop = buildPedigree({{1, 3, 0}, {2, 1, 0}, {3, 2, 0}, {4, 3, 2}});
  ASSERT_FALSE(loop.brokenLinks.empty());
  const auto fl = inbreeding(loop, 1);
  const auto dl = mendelianVariances(loop, fl);
  const std::vector<std::int32_t> ref = indices(loop, {4, 3});
  const auto mkl = meanKinship(loop, dl, ref);
  const auto cl = contributions(loop, ref);
  ASSERT_TRUE(cl);
  EXPECT_TRUE(std::isfinite(cl->fe) && std::isfinite(cl->fa));
  EXPECT_NEAR(cl->marginalSum, 1.0, 1e-12);
  for (int i = 1; i <= loop.size(); ++i) EXPECT_TRUE(std::isfinite(mkl[i]));
}

TEST(GenerationInterval, MeanAgeOfKnownParentsAtTheBirthOfTheReference) {
  const Pedigree ped = buildPedigree({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 0}});
  std::vector<std::int64_t> born(static_cast<size_t>(ped.size()) + 1, 0);
  born[ped.indexOf(1)] = 2'460'000;
  born[ped.indexOf(2)] = 2'460'000 + 365;  // younger parent
  born[ped.indexOf(3)] = 2'460'000 + 730;
  born[ped.indexOf(4)] = 0;  // unknown birthday: not counted
  const auto f = inbreeding(ped, 1);
  const auto fig = populationFigures(ped, f, equivalentGenerations(ped), {}, {}, indices(ped, {3, 4}), born);
  EXPECT_EQ(fig.intervalPairs, 2);
  EXPECT_NEAR(*fig.generationInterval, (730 + 365) / 2.0 / 365.25, 1e-12);

  std::vector<int> year(static_cast<size_t>(ped.size()) + 1, 0);
  year[ped.indexOf(1)] = 2020;
  year[ped.indexOf(3)] = 2022;
  year[ped.indexOf(4)] = 2022;
  const auto by = figuresByYear(year, f, equivalentGenerations(ped));
  ASSERT_EQ(by.size(), 2u);
  EXPECT_EQ(by[1].year, 2022);
  EXPECT_EQ(by[1].animals, 2);
  EXPECT_DOUBLE_EQ(by[1].meanGenerations, (1.0 + 0.5) / 2);
}

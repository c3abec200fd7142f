// GCC 12 reports a false free-nonheap-object in std::vector's inlined allocation below.
#pragma GCC diagnostic ignored "-Wfree-nonheap-object"
#include "lineage/pedigree.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QFile>

#include <algorithm>
#include <random>

using namespace lapiro::lineage;

namespace {

// The tabular method: the full relationship matrix of a pedigree whose parents come before
// their young (records 0..n-1, parents as record positions + 1, 0 unknown).
std::vector<std::vector<double>> tabularA(const std::vector<std::pair<int, int>>& parents) {
  const size_t n = parents.size();
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  for (size_t i = 0; i < n; ++i) {
    const int s = parents[i].first, d = parents[i].second;
    for (size_t j = 0; j < i; ++j) {
      double v = 0;
      if (s) v += 0.5 * a[j][s - 1];
      if (d) v += 0.5 * a[j][d - 1];
      a[i][j] = a[j][i] = v;
    }
    a[i][i] = 1.0 + (s && d ? 0.5 * a[s - 1][d - 1] : 0.0);
  }
  return a;
}

// A small closed population mated at random among its last `window` animals: deep, heavy
// inbreeding. Some parents are unknown.
std::vector<std::pair<int, int>> randomPedigree(int n, int window, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::pair<int, int>> p(n);
  for (int i = 0; i < n; ++i) {
    if (i < 6) continue;
    const int lo = std::max(0, i - window);
    std::uniform_int_distribution<int> pick(lo, i - 1);
    int s = pick(rng) + 1, d = pick(rng) + 1;
    if (rng() % 17 == 0) s = 0;
    if (rng() % 23 == 0) d = 0;
    p[i] = {s, d};
  }
  return p;
}

// Records with shuffled order and ids unlike the positions, so the ordering is exercised.
std::vector<PedigreeRecord> asRecords(const std::vector<std::pair<int, int>>& p, unsigned seed) {
  auto idOf = [](int pos) -> qint64 { return pos == 0 ? 0 : 1000003LL * pos % 7919993LL + 17; };
  std::vector<PedigreeRecord> r;
  for (size_t i = 0; i < p.size(); ++i) r.push_back({idOf(int(i) + 1), idOf(p[i].first), idOf(p[i].second)});
  std::mt19937 rng(seed);
  std::shuffle(r.begin(), r.end(), rng);
  return r;
}

}  // namespace

TEST(Coefficients, AgreeWithTheTabularMethodOnRandomInbredPedigrees) {
  for (auto [n, window, seed] : {std::tuple{300, 8, 1u}, std::tuple{2000, 25, 2u}, std::tuple{1200, 5, 3u}}) {
    const auto p = randomPedigree(n, window, seed);
    const auto a = tabularA(p);
    const auto records = asRecords(p, seed);
    const Pedigree ped = buildPedigree(records);
    ASSERT_EQ(ped.size(), n);
    EXPECT_TRUE(ped.brokenLinks.empty());
    for (std::int32_t i = 1; i <= ped.size(); ++i) {
      if (ped.sire[i]) { ASSERT_LT(ped.sire[i], i); }
      if (ped.dam[i]) { ASSERT_LT(ped.dam[i], i); }
    }
    const auto f = inbreeding(ped);
    const auto d = mendelianVariances(ped, f);
    double maxF = 0;
    // Positions map back to ids through the same rule as asRecords.
    auto idOf = [](int pos) -> qint64 { return 1000003LL * pos % 7919993LL + 17; };
    for (int i = 0; i < n; ++i) {
      const std::int32_t k = ped.indexOf(idOf(i + 1));
      ASSERT_NE(k, 0);
      EXPECT_NEAR(f[k], a[i][i] - 1.0, 1e-12) << "animal " << i;
      maxF = std::max(maxF, f[k]);
    }
    EXPECT_GT(maxF, 0.3) << "the test pedigree should be deeply inbred";

    // Rows of A by the indirect method, and single matings, against the table.
    KinshipRows rows(ped, d);
    std::vector<double> row;
    std::mt19937 rng(seed + 7);
    for (int t = 0; t < 20; ++t) {
      const int x = int(rng() % n), y = int(rng() % n);
      const std::int32_t kx = ped.indexOf(idOf(x + 1)), ky = ped.indexOf(idOf(y + 1));
      rows.rowOf(kx, row);
      for (int j = 0; j < n; j += 7) EXPECT_NEAR(row[ped.indexOf(idOf(j + 1))], a[j][x], 1e-12);
      EXPECT_NEAR(offspringInbreeding(ped, f, d, kx, ky), 0.5 * a[x][y], 1e-12);
    }
  }
}

TEST(Coefficients, RepeatedFullSibMatingFollowsTheKnownSeries) {
  // 1 x 2 -> 3, 4; 3 x 4 -> 5, 6; 5 x 6 -> 7, 8; 7 x 8 -> 9, 10; 9 x 10 -> 11.
  std::vector<PedigreeRecord> r = {{11, 9, 10}, {1, 0, 0}, {2, 0, 0}};
  for (int g = 0; g < 4; ++g) {
    r.push_back({3 + 2 * g, 1 + 2 * g, 2 + 2 * g});
    r.push_back({4 + 2 * g, 1 + 2 * g, 2 + 2 * g});
  }
  const Pedigree ped = buildPedigree(r);
  const auto f = inbreeding(ped);
  EXPECT_DOUBLE_EQ(f[ped.indexOf(3)], 0.0);
  EXPECT_DOUBLE_EQ(f[ped.indexOf(5)], 0.25);
  EXPECT_DOUBLE_EQ(f[ped.indexOf(7)], 0.375);
  EXPECT_DOUBLE_EQ(f[ped.indexOf(9)], 0.5);
  EXPECT_DOUBLE_EQ(f[ped.indexOf(11)], 0.59375);
  const auto d = mendelianVariances(ped, f);
  EXPECT_DOUBLE_EQ(offspringInbreeding(ped, f, d, ped.indexOf(9), ped.indexOf(10)), 0.59375);
  // Unknown parents make a founder; one unknown parent gives no common ancestor.
  EXPECT_DOUBLE_EQ(offspringInbreeding(ped, f, d, ped.indexOf(9), 0), 0.0);

  const auto e = equivalentGenerations(ped);
  EXPECT_DOUBLE_EQ(e[ped.indexOf(1)], 0.0);
  EXPECT_DOUBLE_EQ(e[ped.indexOf(3)], 1.0);
  EXPECT_DOUBLE_EQ(e[ped.indexOf(11)], 5.0);
}

// Worked by hand: 1 and 2 founders, 3 = 1 x 2, 4 = 1 x 3 (F = 1/4), 5 has only sire 4, 6 only
// dam 4. d = 1/2 - (F_sire + F_dam)/4 with -1 for an unknown parent; e sums (1 + e_p)/2 over
// the known parents.
TEST(Coefficients, HalfKnownAnimalsAndMatingsOfAnAnimalWithItself) {
  const Pedigree ped = buildPedigree({{6, 0, 4}, {5, 4, 0}, {4, 1, 3}, {3, 1, 2}, {2, 0, 0}, {1, 0, 0}});
  ASSERT_EQ(ped.size(), 6);
  auto at = [&](const std::vector<double>& v, qint64 id) { return v[ped.indexOf(id)]; };
  const auto f = inbreeding(ped, 1);
  const std::vector<double> fExpected{0, 0, 0, 0.25, 0, 0};
  const std::vector<double> dExpected{1, 1, 0.5, 0.5, 0.6875, 0.6875};
  const std::vector<double> eExpected{0, 0, 1, 1.5, 1.25, 1.25};
  const auto d = mendelianVariances(ped, f);
  const auto e = equivalentGenerations(ped);
  for (qint64 id = 1; id <= 6; ++id) {
    EXPECT_DOUBLE_EQ(at(f, id), fExpected[id - 1]) << id;
    EXPECT_DOUBLE_EQ(at(d, id), dExpected[id - 1]) << id;
    EXPECT_DOUBLE_EQ(at(e, id), eExpected[id - 1]) << id;
  }
  const std::int32_t three = ped.indexOf(3), four = ped.indexOf(4), five = ped.indexOf(5);
  struct Mating {
    std::int32_t sire, dam;
    double f;
  };
  // A(4, 3) = (A(1, 3) + A(3, 3)) / 2 = 3/4; an animal with itself: (1 + F) / 2.
  for (const Mating& m : {Mating{four, three, 0.375}, Mating{three, four, 0.375}, Mating{four, four, 0.625}, Mating{five, three, 0.1875},
                          Mating{three, three, 0.5}, Mating{four, 0, 0}, Mating{0, four, 0}, Mating{0, 0, 0}})
    EXPECT_DOUBLE_EQ(offspringInbreeding(ped, f, d, m.sire, m.dam), m.f) << m.sire << " x " << m.dam;
  EXPECT_EQ(inbreeding(ped, 0), f);
  EXPECT_EQ(inbreeding(ped, 100), f);
  // The relationships of 4 (1 is its sire and its dam's sire) and of founder 1, whose index is 1.
  EXPECT_EQ(f.size(), 7u);
  EXPECT_EQ(d.size(), 7u);
  EXPECT_EQ(e.size(), 7u);
  KinshipRows rows(ped, d);
  std::vector<double> row;
  for (const auto& [animal, expected] :
       {std::pair<qint64, std::vector<double>>{4, {0.75, 0.25, 0.75, 1.25, 0.625, 0.625}},
        {1, {1, 0, 0.5, 0.75, 0.375, 0.375}}, {6, {0.375, 0.125, 0.375, 0.625, 0.3125, 1}}}) {
    rows.rowOf(ped.indexOf(animal), row);
    ASSERT_EQ(row.size(), 7u);
    EXPECT_EQ(row[0], 0.0);
    for (qint64 id = 1; id <= 6; ++id) EXPECT_DOUBLE_EQ(at(row, id), expected[id - 1]) << animal << ", " << id;
  }
  EXPECT_EQ(ped.indexOf(1), 1);
}

TEST(Coefficients, LoopsAreBrokenAtTheClosingLinkAndReportedOnce) {
  // 1 <- 2 <- 3 <- 1 (1's sire is 3, 3's sire is 2, 2's sire is 1), 4 is its own dam, and 5
  // is an ordinary offspring of 1 and 4 whose parents must still be ordered first.
  const std::vector<PedigreeRecord> r = {{5, 1, 4}, {1, 3, 0}, {3, 2, 0}, {2, 1, 0}, {4, 0, 4}, {6, 99, 0}};
  const Pedigree ped = buildPedigree(r);
  ASSERT_EQ(ped.size(), 7) << "99 has no record and is added as a founder";
  ASSERT_EQ(ped.brokenLinks.size(), 2u);
  // One of the three links of the cycle is gone; the self-link of 4 is gone.
  bool selfLink = false;
  for (const auto& l : ped.brokenLinks) selfLink |= (l.child == 4 && l.parent == 4);
  EXPECT_TRUE(selfLink);
  for (std::int32_t i = 1; i <= ped.size(); ++i) {
    if (ped.sire[i]) { EXPECT_LT(ped.sire[i], i); }
    if (ped.dam[i]) { EXPECT_LT(ped.dam[i], i); }
  }
  EXPECT_EQ(ped.dam[ped.indexOf(4)], 0);
  EXPECT_EQ(ped.sire[ped.indexOf(6)], ped.indexOf(99)) << "a parent not among the records is a founder";
  EXPECT_EQ(ped.founderParents, std::vector<qint64>{99});
  const auto f = inbreeding(ped);
  for (double v : f) EXPECT_TRUE(v >= 0 && v < 1);

  // Which link of a loop goes follows the walk, the sire's line before the dam's: 1 has the
  // sire 2 and the dam 3, and 2 and 3 are each other's sire. Through 2 the walk meets 3, whose
  // link back to 2 closes the loop.
  const Pedigree twoWays = buildPedigree({{1, 2, 3}, {2, 3, 0}, {3, 2, 0}});
  ASSERT_EQ(twoWays.brokenLinks.size(), 1u);
  EXPECT_EQ(twoWays.brokenLinks[0].child, 3);
  EXPECT_EQ(twoWays.brokenLinks[0].parent, 2);
  EXPECT_EQ(twoWays.sire[twoWays.indexOf(2)], twoWays.indexOf(3));
  EXPECT_EQ(twoWays.sire[twoWays.indexOf(3)], 0);
}

namespace {

// A widely mixed population: `generations` overlapping generations of `per` animals, each
// bred from a fifth of the bucks and any does of the two previous generations, in litters of
// 1 to 4. Positions as for tabularA.
std::vector<std::pair<int, int>> widelyMixed(int per, int generations, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::pair<int, int>> p;
  std::vector<std::vector<int>> bucks(generations), does(generations);
  for (int g = 0; g < generations; ++g) {
    std::vector<int> sires, dams;
    for (int back = 1; back <= 2 && g - back >= 0; ++back) {
      sires.insert(sires.end(), bucks[g - back].begin(), bucks[g - back].end());
      dams.insert(dams.end(), does[g - back].begin(), does[g - back].end());
    }
    std::shuffle(sires.begin(), sires.end(), rng);
    sires.resize(std::max<size_t>(sires.empty() ? 0 : 1, sires.size() / 5));
    for (int born = 0; born < per;) {
      int s = 0, d = 0;
      if (!sires.empty() && !dams.empty()) {
        s = sires[rng() % sires.size()];
        d = dams[rng() % dams.size()];
      }
      for (int k = 0, litter = 1 + int(rng() % 4); k < litter && born < per; ++k, ++born) {
        p.push_back({s, d});
        (rng() % 2 ? does : bucks)[g].push_back(int(p.size()));
      }
    }
  }
  return p;
}

}  // namespace

TEST(Coefficients, AWidelyMixedPedigreeAgreesWithTheTabularMethodWhateverTheThreadCount) {
  const auto p = widelyMixed(200, 15, 5u);
  const int n = int(p.size());
  const auto a = tabularA(p);
  const Pedigree ped = buildPedigree(asRecords(p, 5u));
  ASSERT_EQ(ped.size(), n);
  auto idOf = [](int pos) -> qint64 { return 1000003LL * pos % 7919993LL + 17; };
  const auto f1 = inbreeding(ped, 1);
  double maxF = 0;
  for (int i = 0; i < n; ++i) {
    const std::int32_t k = ped.indexOf(idOf(i + 1));
    EXPECT_NEAR(f1[k], a[i][i] - 1.0, 1e-12) << "animal " << i;
    maxF = std::max(maxF, f1[k]);
  }
  EXPECT_GT(maxF, 0.1) << "some matings in the test pedigree should be close";
  // Every thread count gives the same bits.
  for (int threads : {2, 3, 8}) EXPECT_EQ(inbreeding(ped, threads), f1) << threads << " threads";
}

// Generations with more distinct parent pairs than one thread traces alone (several hundred)
// are shared out to the threads; each animal still gets its own coefficient. Every animal of
// a generation has parents from the generation before, mated at random among 30 bucks and 30
// does, so full sibs and half sibs abound.
TEST(Coefficients, WideGenerationsTracedOnSeveralThreadsAgreeWithTheTabularMethod) {
  std::mt19937 rng(11);
  std::vector<std::pair<int, int>> p(60, {0, 0});
  int from = 0;
  for (int g = 0; g < 3; ++g) {
    const int to = int(p.size());
    std::uniform_int_distribution<int> pick(from, to - 1);
    std::vector<int> bucks, does;
    for (int k = 0; k < 30; ++k) bucks.push_back(pick(rng) + 1), does.push_back(pick(rng) + 1);
    std::uniform_int_distribution<int> which(0, 29);
    for (int k = 0; k < 700; ++k) p.push_back({bucks[which(rng)], does[which(rng)]});
    from = to;
  }
  const auto a = tabularA(p);
  const Pedigree ped = buildPedigree(asRecords(p, 11u));
  const int n = int(p.size());
  ASSERT_EQ(ped.size(), n);
  auto idOf = [](int pos) -> qint64 { return 1000003LL * pos % 7919993LL + 17; };
  const auto f1 = inbreeding(ped, 1);
  for (int threads : {2, 4}) {
    const auto f = inbreeding(ped, threads);
    for (int i = 0; i < n; ++i) {
      const std::int32_t k = ped.indexOf(idOf(i + 1));
      ASSERT_NEAR(f[k], a[i][i] - 1.0, 1e-12) << "animal " << i << ", " << threads << " threads";
    }
    EXPECT_EQ(f, f1) << threads << " threads";
  }
}

TEST(FounderParents, AParentWithoutARecordIsOneAnimalWhereverItIsNamed) {
  // Buck 7 has no record; it sired doe 1 and buck 2; 2 x 1 gives 3, a half-sib mating.
  {
    const Pedigree ped = buildPedigree({{3, 2, 1}, {1, 7, 0}, {2, 7, 0}});
    ASSERT_EQ(ped.size(), 4);
    EXPECT_EQ(ped.founderParents, std::vector<qint64>{7});
    EXPECT_EQ(ped.sire[ped.indexOf(1)], ped.indexOf(7));
    EXPECT_EQ(ped.sire[ped.indexOf(7)], 0);
    const auto f = inbreeding(ped);
    EXPECT_DOUBLE_EQ(f[ped.indexOf(3)], 0.125);
    EXPECT_DOUBLE_EQ(f[ped.indexOf(7)], 0.0);
    const auto d = mendelianVariances(ped, f);
    EXPECT_DOUBLE_EQ(offspringInbreeding(ped, f, d, ped.indexOf(2), ped.indexOf(1)), 0.125);
  }
  // A record without an id and a second record of an id are left out, with the parents only
  // they name: the first record of 1 stands.
  {
    const Pedigree ped = buildPedigree({{3, 2, 1}, {1, 7, 0}, {0, 5, 6}, {2, 7, 0}, {1, 8, 8}});
    ASSERT_EQ(ped.size(), 4);
    EXPECT_EQ(ped.founderParents, std::vector<qint64>{7});
    EXPECT_EQ(ped.sire[ped.indexOf(1)], ped.indexOf(7));
    EXPECT_EQ(ped.dam[ped.indexOf(1)], 0);
    EXPECT_DOUBLE_EQ(inbreeding(ped)[ped.indexOf(3)], 0.125);
  }
  // 9 has no record and is named as sire on both sides three generations above 30: 30's sire
  // 20 has sire 10, 10 has sire 9; 30's dam 21 has dam 11, 11 has sire 9 and dam 12, which
  // has no record either. F(30) = (1/2)^5 = 1/32. The same pedigree with records for 9 and 12
  // gives the same coefficients.
  const std::vector<PedigreeRecord> without = {{30, 20, 21}, {20, 10, 0}, {21, 0, 11}, {10, 9, 0}, {11, 9, 12}};
  std::vector<PedigreeRecord> with = without;
  with.push_back({9, 0, 0});
  with.push_back({12, 0, 0});
  const Pedigree a = buildPedigree(without), b = buildPedigree(with);
  EXPECT_EQ(a.founderParents, (std::vector<qint64>{9, 12}));
  EXPECT_TRUE(b.founderParents.empty());
  ASSERT_EQ(a.size(), b.size());
  const auto fa = inbreeding(a), fb = inbreeding(b);
  EXPECT_DOUBLE_EQ(fa[a.indexOf(30)], 1.0 / 32);
  for (qint64 id : {30, 20, 21, 10, 11, 9, 12}) EXPECT_DOUBLE_EQ(fa[a.indexOf(id)], fb[b.indexOf(id)]) << id;
  const auto ea = equivalentGenerations(a), eb = equivalentGenerations(b);
  EXPECT_DOUBLE_EQ(ea[a.indexOf(30)], eb[b.indexOf(30)]);
}

TEST(CoiProgram, WritesCoefficientsInInputOrderAndRejectsMalformedFilesWhole) {
  const QString program = QStringLiteral(LAPIRO_BINARY_DIR "/lapiro-coi");
  if (!QFile::exists(program)) GTEST_SKIP() << "lapiro-coi not built";
  QTemporaryDir dir;
  auto run = [&](const QByteArray& csv, QByteArray& out, QByteArray& err) {
    QFile file(dir.filePath(QStringLiteral("p.csv")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(csv);
    file.close();
    QProcess p;
    p.start(program, {file.fileName()});
    p.waitForFinished(30000);
    out = p.readAllStandardOutput();
    err = p.readAllStandardError();
    return p.exitCode();
  };
  QByteArray out, err;
  // Young before their parents, empty and 0 parents, a loop 20 <-> 21.
  EXPECT_EQ(run("id,sire,dam\r\n11,9,10\n9,7,8\n10,7,8\n7,5,6\n8,5,6\n5,3,4\n6,3,4\n3,1,2\n4,1,2\n1,,\n2,0,0\n"
                "20,21,0\n21,20,0\n",
                out, err),
            0);
  EXPECT_EQ(out, "id,F\n11,0.59375\n9,0.5\n10,0.5\n7,0.375\n8,0.375\n5,0.25\n6,0.25\n3,0\n4,0\n1,0\n2,0\n20,0\n21,0\n");
  EXPECT_TRUE(err.contains("Schleife"));

  EXPECT_EQ(run("id,sire,dam\n1,0,0\n2,x,0\n3,1\n1,0,0\n", out, err), 1);
  EXPECT_TRUE(out.isEmpty());
  EXPECT_TRUE(err.contains("Zeile 3")) << err.constData();
  EXPECT_TRUE(err.contains("Zeile 4"));
  EXPECT_TRUE(err.contains("Zeile 5"));
  EXPECT_EQ(run("nummer,vater,mutter\n1,0,0\n", out, err), 1);
  EXPECT_TRUE(out.isEmpty());

  // An animal given as both its own sire and dam is an error line; 0 for both is not.
  EXPECT_EQ(run("id,sire,dam\n1,0,0\n2,0,0\n3,1,1\n4,0,0\n", out, err), 1);
  EXPECT_TRUE(out.isEmpty());
  EXPECT_TRUE(err.contains("Zeile 4: sire und dam sind dasselbe Tier")) << err.constData();
  EXPECT_FALSE(err.contains("Zeile 2"));
}

TEST(CoiProgram, ReadsSemicolonsAndQuotesAndCountsParentsWithoutALineAsFounders) {
  const QString program = QStringLiteral(LAPIRO_BINARY_DIR "/lapiro-coi");
  if (!QFile::exists(program)) GTEST_SKIP() << "lapiro-coi not built";
  QTemporaryDir dir;
  auto run = [&](const QStringList& args, const QByteArray& csv, QByteArray& out, QByteArray& err) {
    QFile file(dir.filePath(QStringLiteral("p.csv")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(csv);
    file.close();
    QProcess p;
    p.start(program, args.isEmpty() ? QStringList{file.fileName()} : args);
    p.waitForFinished(30000);
    out = p.readAllStandardOutput();
    err = p.readAllStandardError();
    return p.exitCode();
  };
  QByteArray out, err;
  // Semicolons and quotes as a German spreadsheet writes them; 7 and 8 have no line: 7 sired
  // 1 and 2 (half sibs), 2 x 1 gives 3.
  EXPECT_EQ(run({}, "\"id\";\"sire\";\"dam\"\r\n\"3\";\"2\";\"1\"\r\n\"1\";\"7\";\"0\"\r\n\"2\";\"7\";\"8\"\r\n\"4\";\"\";\"\"\r\n",
                out, err),
            0);
  EXPECT_EQ(out, "id,F\n3,0.125\n1,0\n2,0\n4,0\n") << "no line for the founders 7 and 8";
  EXPECT_EQ(err, "lapiro-coi: 2 Elterntiere ohne eigene Zeile als Gründertiere gezählt: 7, 8\n");
  EXPECT_EQ(run({}, "id,sire,dam\n1,5,0\n", out, err), 0);
  EXPECT_EQ(err, "lapiro-coi: 1 Elterntier ohne eigene Zeile als Gründertier gezählt: 5\n");
  EXPECT_EQ(run({}, "id;sire;dam\n1;0\n", out, err), 1);
  EXPECT_TRUE(err.contains("Zeile 2: drei Felder id;sire;dam erwartet")) << err.constData();

  // --help on standard output with exit code 0; a wrong call on standard error with 2.
  EXPECT_EQ(run({QStringLiteral("--help")}, {}, out, err), 0);
  EXPECT_TRUE(out.startsWith("Aufruf: lapiro-coi")) << out.constData();
  EXPECT_TRUE(err.isEmpty());
  EXPECT_EQ(run({QStringLiteral("a"), QStringLiteral("b")}, {}, out, err), 2);
  EXPECT_TRUE(out.isEmpty());
  EXPECT_TRUE(err.startsWith("Aufruf: lapiro-coi"));

  // A file that cannot be read: a German reason, nothing from the system's English texts.
  EXPECT_EQ(run({dir.filePath(QStringLiteral("fehlt.csv"))}, {}, out, err), 2);
  EXPECT_TRUE(err.endsWith("fehlt.csv: Datei kann nicht gelesen werden (Datei nicht vorhanden)\n")) << err.constData();
  EXPECT_EQ(run({dir.path()}, {}, out, err), 2);
  EXPECT_TRUE(err.endsWith(": Datei kann nicht gelesen werden (das ist ein Ordner)\n")) << err.constData();
  EXPECT_TRUE(out.isEmpty());
}

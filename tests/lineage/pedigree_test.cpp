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

TEST(Coefficients, LoopsAreBrokenAtTheClosingLinkAndReportedOnce) {
  // 1 <- 2 <- 3 <- 1 (1's sire is 3, 3's sire is 2, 2's sire is 1), 4 is its own dam, and 5
  // is an ordinary offspring of 1 and 4 whose parents must still be ordered first.
  const std::vector<PedigreeRecord> r = {{5, 1, 4}, {1, 3, 0}, {3, 2, 0}, {2, 1, 0}, {4, 0, 4}, {6, 99, 0}};
  const Pedigree ped = buildPedigree(r);
  ASSERT_EQ(ped.size(), 6);
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
  EXPECT_EQ(ped.sire[ped.indexOf(6)], 0) << "a parent not among the records is unknown";
  const auto f = inbreeding(ped);
  for (double v : f) EXPECT_TRUE(v >= 0 && v < 1);
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
}

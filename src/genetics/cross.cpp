#include "genetics/cross.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace lapiro::genetics {

Fraction Fraction::of(std::int64_t n, std::int64_t d) {
  const std::int64_t g = std::gcd(n, d);
  return g == 0 ? Fraction{} : Fraction{n / g, d / g};
}

Fraction Fraction::operator+(const Fraction& o) const {
  const std::int64_t l = std::lcm(den, o.den);
  return of(num * (l / den) + o.num * (l / o.den), l);
}

Fraction Fraction::operator*(const Fraction& o) const {
  // Cross-reduce first so that the products stay small.
  const std::int64_t g1 = std::gcd(num, o.den), g2 = std::gcd(o.num, den);
  const std::int64_t a = g1 ? num / g1 : num, d2 = g1 ? o.den / g1 : o.den;
  const std::int64_t b = g2 ? o.num / g2 : o.num, d1 = g2 ? den / g2 : den;
  return of(a * b, d1 * d2);
}

Fraction Fraction::operator/(const Fraction& o) const {
  return *this * Fraction{o.den, o.num};
}

bool operator<(const Fraction& a, const Fraction& b) {
  return static_cast<__int128>(a.num) * b.den < static_cast<__int128>(b.num) * a.den;
}

QString Fraction::text() const {
  if (den == 1) return QString::number(num);
  return QString::number(num) + u'/' + QString::number(den);
}

QString Fraction::percentText() const {
  // Tenths of a percent, rounded half up; the decimal only where the value is not whole.
  const std::int64_t tenths = (num * 2000 / den + 1) / 2;
  if (tenths % 10 == 0 && (num * 100) % den == 0) return QString::number(tenths / 10) + QStringLiteral(" %");
  return QString::number(tenths / 10) + u',' + QString::number(tenths % 10) + QStringLiteral(" %");
}

std::vector<PairShare> crossLocus(const AllelePair& sire, const AllelePair& dam) {
  std::vector<PairShare> out;
  const Allele s[2] = {sire.first, sire.second};
  const Allele d[2] = {dam.first, dam.second};
  for (const Allele& a : s)
    for (const Allele& b : d) {
      const AllelePair p = AllelePair::make(a, b);
      auto it = std::find_if(out.begin(), out.end(), [&](const PairShare& x) { return x.pair == p; });
      if (it == out.end())
        out.push_back({p, Fraction::of(1, 4)});
      else
        it->share = it->share + Fraction::of(1, 4);
    }
  const auto key = [](const Allele& x) { return x.known() ? x.index : 100 + x.bound; };
  std::sort(out.begin(), out.end(), [&](const PairShare& x, const PairShare& y) {
    return std::pair(key(x.pair.first), key(x.pair.second)) <
           std::pair(key(y.pair.first), key(y.pair.second));
  });
  return out;
}

QString CarriedAllele::text() const {
  const QString symbol = loci()[static_cast<size_t>(locus)].alleles[allele];
  if (share.isOne()) return QStringLiteral("trägt %1 (sicher)").arg(symbol);
  return QStringLiteral("trägt %1 zu %2").arg(symbol, share.percentText());
}

namespace {

// The young of one locus that show the same: how many of the four gamete combinations give
// them, how many of those carry each allele hidden, and whether some have an unknown allele.
struct ShownGroup {
  std::uint8_t shown = 0;
  int count = 0;
  std::array<int, kMaxAlleles> carried{};
  bool unknown = false;
};

std::vector<ShownGroup> groupLocus(int locus, const AllelePair& sire, const AllelePair& dam) {
  std::vector<ShownGroup> groups;
  const Allele s[2] = {sire.first, sire.second};
  const Allele d[2] = {dam.first, dam.second};
  for (const Allele& x : s)
    for (const Allele& y : d) {
      const AllelePair pair = AllelePair::make(x, y);
      const std::uint8_t shown = shownMaskAt(locus, pair);
      auto it =
          std::find_if(groups.begin(), groups.end(), [&](const ShownGroup& g) { return g.shown == shown; });
      if (it == groups.end()) {
        groups.push_back({shown, 0, {}, false});
        it = groups.end() - 1;
      }
      ++it->count;
      // A further factor unknown in both parents counts as not shown and is not listed.
      if (!pair.fullyKnown() && !(locus >= LK && pair.fullyUnknown()))
        it->unknown = true;
      else if (!pair.fullyKnown())
        continue;
      else if (pair.second.index != pair.first.index)
        ++it->carried[static_cast<size_t>(pair.second.index)];
    }
  return groups;
}

// One colour's young, in units of 1/4^kLocusCount of all young: in all, and per locus and
// group of that locus.
struct Accumulated {
  std::int64_t total = 0;
  std::array<std::array<std::int64_t, 4>, kLocusCount> byGroup{};
  std::array<bool, kLocusCount> unknown{};
};

}  // namespace

CrossResult cross(const Genotype& sire, const Genotype& dam, const PhenotypeTable& table) {
  std::array<std::vector<ShownGroup>, kLocusCount> groups;
  CrossResult result;
  for (int l = 0; l < kLocusCount; ++l) {
    const size_t i = static_cast<size_t>(l);
    groups[i] = groupLocus(l, sire.loci[i], dam.loci[i]);
    if (groups[i].size() > 1) result.segregating << l;
  }

  // Every combination of shown alleles over the loci, classified by the table; combinations
  // with the same rules are one outcome. Shares are whole numbers over 4^kLocusCount, exact.
  std::unordered_map<PhenotypeKey, Accumulated, PhenotypeKeyHash> byKey;
  ShownMasks shown{};
  std::array<std::uint8_t, kLocusCount> chosen{};
  const auto visit = [&](auto&& self, int l, std::int64_t share) -> void {
    if (l == kLocusCount) {
      Accumulated& acc = byKey[table.classify(shown)];
      acc.total += share;
      for (size_t k = 0; k < kLocusCount; ++k) {
        acc.byGroup[k][chosen[k]] += share;
        if (groups[k][chosen[k]].unknown) acc.unknown[k] = true;
      }
      return;
    }
    const auto& gs = groups[static_cast<size_t>(l)];
    for (size_t g = 0; g < gs.size(); ++g) {
      shown[static_cast<size_t>(l)] = gs[g].shown;
      chosen[static_cast<size_t>(l)] = static_cast<std::uint8_t>(g);
      self(self, l + 1, share * gs[g].count);
    }
  };
  visit(visit, 0, 1);

  std::int64_t all = 1;
  for (int l = 0; l < kLocusCount; ++l) all *= 4;
  for (const auto& [key, acc] : byKey) {
    CrossOutcome o;
    o.phenotype = table.phenotype(key);
    o.share = Fraction::of(acc.total, all);
    for (int k = 0; k < kLocusCount; ++k) {
      const auto& gs = groups[static_cast<size_t>(k)];
      for (int a = 0; a < kMaxAlleles; ++a) {
        // Given the group at k, a young of it carries a hidden with chance carried/count.
        Fraction c;
        for (size_t g = 0; g < gs.size(); ++g) {
          const int carried = gs[g].carried[static_cast<size_t>(a)];
          if (carried) c = c + Fraction::of(acc.byGroup[static_cast<size_t>(k)][g] * carried, gs[g].count);
        }
        if (!c.isZero()) o.carried.push_back({k, a, c / Fraction::of(acc.total, 1)});
      }
      if (acc.unknown[static_cast<size_t>(k)]) o.unknownLoci << k;
    }
    result.outcomes.push_back(std::move(o));
  }
  std::sort(result.outcomes.begin(), result.outcomes.end(), [](const CrossOutcome& a, const CrossOutcome& b) {
    if (a.share == b.share) return a.phenotype.name < b.phenotype.name;
    return b.share < a.share;
  });
  return result;
}

}  // namespace lapiro::genetics

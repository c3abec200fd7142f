#include "genetics/cross.h"

#include <QMap>

#include <algorithm>
#include <numeric>

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

Fraction Fraction::operator/(const Fraction& o) const { return *this * Fraction{o.den, o.num}; }

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
    return std::pair(key(x.pair.first), key(x.pair.second)) < std::pair(key(y.pair.first), key(y.pair.second));
  });
  return out;
}

QString CarriedAllele::text() const {
  const QString symbol = loci()[static_cast<size_t>(locus)].alleles[allele];
  if (share.isOne()) return QStringLiteral("trägt %1 (sicher)").arg(symbol);
  return QStringLiteral("trägt %1 zu %2").arg(symbol, share.percentText());
}

namespace {

// The young of one locus that show the same: their share, what they carry hidden (share of
// the whole locus, per allele), and whether some of them have an unknown allele.
struct ShownGroup {
  std::uint8_t shown = 0;
  Fraction share;
  std::array<Fraction, kMaxAlleles> carried{};
  bool unknown = false;
};

std::vector<ShownGroup> groupLocus(int locus, const std::vector<PairShare>& pairs) {
  std::vector<ShownGroup> groups;
  for (const PairShare& ps : pairs) {
    const std::uint8_t shown = shownMaskAt(locus, ps.pair);
    auto it = std::find_if(groups.begin(), groups.end(), [&](const ShownGroup& g) { return g.shown == shown; });
    if (it == groups.end()) {
      groups.push_back({shown, Fraction{}, {}, false});
      it = groups.end() - 1;
    }
    it->share = it->share + ps.share;
    if (!ps.pair.fullyKnown()) {
      it->unknown = true;
    } else if (ps.pair.second.index != ps.pair.first.index) {
      Fraction& c = it->carried[static_cast<size_t>(ps.pair.second.index)];
      c = c + ps.share;
    }
  }
  return groups;
}

struct Accumulated {
  Phenotype phenotype;
  Fraction share;
  std::array<std::array<Fraction, kMaxAlleles>, kLocusCount> carried{};
  std::array<bool, kLocusCount> unknown{};
  QList<int> deciding;
};

}  // namespace

CrossResult cross(const Genotype& sire, const Genotype& dam, const PhenotypeTable& table) {
  std::array<std::vector<ShownGroup>, kLocusCount> groups;
  CrossResult result;
  for (int l = 0; l < kLocusCount; ++l) {
    const size_t i = static_cast<size_t>(l);
    groups[i] = groupLocus(l, crossLocus(sire.loci[i], dam.loci[i]));
    if (groups[i].size() > 1) result.segregating << l;
  }

  // Every combination of shown alleles over the loci, named once; the same name from
  // different combinations is one outcome.
  QMap<QString, Accumulated> byName;
  ShownMasks shown{};
  std::array<const ShownGroup*, kLocusCount> chosen{};
  const auto visit = [&](auto&& self, int l, Fraction share) -> void {
    if (l == kLocusCount) {
      const Phenotype p = table.name(shown);
      Accumulated& acc = byName[p.name];
      if (acc.share.isZero()) acc.phenotype = p;
      acc.share = acc.share + share;
      for (int k = 0; k < kLocusCount; ++k) {
        const ShownGroup& g = *chosen[static_cast<size_t>(k)];
        // Given this combination, the hidden alleles at k depend on k's group only.
        for (int a = 0; a < kMaxAlleles; ++a)
          if (!g.carried[static_cast<size_t>(a)].isZero()) {
            Fraction& c = acc.carried[static_cast<size_t>(k)][static_cast<size_t>(a)];
            c = c + share * (g.carried[static_cast<size_t>(a)] / g.share);
          }
        if (g.unknown) acc.unknown[static_cast<size_t>(k)] = true;
      }
      return;
    }
    for (const ShownGroup& g : groups[static_cast<size_t>(l)]) {
      shown[static_cast<size_t>(l)] = g.shown;
      chosen[static_cast<size_t>(l)] = &g;
      self(self, l + 1, share * g.share);
    }
  };
  visit(visit, 0, Fraction::of(1, 1));

  for (const Accumulated& acc : byName) {
    CrossOutcome o;
    o.phenotype = acc.phenotype;
    o.share = acc.share;
    for (int k = 0; k < kLocusCount; ++k) {
      for (int a = 0; a < kMaxAlleles; ++a) {
        const Fraction& c = acc.carried[static_cast<size_t>(k)][static_cast<size_t>(a)];
        if (!c.isZero()) o.carried.push_back({k, a, c / acc.share});
      }
      if (acc.unknown[static_cast<size_t>(k)]) o.unknownLoci << k;
    }
    result.outcomes.push_back(std::move(o));
  }
  std::stable_sort(result.outcomes.begin(), result.outcomes.end(), [](const CrossOutcome& a, const CrossOutcome& b) {
    if (a.share == b.share) return a.phenotype.name < b.phenotype.name;
    return b.share < a.share;
  });
  return result;
}

}  // namespace lapiro::genetics

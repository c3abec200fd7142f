#include "genetics/carriers.h"

#include <algorithm>

namespace lapiro::genetics {

namespace {

constexpr std::uint8_t kAllAlleles = 0x1f;

std::uint8_t gametes(const std::vector<Genotype>& g, std::int32_t parent, int locus) {
  if (parent < 0) return kAllAlleles;
  return g[static_cast<size_t>(parent)].loci[static_cast<size_t>(locus)].possibleMask(alleleCount(locus));
}

// Parents before their young; an edge that would close a loop is left out.
std::vector<std::int32_t> parentsFirst(const std::vector<StockAnimal>& stock) {
  const size_t n = stock.size();
  std::vector<std::int32_t> order;
  order.reserve(n);
  std::vector<std::uint8_t> state(n, 0);  // 0 new, 1 on the path, 2 done
  std::vector<std::pair<std::int32_t, int>> stack;
  for (size_t root = 0; root < n; ++root) {
    if (state[root]) continue;
    stack.push_back({static_cast<std::int32_t>(root), 0});
    state[root] = 1;
    while (!stack.empty()) {
      auto& [animal, next] = stack.back();
      const StockAnimal& a = stock[static_cast<size_t>(animal)];
      const std::int32_t parents[2] = {a.sire, a.dam};
      if (next < 2) {
        const std::int32_t p = parents[next++];
        if (p >= 0 && static_cast<size_t>(p) < n && state[static_cast<size_t>(p)] == 0) {
          state[static_cast<size_t>(p)] = 1;
          stack.push_back({p, 0});
        }
        continue;
      }
      state[static_cast<size_t>(animal)] = 2;
      order.push_back(animal);
      stack.pop_back();
    }
  }
  return order;
}

template <typename Emit>
void forEachCarried(const Genotype& own, const Genotype* sire, const Genotype* dam, Emit&& sink);

class Inference {
 public:
  explicit Inference(const std::vector<StockAnimal>& stock) : stock_(stock) {}

  StockInference run() {
    const size_t n = stock_.size();
    out_.genotypes.resize(n);
    flagged_.assign(n, 0);
    for (size_t i = 0; i < n; ++i) {
      int conflict = -1;
      if (auto merged = mergeGenotypes(stock_[i].recorded, stock_[i].colour, &conflict)) {
        out_.genotypes[i] = *merged;
      } else {
        // The typed genotype stands; the mismatch is reported.
        out_.genotypes[i] = stock_[i].recorded;
        out_.contradictions.push_back(
            {Contradiction::Kind::GenotypeVsColour, static_cast<std::int32_t>(i), conflict});
      }
    }
    const std::vector<std::int32_t> order = parentsFirst(stock_);
    down(order);
    up(order);
    down(order);
    notes();
    std::sort(out_.contradictions.begin(), out_.contradictions.end(),
              [](const Contradiction& a, const Contradiction& b) {
                return std::tie(a.animal, a.locus) < std::tie(b.animal, b.locus);
              });
    return std::move(out_);
  }

 private:
  bool validParent(std::int32_t p) const { return p >= 0 && static_cast<size_t>(p) < stock_.size(); }

  bool flagged(std::int32_t young, int locus) const {
    return flagged_[static_cast<size_t>(young)] >> locus & 1u;
  }

  void reportYoung(std::int32_t young, int locus) {
    // One report per young and locus, however many passes see it.
    const std::uint16_t bit = static_cast<std::uint16_t>(1u << locus);
    if (flagged_[static_cast<size_t>(young)] & bit) return;
    flagged_[static_cast<size_t>(young)] =
        static_cast<std::uint16_t>(flagged_[static_cast<size_t>(young)] | bit);
    out_.contradictions.push_back({Contradiction::Kind::ParentsVsYoung, young, locus});
  }

  // A young holds only what its parents can give.
  void down(const std::vector<std::int32_t>& order) {
    auto& g = out_.genotypes;
    for (const std::int32_t c : order) {
      const StockAnimal& a = stock_[static_cast<size_t>(c)];
      const std::int32_t sire = validParent(a.sire) ? a.sire : -1, dam = validParent(a.dam) ? a.dam : -1;
      if (sire < 0 && dam < 0) continue;
      for (int l = 0; l < kLocusCount; ++l) {
        if (flagged(c, l)) continue;
        const int n = alleleCount(l);
        AllelePair& own = g[static_cast<size_t>(c)].loci[static_cast<size_t>(l)];
        const PairSet have = pairSetOf(own, n);
        const PairSet allowed = pairsFrom(gametes(g, sire, l), gametes(g, dam, l));
        const PairSet both = have & allowed;
        if (both == have) continue;
        if (both == 0) {
          reportYoung(c, l);
          continue;
        }
        own = *pairFor(both, n);
      }
    }
  }

  // A parent holds an allele its young can have got from it.
  void up(const std::vector<std::int32_t>& order) {
    auto& g = out_.genotypes;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      const std::int32_t c = *it;
      const StockAnimal& a = stock_[static_cast<size_t>(c)];
      const std::int32_t parents[2] = {validParent(a.sire) ? a.sire : -1, validParent(a.dam) ? a.dam : -1};
      for (int side = 0; side < 2; ++side) {
        const std::int32_t p = parents[side];
        if (p < 0 || p == c) continue;
        for (int l = 0; l < kLocusCount; ++l) {
          // A young whose parents cannot give it what is recorded proves nothing there.
          if (flagged(c, l)) continue;
          const int n = alleleCount(l);
          const PairSet young = pairSetOf(g[static_cast<size_t>(c)].loci[static_cast<size_t>(l)], n);
          const std::uint8_t other = gametes(g, parents[1 - side], l);
          // Alleles x of this parent such that (x, something of the other parent) is possible.
          std::uint8_t fromThis = 0;
          for (int x = 0; x < n; ++x)
            if (pairsFrom(static_cast<std::uint8_t>(1u << x), other) & young)
              fromThis = static_cast<std::uint8_t>(fromThis | (1u << x));
          AllelePair& parent = g[static_cast<size_t>(p)].loci[static_cast<size_t>(l)];
          const PairSet have = pairSetOf(parent, n);
          const PairSet both = have & pairsWithAny(fromThis);
          if (both == have) continue;
          if (both == 0) {
            reportYoung(c, l);
            continue;
          }
          parent = *pairFor(both, n);
        }
      }
    }
  }

  void notes() {
    const auto& g = out_.genotypes;
    out_.firstNote.assign(stock_.size() + 1, 0);
    for (size_t i = 0; i < stock_.size(); ++i) {
      out_.firstNote[i] = static_cast<std::int32_t>(out_.carriers.size());
      const StockAnimal& a = stock_[i];
      const Genotype* sire = validParent(a.sire) ? &g[static_cast<size_t>(a.sire)] : nullptr;
      const Genotype* dam = validParent(a.dam) ? &g[static_cast<size_t>(a.dam)] : nullptr;
      forEachCarried(g[i], sire, dam, [&](const CarriedAllele& c) {
        out_.carriers.push_back({static_cast<std::int32_t>(i), c});
      });
    }
    out_.firstNote[stock_.size()] = static_cast<std::int32_t>(out_.carriers.size());
  }

  const std::vector<StockAnimal>& stock_;
  StockInference out_;
  std::vector<std::uint16_t> flagged_;
};

}  // namespace

namespace {

// Calls `sink` with each hidden allele of `own` (see carriersFromParents).
template <typename Emit>
void forEachCarried(const Genotype& own, const Genotype* sire, const Genotype* dam, Emit&& sink) {
  for (int l = 0; l < kLocusCount; ++l) {
    const size_t i = static_cast<size_t>(l);
    const AllelePair& p = own.loci[i];
    if (p.fullyKnown()) {
      if (p.second.index != p.first.index) sink(CarriedAllele{l, p.second.index, Fraction::of(1, 1)});
      continue;
    }
    if (!p.first.known() || !sire || !dam || !sire->loci[i].fullyKnown() || !dam->loci[i].fullyKnown())
      continue;
    // The parents' four gamete combinations at this locus that fit what is known of this
    // animal; of those, the ones where it hides an allele.
    const int n = alleleCount(l);
    const PairSet fits = pairSetOf(p, n);
    const AllelePair& s = sire->loci[i];
    const AllelePair& d = dam->loci[i];
    int total = 0;
    std::array<int, kMaxAlleles> hidden{};
    for (const int x : {s.first.index, s.second.index})
      for (const int y : {d.first.index, d.second.index}) {
        if (!(fits >> pairIndex(x, y) & 1u)) continue;
        ++total;
        if (x != y) ++hidden[static_cast<size_t>(std::max(x, y))];
      }
    if (total == 0) continue;
    for (int a = 0; a < n; ++a)
      if (hidden[static_cast<size_t>(a)])
        sink(CarriedAllele{l, a, Fraction::of(hidden[static_cast<size_t>(a)], total)});
  }
}

}  // namespace

std::vector<CarriedAllele> carriersFromParents(const Genotype& own, const Genotype* sire,
                                               const Genotype* dam) {
  std::vector<CarriedAllele> out;
  forEachCarried(own, sire, dam, [&](const CarriedAllele& c) { out.push_back(c); });
  return out;
}

StockInference inferStock(const std::vector<StockAnimal>& stock) {
  return Inference(stock).run();
}

}  // namespace lapiro::genetics

#include "lineage/pedigree.h"

#include <algorithm>

namespace lapiro::lineage {

Pedigree buildPedigree(const std::vector<PedigreeRecord>& records) {
  // Positions of the records by id; a repeated id keeps its first record.
  const std::int32_t n = static_cast<std::int32_t>(records.size());
  std::unordered_map<qint64, std::int32_t> pos;
  pos.reserve(static_cast<size_t>(n) * 2);
  std::vector<char> used(n, 0);
  for (std::int32_t r = 0; r < n; ++r) {
    if (records[r].id == 0) continue;
    if (pos.emplace(records[r].id, r).second) used[r] = 1;
  }
  auto parentPos = [&](qint64 p) -> std::int32_t {
    if (p == 0) return -1;
    auto it = pos.find(p);
    return it == pos.end() ? -1 : it->second;
  };
  std::vector<std::int32_t> sp(n, -1), dp(n, -1);
  for (std::int32_t r = 0; r < n; ++r) {
    if (!used[r]) continue;
    sp[r] = parentPos(records[r].sire);
    dp[r] = parentPos(records[r].dam);
  }

  Pedigree ped;
  ped.id.reserve(pos.size() + 1);
  ped.sire.reserve(pos.size() + 1);
  ped.dam.reserve(pos.size() + 1);
  // Depth-first over the parent links; an animal is emitted after both its parents, which
  // gives parents smaller indices. A parent still on the stack (grey) closes a loop: that
  // link is dropped.
  std::vector<std::int32_t> newIndex(n, 0);
  std::vector<char> state(n, 0);  // 0 white, 1 grey (on the stack), 2 black (emitted)
  struct Frame {
    std::int32_t r;
    int step;  // 0: visit sire next, 1: dam next, 2: emit
  };
  std::vector<Frame> stack;
  for (std::int32_t start = 0; start < n; ++start) {
    if (!used[start] || state[start]) continue;
    stack.push_back({start, 0});
    state[start] = 1;
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.step < 2) {
        std::int32_t& link = f.step == 0 ? sp[f.r] : dp[f.r];
        ++f.step;
        if (link < 0) continue;
        if (state[link] == 1) {
          ped.brokenLinks.push_back({records[f.r].id, records[link].id});
          link = -1;
          continue;
        }
        if (state[link] == 0) {
          state[link] = 1;
          const std::int32_t next = link;
          stack.push_back({next, 0});  // invalidates f
        }
        continue;
      }
      const std::int32_t r = f.r;
      stack.pop_back();
      state[r] = 2;
      const std::int32_t idx = static_cast<std::int32_t>(ped.id.size());
      newIndex[r] = idx;
      ped.id.push_back(records[r].id);
      ped.sire.push_back(sp[r] < 0 ? 0 : newIndex[sp[r]]);
      ped.dam.push_back(dp[r] < 0 ? 0 : newIndex[dp[r]]);
    }
  }
  // The id map is reused as the index map: one hash table instead of two for large pedigrees.
  for (auto& entry : pos) entry.second = newIndex[entry.second];
  ped.index = std::move(pos);
  return ped;
}

namespace {

// Traces the row of L for an animal with parents s and m over their ancestors and returns
// sum L_j^2 d_j over the ancestors (without the animal's own term). An ancestor's L_j is
// complete once every descendant of it among the ancestors has passed its share on; these all
// have a higher generation number (1 + the higher of the parents' numbers), so the ancestors
// are taken generation by generation from the top (Sargolzaei & Iwaisaki's generation-coded
// lists) instead of through a sorted list or a heap: O(1) per ancestor.
class LTracer {
 public:
  explicit LTracer(const Pedigree& ped) : l_(ped.size() + 1, 0.0), gen_(ped.size() + 1, 0) {
    int top = 0;
    for (std::int32_t i = 1; i <= ped.size(); ++i) {
      const int g = 1 + std::max(ped.sire[i] ? gen_[ped.sire[i]] : -1, ped.dam[i] ? gen_[ped.dam[i]] : -1);
      gen_[i] = g;
      top = std::max(top, g);
    }
    buckets_.resize(static_cast<size_t>(top) + 1);
  }

  double ancestorsSum(const Pedigree& ped, const std::vector<double>& d, std::int32_t s, std::int32_t m) {
    int g = -1;
    add(s, 0.5, g);
    add(m, 0.5, g);
    double sum = 0;
    for (; g >= 0; --g) {
      std::vector<std::int32_t>& bucket = buckets_[g];
      // Parents have lower generation numbers: nothing is added to this bucket meanwhile.
      for (const std::int32_t j : bucket) {
        const double r = l_[j];
        l_[j] = 0;
        sum += r * r * d[j];
        int unused = g;
        add(ped.sire[j], 0.5 * r, unused);
        add(ped.dam[j], 0.5 * r, unused);
      }
      bucket.clear();
    }
    return sum;
  }

 private:
  void add(std::int32_t j, double v, int& top) {
    if (j == 0) return;
    if (l_[j] == 0) {
      buckets_[gen_[j]].push_back(j);
      top = std::max(top, gen_[j]);
    }
    l_[j] += v;
  }
  std::vector<double> l_;
  std::vector<int> gen_;
  std::vector<std::vector<std::int32_t>> buckets_;
};

}  // namespace

std::vector<double> inbreeding(const Pedigree& ped) {
  const std::int32_t n = ped.size();
  std::vector<double> f(n + 1, 0.0);
  std::vector<double> d(n + 1, 0.0);
  LTracer tracer(ped);
  // F of an unknown parent counts as -1 in d.
  auto fOf = [&](std::int32_t j) { return j == 0 ? -1.0 : f[j]; };
  for (std::int32_t i = 1; i <= n; ++i) {
    const std::int32_t s = ped.sire[i], m = ped.dam[i];
    d[i] = 0.5 - 0.25 * (fOf(s) + fOf(m));
    if (s == 0 || m == 0) {
      f[i] = 0;  // one unknown parent: no common ancestor
    } else if (i > 1 && s == ped.sire[i - 1] && m == ped.dam[i - 1]) {
      f[i] = f[i - 1];
    } else {
      // L_ii = 1: F_i = d_i + sum over ancestors - 1.
      f[i] = d[i] + tracer.ancestorsSum(ped, d, s, m) - 1.0;
      if (f[i] < 0 && f[i] > -1e-12) f[i] = 0;
    }
  }
  return f;
}

std::vector<double> mendelianVariances(const Pedigree& ped, const std::vector<double>& f) {
  const std::int32_t n = ped.size();
  std::vector<double> d(n + 1, 0.0);
  auto fOf = [&](std::int32_t j) { return j == 0 ? -1.0 : f[j]; };
  for (std::int32_t i = 1; i <= n; ++i) d[i] = 0.5 - 0.25 * (fOf(ped.sire[i]) + fOf(ped.dam[i]));
  return d;
}

std::vector<double> equivalentGenerations(const Pedigree& ped) {
  const std::int32_t n = ped.size();
  std::vector<double> e(n + 1, 0.0);
  for (std::int32_t i = 1; i <= n; ++i) {
    double v = 0;
    if (ped.sire[i]) v += 0.5 * (1.0 + e[ped.sire[i]]);
    if (ped.dam[i]) v += 0.5 * (1.0 + e[ped.dam[i]]);
    e[i] = v;
  }
  return e;
}

KinshipRows::KinshipRows(const Pedigree& ped, const std::vector<double>& d)
    : ped_(ped), d_(d), up_(ped.size() + 1, 0.0) {}

void KinshipRows::rowOf(std::int32_t animal, std::vector<double>& row) {
  const std::int32_t n = ped_.size();
  row.assign(n + 1, 0.0);
  // y = T' e_animal: only the animal and its ancestors are reached.
  std::fill(up_.begin(), up_.begin() + animal + 1, 0.0);
  up_[animal] = 1.0;
  std::int32_t lowest = animal;
  for (std::int32_t i = animal; i >= 1; --i) {
    const double y = up_[i];
    if (y == 0) continue;
    lowest = i;
    up_[ped_.sire[i]] += 0.5 * y;
    up_[ped_.dam[i]] += 0.5 * y;
  }
  up_[0] = 0;
  // row = T (D y): parents before young, so each value is complete when it is used.
  for (std::int32_t i = lowest; i <= n; ++i) {
    const double z = i <= animal ? d_[i] * up_[i] : 0.0;
    row[i] = z + 0.5 * (row[ped_.sire[i]] + row[ped_.dam[i]]);
  }
  row[0] = 0;
}

double offspringInbreeding(const Pedigree& ped, const std::vector<double>& f, const std::vector<double>& d,
                           std::int32_t sire, std::int32_t dam) {
  if (sire == 0 || dam == 0) return 0;
  if (sire == dam) return 0.5 * (1.0 + f[sire]);
  LTracer tracer(ped);
  const double own = 0.5 - 0.25 * (f[sire] + f[dam]);
  const double v = own + tracer.ancestorsSum(ped, d, sire, dam) - 1.0;
  return v < 0 && v > -1e-12 ? 0 : v;
}

}  // namespace lapiro::lineage

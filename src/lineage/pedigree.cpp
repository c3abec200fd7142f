#include "lineage/pedigree.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace lapiro::lineage {

Pedigree buildPedigree(const std::vector<PedigreeRecord>& records) {
  // Positions of the records by id; a repeated id keeps its first record. A parent id that is
  // not 0 and has no record gets a position after the records: one founder, however often it
  // is named.
  const std::int32_t n = static_cast<std::int32_t>(records.size());
  std::unordered_map<qint64, std::int32_t> pos;
  pos.reserve(static_cast<size_t>(n) * 2);
  std::vector<char> used(n, 0);
  for (std::int32_t r = 0; r < n; ++r) {
    if (records[r].id == 0) continue;
    if (pos.emplace(records[r].id, r).second) used[r] = 1;
  }
  Pedigree ped;
  auto parentPos = [&](qint64 p) -> std::int32_t {
    if (p == 0) return -1;
    const auto [it, added] = pos.try_emplace(p, n + static_cast<std::int32_t>(ped.founderParents.size()));
    if (added) ped.founderParents.push_back(p);
    return it->second;
  };
  std::vector<std::int32_t> sp(n, -1), dp(n, -1);
  for (std::int32_t r = 0; r < n; ++r) {
    if (!used[r]) continue;
    sp[r] = parentPos(records[r].sire);
    dp[r] = parentPos(records[r].dam);
  }
  const std::int32_t total = n + static_cast<std::int32_t>(ped.founderParents.size());
  used.resize(total, 1);
  sp.resize(total, -1);
  dp.resize(total, -1);
  auto idAt = [&](std::int32_t r) { return r < n ? records[r].id : ped.founderParents[r - n]; };

  ped.id.reserve(pos.size() + 1);
  ped.sire.reserve(pos.size() + 1);
  ped.dam.reserve(pos.size() + 1);
  // Depth-first over the parent links; an animal is emitted after both its parents, which
  // gives parents smaller indices. A parent still on the stack (grey) closes a loop: that
  // link is dropped.
  std::vector<std::int32_t> newIndex(total, 0);
  std::vector<char> state(total, 0);  // 0 white, 1 grey (on the stack), 2 black (emitted)
  struct Frame {
    std::int32_t r;
    int step;  // 0: visit sire next, 1: dam next, 2: emit
  };
  std::vector<Frame> stack;
  for (std::int32_t start = 0; start < total; ++start) {
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
          ped.brokenLinks.push_back({idAt(f.r), idAt(link)});
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
      ped.id.push_back(idAt(r));
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

// Everything a trace touches of one animal in one place: the parents, their generation
// numbers (1 + the higher of the parents' numbers, 0 for a founder, -1 for unknown), the
// Mendelian sampling variance d and the trace's running L value. 32 bytes: a trace that visits
// an ancestor touches one cache line of it, not five arrays. Each thread traces on its own
// copy (l is per trace).
struct alignas(32) Node {
  std::int32_t sire = 0;
  std::int32_t dam = 0;
  std::int32_t sireGen = -1;
  std::int32_t damGen = -1;
  double d = 0;
  double l = 0;
};

// The nodes of `ped` without d, and the highest generation number.
std::vector<Node> makeNodes(const Pedigree& ped, int& top) {
  std::vector<Node> nodes(static_cast<size_t>(ped.size()) + 1);
  std::vector<std::int32_t> gen(static_cast<size_t>(ped.size()) + 1, -1);
  top = 0;
  for (std::int32_t i = 1; i <= ped.size(); ++i) {
    Node& x = nodes[i];
    x.sire = ped.sire[i];
    x.dam = ped.dam[i];
    x.sireGen = gen[x.sire];
    x.damGen = gen[x.dam];
    gen[i] = 1 + std::max(x.sireGen, x.damGen);
    top = std::max(top, gen[i]);
  }
  return nodes;
}

inline int generationOf(const Node& x) { return 1 + std::max(x.sireGen, x.damGen); }

// Traces the row of L for an animal with parents s and m over their ancestors and returns
// sum L_j^2 d_j over the ancestors (without the animal's own term). An ancestor's L_j is
// complete once every descendant of it among the ancestors has passed its share on; these all
// have a higher generation number, so the ancestors are taken generation by generation from
// the top (Sargolzaei & Iwaisaki's generation-coded lists) instead of through a sorted list or
// a heap: O(1) per ancestor. On large pedigrees the time goes into waiting for memory, so the
// ancestors a few places ahead in the list are fetched early, and their parents after them.
// The sum depends only on the pedigree, never on which thread traced it.
class LTracer {
 public:
  LTracer(std::vector<Node> nodes, int topGeneration) : nodes_(std::move(nodes)) {
    buckets_.resize(static_cast<size_t>(topGeneration) + 1);
  }

  Node& node(std::int32_t i) { return nodes_[i]; }
  const std::vector<Node>& nodes() const { return nodes_; }

  double ancestorsSum(std::int32_t s, int sGen, std::int32_t m, int mGen) {
    Node* x = nodes_.data();
    int g = -1;
    add(x, s, sGen, 0.5, g);
    add(x, m, mGen, 0.5, g);
    double sum = 0;
    constexpr size_t kAhead = 12;
    for (; g >= 0; --g) {
      std::vector<std::int32_t>& bucket = buckets_[g];
      const size_t size = bucket.size();
      const std::int32_t* b = bucket.data();
      // Parents have lower generation numbers: nothing is added to this bucket meanwhile.
      for (size_t k = 0; k < size; ++k) {
        if (k + kAhead < size) __builtin_prefetch(&x[b[k + kAhead]], 1);
        if (k + kAhead / 2 < size) {
          const Node& ahead = x[b[k + kAhead / 2]];
          __builtin_prefetch(&x[ahead.sire], 1);
          __builtin_prefetch(&x[ahead.dam], 1);
        }
        Node& n = x[b[k]];
        const double r = n.l;
        n.l = 0;
        sum += r * r * n.d;
        int unused = g;
        add(x, n.sire, n.sireGen, 0.5 * r, unused);
        add(x, n.dam, n.damGen, 0.5 * r, unused);
      }
      bucket.clear();
    }
    return sum;
  }

 private:
  // v is 0 only when halving underflowed, more than a thousand generations up: nothing to add
  // (and l == 0 must keep meaning "not in a bucket").
  void add(Node* x, std::int32_t j, int gen, double v, int& top) {
    if (j == 0 || v == 0) return;
    Node& n = x[j];
    if (n.l == 0) {
      buckets_[gen].push_back(j);
      top = std::max(top, gen);
    }
    n.l += v;
  }
  std::vector<Node> nodes_;
  std::vector<std::vector<std::int32_t>> buckets_;
};

int threadCount(int requested) {
  if (requested > 0) return std::min(requested, 64);
  const unsigned hw = std::thread::hardware_concurrency();
  return hw == 0 ? 1 : static_cast<int>(std::min(hw, 16u));
}

}  // namespace

std::vector<double> inbreeding(const Pedigree& ped, int threads) {
  const std::int32_t n = ped.size();
  std::vector<double> f(n + 1, 0.0);
  int top = 0;
  std::vector<Node> nodes = makeNodes(ped, top);

  // Animals by generation number: an animal's coefficient needs d of its ancestors only, and
  // these all have lower numbers. Within one generation the animals are independent, and
  // animals with the same two parents (full sibs, wherever the order put them) share one
  // trace.
  std::vector<std::int32_t> start(static_cast<size_t>(top) + 2, 0);
  for (std::int32_t i = 1; i <= n; ++i) ++start[generationOf(nodes[i]) + 1];
  for (int g = 0; g <= top; ++g) start[g + 1] += start[g];
  std::vector<std::int32_t> byGen(n);
  {
    std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
    for (std::int32_t i = 1; i <= n; ++i) byGen[fill[generationOf(nodes[i])]++] = i;
  }

  const int workers = std::max(1, threadCount(threads));
  std::vector<LTracer> tracers;
  tracers.reserve(workers);
  tracers.emplace_back(std::move(nodes), top);
  // F of an unknown parent counts as -1 in d.
  auto fOf = [&](std::int32_t j) { return j == 0 ? -1.0 : f[j]; };
  struct Pair {
    std::uint64_t parents;  // sire << 32 | dam
    std::int32_t animal;
  };
  std::vector<Pair> pairs;
  std::vector<std::int32_t> heads;
  std::vector<double> pairF;
  for (int g = 0; g <= top; ++g) {
    pairs.clear();
    for (std::int32_t k = start[g]; k < start[g + 1]; ++k) {
      const std::int32_t i = byGen[k];
      Node& x = tracers[0].node(i);
      x.d = 0.5 - 0.25 * (fOf(x.sire) + fOf(x.dam));
      for (size_t t = 1; t < tracers.size(); ++t) tracers[t].node(i).d = x.d;
      // One unknown parent: no common ancestor, F stays 0.
      if (x.sire != 0 && x.dam != 0)
        pairs.push_back({static_cast<std::uint64_t>(x.sire) << 32 | static_cast<std::uint32_t>(x.dam), i});
    }
    if (pairs.empty()) continue;
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
      return a.parents != b.parents ? a.parents < b.parents : a.animal < b.animal;
    });
    // The first animal of each run of equal parents is traced.
    heads.clear();
    for (size_t k = 0; k < pairs.size(); ++k)
      if (k == 0 || pairs[k].parents != pairs[k - 1].parents) heads.push_back(static_cast<std::int32_t>(k));
    pairF.assign(heads.size(), 0.0);
    auto work = [&](LTracer& tracer, size_t from, size_t to) {
      for (size_t h = from; h < to; ++h) {
        const Node& x = tracer.node(pairs[heads[h]].animal);
        // L_ii = 1: F_i = d_i + sum over ancestors - 1.
        double v = x.d + tracer.ancestorsSum(x.sire, x.sireGen, x.dam, x.damGen) - 1.0;
        if (v < 0 && v > -1e-12) v = 0;
        pairF[h] = v;
      }
    };
    // Small generations are traced here; large ones are shared out in chunks to the workers,
    // each result written to its own slot.
    constexpr size_t kChunk = 32;
    if (workers == 1 || heads.size() < 8 * kChunk) {
      work(tracers[0], 0, heads.size());
    } else {
      if (static_cast<int>(tracers.size()) < workers) {
        // The first parallel generation: copies of the nodes for the other threads.
        std::vector<Node> copy;
        for (int w = static_cast<int>(tracers.size()); w < workers; ++w) {
          copy.assign(tracers[0].nodes().begin(), tracers[0].nodes().end());
          tracers.emplace_back(std::move(copy), top);
        }
      }
      std::atomic<size_t> next{0};
      auto run = [&](LTracer& tracer) {
        for (size_t from; (from = next.fetch_add(kChunk)) < heads.size();)
          work(tracer, from, std::min(heads.size(), from + kChunk));
      };
      std::vector<std::thread> pool;
      for (int w = 1; w < workers; ++w) pool.emplace_back(run, std::ref(tracers[w]));
      run(tracers[0]);
      for (std::thread& t : pool) t.join();
    }
    for (size_t h = 0; h < heads.size(); ++h) {
      const size_t end = h + 1 < heads.size() ? static_cast<size_t>(heads[h + 1]) : pairs.size();
      for (size_t k = heads[h]; k < end; ++k) f[pairs[k].animal] = pairF[h];
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
  int top = 0;
  std::vector<Node> nodes = makeNodes(ped, top);
  for (std::int32_t i = 1; i <= ped.size(); ++i) nodes[i].d = d[i];
  const int sireGen = generationOf(nodes[sire]), damGen = generationOf(nodes[dam]);
  LTracer tracer(std::move(nodes), top);
  const double own = 0.5 - 0.25 * (f[sire] + f[dam]);
  const double v = own + tracer.ancestorsSum(sire, sireGen, dam, damGen) - 1.0;
  return v < 0 && v > -1e-12 ? 0 : v;
}

}  // namespace lapiro::lineage

#include "lineage/pedigree_diversity.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <queue>

namespace lapiro::lineage {

namespace {

// The distinct valid indices of `reference`.
std::vector<std::int32_t> distinctMembers(const Pedigree& ped, const std::vector<std::int32_t>& reference) {
  std::vector<char> seen(static_cast<size_t>(ped.size()) + 1, 0);
  std::vector<std::int32_t> out;
  out.reserve(reference.size());
  for (std::int32_t i : reference) {
    if (i < 1 || i > ped.size() || seen[i]) continue;
    seen[i] = 1;
    out.push_back(i);
  }
  return out;
}

}  // namespace

std::vector<double> geneFlow(const Pedigree& ped, const std::vector<std::int32_t>& reference) {
  const std::vector<std::int32_t> members = distinctMembers(ped, reference);
  if (members.empty()) return {};
  const std::int32_t n = ped.size();
  std::vector<double> y(static_cast<size_t>(n) + 1, 0.0);
  const double share = 1.0 / static_cast<double>(members.size());
  for (std::int32_t i : members) y[i] = share;
  // Young have larger indices than their parents: a value is complete when it is passed on.
  for (std::int32_t i = n; i >= 1; --i) {
    const double v = y[i];
    if (v == 0) continue;
    y[ped.sire[i]] += 0.5 * v;
    y[ped.dam[i]] += 0.5 * v;
  }
  y[0] = 0;
  return y;
}

std::vector<double> meanKinship(const Pedigree& ped, const std::vector<double>& d,
                                const std::vector<std::int32_t>& reference) {
  // A x = T (D (T' x)) with x = 1_R / |R| (Colleau 2002); MK = A x / 2.
  std::vector<double> w = geneFlow(ped, reference);
  if (w.empty()) return w;
  const std::int32_t n = ped.size();
  for (std::int32_t i = 1; i <= n; ++i) w[i] = d[i] * w[i] + 0.5 * (w[ped.sire[i]] + w[ped.dam[i]]);
  for (std::int32_t i = 1; i <= n; ++i) w[i] *= 0.5;
  return w;
}

std::vector<double> pedigreeCompleteness(const Pedigree& ped, int generations) {
  const std::int32_t n = ped.size();
  const int g = std::max(1, generations);
  // q[i * g + k]: the share of known ancestors of i k generations back (k = 0: i itself).
  std::vector<double> q((static_cast<size_t>(n) + 1) * g, 0.0);
  std::vector<double> result(static_cast<size_t>(n) + 1, 0.0);
  auto sideMean = [&](std::int32_t p) {
    if (p == 0) return 0.0;
    double s = 0;
    for (int k = 0; k < g; ++k) s += q[static_cast<size_t>(p) * g + k];
    return s / g;
  };
  for (std::int32_t i = 1; i <= n; ++i) {
    const std::int32_t s = ped.sire[i], m = ped.dam[i];
    double* qi = &q[static_cast<size_t>(i) * g];
    qi[0] = 1.0;
    for (int k = 1; k < g; ++k)
      qi[k] = 0.5 * ((s ? q[static_cast<size_t>(s) * g + k - 1] : 0.0) + (m ? q[static_cast<size_t>(m) * g + k - 1] : 0.0));
    const double cp = sideMean(s), cm = sideMean(m);
    result[i] = cp > 0 && cm > 0 ? 2.0 * cp * cm / (cp + cm) : 0.0;
  }
  return result;
}

std::vector<std::int32_t> offspringCounts(const Pedigree& ped) {
  std::vector<std::int32_t> c(static_cast<size_t>(ped.size()) + 1, 0);
  for (std::int32_t i = 1; i <= ped.size(); ++i) {
    ++c[ped.sire[i]];
    ++c[ped.dam[i]];
  }
  c[0] = 0;
  return c;
}

std::optional<double> individualDeltaF(double f, double t) {
  if (!(t > 1.0)) return std::nullopt;
  const double keep = std::clamp(1.0 - f, 0.0, 1.0);
  return 1.0 - std::pow(keep, 1.0 / (t - 1.0));
}

namespace {

// Boichard's marginal contributions over the pedigree cut at the chosen ancestors.
//
// y[j] is the gene flow from R into j in the cut pedigree (the parents of a chosen animal no
// longer receive anything through it); g[j] is the share of j's genes that come from chosen
// ancestors (1 for a chosen one). The marginal contribution of a candidate is y (1 - g) for an
// animal and y_i / 2 for the phantom parent of a half-known animal i. Choosing one only lowers
// the others' values (y of its ancestors falls, g of its descendants rises), so a heap with
// stale upper bounds finds the largest: a popped candidate whose value has fallen goes back in.
class MarginalContributions {
 public:
  MarginalContributions(const Pedigree& ped, std::vector<double> flow) : ped_(ped), y_(std::move(flow)) {
    const std::int32_t n = ped.size();
    g_.assign(static_cast<size_t>(n) + 1, 0.0);
    chosen_.assign(static_cast<size_t>(n) + 1, 0);
    phantomChosen_.assign(static_cast<size_t>(n) + 1, 0);
    acc_.assign(static_cast<size_t>(n) + 1, 0.0);
    queued_.assign(static_cast<size_t>(n) + 1, 0);
    // Children lists over the animals that receive flow (R and its ancestors): nothing else
    // ever needs g.
    childStart_.assign(static_cast<size_t>(n) + 2, 0);
    for (std::int32_t i = 1; i <= n; ++i) {
      if (y_[i] <= 0) continue;
      ++childStart_[ped.sire[i] + 1];
      ++childStart_[ped.dam[i] + 1];
    }
    for (std::int32_t i = 0; i <= n; ++i) childStart_[i + 1] += childStart_[i];
    children_.resize(childStart_[n + 1]);
    std::vector<std::int32_t> fill(childStart_.begin(), childStart_.end() - 1);
    for (std::int32_t i = 1; i <= n; ++i) {
      if (y_[i] <= 0) continue;
      children_[fill[ped.sire[i]]++] = i;
      children_[fill[ped.dam[i]]++] = i;
    }
  }

  // Candidate keys: i > 0 the animal, -i its phantom parent.
  double current(std::int32_t key) const {
    if (key > 0) return chosen_[key] ? 0.0 : std::max(0.0, y_[key] * (1.0 - g_[key]));
    const std::int32_t i = -key;
    return chosen_[i] || phantomChosen_[i] ? 0.0 : 0.5 * y_[i];
  }

  void choose(std::int32_t key) {
    if (key < 0) {
      const std::int32_t i = -key;
      phantomChosen_[i] = 1;
      spreadDown(i, 0.5);
      return;
    }
    const std::int32_t a = key;
    const double flow = y_[a];
    const double gain = 1.0 - g_[a];
    chosen_[a] = 1;
    g_[a] = 1.0;
    spreadUp(a, flow);
    for (std::int32_t k = childStart_[a]; k < childStart_[a + 1]; ++k) queue(children_[k], 0.5 * gain, down_);
    drainDown();
  }

 private:
  template <typename Heap>
  void queue(std::int32_t j, double v, Heap& heap) {
    if (j == 0) return;
    acc_[j] += v;
    if (!queued_[j]) {
      queued_[j] = 1;
      heap.push(j);
    }
  }

  // Takes the flow `flow` that reached `a` off its ancestors, youngest first, so that each
  // ancestor is reached once with everything it loses.
  void spreadUp(std::int32_t a, double flow) {
    queue(ped_.sire[a], 0.5 * flow, up_);
    queue(ped_.dam[a], 0.5 * flow, up_);
    while (!up_.empty()) {
      const std::int32_t u = up_.top();
      up_.pop();
      const double v = acc_[u];
      acc_[u] = 0;
      queued_[u] = 0;
      y_[u] = std::max(0.0, y_[u] - v);
      if (chosen_[u]) continue;  // its pedigree is cut
      queue(ped_.sire[u], 0.5 * v, up_);
      queue(ped_.dam[u], 0.5 * v, up_);
    }
  }

  // Adds the explained share `v` to animal i and passes it on to its descendants, oldest
  // first. A chosen descendant is fully explained already; an animal without flow has no
  // descendant with flow that is not cut off.
  void spreadDown(std::int32_t i, double v) {
    queue(i, v, down_);
    drainDown();
  }
  void drainDown() {
    while (!down_.empty()) {
      const std::int32_t k = down_.top();
      down_.pop();
      const double v = acc_[k];
      acc_[k] = 0;
      queued_[k] = 0;
      if (chosen_[k]) continue;
      g_[k] = std::min(1.0, g_[k] + v);
      if (y_[k] <= 0) continue;
      for (std::int32_t c = childStart_[k]; c < childStart_[k + 1]; ++c) queue(children_[c], 0.5 * v, down_);
    }
  }

  const Pedigree& ped_;
  std::vector<double> y_, g_, acc_;
  std::vector<char> chosen_, phantomChosen_, queued_;
  std::vector<std::int32_t> childStart_, children_;
  std::priority_queue<std::int32_t> up_;  // largest index first
  std::priority_queue<std::int32_t, std::vector<std::int32_t>, std::greater<>> down_;  // smallest first
};

}  // namespace

std::optional<ContributionResult> contributions(const Pedigree& ped, const std::vector<std::int32_t>& reference,
                                                const DiversityProgress& progress) {
  constexpr double kNoShare = 1e-15;
  std::vector<double> y = geneFlow(ped, reference);
  if (y.empty()) return std::nullopt;
  const std::int32_t n = ped.size();
  ContributionResult r;

  // Founder contributions (Lacy 1989): the flow into each founder, and half the flow into each
  // half-known animal for its phantom parent.
  struct Candidate {
    double value;
    std::int32_t key;
  };
  auto before = [](const Candidate& a, const Candidate& b) {
    // Largest value first; equal values: lower animal first, the animal before its phantom.
    if (a.value != b.value) return a.value < b.value;
    const std::int32_t ia = std::abs(a.key), ib = std::abs(b.key);
    if (ia != ib) return ia > ib;
    return a.key < b.key;
  };
  std::vector<Candidate> start;
  double sumSquares = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    if (y[i] <= 0) continue;
    start.push_back({y[i], i});
    const bool sire = ped.sire[i] != 0, dam = ped.dam[i] != 0;
    if (!sire && !dam) {
      ++r.founders;
      r.founderSum += y[i];
      sumSquares += y[i] * y[i];
    } else if (sire != dam) {
      ++r.phantomParents;
      const double p = 0.5 * y[i];
      r.founderSum += p;
      sumSquares += p * p;
      start.push_back({p, -i});
    }
  }
  r.fe = sumSquares > 0 ? 1.0 / sumSquares : 0.0;

  std::priority_queue<Candidate, std::vector<Candidate>, decltype(before)> heap(before, std::move(start));
  MarginalContributions state(ped, y);
  double marginalSquares = 0;
  std::int64_t steps = 0;
  while (!heap.empty()) {
    const Candidate top = heap.top();
    heap.pop();
    const double now = state.current(top.key);
    // What rounding leaves of an explained share is no contribution.
    if (now <= kNoShare) continue;
    if (now < top.value) {
      heap.push({now, top.key});
      continue;
    }
    const std::int32_t animal = std::abs(top.key);
    r.ancestors.push_back({animal, top.key < 0, now, top.key < 0 ? 0.5 * y[animal] : y[animal]});
    r.marginalSum += now;
    marginalSquares += now * now;
    if (r.ancestorsForHalf == 0 && r.marginalSum >= 0.5) r.ancestorsForHalf = static_cast<int>(r.ancestors.size());
    state.choose(top.key);
    if (progress && (++steps & 255) == 0 &&
        !progress(static_cast<std::int64_t>(std::min(1.0, r.marginalSum) * 1e6), 1000000))
      return std::nullopt;
  }
  r.fa = marginalSquares > 0 ? 1.0 / marginalSquares : 0.0;
  return r;
}

PopulationFigures populationFigures(const Pedigree& ped, const std::vector<double>& f,
                                    const std::vector<double>& generations, const std::vector<double>& mk,
                                    const std::vector<double>& completeness, const std::vector<std::int32_t>& reference,
                                    const std::vector<std::int64_t>& birthDay) {
  PopulationFigures p;
  const std::vector<std::int32_t> members = distinctMembers(ped, reference);
  p.size = static_cast<int>(members.size());
  if (members.empty()) return p;
  const double count = static_cast<double>(members.size());
  double sumF = 0, sumMK = 0, sumGen = 0, sumCompl = 0, sumDeltaF = 0, sumAge = 0;
  for (std::int32_t i : members) {
    sumF += f[i];
    if (!mk.empty()) sumMK += mk[i];
    sumGen += generations[i];
    if (!completeness.empty()) sumCompl += completeness[i];
    if (const auto dF = individualDeltaF(f[i], generations[i])) {
      sumDeltaF += *dF;
      ++p.neAnimals;
    }
    if (birthDay.empty() || birthDay[i] == 0) continue;
    for (std::int32_t parent : {ped.sire[i], ped.dam[i]}) {
      if (parent == 0 || birthDay[parent] == 0 || birthDay[parent] >= birthDay[i]) continue;
      sumAge += static_cast<double>(birthDay[i] - birthDay[parent]) / 365.25;
      ++p.intervalPairs;
    }
  }
  p.meanF = sumF / count;
  p.meanGenerations = sumGen / count;
  if (!completeness.empty()) p.meanCompleteness = sumCompl / count;
  if (!mk.empty()) {
    p.meanMK = sumMK / count;
    if (*p.meanMK > 0) p.fg = 1.0 / (2.0 * *p.meanMK);
  }
  if (p.intervalPairs > 0) p.generationInterval = sumAge / p.intervalPairs;
  if (p.neAnimals > 0) {
    p.deltaF = sumDeltaF / p.neAnimals;
    if (*p.deltaF > 0) p.ne = 1.0 / (2.0 * *p.deltaF);
  }
  return p;
}

std::vector<YearFigures> figuresByYear(const std::vector<int>& birthYear, const std::vector<double>& f,
                                       const std::vector<double>& generations) {
  std::map<int, YearFigures> years;
  for (size_t i = 1; i < birthYear.size() && i < f.size() && i < generations.size(); ++i) {
    if (birthYear[i] == 0) continue;
    YearFigures& y = years[birthYear[i]];
    y.year = birthYear[i];
    ++y.animals;
    y.meanF += f[i];
    y.meanGenerations += generations[i];
  }
  std::vector<YearFigures> out;
  out.reserve(years.size());
  for (auto& [year, y] : years) {
    y.meanF /= y.animals;
    y.meanGenerations /= y.animals;
    out.push_back(y);
  }
  return out;
}

}  // namespace lapiro::lineage

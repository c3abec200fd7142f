// Synthetic herd books for the inbreeding benchmarks, in two shapes.
//
// Herd-bound (syntheticPedigree): `generations` generations of `perGeneration` animals, kept in herds of 100 young a generation on a ring of herds. Each
// herd breeds its next generation from 2 bucks and 40 does of its own previous generation
// (litters of about 2.5 young, so full sibs follow each other); in 1 herd of 8 a generation
// one of the two bucks is bought from a herd up to three places away. Generation 0 are
// founders. Ids are 1..n in birth order; the output lists the young of each generation
// before their parents' generation, so a reader must sort (as a herd book exported by
// newest animals first would need).
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace lapiro::bench {

struct SyntheticAnimal {
  std::int64_t id, sire, dam;
};

// `byBirth` (generations of `perGeneration` animals in birth order) with the newest generation
// first, each generation kept in birth order.
inline std::vector<SyntheticAnimal> newestGenerationFirst(const std::vector<SyntheticAnimal>& byBirth,
                                                          int perGeneration, int generations) {
  std::vector<SyntheticAnimal> out;
  out.reserve(byBirth.size());
  for (int g = generations - 1; g >= 0; --g)
    out.insert(out.end(), byBirth.begin() + static_cast<std::ptrdiff_t>(g) * perGeneration,
               byBirth.begin() + static_cast<std::ptrdiff_t>(g + 1) * perGeneration);
  return out;
}

inline std::vector<SyntheticAnimal> syntheticPedigree(int perGeneration, int generations, unsigned seed = 42) {
  constexpr int kHerd = 100, kBucks = 2, kDoes = 40;
  const int herds = perGeneration / kHerd;
  std::mt19937_64 rng(seed);
  std::vector<SyntheticAnimal> byBirth;
  byBirth.reserve(static_cast<size_t>(perGeneration) * generations);
  // Per herd: the ids of the previous generation's bucks and does.
  std::vector<std::vector<std::int64_t>> bucks(herds), does(herds);
  std::int64_t next = 1;
  for (int h = 0; h < herds; ++h)
    for (int i = 0; i < kHerd; ++i) {
      byBirth.push_back({next, 0, 0});
      (i % 2 ? does : bucks)[h].push_back(next++);
    }
  for (int g = 1; g < generations; ++g) {
    std::vector<std::vector<std::int64_t>> nb(herds), nd(herds);
    for (int h = 0; h < herds; ++h) {
      std::vector<std::int64_t> sires(bucks[h].begin(), bucks[h].begin() + std::min<size_t>(kBucks, bucks[h].size()));
      if (rng() % 8 == 0) {
        const int other = (h + herds + static_cast<int>(rng() % 7) - 3) % herds;
        sires.back() = bucks[other][rng() % bucks[other].size()];
      }
      const size_t damCount = std::min<size_t>(kDoes, does[h].size());
      int born = 0;
      for (size_t d = 0; born < kHerd; d = (d + 1) % damCount) {
        const std::int64_t dam = does[h][d];
        const std::int64_t sire = sires[rng() % sires.size()];
        const int litter = 2 + static_cast<int>(rng() % 2);
        for (int k = 0; k < litter && born < kHerd; ++k, ++born) {
          byBirth.push_back({next, sire, dam});
          (rng() % 2 ? nd : nb)[h].push_back(next++);
        }
      }
      std::shuffle(nb[h].begin(), nb[h].end(), rng);
      std::shuffle(nd[h].begin(), nd[h].end(), rng);
      if (nb[h].empty()) nb[h].push_back(nd[h].back());
      if (nd[h].empty()) nd[h].push_back(nb[h].back());
    }
    bucks.swap(nb);
    does.swap(nd);
  }
  // Newest generation first, each generation in birth order.
  return newestGenerationFirst(byBirth, perGeneration, generations);
}

// Widely mixed (widelyMixedPedigree): `generations` overlapping generations of `perGeneration`
// animals, as where bucks are used across the whole population. Each generation is bred from
// a fifth of the bucks of the two previous generations (a new random choice every generation)
// and any does of those generations, each mating drawn at random from the whole population,
// with litters of 1 to 4 young (full sibs follow each other). Generation 0 are founders; the
// order of the output is as in syntheticPedigree (newest generation first).
inline std::vector<SyntheticAnimal> widelyMixedPedigree(int perGeneration, int generations, unsigned seed = 42) {
  std::mt19937_64 rng(seed);
  std::vector<SyntheticAnimal> byBirth;
  byBirth.reserve(static_cast<size_t>(perGeneration) * generations);
  std::vector<std::vector<std::int64_t>> bucks(generations), does(generations);
  std::int64_t next = 1;
  for (int g = 0; g < generations; ++g) {
    std::vector<std::int64_t> sires, dams;
    for (int back = 1; back <= 2 && g - back >= 0; ++back) {
      sires.insert(sires.end(), bucks[g - back].begin(), bucks[g - back].end());
      dams.insert(dams.end(), does[g - back].begin(), does[g - back].end());
    }
    std::shuffle(sires.begin(), sires.end(), rng);
    sires.resize(std::max<size_t>(sires.empty() ? 0 : 1, sires.size() / 5));
    int born = 0;
    while (born < perGeneration) {
      std::int64_t sire = 0, dam = 0;
      if (g > 0 && !sires.empty() && !dams.empty()) {
        sire = sires[rng() % sires.size()];
        dam = dams[rng() % dams.size()];
      }
      const int litter = g > 0 ? 1 + static_cast<int>(rng() % 4) : 1;
      for (int k = 0; k < litter && born < perGeneration; ++k, ++born) {
        byBirth.push_back({next, sire, dam});
        (rng() % 2 ? does : bucks)[g].push_back(next++);
      }
    }
  }
  return newestGenerationFirst(byBirth, perGeneration, generations);
}

}  // namespace lapiro::bench

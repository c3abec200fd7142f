// Measures of a stock's genetic diversity over a compact Pedigree (pedigree.h) and a reference
// population R (indices of chosen animals). Nothing here builds the n x n relationship matrix:
// every figure is one or a few linear passes over the pedigree.
//
// Conventions:
//  - A parent 0 is unknown. A parent id without a record is a founder (Pedigree does that).
//  - An unknown parent of an animal with exactly one known parent counts, for the founder and
//    ancestor contributions, as a founder of its own ("phantom parent", Boichard et al. 1997).
//    Relationships and F treat it as unknown, which is the same thing: it is related to no one.
//  - Which published method each figure follows is stated at its function.
#pragma once

#include "lineage/pedigree.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lapiro::lineage {

// Called now and then with (done, total) of the current stage; returning false cancels.
using DiversityProgress = std::function<bool(std::int64_t, std::int64_t)>;

// The mean gene flow from R into every animal: y = T' x with x = 1_R / |R|, T the gene-flow
// matrix of A = T D T' (Colleau 2002). y_j is the expected share of the genes of R that comes
// from (or through) j; y_j > 0 exactly for the animals of R and their ancestors. Empty for an
// empty `reference`. Indices of `reference` must be in 1..ped.size(); repeats count once.
std::vector<double> geneFlow(const Pedigree& ped, const std::vector<std::int32_t>& reference);

// Mean kinship of every animal with R: MK_i = (1/|R|) * sum over j in R of A_ij / 2, self
// included, as one product A * x by Colleau's indirect method (O(n)). `d` are the Mendelian
// variances of mendelianVariances(). Result size ped.size() + 1 (index 0 is 0); empty for an
// empty `reference`.
std::vector<double> meanKinship(const Pedigree& ped, const std::vector<double>& d,
                                const std::vector<std::int32_t>& reference);

// MacCluer et al. (1983) pedigree completeness over `generations` generations: for each side
// the mean over generations 1..g of the share of known ancestors on that side, the two sides
// joined by their harmonic mean 2 Cp Cm / (Cp + Cm) (0 when either side is empty). Lies in
// [0, 1]; 1 exactly when all 2^(g+1) - 2 ancestors are known. Result size ped.size() + 1.
std::vector<double> pedigreeCompleteness(const Pedigree& ped, int generations = 5);

// Number of young recorded with the animal as sire or dam. Result size ped.size() + 1.
std::vector<std::int32_t> offspringCounts(const Pedigree& ped);

// Individual increase in inbreeding (Gutiérrez et al. 2008): 1 - (1 - F)^(1 / (t - 1)) for
// t equivalent complete generations; nullopt when t <= 1.
std::optional<double> individualDeltaF(double f, double t);

// One ancestor chosen by Boichard's algorithm. A phantom parent is named by the animal it is
// the unknown parent of.
struct AncestorContribution {
  std::int32_t animal = 0;
  bool phantom = false;
  double marginal = 0;  // share of R's genes it explains that no earlier ancestor explained
  double raw = 0;       // its contribution before any ancestor was chosen
};

struct ContributionResult {
  int founders = 0;          // founders with a contribution to R (both parents unknown)
  int phantomParents = 0;    // phantom parents with a contribution to R
  double fe = 0;             // effective number of founders 1 / sum p_f^2 (Lacy 1989)
  double fa = 0;             // effective number of ancestors 1 / sum q_k^2 (Boichard et al. 1997)
  double founderSum = 0;     // sum of the founder contributions (1 up to rounding)
  double marginalSum = 0;    // sum of the marginal contributions (1 up to rounding)
  int ancestorsForHalf = 0;  // fewest chosen ancestors that explain half of R's genes
  std::vector<AncestorContribution> ancestors;  // in the order chosen, largest first
};

// Founder contributions and, by Boichard et al. (1997), the marginal contributions of
// ancestors, computed to the end: at each step the animal (or phantom parent) explaining the
// largest share of R's genes not yet explained is chosen, its pedigree is cut, and the
// contributions of its ancestors (one pass over them) and the explained share of its
// descendants (one pass over them) are brought up to date; this goes on until every gene of R
// is explained, so the marginal contributions sum to 1. Every animal of R or its ancestry is
// a candidate, R's own animals included. nullopt when cancelled or `reference` is empty.
std::optional<ContributionResult> contributions(const Pedigree& ped, const std::vector<std::int32_t>& reference,
                                                const DiversityProgress& progress = {});

// The population figures of R. Undefined figures are nullopt, never NaN.
struct PopulationFigures {
  int size = 0;  // |R|
  std::optional<double> meanF;             // mean F over all known generations
  std::optional<double> meanMK;            // mean of MK over R: R's mean coancestry, self included
  std::optional<double> fg;                // founder genome equivalents 1 / (2 mean MK) (Lacy 1995)
  std::optional<double> meanGenerations;   // mean equivalent complete generations
  std::optional<double> meanCompleteness;  // mean completeness index
  // Mean age in years of the known parents at the birth of R's animals (pairs where both
  // birthdays are known and the parent is older).
  std::optional<double> generationInterval;
  int intervalPairs = 0;
  // Mean individual increase in inbreeding over R's animals with more than one equivalent
  // generation and the realised effective size Ne = 1 / (2 mean dF) (Gutiérrez et al. 2008,
  // 2009); Ne is nullopt when mean dF is 0.
  std::optional<double> deltaF;
  std::optional<double> ne;
  int neAnimals = 0;
};

// `f`, `generations` (equivalent complete generations), `mk` and `completeness` per index;
// `birthDay` the Julian day of each animal's birth, 0 when unknown (may be empty).
PopulationFigures populationFigures(const Pedigree& ped, const std::vector<double>& f,
                                    const std::vector<double>& generations, const std::vector<double>& mk,
                                    const std::vector<double>& completeness, const std::vector<std::int32_t>& reference,
                                    const std::vector<std::int64_t>& birthDay);

// Mean F and mean equivalent complete generations of the animals born in each year.
struct YearFigures {
  int year = 0;
  int animals = 0;
  double meanF = 0;
  double meanGenerations = 0;
};
// Over the animals with a known birth year (`birthYear` per index, 0 unknown), by rising year.
std::vector<YearFigures> figuresByYear(const std::vector<int>& birthYear, const std::vector<double>& f,
                                       const std::vector<double>& generations);

}  // namespace lapiro::lineage

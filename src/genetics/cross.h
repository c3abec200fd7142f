// The young a mating can give: exact fractions of their colours, what each colour's young
// carry hidden, and the loci that decide each colour. Worked out per locus (the loci are
// inherited independently) and combined exactly, not sampled.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "genetics/genotype.h"
#include "genetics/phenotype.h"

namespace lapiro::genetics {

// An exact non-negative rational number, always in lowest terms.
struct Fraction {
  std::int64_t num = 0;
  std::int64_t den = 1;

  static Fraction of(std::int64_t n, std::int64_t d);
  Fraction operator+(const Fraction& o) const;
  Fraction operator*(const Fraction& o) const;
  Fraction operator/(const Fraction& o) const;  // REQUIRES: o is not zero
  bool isZero() const { return num == 0; }
  bool isOne() const { return num == den; }
  friend bool operator==(const Fraction&, const Fraction&) = default;
  friend bool operator<(const Fraction& a, const Fraction& b);

  QString text() const;         // "1/4", "1", "0"
  QString percentText() const;  // "25 %", "66,7 %", "100 %" (one decimal only where needed)
};

// The young's pairs at one locus, each with its share; pairs in AllelePair's canonical order,
// the list sorted by that order.
struct PairShare {
  AllelePair pair;
  Fraction share;
};
std::vector<PairShare> crossLocus(const AllelePair& sire, const AllelePair& dam);

// A hidden allele among the young of one colour, with the share of those young that carry it.
struct CarriedAllele {
  int locus = 0;
  int allele = 0;
  Fraction share;
  QString text() const;  // "trägt c (sicher)", "trägt b zu 50 %"
};

struct CrossOutcome {
  Phenotype phenotype;
  Fraction share;
  std::vector<CarriedAllele> carried;  // in locus and allele order
  QList<int> unknownLoci;              // loci where some of these young have an unknown allele
};

struct CrossResult {
  std::vector<CrossOutcome> outcomes;  // largest share first, then by name
  QList<int> segregating;              // loci at which the young differ in what they show
};

// The young of `sire` × `dam`, named by `table`. The shares add up to exactly 1.
CrossResult cross(const Genotype& sire, const Genotype& dam,
                  const PhenotypeTable& table = standardPhenotypeTable());

}  // namespace lapiro::genetics

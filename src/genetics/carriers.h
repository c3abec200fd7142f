// What the pedigree tells about the hidden colour alleles of a whole stock.
//
// Each animal starts from what is recorded of it: its own genotype (if typed) combined with
// the minimum genotype of its colour. Then parents and young narrow each other down: a young
// can only hold what its parents can give, and a parent must hold an allele its young got
// from it. An animal that does not show an allele it must hold carries it for sure ("trägt c
// (sicher)": a parent or a young shows the recessive colour). Where that leaves the second
// allele open and both parents are fully known at the locus, the chance that it is each
// hidden allele follows from the parents' cross ("trägt b zu 50 %").
//
// Evidence that cannot all be true is reported, never silently dropped: a recorded genotype
// that does not fit the animal's colour, and a pair of parents that cannot give a young's
// recorded colour or genotype.
#pragma once

#include <cstdint>
#include <vector>

#include "genetics/cross.h"
#include "genetics/genotype.h"

namespace lapiro::genetics {

struct StockAnimal {
  std::int64_t nummer = 0;
  std::int32_t sire = -1;  // index into the stock, -1 for unknown
  std::int32_t dam = -1;
  Genotype recorded;  // the typed genotype (unknown when none)
  Genotype colour;    // the minimum genotype of its colour (unknown when none)
};

struct CarrierNote {
  std::int32_t animal = 0;  // index into the stock
  CarriedAllele carried;
};

struct Contradiction {
  enum class Kind {
    GenotypeVsColour,  // the recorded genotype does not fit the animal's colour
    ParentsVsYoung,    // the parents cannot give what is recorded of the young
  };
  Kind kind = Kind::ParentsVsYoung;
  std::int32_t animal = 0;  // the animal, or for ParentsVsYoung the young
  int locus = 0;
};

struct StockInference {
  std::vector<Genotype> genotypes;    // per animal, what the pedigree tells
  std::vector<CarrierNote> carriers;  // by animal, then locus and allele
  std::vector<Contradiction> contradictions;
  // The notes of one animal, as a range into `carriers`.
  std::vector<std::int32_t> firstNote;  // per animal + 1 sentinel
};

// Works through `stock` (parents may come after their young; loops in the recorded
// parentage are not followed). Never throws.
StockInference inferStock(const std::vector<StockAnimal>& stock);

// The carrier notes of one animal alone from its parents' (and its own) genotypes, as the
// stock inference gives them; for a pair typed into the window.
std::vector<CarriedAllele> carriersFromParents(const Genotype& own, const Genotype* sire,
                                               const Genotype* dam);

}  // namespace lapiro::genetics

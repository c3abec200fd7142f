// Compact pedigrees and the coefficients computed over all recorded generations.
//
// A Pedigree holds animals 1..n in an order in which every parent comes before its young, with
// the parents as indices into the same arrays (0 = unknown). Building one from unordered
// records (id, sire, dam) sorts them and breaks loops: a link that would make an animal its own
// ancestor is dropped and reported, so every walk over the result terminates. A parent 0 is
// unknown. A parent id that is not 0 but has no record of its own is one founder animal (both
// its parents unknown), the same animal wherever it is named: it gets an index like every
// recorded animal and is listed in founderParents.
//
// The coefficients:
//  - inbreeding(): Wright's coefficient F of every animal, including the common ancestors' own
//    inbreeding, by the method of Meuwissen & Luo (1992): for each animal the row of L in
//    A = L D L' is traced over its ancestors and F_i = sum L_ij^2 d_j - 1. The ancestors are
//    visited by generation number, youngest first, as Sargolzaei & Iwaisaki (2005) do, at
//    constant cost each. Full sibs share one trace wherever they stand. The animals of one
//    generation number are independent of each other and are traced on all cores; each
//    result is computed by the same sequence of operations whatever the number of threads.
//  - equivalentGenerations(): the number of equivalent complete generations, the sum of
//    (1/2)^g over every known ancestor occurrence, g generations back.
//  - KinshipRows: rows of the relationship matrix A for chosen animals by Colleau's indirect
//    method (2002), A x = T (D (T' x)), each row in time linear in the number of ancestors
//    involved. The inbreeding of the offspring of s and d is A(s, d) / 2.
#pragma once

#include <QtGlobal>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lapiro::lineage {

// One recorded animal as read from a table or a file.
struct PedigreeRecord {
  qint64 id = 0;
  qint64 sire = 0;
  qint64 dam = 0;
};

// A link dropped because it would close a loop: `child` is recorded with `parent` as father or
// mother although `child` is already an ancestor of `parent`.
struct BrokenLink {
  qint64 child = 0;
  qint64 parent = 0;
};

struct Pedigree {
  // Index 0 stands for "unknown"; animals are 1..size(). Parents have smaller indices.
  std::vector<qint64> id{0};
  std::vector<std::int32_t> sire{0};
  std::vector<std::int32_t> dam{0};
  std::vector<BrokenLink> brokenLinks;  // in the order they were found
  // Parent ids without a record, added as founders, in the order first named.
  std::vector<qint64> founderParents;
  std::unordered_map<qint64, std::int32_t> index;  // id -> index

  std::int32_t size() const { return static_cast<std::int32_t>(id.size()) - 1; }
  // The index of `animal`, 0 when it is not in the pedigree.
  std::int32_t indexOf(qint64 animal) const {
    auto it = index.find(animal);
    return it == index.end() ? 0 : it->second;
  }
};

// Sorts `records` so that parents come before their young and breaks loops (see above).
// Ids must be distinct and not 0; a repeated id keeps its first record. An animal recorded as
// its own parent loses that link (a loop of one). Parents without a record become founders
// (see above) and count in size().
Pedigree buildPedigree(const std::vector<PedigreeRecord>& records);

// Wright's inbreeding coefficient of every animal; result[0] is 0. Time: the sum over the
// distinct parent pairs of their number of ancestors, shared out to `threads` threads (0: one
// per core). The result does not depend on the number of threads.
std::vector<double> inbreeding(const Pedigree& ped, int threads = 0);

// The Mendelian sampling variances d_i = 1/2 - (F_sire + F_dam)/4 with F of an unknown parent
// taken as -1 (so a founder has d = 1), given F from inbreeding().
std::vector<double> mendelianVariances(const Pedigree& ped, const std::vector<double>& f);

// Equivalent complete generations of every animal: sum over known parents p of (1 + e_p) / 2.
std::vector<double> equivalentGenerations(const Pedigree& ped);

// Rows of the additive relationship matrix for chosen animals (Colleau's indirect method).
// Lifetime: borrows `ped` and `d`; both must outlive this object and stay unchanged.
class KinshipRows {
 public:
  KinshipRows(const Pedigree& ped, const std::vector<double>& d);
  // Fills `row` (size ped.size() + 1) with A(j, animal) for every j that is related to
  // `animal` through its ancestors or their descendants; row[0] stays 0. `animal` must be in
  // 1..size().
  void rowOf(std::int32_t animal, std::vector<double>& row);

 private:
  const Pedigree& ped_;
  const std::vector<double>& d_;
  std::vector<double> up_;
};

// The inbreeding coefficient of an offspring of `sire` and `dam` (indices, 0 = unknown):
// half their relationship, given F and d of mendelianVariances(). Walks only their ancestors
// (but allocates one array of the pedigree's size). 0 when either is unknown.
double offspringInbreeding(const Pedigree& ped, const std::vector<double>& f, const std::vector<double>& d,
                           std::int32_t sire, std::int32_t dam);

}  // namespace lapiro::lineage

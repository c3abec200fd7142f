// German colour names from genotypes, through a table a breeder can read and extend.
//
// The table is text, one rule a line:
//     Name : Locus=Allele[,Allele…] Locus=…
// A condition "G=G,go" holds when the allele the animal shows at G is G or go. Rules without
// a leading "+" are colours: the first rule whose conditions all hold names the colour. Rules
// with a leading "+" are additions ("+ Rex : R=r") appended as ", Rex" to the colour when they
// hold, except where the chosen colour's own rule already speaks of that locus ("Castor-Rex").
// "#" starts a comment. standardPhenotypeTable() holds the standard colours.
//
// With unknown alleles a condition may be undecided. A colour rule that may hold is then named
// as one possibility ("Schwarz oder Blau"), and an addition that may hold as "evtl. Rex".
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "genetics/genotype.h"

namespace lapiro::genetics {

// What can be seen of a genotype: per locus the set of alleles that may be the shown one. A
// further factor (K, H, X, Si, R, V) of which nothing is known counts as its wild type (no
// Scheckung, no Holländer, no Weißfaktor, no Silberung, normal coat, short hair).
using ShownMasks = std::array<std::uint8_t, kLocusCount>;
ShownMasks shownMasks(const Genotype& g);
std::uint8_t shownMaskAt(int locus, const AllelePair& pair);

struct PhenotypeRule {
  QString name;
  bool addition = false;
  std::vector<std::pair<int, std::uint8_t>> conditions;  // locus, allowed shown alleles
};

struct Phenotype {
  QString name;             // "Schwarz", "Schwarz, Rex", "Schwarz oder Blau", "Weiß Rotauge"
  QStringList candidates;   // the possible colours (one when the colour is determined)
  QStringList additions;    // the additions that hold for sure
  QStringList maybe;        // additions that may hold
  QList<int> decidingLoci;  // the loci the matching rules look at, in locus order
  bool determined() const { return candidates.size() == 1 && maybe.isEmpty(); }
};

// Which rules of a table apply to what is shown, by rule position: the colours that may hold
// (up to the first that holds for sure), the additions that hold and those that may. Equal
// keys give equal names; cheap to make, to compare and to hash.
struct PhenotypeKey {
  using Bits = std::array<std::uint64_t, 4>;
  Bits candidates{}, additions{}, maybe{};
  friend bool operator==(const PhenotypeKey&, const PhenotypeKey&) = default;
};
struct PhenotypeKeyHash {
  size_t operator()(const PhenotypeKey& k) const;
};

class PhenotypeTable {
 public:
  static constexpr int kMaxRules = 256;

  // Reads a table text. Throws GenotypeError naming the line for an unknown locus or allele,
  // a line without ":" or without a name, and for more than kMaxRules rules.
  static PhenotypeTable parse(const QString& text);

  Phenotype name(const Genotype& g) const { return name(shownMasks(g)); }
  Phenotype name(const ShownMasks& shown) const { return phenotype(classify(shown)); }
  PhenotypeKey classify(const ShownMasks& shown) const;
  Phenotype phenotype(const PhenotypeKey& key) const;

  const std::vector<PhenotypeRule>& rules() const { return rules_; }

 private:
  std::vector<PhenotypeRule> rules_;
};

// The text of the standard table and the table parsed from it.
const QString& standardPhenotypeText();
const PhenotypeTable& standardPhenotypeTable();

}  // namespace lapiro::genetics

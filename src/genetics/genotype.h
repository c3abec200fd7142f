// Colour genotypes of rabbits in the notation German breeders use: loci with their alleles in
// dominance order, a genotype of two alleles per locus (either may be unknown), and its text
// form "A achi/B b/C C/D d/g g".
//
// Dominance orders (most dominant first), as a breeder reads them:
//   A   A > achi > am > an > a        full colour, chinchilla, marten, Russian, albino
//   B   Be > B > bj > b               Eisengrau, full colour, Japaner, yellow (Gelb/Thüringer);
//                                     Eisengrau counts as dominant over full colour, the
//                                     Japaner factor over yellow
//   C   C > c                         black, brown (Havanna)
//   D   D > d                         dense, dilute (blue, Feh)
//   G   G > go > g                    wild colour, tan (Loh/Otter), self
//   K   K > k                         Scheckung (dominant)
//   H   H > h                         Holländer-Zeichnung (shown by h h)
//   X   X > x                         Weißfaktor (x x: Weiß Blauauge)
//   Si  Si > si                       Silberung (dominant)
//   R   R > r                         Rex coat (shown by r r)
//   V   V > v                         Langhaar (shown by v v)
//
// An unknown allele is written "-". Its meaning depends on its partner: beside a known allele
// it is an allele the animal does not show, so it is the known one or recessive to it
// ("B -" shows B and may carry B, bj or b, never Be). "- -" is a locus of which nothing is
// known; a locus left out of the text is the same. In a young of a cross an unknown allele
// keeps the bound it had in its parent, which is why an allele slot stores a bound.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace lapiro::genetics {

inline constexpr int kLocusCount = 11;
inline constexpr int kMaxAlleles = 5;

enum LocusId : std::uint8_t { LA = 0, LB, LC, LD, LG, LK, LH, LX, LSi, LR, LV };

struct Locus {
  QString name;         // "A", "Si"
  QString description;  // German, for tables and the window
  QStringList alleles;  // symbols, most dominant first
};

// The tracked loci, in the order of LocusId (and of the written genotype).
const std::array<Locus, kLocusCount>& loci();

// One allele slot: a known allele (index into Locus::alleles) or an unknown allele that can be
// any allele from index `bound` on (0 = any allele at all).
struct Allele {
  std::int8_t index = -1;  // -1: unknown
  std::int8_t bound = 0;   // for an unknown allele: the most dominant it can be

  bool known() const { return index >= 0; }
  static Allele of(int i) { return {static_cast<std::int8_t>(i), 0}; }
  static Allele unknown(int bound = 0) { return {-1, static_cast<std::int8_t>(bound)}; }
  friend bool operator==(const Allele&, const Allele&) = default;
};

// Two alleles of one locus, kept in a canonical order (known before unknown, the more
// dominant first) so that equal pairs compare equal.
struct AllelePair {
  Allele first = Allele::unknown();
  Allele second = Allele::unknown();

  static AllelePair make(Allele a, Allele b);
  bool fullyKnown() const { return first.known() && second.known(); }
  bool fullyUnknown() const { return !first.known() && !second.known(); }
  // Bit i set when allele i may be the one the animal shows; `alleleCount` is the locus's.
  std::uint8_t shownMask(int alleleCount) const;
  // Bit i set when allele i may be among the two.
  std::uint8_t possibleMask(int alleleCount) const;
  friend bool operator==(const AllelePair&, const AllelePair&) = default;
};

struct Genotype {
  std::array<AllelePair, kLocusCount> loci{};

  bool empty() const;  // nothing known at any locus
  friend bool operator==(const Genotype&, const Genotype&) = default;
};

// A refused genotype text; what() is a German message naming the offending symbol or locus.
class GenotypeError : public std::runtime_error {
 public:
  explicit GenotypeError(const QString& message);
  QString message() const { return message_; }

 private:
  QString message_;
};

// Reads "A achi/B b/C C/D d/g g". Segments are separated by "/" (or ";"), the two alleles of
// a segment by blanks; a segment may start with its locus name and a colon ("A: - -"), which
// a segment of two unknown alleles needs. Loci not named stay unknown; an empty text and a
// lone "-" are the unknown genotype. Throws GenotypeError for an unknown symbol, a locus with
// one allele or more than two, alleles of two loci in one segment, a locus named twice, and
// "- -" without a locus name.
Genotype parseGenotype(const QString& text);

// Like parseGenotype, but returns nothing and sets `error` instead of throwing.
std::optional<Genotype> tryParseGenotype(const QString& text, QString* error = nullptr);

// The text form of `g`: the loci with something known, in locus order, each as its two
// alleles with "-" for an unknown one, joined by "/". The unknown genotype gives "".
QString formatGenotype(const Genotype& g);
QString formatPair(int locus, const AllelePair& pair);

// Combines what two sources say about one animal (its recorded genotype and the minimum
// genotype of its colour): at each locus the better-known pair where one refines the other.
// Returns nothing when they contradict each other at some locus; `conflictLocus` then names
// the first such locus.
std::optional<Genotype> mergeGenotypes(const Genotype& a, const Genotype& b, int* conflictLocus = nullptr);
std::optional<AllelePair> mergePairs(const AllelePair& a, const AllelePair& b, int alleleCount);

// Number of alleles of locus `locus`.
int alleleCount(int locus);

// A set of concrete (fully known, unordered) pairs of one locus: bit pairIndex(i, j).
using PairSet = std::uint16_t;
int pairIndex(int i, int j);
// The concrete pairs `p` stands for at a locus with `alleleCount` alleles.
PairSet pairSetOf(const AllelePair& p, int alleleCount);
// The pairs a young can get from parents whose alleles are in the masks `sire` and `dam`.
PairSet pairsFrom(std::uint8_t sire, std::uint8_t dam);
// The pairs holding at least one allele of `alleles`.
PairSet pairsWithAny(std::uint8_t alleles);
// Bit i set when allele i is in some pair of `s`.
std::uint8_t allelesIn(PairSet s);
// The narrowest writable pair holding every pair of `s`; nothing for an empty set.
std::optional<AllelePair> pairFor(PairSet s, int alleleCount);

}  // namespace lapiro::genetics

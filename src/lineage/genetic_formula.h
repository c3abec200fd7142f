// Genetic formulas: which founder animals an animal descends from and in which shares.
//
// A formula is a sequence of tokens without separators. A token is an optional count followed
// by one ASCII letter (A-Z, a-z; capital and small letters are different founders):
//   "A"          count 1
//   "5A"         count 1-9 (one digit 1-9)
//   "27A"        count 10-39 (first digit 1-3, second 0-9)
// The weight of a formula is the sum of the counts of the tokens read from the front up to the
// end of the text or the first character sequence that is not a token (an unreadable rest such
// as a trailing digit does not count). A formula is valid when its weight is 1, 2, 4, 8 or 16;
// a one-letter formula marks a founder.
//
// An offspring's formula pools its parents' formulas with equal weight (the lighter formula is
// scaled up) and, when the pool has weight 32, shortens it back to about 16 shares.
//
// Everything here is pure text logic: no database, no dialogs. The callers show their own
// message when a derivation fails.
#pragma once

#include <QChar>
#include <QString>
#include <optional>
#include <vector>

namespace lapiro::lineage {

// Outcome of reading one token from the front of a formula.
enum class TokenErgebnis {
  Gelesen = 0,    // a token was read and removed from the text
  Leer = 1,       // the text is empty
  KeinToken = 2,  // the text does not start with a token; it is left unchanged
};

// Calculator for genetic formulas. Stateless: create one where needed; every operation is
// const and may be called any number of times.
class tErbberechnung {
 public:
  // Reads the token at the front of `formel`.
  // Gelesen: `buchstabe` and `anzahl` hold the token, which is removed from `formel`.
  // Leer / KeinToken: `buchstabe` is null, `anzahl` is 0 and `formel` is unchanged.
  TokenErgebnis TokenLesen(QString& formel, QChar& buchstabe, int& anzahl) const;

  // Sum of the counts of the readable tokens of `formel` (0 for an empty or unreadable text).
  // The sum is exact: a long formula can weigh more than 255 and is then simply invalid.
  int Gewicht(const QString& formel) const;

  // Pools father's formula `vater` and mother's formula `mutter` into `ergebnis`.
  // Both weights must be 1, 2, 4, 8 or 16; the counts of the lighter formula are multiplied by
  // (heavier weight / lighter weight). The tokens of both sides are merged like two sorted
  // lists: at equal letters the summed count and the letter are written (always with the
  // number); otherwise the token with the smaller character code is written first (all
  // capitals before all small letters), as the letter alone for count 1. The result weighs
  // twice the heavier input; it is in letter order when both inputs are.
  // Returns false, with `ergebnis` emptied, when a weight is not allowed or when either text
  // holds a character sequence that is not a token before its end.
  bool Kombinieren(const QString& vater, const QString& mutter, QString& ergebnis) const;

  // Shortens a pooled formula of weight exactly 32 to half its shares. Of the k tokens whose
  // count is odd and at most 15, the first k/2 are rounded down and the rest up when k is even;
  // all are rounded down when k is odd. Counts of 16 and more are halved downwards. Tokens
  // left with count 0 are dropped; the rest are halved and rewritten (letter alone for
  // count 1). The result weighs 16 when no count exceeds 15.
  // Returns true when `formel` was shortened; a formula whose weight is not 32 is left
  // unchanged and false is returned. An unreadable rest after the tokens is dropped.
  // Never fails.
  bool Kuerzen(QString& formel) const;
};

// One token of a formula.
struct Erbfaktor {
  QChar buchstabe;
  int anzahl = 0;
  friend bool operator==(const Erbfaktor&, const Erbfaktor&) = default;
};

// The readable tokens of `formel` in order, up to the end or the first unreadable sequence.
// Repeated letters stay separate tokens.
std::vector<Erbfaktor> formulaTokens(const QString& formel);

// Exact weight of `formel` (see tErbberechnung::Gewicht).
int formulaWeight(const QString& formel);

// True when the weight of `formel` is 1, 2, 4, 8 or 16. An empty text is not valid; callers
// that accept an empty formula (the card's field check) test for emptiness first.
// A valid weight does not mean the whole text is readable: "Aa5" weighs 2 and is valid, yet
// it cannot be combined.
bool isValidFormula(const QString& formel);

// The steps of deriving an offspring's formula, for displays that show each of them.
struct FormulaDerivation {
  QString pooled;          // result of combining father's and mother's formula
  QString stored;          // the formula to store: `pooled` shortened when its weight is 32
  bool shortened = false;  // true when `stored` differs from `pooled` by shortening
};

// Combines `father` and `mother` and shortens the result. Returns nullopt when they cannot be
// combined (invalid weight or unreadable text); the caller then shows its warning and changes
// nothing. Note that the stored result can weigh less than 16 when a pooled count exceeds 15
// and is odd (e.g. "9A7B" with "8A8B" gives "8A7B", weight 15).
std::optional<FormulaDerivation> deriveFormula(const QString& father, const QString& mother);

// The formula to store for an offspring of `father` and `mother`, or nullopt when none can be
// derived (see deriveFormula).
std::optional<QString> deriveOffspringFormula(const QString& father, const QString& mother);

}  // namespace lapiro::lineage

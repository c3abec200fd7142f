#include "lineage/genetic_formula.h"

namespace lapiro::lineage {

namespace {

bool isFormulaLetter(QChar c) {
  const char16_t u = c.unicode();
  return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool isDigitIn(QChar c, char16_t low, char16_t high) {
  const char16_t u = c.unicode();
  return u >= low && u <= high;
}

bool isAllowedWeight(int weight) {
  return weight == 1 || weight == 2 || weight == 4 || weight == 8 || weight == 16;
}

// Appends a token; `alwaysWithCount` writes "1A" style counts even for a count of 1.
void appendToken(QString& out, QChar letter, int count, bool alwaysWithCount) {
  if (count != 1 || alwaysWithCount) out += QString::number(count);
  out += letter;
}

// One side of the merge in Kombinieren: the remaining text, the scale factor for its counts
// and the pending token, if any.
struct MergeSide {
  MergeSide(const QString& text, int scale) : rest(text), factor(scale) {}

  QString rest;
  int factor = 1;
  bool pending = false;
  QChar letter;
  int count = 0;

  // Reads the next token into the pending slot. Returns false when the text holds something
  // that is not a token; at the end of the text the side simply has no pending token.
  bool advance(const tErbberechnung& calc) {
    QChar b;
    int n = 0;
    switch (calc.TokenLesen(rest, b, n)) {
      case TokenErgebnis::Gelesen:
        pending = true;
        letter = b;
        // Counts are at most the formula's weight (<= 16) and the factor at most 16, so the
        // product cannot overflow anything.
        count = n * factor;
        return true;
      case TokenErgebnis::Leer:
        pending = false;
        return true;
      case TokenErgebnis::KeinToken:
        break;
    }
    pending = false;
    return false;
  }
};

}  // namespace

TokenErgebnis tErbberechnung::TokenLesen(QString& formel, QChar& buchstabe, int& anzahl) const {
  buchstabe = QChar();
  anzahl = 0;
  if (formel.isEmpty()) return TokenErgebnis::Leer;
  const qsizetype len = formel.size();
  if (isFormulaLetter(formel[0])) {
    buchstabe = formel[0];
    anzahl = 1;
    formel.remove(0, 1);
    return TokenErgebnis::Gelesen;
  }
  if (len >= 2 && isFormulaLetter(formel[1]) && isDigitIn(formel[0], u'1', u'9')) {
    buchstabe = formel[1];
    anzahl = formel[0].unicode() - u'0';
    formel.remove(0, 2);
    return TokenErgebnis::Gelesen;
  }
  if (len >= 3 && isFormulaLetter(formel[2]) && isDigitIn(formel[0], u'1', u'3') &&
      isDigitIn(formel[1], u'0', u'9')) {
    buchstabe = formel[2];
    anzahl = (formel[0].unicode() - u'0') * 10 + (formel[1].unicode() - u'0');
    formel.remove(0, 3);
    return TokenErgebnis::Gelesen;
  }
  return TokenErgebnis::KeinToken;
}

int tErbberechnung::Gewicht(const QString& formel) const {
  // Summed in int on purpose: an 8-bit sum would let a formula of weight 257 pass as a
  // founder (weight 1).
  QString rest = formel;
  QChar b;
  int n = 0;
  int sum = 0;
  while (TokenLesen(rest, b, n) == TokenErgebnis::Gelesen) sum += n;
  return sum;
}

bool tErbberechnung::Kombinieren(const QString& vater, const QString& mutter, QString& ergebnis) const {
  ergebnis.clear();
  const int wA = Gewicht(vater);
  const int wB = Gewicht(mutter);
  if (!isAllowedWeight(wA) || !isAllowedWeight(wB)) return false;

  // Both weights are powers of two, so the lighter side is scaled by an exact factor.
  MergeSide a(vater, wA < wB ? wB / wA : 1);
  MergeSide b(mutter, wB < wA ? wA / wB : 1);
  if (!a.advance(*this) || !b.advance(*this)) return false;

  QString out;
  while (a.pending || b.pending) {
    bool ok = true;
    if (a.pending && b.pending && a.letter == b.letter) {
      appendToken(out, a.letter, a.count + b.count, true);
      ok = a.advance(*this) && b.advance(*this);
    } else if (a.pending && (!b.pending || a.letter < b.letter)) {
      appendToken(out, a.letter, a.count, false);
      ok = a.advance(*this);
    } else {
      appendToken(out, b.letter, b.count, false);
      ok = b.advance(*this);
    }
    if (!ok) return false;
  }
  ergebnis = out;
  return true;
}

bool tErbberechnung::Kuerzen(QString& formel) const {
  if (Gewicht(formel) != 32) return false;

  const std::vector<Erbfaktor> tokens = formulaTokens(formel);
  auto roundable = [](int count) { return count % 2 == 1 && count <= 15; };

  int k = 0;
  for (const Erbfaktor& t : tokens)
    if (roundable(t.anzahl)) ++k;

  // With k even the first k/2 odd counts go down and the rest up, keeping the total at 16.
  // With k odd the counter steps past zero and every odd count goes down.
  int c = k;
  QString out;
  for (const Erbfaktor& t : tokens) {
    int count = t.anzahl;
    if (roundable(count)) {
      if (c == 0) {
        count += 1;
      } else {
        count -= 1;
        c -= 2;
      }
    }
    if (count == 0) continue;
    appendToken(out, t.buchstabe, count / 2, false);
  }
  formel = out;
  return true;
}

std::vector<Erbfaktor> formulaTokens(const QString& formel) {
  const tErbberechnung calc;
  std::vector<Erbfaktor> tokens;
  QString rest = formel;
  QChar b;
  int n = 0;
  while (calc.TokenLesen(rest, b, n) == TokenErgebnis::Gelesen) tokens.push_back({b, n});
  return tokens;
}

int formulaWeight(const QString& formel) {
  return tErbberechnung().Gewicht(formel);
}

bool isValidFormula(const QString& formel) {
  return isAllowedWeight(formulaWeight(formel));
}

std::optional<FormulaDerivation> deriveFormula(const QString& father, const QString& mother) {
  const tErbberechnung calc;
  FormulaDerivation d;
  if (!calc.Kombinieren(father, mother, d.pooled)) return std::nullopt;
  d.stored = d.pooled;
  d.shortened = calc.Kuerzen(d.stored);
  return d;
}

std::optional<QString> deriveOffspringFormula(const QString& father, const QString& mother) {
  auto d = deriveFormula(father, mother);
  if (!d) return std::nullopt;
  return d->stored;
}

}  // namespace lapiro::lineage

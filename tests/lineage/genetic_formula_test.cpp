#include "lineage/genetic_formula.h"

#include <gtest/gtest.h>

#include <QMap>
#include <algorithm>
#include <random>

using namespace lapiro::lineage;

namespace {

QString s(const char16_t* text) {
  return QString::fromUtf16(text);
}

struct Read {
  TokenErgebnis code;
  QChar letter;
  int count;
  QString rest;
};

Read readOne(const QString& text) {
  QString rest = text;
  QChar letter(u'?');
  int count = -1;
  const TokenErgebnis code = tErbberechnung().TokenLesen(rest, letter, count);
  return {code, letter, count, rest};
}

// Shares per letter, with repeated letters summed.
QMap<QChar, int> sharesOf(const QString& formula) {
  QMap<QChar, int> shares;
  for (const Erbfaktor& t : formulaTokens(formula)) shares[t.buchstabe] += t.anzahl;
  return shares;
}

}  // namespace

TEST(GeneticFormulaToken, ReadsTheThreeTokenForms) {
  Read r = readOne(s(u"AbC"));
  EXPECT_EQ(r.code, TokenErgebnis::Gelesen);
  EXPECT_EQ(r.letter, QChar(u'A'));
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(r.rest, s(u"bC"));

  r = readOne(s(u"9zA"));
  EXPECT_EQ(r.code, TokenErgebnis::Gelesen);
  EXPECT_EQ(r.letter, QChar(u'z'));
  EXPECT_EQ(r.count, 9);
  EXPECT_EQ(r.rest, s(u"A"));

  r = readOne(s(u"10B"));
  EXPECT_EQ(r.count, 10);
  EXPECT_EQ(r.letter, QChar(u'B'));
  EXPECT_TRUE(r.rest.isEmpty());

  r = readOne(s(u"39q2"));
  EXPECT_EQ(r.count, 39);
  EXPECT_EQ(r.letter, QChar(u'q'));
  EXPECT_EQ(r.rest, s(u"2"));

  EXPECT_EQ(readOne(s(u"1A")).count, 1);
}

TEST(GeneticFormulaToken, EmptyAndUnreadableTextsAreLeftAlone) {
  Read r = readOne(QString());
  EXPECT_EQ(r.code, TokenErgebnis::Leer);
  EXPECT_EQ(r.count, 0);
  EXPECT_TRUE(r.letter.isNull());

  // Not tokens: zero counts, counts above 39, three digits, a lone digit, non-ASCII letters,
  // separators.
  for (const QString& text : {s(u"0A"), s(u"40A"), s(u"123A"), s(u"5"), s(u"12"), s(u"\u00C4"), s(u"2\u00E4"),
                              s(u" A"), s(u"-1A"), s(u"09A")}) {
    r = readOne(text);
    EXPECT_EQ(r.code, TokenErgebnis::KeinToken) << qPrintable(text);
    EXPECT_EQ(r.count, 0) << qPrintable(text);
    EXPECT_TRUE(r.letter.isNull()) << qPrintable(text);
    EXPECT_EQ(r.rest, text) << qPrintable(text);
  }
}

TEST(GeneticFormulaWeight, SumsReadableTokensOnly) {
  EXPECT_EQ(formulaWeight(QString()), 0);
  EXPECT_EQ(formulaWeight(s(u"A")), 1);
  EXPECT_EQ(formulaWeight(s(u"AAAA")), 4);  // a repeated letter still counts every time
  EXPECT_EQ(formulaWeight(s(u"3A5B8C")), 16);
  EXPECT_EQ(formulaWeight(s(u"Aa5")), 2);    // trailing digit ignored
  EXPECT_EQ(formulaWeight(s(u"2A!8B")), 2);  // counting stops at the first non-token
  EXPECT_EQ(formulaWeight(s(u"17A15B")), 32);
}

TEST(GeneticFormulaWeight, ValidityNeedsAPowerOfTwoUpToSixteen) {
  for (const QString& f : {s(u"A"), s(u"AB"), s(u"2ACD"), s(u"8A4B4C"), s(u"16A"), s(u"AAAA")})
    EXPECT_TRUE(isValidFormula(f)) << qPrintable(f);
  for (const QString& f : {QString(), s(u"ABC"), s(u"16AB"), s(u"32A"), s(u"8A7B"), s(u"5")})
    EXPECT_FALSE(isValidFormula(f)) << qPrintable(f);
  // Readable part is valid, so the card's check accepts it even though it cannot be combined.
  EXPECT_TRUE(isValidFormula(s(u"Aa5")));
}

TEST(GeneticFormulaWeight, LongFormulasDoNotWrapAround) {
  // 6 x 39 + 23 = 257, which an 8-bit sum would read as 1, i.e. a founder.
  const QString heavy = s(u"39A39B39C39D39E39F23G");
  ASSERT_LE(heavy.size(), 40);
  EXPECT_EQ(formulaWeight(heavy), 257);
  EXPECT_FALSE(isValidFormula(heavy));
  EXPECT_FALSE(deriveOffspringFormula(heavy, s(u"B")).has_value());
  EXPECT_FALSE(deriveOffspringFormula(s(u"B"), heavy).has_value());

  // 288 would read as 32 and be shortened.
  QString f = s(u"39A39B39C39D39E39F39G15H");
  EXPECT_EQ(formulaWeight(f), 288);
  EXPECT_FALSE(tErbberechnung().Kuerzen(f));
  EXPECT_EQ(f, s(u"39A39B39C39D39E39F39G15H"));
}

TEST(GeneticFormulaDerivation, WorkedExamples) {
  struct Case {
    const char16_t* father;
    const char16_t* mother;
    const char16_t* pooled;
    const char16_t* stored;
  };
  const Case cases[] = {
      {u"A", u"B", u"AB", u"AB"},
      {u"A", u"CD", u"2ACD", u"2ACD"},
      {u"2A2B", u"CDEF", u"2A2BCDEF", u"2A2BCDEF"},
      {u"8A8B", u"8A8C", u"16A8B8C", u"8A4B4C"},
      {u"3A5B8C", u"16D", u"3A5B8C16D", u"A3B4C8D"},
      {u"16A", u"BCDEFGHIJKLMNOPQ", u"16ABCDEFGHIJKLMNOPQ", u"8AJKLMNOPQ"},
      {u"Aa", u"AA", u"2AAa", u"2AAa"},
      {u"9A7B", u"8A8B", u"17A15B", u"8A7B"},
      // Pooled weight below 32 is stored as it is.
      {u"2A2B2C2D", u"EFGHIJKL", u"2A2B2C2DEFGHIJKL", u"2A2B2C2DEFGHIJKL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(qPrintable(s(c.father) + QStringLiteral(" x ") + s(c.mother)));
    const auto d = deriveFormula(s(c.father), s(c.mother));
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->pooled, s(c.pooled));
    EXPECT_EQ(d->stored, s(c.stored));
    EXPECT_EQ(d->shortened, formulaWeight(d->pooled) == 32);
    EXPECT_EQ(deriveOffspringFormula(s(c.father), s(c.mother)), s(c.stored));
  }
  EXPECT_EQ(formulaWeight(s(u"8A7B")), 15);
}

TEST(GeneticFormulaDerivation, FailsOnBadWeightOrUnreadableText) {
  QString out = s(u"stale");
  const tErbberechnung calc;
  EXPECT_FALSE(calc.Kombinieren(s(u"ABC"), s(u"D"), out));  // weight 3
  EXPECT_TRUE(out.isEmpty());
  EXPECT_FALSE(deriveFormula(s(u"D"), s(u"ABC")).has_value());
  EXPECT_FALSE(deriveFormula(QString(), s(u"A")).has_value());
  EXPECT_FALSE(deriveFormula(s(u"A"), QString()).has_value());
  EXPECT_FALSE(deriveFormula(s(u"16A"), s(u"16B16C")).has_value());  // weight 32 is no input

  // Weight 2 and valid, but the trailing digit is not a token.
  EXPECT_FALSE(deriveFormula(s(u"Aa5"), s(u"AA")).has_value());
  EXPECT_FALSE(deriveFormula(s(u"AA"), s(u"Aa5")).has_value());
  // Junk in the middle, with a valid weight before it.
  EXPECT_FALSE(deriveFormula(s(u"2A?zz"), s(u"B")).has_value());
}

TEST(GeneticFormulaDerivation, MergeFollowsCharacterCodesAndKeepsRepeats) {
  const tErbberechnung calc;
  QString out;
  // Capitals before small letters; the lighter side (weight 2) is doubled.
  ASSERT_TRUE(calc.Kombinieren(s(u"ab"), s(u"2Z2a"), out));
  EXPECT_EQ(out, s(u"2Z4a2b"));
  // Unsorted inputs are merged token by token, not re-sorted or merged per letter.
  ASSERT_TRUE(calc.Kombinieren(s(u"BA"), s(u"AB"), out));
  EXPECT_EQ(out, s(u"A2BA"));
  // A founder against weight 16: the founder's single share becomes 16.
  ASSERT_TRUE(calc.Kombinieren(s(u"Z"), s(u"16A"), out));
  EXPECT_EQ(out, s(u"16A16Z"));
}

TEST(GeneticFormulaShorten, OnlyWeight32IsShortened) {
  const tErbberechnung calc;
  QString f = s(u"2A2BCDEF");
  EXPECT_FALSE(calc.Kuerzen(f));
  EXPECT_EQ(f, s(u"2A2BCDEF"));

  // Two of the largest counts: 32 halves to 16.
  f = s(u"32A");
  EXPECT_TRUE(calc.Kuerzen(f));
  EXPECT_EQ(f, s(u"16A"));

  // Four odd counts: first two down, last two up.
  f = s(u"3A3B5C5D16E");
  EXPECT_TRUE(calc.Kuerzen(f));
  EXPECT_EQ(f, s(u"AB3C3D8E"));
  EXPECT_EQ(formulaWeight(f), 16);

  // An unreadable rest after weight 32 is dropped.
  f = s(u"16A16B7");
  EXPECT_TRUE(calc.Kuerzen(f));
  EXPECT_EQ(f, s(u"8A8B"));
}

TEST(GeneticFormulaProperties, RandomValidParentsPoolAndShortenConsistently) {
  std::mt19937 rng(20240613u);
  const QString letters = s(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int weights[] = {1, 2, 4, 8, 16};

  // A random valid formula; letters may repeat and need not be in order.
  auto randomFormula = [&](int weight, bool sorted) {
    std::vector<std::pair<QChar, int>> tokens;
    int left = weight;
    while (left > 0) {
      const int count = std::uniform_int_distribution<int>(1, left)(rng);
      tokens.push_back({letters[std::uniform_int_distribution<int>(0, 51)(rng)], count});
      left -= count;
    }
    if (sorted) {
      std::sort(tokens.begin(), tokens.end());
      // Merge repeats so the formula is in strict letter order.
      std::vector<std::pair<QChar, int>> merged;
      for (const auto& t : tokens) {
        if (!merged.empty() && merged.back().first == t.first)
          merged.back().second += t.second;
        else
          merged.push_back(t);
      }
      tokens = merged;
    }
    QString f;
    for (const auto& [letter, count] : tokens) {
      if (count != 1 || std::bernoulli_distribution(0.1)(rng)) f += QString::number(count);
      f += letter;
    }
    return f;
  };

  const tErbberechnung calc;
  int shortenedCases = 0;
  for (int i = 0; i < 4000; ++i) {
    const bool sorted = i % 2 == 0;
    const int wA = weights[std::uniform_int_distribution<int>(0, 4)(rng)];
    const int wB = weights[std::uniform_int_distribution<int>(0, 4)(rng)];
    const QString a = randomFormula(wA, sorted);
    const QString b = randomFormula(wB, sorted);
    SCOPED_TRACE(qPrintable(a + QStringLiteral(" x ") + b));
    ASSERT_EQ(formulaWeight(a), wA);
    ASSERT_EQ(formulaWeight(b), wB);

    QString pooled;
    ASSERT_TRUE(calc.Kombinieren(a, b, pooled));
    const int larger = std::max(wA, wB);
    ASSERT_EQ(formulaWeight(pooled), 2 * larger);

    // The whole result is readable and carries each parent's shares scaled to equal weight.
    const std::vector<Erbfaktor> pooledTokens = formulaTokens(pooled);
    qsizetype written = 0;
    for (const Erbfaktor& t : pooledTokens)
      written += t.anzahl == 1 ? 1 : QString::number(t.anzahl).size() + 1;
    ASSERT_EQ(written, pooled.size());
    QMap<QChar, int> expected;
    for (const Erbfaktor& t : formulaTokens(a)) expected[t.buchstabe] += t.anzahl * (larger / wA);
    for (const Erbfaktor& t : formulaTokens(b)) expected[t.buchstabe] += t.anzahl * (larger / wB);
    ASSERT_EQ(sharesOf(pooled), expected);
    if (sorted) {
      for (size_t j = 1; j < pooledTokens.size(); ++j)
        ASSERT_LT(pooledTokens[j - 1].buchstabe, pooledTokens[j].buchstabe);
    }

    QString stored = pooled;
    const bool changed = calc.Kuerzen(stored);
    ASSERT_EQ(changed, larger == 16);
    if (!changed) {
      ASSERT_EQ(stored, pooled);
      continue;
    }
    ++shortenedCases;
    // Every share is halved, rounded one way or the other.
    const QMap<QChar, int> before = sharesOf(pooled);
    const QMap<QChar, int> after = sharesOf(stored);
    if (sorted) {
      for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const int half = after.value(it.key(), 0);
        ASSERT_TRUE(half == it.value() / 2 || half == (it.value() + 1) / 2) << it.value();
      }
    }
    const bool noneAbove15 = std::all_of(pooledTokens.begin(), pooledTokens.end(),
                                         [](const Erbfaktor& t) { return t.anzahl <= 15; });
    if (noneAbove15) {
      ASSERT_EQ(formulaWeight(stored), 16);
    }
    ASSERT_LE(formulaWeight(stored), 16);
  }
  EXPECT_GT(shortenedCases, 500);
}

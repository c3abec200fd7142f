// The colour-genetics model: genotype texts, colour names, crosses worked by hand, and what
// the pedigree tells about hidden alleles.
#include <gtest/gtest.h>

#include <QMap>

#include "genetics/carriers.h"
#include "genetics/cross.h"
#include "genetics/genotype.h"
#include "genetics/genotype_field.h"
#include "genetics/phenotype.h"

using namespace lapiro::genetics;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

Genotype g(const char16_t* text) {
  return parseGenotype(QString::fromUtf16(text));
}

// Outcome name -> share as "n/d".
QMap<QString, QString> shares(const CrossResult& r) {
  QMap<QString, QString> m;
  for (const CrossOutcome& o : r.outcomes) m[o.phenotype.name] = o.share.text();
  return m;
}

Fraction total(const CrossResult& r) {
  Fraction t;
  for (const CrossOutcome& o : r.outcomes) t = t + o.share;
  return t;
}

QStringList carriedTexts(const std::vector<CarriedAllele>& c) {
  QStringList out;
  for (const CarriedAllele& a : c) out << a.text();
  return out;
}

const CrossOutcome* outcome(const CrossResult& r, const QString& name) {
  for (const CrossOutcome& o : r.outcomes)
    if (o.phenotype.name == name) return &o;
  return nullptr;
}

}  // namespace

TEST(GenotypeText, ReadsAndWritesTheBreedersNotation) {
  const Genotype x = g(u"A achi/B b/C C/D d/g g");
  EXPECT_EQ(formatGenotype(x), QStringLiteral("A achi/B b/C C/D d/g g"));
  // Order inside a pair and between loci does not matter; the more dominant allele comes first.
  EXPECT_EQ(g(u"d D ; achi A / g g/ b B/C C"), x);
  // "-" beside a known allele is one the animal does not show; "- -" needs its locus named.
  EXPECT_EQ(formatGenotype(g(u"- c/A -/G: - -")), QStringLiteral("A -/c c"));
  EXPECT_EQ(formatGenotype(g(u"b -")), QStringLiteral("b b"));  // nothing is recessive to b
  EXPECT_EQ(formatGenotype(g(u"- B")), QStringLiteral("B -"));
  EXPECT_TRUE(g(u"").empty());
  EXPECT_TRUE(g(u" - ").empty());  // a lone "-": nothing known
  EXPECT_EQ(formatGenotype(g(u"Be bj/go g/Si si/r r/v v/K k/h h/X x")),
            QStringLiteral("Be bj/go g/K k/h h/X x/Si si/r r/v v"));
}

TEST(GenotypeField, StoresTheWrittenFormAndNamesWhatGenotypeAndColourSay) {
  EXPECT_EQ(normalisedGenotypeText(QStringLiteral("g g/ achi A")), QStringLiteral("A achi/g g"));
  EXPECT_EQ(normalisedGenotypeText(QStringLiteral("-")), QString());
  QString error;
  EXPECT_FALSE(normalisedGenotypeText(QStringLiteral("A Z"), &error));
  EXPECT_EQ(error, QStringLiteral("Unbekanntes Allel „Z“ in „A Z“."));

  const QString schwarz = QStringLiteral("A -/B -/C -/D -/g g");
  // A wild-grey genotype against a self colour contradicts at G, the locus the colour fixes.
  EXPECT_EQ(genotypeHint(QStringLiteral("A A/B B/C C/D D/G g"), QStringLiteral("Schwarz"), schwarz),
            QStringLiteral("Genotyp ergibt: Wildfarben – Widerspruch zur Farbe „Schwarz“ (verlangt g g)"));
  // A genotype that leaves loci open fits where it may.
  EXPECT_TRUE(genotypeHint(QStringLiteral("d d"), QStringLiteral("Schwarz"), schwarz).contains(u"Widerspruch"));
  EXPECT_TRUE(genotypeHint(QStringLiteral("C c"), QStringLiteral("Schwarz"), schwarz).endsWith(u"passt zur Farbe „Schwarz“"));
  // Without a pattern of the colour only the genotype speaks; an unreadable pattern is left out.
  EXPECT_EQ(genotypeHint(QStringLiteral("a a"), QStringLiteral("Weiß"), QString()),
            QStringLiteral("Genotyp ergibt: Weiß Rotauge"));
  EXPECT_EQ(genotypeHint(QStringLiteral("a a"), QStringLiteral("Weiß"), QStringLiteral("Q")),
            QStringLiteral("Genotyp ergibt: Weiß Rotauge"));
  EXPECT_EQ(genotypeHint(QStringLiteral("A achi/Q b"), QStringLiteral("Schwarz"), schwarz),
            QStringLiteral("Genotyp nicht lesbar: Unbekanntes Allel „Q“ in „Q b“."));
  EXPECT_EQ(genotypeHint(QString(), QStringLiteral("Schwarz"), schwarz),
            QStringLiteral("Farbe „Schwarz“: mindestens A -/B -/C -/D -/g g"));
  EXPECT_EQ(genotypeHint(QStringLiteral("-"), QStringLiteral("Rhönfarbig"), QString()), QString());
}

TEST(GenotypeText, RefusesBadInputWithAGermanMessageNamingTheFault) {
  const auto error = [](const char16_t* text) {
    QString message;
    EXPECT_FALSE(tryParseGenotype(QString::fromUtf16(text), &message).has_value())
        << QString::fromUtf16(text).toStdString();
    return message;
  };
  EXPECT_EQ(error(u"A achi/Q b"), QStringLiteral("Unbekanntes Allel „Q“ in „Q b“."));
  EXPECT_EQ(error(u"A achi/C"),
            QStringLiteral("Der Locus C hat nur ein Allel („C“); es braucht zwei, „-“ für ein unbekanntes."));
  EXPECT_TRUE(error(u"A c").contains(QStringLiteral("„c“ gehört nicht zum Locus A")));
  EXPECT_TRUE(error(u"A a a").contains(QStringLiteral("mehr als zwei Allele")));
  EXPECT_TRUE(error(u"A a/a A").contains(QStringLiteral("Locus A ist zweimal")));
  EXPECT_TRUE(error(u"- -").contains(QStringLiteral("nennt keinen Locus")));
  EXPECT_TRUE(error(u"Z: - -").contains(QStringLiteral("Unbekannter Locus „Z“")));
  // Symbols are case-sensitive: "AC" is not an allele.
  EXPECT_TRUE(error(u"AC achi").contains(QStringLiteral("„AC“")));
}

TEST(ColourNames, StandardColoursFollowFromTheShownAlleles) {
  const PhenotypeTable& t = standardPhenotypeTable();
  const auto name = [&](const char16_t* text) { return t.name(g(text)).name; };
  EXPECT_EQ(name(u"A A/B B/C C/D D/G G"), QStringLiteral("Wildfarben"));
  EXPECT_EQ(name(u"A A/B b/C c/D d/g g"), QStringLiteral("Schwarz"));
  EXPECT_EQ(name(u"A A/B B/C C/d d/g g"), QStringLiteral("Blau"));
  EXPECT_EQ(name(u"A A/B B/c c/D D/g g"), QStringLiteral("Havanna"));
  EXPECT_EQ(name(u"A A/B B/c c/d d/g g"), QStringLiteral("Feh"));
  EXPECT_EQ(name(u"A A/b b/C C/D D/G g"), QStringLiteral("Gelb"));
  EXPECT_EQ(name(u"A A/b b/C C/D D/g g"), QStringLiteral("Thüringer"));
  EXPECT_EQ(name(u"A A/bj b/C C/D D/g g"), QStringLiteral("Japaner"));
  EXPECT_EQ(name(u"A A/Be B/C C/D D/G G"), QStringLiteral("Eisengrau"));
  EXPECT_EQ(name(u"achi an/B B/C C/D D/G G"), QStringLiteral("Chinchilla"));
  EXPECT_EQ(name(u"am a/B B/C C/D D/G G"), QStringLiteral("Marder"));
  EXPECT_EQ(name(u"an a/B B/C C/D D/g g"), QStringLiteral("Russe"));
  EXPECT_EQ(name(u"a a/B B/C C/D D/g g/K k"), QStringLiteral("Weiß Rotauge"));  // no spots on white
  EXPECT_EQ(name(u"A A/B B/C C/D D/g g/x x"), QStringLiteral("Weiß Blauauge"));
  EXPECT_EQ(name(u"A A/B B/C C/D D/go g"), QStringLiteral("Schwarzloh"));
  EXPECT_EQ(name(u"A A/B B/C C/d d/G G"), QStringLiteral("Perlfeh"));
  EXPECT_EQ(name(u"A A/B B/c c/d d/G G"), QStringLiteral("Luchs"));
  EXPECT_EQ(name(u"A A/B B/C C/D D/G G/r r"), QStringLiteral("Castor-Rex"));
  EXPECT_EQ(name(u"A A/B B/C C/D D/g g/r r/K k/v v"), QStringLiteral("Schwarz, Scheckung, Rex, Langhaar"));
  // A genotype that leaves the deciding alleles open names the possibilities.
  EXPECT_EQ(name(u"A A/B B/C C/D -/g g"), QStringLiteral("Schwarz"));
  EXPECT_EQ(name(u"A A/B B/C C/D: - -/g g"), QStringLiteral("Schwarz oder Blau"));
  // A further factor left out counts as not shown; one that may be shown is named so.
  const CrossResult r = cross(g(u"A A/B B/C C/D D/g g/R r"), g(u"A A/B B/C C/D D/g g"));
  EXPECT_EQ(r.outcomes.at(0).phenotype.name, QStringLiteral("Schwarz"));
  EXPECT_EQ(r.outcomes.at(1).phenotype.name, QStringLiteral("Schwarz, evtl. Rex"));
}

TEST(ColourNames, ABreederCanExtendTheTableAndBadLinesAreNamed) {
  const PhenotypeTable t = PhenotypeTable::parse(QStringLiteral("Rhönfarbig : B=bj G=G # eigene Zeile\n") +
                                                 standardPhenotypeText());
  EXPECT_EQ(t.name(g(u"A A/bj b/C C/D D/G g")).name, QStringLiteral("Rhönfarbig"));
  EXPECT_EQ(t.name(g(u"A A/bj b/C C/D D/g g")).name, QStringLiteral("Japaner"));
  try {
    PhenotypeTable::parse(QStringLiteral("Schwarz : G=g\nBlau : D=q\n"));
    FAIL();
  } catch (const GenotypeError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("Zeile 2: unbekanntes Allel „q“ am Locus D."));
  }
  EXPECT_THROW(PhenotypeTable::parse(QStringLiteral("Schwarz G=g")), GenotypeError);
}

TEST(Cross, HavannaTimesBlueSiamTypeGivesAllBlackSplitForEveryRecessive) {
  // AA BB cc DD gg x am am bb CC dd gg: every young gets A,B,C,D from one side and am,b,c,d from
  // the other: A am / B b / C c / D d / g g -- black, carrying am, b, c and d for sure.
  const CrossResult r = cross(g(u"A A/B B/c c/D D/g g"), g(u"am am/b b/C C/d d/g g"));
  ASSERT_EQ(r.outcomes.size(), 1u);
  EXPECT_EQ(r.outcomes[0].phenotype.name, QStringLiteral("Schwarz"));
  EXPECT_TRUE(r.outcomes[0].share.isOne());
  EXPECT_EQ(carriedTexts(r.outcomes[0].carried),
            (QStringList{QStringLiteral("trägt am (sicher)"), QStringLiteral("trägt b (sicher)"),
                         QStringLiteral("trägt c (sicher)"), QStringLiteral("trägt d (sicher)")}));
  EXPECT_TRUE(r.segregating.isEmpty());
}

TEST(Cross, TwoBlackCarriersOfYellowGiveAQuarterThueringer) {
  // Bb x Bb: BB 1/4, Bb 1/2 (both black), bb 1/4 -- with self (gg) the yellow is Thüringer.
  const CrossResult r = cross(g(u"A A/B b/C C/D D/g g"), g(u"A A/B b/C C/D D/g g"));
  EXPECT_EQ(shares(r), (QMap<QString, QString>{{QStringLiteral("Schwarz"), QStringLiteral("3/4")},
                                               {QStringLiteral("Thüringer"), QStringLiteral("1/4")}}));
  // Of the black young two in three carry b.
  const CrossOutcome* black = outcome(r, QStringLiteral("Schwarz"));
  ASSERT_TRUE(black);
  EXPECT_EQ(carriedTexts(black->carried), QStringList{QStringLiteral("trägt b zu 66,7 %")});
  EXPECT_EQ(black->carried[0].share, Fraction::of(2, 3));
  EXPECT_EQ(r.segregating, QList<int>{LB});
  EXPECT_EQ(outcome(r, QStringLiteral("Thüringer"))->phenotype.decidingLoci.contains(LB), true);
}

TEST(Cross, WildGreyTimesTanGivesHalfWildAQuarterTanAQuarterSelf) {
  // G g x go g: G go 1/4, G g 1/4 (wild), go g 1/4 (tan), g g 1/4 (self).
  const CrossResult r = cross(g(u"A A/B B/C C/D D/G g"), g(u"A A/B B/C C/D D/go g"));
  EXPECT_EQ(shares(r), (QMap<QString, QString>{{QStringLiteral("Wildfarben"), QStringLiteral("1/2")},
                                               {QStringLiteral("Schwarzloh"), QStringLiteral("1/4")},
                                               {QStringLiteral("Schwarz"), QStringLiteral("1/4")}}));
  EXPECT_EQ(r.outcomes[0].phenotype.name, QStringLiteral("Wildfarben"));  // largest share first
  const CrossOutcome* wild = outcome(r, QStringLiteral("Wildfarben"));
  EXPECT_EQ(carriedTexts(wild->carried),
            (QStringList{QStringLiteral("trägt go zu 50 %"), QStringLiteral("trägt g zu 50 %")}));
  EXPECT_EQ(carriedTexts(outcome(r, QStringLiteral("Schwarzloh"))->carried),
            QStringList{QStringLiteral("trägt g (sicher)")});
  EXPECT_TRUE(total(r).isOne());
}

TEST(Cross, ChinchillaTimesRussianGivesChinchillaCarryingRussian) {
  const CrossResult r = cross(g(u"achi achi/B B/C C/D D/G G"), g(u"an an/B B/C C/D D/g g"));
  ASSERT_EQ(r.outcomes.size(), 1u);
  EXPECT_EQ(r.outcomes[0].phenotype.name, QStringLiteral("Chinchilla"));
  EXPECT_EQ(carriedTexts(r.outcomes[0].carried),
            (QStringList{QStringLiteral("trägt an (sicher)"), QStringLiteral("trägt g (sicher)")}));
}

TEST(Cross, AnAlbinoHidesWhatItCarriesSoAnyColourStaysPossible) {
  // Of a red-eyed white only "a a" is known; crossed with a black, the young are full-coloured
  // (A a) but what they show at the other loci depends on what the white hides.
  const CrossResult r = cross(g(u"a a"), g(u"A A/B B/C C/D D/g g"));
  ASSERT_EQ(r.outcomes.size(), 1u);
  const CrossOutcome& o = r.outcomes[0];
  EXPECT_TRUE(o.share.isOne());
  EXPECT_FALSE(o.phenotype.determined());
  EXPECT_TRUE(o.phenotype.candidates.contains(QStringLiteral("Eisengrau")));
  EXPECT_TRUE(o.phenotype.candidates.contains(QStringLiteral("Schwarz")));
  EXPECT_FALSE(o.phenotype.candidates.contains(QStringLiteral("Weiß Rotauge")));
  EXPECT_EQ(carriedTexts(o.carried), QStringList{QStringLiteral("trägt a (sicher)")});
  EXPECT_TRUE(o.unknownLoci.contains(LB) && o.unknownLoci.contains(LG));
  // Two albinos give only albinos, whatever they hide.
  const CrossResult w = cross(g(u"a a"), g(u"a a/B B"));
  EXPECT_EQ(shares(w), (QMap<QString, QString>{{QStringLiteral("Weiß Rotauge"), QStringLiteral("1")}}));
}

TEST(Cross, SharesAreExactAndAddUpToOneOverEveryLocus) {
  // Heterozygous everywhere: 4 x 4 x 2 x ... combinations; the sum must be exactly 1.
  const Genotype sire = g(u"A a/Be bj/C c/D d/G g/K k/H h/X x/Si si/R r/V v");
  const Genotype dam = g(u"achi a/B b/C c/D d/go g/K k/H h/X x/Si si/R r/V v");
  const CrossResult r = cross(sire, dam);
  EXPECT_TRUE(total(r).isOne());
  EXPECT_GT(r.outcomes.size(), 20u);
  // Albinos: a from the sire (1/2) and from the dam (1/2).
  Fraction white;
  for (const CrossOutcome& o : r.outcomes)
    if (o.phenotype.candidates.first() == u"Weiß Rotauge") white = white + o.share;
  EXPECT_EQ(white, Fraction::of(1, 4));
  EXPECT_EQ(r.segregating.size(), kLocusCount);
}

TEST(FractionText, PercentIsExactWhereWholeAndRoundedToATenthOtherwise) {
  EXPECT_EQ(Fraction::of(1, 2).percentText(), QStringLiteral("50 %"));
  EXPECT_EQ(Fraction::of(1, 3).percentText(), QStringLiteral("33,3 %"));
  EXPECT_EQ(Fraction::of(2, 3).percentText(), QStringLiteral("66,7 %"));
  EXPECT_EQ(Fraction::of(1, 8).percentText(), QStringLiteral("12,5 %"));
  EXPECT_EQ(Fraction::of(1, 1024).percentText(), QStringLiteral("0,1 %"));
  EXPECT_EQ(Fraction::of(1, 1).percentText(), QStringLiteral("100 %"));
  EXPECT_EQ((Fraction::of(1, 4) + Fraction::of(1, 12)).text(), QStringLiteral("1/3"));
}

namespace {

StockAnimal animal(std::int64_t nummer, std::int32_t sire, std::int32_t dam, const char16_t* colour,
                   const char16_t* recorded = u"") {
  return {nummer, sire, dam, g(recorded), g(colour)};
}

QStringList notesOf(const StockInference& s, std::int32_t i) {
  QStringList out;
  for (std::int32_t k = s.firstNote[static_cast<size_t>(i)]; k < s.firstNote[static_cast<size_t>(i) + 1]; ++k)
    out << s.carriers[static_cast<size_t>(k)].carried.text();
  return out;
}

// Minimum genotypes of a few colours, as the colour list gives them.
constexpr const char16_t* kSchwarz = u"A -/B -/C -/D -/g g";
constexpr const char16_t* kHavanna = u"A -/B -/c c/D -/g g";
constexpr const char16_t* kThueringer = u"A -/b b/g g";

}  // namespace

TEST(StockCarriers, AParentOrAYoungShowingTheRecessiveMakesACarrierForSure) {
  // 0 Havanna buck x 1 black doe -> 2 black young; 3 black buck x 1 -> 4 Thüringer young.
  const std::vector<StockAnimal> stock{
      animal(10, -1, -1, kHavanna), animal(11, -1, -1, kSchwarz),  animal(12, 0, 1, kSchwarz),
      animal(13, -1, -1, kSchwarz), animal(14, 3, 1, kThueringer),
  };
  const StockInference s = inferStock(stock);
  EXPECT_TRUE(s.contradictions.empty());
  EXPECT_EQ(notesOf(s, 2), QStringList{QStringLiteral("trägt c (sicher)")});  // from its Havanna father
  EXPECT_EQ(notesOf(s, 1), QStringList{QStringLiteral("trägt b (sicher)")});  // from its Thüringer young
  EXPECT_EQ(notesOf(s, 3), QStringList{QStringLiteral("trägt b (sicher)")});
  EXPECT_EQ(formatPair(LB, s.genotypes[1].loci[LB]), QStringLiteral("B b"));
  EXPECT_TRUE(notesOf(s, 0).isEmpty());
}

TEST(StockCarriers, WithFullyKnownParentsTheChanceFollowsFromTheirCross) {
  const std::vector<StockAnimal> stock{
      animal(1, -1, -1, kSchwarz, u"B B"), animal(2, -1, -1, kSchwarz, u"B b"),
      animal(3, 0, 1, kSchwarz),  // BB x Bb: half of the young carry b
      animal(4, 1, 1, kSchwarz),  // Bb x Bb (recorded twice): two in three of the black ones
  };
  const StockInference s = inferStock(stock);
  EXPECT_EQ(notesOf(s, 2), QStringList{QStringLiteral("trägt b zu 50 %")});
  EXPECT_EQ(notesOf(s, 3), QStringList{QStringLiteral("trägt b zu 66,7 %")});
  EXPECT_EQ(carriedTexts(carriersFromParents(g(u"B -"), &stock[0].recorded, &stock[1].recorded)),
            QStringList{QStringLiteral("trägt b zu 50 %")});
  // Without both parents known at the locus nothing is claimed.
  EXPECT_TRUE(carriersFromParents(g(u"B -"), &stock[0].recorded, nullptr).empty());
}

TEST(StockCarriers, ContradictoryEvidenceIsReportedNotDropped) {
  // A black pair, the buck recorded as C C, with a Havanna young: the buck cannot give c.
  const std::vector<StockAnimal> stock{
      animal(1, -1, -1, kSchwarz, u"C C"), animal(2, -1, -1, kSchwarz), animal(3, 0, 1, kHavanna),
      animal(4, -1, -1, kHavanna, u"C C"),  // typed genotype against its own colour
  };
  const StockInference s = inferStock(stock);
  ASSERT_EQ(s.contradictions.size(), 2u);
  EXPECT_EQ(s.contradictions[0].kind, Contradiction::Kind::ParentsVsYoung);
  EXPECT_EQ(s.contradictions[0].animal, 2);
  EXPECT_EQ(s.contradictions[0].locus, LC);
  EXPECT_EQ(s.contradictions[1].kind, Contradiction::Kind::GenotypeVsColour);
  EXPECT_EQ(s.contradictions[1].animal, 3);
  // The typed genotype stands, and the young keeps what its colour says.
  EXPECT_EQ(formatGenotype(s.genotypes[3]), QStringLiteral("C C"));
  EXPECT_EQ(formatPair(LC, s.genotypes[2].loci[LC]), QStringLiteral("c c"));
}

TEST(StockCarriers, LoopsAndParentsAfterTheirYoungAreHandled) {
  // The young comes first in the list; 4 and 5 name each other as parents, 6 itself.
  const std::vector<StockAnimal> stock{
      animal(1, 1, 2, kSchwarz),  animal(2, -1, -1, kThueringer), animal(3, -1, -1, kSchwarz),
      animal(4, 4, -1, kSchwarz), animal(5, 3, -1, kSchwarz),     animal(6, 5, 5, kSchwarz),
  };
  const StockInference s = inferStock(stock);
  EXPECT_EQ(notesOf(s, 0), QStringList{QStringLiteral("trägt b (sicher)")});
  EXPECT_TRUE(s.contradictions.empty());
}

// Wool performance figures at their edges: rounding halves to even (also below zero), the
// yields of each grade, which results count as "not evaluated" and which are left empty, and
// the refusal texts of the input boxes.
#include "breeding/wool_performance.h"

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

TEST(WoolFigures, RoundingTakesHalvesToTheEvenNeighbourOnBothSidesOfZero) {
  struct Case {
    qint64 value, num, den, expected;
  };
  const Case cases[] = {
      {5, 1, 2, 2},   {7, 1, 2, 4},   {1, 1, 2, 0},   {3, 1, 2, 2},      // halves
      {2, 1, 5, 0},   {3, 1, 5, 1},   {12, 1, 5, 2},  {13, 1, 5, 3},     // 0,4 0,6 2,4 2,6
      {1, 1, 3, 0},   {2, 1, 3, 1},   {4, 1, 3, 1},   {5, 1, 3, 2},      // thirds
      {4, 1, 1, 4},   {0, 435, 100, 0}, {10, 435, 100, 44}, {30, 435, 100, 130},  // 130,5
      {-1, 3, 2, -2}, {-7, 1, 2, -4}, {-5, 1, 2, -2}, {-10, 435, 100, -44},
      {-1, 1, 3, 0},  {-2, 1, 3, -1}, {-4, 1, 1, -4}, {-12, 1, 5, -2},   {-13, 1, 5, -3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(roundHalfEven(c.value, c.num, c.den), c.expected) << c.value << " x " << c.num << " / " << c.den;
}

TEST(WoolFigures, EachGradeYieldsFromItsOwnWeighingAndAnEmptyOneCountsZero) {
  WoolYields y = woolYields(QStringLiteral("84"), 100, 100, 100);
  EXPECT_EQ(*y.jwe1, 435);
  EXPECT_EQ(*y.jwe2, 435);
  EXPECT_EQ(*y.jweFilz, 435);
  EXPECT_EQ(*y.wrz1, 435);
  EXPECT_EQ(*y.wrz2, 326);
  EXPECT_EQ(*y.wrzFilz, 100);

  y = woolYields(QStringLiteral(" 91 "), std::nullopt, 80, std::nullopt);
  EXPECT_EQ(y.schurergebnisInsgesamt, 80);
  EXPECT_EQ(*y.jwe1, 0);
  EXPECT_EQ(*y.jwe2, 320);
  EXPECT_EQ(*y.jweFilz, 0);
  EXPECT_EQ(y.wrzSum(), 240);
  y = woolYields(QStringLiteral("84"), 10, std::nullopt, std::nullopt);
  EXPECT_EQ(y.schurergebnisInsgesamt, 10);
  EXPECT_EQ(y.jweSum(), 44);
  EXPECT_EQ(*y.wrz2, 0);
  EXPECT_EQ(woolYields(QStringLiteral("91"), std::nullopt, std::nullopt, 7).schurergebnisInsgesamt, 7);

  WoolRecord r;
  r.interval = QStringLiteral("91");
  r.shear1 = 100;
  r.shear2 = 10;
  r.felt = 1;
  const WoolYields f = woolFigures(r).yields;
  EXPECT_EQ(*f.jwe1, 400);
  EXPECT_EQ(*f.jwe2, 40);
  EXPECT_EQ(*f.jweFilz, 4);
  EXPECT_EQ(f.schurergebnisInsgesamt, 111);
}

// A result below the first band is "not evaluated" ("NB") only when it was really evaluated:
// both totals there and, when a grade was not weighed, no yield computed at all.
TEST(WoolFigures, NotEvaluatedNeedsBothTotalsAndEveryGradeOfAComputedYield) {
  WoolRecord base;
  base.interval = QStringLiteral("91");
  base.shear1 = 200;
  base.shear2 = 10;
  base.felt = 5;
  base.jweInsgesamt = 860;
  base.wrzInsgesamt = 835;
  base.white = true;
  struct Case {
    const char* what;
    void (*change)(WoolRecord&);
    const char16_t* punkte;
  };
  const Case cases[] = {
      {"as evaluated", [](WoolRecord&) {}, u"NB"},
      {"no JWE total", [](WoolRecord& r) { r.jweInsgesamt.reset(); }, u""},
      {"JWE total 0", [](WoolRecord& r) { r.jweInsgesamt = 0; }, u""},
      {"JWE total 1", [](WoolRecord& r) { r.jweInsgesamt = 1; }, u"NB"},
      {"no WRZ total", [](WoolRecord& r) { r.wrzInsgesamt.reset(); }, u""},
      {"grade I not weighed", [](WoolRecord& r) { r.shear1.reset(); }, u""},
      {"grade II not weighed", [](WoolRecord& r) { r.shear2.reset(); }, u""},
      {"only grade I weighed", [](WoolRecord& r) { r.shear2.reset(), r.felt.reset(); }, u""},
      {"only grade II weighed", [](WoolRecord& r) { r.shear1.reset(), r.felt.reset(); }, u""},
      {"only felt weighed", [](WoolRecord& r) { r.shear1.reset(), r.shear2.reset(); }, u""},
      {"nothing but an empty grade I", [](WoolRecord& r) { r.shear1 = 0, r.shear2.reset(), r.felt.reset(); }, u"NB"},
      {"no interval, no yields", [](WoolRecord& r) { r.interval.clear(), r.shear1.reset(); }, u"NB"},
  };
  for (const Case& c : cases) {
    WoolRecord r = base;
    c.change(r);
    EXPECT_EQ(woolFigures(r).punkte, QString::fromUtf16(c.punkte)) << c.what;
  }
}

TEST(WoolFigures, PerformancePointsCountOnlyRealPoints) {
  WoolRecord r;
  r.jweInsgesamt = 1500;
  r.wrzInsgesamt = 1050;  // coloured: 39
  r.elternWrz = 850;      // 27
  r.grosselternWrz = 700; // NB
  r.bewertung = 90.5;
  WoolFigures f = woolFigures(r);
  EXPECT_EQ(f.punkte, u"39");
  EXPECT_EQ(f.punkteEltern, u"27");
  EXPECT_EQ(f.punkteGrosseltern, u"NB");
  EXPECT_EQ(f.leistungspunkte, 66);
  EXPECT_EQ(f.gesamtPunkte, core::Points::fromHundredths(15650));
  r.white = true;  // white: 37 / NB / NB
  f = woolFigures(r);
  EXPECT_EQ(f.punkte, u"37");
  EXPECT_EQ(f.punkteEltern, u"NB");
  EXPECT_EQ(f.leistungspunkte, 37);
  r.bewertung.reset();
  EXPECT_EQ(woolFigures(r).gesamtPunkte, core::Points::whole(37));
  EXPECT_EQ(woolFigures(r).gesamtNote, u"sehr gut");
}

TEST(WoolInput, JudgingPointsRefuseWhatIsNoNumber) {
  for (int p = 0; p < 7; ++p) {
    for (const char* bad : {"abc", "-1", "3.8", "1e1", ","}) {
      bool ok = true;
      EXPECT_FALSE(parsePositionPoints(p, QString::fromLatin1(bad), &ok).has_value()) << p << " " << bad;
      EXPECT_FALSE(ok) << p << " " << bad;
    }
    bool ok = false;
    EXPECT_FALSE(parsePositionPoints(p, QStringLiteral("  "), &ok).has_value());
    EXPECT_TRUE(ok) << p;
    EXPECT_EQ(parsePositionPoints(p, QStringLiteral("0"), &ok), 0.0);
    EXPECT_TRUE(ok) << p;
  }
}

TEST(WoolInput, RefusalsNameTheTextAndTheBox) {
  EXPECT_EQ(woolWeightRefusal(QStringLiteral("Filz"), QStringLiteral(" -5 ")),
            QStringLiteral("»-5« ist kein gültiges Gewicht für Filz: erlaubt sind ganze oder Dezimalzahlen ab 0 "
                           "(Gramm, mit Dezimalkomma)."));
  EXPECT_EQ(positionRefusal(5, QStringLiteral("11")),
            QStringLiteral("»11« ist für „6. Kopf- und Fußbehang“ nicht zulässig: erlaubt sind 0 bis 10 Punkte."));
}

}  // namespace
}  // namespace lapiro::breeding

// Wool performance records: the figures of a test (yield, value index, points, grade), the
// input rules for weights and judging points, and the rules of the cursor "Angora" on a real
// data module (totals, ancestors' averages filled on arrival, save questions).
#include "breeding/wool_performance.h"

#include "engine/cursor.h"
#include "shell/system_info.h"
#include "shows/no_card.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

using test::ScriptedDialogs;

// ---------------------------------------------------------------- figures

TEST(WoolFigures, NinetyOneDayIntervalQuadruplesEveryGrade) {
  const WoolYields y = woolYields(QStringLiteral("91"), 250, 80, 20);
  EXPECT_EQ(y.schurergebnisInsgesamt, 350);
  EXPECT_EQ(*y.jwe1, 1000);
  EXPECT_EQ(*y.jwe2, 320);
  EXPECT_EQ(*y.jweFilz, 80);
  EXPECT_EQ(y.jweSum(), 1400);
  EXPECT_EQ(*y.wrz1, 1000);
  EXPECT_EQ(*y.wrz2, 240);
  EXPECT_EQ(*y.wrzFilz, 20);
  EXPECT_EQ(y.wrzSum(), 1260);
}

TEST(WoolFigures, EightyFourDayIntervalScalesEveryFigureAndRoundsHalvesToEven) {
  EXPECT_EQ(*woolYields(QStringLiteral("84"), 230, 0, 0).jwe1, 1000);  // 1000.5
  EXPECT_EQ(*woolYields(QStringLiteral("84"), 250, 0, 0).jwe1, 1088);  // 1087.5
  const WoolYields y = woolYields(QStringLiteral("84"), 250, 50, 20);
  EXPECT_EQ(*y.wrz1, 1088);
  EXPECT_EQ(*y.wrz2, 163);     // 3.26 x 50
  EXPECT_EQ(*y.jweFilz, 87);   // 4.35 x 20
  EXPECT_EQ(*y.wrzFilz, 20);   // felt counts as weighed under both intervals
  EXPECT_EQ(*woolYields(QStringLiteral("84"), 0, 0, 8).wrzFilz, 8);
  EXPECT_EQ(roundHalfEven(2, 10875, 10000), 2);  // 2.175
  EXPECT_EQ(roundHalfEven(10, 435, 100), 44);                        // 43.5 -> even 44
}

TEST(WoolFigures, FeltCountsAsWeighedUnderThe84DayIntervalToo) {
  // I 230 / II 50 / Filz 37 on a white animal: 1000 + 163 + 37 = 1200, which gives 38 points.
  const WoolYields y = woolYields(QStringLiteral("84"), 230, 50, 37);
  EXPECT_EQ(*y.wrz1, 1000);
  EXPECT_EQ(*y.wrz2, 163);
  EXPECT_EQ(*y.wrzFilz, 37);
  EXPECT_EQ(y.wrzSum(), 1200);
  EXPECT_EQ(animalPoints(y.wrzSum(), true), u"38");
  EXPECT_EQ(*woolYields(QStringLiteral("91"), 230, 50, 37).wrzFilz, 37);
}

TEST(WoolFigures, AnotherIntervalLeavesEveryFigureEmpty) {
  for (const QString& interval : {QString(), QStringLiteral("90"), QStringLiteral("x")}) {
    const WoolYields y = woolYields(interval, 250, 80, 20);
    EXPECT_FALSE(y.anyJwe());
    EXPECT_FALSE(y.anyWrz());
    EXPECT_EQ(y.schurergebnisInsgesamt, 350);
  }
}

TEST(WoolFigures, PointBandsForWhiteAndColouredAnimals) {
  const std::pair<qint64, const char*> white[] = {{999, "NB"},  {1000, "37"}, {1100, "37"}, {1101, "38"},
                                                  {1200, "38"}, {1201, "39"}, {1300, "39"}, {1301, "40"}};
  for (auto [wrz, points] : white) EXPECT_EQ(animalPoints(wrz, true), QString::fromLatin1(points)) << wrz;
  const std::pair<qint64, const char*> coloured[] = {{800, "NB"}, {801, "37"},  {900, "37"},  {901, "38"},
                                                     {1000, "38"}, {1001, "39"}, {1100, "39"}, {1101, "40"}};
  for (auto [wrz, points] : coloured) EXPECT_EQ(animalPoints(wrz, false), QString::fromLatin1(points)) << wrz;
  EXPECT_EQ(ancestorPoints(1101, true), u"28");
  EXPECT_EQ(ancestorPoints(5000, false), u"30");
  EXPECT_EQ(ancestorPoints(0, false), u"NB");
  EXPECT_TRUE(isWhiteColour(QStringLiteral("Weiß rotäugig")));
  EXPECT_TRUE(isWhiteColour(QStringLiteral("WEISS")));
  EXPECT_FALSE(isWhiteColour(QStringLiteral("blau")));
}

TEST(WoolFigures, PerformancePointsTotalAndGrade) {
  WoolRecord r;
  r.interval = QStringLiteral("91");
  r.shear1 = 400;  // JWE 1600 + ...
  r.shear2 = 10;
  r.felt = 5;
  r.jweInsgesamt = 1660;
  r.wrzInsgesamt = 1635;  // "40"
  r.elternWrz = 1400;     // "30"
  r.grosselternWrz = 500; // "NB"
  r.bewertung = 96.0;
  r.white = true;
  WoolFigures f = woolFigures(r);
  EXPECT_EQ(f.punkte, u"40");
  EXPECT_EQ(f.punkteEltern, u"30");
  EXPECT_EQ(f.punkteGrosseltern, u"NB");
  EXPECT_EQ(f.leistungspunkte, 70);
  EXPECT_EQ(f.gesamtPunkte, core::Points::whole(166));
  EXPECT_EQ(f.gesamtNote, u"sehr gut");

  r.grosselternWrz = 1400;  // "30": 100 performance points
  f = woolFigures(r);
  EXPECT_EQ(f.leistungspunkte, 100);
  EXPECT_EQ(f.gesamtPunkte, core::Points::whole(196));
  EXPECT_EQ(f.gesamtNote, u"vorzüglich");
  r.bewertung = 95.5;
  EXPECT_EQ(woolFigures(r).gesamtNote, u"sehr gut");
  // A judging of tenths that sums to exactly 96 reaches 196 (as doubles: 195.99999999999997).
  r.bewertung = 18.0 + 18.1 + 14.5 + 19.5 + 13.0 + 4.6 + 4.3 + 4.0;
  EXPECT_EQ(woolFigures(r).gesamtPunkte, core::Points::whole(196));
  EXPECT_EQ(woolFigures(r).gesamtNote, u"vorzüglich");
}

TEST(WoolFigures, NotEvaluatedIsClearedWhereThereIsNothingToEvaluate) {
  WoolRecord r;
  r.interval = QStringLiteral("91");
  r.shear1 = 200;
  r.shear2 = 10;
  r.felt = 5;
  r.jweInsgesamt = 860;
  r.wrzInsgesamt = 835;
  r.white = true;
  EXPECT_EQ(woolFigures(r).punkte, u"NB");  // a real result below the first band
  r.wrzInsgesamt = 0;
  EXPECT_EQ(woolFigures(r).punkte, QString());
  r.wrzInsgesamt = 835;
  r.felt.reset();  // a grade missing while yields were computed
  EXPECT_EQ(woolFigures(r).punkte, QString());
  // Parents: "NB" for a value below the band, empty without a value.
  r.elternWrz = 700;
  EXPECT_EQ(woolFigures(r).punkteEltern, u"NB");
  r.elternWrz.reset();
  EXPECT_EQ(woolFigures(r).punkteEltern, QString());
  EXPECT_EQ(woolFigures(r).punkteGrosseltern, QString());
  EXPECT_EQ(woolFigures(r).leistungspunkte, 0);
}

// ---------------------------------------------------------------- input

TEST(WoolInput, WeightsAreNonNegativeNumbersWithACommaAndAThousandsPoint) {
  bool ok = false;
  EXPECT_EQ(parseWoolWeight(QStringLiteral("250"), &ok), 250);
  EXPECT_TRUE(ok);
  EXPECT_EQ(parseWoolWeight(QStringLiteral("250,4"), &ok), 250);
  EXPECT_EQ(parseWoolWeight(QStringLiteral(" 12,6 "), &ok), 13);
  EXPECT_EQ(parseWoolWeight(QStringLiteral("3.800"), &ok), 3800);
  EXPECT_EQ(parseWoolWeight(QStringLiteral("1.000,5"), &ok), 1001);
  EXPECT_EQ(parseWoolWeight(QStringLiteral("0"), &ok), 0);
  EXPECT_TRUE(ok);
  // A billion grams is the most a weight takes.
  EXPECT_EQ(parseWoolWeight(QStringLiteral("1.000.000.000"), &ok), 1000000000);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(parseWoolWeight(QStringLiteral("1.000.000.000,5"), &ok).has_value());
  EXPECT_FALSE(ok);
  EXPECT_FALSE(parseWoolWeight(QString(), &ok).has_value());
  EXPECT_TRUE(ok);
  for (const QString& bad : {QStringLiteral("-5"), QStringLiteral("abc"), QStringLiteral("3.8"),
                             QStringLiteral("12 g"), QStringLiteral("1e3")}) {
    EXPECT_FALSE(parseWoolWeight(bad, &ok).has_value()) << bad.toStdString();
    EXPECT_FALSE(ok) << bad.toStdString();
  }
  EXPECT_TRUE(woolWeightRefusal(QStringLiteral("Filz"), QStringLiteral("-5")).contains(u"-5"));
  EXPECT_EQ(woolWeightRefusal(QStringLiteral("Filz"), QStringLiteral("3.8")),
            QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 3,8"));
  EXPECT_EQ(positionRefusal(6, QStringLiteral("4.5")), QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 4,5"));
}

TEST(WoolInput, JudgingPointsStayWithinEachPositionsMaximum) {
  bool ok = false;
  EXPECT_EQ(parsePositionPoints(0, QStringLiteral("20"), &ok), 20.0);
  EXPECT_EQ(parsePositionPoints(2, QStringLiteral("13,5"), &ok), 13.5);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(parsePositionPoints(0, QStringLiteral("20,5"), &ok).has_value());
  EXPECT_FALSE(ok);
  EXPECT_FALSE(parsePositionPoints(6, QStringLiteral("6"), &ok).has_value());
  EXPECT_FALSE(ok);
  // Every position takes its maximum and refuses a tenth more.
  const double maxima[7] = {20, 20, 15, 15, 15, 10, 5};
  for (int p = 0; p < 7; ++p) {
    const QString top = QString::number(maxima[p]);
    EXPECT_EQ(parsePositionPoints(p, top, &ok), maxima[p]) << p;
    EXPECT_TRUE(ok) << p;
    EXPECT_FALSE(parsePositionPoints(p, top + QStringLiteral(",1"), &ok).has_value()) << p;
  }
  const QString refusal = positionRefusal(6, QStringLiteral("6"));
  EXPECT_TRUE(refusal.contains(u"7. Pflegezustand"));
  EXPECT_TRUE(refusal.contains(u"0 bis 5"));
}

// ---------------------------------------------------------------- rules on the data module

class WoolRulesTest : public ::testing::Test {
 protected:
  WoolRulesTest() : stock({11, 29, 127, 140}) {
    settings.System.Speichern = true;
    breed = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Angora")},
                                                   {QStringLiteral("Rassegruppe"), QStringLiteral("Langhaarrassen")}});
    white = stock.add(QStringLiteral("Farbe.db"), {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), QStringLiteral("weiß")}});
    grandFather = angora(QStringLiteral("G1"), QStringLiteral("1.1.1"), 0, 0);
    grandMother = angora(QStringLiteral("G2"), QStringLiteral("1.1.2"), 0, 0);
    father = angora(QStringLiteral("V1"), QStringLiteral("1.2.1"), grandFather, grandMother);
    mother = angora(QStringLiteral("M1"), QStringLiteral("1.2.2"), 0, 0);
    animal = angora(QStringLiteral("A1"), QStringLiteral("1.3.1"), father, mother);
    stranger = angora(QStringLiteral("Z9"), QStringLiteral("9.9.9"), 0, 0);
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    attachWoolRules(*module);
    module->setCard(&card);
    module->setToday(QDate(2006, 6, 15));
    module->open();  // creates the table Angora
  }
  ~WoolRulesTest() override { module.reset(); }

  qint64 angora(const QString& r, const QString& l, qint64 vater, qint64 mutter) {
    QVariantMap more{{QStringLiteral("Rasse"), breed}, {QStringLiteral("Farbe"), white}};
    if (vater) more.insert(QStringLiteral("Vater"), vater);
    if (mutter) more.insert(QStringLiteral("Mutter"), mutter);
    return stock.animal(r, l, more);
  }
  qint64 test(qint64 kaninchen, QVariantMap values) {
    values.insert(QStringLiteral("Kaninchen"), kaninchen);
    return stock.add(QStringLiteral("Angora.db"), values);
  }
  // A stored test of an ancestor with its totals and every average set (nothing to fill).
  qint64 ancestorTest(qint64 kaninchen, qint64 jwe, qint64 wrz, const QDate& vom = QDate(2005, 1, 1)) {
    return test(kaninchen, {{QStringLiteral("JWEInsgesamt"), jwe}, {QStringLiteral("WRZInsgesamt"), wrz},
                            {QStringLiteral("Vom"), vom}, {QStringLiteral("Bewertung"), 90.0},
                            {QStringLiteral("ElternJWE"), 1}, {QStringLiteral("ElternWRZ"), 1},
                            {QStringLiteral("GrosselternJWE"), 1}, {QStringLiteral("GrosselternWRZ"), 1}});
  }
  engine::Cursor& wool() { return module->at(woolCursorName()); }
  // Arrives at the animal's newest test from another animal (rows added since are read).
  bool arrive(qint64 nummer) { return module->gotoAnimal(stranger) && module->gotoAnimal(nummer); }
  QVariant stored(qint64 key, const QString& field) { return stock.stored(QStringLiteral("Angora.db"), key, field); }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  shows::test::NoCard card;
  qint64 breed = 0, white = 0, stranger = 0, grandFather = 0, grandMother = 0, father = 0, mother = 0, animal = 0;
  std::unique_ptr<store::TDatenStamm> module;
};

TEST_F(WoolRulesTest, ArrivalFillsParentsAndGrandparentsAveragesFromTheirFirstTests) {
  ScriptedDialogs dialogs;
  ancestorTest(father, 1300, 1200);
  ancestorTest(father, 9999, 9999, QDate(2006, 1, 1));  // a later test does not count
  ancestorTest(mother, 1100, 0);                        // 0 is no value
  ancestorTest(grandFather, 1000, 1001);
  ancestorTest(grandMother, 1001, 1002);
  const qint64 own = test(animal, {{QStringLiteral("Schurintervall"), QStringLiteral("91")},
                                   {QStringLiteral("Schurergebnis1"), 250}, {QStringLiteral("Schurergebnis2"), 80},
                                   {QStringLiteral("Filz"), 20}, {QStringLiteral("Gewicht"), 18.0},
                                   {QStringLiteral("Pflege"), 4.5}});
  ASSERT_TRUE(arrive(animal));
  EXPECT_EQ(stored(own, QStringLiteral("ElternWRZ")).toLongLong(), 1200);
  EXPECT_EQ(stored(own, QStringLiteral("ElternJWE")).toLongLong(), 1200);  // (1300 + 1100) / 2
  EXPECT_EQ(stored(own, QStringLiteral("GrosselternWRZ")).toLongLong(), 1001);  // 2003 / 2, fraction dropped
  EXPECT_EQ(stored(own, QStringLiteral("GrosselternJWE")).toLongLong(), 1000);
  EXPECT_EQ(stored(own, QStringLiteral("JWEInsgesamt")).toLongLong(), 1400);
  EXPECT_EQ(stored(own, QStringLiteral("WRZInsgesamt")).toLongLong(), 1260);
  EXPECT_DOUBLE_EQ(stored(own, QStringLiteral("Bewertung")).toDouble(), 22.5);
  EXPECT_TRUE(dialogs.shown().empty());  // filled without the save question
  EXPECT_FALSE(wool().isEditing());
  EXPECT_EQ(wool().field(QStringLiteral("Punkte")).asString(), u"39");  // white, 1260
  EXPECT_EQ(wool().field(QStringLiteral("PunkteEltern")).asString(), u"28");
  EXPECT_EQ(wool().field(QStringLiteral("PunkteGrosseltern")).asString(), u"27");
  EXPECT_EQ(wool().field(QStringLiteral("Leistungspunkte")).asInteger(), 39 + 28 + 27);
}

TEST_F(WoolRulesTest, ParentsAverageDividesWithoutFractionAndKeepsTypedValues) {
  ScriptedDialogs dialogs;
  ancestorTest(father, 0, 1201);
  ancestorTest(mother, 0, 1200);
  const qint64 own = test(animal, {{QStringLiteral("GrosselternWRZ"), 777}});
  ASSERT_TRUE(arrive(animal));
  EXPECT_EQ(stored(own, QStringLiteral("ElternWRZ")).toLongLong(), 1200);
  EXPECT_TRUE(stored(own, QStringLiteral("ElternJWE")).isNull());  // no parent gave a value
  EXPECT_EQ(stored(own, QStringLiteral("GrosselternWRZ")).toLongLong(), 777);  // typed: kept
}

TEST_F(WoolRulesTest, VisitingAnAnimalWithoutTestsCreatesNone) {
  ScriptedDialogs dialogs;
  ASSERT_TRUE(module->gotoAnimal(mother));
  ASSERT_TRUE(module->gotoAnimal(animal));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Angora.db")), 0);
  EXPECT_FALSE(wool().hasRecord());
}

TEST_F(WoolRulesTest, PositionsAndShearingsRecomputeTheirTotals) {
  ScriptedDialogs dialogs;
  ASSERT_TRUE(module->gotoAnimal(animal));
  ASSERT_TRUE(appendWoolTest(*module));
  engine::Cursor& c = wool();
  c.field(QStringLiteral("Gewicht")).setFloat(18.0);
  c.field(QStringLiteral("Koerper")).setFloat(17.5);
  c.field(QStringLiteral("Pflege")).setFloat(4.5);
  EXPECT_DOUBLE_EQ(c.field(QStringLiteral("Bewertung")).asFloat(), 40.0);
  c.field(QStringLiteral("Schurintervall")).setString(QStringLiteral("91"));
  c.field(QStringLiteral("Schurergebnis1")).setInteger(250);
  c.field(QStringLiteral("Schurergebnis2")).setInteger(80);
  c.field(QStringLiteral("Filz")).setInteger(20);
  EXPECT_EQ(c.field(QStringLiteral("JWEInsgesamt")).asInteger(), 1400);
  EXPECT_EQ(c.field(QStringLiteral("WRZInsgesamt")).asInteger(), 1260);
  c.field(QStringLiteral("Schurintervall")).setString(QStringLiteral("84"));
  EXPECT_EQ(c.field(QStringLiteral("JWEInsgesamt")).asInteger(), 1088 + 348 + 87);
  EXPECT_EQ(c.field(QStringLiteral("WRZ2")).asInteger(), 261);  // 3.26 x 80 = 260.8
  c.post();
  EXPECT_FALSE(c.isEditing());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Angora.db")), 1);
}

TEST_F(WoolRulesTest, TestDatesInTheFutureAskBeforeSaving) {
  ASSERT_TRUE(module->gotoAnimal(animal));
  ASSERT_TRUE(appendWoolTest(*module));
  wool().field(QStringLiteral("Vom")).setDate(QDate(2006, 6, 15));  // today is fine
  wool().field(QStringLiteral("UrteilAm")).setDate(QDate(2006, 6, 16));
  {
    ScriptedDialogs dialogs;
    dialogs.no();
    EXPECT_THROW(wool().post(), engine::Abort);
    EXPECT_TRUE(wool().isEditing());  // kept for correction
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(u"16.06.2006"));
    EXPECT_EQ(stock.rowCount(QStringLiteral("Angora.db")), 0);
  }
  {
    ScriptedDialogs dialogs;
    dialogs.yes();
    wool().post();
    EXPECT_EQ(stock.rowCount(QStringLiteral("Angora.db")), 1);
  }
}

TEST_F(WoolRulesTest, SaveQuestionNoDiscardsTheChange) {
  settings.System.Speichern = false;
  ASSERT_TRUE(module->gotoAnimal(animal));
  ASSERT_TRUE(appendWoolTest(*module));
  wool().field(QStringLiteral("Ort")).setString(QStringLiteral("Kassel"));
  ScriptedDialogs dialogs;
  dialogs.no();
  EXPECT_THROW(wool().post(), engine::Abort);
  EXPECT_FALSE(wool().isEditing());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Angora.db")), 0);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].text, test::StockDirectory::message(29));
}

TEST_F(WoolRulesTest, LookupsReadExactlyTheAnimalsAskedFor) {
  ASSERT_EQ(grandFather, 1);  // the stock's first animal
  const QVariantMap judged{{QStringLiteral("Gewicht"), 18.0},     {QStringLiteral("Koerper"), 17.5},
                           {QStringLiteral("Wolldichte"), 13.0},  {QStringLiteral("Ausgeglichenheit"), 14.0},
                           {QStringLiteral("Wollstruktur"), 13.5}, {QStringLiteral("Behang"), 9.0},
                           {QStringLiteral("Pflege"), 4.5},       {QStringLiteral("Bewertung"), 89.5}};
  QVariantMap first = judged;
  first.insert({{QStringLiteral("Vom"), QDate(2005, 3, 1)}, {QStringLiteral("JWEInsgesamt"), 1000},
                {QStringLiteral("WRZInsgesamt"), 1001}, {QStringLiteral("Pruefstelle"), QStringLiteral("Kassel")}});
  test(grandFather, first);
  test(grandFather, {{QStringLiteral("Vom"), QDate(2006, 3, 1)}, {QStringLiteral("JWEInsgesamt"), 1200},
                     {QStringLiteral("WRZInsgesamt"), 1201}, {QStringLiteral("Bewertung"), 91.25}});
  ancestorTest(stranger, 1300, 1301);
  WoolLookup lookup(stock.engine);

  EXPECT_EQ(lookup.parents(grandFather), std::make_pair(qint64(0), qint64(0)));
  EXPECT_EQ(lookup.parents(animal), std::make_pair(father, mother));
  EXPECT_FALSE(lookup.parents(0).has_value());

  const auto oldest = lookup.test(grandFather, false);
  ASSERT_TRUE(oldest.has_value());
  EXPECT_EQ(oldest->jwe, 1000);
  EXPECT_EQ(oldest->wrz, 1001);
  EXPECT_EQ(oldest->pruefstelle, QStringLiteral("Kassel"));
  EXPECT_EQ(oldest->judging, QStringLiteral("18,0/17,5/13,0/14,0/13,5/9,0/4,5=89,5"));
  const auto newest = lookup.test(grandFather, true);
  ASSERT_TRUE(newest.has_value());
  EXPECT_EQ(newest->wrz, 1201);
  EXPECT_EQ(newest->judging, QStringLiteral("0,0/0,0/0,0/0,0/0,0/0,0/0,0=91,3"));
  EXPECT_FALSE(lookup.test(mother, false).has_value());

  // One animal asked for: only it, not the stock's first animal as well.
  EXPECT_EQ(lookup.parentsOf({animal}).keys(), QList<qint64>{animal});
  EXPECT_EQ(lookup.firstTotals({stranger}).keys(), QList<qint64>{stranger});
  // Six animals asked for: all six.
  const QList<qint64> six{animal, father, mother, grandMother, stranger, grandFather};
  const auto parents = lookup.parentsOf(six);
  EXPECT_EQ(parents.size(), 6);
  EXPECT_EQ(parents.value(grandFather), std::make_pair(qint64(0), qint64(0)));
  EXPECT_EQ(parents.value(father), std::make_pair(grandFather, grandMother));
  const auto totals = lookup.firstTotals(six);
  EXPECT_EQ(totals.size(), 2);
  EXPECT_EQ(totals.value(grandFather), std::make_pair(qint64(1000), qint64(1001)));
  EXPECT_EQ(totals.value(stranger), std::make_pair(qint64(1300), qint64(1301)));
}

TEST_F(WoolRulesTest, AncestorsNumberedOneCountOnEitherSide) {
  ancestorTest(grandFather, 1000, 1001);
  ancestorTest(grandMother, 1100, 1103);
  WoolLookup lookup(stock.engine);
  // The father's parents are the animals 1 and 2.
  AncestorAverages a = ancestorAverages(lookup, father);
  EXPECT_EQ(a.elternJwe, 1050);
  EXPECT_EQ(a.elternWrz, 1052);
  EXPECT_FALSE(a.grosselternWrz.has_value());
  // Animal 1 as the mother of a parent: a grandparent on the mother's line.
  const qint64 parent = angora(QStringLiteral("P1"), QStringLiteral("5.5.5"), 0, grandFather);
  const qint64 young = angora(QStringLiteral("J1"), QStringLiteral("6.6.6"), parent, 0);
  a = ancestorAverages(lookup, young);
  EXPECT_FALSE(a.elternWrz.has_value());
  EXPECT_EQ(a.grosselternJwe, 1000);
  EXPECT_EQ(a.grosselternWrz, 1001);
  EXPECT_FALSE(ancestorAverages(lookup, 0).elternWrz.has_value());
}

TEST_F(WoolRulesTest, ArrivalFillsOnlyWhatIsEmptyAndTypedTotalsStand) {
  ScriptedDialogs dialogs;
  const QVariantMap averages{{QStringLiteral("ElternJWE"), 1}, {QStringLiteral("ElternWRZ"), 2},
                             {QStringLiteral("GrosselternJWE"), 3}, {QStringLiteral("GrosselternWRZ"), 4}};
  const QVariantMap shorn{{QStringLiteral("Schurintervall"), QStringLiteral("91")}, {QStringLiteral("Schurergebnis1"), 250},
                          {QStringLiteral("Schurergebnis2"), 80}, {QStringLiteral("Filz"), 20}};
  const qint64 a1 = angora(QStringLiteral("T1"), QStringLiteral("7.7.1"), 0, 0);
  const qint64 a2 = angora(QStringLiteral("T2"), QStringLiteral("7.7.2"), 0, 0);
  const qint64 a3 = angora(QStringLiteral("T3"), QStringLiteral("7.7.3"), 0, 0);
  // Only the judging total empty.
  QVariantMap v = averages;
  v.insert(shorn);
  v.insert({{QStringLiteral("JWEInsgesamt"), 1500}, {QStringLiteral("WRZInsgesamt"), 1300}, {QStringLiteral("Gewicht"), 18.0}});
  const qint64 t1 = test(a1, v);
  // Only the JWE total empty.
  v = averages;
  v.insert(shorn);
  v.insert({{QStringLiteral("WRZInsgesamt"), 1300}, {QStringLiteral("Bewertung"), 50.0}});
  const qint64 t2 = test(a2, v);
  // Weighed, but without an interval: no totals to fill, and nothing else empty.
  v = averages;
  v.insert({{QStringLiteral("Schurergebnis1"), 250}, {QStringLiteral("Bewertung"), 50.0}});
  const qint64 t3 = test(a3, v);

  ASSERT_TRUE(arrive(a1));
  EXPECT_DOUBLE_EQ(stored(t1, QStringLiteral("Bewertung")).toDouble(), 18.0);
  EXPECT_EQ(stored(t1, QStringLiteral("JWEInsgesamt")).toLongLong(), 1500);
  EXPECT_EQ(stored(t1, QStringLiteral("WRZInsgesamt")).toLongLong(), 1300);
  EXPECT_EQ(stored(t1, QStringLiteral("ElternWRZ")).toLongLong(), 2);
  ASSERT_TRUE(arrive(a2));
  EXPECT_EQ(stored(t2, QStringLiteral("JWEInsgesamt")).toLongLong(), 1400);
  EXPECT_EQ(stored(t2, QStringLiteral("WRZInsgesamt")).toLongLong(), 1300);
  EXPECT_DOUBLE_EQ(stored(t2, QStringLiteral("Bewertung")).toDouble(), 50.0);
  ASSERT_TRUE(arrive(a3));
  EXPECT_TRUE(stored(t3, QStringLiteral("JWEInsgesamt")).isNull());
  EXPECT_TRUE(stored(t3, QStringLiteral("WRZInsgesamt")).isNull());
  EXPECT_FALSE(fillOnArrival(*module));
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(WoolRulesTest, WithoutTheCardArrivalFillsNothingAndARecordBeingEditedIsLeftAlone) {
  ScriptedDialogs dialogs;
  const qint64 own = test(animal, {{QStringLiteral("Gewicht"), 18.0}});
  module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
  attachWoolRules(*module);
  module->setToday(QDate(2006, 6, 15));
  module->open();
  ASSERT_TRUE(arrive(animal));
  EXPECT_TRUE(stored(own, QStringLiteral("Bewertung")).isNull());

  wool().edit();
  wool().field(QStringLiteral("Ort")).setString(QStringLiteral("Kassel"));
  EXPECT_FALSE(fillOnArrival(*module));
  EXPECT_TRUE(wool().isEditing());
  EXPECT_TRUE(stored(own, QStringLiteral("Bewertung")).isNull());
  wool().cancel();
  EXPECT_TRUE(fillOnArrival(*module));
  EXPECT_DOUBLE_EQ(stored(own, QStringLiteral("Bewertung")).toDouble(), 18.0);
  // An animal without tests: nothing to fill, and no record is made up.
  ASSERT_TRUE(module->gotoAnimal(mother));
  EXPECT_FALSE(fillOnArrival(*module));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Angora.db")), 1);
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(WoolRulesTest, AnotherFieldLeavesATypedJudgingTotal) {
  ScriptedDialogs dialogs;
  ASSERT_TRUE(module->gotoAnimal(animal));
  ASSERT_TRUE(appendWoolTest(*module));
  wool().field(QStringLiteral("Bewertung")).setFloat(88.5);
  wool().field(QStringLiteral("Ort")).setString(QStringLiteral("Kassel"));
  wool().field(QStringLiteral("JWEInsgesamt")).setInteger(900);
  EXPECT_DOUBLE_EQ(wool().field(QStringLiteral("Bewertung")).asFloat(), 88.5);
  EXPECT_EQ(wool().field(QStringLiteral("JWEInsgesamt")).asInteger(), 900);
  wool().cancel();
}

TEST_F(WoolRulesTest, NoTestIsAddedForAnAnimalBeingEntered) {
  ScriptedDialogs dialogs;
  ASSERT_TRUE(module->gotoAnimal(animal));
  module->Hasen().append();
  ASSERT_EQ(module->Hasen().state(), engine::DataSetState::Insert);
  EXPECT_FALSE(appendWoolTest(*module));
  EXPECT_FALSE(wool().isEditing());
  module->Hasen().cancel();
}

}  // namespace
}  // namespace lapiro::breeding

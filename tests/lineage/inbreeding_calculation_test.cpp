#include "lineage/inbreeding_calculation.h"

#include "engine/cursor.h"
#include "lineage/mating_planner.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>

#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

using namespace lapiro;
using namespace lapiro::lineage;
using test::ScriptedDialogs;
using test::StockDirectory;

namespace {

struct InbreedingStock : ::testing::Test {
  InbreedingStock() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

  StockDirectory stock{{11, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 83, 84, 85, 86, 87, 93, 106, 108}};
  ScriptedDialogs dialogs;

  qint64 buck(const QString& r, qint64 vater = 0, qint64 mutter = 0, const QString& formel = {}) {
    return stock.animal(r, QStringLiteral("1.20.") + r,
                        {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Vater"), vater},
                         {QStringLiteral("Mutter"), mutter}, {QStringLiteral("Erbformel"), formel}});
  }
  qint64 doe(const QString& r, qint64 vater = 0, qint64 mutter = 0, const QString& formel = {}) {
    return stock.animal(r, QStringLiteral("1.20.") + r,
                        {{QStringLiteral("Vater"), vater}, {QStringLiteral("Mutter"), mutter},
                         {QStringLiteral("Erbformel"), formel}});
  }
  InzuchtEingabe eltern(InbreedingCalculation& calc, qint64 v, qint64 m, int g = 4) {
    InzuchtEingabe e;
    e.art = Berechnungsart::Eltern;
    e.vater = *calc.tier(v);
    e.mutter = *calc.tier(m);
    e.generation = g;
    return e;
  }
};

QString m(int n) { return StockDirectory::message(n); }

}  // namespace

TEST_F(InbreedingStock, HalfSiblingsGiveOnePathOfTwelveAndAHalfPercentAndThreeRepeatedPositions) {
  const qint64 ss = buck(QStringLiteral("SS")), sd = doe(QStringLiteral("SD"));
  const qint64 s = buck(QStringLiteral("S"), ss, sd);
  const qint64 d1 = doe(QStringLiteral("D1")), d2 = doe(QStringLiteral("D2"));
  const qint64 f = buck(QStringLiteral("F"), s, d1), mo = doe(QStringLiteral("M"), s, d2);
  InbreedingCalculation calc(stock.engine);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(eltern(calc, f, mo), aus));
  const QChar sep = QLocale().decimalPoint().at(0);
  ASSERT_EQ(sep, QChar(u','));
  auto de = [&](QString t) { return t.replace(u',', sep); };
  EXPECT_EQ(aus.inzucht, QStringList{de(QStringLiteral("S  1.20.S : 1 : 1 = 0,12500"))});
  EXPECT_EQ(aus.prozent, de(QStringLiteral(" 0,12500 = 12,50 %")));
  EXPECT_EQ(aus.ahnenverlust,
            (QStringList{QString(), m(44) + QStringLiteral(" 14"), m(93) + QStringLiteral(" 10"),
                         m(45) + QStringLiteral(" 7"), QString(), m(46) + QStringLiteral(" 3"),
                         m(47) + de(QStringLiteral(" 21,00"))}));
  EXPECT_EQ(aus.stammbaumkomplett, m(43));
  // D1's and D2's parents are missing: depth of the child, message 39, its tattoos.
  EXPECT_EQ(aus.info, (QStringList{QStringLiteral("3 ") + m(39) + QStringLiteral("D1  1.20.D1 ") + m(40),
                                   QStringLiteral("3 ") + m(39) + QStringLiteral("D1  1.20.D1 ") + m(41),
                                   QStringLiteral("3 ") + m(39) + QStringLiteral("D2  1.20.D2 ") + m(40),
                                   QStringLiteral("3 ") + m(39) + QStringLiteral("D2  1.20.D2 ") + m(41)}));
  // Ancestor list: S, SS and SD twice each.
  ASSERT_EQ(aus.vorfahren.size(), 7u);
  EXPECT_EQ(aus.vorfahren[0].nummer, f);
  EXPECT_EQ(aus.vorfahren[1].nummer, s);
  EXPECT_EQ(aus.vorfahren[1].anzahl, 2);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Vorfahrenliste.DB")), 7);
  EXPECT_EQ(dialogs.texts().last(), m(106));
  // Over all generations the same here: S is not inbred.
  EXPECT_EQ(aus.alleGenerationen.value(0),
            de(QStringLiteral("Inzuchtkoeffizient über alle bekannten Generationen: 12,50 %")));
  // Two generations: only the parents' places, both found.
  {
    InzuchtAusgabe zwei;
    ASSERT_TRUE(calc.berechne(eltern(calc, f, mo, 2), zwei, true));
    ASSERT_GE(zwei.ahnenverlust.size(), 3);
    EXPECT_EQ(zwei.ahnenverlust[1], m(44) + QStringLiteral(" 2"));
    EXPECT_EQ(zwei.ahnenverlust[2], m(93) + QStringLiteral(" 2"));
    EXPECT_EQ(zwei.stammbaumkomplett, m(42));
  }
  calc.dropWorkTable();
  EXPECT_FALSE(stock.engine.tableExists(QStringLiteral("Vorfahrenliste.DB")));
}

TEST_F(InbreedingStock, FatherTimesDaughterAndFirstCousinsFollowThePathRule) {
  const qint64 father = buck(QStringLiteral("V"));
  const qint64 daughter = doe(QStringLiteral("T"), father, doe(QStringLiteral("X")));
  InbreedingCalculation calc(stock.engine);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(eltern(calc, father, daughter), aus, true));
  EXPECT_DOUBLE_EQ(aus.koeffizient, 0.25);
  EXPECT_TRUE(aus.inzucht.value(0).endsWith(QStringLiteral(" : 0 : 1 = 0") + QLocale().decimalPoint() +
                                            QStringLiteral("25000")));

  // Cousins: the sire's father and the dam's father are full brothers.
  const qint64 gv = buck(QStringLiteral("GV")), gm = doe(QStringLiteral("GM"));
  const qint64 b1 = buck(QStringLiteral("B1"), gv, gm), b2 = buck(QStringLiteral("B2"), gv, gm);
  const qint64 sire = buck(QStringLiteral("C1"), b1, doe(QStringLiteral("X1")));
  const qint64 dam = doe(QStringLiteral("C2"), b2, doe(QStringLiteral("X2")));
  ASSERT_TRUE(calc.berechne(eltern(calc, sire, dam), aus, true));
  const QString sep = QLocale().decimalPoint();
  ASSERT_EQ(aus.inzucht.size(), 2);
  EXPECT_EQ(aus.inzucht[0], QStringLiteral("GV  1.20.GV : 2 : 2 = 0") + sep + QStringLiteral("03130"));
  EXPECT_EQ(aus.inzucht[1], QStringLiteral("GM  1.20.GM : 2 : 2 = 0") + sep + QStringLiteral("03130"));
  EXPECT_EQ(aus.prozent, QStringLiteral(" 0") + sep + QStringLiteral("06250 = 6") + sep + QStringLiteral("25 %"));
  // Three generations do not reach the great-grandparents.
  ASSERT_TRUE(calc.berechne(eltern(calc, sire, dam, 3), aus, true));
  EXPECT_EQ(aus.prozent, QStringLiteral(" 0%"));
  EXPECT_EQ(aus.inzucht, QStringList{m(48)});
}

TEST_F(InbreedingStock, RepeatsOnOneSideCountAsLossOnlyAndAnAnimalWithoutParentsIsIncomplete) {
  const qint64 a = buck(QStringLiteral("A"));
  const qint64 ad = doe(QStringLiteral("AD"), a, doe(QStringLiteral("Y")));
  const qint64 sire = buck(QStringLiteral("F"), a, ad);  // A twice on the father's side
  const qint64 dam = doe(QStringLiteral("M"), buck(QStringLiteral("Z")), doe(QStringLiteral("W")));
  const qint64 kind = doe(QStringLiteral("K"), sire, dam);
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein;
  ASSERT_TRUE(calc.waehleKaninchen(kind, ein));
  EXPECT_EQ(ein.vater.nummer, sire);
  EXPECT_EQ(ein.mutter.nummer, dam);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  EXPECT_EQ(aus.prozent, QStringLiteral(" 0%"));
  EXPECT_EQ(aus.inzucht, QStringList{m(48)});
  EXPECT_EQ(aus.ahnenverlust.value(5), m(46) + QStringLiteral(" 1"));
  // Over all generations the sire's own inbreeding does not reach a non-inbred mating either,
  // but the sire himself is inbred.
  EXPECT_DOUBLE_EQ(calc.stock().inbreedingOf(sire), 0.25);
  EXPECT_DOUBLE_EQ(calc.stock().inbreedingOf(kind), 0.0);

  const qint64 alone = doe(QStringLiteral("O"));
  ASSERT_TRUE(calc.waehleKaninchen(alone, ein));
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  EXPECT_EQ(aus.stammbaumkomplett, m(43));
  EXPECT_EQ(aus.info, (QStringList{QStringLiteral("1 ") + m(39) + QStringLiteral("O  1.20.O ") + m(40),
                                   QStringLiteral("1 ") + m(39) + QStringLiteral("O  1.20.O ") + m(41)}));
  EXPECT_EQ(aus.prozent, QStringLiteral(" 0%"));

  // Nothing chosen: message 83.
  dialogs.clear();
  EXPECT_FALSE(calc.berechne(InzuchtEingabe{}, aus));
  EXPECT_EQ(dialogs.texts(), QStringList{m(83)});
}

TEST_F(InbreedingStock, CommonAncestorsOwnInbreedingCountsOnlyOverAllGenerations) {
  const qint64 p1 = buck(QStringLiteral("P1")), p2 = doe(QStringLiteral("P2"));
  const qint64 s = buck(QStringLiteral("S"), buck(QStringLiteral("B"), p1, p2), doe(QStringLiteral("C"), p1, p2));
  const qint64 f = buck(QStringLiteral("F"), s, doe(QStringLiteral("D1")));
  const qint64 mo = doe(QStringLiteral("M"), s, doe(QStringLiteral("D2")));
  InbreedingCalculation calc(stock.engine);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(eltern(calc, f, mo), aus, true));
  EXPECT_DOUBLE_EQ(aus.koeffizient, 0.125);
  EXPECT_DOUBLE_EQ(calc.stock().matingInbreeding(f, mo), 0.125 * 1.25);
  // A new record changes the stock: the next calculation reads Hasen again.
  const qint64 kind = doe(QStringLiteral("K"), f, mo);
  InzuchtEingabe ein;
  ASSERT_TRUE(calc.waehleKaninchen(kind, ein));
  const QStringList lines = calc.alleGenerationen(ein);
  EXPECT_TRUE(lines.value(0).endsWith(QStringLiteral("15") + QLocale().decimalPoint() + QStringLiteral("63 %")) ||
              lines.value(0).endsWith(QStringLiteral("15") + QLocale().decimalPoint() + QStringLiteral("62 %")))
      << lines.value(0).toStdString();
}

TEST_F(InbreedingStock, LoopsInTheStockAreReportedOnceWithTattoos) {
  const qint64 a = buck(QStringLiteral("LA"));
  const qint64 b = doe(QStringLiteral("LB"), a);
  // A recorded as a son of his own daughter.
  stock.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Vater = :v WHERE Nummer = :n"),
                       {{QStringLiteral("v"), b}, {QStringLiteral("n"), a}});
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein;
  ASSERT_TRUE(calc.waehleKaninchen(b, ein));
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  int reports = 0;
  for (const QString& t : dialogs.texts())
    if (t.contains(QStringLiteral("Schleife"))) {
      ++reports;
      EXPECT_TRUE(t.contains(QStringLiteral("LA  1.20.LA")));
      EXPECT_TRUE(t.contains(QStringLiteral("LB  1.20.LB")));
    }
  EXPECT_EQ(reports, 1);
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  reports = 0;
  for (const QString& t : dialogs.texts()) reports += t.contains(QStringLiteral("Schleife"));
  EXPECT_EQ(reports, 1);
}

TEST_F(InbreedingStock, FormulaTabAndDerivedFormulaOfTheChosenAnimal) {
  const qint64 v = buck(QStringLiteral("V"), 0, 0, QStringLiteral("A"));
  const qint64 mo = doe(QStringLiteral("M"), 0, 0, QStringLiteral("CD"));
  const qint64 k = doe(QStringLiteral("K"), v, mo);
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein;
  ASSERT_TRUE(calc.waehleKaninchen(k, ein));
  EXPECT_EQ(ein.kaninchen.erbformel, QStringLiteral("2ACD"));
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen"), k, QStringLiteral("Erbformel")).toString(), QStringLiteral("2ACD"));
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  const QStringList expected = {
      QStringLiteral("Vater             V  1.20.V"),
      QStringLiteral("                      Erbformel                    A"),
      QStringLiteral("Mutter           M  1.20.M"),
      QStringLiteral("                      Erbformel                    CD"),
      QStringLiteral("_____________________________________________"),
      QStringLiteral("Nachzucht   Erbformel                    2ACD"),
      QStringLiteral(" "),
      QStringLiteral("Buchstabenliste"),
      QStringLiteral(" "),
      QStringLiteral("2 A :  V 1.20.V - "),
      QStringLiteral("1 C : nicht vorhanden"),
      QStringLiteral("1 D : nicht vorhanden")};
  EXPECT_EQ(aus.erbformel, expected);

  // Only one parent with a formula: nothing is derived or stored, whichever parent it is.
  for (const auto& [sire, dam] : {std::pair{buck(QStringLiteral("V2")), mo}, std::pair{v, doe(QStringLiteral("M2"))}}) {
    const qint64 half = doe(QStringLiteral("H%1").arg(sire), sire, dam);
    dialogs.clear();
    ASSERT_TRUE(calc.waehleKaninchen(half, ein));
    EXPECT_TRUE(ein.kaninchen.erbformel.isEmpty());
    EXPECT_TRUE(stock.stored(QStringLiteral("Hasen"), half, QStringLiteral("Erbformel")).toString().isEmpty());
    EXPECT_TRUE(dialogs.texts().isEmpty());
  }

  // Formulas that cannot be combined leave the animal's formula empty with message 108.
  const qint64 bad = doe(QStringLiteral("B"), v, doe(QStringLiteral("N"), 0, 0, QStringLiteral("ABC")));
  dialogs.clear();
  ASSERT_TRUE(calc.waehleKaninchen(bad, ein));
  EXPECT_EQ(dialogs.texts(), QStringList{m(108)});
  EXPECT_TRUE(ein.kaninchen.erbformel.isEmpty());
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  EXPECT_EQ(aus.erbformel.last(), QStringLiteral("      Erbformeln fehlerhaft!!!!!!!!"));
}

TEST_F(InbreedingStock, SavedCalculationsRoundTripAndOverwriteOnlyAfterYes) {
  const qint64 v = buck(QStringLiteral("V")), mo = doe(QStringLiteral("M"), v);
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein = eltern(calc, v, mo);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  aus.vorfahren[0].farbe = 7;
  ASSERT_TRUE(calc.speichere(QStringLiteral("V_M"), ein, aus));
  EXPECT_EQ(dialogs.texts().last(), m(87));

  dialogs.no();
  EXPECT_FALSE(calc.speichere(QStringLiteral("V_M"), ein, aus));
  dialogs.yes();
  ASSERT_TRUE(calc.speichere(QStringLiteral("V_M"), ein, aus));
  EXPECT_TRUE(dialogs.allAnswersUsed());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Inzuchtgrad")), 1);
  EXPECT_EQ(stock.rowCount(QStringLiteral("InzuchtgradVorf")), qint64(aus.vorfahren.size()));
  ein.generation = 3;
  ASSERT_TRUE(calc.speichere(QStringLiteral("V_M"), ein, aus));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Inzuchtgrad")), 2);

  const auto list = calc.gespeicherte();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].generation, 3);
  EXPECT_EQ(list[1].generation, 4);
  InzuchtEingabe geladen;
  InzuchtAusgabe geladenAus;
  ASSERT_TRUE(calc.lade(list[1].laufendeNummer, geladen, geladenAus));
  EXPECT_EQ(geladen.art, Berechnungsart::Eltern);
  EXPECT_EQ(geladen.vater, ein.vater);
  EXPECT_EQ(geladen.mutter, ein.mutter);
  EXPECT_EQ(geladen.generation, 4);
  EXPECT_EQ(geladenAus.inzucht, aus.inzucht);
  EXPECT_EQ(geladenAus.prozent, aus.prozent);
  EXPECT_EQ(geladenAus.ahnenverlust, aus.ahnenverlust);
  EXPECT_EQ(geladenAus.info, aus.info);
  EXPECT_EQ(geladenAus.erbformel, aus.erbformel);
  EXPECT_EQ(geladenAus.stammbaumkomplett, aus.stammbaumkomplett);
  ASSERT_EQ(geladenAus.vorfahren.size(), aus.vorfahren.size());
  EXPECT_EQ(geladenAus.vorfahren[0].farbe.toInt(), 7);
  EXPECT_EQ(geladenAus.vorfahren[0].name, aus.vorfahren[0].name);
}

TEST_F(InbreedingStock, ADeletedParentIsOneFounderForTheWindowThePlannerAndTheStockAlike) {
  // X sired doe A and bucks B and G; G sired H. X's record is then deleted.
  const qint64 x = buck(QStringLiteral("X"));
  const qint64 a = doe(QStringLiteral("A"), x), b = buck(QStringLiteral("B"), x), g = buck(QStringLiteral("G"), x);
  const qint64 h = buck(QStringLiteral("H"), g);
  const qint64 c = doe(QStringLiteral("C"), b, a);
  {
    engine::Cursor hasen(stock.engine, QStringLiteral("Delete"));
    hasen.setTableName(QStringLiteral("Hasen.DB"));
    hasen.open();
    ASSERT_TRUE(hasen.findKey({x}));
    hasen.deleteRecord();
  }
  const QString zwoelfEinhalb = QStringLiteral("Inzuchtkoeffizient über alle bekannten Generationen: 12") +
                                QLocale().decimalPoint() + QStringLiteral("50 %");

  // The window, for the animal and for its parents.
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein;
  ASSERT_TRUE(calc.waehleKaninchen(c, ein));
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  EXPECT_DOUBLE_EQ(aus.koeffizient, 0.125);
  EXPECT_EQ(aus.alleGenerationen.value(0), zwoelfEinhalb);
  ASSERT_TRUE(calc.berechne(eltern(calc, b, a), aus, true));
  EXPECT_DOUBLE_EQ(aus.koeffizient, 0.125);
  EXPECT_EQ(aus.alleGenerationen.value(0), zwoelfEinhalb);

  // The stock's coefficients.
  EXPECT_DOUBLE_EQ(calc.stock().inbreedingOf(c), 0.125);
  EXPECT_DOUBLE_EQ(calc.stock().matingInbreeding(h, a), 0.0625);
  EXPECT_EQ(calc.stock().pedigree().founderParents, std::vector<qint64>{x});
  EXPECT_DOUBLE_EQ(calc.stock().generationsOf(c), 1.5);

  // The planner: over all generations and over four by the path rule.
  MatingPlanner planner(stock.engine);
  const auto pairs = planner.rate({*planner.tier(b), *planner.tier(h)}, {*planner.tier(a)});
  ASSERT_TRUE(pairs);
  ASSERT_EQ(pairs->size(), 2u);
  EXPECT_DOUBLE_EQ((*pairs)[0].fAlle, 0.125);
  EXPECT_DOUBLE_EQ((*pairs)[0].f4, 0.125);
  EXPECT_DOUBLE_EQ((*pairs)[1].fAlle, 0.0625);
  EXPECT_DOUBLE_EQ((*pairs)[1].f4, 0.0625);
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'\n').toStdString();
}

// ---------------------------------------------------------------- choices, texts and tabs

TEST_F(InbreedingStock, ParentsAreNeededInPairsUnlessAnAnimalIsChosen) {
  const qint64 v = buck(QStringLiteral("V")), mo = doe(QStringLiteral("M"));
  const qint64 k = doe(QStringLiteral("K"));
  InbreedingCalculation calc(stock.engine);
  InzuchtAusgabe aus;
  for (const auto& [sire, dam] : {std::pair{v, qint64(0)}, std::pair{qint64(0), mo}}) {
    InzuchtEingabe ein;
    ein.art = Berechnungsart::Eltern;
    if (sire) ein.vater = *calc.tier(sire);
    if (dam) ein.mutter = *calc.tier(dam);
    dialogs.clear();
    EXPECT_FALSE(calc.berechne(ein, aus, true)) << sire << " x " << dam;
    EXPECT_EQ(dialogs.texts(), QStringList{m(83)});
  }
  // An animal on its own is calculated; its parents are missing.
  InzuchtEingabe ein;
  ein.kaninchen = *calc.tier(k);
  dialogs.clear();
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  EXPECT_EQ(aus.stammbaumkomplett, m(43));
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
  // An animal not in the stock has neither record nor parents.
  EXPECT_FALSE(calc.tier(k + 100).has_value());
  EXPECT_EQ(calc.eltern(k + 100), (std::pair<qint64, qint64>{0, 0}));
  EXPECT_FALSE(calc.tier(0).has_value());
}

TEST_F(InbreedingStock, CoefficientWithFourSignificantDigitsAsFractionAndPercent) {
  EXPECT_EQ(koeffizientText(0.1234567, true), QStringLiteral(" 0,12350 = 12,35 %"));
  EXPECT_EQ(koeffizientText(0.0123456, true), QStringLiteral(" 0,01235 = 1,24 %"));
  EXPECT_EQ(koeffizientText(0.25, false), QStringLiteral(" 0%"));
}

TEST_F(InbreedingStock, TheFormulaTabNamesBreedersAndFeaturesAndWhichFormulaIsMissing) {
  const qint64 anna = stock.add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), QStringLiteral("Böhm")},
                                                               {QStringLiteral("Vorname"), QStringLiteral("Anna")}});
  const qint64 krause = stock.add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), QStringLiteral("Krause")}});
  const qint64 v = buck(QStringLiteral("V"), 0, 0, QStringLiteral("A"));
  const qint64 mo = doe(QStringLiteral("M"), 0, 0, QStringLiteral("C"));
  stock.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Zuechter = :z, Anomalien = :a WHERE Nummer = :n"),
                       {{QStringLiteral("z"), anna}, {QStringLiteral("a"), QStringLiteral("Spreizer\r\nSchiefzahn")},
                        {QStringLiteral("n"), v}});
  stock.engine.execute(QStringLiteral("UPDATE \"Hasen.db\" SET Zuechter = :z WHERE Nummer = :n"),
                       {{QStringLiteral("z"), krause}, {QStringLiteral("n"), mo}});
  InbreedingCalculation calc(stock.engine);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(eltern(calc, v, mo), aus, true));
  ASSERT_EQ(aus.vorfahren.size(), 2u);
  EXPECT_EQ(aus.vorfahren[0].zuechter, QStringLiteral("Anna Böhm"));
  EXPECT_EQ(aus.vorfahren[0].anzahl, 1);
  EXPECT_EQ(aus.vorfahren[0].erbformel, QStringLiteral("A"));
  EXPECT_EQ(aus.vorfahren[1].zuechter, QStringLiteral("Krause"));
  const QStringList tail = aus.erbformel.mid(5);
  EXPECT_EQ(tail, (QStringList{QStringLiteral("Nachzucht   Erbformel                    AC"), QStringLiteral(" "),
                               QStringLiteral("Buchstabenliste"), QStringLiteral(" "),
                               QStringLiteral("1 A :  V 1.20.V - Anna Böhm"), QStringLiteral("       Anomalien/Merkmale"),
                               QStringLiteral("        Spreizer"), QStringLiteral("        Schiefzahn"),
                               QStringLiteral("1 C :  M 1.20.M - Krause")}))
      << tail.join(u'\n').toStdString();

  // Which formula is missing is said for each parent.
  const qint64 plainV = buck(QStringLiteral("PV")), plainM = doe(QStringLiteral("PM"));
  const QString formelZeile = QStringLiteral("                      Erbformel                    ");
  struct Case {
    qint64 sire, dam;
    QStringList lines;
  };
  for (const Case& c :
       {Case{plainV, mo, {QStringLiteral(" Vater Erbformel fehlt! "), QStringLiteral("Mutter Erbformel  C")}},
        Case{plainV, plainM, {QStringLiteral(" Vater Erbformel fehlt! "), QStringLiteral("Mutter Erbformel fehlt! ")}},
        Case{v, plainM,
             {QStringLiteral("Vater             V  1.20.V"), formelZeile + QStringLiteral("A"),
              QStringLiteral("  Mutter Erbformel fehlt! ")}}}) {
    ASSERT_TRUE(calc.berechne(eltern(calc, c.sire, c.dam), aus, true));
    EXPECT_EQ(aus.erbformel, c.lines) << aus.erbformel.join(u'\n').toStdString();
  }
}

TEST_F(InbreedingStock, AllGenerationsFollowTheChosenKindOfCalculation) {
  const qint64 a = buck(QStringLiteral("A")), b = doe(QStringLiteral("B"));
  const qint64 s = buck(QStringLiteral("S"), a, b);
  const qint64 t = doe(QStringLiteral("T"), s, b);  // F = 1/4
  const qint64 x = buck(QStringLiteral("X")), y = doe(QStringLiteral("Y"));
  InbreedingCalculation calc(stock.engine);
  const QString sep = QLocale().decimalPoint();
  auto lines = [&](Berechnungsart art) {
    InzuchtEingabe ein;
    ein.art = art;
    ein.kaninchen = *calc.tier(t);
    ein.vater = *calc.tier(s);
    ein.mutter = *calc.tier(y);
    return calc.alleGenerationen(ein);
  };
  // The animal: its own F and generations (S: 1, B: 0 -> (2 + 1) / 2).
  EXPECT_EQ(lines(Berechnungsart::Kaninchen),
            (QStringList{QStringLiteral("Inzuchtkoeffizient über alle bekannten Generationen: 25") + sep + QStringLiteral("00 %"),
                         QStringLiteral("Vollständige Generationen (Äquivalent): 1") + sep + QStringLiteral("50")}));
  // The parents: S x Y are unrelated; S has one complete generation, Y none.
  EXPECT_EQ(lines(Berechnungsart::Eltern),
            (QStringList{QStringLiteral("Inzuchtkoeffizient über alle bekannten Generationen: 0") + sep + QStringLiteral("00 %"),
                         QStringLiteral("Vollständige Generationen (Äquivalent): 1") + sep + QStringLiteral("50")}));
  InzuchtEingabe founders;
  founders.art = Berechnungsart::Eltern;
  founders.vater = *calc.tier(x);
  founders.mutter = *calc.tier(y);
  EXPECT_EQ(calc.alleGenerationen(founders).value(1),
            QStringLiteral("Vollständige Generationen (Äquivalent): 1") + sep + QStringLiteral("00"));
  // The first animal of the stock is an animal like any other: founder A itself, not a mating.
  ASSERT_EQ(a, 1);
  InzuchtEingabe first;
  first.kaninchen = *calc.tier(a);
  first.vater = *calc.tier(s);
  first.mutter = *calc.tier(b);
  EXPECT_EQ(calc.alleGenerationen(first),
            (QStringList{QStringLiteral("Inzuchtkoeffizient über alle bekannten Generationen: 0") + sep + QStringLiteral("00 %"),
                         QStringLiteral("Vollständige Generationen (Äquivalent): 0") + sep + QStringLiteral("00")}));
}

TEST_F(InbreedingStock, ACalculationForAnAnimalIsSavedAndLoadedAsOne) {
  const qint64 v = buck(QStringLiteral("V")), mo = doe(QStringLiteral("M"), v);
  const qint64 k = doe(QStringLiteral("K"), v, mo);
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein;
  ASSERT_TRUE(calc.waehleKaninchen(k, ein));
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  ASSERT_TRUE(calc.speichere(QStringLiteral("K"), ein, aus));
  dialogs.clear();
  dialogs.no();
  EXPECT_FALSE(calc.speichere(QStringLiteral("K"), ein, aus));
  EXPECT_EQ(dialogs.texts(), QStringList{m(85)});
  const auto list = calc.gespeicherte();
  ASSERT_EQ(list.size(), 1u);
  InzuchtEingabe geladen;
  InzuchtAusgabe geladenAus;
  ASSERT_TRUE(calc.lade(list[0].laufendeNummer, geladen, geladenAus));
  EXPECT_EQ(geladen.art, Berechnungsart::Kaninchen);
  EXPECT_EQ(geladen.kaninchen.nummer, k);
  EXPECT_EQ(geladen.vater.nummer, v);
  EXPECT_EQ(geladenAus.alleGenerationen, aus.alleGenerationen);
  EXPECT_FALSE(calc.lade(list[0].laufendeNummer + 1, geladen, geladenAus));
}

TEST_F(InbreedingStock, AnAnimalsOwnFormulaIsKeptAndOneGenerationHasNoAncestorPlaces) {
  const qint64 v = buck(QStringLiteral("V"), 0, 0, QStringLiteral("A"));
  const qint64 mo = doe(QStringLiteral("M"), 0, 0, QStringLiteral("CD"));
  const qint64 k = doe(QStringLiteral("K"), v, mo, QStringLiteral("B"));
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein;
  ASSERT_TRUE(calc.waehleKaninchen(k, ein));
  EXPECT_EQ(ein.kaninchen.erbformel, QStringLiteral("B"));
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen"), k, QStringLiteral("Erbformel")).toString(), QStringLiteral("B"));
  ein.generation = 1;
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  EXPECT_TRUE(aus.vorfahren.empty());
  EXPECT_EQ(aus.ahnenverlust.value(1), m(44) + QStringLiteral(" 0"));
  EXPECT_EQ(aus.ahnenverlust.value(6), m(47) + QStringLiteral(" 0") + QLocale().decimalPoint() + QStringLiteral("00"));
}

TEST_F(InbreedingStock, AnAncestorListThatCannotBeWrittenIsReportedAndTheResultStands) {
  const qint64 v = buck(QStringLiteral("V")), mo = doe(QStringLiteral("M"), v);
  {
    QFile broken(stock.dir.file(QString::fromUtf16(kVorfahrenliste)));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("no table at all, just text that is long enough to be read as a header");
  }
  InbreedingCalculation calc(stock.engine);
  InzuchtEingabe ein = eltern(calc, v, mo);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(ein, aus, true));
  EXPECT_TRUE(aus.berechnet);
  EXPECT_EQ(dialogs.texts(), QStringList{m(11) + QStringLiteral(" Vorfahrenliste.DB")});
  ASSERT_TRUE(calc.speichere(QStringLiteral("V_M"), ein, aus));
  dialogs.clear();
  InzuchtAusgabe geladen;
  ASSERT_TRUE(calc.lade(calc.gespeicherte().at(0).laufendeNummer, ein, geladen));
  EXPECT_EQ(dialogs.texts(), QStringList{m(11) + QStringLiteral(" Vorfahrenliste.DB")});
  EXPECT_EQ(geladen.vorfahren.size(), aus.vorfahren.size());
}

TEST_F(InbreedingStock, TheAncestorListStaysWhileAWindowShowsIt) {
  const qint64 v = buck(QStringLiteral("V")), mo = doe(QStringLiteral("M"), v);
  InbreedingCalculation calc(stock.engine);
  InzuchtAusgabe aus;
  ASSERT_TRUE(calc.berechne(eltern(calc, v, mo), aus, true));
  {
    engine::Cursor shown(stock.engine, QStringLiteral("Shown"));
    shown.setTableName(QString::fromUtf16(kVorfahrenliste));
    shown.open();
    calc.dropWorkTable();
    EXPECT_TRUE(stock.engine.tableExists(QString::fromUtf16(kVorfahrenliste)));
  }
  calc.dropWorkTable();
  EXPECT_FALSE(stock.engine.tableExists(QString::fromUtf16(kVorfahrenliste)));
  calc.dropWorkTable();  // nothing left to delete
}

// Buck judging: the breeding year, the score cells, the Körnote items and, on a real data
// directory, the buck's best show row, the young's scores, the choice of the two litters and
// saving and clearing the Körung record with the buck's Körnote.
#include "breeding/koerung.h"
#include "breeding/litter_book.h"
#include "breeding/wool_performance.h"

#include "engine/cursor.h"
#include "engine/query.h"
#include "shell/system_info.h"
#include "shows/show_score.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace lapiro::breeding {
namespace {

using lapiro::test::ScriptedDialogs;
using lapiro::test::StockDirectory;

using core::Points;

QString s(const char16_t* t) { return QString::fromUtf16(t); }
Points pt(double v) { return Points::fromDouble(v); }

std::vector<LitterYoung> young(std::initializer_list<double> totals) {
  std::vector<LitterYoung> v;
  int i = 0;
  for (double t : totals) v.push_back({QStringLiteral("J%1").arg(++i), pt(t)});
  return v;
}

// ---------------------------------------------------------------- pure rules

TEST(KoerungRules, BreedingYearRunsFromFirstNovember) {
  EXPECT_EQ(breedingYearStart(QDate(2024, 10, 15)), QDate(2023, 11, 1));
  EXPECT_EQ(breedingYearStart(QDate(2024, 10, 31)), QDate(2023, 11, 1));
  EXPECT_EQ(breedingYearStart(QDate(2024, 11, 1)), QDate(2024, 11, 1));
  EXPECT_EQ(breedingYearStart(QDate(2024, 11, 10)), QDate(2024, 11, 1));
  EXPECT_EQ(breedingYearStart(QDate(2025, 1, 3)), QDate(2024, 11, 1));
  const QString f = breedingYearFilter(7, QDate(2024, 10, 15));
  EXPECT_TRUE(f.startsWith(s(u"(Kater = 7) and(Wurftag >= '01.11.2023')and(Wurftag <= '15.10.2024')and"))) << f.toStdString();
}

TEST(KoerungRules, ScoreCellsTakeACommaAndRespectEachPositionsLimit) {
  QString error;
  EXPECT_EQ(parseScore(s(u"9,5"), 0, &error), pt(9.5));
  EXPECT_TRUE(error.isEmpty());
  EXPECT_FALSE(parseScore(QString(), 0, &error).has_value());
  EXPECT_TRUE(error.isEmpty());
  for (const QString& bad : {s(u"9.5"), s(u"9,5,5"), s(u"x"), s(u"-1"), s(u",")}) {
    error.clear();
    EXPECT_FALSE(parseScore(bad, 1, &error).has_value()) << bad.toStdString();
    EXPECT_FALSE(error.isEmpty()) << bad.toStdString();
  }
  error.clear();
  EXPECT_FALSE(parseScore(s(u"16"), 2, &error).has_value());
  EXPECT_TRUE(error.contains(s(u"Position 3")) && error.contains(s(u"15"))) << error.toStdString();
  EXPECT_EQ(parseScore(s(u"15"), 6, &error), Points::whole(15));
  error.clear();
  parseScore(s(u"9.5"), 0, &error);
  EXPECT_EQ(error, s(u"Bitte Komma als Dezimalzeichen verwenden: 9,5"));
  EXPECT_FALSE(parseScore(s(u"15,5"), 6, &error).has_value());
  // Each position takes its maximum and refuses a hundredth more; positions 4 to 6 are only
  // bounded by their shared group.
  const int maxima[7] = {20, 20, 15, 40, 40, 40, 15};
  for (int p = 0; p < 7; ++p) {
    const QString top = QString::number(maxima[p]);
    EXPECT_EQ(parseScore(top, p, &error), Points::whole(maxima[p])) << p;
    EXPECT_FALSE(parseScore(top + s(u",01"), p, &error).has_value()) << p;
  }
  EXPECT_TRUE(acceptsScoreKey(u'7') && acceptsScoreKey(u',') && acceptsScoreKey(u'\b'));
  EXPECT_FALSE(acceptsScoreKey(u'.') || acceptsScoreKey(u'a'));
}

TEST(KoerungRules, RowFiguresFlagBadCellsAndTheSharedGroup) {
  ScoreRow row{1, s(u"A 1"), s(u"1.0"), {s(u"19"), s(u"18,5"), s(u"14"), s(u"14"), s(u"14"), s(u"9,5"), s(u"5")}};
  RowFigures f = rowFigures(row);
  EXPECT_TRUE(f.error.isEmpty());
  EXPECT_EQ(f.total, Points::whole(94));
  EXPECT_EQ(f.totalText, s(u"94"));
  EXPECT_EQ(f.grade, s(u"sehr gut"));
  EXPECT_EQ(f.missing, s(u"1,5/2,5/1"));  // live order: body / positions 4 to 6 / fur

  row.cells = {s(u"19"), QString(), QString(), QString(), QString(), QString(), QString()};
  f = rowFigures(row);
  EXPECT_EQ(f.missing, s(u"20/40/15"));
  EXPECT_EQ(f.grade, s(u"nicht befriedigend"));

  row.cells = {s(u"19"), s(u"19"), s(u"14"), s(u"15"), s(u"15"), s(u"15"), s(u"5")};
  f = rowFigures(row);
  EXPECT_TRUE(f.error.contains(s(u"Positionen 4 bis 6"))) << f.error.toStdString();

  row.cells = {s(u"20"), s(u"20"), s(u"15"), s(u"14"), s(u"14"), s(u"10"), s(u"10")};
  EXPECT_TRUE(rowFigures(row).error.contains(s(u"100"))) << rowFigures(row).error.toStdString();

  row.cells = {s(u"19"), s(u"1x"), {}, {}, {}, {}, {}};
  f = rowFigures(row);
  EXPECT_TRUE(f.error.contains(s(u"A 1")) && f.error.contains(s(u"Position 2"))) << f.error.toStdString();

  EXPECT_TRUE(rowFigures(ScoreRow{}).totalText.isEmpty());
}

TEST(KoerungRules, LiveMissingPointsPutTheGroupSecondAndTotalsLandOnThresholds) {
  ScoreRow row{1, s(u"A 1"), s(u"1.0"), {s(u"9"), s(u"19"), s(u"14"), s(u"15"), s(u"14"), s(u"9"), s(u"5")}};
  EXPECT_EQ(rowFigures(row).missing, s(u"1/2/1"));
  // The stored row of the same scores keeps body / fur / positions 4 to 6.
  shows::ShowPoints stored;
  stored.titel = koerungTitle();
  for (size_t i = 0; i < 7; ++i) stored.positions[i] = *parseScore(row.cells[i], int(i), nullptr);
  EXPECT_EQ(shows::missingPoints(stored), s(u"1/1/2"));

  // Tenths summing exactly to 92 and 96: "gut" and "hervorragend", never the grade below.
  row.cells = {s(u"18"), s(u"18,1"), s(u"14,5"), s(u"19,5"), s(u"13"), s(u"4,6"), s(u"4,3")};
  RowFigures f = rowFigures(row);
  EXPECT_EQ(f.totalText, s(u"92"));
  EXPECT_EQ(f.grade, s(u"gut"));
  EXPECT_EQ(f.missing, s(u"1,9/2,9/0,5"));
  row.cells = {s(u"19,8"), s(u"19"), s(u"14,9"), s(u"20"), s(u"13,3"), s(u"4,5"), s(u"4,5")};
  f = rowFigures(row);
  EXPECT_EQ(f.total, Points::whole(96));
  EXPECT_EQ(f.grade, s(u"hervorragend"));
  row.cells = {s(u"9,5"), s(u"19,2"), s(u"14,5"), s(u"18"), s(u"13"), s(u"9"), s(u"4,5")};
  EXPECT_EQ(rowFigures(row).missing, s(u"0,8/0/0,5"));
}

TEST(KoerungRules, AncestryCountsStopWhereASideIsIncomplete) {
  std::array<bool, 15> p{};
  for (int k : {1, 3, 4, 7, 8, 9, 10, 2}) p[static_cast<size_t>(k)] = true;
  AncestorCounts c = countAncestors(p);
  EXPECT_EQ(c.vater, 7);
  EXPECT_EQ(c.mutter, 1);
  EXPECT_EQ(ancestryPoints(c), 4);

  // The father without his mother: his grandparents are not looked at.
  p = {};
  for (int k : {1, 3, 7, 8, 9, 10, 2, 5, 6, 11, 12, 13, 14}) p[static_cast<size_t>(k)] = true;
  c = countAncestors(p);
  EXPECT_EQ(c.vater, 2);
  EXPECT_EQ(c.mutter, 7);
  EXPECT_EQ(ancestryPoints(c), 4);

  p = {};
  for (int k : {2, 5, 6}) p[static_cast<size_t>(k)] = true;
  EXPECT_EQ(ancestryPoints(countAncestors(p)), 0);

  EXPECT_EQ(ancestryPoints({3, 4}), 6);
  EXPECT_EQ(ancestryPoints({6, 5}), 8);
  EXPECT_EQ(ancestryPoints({7, 7}), 10);
  // Each step's upper end, reached by the weaker side.
  EXPECT_EQ(ancestryPoints({1, 7}), 4);
  EXPECT_EQ(ancestryPoints({7, 2}), 4);
  EXPECT_EQ(ancestryPoints({4, 7}), 6);
  EXPECT_EQ(ancestryPoints({7, 6}), 8);
}

TEST(KoerungRules, PresentedYoungKeepTheBestFiveOfAtLeast89) {
  Presentation p = choosePresented(young({95, 93, 90, 96, 94, 88}));
  ASSERT_EQ(p.count(), 5);
  EXPECT_EQ(p.meanText(), s(u"93,60"));
  EXPECT_EQ(balancePoints(p), 6);
  EXPECT_EQ(p.scoresText(false), s(u"J1-95  /  J2-93  /  J3-90  /  J4-96  /  J5-94"));

  // A sixth young of 97 takes the slot of the lowest kept (90).
  p = choosePresented(young({95, 93, 90, 96, 94, 97}));
  EXPECT_EQ(p.scoresText(true), s(u"J1  95 / J2  93 / J6  97 / J4  96 / J5  94"));
  EXPECT_EQ(p.meanText(), s(u"95,00"));
  EXPECT_EQ(balancePoints(p), 10);

  // Unjudged young and totals below 89 are left out.
  p = choosePresented({{s(u"A"), std::nullopt}, {s(u"B"), pt(88.5)}, {s(u"C"), Points::whole(89)}});
  EXPECT_EQ(p.count(), 1);
  EXPECT_EQ(balancePoints(p), 0);
  p = choosePresented({});
  EXPECT_EQ(p.countText(), s(u"0"));
  EXPECT_EQ(p.scoresText(false), s(u"0"));
  EXPECT_TRUE(p.meanText().isEmpty());
}

TEST(KoerungRules, BalanceThresholdsAreInclusive) {
  Presentation four;
  four.kept = young({95.5, 95.5, 95.5, 95.5});
  EXPECT_EQ(balancePoints(four), 10);
  four.kept = young({95.49, 95.49, 95.49, 95.49});
  EXPECT_EQ(balancePoints(four), 8);
  Presentation three;
  three.kept = young({96, 96, 96});
  EXPECT_EQ(balancePoints(three), 10);
  three.kept = young({94, 94, 93.9});
  EXPECT_EQ(balancePoints(three), 0);
  Presentation five;
  five.kept = young({93, 93, 93, 93, 93});
  EXPECT_EQ(balancePoints(five), 6);
}

TEST(KoerungRules, BuckWhoseBestRowSumsToExactly96GetsTenPointsForItem4) {
  shows::ShowPoints best;
  best.titel = s(u"Landesschau");
  const double row[] = {19.8, 19, 14.9, 20, 13.3, 4.5, 4.5};
  for (size_t i = 0; i < 7; ++i) best.positions[i] = pt(row[i]);
  KoernoteInput in;
  in.buckBest = shows::showTotal(best);
  ASSERT_TRUE(in.buckBest);
  EXPECT_EQ(*in.buckBest, Points::whole(96));
  EXPECT_EQ(computeKoernote(in).punkte[3], 10);
  // Means of tenths: 95,5 for four young is 10 points, 95,4 is 8.
  Presentation four = choosePresented(young({95.1, 95.9, 95.3, 95.7}));
  EXPECT_EQ(four.meanText(), s(u"95,50"));
  EXPECT_EQ(balancePoints(four), 10);
  four = choosePresented(young({95.1, 95.9, 95.3, 95.3}));
  EXPECT_EQ(four.meanText(), s(u"95,40"));
  EXPECT_EQ(balancePoints(four), 8);
  Presentation three = choosePresented(young({93.1, 94.6, 94.3}));  // 282 / 3 = 94,00
  EXPECT_EQ(three.meanText(), s(u"94,00"));
  EXPECT_EQ(balancePoints(three), 6);
  Presentation five = choosePresented(young({94.1, 95.3, 95.2, 95.1, 95.3}));  // 475 / 5 = 95,00
  EXPECT_EQ(five.meanText(), s(u"95,00"));
  EXPECT_EQ(balancePoints(five), 10);
}

TEST(KoerungRules, BuckAndWoolPointsAndTheSum) {
  EXPECT_EQ(buckPoints(Points::whole(95)), 8);
  EXPECT_EQ(buckPoints(Points::whole(96)), 10);
  EXPECT_EQ(buckPoints(pt(95.9)), 8);
  EXPECT_EQ(buckPoints(Points::whole(94)), 8);
  EXPECT_EQ(buckPoints(pt(93.9)), 0);
  EXPECT_EQ(buckPoints(pt(93.5)), 0);
  EXPECT_EQ(buckPoints(std::nullopt), 0);
  EXPECT_FALSE(woolItemPoints(93).has_value());
  EXPECT_EQ(woolItemPoints(94), 4);
  EXPECT_EQ(woolItemPoints(96), 6);
  EXPECT_EQ(woolItemPoints(99), 8);
  EXPECT_EQ(woolItemPoints(104), 10);
  // Each step starts at its threshold, just below it the step beneath counts.
  EXPECT_FALSE(woolItemPoints(93.9).has_value());
  EXPECT_EQ(woolItemPoints(95.9), 4);
  EXPECT_EQ(woolItemPoints(97.9), 6);
  EXPECT_EQ(woolItemPoints(98), 8);
  EXPECT_EQ(woolItemPoints(99.9), 8);
  EXPECT_EQ(woolItemPoints(100), 10);

  KoernoteInput in;
  for (int k = 1; k <= 14; ++k) in.ancestors[static_cast<size_t>(k)] = true;
  in.litter1 = young({96, 96, 96});
  in.buckBest = Points::whole(95);
  in.langhaar = true;
  in.woolLeistungspunkte = 96;
  KoernoteResult r = computeKoernote(in);
  EXPECT_EQ(r.punkte[0], 10);
  EXPECT_EQ(r.punkte[1], 10);
  EXPECT_EQ(r.punkte[2], 0);  // no second litter chosen
  EXPECT_EQ(r.punkte[3], 8);
  EXPECT_EQ(r.punkte[4], 6);
  EXPECT_EQ(r.koernote, 34);
  in.langhaar = false;
  EXPECT_EQ(computeKoernote(in).koernote, 28);
  in.langhaar = true;
  in.woolLeistungspunkte = 93;
  r = computeKoernote(in);
  EXPECT_FALSE(r.punkte[4].has_value());
  EXPECT_EQ(r.koernote, 28);
}

// ---------------------------------------------------------------- on a data directory

class KoerungTest : public ::testing::Test {
 protected:
  KoerungTest() : stock({28, 29, 111, 112}) {
    rasse = stock.add(s(u"Rasse"), {{s(u"Name"), s(u"Deutsche Riesen")}});
    buck = stock.animal(s(u"R1"), s(u"3.3.1"), {{s(u"Geschlecht"), s(u"1")}, {s(u"Rasse"), rasse}});
    settings.System.Speichern = true;
  }

  qint64 doe(const QString& tattoo) { return stock.animal(s(u"H"), tattoo, {{s(u"Geschlecht"), s(u"2")}}); }
  // A litter of `mother` by the buck; returns its LaufendeNummer.
  qint64 litter(qint64 mother, const QDate& day, int bucks, int does) {
    return stock.add(s(u"Wurfbuch.DB"), {{s(u"Katze"), mother},
                                         {s(u"Kater"), buck},
                                         {s(u"Decktermin"), day.addDays(-31)},
                                         {s(u"Wurftag"), day},
                                         {s(u"WurfStMaennlich"), bucks},
                                         {s(u"WurfStWeiblich"), does}});
  }
  // A young animal of `mother` born on `day`, judged with `total` spread over the positions.
  qint64 judgedYoung(qint64 mother, const QDate& day, const QString& tattoo, std::optional<double> total) {
    const qint64 y = stock.animal(s(u"ABCDEFGH"), tattoo, {{s(u"Mutter"), mother}, {s(u"Vater"), buck}, {s(u"Geburtstag"), day}});
    if (total)
      stock.add(s(u"Ausstellung"), {{s(u"Hase"), y},
                                    {s(u"Datum"), day.addDays(120)},
                                    {s(u"Titel"), koerungTitle()},
                                    {s(u"Gewicht1"), *total - 75.0},
                                    {s(u"Koerper2"), 20.0},
                                    {s(u"Fell3"), 15.0},
                                    {s(u"Kopf4"), 15.0},
                                    {s(u"Farbe5"), 15.0},
                                    {s(u"Unterfarbe6"), 5.0},
                                    {s(u"Pflege7"), 5.0},
                                    {s(u"EigeneBewertung"), *total}});
    return y;
  }
  qint64 show(const QDate& day, const QString& title, double total) {
    return stock.add(s(u"Ausstellung"),
                     {{s(u"Hase"), buck}, {s(u"Datum"), day}, {s(u"Titel"), title}, {s(u"Gewicht1"), total - 80.0},
                      {s(u"Koerper2"), 20.0}, {s(u"Fell3"), 15.0}, {s(u"Kopf4"), 15.0}, {s(u"Farbe5"), 15.0},
                      {s(u"Unterfarbe6"), 10.0}, {s(u"Pflege7"), 5.0}, {s(u"EigeneBewertung"), total}});
  }

  void open() {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    rules = attachLitterRules(*module, settings);
    module->setToday(QDate(2024, 10, 20));
    module->open();
    ASSERT_TRUE(module->gotoAnimal(buck));
    koerung = std::make_unique<TKoerung>(*module, settings);
  }

  QVariant stored(const char16_t* table, qint64 key, const char16_t* field) { return stock.stored(s(table), key, s(field)); }
  qint64 koernoteKey() {
    engine::Cursor& k = module->at(s(u"Koernote"));
    k.first();
    return k.isEmpty() ? 0 : k.field(s(u"Nummer")).asInteger();
  }

  StockDirectory stock;
  shell::tsysteminfo settings;
  std::unique_ptr<store::TDatenStamm> module;
  std::shared_ptr<TWurfbuch> rules;
  std::unique_ptr<TKoerung> koerung;
  qint64 rasse = 0, buck = 0;
};

TEST_F(KoerungTest, BreedingYearKeepsLittersWithThreeRearedYoungUpToTheJudgingDay) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const qint64 d2 = doe(s(u"1.23.2"));
  const qint64 d3 = doe(s(u"1.23.3"));
  litter(d1, QDate(2023, 11, 1), 0, 3);   // first day of the breeding year, no bucks
  litter(d2, QDate(2024, 3, 1), 1, 1);    // two reared: left out
  litter(d3, QDate(2023, 10, 31), 2, 2);  // the breeding year before
  litter(d3, QDate(2024, 10, 16), 2, 2);  // after the judging day
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  engine::Cursor& g = module->at(s(u"GedeckteHaesinnen"));
  ASSERT_EQ(g.recordCount(), 1);
  g.first();
  EXPECT_EQ(g.field(s(u"Katze")).asInteger(), d1);

  koerung->applyBreedingYear(QDate(2024, 11, 10));
  EXPECT_EQ(g.recordCount(), 0);
}

TEST_F(KoerungTest, BestShowRowIsKeptByItsKeyAndOwnJudgingsDoNotCount) {
  show(QDate(2024, 5, 1), s(u"Kreisschau"), 94.5);
  const qint64 winner = show(QDate(2024, 5, 1), s(u"Landesschau"), 95.0);  // same day, higher
  show(QDate(2024, 6, 1), shows::ownJudgingTitle(), 98.0);
  open();
  EXPECT_EQ(koerung->positionBestShowRow(), Points::whole(95));
  EXPECT_EQ(module->at(s(u"Ausstellung")).field(s(u"Nummer")).asInteger(), winner);
  EXPECT_EQ(koerung->compute(QDate(2024, 10, 15)).punkte[3], 8);
}

TEST_F(KoerungTest, OnlyOwnJudgingsGiveTheBuckNoPoints) {
  show(QDate(2024, 6, 1), shows::ownJudgingTitle(), 98.0);
  open();
  EXPECT_FALSE(koerung->positionBestShowRow().has_value());
  const KoernoteResult r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_EQ(r.punkte[3], 0);
  EXPECT_FALSE(r.buckBest.has_value());
}

TEST_F(KoerungTest, ComputesTheKoernoteFromTheChosenLittersAndSavesIt) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const qint64 d2 = doe(s(u"1.23.2"));
  const QDate day1(2024, 3, 1), day2(2024, 4, 1);
  const qint64 l1 = litter(d1, day1, 3, 3);
  const qint64 l2 = litter(d2, day2, 2, 2);
  int n = 0;
  for (double t : {95.0, 93.0, 90.0, 96.0, 94.0, 88.0}) judgedYoung(d1, day1, QStringLiteral("3.24.100%1").arg(++n), t);
  judgedYoung(d1, day1, s(u"3.24.99"), std::nullopt);
  for (double t : {96.0, 96.0, 96.0}) judgedYoung(d2, day2, QStringLiteral("4.24.%1").arg(++n), t);
  show(QDate(2024, 5, 1), s(u"Kreisschau"), 96.5);
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  ScriptedDialogs dialogs;
  ASSERT_TRUE(koerung->assignLitter(1, l1));
  ASSERT_TRUE(koerung->assignLitter(2, l2));
  // The same litter cannot stand in both panels.
  EXPECT_FALSE(koerung->assignLitter(1, l2));
  EXPECT_TRUE(dialogs.texts().last().contains(s(u"2. Häsin"))) << dialogs.texts().last().toStdString();

  const KoernoteResult r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_EQ(r.counts.vater, 0);
  EXPECT_EQ(r.punkte[0], 0);
  EXPECT_EQ(r.haesin1.count(), 5);
  EXPECT_EQ(r.haesin1.meanText(), s(u"93,60"));
  EXPECT_EQ(r.punkte[1], 6);
  EXPECT_EQ(r.haesin2.count(), 3);
  EXPECT_EQ(r.punkte[2], 10);
  EXPECT_EQ(r.punkte[3], 10);
  EXPECT_EQ(r.koernote, 26);

  ASSERT_TRUE(koerung->save(QDate(2024, 10, 15), r));
  const qint64 key = koernoteKey();
  EXPECT_EQ(stored(u"Hasen.db", buck, u"Körnote").toInt(), 26);
  EXPECT_EQ(stored(u"Koernote.db", key, u"Punkte2").toInt(), 6);
  EXPECT_EQ(stored(u"Koernote.db", key, u"Mittel1").toString(), s(u"93,60"));
  EXPECT_EQ(stored(u"Koernote.db", key, u"Vorgestellt2").toString(), s(u"3"));
  EXPECT_TRUE(stored(u"Koernote.db", key, u"Druck").toBool());
  // Five young with long tattoos need more than the 115 characters of the old field: the
  // full text is kept and read back.
  const KoerungRecord rec = koerung->record();
  EXPECT_EQ(rec.bewertung1, r.haesin1.scoresText(false));
  EXPECT_EQ(rec.bewertung1.count(s(u"-")), 5);
  const QString shortText = stored(u"Koernote.db", key, u"Bewertung1").toString();
  EXPECT_GT(rec.bewertung1.size(), kShortScoresSize);
  EXPECT_LE(shortText.size(), kShortScoresSize);
  EXPECT_TRUE(rec.bewertung1.startsWith(shortText + s(u"  /  "))) << shortText.toStdString();
}

TEST_F(KoerungTest, ASavedKoerungAsksBeforeItIsOverwrittenAndARefusalChangesNothing) {
  open();
  ScriptedDialogs dialogs;
  KoernoteResult r;
  r.punkte = {4, 0, 0, 8, std::nullopt};
  r.koernote = 12;
  ASSERT_TRUE(koerung->save(QDate(2024, 10, 15), r));
  const qint64 key = koernoteKey();

  r.punkte[0] = 10;
  r.koernote = 18;
  dialogs.no();  // message 111
  EXPECT_FALSE(koerung->save(QDate(2024, 10, 16), r));
  EXPECT_EQ(dialogs.texts().last(), StockDirectory::message(111));
  EXPECT_EQ(stored(u"Koernote.db", key, u"Punkte1").toInt(), 4);
  EXPECT_EQ(stored(u"Hasen.db", buck, u"Körnote").toInt(), 12);

  // The save question answered "Nein": neither the record nor the buck change.
  settings.System.Speichern = false;
  dialogs.yes().no();
  EXPECT_FALSE(koerung->save(QDate(2024, 10, 16), r));
  EXPECT_EQ(stored(u"Koernote.db", key, u"Punkte1").toInt(), 4);
  EXPECT_EQ(stored(u"Hasen.db", buck, u"Körnote").toInt(), 12);
  EXPECT_FALSE(module->Hasen().isEditing());

  dialogs.yes().yes();
  EXPECT_TRUE(koerung->save(QDate(2024, 10, 16), r));
  EXPECT_EQ(stored(u"Koernote.db", key, u"Punkte1").toInt(), 10);
  EXPECT_EQ(stored(u"Hasen.db", buck, u"Körnote").toInt(), 18);
  EXPECT_TRUE(dialogs.allAnswersUsed());

  // Clearing removes the mark and the values; the Körnote stays.
  dialogs.yes();
  ASSERT_TRUE(koerung->clear());
  EXPECT_FALSE(stored(u"Koernote.db", key, u"Druck").toBool());
  EXPECT_TRUE(stored(u"Koernote.db", key, u"Punkte1").isNull());
  EXPECT_EQ(stored(u"Hasen.db", buck, u"Körnote").toInt(), 18);
}

TEST_F(KoerungTest, ScoresAreSavedForTheFirstFourteenYoungAndBadCellsAreRefused) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const QDate day(2024, 3, 1);
  litter(d1, day, 8, 8);
  std::vector<qint64> ids;
  for (int i = 1; i <= 16; ++i) ids.push_back(judgedYoung(d1, day, QStringLiteral("3.24.%1").arg(i, 2, 10, QLatin1Char('0')), std::nullopt));
  const qint64 judged = ids[1];
  const qint64 oldRow = stock.add(s(u"Ausstellung"), {{s(u"Hase"), judged}, {s(u"Datum"), QDate(2024, 7, 1)},
                                                      {s(u"Titel"), koerungTitle()}, {s(u"Gewicht1"), 10.0},
                                                      {s(u"EigeneBewertung"), 10.0}});
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  module->at(s(u"GedeckteHaesinnen")).first();
  koerung->showYoungOfCurrentLitter();
  QDate evaluated;
  std::vector<ScoreRow> rows = koerung->scoreRows(&evaluated);
  ASSERT_EQ(rows.size(), 16u);
  const auto at = [&](qint64 id) {
    return std::find_if(rows.begin(), rows.end(), [&](const ScoreRow& r) { return r.nummer == id; }) - rows.begin();
  };
  EXPECT_EQ(rows[static_cast<size_t>(at(judged))].cells[0], s(u"10"));
  // Positions nobody judged are empty cells, not zeros.
  EXPECT_TRUE(rows[static_cast<size_t>(at(judged))].cells[1].isEmpty());
  EXPECT_TRUE(rows[static_cast<size_t>(at(ids[0]))].cells[0].isEmpty());

  ScriptedDialogs dialogs;
  for (ScoreRow& r : rows) r.cells = {s(u"19"), s(u"19"), s(u"14"), s(u"14"), s(u"14"), s(u"9,5"), s(u"5")};
  rows[3].cells[1] = s(u"2x");
  const qint64 before = stock.rowCount(s(u"Ausstellung.db"));
  EXPECT_FALSE(koerung->saveScores(rows, QDate(2024, 10, 1), false));
  EXPECT_EQ(stock.rowCount(s(u"Ausstellung.db")), before);
  EXPECT_TRUE(dialogs.texts().last().contains(rows[3].name)) << dialogs.texts().last().toStdString();

  rows[3].cells[1] = s(u"19");
  rows[5].cells = {};  // total 0: not saved
  ASSERT_TRUE(koerung->saveScores(rows, QDate(2024, 10, 1), false));
  // 14 rows minus the empty one; the judged young's row is edited, not added again.
  EXPECT_EQ(stock.rowCount(s(u"Ausstellung.db")), before + 12);
  EXPECT_EQ(stored(u"Ausstellung.db", oldRow, u"EigeneBewertung").toDouble(), 94.5);
  EXPECT_EQ(stored(u"Ausstellung.db", oldRow, u"Datum").toDate(), QDate(2024, 7, 1));
  EXPECT_EQ(stored(u"Ausstellung.db", oldRow, u"Gewicht1").toDouble(), 19.0);
  EXPECT_EQ(stored(u"Ausstellung.db", oldRow, u"Unterfarbe6").toDouble(), 9.5);
  EXPECT_EQ(stored(u"Ausstellung.db", oldRow, u"Pflege7").toDouble(), 5.0);
}

TEST_F(KoerungTest, TheRecordReadsBackEveryItemInItsField) {
  open();
  ScriptedDialogs dialogs;
  EXPECT_FALSE(koerung->record().exists);
  EXPECT_TRUE(koerung->clear());  // nothing to clear: no record is created
  EXPECT_EQ(stock.rowCount(s(u"Koernote.db")), 0);

  KoernoteResult r;
  r.counts = {7, 3};
  r.punkte = {4, 6, 8, 10, 6};  // item 5 of a short-haired buck is not stored
  r.haesin1 = choosePresented(young({95, 93, 91}));
  r.haesin2 = choosePresented({{s(u"K1"), pt(96)}, {s(u"K2"), pt(94.5)}});
  r.buckBest = pt(95.5);
  r.woolLeistungspunkte = 99;
  r.koernote = 28;
  ASSERT_TRUE(koerung->save(QDate(2024, 10, 15), r));
  KoerungRecord rec = koerung->record();
  EXPECT_TRUE(rec.exists);
  EXPECT_TRUE(rec.saved);
  EXPECT_EQ(rec.datum, QDate(2024, 10, 15));
  EXPECT_EQ(rec.anzahlVater, s(u"7"));
  EXPECT_EQ(rec.anzahlMutter, s(u"3"));
  const std::array<std::optional<int>, 5> shortHaired{4, 6, 8, 10, std::nullopt};
  EXPECT_EQ(rec.punkte, shortHaired);
  EXPECT_FALSE(rec.wollwert.has_value());
  EXPECT_EQ(rec.vorgestellt1, s(u"3"));
  EXPECT_EQ(rec.vorgestellt2, s(u"2"));
  EXPECT_EQ(rec.bewertung1, s(u"J1-95  /  J2-93  /  J3-91"));
  EXPECT_EQ(rec.bewertung2, s(u"K1  96 / K2  94,5"));
  EXPECT_EQ(rec.mittel1, s(u"93,00"));
  EXPECT_EQ(rec.mittel2, s(u"95,25"));
  EXPECT_EQ(rec.rammlerPunkte, pt(95.5));

  // A long-haired buck's item 5 and wool value, rounded to a whole number.
  r.langhaar = true;
  r.punkte[4] = 8;
  r.woolLeistungspunkte = 98.5;
  r.buckBest.reset();
  dialogs.yes();  // message 111: overwrite
  ASSERT_TRUE(koerung->save(QDate(), r));
  rec = koerung->record();
  EXPECT_EQ(rec.punkte[3], 10);
  EXPECT_EQ(rec.punkte[4], 8);
  EXPECT_EQ(rec.wollwert, 99);
  EXPECT_FALSE(rec.datum.isValid());
  EXPECT_FALSE(rec.rammlerPunkte.has_value());
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(KoerungTest, OlderRecordsWithoutTheWideFieldsReadTheShortScores) {
  const qint64 key = stock.add(s(u"Koernote.db"), {{s(u"Hase"), buck}, {s(u"Bewertung1"), s(u"A-95")},
                                                   {s(u"Bewertung2"), s(u"B  93")}, {s(u"BewertungText2"), s(u"B  93 / C  92")}});
  open();
  const KoerungRecord rec = koerung->record();
  EXPECT_EQ(rec.bewertung1, s(u"A-95"));
  EXPECT_EQ(rec.bewertung2, s(u"B  93 / C  92"));
  EXPECT_FALSE(rec.saved);
  EXPECT_FALSE(rec.punkte[0].has_value());
  EXPECT_GT(key, 0);
}

TEST_F(KoerungTest, TheFirstOfEqualBestShowsCountsAndRowsWithoutTotalDoNot) {
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), buck}, {s(u"Datum"), QDate(2024, 2, 1)}, {s(u"Titel"), s(u"Ortsschau")},
                                {s(u"Gewicht1"), 0.0}});
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), buck}, {s(u"Datum"), QDate(2024, 3, 1)}, {s(u"Titel"), shows::youngAnimalTitle()},
                                {s(u"BewertJungtier"), s(u"8/5")}});
  open();
  EXPECT_FALSE(koerung->positionBestShowRow().has_value());
  EXPECT_EQ(module->at(s(u"Ausstellung")).field(s(u"Datum")).asDate(), QDate(2024, 3, 1));  // his last row
  module.reset();

  const qint64 first = show(QDate(2024, 5, 1), s(u"Kreisschau"), 95.0);
  show(QDate(2024, 6, 1), s(u"Landesschau"), 95.0);
  show(QDate(2024, 7, 1), s(u"Ortsschau"), 93.0);
  open();
  EXPECT_EQ(koerung->positionBestShowRow(), Points::whole(95));
  EXPECT_EQ(module->at(s(u"Ausstellung")).field(s(u"Nummer")).asInteger(), first);
  EXPECT_EQ(koerung->bestShowTotal(), Points::whole(95));

  // The two 95 become his own judgings: the next search finds the 93, below the last best.
  engine::Query q(stock.engine);
  q.setSql(QStringLiteral("UPDATE \"Ausstellung.db\" SET Titel = :t WHERE EigeneBewertung = 95"));
  q.setParam(s(u"t"), shows::ownJudgingTitle());
  q.execSql();
  module->at(s(u"Ausstellung")).refresh();
  EXPECT_EQ(koerung->positionBestShowRow(), Points::whole(93));
}

TEST_F(KoerungTest, ScoresAreSavedOnlyForRowsOfAnAnimalAndAskOnlyWhenTold) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const QDate day(2024, 3, 1);
  litter(d1, day, 2, 2);
  const qint64 y1 = judgedYoung(d1, day, s(u"3.24.1"), std::nullopt);
  const qint64 y2 = judgedYoung(d1, day, s(u"3.24.2"), std::nullopt);
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), y2}, {s(u"Datum"), QDate(2024, 7, 2)}, {s(u"Titel"), koerungTitle()},
                                {s(u"EigeneBewertung"), 90.0}});
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), y1}, {s(u"Datum"), QDate(2024, 7, 1)}, {s(u"Titel"), koerungTitle()},
                                {s(u"EigeneBewertung"), 91.0}});
  settings.System.Speichern = false;
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  module->at(s(u"GedeckteHaesinnen")).first();
  koerung->showYoungOfCurrentLitter();
  QDate evaluated;
  std::vector<ScoreRow> rows = koerung->scoreRows(&evaluated);
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].nummer, y1);
  EXPECT_EQ(evaluated, QDate(2024, 7, 1));  // the first young's day
  EXPECT_EQ(koerung->scoreRows().size(), 2u);

  ScriptedDialogs dialogs;
  const std::array<QString, 7> cells{s(u"19"), s(u"19"), s(u"14"), s(u"14"), s(u"14"), s(u"9,5"), s(u"5")};
  std::vector<ScoreRow> grid(4);
  for (ScoreRow& r : grid) r.cells = cells;
  grid[0].nummer = y1;
  grid[1].nummer = -1;  // an empty grid row
  grid[2].nummer = 0;
  grid[3].nummer = buck;
  const qint64 before = stock.rowCount(s(u"Ausstellung.db"));
  ASSERT_TRUE(koerung->saveScores(grid, QDate(2024, 10, 1), false));  // no question
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_EQ(stock.rowCount(s(u"Ausstellung.db")), before + 1);  // only the buck's row is new

  grid[0].cells[0] = s(u"18");
  dialogs.no();
  EXPECT_FALSE(koerung->saveScores(grid, QDate(2024, 10, 1), true));
  EXPECT_EQ(dialogs.texts(), QStringList{StockDirectory::message(29)});
  dialogs.yes();
  EXPECT_TRUE(koerung->saveScores(grid, QDate(2024, 10, 1), true));
  EXPECT_TRUE(dialogs.allAnswersUsed());
  rows = koerung->scoreRows();
  EXPECT_EQ(rows[0].cells[0], s(u"18"));
  EXPECT_EQ(rows[0].cells[6], s(u"5"));
}

TEST_F(KoerungTest, ALitterIsRefusedInTheOtherPanelAndASavedRecordAsksFirst) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const qint64 d2 = doe(s(u"1.23.2"));
  const qint64 l1 = litter(d1, QDate(2024, 3, 1), 2, 2);
  const qint64 l2 = litter(d2, QDate(2024, 4, 1), 2, 2);
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  ScriptedDialogs dialogs;
  ASSERT_TRUE(koerung->assignLitter(1, l1));
  EXPECT_FALSE(koerung->assignLitter(2, l1));
  EXPECT_EQ(dialogs.texts().last(), s(u"Dieser Wurf ist bereits als 1. Häsin gewählt. Bitte einen anderen Wurf wählen."));
  EXPECT_FALSE(koerung->assignLitter(0, l2));
  EXPECT_FALSE(koerung->assignLitter(3, l2));
  EXPECT_FALSE(koerung->record().haesin2.has_value());

  KoernoteResult r;
  ASSERT_TRUE(koerung->save(QDate(2024, 10, 15), r));
  dialogs.no();  // message 111
  EXPECT_FALSE(koerung->assignLitter(2, l2));
  EXPECT_EQ(dialogs.texts().last(), StockDirectory::message(111));
  dialogs.yes();
  EXPECT_TRUE(koerung->assignLitter(2, l2));
  EXPECT_EQ(koerung->record().haesin2, l2);
  EXPECT_EQ(koerung->record().haesin1, l1);
}

TEST_F(KoerungTest, ALitterOutsideTheBreedingYearGivesNoYoung) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const qint64 d2 = doe(s(u"1.23.2"));
  const QDate day1(2024, 3, 1), day2(2024, 12, 1);
  const qint64 l1 = litter(d1, day1, 2, 2);
  litter(d2, day2, 2, 2);
  for (int i = 1; i <= 3; ++i) judgedYoung(d2, day2, QStringLiteral("4.24.%1").arg(i), 96.0);
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  ScriptedDialogs dialogs;
  ASSERT_TRUE(koerung->assignLitter(1, l1));
  // The next breeding year: the chosen litter is not among its litters.
  const KoernoteResult r = koerung->compute(QDate(2025, 2, 1));
  EXPECT_EQ(r.haesin1.count(), 0);
  EXPECT_EQ(r.punkte[1], 0);
}

TEST_F(KoerungTest, NoJudgingDayKeepsTheBreedingYearFilter) {
  const qint64 d1 = doe(s(u"1.23.1"));
  litter(d1, QDate(2024, 3, 1), 2, 2);
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  engine::Cursor& g = module->at(s(u"GedeckteHaesinnen"));
  ASSERT_EQ(g.recordCount(), 1);
  koerung->applyBreedingYear(QDate());
  EXPECT_EQ(g.recordCount(), 1);
}

TEST_F(KoerungTest, AncestryCountsThreeGenerationsOfThePedigree) {
  // The pedigree boxes: box k's parents are boxes 2k + 1 and 2k + 2 (1 and 2 the parents,
  // 3–6 the grandparents, 7–14 their parents); `missing` is left empty with its ancestors.
  int serial = 0;
  std::function<qint64(int, int)> make = [&](int box, int missing) -> qint64 {
    if (box > 14 || box == missing) return 0;
    QVariantMap more{{s(u"Geschlecht"), box % 2 == 1 ? s(u"1") : s(u"2")}};
    const qint64 vater = make(2 * box + 1, missing), mutter = make(2 * box + 2, missing);
    if (vater) more.insert(s(u"Vater"), vater);
    if (mutter) more.insert(s(u"Mutter"), mutter);
    return stock.animal(s(u"P"), QStringLiteral("9.%1.%2").arg(box).arg(++serial), more);
  };
  const auto setParents = [&](int missing) {
    engine::Query q(stock.engine);
    q.setSql(QStringLiteral("UPDATE \"Hasen.db\" SET Vater = :v, Mutter = :m WHERE Nummer = :n"));
    q.setParam(s(u"v"), make(1, missing));
    q.setParam(s(u"m"), make(2, missing));
    q.setParam(s(u"n"), buck);
    q.execSql();
  };
  setParents(0);
  open();
  KoernoteResult r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_EQ(r.counts.vater, 7);
  EXPECT_EQ(r.counts.mutter, 7);
  EXPECT_EQ(r.punkte[0], 10);
  module.reset();

  setParents(14);  // the mother's mother's mother unknown
  open();
  r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_EQ(r.counts.vater, 7);
  EXPECT_EQ(r.counts.mutter, 6);
  EXPECT_EQ(r.punkte[0], 8);
}

TEST_F(KoerungTest, ALongHairedBuckGetsItem5FromHisWoolPerformance) {
  const qint64 angoraBreed =
      stock.add(s(u"Rasse"), {{s(u"Name"), s(u"Angora")}, {s(u"Rassegruppe"), s(u"Langhaarrassen")}});
  engine::Query q(stock.engine);
  q.setSql(QStringLiteral("UPDATE \"Hasen.db\" SET Rasse = :r WHERE Nummer = :n"));
  q.setParam(s(u"r"), angoraBreed);
  q.setParam(s(u"n"), buck);
  q.execSql();
  const auto openWithWool = [&] {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    rules = attachLitterRules(*module, settings);
    attachWoolRules(*module);
    module->setToday(QDate(2024, 10, 20));
    module->open();
    ASSERT_TRUE(module->gotoAnimal(buck));
    koerung = std::make_unique<TKoerung>(*module, settings);
  };
  // No test record yet: no wool points.
  openWithWool();
  KoernoteResult r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_TRUE(r.langhaar);
  EXPECT_FALSE(r.woolLeistungspunkte.has_value());
  EXPECT_FALSE(r.punkte[4].has_value());
  koerung.reset();
  module.reset();

  // 40 + 30 + 30 performance points.
  stock.add(s(u"Angora.db"), {{s(u"Kaninchen"), buck}, {s(u"JWEInsgesamt"), 1400}, {s(u"WRZInsgesamt"), 1400},
                              {s(u"ElternWRZ"), 1400}, {s(u"GrosselternWRZ"), 1400}, {s(u"ElternJWE"), 1},
                              {s(u"GrosselternJWE"), 1}, {s(u"Bewertung"), 90.0}});
  openWithWool();
  r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_EQ(r.woolLeistungspunkte, 100.0);
  EXPECT_EQ(r.punkte[4], 10);
  koerung.reset();
  module.reset();

  // Without the wool rules the record has no performance points to read.
  open();
  r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_TRUE(r.langhaar);
  EXPECT_FALSE(r.woolLeistungspunkte.has_value());
}

TEST_F(KoerungTest, ACardBeingEditedKeepsTheKoernoteWithItsPendingChanges) {
  open();
  ScriptedDialogs dialogs;
  engine::Cursor& h = module->Hasen();
  h.edit();
  h.field(s(u"IDCode")).setString(s(u"DE-17"));
  KoernoteResult r;
  r.koernote = 14;
  ASSERT_TRUE(koerung->save(QDate(2024, 10, 15), r));
  EXPECT_TRUE(h.isEditing());
  EXPECT_EQ(h.field(s(u"Körnote")).asInteger(), 14);
  EXPECT_FALSE(stored(u"Hasen.db", buck, u"Körnote").toInt() == 14);
  h.post();
  EXPECT_EQ(stored(u"Hasen.db", buck, u"Körnote").toInt(), 14);
  EXPECT_EQ(stored(u"Hasen.db", buck, u"IDCode").toString(), s(u"DE-17"));
}

TEST_F(KoerungTest, WithoutAnAnimalNothingIsAssignedOrSaved) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const qint64 l1 = litter(d1, QDate(2024, 3, 1), 2, 2);
  engine::Query del(stock.engine);
  del.setSql(QStringLiteral("DELETE FROM \"Hasen.db\""));
  del.execSql();
  module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
  rules = attachLitterRules(*module, settings);
  module->open();
  ASSERT_FALSE(module->Hasen().hasRecord());
  koerung = std::make_unique<TKoerung>(*module, settings);
  engine::Cursor& g = module->at(s(u"GedeckteHaesinnen"));
  const qint64 litters = g.recordCount();
  ASSERT_EQ(litters, 1);
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  EXPECT_EQ(g.recordCount(), litters);  // no buck: the list is not filtered for one

  settings.System.Speichern = false;
  ScriptedDialogs dialogs;
  EXPECT_FALSE(koerung->save(QDate(2024, 10, 15), KoernoteResult{}));
  EXPECT_TRUE(dialogs.shown().empty());  // refused before the save question
  dialogs.yes();
  EXPECT_FALSE(koerung->assignLitter(1, l1));
  EXPECT_EQ(stock.rowCount(s(u"Koernote.db")), 0);
}

// A table the data module could not read stays closed; the judging then reads nothing from it
// and writes nothing into it, without an engine message.
TEST_F(KoerungTest, AClosedTableGivesNothingAndNoEngineMessage) {
  const qint64 d1 = doe(s(u"1.23.1"));
  const QDate day(2024, 3, 1);
  const qint64 l1 = litter(d1, day, 2, 2);
  for (int i = 1; i <= 3; ++i) judgedYoung(d1, day, QStringLiteral("3.24.%1").arg(i), 96.0);
  settings.System.Speichern = false;  // the save question would show
  open();
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  ScriptedDialogs dialogs;
  dialogs.yes();
  ASSERT_TRUE(koerung->assignLitter(1, l1));

  module->at(s(u"RammlerJungtiere")).close();
  EXPECT_TRUE(koerung->scoreRows().empty());
  const KoernoteResult r = koerung->compute(QDate(2024, 10, 15));
  EXPECT_EQ(r.haesin1.count(), 0);
  EXPECT_EQ(r.punkte[1], 0);

  module->at(s(u"Koernote")).close();
  EXPECT_FALSE(koerung->record().exists);
  EXPECT_FALSE(koerung->save(QDate(2024, 10, 15), r));
  EXPECT_TRUE(koerung->clear());
  EXPECT_EQ(dialogs.texts().size(), 1);
  dialogs.yes();  // choosing a litter asks before it looks at the record
  EXPECT_FALSE(koerung->assignLitter(2, l1 + 100));
  EXPECT_EQ(dialogs.texts(), QStringList(2, StockDirectory::message(29)));

  module->at(s(u"GedeckteHaesinnen")).close();
  EXPECT_FALSE(koerung->coveredLitter(l1).has_value());
  koerung->applyBreedingYear(QDate(2024, 10, 15));
  EXPECT_EQ(dialogs.texts().size(), 2);
  EXPECT_EQ(stock.rowCount(s(u"Koernote.db")), 1);
}

}  // namespace
}  // namespace lapiro::breeding

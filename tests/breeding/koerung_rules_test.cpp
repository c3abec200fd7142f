// Buck judging, the pure rules at their edges: the filter of a litter's young, the score cells
// and their messages, the figures of a grid row, the ancestry count per pedigree box, the
// choice of the presented young, the short scores text and the thresholds of the items.
#include "breeding/koerung.h"

#include <gtest/gtest.h>

namespace lapiro::breeding {
namespace {

using core::Points;

QString s(const char16_t* t) { return QString::fromUtf16(t); }
const QString e;  // an empty cell
Points hundredths(qint64 h) { return Points::fromHundredths(h); }

ScoreRow row(std::array<QString, 7> cells, const QString& name = s(u"A 1")) {
  ScoreRow r;
  r.nummer = 1;
  r.name = name;
  r.cells = std::move(cells);
  return r;
}

TEST(KoerungRules, BreedingYearOfNoDayIsNoDay) { EXPECT_FALSE(breedingYearStart(QDate()).isValid()); }

TEST(KoerungRules, YoungOfALitterNeedBothTheDoeAndTheDay) {
  const QDate day(2024, 3, 1);
  EXPECT_EQ(youngOfLitterFilter(1, day), s(u"(Mutter=1)and(Geburtstag='01.03.2024')"));
  EXPECT_EQ(youngOfLitterFilter(42, day), s(u"(Mutter=42)and(Geburtstag='01.03.2024')"));
  EXPECT_EQ(youngOfLitterFilter(0, day), s(u"Mutter=-1"));
  EXPECT_EQ(youngOfLitterFilter(-3, day), s(u"Mutter=-1"));
  EXPECT_EQ(youngOfLitterFilter(42, QDate()), s(u"Mutter=-1"));
}

TEST(KoerungRules, PositionMaximaOutsideTheSevenPositionsAreZero) {
  const int maxima[7] = {20, 20, 15, 40, 40, 40, 15};
  for (int p = 0; p < 7; ++p) EXPECT_EQ(positionMaximum(p), maxima[p]) << p;
  EXPECT_EQ(positionMaximum(-1), 0);
  EXPECT_EQ(positionMaximum(7), 0);
}

TEST(KoerungRules, ScoreKeysAreAsciiDigitsCommaAndBackspace) {
  for (QChar c : s(u"0123456789,\b")) EXPECT_TRUE(acceptsScoreKey(c)) << int(c.unicode());
  for (QChar c : s(u"./:-+ aN\u0663\u00b2")) EXPECT_FALSE(acceptsScoreKey(c)) << int(c.unicode());
}

TEST(KoerungRules, ScoreCellsRefuseEveryMalformedNumberWithTheCellsMessage) {
  // Numbers the shared reader takes but a score cell does not: a leading or trailing comma,
  // a sign, a grouping point, a third decimal and more than three whole digits.
  for (const char16_t* bad : {u",5", u"5,", u"+5", u"-1", u"1.000", u"9,555", u"1000", u"0020,5x"}) {
    QString error;
    EXPECT_FALSE(parseScore(s(bad), 3, &error).has_value()) << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(error, s(u"\"%1\" ist keine gültige Punktzahl (Position 4).").arg(s(bad)))
        << QString::fromUtf16(bad).toStdString();
  }
  QString error;
  EXPECT_EQ(parseScore(s(u"9,55"), 3, &error), hundredths(955));
  EXPECT_EQ(parseScore(s(u"040"), 3, &error), Points::whole(40));
  EXPECT_EQ(parseScore(s(u" 12,5 "), 0, &error), hundredths(1250));
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  // Three whole digits are a number, only too many points for the position.
  EXPECT_FALSE(parseScore(s(u"100"), 3, &error).has_value());
  EXPECT_EQ(error, s(u"Position 4: höchstens 40 Punkte, nicht 100."));
  EXPECT_FALSE(parseScore(s(u"16"), 2, &error).has_value());
  EXPECT_EQ(error, s(u"Position 3: höchstens 15 Punkte, nicht 16."));
  EXPECT_FALSE(parseScore(s(u"x"), 0, nullptr).has_value());  // no error wanted: none written
}

TEST(KoerungRules, RowFiguresCountEachPositionInItsPlace) {
  // Distinct values in every cell, so that a position read in the place of another shows.
  RowFigures f = rowFigures(row({s(u"9"), s(u"18,5"), s(u"13"), s(u"14"), s(u"12,5"), s(u"9,5"), s(u"4")}));
  EXPECT_TRUE(f.error.isEmpty()) << f.error.toStdString();
  EXPECT_EQ(f.total, hundredths(8050));
  EXPECT_EQ(f.totalText, s(u"80,5"));
  EXPECT_EQ(f.grade, s(u"nicht befriedigend"));
  EXPECT_EQ(f.missing, s(u"1,5/4/2"));  // 20 − 18,5 / 40 − 36 / 15 − 13

  // Only the group and grooming filled: body and fur missed in full.
  f = rowFigures(row({e, e, e, s(u"10"), s(u"11"), s(u"12"), s(u"3")}));
  EXPECT_EQ(f.total, Points::whole(36));
  EXPECT_EQ(f.missing, s(u"20/7/15"));
  f = rowFigures(row({e, s(u"17"), s(u"12"), e, e, e, e}));
  EXPECT_EQ(f.missing, s(u"3/40/3"));
}

TEST(KoerungRules, RowLimitsHoldExactlyAtFortyAndAHundred) {
  RowFigures f = rowFigures(row({s(u"15"), s(u"15"), s(u"10"), s(u"15"), s(u"15"), s(u"10"), s(u"5")}));
  EXPECT_TRUE(f.error.isEmpty()) << f.error.toStdString();
  EXPECT_EQ(f.missing, s(u"5/0/5"));
  f = rowFigures(row({s(u"20"), s(u"20"), s(u"15"), s(u"15"), s(u"15"), s(u"10"), s(u"5")}));
  EXPECT_TRUE(f.error.isEmpty()) << f.error.toStdString();
  EXPECT_EQ(f.totalText, s(u"100"));
  EXPECT_EQ(f.grade, s(u"vorzüglich"));

  f = rowFigures(row({s(u"20"), s(u"20"), s(u"15"), s(u"15"), s(u"15"), s(u"10"), s(u"5,5")}));
  EXPECT_EQ(f.error, s(u"A 1: Zusammen höchstens 100 Punkte, nicht 100,5."));
  f = rowFigures(row({e, e, e, s(u"15"), s(u"15"), s(u"10,5"), e}, QString()));
  EXPECT_EQ(f.error, s(u"Positionen 4 bis 6 zusammen höchstens 40 Punkte, nicht 40,5."));
}

TEST(KoerungRules, ARowNamesOnlyItsFirstFault) {
  // Two bad cells: the first is named.
  EXPECT_EQ(rowFigures(row({s(u"x"), s(u"y"), e, e, e, e, e})).error,
            s(u"A 1: \"x\" ist keine gültige Punktzahl (Position 1)."));
  // A bad cell and a group over 40: the cell is named.
  EXPECT_EQ(rowFigures(row({s(u"x"), e, e, s(u"15"), s(u"15"), s(u"15"), e})).error,
            s(u"A 1: \"x\" ist keine gültige Punktzahl (Position 1)."));
  // A group over 40 in a row over 100: the group is named.
  EXPECT_EQ(rowFigures(row({s(u"20"), s(u"20"), s(u"15"), s(u"15"), s(u"15"), s(u"15"), s(u"5")})).error,
            s(u"A 1: Positionen 4 bis 6 zusammen höchstens 40 Punkte, nicht 45."));
  // Without a name the message stands alone.
  EXPECT_EQ(rowFigures(row({e, s(u"21"), e, e, e, e, e}, QString())).error,
            s(u"Position 2: höchstens 20 Punkte, nicht 21."));
}

TEST(KoerungRules, EachSideCountsItsParentThenGrandparentsThenTheirParents) {
  struct Case {
    std::initializer_list<int> boxes;
    int vater, mutter;
  };
  const Case cases[] = {
      {{}, 0, 0},
      {{1}, 1, 0},
      {{1, 3}, 2, 0},
      {{1, 4}, 2, 0},
      {{1, 3, 7, 8}, 2, 0},  // a grandparent missing: the next generation is not looked at
      {{1, 3, 4}, 3, 0},
      {{1, 3, 4, 7}, 4, 0},
      {{1, 3, 4, 10}, 4, 0},
      {{1, 3, 4, 11}, 3, 0},  // box 11 is the mother's side
      {{1, 3, 4, 7, 8, 9, 10}, 7, 0},
      {{3, 4, 7, 8, 9, 10}, 0, 0},  // no father: nothing behind him counts
      {{2}, 0, 1},
      {{2, 5}, 0, 2},
      {{2, 6}, 0, 2},
      {{2, 5, 6}, 0, 3},
      {{2, 5, 6, 10}, 0, 3},  // box 10 is the father's side
      {{2, 5, 6, 11}, 0, 4},
      {{2, 5, 6, 14}, 0, 4},
      {{2, 5, 6, 11, 12, 13, 14}, 0, 7},
      {{5, 6, 11, 12, 13, 14}, 0, 0},
      {{1, 2, 3, 6, 7, 11}, 2, 2},
  };
  for (const Case& c : cases) {
    std::array<bool, 15> present{};
    QString label;
    for (int k : c.boxes) {
      present[static_cast<size_t>(k)] = true;
      label += QString::number(k) + u' ';
    }
    const AncestorCounts n = countAncestors(present);
    EXPECT_EQ(n.vater, c.vater) << label.toStdString();
    EXPECT_EQ(n.mutter, c.mutter) << label.toStdString();
  }
}

std::vector<LitterYoung> named(std::initializer_list<std::pair<const char16_t*, double>> young) {
  std::vector<LitterYoung> v;
  for (auto [name, total] : young) v.push_back({s(name), Points::fromDouble(total)});
  return v;
}

TEST(KoerungRules, ASixthYoungReplacesTheFirstOfTheLowestAndOnlyWhenHigher) {
  // Two kept young share the lowest total: the first of them gives way.
  Presentation p = choosePresented(named({{u"A", 95}, {u"B", 90}, {u"C", 93}, {u"D", 90}, {u"E", 94}, {u"F", 96}}));
  EXPECT_EQ(p.scoresText(true), s(u"A  95 / F  96 / C  93 / D  90 / E  94"));
  // A sixth young equal to the lowest does not push it out.
  p = choosePresented(named({{u"A", 95}, {u"B", 90}, {u"C", 93}, {u"D", 91}, {u"E", 94}, {u"F", 90}}));
  EXPECT_EQ(p.scoresText(true), s(u"A  95 / B  90 / C  93 / D  91 / E  94"));
  // A young whose judging was taken back counts as unjudged.
  std::vector<LitterYoung> young = named({{u"A", 95}, {u"B", 96}});
  young[1].total.reset();
  p = choosePresented(young);
  EXPECT_EQ(p.scoresText(false), s(u"A-95"));
}

QString entries(int firstLength, int secondLength) {
  // Two entries of the first doe's form and a third, of the given lengths.
  return QString(firstLength, u'a') + s(u"  /  ") + QString(secondLength, u'b') + s(u"  /  C-90");
}

TEST(KoerungRules, ShortScoresKeepEveryWholeEntryThatFitsIn115Characters) {
  // A text of 115 characters is kept whole, its last entry with it.
  const QString exact = QString(50, u'a') + s(u"  /  ") + QString(60, u'b');
  ASSERT_EQ(exact.size(), kShortScoresSize);
  EXPECT_EQ(shortScoresText(exact), exact);
  // The second entry ends on the 115th character: kept, the separator after it dropped.
  QString text = entries(50, 60);
  EXPECT_EQ(shortScoresText(text), text.left(115));
  text = entries(50, 59);
  EXPECT_EQ(shortScoresText(text), text.left(114));
  // One character more and the second entry goes.
  text = entries(50, 61);
  EXPECT_EQ(shortScoresText(text), QString(50, u'a'));
  // The second doe's narrower separator.
  text = QString(60, u'a') + s(u" / ") + QString(52, u'b') + s(u" / C  90");
  EXPECT_EQ(shortScoresText(text), text.left(115));
  text = QString(60, u'a') + s(u" / ") + QString(53, u'b') + s(u" / C  90");
  EXPECT_EQ(shortScoresText(text), QString(60, u'a'));
  // A first entry too long for the field is cut at 115 characters.
  text = QString(120, u'a') + s(u"  /  B-90");
  EXPECT_EQ(shortScoresText(text), QString(115, u'a'));
  // Every separator counts, even one at the very start.
  text = s(u"/") + QString(50, u'a') + s(u"  /  ") + QString(70, u'b');
  EXPECT_EQ(shortScoresText(text), s(u"/") + QString(50, u'a'));
}

TEST(KoerungRules, BalanceThresholdsForThreeFourAndFiveYoung) {
  struct Case {
    int young;
    qint64 mean;  // hundredths
    int points;
  };
  const Case cases[] = {
      {3, 9600, 10}, {3, 9599, 8}, {3, 9500, 8}, {3, 9499, 6}, {3, 9400, 6}, {3, 9399, 0},
      {4, 9550, 10}, {4, 9549, 8}, {4, 9450, 8}, {4, 9449, 6}, {4, 9350, 6}, {4, 9349, 0},
      {5, 9500, 10}, {5, 9499, 8}, {5, 9400, 8}, {5, 9399, 6}, {5, 9300, 6}, {5, 9299, 0},
      {2, 10000, 0}, {1, 10000, 0},
  };
  for (const Case& c : cases) {
    Presentation p;
    for (int i = 0; i < c.young; ++i) p.kept.push_back({s(u"J"), hundredths(c.mean)});
    EXPECT_EQ(balancePoints(p), c.points) << c.young << " young, mean " << c.mean;
  }
  EXPECT_EQ(balancePoints(Presentation{}), 0);
}

TEST(KoerungRules, TheSecondLitterGivesItem3AndNoLittersGiveZeros) {
  KoernoteInput in;
  KoernoteResult r = computeKoernote(in);
  EXPECT_EQ(r.punkte[0], 0);
  EXPECT_EQ(r.punkte[1], 0);
  EXPECT_EQ(r.punkte[2], 0);
  EXPECT_EQ(r.punkte[3], 0);
  EXPECT_FALSE(r.punkte[4].has_value());  // short hair: item 5 stays empty
  EXPECT_EQ(r.koernote, 0);

  in.ancestors[1] = in.ancestors[2] = true;  // 1 and 1: 4 points
  in.litter2 = named({{u"A", 94}, {u"B", 94}, {u"C", 94}});
  r = computeKoernote(in);
  EXPECT_EQ(r.punkte[0], 4);
  EXPECT_EQ(r.punkte[1], 0);
  EXPECT_EQ(r.punkte[2], 6);
  EXPECT_EQ(r.haesin2.count(), 3);
  EXPECT_EQ(r.koernote, 10);
  in.litter1 = named({{u"D", 96}, {u"E", 96}, {u"F", 96}});
  r = computeKoernote(in);
  EXPECT_EQ(r.punkte[1], 10);
  EXPECT_EQ(r.punkte[2], 6);
  EXPECT_EQ(r.koernote, 20);
  // Wool counts only for long-haired breeds.
  in.woolLeistungspunkte = 100;
  EXPECT_FALSE(computeKoernote(in).punkte[4].has_value());
  EXPECT_EQ(computeKoernote(in).koernote, 20);
  in.langhaar = true;
  EXPECT_EQ(computeKoernote(in).punkte[4], 10);
  EXPECT_EQ(computeKoernote(in).koernote, 30);
}

}  // namespace
}  // namespace lapiro::breeding

// The litter book on a real data directory: expected litter day, litter figures counted from
// the young animals, the count check, weight figures, the buck's views, the young-animal
// rows (matching, presets, running numbers, saving in one transaction, deleting) and the
// litter report with its herd-book pre-check.
#include "breeding/litter_book.h"
#include "breeding/litter_report.h"
#include "breeding/young_rows.h"

#include "engine/cursor.h"
#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/faulty_vfs.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sqlite3.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace lapiro::breeding {
namespace {

using lapiro::test::ScriptedDialogs;
using lapiro::test::StockDirectory;

class CountingCard : public store::TCardState {
 public:
  int rebuilds = 0;
  void setEditButtonsEnabled(bool) override {}
  void setUndoButtonEnabled(bool) override {}
  void setCaption(const QString&) override {}
  void refreshAnimalList() override {}
  void positionAnimalList(qint64) override {}
  void updateDisplays() override {}
  bool leftTattooInParts() const override { return false; }
  void setTattooParts(const QString&, const QString&, const QString&) override {}
  void hideParentPanels() override {}
  void showParents() override {}
  void resetEvaluationDates(const QDate&) override {}
  void reshowBreedingTab() override {}
  void focusHygieneDate() override {}
  void setWoolTabVisible(bool) override {}
  void rebuildYoungAnimalRows() override { ++rebuilds; }
  void refreshColourBox() override {}
  void setColourBoxEnabled(bool) override {}
  void setPictureHint(const QString&) override {}
};

QString s(const char16_t* t) { return QString::fromUtf16(t); }

// ---------------------------------------------------------------- pure rules

TEST(LitterArithmetic, ExpectedLitterDayCountsFebruaryAsTwentyEightDays) {
  EXPECT_EQ(expectedLitterDay(QDate(2024, 1, 20), 65), QDate(2024, 3, 26));
  EXPECT_EQ(expectedLitterDay(QDate(2025, 3, 1), 65), QDate(2025, 5, 5));
  EXPECT_FALSE(expectedLitterDay(QDate(), 65).isValid());
}

TEST(LitterArithmetic, WeightRowsGiveDifferenceAndMeanGain) {
  const std::vector<double> w{500, 650, 900};
  EXPECT_DOUBLE_EQ(weightFigures(w, 0).differenz, 0);
  EXPECT_FALSE(weightFigures(w, 0).mittelwert.has_value());
  EXPECT_DOUBLE_EQ(weightFigures(w, 1).differenz, 150);
  EXPECT_DOUBLE_EQ(*weightFigures(w, 1).mittelwert, 150);
  EXPECT_DOUBLE_EQ(weightFigures(w, 2).differenz, 250);
  EXPECT_DOUBLE_EQ(*weightFigures(w, 2).mittelwert, 200);
  // A row past either end, or a litter without weights, has no figures.
  for (const int index : {-1, 3}) {
    EXPECT_DOUBLE_EQ(weightFigures(w, index).differenz, 0) << index;
    EXPECT_FALSE(weightFigures(w, index).mittelwert.has_value()) << index;
  }
  EXPECT_FALSE(weightFigures({}, 0).mittelwert.has_value());
}

TEST(LitterArithmetic, FiguresMustBeWholeAndNotNegativeAndLitterDaysPlausible) {
  QString error;
  EXPECT_EQ(parseLitterFigure(s(u" 4 "), &error), 4);
  EXPECT_FALSE(parseLitterFigure(QString(), &error).has_value());
  EXPECT_TRUE(error.isEmpty());
  for (const QString& bad : {s(u"-1"), s(u"2,5"), s(u"drei")}) {
    error.clear();
    EXPECT_FALSE(parseLitterFigure(bad, &error).has_value()) << bad.toStdString();
    EXPECT_TRUE(error.contains(bad)) << error.toStdString();
  }
  EXPECT_TRUE(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 5, 5), 65).isEmpty());
  EXPECT_FALSE(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 2, 20), 65).isEmpty());
  // The day before the mating asks; the mating day itself is not "before" it.
  EXPECT_FALSE(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 2, 29), 65).isEmpty());
  EXPECT_TRUE(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 3, 1), 65).isEmpty());
  // 40 days after the expected 5 May is still accepted; one day more asks.
  EXPECT_TRUE(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 6, 14), 65).isEmpty());
  EXPECT_FALSE(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 6, 15), 65).isEmpty());
}

TEST(LitterArithmetic, TattooPresetStartsTheBreedingYearInNovember) {
  EXPECT_EQ(tattooPreset(QDate(2012, 11, 15)).month, 0);
  EXPECT_EQ(tattooPreset(QDate(2012, 11, 15)).year, 13);
  EXPECT_EQ(tattooPreset(QDate(2005, 4, 2)).month, 4);
  EXPECT_EQ(tattooPreset(QDate(2005, 4, 2)).year, 5);
  // Four-digit years are cut to two; shorter ones stay as they are.
  EXPECT_EQ(tattooPreset(QDate(1000, 4, 2)).year, 0);
  EXPECT_EQ(tattooPreset(QDate(999, 4, 2)).year, 999);
  EXPECT_EQ(litterSizeText(3, 4, QVariant()), s(u"3/4/"));
}

// ---------------------------------------------------------------- on the data module

class LitterBookTest : public ::testing::Test {
 protected:
  LitterBookTest() : stock({11, 15, 28, 29, 108, 120}) {
    rasse = stock.add(s(u"Rasse"), {{s(u"Name"), s(u"Deutsche Riesen")}});
    farbe = stock.add(s(u"Farbe"), {{s(u"Rasse"), rasse}, {s(u"Name"), s(u"grau")}});
    besitzer = stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Krause")}, {s(u"Vorname"), s(u"Ute")}});
    buck = stock.animal(s(u"R1"), s(u"3.3.1"),
                        {{s(u"Geschlecht"), s(u"1")}, {s(u"Rasse"), rasse}, {s(u"Farbe"), farbe}, {s(u"Besitzer"), besitzer}});
    doe = stock.animal(s(u"H2"), s(u"4.3.2"),
                       {{s(u"Geschlecht"), s(u"2")}, {s(u"Rasse"), rasse}, {s(u"Farbe"), farbe}, {s(u"Besitzer"), besitzer}});
    setClubNumber(s(u"K17"));
  }

  void setClubNumber(const QString& club) {
    engine::Cursor eigen(stock.engine, s(u"eigenTest"));
    eigen.setTableName(s(u"eigen.DB"));
    eigen.open();
    eigen.first();
    eigen.edit();
    eigen.field(s(u"Vereinsnummer")).setString(club);
    eigen.post();
  }

  qint64 litter(const QDate& wurftag, QVariantMap more = {}) {
    more.insert(s(u"Katze"), doe);
    more.insert(s(u"Wurftag"), wurftag);
    if (!more.contains(s(u"Decktermin"))) more.insert(s(u"Decktermin"), wurftag.addDays(-31));
    return stock.add(s(u"Wurfbuch.DB"), more);
  }
  qint64 young(const QString& rechts, const QString& links, const QString& sex, const QDate& born, qint64 father = 0) {
    QVariantMap m{{s(u"Geschlecht"), sex}, {s(u"Mutter"), doe}, {s(u"Geburtstag"), born}};
    if (father) m.insert(s(u"Vater"), father);
    return stock.animal(rechts, links, m);
  }

  void open() {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    rules = attachLitterRules(*module, settings);
    module->setCard(&card);
    module->setToday(QDate(2024, 6, 1));
    module->open();
    ASSERT_TRUE(module->gotoAnimal(doe));
  }

  engine::Cursor& wurfbuch() { return module->at(s(u"Wurfbuch")); }
  QVariant stored(const char16_t* table, qint64 key, const char16_t* field) {
    return stock.stored(s(table), key, s(field));
  }

  StockDirectory stock;
  shell::tsysteminfo settings;
  CountingCard card;
  std::unique_ptr<store::TDatenStamm> module;
  std::shared_ptr<TWurfbuch> rules;
  qint64 rasse = 0, farbe = 0, besitzer = 0, buck = 0, doe = 0;
};

TEST_F(LitterBookTest, NewestLitterShowsExpectedDayAndBuckName) {
  ScriptedDialogs dialogs;
  litter(QDate(2023, 5, 1));
  litter(QDate(2024, 3, 26), {{s(u"Decktermin"), QDate(2024, 1, 20)}, {s(u"Kater"), buck}});
  // A settings file of an older installation holds 65 days of gestation; it is kept.
  shell::ProfileFile ini;
  ini.setText(s(u"[Stammdaten]\nTageTraechtigkeit=65\n"));
  settings.load(ini, QRect());
  open();
  EXPECT_EQ(wurfbuch().field(s(u"Wurftag")).asDate(), QDate(2024, 3, 26));
  EXPECT_EQ(wurfbuch().field(s(u"Wurftermin")).asDate(), QDate(2024, 3, 26));
  EXPECT_EQ(wurfbuch().field(s(u"HaseName")).asString(), s(u"R1  3.3.1"));
}

TEST_F(LitterBookTest, ChoosingTheBuckStartsTheFirstLitterOrChangesTheCurrentOne) {
  ScriptedDialogs dialogs;
  open();
  ASSERT_FALSE(wurfbuch().hasRecord());
  rules->setBuck(buck);
  EXPECT_EQ(wurfbuch().state(), engine::DataSetState::Insert);
  EXPECT_EQ(wurfbuch().field(s(u"Kater")).asInteger(), buck);
  EXPECT_EQ(wurfbuch().field(s(u"HaseName")).asString(), s(u"R1  3.3.1"));
  wurfbuch().cancel();
  module.reset();

  const qint64 other = stock.animal(s(u"R9"), s(u"9.9.9"), {{s(u"Geschlecht"), s(u"1")}});
  const qint64 existing = litter(QDate(2024, 3, 26), {{s(u"Kater"), buck}});
  open();
  rules->setBuck(other);
  EXPECT_EQ(wurfbuch().state(), engine::DataSetState::Edit);
  wurfbuch().post();
  EXPECT_EQ(stored(u"Wurfbuch.DB", existing, u"Kater").toLongLong(), other);
  EXPECT_EQ(stock.rowCount(s(u"Wurfbuch.DB")), 1);
}

TEST_F(LitterBookTest, ExpectedDayOfANewInstallationIsARabbitsGestation) {
  ScriptedDialogs dialogs;
  litter(QDate(), {{s(u"Decktermin"), QDate(2024, 5, 10)}, {s(u"Kater"), buck}});
  open();
  EXPECT_EQ(wurfbuch().field(s(u"Wurftermin")).asDate(), QDate(2024, 6, 10));
}

TEST_F(LitterBookTest, FirstVisitFillsOnlyEmptyFiguresAndTakesTheBuckFromTheLastYoung) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  const qint64 filled = litter(born, {{s(u"WurfStMaennlich"), 5}});
  const qint64 other = stock.animal(s(u"X"), s(u"1.1.1"), {{s(u"Geschlecht"), s(u"1")}});
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, other);
  young(s(u"K17"), s(u"3.24.2"), s(u"2"), born, other);
  young(s(u"K17"), s(u"3.24.3"), s(u"2"), born, buck);
  open();
  EXPECT_EQ(rules->foundBucks(), 1);
  EXPECT_EQ(rules->foundDoes(), 2);
  EXPECT_EQ(wurfbuch().field(s(u"WurfStMaennlich")).asInteger(), 5);  // entered before: kept
  EXPECT_EQ(wurfbuch().field(s(u"WurfStWeiblich")).asInteger(), 2);
  EXPECT_EQ(wurfbuch().field(s(u"Kater")).asInteger(), buck);  // father of the last young
  module->close();
  EXPECT_EQ(stored(u"Wurfbuch.DB", filled, u"WurfStWeiblich").toInt(), 2);
  // A new litter has no young counted.
  open();
  ASSERT_EQ(rules->foundDoes(), 2);
  ASSERT_TRUE(rules->addLitter());
  EXPECT_EQ(rules->foundBucks() + rules->foundDoes(), 0);
}

TEST_F(LitterBookTest, TypingTheLitterDayCountsTheYoungOfThatDay) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(QDate(2024, 3, 20), {{s(u"Kater"), buck}});
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, buck);
  young(s(u"K17"), s(u"3.24.2"), s(u"2"), born, buck);
  open();
  EXPECT_EQ(rules->foundBucks() + rules->foundDoes(), 0);
  wurfbuch().edit();
  wurfbuch().field(s(u"Wurftag")).setDate(born);
  EXPECT_EQ(rules->foundBucks(), 1);
  EXPECT_EQ(rules->foundDoes(), 1);
  EXPECT_EQ(wurfbuch().field(s(u"WurfStWeiblich")).asInteger(), 1);
}

TEST_F(LitterBookTest, LoweringTheBucksBelowThoseFoundAsksAndNoKeepsTheLowerNumber) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 2}, {s(u"WurfStWeiblich"), 0}, {s(u"Kater"), buck}});
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, buck);
  young(s(u"K17"), s(u"3.24.2"), s(u"1"), born, buck);
  open();
  const int before = card.rebuilds;
  wurfbuch().edit();
  dialogs.no();
  wurfbuch().field(s(u"WurfStMaennlich")).setInteger(1);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.shown()[0].text.startsWith(s(u"Es wurden mehr Jungtiere gefunden")));
  EXPECT_EQ(wurfbuch().field(s(u"WurfStMaennlich")).asInteger(), 1);
  EXPECT_GT(card.rebuilds, before);
  TNachzucht rows(*module, settings);
  rows.build();
  EXPECT_EQ(rows.rowCount(), 1);  // fewer buck rows than recorded bucks

  dialogs.yes();
  wurfbuch().field(s(u"WurfStMaennlich")).setInteger(0);
  EXPECT_EQ(wurfbuch().field(s(u"WurfStMaennlich")).asInteger(), 2);
}

TEST_F(LitterBookTest, WeightGridFiguresAndNegativeFiguresRefused) {
  ScriptedDialogs dialogs;
  const qint64 l = litter(QDate(2024, 3, 26), {{s(u"Kater"), buck}});
  for (auto [d, g] : {std::pair{1, 500.0}, {8, 650.0}, {15, 900.0}})
    stock.add(s(u"Jungtiere"), {{s(u"Wurf"), l}, {s(u"Datum"), QDate(2024, 4, d)}, {s(u"Gewicht"), g}});
  open();
  engine::Cursor& j = module->at(s(u"Jungtiere"));
  std::vector<QString> diff, mean;
  for (j.first(); !j.eof(); j.next()) {
    diff.push_back(j.field(s(u"Differenz")).asString());
    mean.push_back(j.field(s(u"Mittelwert")).isNull() ? s(u"—") : QString::number(j.field(s(u"Mittelwert")).asFloat(), 'f', 2));
  }
  EXPECT_EQ(diff, (std::vector<QString>{s(u"0"), s(u"150"), s(u"250")}));
  EXPECT_EQ(mean, (std::vector<QString>{s(u"—"), s(u"150.00"), s(u"200.00")}));

  wurfbuch().edit();
  wurfbuch().field(s(u"WurfStTot")).setInteger(-2);
  EXPECT_THROW(wurfbuch().post(), engine::Abort);
  EXPECT_TRUE(dialogs.texts().join(u'\n').contains(s(u"negativ")));
  wurfbuch().cancel();

  // A litter day before the mating day asks; "Nein" saves nothing.
  wurfbuch().edit();
  wurfbuch().field(s(u"Wurftag")).setDate(QDate(2024, 1, 1));
  dialogs.no();
  EXPECT_THROW(wurfbuch().post(), engine::Abort);
  EXPECT_EQ(stored(u"Wurfbuch.DB", l, u"Wurftag").toDate(), QDate(2024, 3, 26));
}

TEST_F(LitterBookTest, BuckRowsMatchRecordedBucksEvenWhenTheDoesWereSavedFirst) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 1}, {s(u"WurfStWeiblich"), 2}, {s(u"Kater"), buck}});
  const qint64 d1 = young(s(u"K17"), s(u"3.24.2"), s(u"2"), born, buck);
  const qint64 d2 = young(s(u"K17"), s(u"3.24.3"), s(u"2"), born, buck);
  const qint64 b1 = young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, buck);
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  ASSERT_EQ(rows.rowCount(), 3);
  EXPECT_EQ(rows.row(0).satzInDatei, b1);
  EXPECT_EQ(rows.row(0).status, RowStatus::Vorhanden);
  EXPECT_EQ(rows.row(1).satzInDatei, d1);
  EXPECT_EQ(rows.row(2).satzInDatei, d2);
  EXPECT_TRUE(rows.deleteEnabled());

  // Filling in the buck row again changes the recorded buck; it creates no second one.
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  rows.setWhole(0, s(u"3.24.9"));
  EXPECT_EQ(rows.save(), 1);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
  EXPECT_EQ(stored(u"Hasen", b1, u"TatoLinks").toString(), s(u"3.24.9"));
}

TEST_F(LitterBookTest, LeftTattooInPartsTakesEachPartUpToItsLimitAndNumbersOnFromTheNumberOnly) {
  settings.Stammdaten.TaetoLinksEinzeln = true;
  ScriptedDialogs dialogs;
  litter(QDate(2024, 3, 26), {{s(u"WurfStMaennlich"), 2}, {s(u"WurfStWeiblich"), 2}, {s(u"Kater"), buck}});
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  ASSERT_EQ(rows.rowCount(), 4);
  using Part = TNachzucht::Part;
  EXPECT_TRUE(rows.setPart(0, Part::Month, s(u"12")));
  EXPECT_TRUE(rows.setPart(0, Part::Year, s(u"99")));
  EXPECT_TRUE(rows.setPart(0, Part::Number, s(u"9999")));
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_FALSE(rows.setPart(1, Part::Month, s(u"13")));
  EXPECT_FALSE(rows.setPart(1, Part::Year, s(u"100")));
  EXPECT_FALSE(rows.setPart(1, Part::Number, s(u"10000")));
  EXPECT_EQ(dialogs.texts(), (QStringList{s(u"Nur Werte zwischen 0 und 12 zulässig"), s(u"Nur Werte zwischen 0 und 99 zulässig"),
                                          s(u"maximal 4-stellige Werte zulässig")}));
  EXPECT_TRUE(rows.row(1).number.isEmpty());
  // What is not a number is refused like a value out of range, and the part is cleared.
  dialogs.clear();
  rows.setPart(1, Part::Month, s(u"3"));
  EXPECT_FALSE(rows.setPart(1, Part::Month, s(u"3a")));
  EXPECT_EQ(dialogs.texts(), QStringList{s(u"Nur Werte zwischen 0 und 12 zulässig")});
  EXPECT_TRUE(rows.row(1).month.isEmpty());

  // Leaving the month numbers nothing; leaving the running number numbers the rows below.
  rows.setPart(1, Part::Month, s(u"3"));
  rows.leaveNumber(1);
  EXPECT_TRUE(rows.row(2).number.isEmpty());
  rows.setPart(1, Part::Number, s(u"17"));
  rows.leaveNumber(1);
  EXPECT_EQ(rows.row(2).number, s(u"18"));
  EXPECT_EQ(rows.row(3).number, s(u"19"));
  EXPECT_EQ(rows.row(0).number, s(u"9999"));
}

TEST_F(LitterBookTest, NewRowsArePresetNumberedAndSavedAsAnimalsOfTheLitter) {
  ScriptedDialogs dialogs;
  const QDate born(2012, 11, 15);
  const qint64 l = litter(born, {{s(u"WurfStMaennlich"), 3}, {s(u"WurfStWeiblich"), 4}, {s(u"Kater"), buck}});
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  ASSERT_EQ(rows.rowCount(), 7);
  EXPECT_TRUE(rows.row(0).buck);
  EXPECT_FALSE(rows.row(3).buck);
  EXPECT_EQ(rows.row(0).whole, s(u"0.13."));
  EXPECT_EQ(rows.row(0).tatoRechts, s(u"K17"));
  EXPECT_EQ(rows.row(0).rasse, s(u"Deutsche Riesen"));
  EXPECT_EQ(rows.row(0).farbe, s(u"grau"));
  EXPECT_EQ(rows.row(0).status, RowStatus::Neu);

  rows.setWhole(1, s(u"0.13.17"));
  rows.leaveNumber(1);
  EXPECT_EQ(rows.row(2).whole, s(u"0.13.18"));
  EXPECT_EQ(rows.row(6).whole, s(u"0.13.22"));
  EXPECT_EQ(rows.row(6).status, RowStatus::Geaendert);
  EXPECT_EQ(rows.row(0).status, RowStatus::Neu);

  rows.setWhole(0, QString());  // changed but incomplete
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  EXPECT_EQ(rows.save(), 6);
  EXPECT_EQ(rows.row(0).status, RowStatus::Fehler);
  EXPECT_EQ(rows.row(1).status, RowStatus::Gespeichert);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals + 6);
  const qint64 n = rows.row(3).satzInDatei;
  EXPECT_EQ(stored(u"Hasen", n, u"Wurfgroesse").toString(), s(u"3/4/"));
  EXPECT_EQ(stored(u"Hasen", n, u"Geschlecht").toString(), s(u"2"));
  EXPECT_EQ(stored(u"Hasen", n, u"Vater").toLongLong(), buck);
  EXPECT_EQ(stored(u"Hasen", n, u"Mutter").toLongLong(), doe);
  EXPECT_EQ(stored(u"Hasen", n, u"Geburtstag").toDate(), born);
  EXPECT_EQ(stored(u"Hasen", n, u"Rasse").toLongLong(), rasse);
  EXPECT_EQ(stored(u"Hasen", n, u"Farbe").toLongLong(), farbe);
  EXPECT_EQ(stored(u"Hasen", n, u"Besitzer").toLongLong(), besitzer);

  // Rebuilt from the records, the two saved bucks fill the first buck rows; the third is new.
  rows.build();
  EXPECT_EQ(rows.row(0).status, RowStatus::Vorhanden);
  EXPECT_EQ(rows.row(1).status, RowStatus::Vorhanden);
  EXPECT_EQ(rows.row(2).status, RowStatus::Neu);
  EXPECT_EQ(rows.row(6).status, RowStatus::Vorhanden);

  dialogs.yes();
  EXPECT_TRUE(rows.deleteYoung());
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
  EXPECT_EQ(stored(u"Wurfbuch.DB", l, u"WurfStMaennlich").toInt(), 3);
}

TEST_F(LitterBookTest, SavingWithoutLitterDayOrBuckWritesNothingAndADuplicateTattooIsAnError) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 1}});
  young(s(u"K17"), s(u"3.24.5"), s(u"2"), born);  // another animal of the same birth date
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  rows.setWhole(0, s(u"3.24.5"));
  EXPECT_EQ(rows.save(), -1);
  EXPECT_EQ(dialogs.texts().last(), s(u"Bitte erst Rammler erfassen!"));

  wurfbuch().edit();
  wurfbuch().field(s(u"Kater")).setInteger(buck);
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  // Equal tattoos and birth date are the same animal: never saved, no question, the reason
  // stands beside "FEHLER".
  dialogs.clear();
  EXPECT_EQ(rows.save(), 0);
  EXPECT_EQ(rows.row(0).status, RowStatus::Fehler);
  EXPECT_EQ(rows.row(0).reason, QString::fromUtf16(kRowDuplicate));
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
}

// Two rows with the same tattoo, and a row whose tattoo a stored animal of another birth
// date has: the first is saved and the second refused; another day is another animal.
TEST_F(LitterBookTest, RowsOfTheSameSaveAreCheckedAgainstEachOther) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStWeiblich"), 3}, {s(u"Kater"), buck}});
  young(s(u"K17"), s(u"3.24.9"), s(u"2"), born.addDays(-300));  // same tattoo, other birth date
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  ASSERT_EQ(rows.rowCount(), 3);
  rows.setWhole(0, s(u"3.24.5"));
  rows.setWhole(1, s(u"3.24.5"));
  rows.setWhole(2, s(u"3.24.9"));
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  EXPECT_EQ(rows.save(), 2);
  EXPECT_EQ(rows.row(0).status, RowStatus::Gespeichert);
  EXPECT_TRUE(rows.row(0).reason.isEmpty());
  EXPECT_EQ(rows.row(1).status, RowStatus::Fehler);
  EXPECT_EQ(rows.row(1).reason, QString::fromUtf16(kRowDuplicate));
  EXPECT_EQ(rows.row(2).status, RowStatus::Gespeichert);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals + 2);
}

// New young animals are bred by the own address (the address book entry of the own data) and
// get the status the rows offer, so that they appear in the own stock's lists.
TEST_F(LitterBookTest, WithoutOwnDataNoAddressIsTheOwn) {
  stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Böhm")}, {s(u"Vorname"), s(u"Jörg")}});
  stock.engine.execute(s(u"DELETE FROM \"eigen.DB\""), {});
  EXPECT_EQ(ownAddressNumber(stock.engine), 0);
}

TEST_F(LitterBookTest, OwnDataWithoutANameNameNoAddress) {
  stock.add(s(u"Adresse.db"), {{s(u"PLZ"), s(u"34117")}});  // an entry with nothing but a postcode
  EXPECT_EQ(ownAddressNumber(stock.engine), 0);  // "Sommer" is not in the address book
  stock.engine.execute(s(u"UPDATE \"eigen.DB\" SET Name = '', Vorname = NULL, Strasse = NULL, Ort = NULL"), {});
  EXPECT_EQ(ownAddressNumber(stock.engine), 0);
  // Without the own data's table there is neither own address nor club number.
  ASSERT_TRUE(QFile::remove(stock.dir.file(s(u"eigen.DB"))));
  EXPECT_EQ(ownAddressNumber(stock.engine), 0);
  EXPECT_TRUE(ownClubNumber(stock.engine).isEmpty());
}

TEST_F(LitterBookTest, NewYoungAnimalsGetTheOwnAddressAsBreederAndTheChosenStatus) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 1}, {s(u"WurfStWeiblich"), 1}, {s(u"Kater"), buck}});
  {
    engine::Cursor eigen(stock.engine, s(u"eigenTest"));
    eigen.setTableName(s(u"eigen.DB"));
    eigen.open();
    eigen.first();
    eigen.edit();
    eigen.field(s(u"Name")).setString(s(u"Böhm"));
    eigen.field(s(u"Vorname")).setString(s(u"Jörg"));
    eigen.field(s(u"Strasse")).setString(s(u"Am Bach 3"));
    eigen.field(s(u"Ort")).setString(s(u"Kassel"));
    eigen.post();
  }
  stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Böhm")}, {s(u"Vorname"), s(u"Jörg")}, {s(u"Ort"), s(u"Fulda")}});
  const qint64 own = stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Böhm")}, {s(u"Vorname"), s(u"Jörg")},
                                                   {s(u"Straße"), s(u"Am Bach 3")}, {s(u"Ort"), s(u"Kassel")}});
  EXPECT_EQ(ownAddressNumber(stock.engine), own);
  settings.Stammdaten.Status = 3;
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  EXPECT_EQ(rows.statusForNew(), 3);
  rows.setStatusForNew(1);
  rows.setWhole(0, s(u"3.24.1"));
  rows.setWhole(1, s(u"3.24.2"));
  ASSERT_EQ(rows.save(), 2);
  for (int i = 0; i < 2; ++i) {
    const qint64 n = rows.row(i).satzInDatei;
    EXPECT_EQ(stored(u"Hasen", n, u"Zuechter").toLongLong(), own);
    EXPECT_EQ(stored(u"Hasen", n, u"Besitzer").toLongLong(), besitzer);  // the doe's owner
    EXPECT_EQ(stored(u"Hasen", n, u"Status").toLongLong(), 1);
  }
  // A recorded animal keeps its status when its row is saved again.
  stock.engine.execute(s(u"UPDATE \"Hasen.db\" SET Status = 4 WHERE Nummer = :n"), {{s(u"n"), rows.row(0).satzInDatei}});
  rows.build();
  rows.setWhole(0, s(u"3.24.7"));
  ASSERT_EQ(rows.save(), 1);
  EXPECT_EQ(stored(u"Hasen", rows.row(0).satzInDatei, u"Status").toLongLong(), 4);
}

TEST_F(LitterBookTest, AKilledProcessDuringARowSaveLeavesNothingHalfWritten) {
  const QDate born(2024, 3, 26);
  const qint64 l = litter(born, {{s(u"WurfStMaennlich"), 2}, {s(u"WurfStWeiblich"), 2}, {s(u"Kater"), buck}});
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, buck);
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // Whatever goes wrong in the child ends it with a plain exit, never inside the test run.
    try {
    ScriptedDialogs dialogs;
    open();
    // The litter's figures are changed as well: they belong to the same transaction.
    wurfbuch().edit();
    wurfbuch().field(s(u"WurfStTot")).setInteger(3);
    TNachzucht rows(*module, settings);
    rows.build();
    for (int i = 0; i < rows.rowCount(); ++i) rows.setWhole(i, QStringLiteral("3.24.%1").arg(i + 10));
    int written = 0;
    rows.afterRowWritten = [&](int) {
      if (++written == 3) ::kill(::getpid(), SIGKILL);
    };
    rows.save();
    } catch (...) {
      ::_exit(2);
    }
    ::_exit(0);  // not reached when the kill came
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
  EXPECT_FALSE(stored(u"Wurfbuch.DB", l, u"WurfStTot").isValid() && !stored(u"Wurfbuch.DB", l, u"WurfStTot").isNull());
  EXPECT_EQ(stored(u"Hasen", animals, u"TatoLinks").toString(), s(u"3.24.1"));

  // The same save without the kill writes everything at once.
  ScriptedDialogs dialogs;
  open();
  wurfbuch().edit();
  wurfbuch().field(s(u"WurfStTot")).setInteger(3);
  TNachzucht rows(*module, settings);
  rows.build();
  for (int i = 0; i < rows.rowCount(); ++i) rows.setWhole(i, QStringLiteral("3.24.%1").arg(i + 10));
  EXPECT_EQ(rows.save(), 4);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals + 3);
  EXPECT_EQ(stored(u"Wurfbuch.DB", l, u"WurfStTot").toInt(), 3);
  EXPECT_FALSE(wurfbuch().isEditing());
  EXPECT_EQ(wurfbuch().field(s(u"WurfStTot")).asInteger(), 3);
}

// ---------------------------------------------------------------- the buck's views

TEST_F(LitterBookTest, CoveredDoesTakeTheWinningShowRowAndFullTattoos) {
  ScriptedDialogs dialogs;
  const qint64 longDoe = stock.animal(s(u"ABCDEFGH"), s(u"12.24.1234"), {{s(u"Geschlecht"), s(u"2")}});
  const QDate day(2024, 2, 10);
  auto show = [&](qint64 hase, const QString& titel, double total, double koerper) {
    stock.add(s(u"Ausstellung"), {{s(u"Hase"), hase}, {s(u"Datum"), day}, {s(u"Titel"), titel},
                                  {s(u"EigeneBewertung"), total}, {s(u"Koerper2"), koerper}, {s(u"Fell3"), 14.0}});
  };
  show(longDoe, s(u"Eigene Bewertung"), 97, 20);
  show(longDoe, s(u"Kreisschau"), 90, 18);
  show(longDoe, s(u"Landesschau"), 95, 19);
  show(doe, s(u"Eigene Bewertung"), 96, 19);
  show(doe, s(u"Ortsschau"), 0, 19);
  stock.add(s(u"Wurfbuch.DB"), {{s(u"Katze"), longDoe}, {s(u"Kater"), buck}, {s(u"Wurftag"), QDate(2024, 3, 1)},
                                {s(u"WurfStMaennlich"), 2}, {s(u"WurfStWeiblich"), 2}, {s(u"WurfStTot"), 1}});
  litter(QDate(2024, 4, 1), {{s(u"Kater"), buck}, {s(u"WurfStWeiblich"), 3}});
  open();
  ASSERT_TRUE(module->gotoAnimal(buck));
  engine::Cursor& g = module->at(s(u"GedeckteHaesinnen"));
  ASSERT_EQ(g.recordCount(), 2);
  for (g.first(); !g.eof(); g.next()) {
    if (g.field(s(u"Katze")).asInteger() == longDoe) {
      EXPECT_EQ(g.field(s(u"NameHaesin")).asString(), s(u"ABCDEFGH 12.24.1234"));
      EXPECT_EQ(g.field(s(u"aufgezogen")).asInteger(), 4);
      EXPECT_EQ(g.field(s(u"Geboren")).asInteger(), 5);
      EXPECT_DOUBLE_EQ(g.field(s(u"GesamtPunkte")).asFloat(), 95);
      EXPECT_DOUBLE_EQ(g.field(s(u"Koerper2")).asFloat(), 19);
      EXPECT_EQ(g.field(s(u"Fehlpunkte")).asString(), s(u"1/1/40"));
      EXPECT_EQ(g.field(s(u"PraedikatText")).asString(), s(u"sehr gut"));
    } else {
      // An own judging and a show row without total: no points, no positions.
      EXPECT_TRUE(g.field(s(u"GesamtPunkte")).isNull());
      EXPECT_TRUE(g.field(s(u"PraedikatText")).isNull());
      EXPECT_TRUE(g.field(s(u"Koerper2")).isNull());
    }
  }

  engine::Cursor& r = module->at(s(u"RammlerJungtiere"));
  const qint64 y1 = stock.animal(s(u"ABCDEFGH"), s(u"3.24.1001"), {{s(u"Geschlecht"), s(u"1")}, {s(u"Mutter"), longDoe},
                                                                    {s(u"Geburtstag"), QDate(2024, 3, 1)}});
  stock.animal(s(u"ABCDEFGH"), s(u"3.24.1002"), {{s(u"Geschlecht"), s(u"2")}, {s(u"Mutter"), longDoe},
                                                 {s(u"Geburtstag"), QDate(2024, 3, 1)}});
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), y1}, {s(u"Datum"), day}, {s(u"Titel"), s(u"Körung vom Herdbuch")},
                                {s(u"Gewicht1"), 9.5}, {s(u"Koerper2"), 19.0}, {s(u"Fell3"), 14.0}, {s(u"Kopf4"), 14.5},
                                {s(u"Farbe5"), 14.0}, {s(u"Unterfarbe6"), 9.5}, {s(u"Pflege7"), 5.0}});
  r.setFilter(QStringLiteral("(Mutter=%1)and(Geburtstag='01.03.2024')").arg(longDoe));
  r.setFiltered(true);
  ASSERT_EQ(r.recordCount(), 2);
  r.first();
  EXPECT_EQ(r.field(s(u"Name")).asString(), s(u"ABCDEFGH  3.24.1001"));
  EXPECT_EQ(r.field(s(u"GeschlechtAnzeige")).asString(), s(u"1.0"));
  EXPECT_EQ(r.field(s(u"GesamtPunkteAnzeige")).asString(), s(u"85,5"));
  r.next();
  EXPECT_EQ(r.field(s(u"Name")).asString(), s(u"ABCDEFGH  3.24.1002"));
  EXPECT_TRUE(r.field(s(u"Praedikat")).isNull());
}

// ---------------------------------------------------------------- litter report

TEST_F(LitterBookTest, LitterReportOfADoeWithoutLitters) {
  ScriptedDialogs dialogs;
  open();
  const TWurfmeldungDaten d = fillWurfmeldung(*module, 7, QDate(2024, 6, 1));
  EXPECT_EQ(d.Lfnr, s(u"7"));
  EXPECT_EQ(d.WRasse, s(u"Deutsche Riesen"));
  EXPECT_EQ(d.WFarbe, s(u"grau"));
  EXPECT_EQ(d.WZuchtbuchtaeto, s(u"4.3.2"));
  EXPECT_EQ(d.WBesitzer, s(u"Krause, Ute"));
  EXPECT_EQ(d.DatumZuchtbuch, s(u"01.06.2024"));
  EXPECT_TRUE(d.MRasse.isEmpty());
  EXPECT_TRUE(d.Wurftag.isEmpty());
  EXPECT_EQ(d.Jungtiere, s(u"0"));
  EXPECT_EQ(d.WRammler, s(u"0"));
  for (const auto& z : d.zeilen) EXPECT_TRUE(z.geschlecht.isEmpty());
}

TEST_F(LitterBookTest, LitterReportWithoutRecordedYoungListsBucksFirstWithTheClubNumber) {
  ScriptedDialogs dialogs;
  litter(QDate(2024, 3, 26), {{s(u"WurfStMaennlich"), 3}, {s(u"WurfStWeiblich"), 2}, {s(u"WurfStTot"), 1}, {s(u"Kater"), buck}});
  open();
  const TWurfmeldungDaten d = fillWurfmeldung(*module, 1, QDate(2024, 4, 20));
  EXPECT_EQ(d.Jungtiere, s(u"6"));
  EXPECT_EQ(d.MVereinstaeto, s(u"R1"));
  EXPECT_EQ(d.MBesitzer, s(u"Krause, Ute"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(d.zeilen[i].geschlecht, s(u"Rammler 1.0"));
  for (int i = 3; i < 5; ++i) EXPECT_EQ(d.zeilen[i].geschlecht, s(u"Häsin 0.1"));
  EXPECT_EQ(d.zeilen[4].vereinstaeto, s(u"K17"));
  EXPECT_TRUE(d.zeilen[5].geschlecht.isEmpty());
  EXPECT_EQ(litterTotal(s(u"4"), d.WHaesinnen, d.Wtot, nullptr), 7);
  QString error;
  EXPECT_FALSE(litterTotal(QString(), d.WHaesinnen, d.Wtot, &error));
  EXPECT_EQ(error, s(u"'' ist kein gültiger Integerwert"));
  // Within six weeks, no tattoos yet, parents complete: nothing to reject.
  EXPECT_EQ(herdBookPreCheck(d), QStringList());
}

TEST_F(LitterBookTest, LitterReportOfAnOwnBuckNamesTheUserAndThePreCheckFindsFaults) {
  ScriptedDialogs dialogs;
  const qint64 own = stock.animal(s(u"R9"), s(u"1.23.9"), {{s(u"Geschlecht"), s(u"1")}, {s(u"Status"), 1}});
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 1}, {s(u"WurfStWeiblich"), 2}, {s(u"Kater"), own}});
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, own);
  young(s(u"K17"), s(u"4.24.2"), s(u"2"), born, own);
  young(s(u"K17"), s(u"3.24.1"), s(u"2"), born, own);
  open();
  const TWurfmeldungDaten d = fillWurfmeldung(*module, 1, QDate(2024, 6, 1));
  EXPECT_EQ(d.MBesitzer, s(u"Jörg Sommer"));
  EXPECT_EQ(d.zeilen[1].zuchtbuchtaeto, s(u"4.24.2"));
  const QString found = herdBookPreCheck(d).join(u'\n');
  EXPECT_TRUE(found.contains(s(u"sechs Wochen"))) << found.toStdString();
  EXPECT_TRUE(found.contains(s(u"Zeile 2: Zuchtbuchtäto 4.24.2 passt nicht"))) << found.toStdString();
  EXPECT_TRUE(found.contains(s(u"Zeile 3: die Tätowierung K17  3.24.1 steht zweimal"))) << found.toStdString();
  EXPECT_TRUE(found.contains(s(u"Beim Rammler fehlt Rasse oder Farbe"))) << found.toStdString();
  EXPECT_FALSE(found.contains(s(u"Häsin fehlt"))) << found.toStdString();
  TWurfmeldungDaten more = d;
  more.WRammler = s(u"2");
  EXPECT_TRUE(herdBookPreCheck(more).join(u'\n').contains(s(u"nennt 4 aufgezogene Jungtiere, gelistet sind 3")));
}

// The doe's owner and breeder are filled the same way as the buck's: an own doe (status 1)
// names the user as owner, her breeder's address is named as well.
TEST_F(LitterBookTest, LitterReportFillsTheDoesOwnerAndBreederLikeTheBucks) {
  ScriptedDialogs dialogs;
  const qint64 zuechter = stock.add(s(u"Adresse.db"), {{s(u"Name"), s(u"Böhm")}, {s(u"Vorname"), s(u"Anna")}});
  stock.engine.execute(s(u"UPDATE \"Hasen.db\" SET Status = 1, Besitzer = NULL, Zuechter = :z WHERE Nummer = :n"),
                       {{s(u"z"), zuechter}, {s(u"n"), doe}});
  stock.engine.execute(s(u"UPDATE \"Hasen.db\" SET Zuechter = :z WHERE Nummer = :n"), {{s(u"z"), zuechter}, {s(u"n"), buck}});
  litter(QDate(2024, 3, 26), {{s(u"WurfStMaennlich"), 1}, {s(u"Kater"), buck}});
  open();
  const TWurfmeldungDaten d = fillWurfmeldung(*module, 1, QDate(2024, 4, 20));
  EXPECT_EQ(d.WBesitzer, s(u"Jörg Sommer"));
  EXPECT_EQ(d.WZuechter, s(u"Böhm, Anna"));
  EXPECT_EQ(d.MZuechter, d.WZuechter);
  EXPECT_EQ(d.MBesitzer, s(u"Krause, Ute"));
}

// ---------------------------------------------------------------- boundaries of the rules

TEST(LitterArithmetic, AFigureIsAWholeNumberFromZeroToNinetyNine) {
  for (const auto& [text, value] : {std::pair{u"0", 0}, {u"99", 99}, {u"7", 7}}) {
    QString error;
    EXPECT_EQ(parseLitterFigure(s(text), &error), value) << value;
    EXPECT_TRUE(error.isEmpty());
  }
  QString error;
  EXPECT_FALSE(parseLitterFigure(s(u"100"), &error).has_value());
  EXPECT_EQ(error, s(u"'100' ist keine gültige Anzahl. Bitte eine ganze Zahl von 0 bis 99 eingeben."));
  EXPECT_FALSE(parseLitterFigure(s(u"100"), nullptr).has_value());
}

TEST(LitterArithmetic, ImplausibleLitterDayQuestionsNameBothDays) {
  EXPECT_EQ(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 2, 20), 65),
            s(u"Der Wurftag 20.02.2024 liegt vor dem Deckdatum 01.03.2024. Trotzdem speichern?"));
  EXPECT_EQ(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(2024, 6, 15), 65),
            s(u"Der Wurftag 15.06.2024 liegt mehr als 40 Tage nach dem errechneten Wurftermin 05.05.2024. Trotzdem speichern?"));
  // Without either day there is nothing to compare.
  EXPECT_TRUE(implausibleLitterDayQuestion(QDate(), QDate(2024, 6, 15), 65).isEmpty());
  EXPECT_TRUE(implausibleLitterDayQuestion(QDate(2024, 3, 1), QDate(), 65).isEmpty());
  EXPECT_TRUE(implausibleLitterDayQuestion(QDate(), QDate(), 65).isEmpty());
}

TEST(LitterArithmetic, MissingPointsAreTheGapsToTwentyFifteenAndForty) {
  using core::Points;
  auto p = [](double v) { return Points::fromDouble(v); };
  // Body 18.5 of 20, fur 13 of 15, head + colour + undercolour 13.5 + 14 + 9 = 36.5 of 40.
  EXPECT_EQ(judgingMissingPoints(p(18.5), p(13), p(13.5), p(14), p(9)), s(u"1,5/2/3,5"));
  EXPECT_EQ(judgingMissingPoints(p(20), p(15), p(14), p(16), p(10)), s(u"0/0/0"));
  EXPECT_EQ(judgingMissingPoints(Points(), Points(), Points(), Points(), Points()), s(u"20/15/40"));
}

TEST(LitterArithmetic, TheBreedingYearTurnsAfterOctober) {
  struct Case {
    QDate day;
    int month, year;
  };
  for (const Case& c : {Case{QDate(2024, 10, 31), 10, 24}, Case{QDate(2024, 11, 1), 0, 25}, Case{QDate(2024, 12, 31), 0, 25},
                        Case{QDate(2024, 1, 1), 1, 24}, Case{QDate(1999, 9, 9), 9, 99}, Case{QDate(998, 5, 5), 5, 998}}) {
    EXPECT_EQ(tattooPreset(c.day).month, c.month) << c.day.toString().toStdString();
    EXPECT_EQ(tattooPreset(c.day).year, c.year) << c.day.toString().toStdString();
  }
  EXPECT_EQ(litterSizeText(QVariant(), 2, 0), s(u"/2/0"));
  EXPECT_EQ(litterSizeText(1, QVariant(QMetaType(QMetaType::LongLong)), 3), s(u"1//3"));
}

// Figures counted from the young animals fill only empty fields, only with at least one animal,
// and the buck only when a figure was filled and no buck is recorded.
TEST_F(LitterBookTest, CountedFiguresFillOnlyWhatIsEmptyAndTheBuckOnlyWithThem) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  const qint64 other = stock.animal(s(u"X"), s(u"1.1.1"), {{s(u"Geschlecht"), s(u"1")}});
  // One buck found, no doe: the does' field stays empty, the buck of the last young is taken.
  const qint64 one = litter(born);
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, other);
  open();
  EXPECT_EQ(rules->foundBucks(), 1);
  EXPECT_EQ(rules->foundDoes(), 0);
  EXPECT_EQ(wurfbuch().field(s(u"WurfStMaennlich")).asInteger(), 1);
  EXPECT_TRUE(wurfbuch().field(s(u"WurfStWeiblich")).isNull());
  EXPECT_EQ(wurfbuch().field(s(u"Kater")).asInteger(), other);
  wurfbuch().post();
  module.reset();

  // A recorded buck is kept although the young name another father.
  stock.engine.execute(s(u"UPDATE \"Wurfbuch.DB\" SET WurfStMaennlich = NULL, Kater = :k WHERE LaufendeNummer = :n"),
                       {{s(u"k"), buck}, {s(u"n"), one}});
  open();
  EXPECT_EQ(wurfbuch().field(s(u"WurfStMaennlich")).asInteger(), 1);
  EXPECT_EQ(wurfbuch().field(s(u"Kater")).asInteger(), buck);
  wurfbuch().cancel();
  module.reset();

  // Nothing filled (the figures are there): no buck is taken from the young.
  stock.engine.execute(s(u"UPDATE \"Wurfbuch.DB\" SET WurfStMaennlich = 1, Kater = NULL WHERE LaufendeNummer = :n"),
                       {{s(u"n"), one}});
  open();
  EXPECT_FALSE(wurfbuch().isEditing());
  EXPECT_TRUE(wurfbuch().field(s(u"Kater")).isNull());
  module.reset();

  // Young without a father fill the figure but name no buck.
  stock.engine.execute(s(u"UPDATE \"Wurfbuch.DB\" SET WurfStMaennlich = NULL WHERE LaufendeNummer = :n"), {{s(u"n"), one}});
  stock.engine.execute(s(u"UPDATE \"Hasen.db\" SET Vater = NULL WHERE Mutter = :m"), {{s(u"m"), doe}});
  open();
  EXPECT_EQ(wurfbuch().field(s(u"WurfStMaennlich")).asInteger(), 1);
  EXPECT_TRUE(wurfbuch().field(s(u"Kater")).isNull());
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LitterBookTest, TheCountCheckComparesEachFigureWithItsOwnSexAndAsksOnlyBelowIt) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 0}, {s(u"WurfStWeiblich"), 2}, {s(u"Kater"), buck}});
  young(s(u"K17"), s(u"3.24.1"), s(u"2"), born, buck);
  young(s(u"K17"), s(u"3.24.2"), s(u"2"), born, buck);
  open();
  ASSERT_EQ(rules->foundDoes(), 2);
  ASSERT_EQ(rules->foundBucks(), 0);
  wurfbuch().edit();
  // Equal to the does found, no buck found, a cleared field, the dead: no question.
  wurfbuch().field(s(u"WurfStWeiblich")).setInteger(2);
  wurfbuch().field(s(u"WurfStMaennlich")).setInteger(0);
  wurfbuch().field(s(u"WurfStWeiblich")).clear();
  const int rebuilds = card.rebuilds;
  wurfbuch().field(s(u"WurfStTot")).setInteger(0);
  wurfbuch().field(s(u"Bemerkung")).setString(s(u"x"));
  EXPECT_TRUE(dialogs.shown().empty()) << dialogs.texts().join(u'|').toStdString();
  EXPECT_EQ(card.rebuilds, rebuilds);  // only the sexes' figures rebuild the rows
  // One doe fewer than found asks; "Ja" takes the number found.
  dialogs.yes();
  wurfbuch().field(s(u"WurfStWeiblich")).setInteger(1);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].text, s(u"Es wurden mehr Jungtiere gefunden als eingegeben! Soll die Anzahl angepasst werden?"));
  EXPECT_EQ(wurfbuch().field(s(u"WurfStWeiblich")).asInteger(), 2);
}

TEST_F(LitterBookTest, SavingAcceptsZeroFiguresAndAsksNothingForAPlausibleLitter) {
  ScriptedDialogs dialogs;
  const qint64 l = litter(QDate(2024, 3, 26), {{s(u"Kater"), buck}});
  open();
  for (const char16_t* f : {u"WurfStMaennlich", u"WurfStWeiblich", u"WurfStTot"}) {
    wurfbuch().edit();
    wurfbuch().field(s(f)).setInteger(0);
    wurfbuch().post();
    EXPECT_EQ(stored(u"Wurfbuch.DB", l, f).toInt(), 0) << QString::fromUtf16(f).toStdString();
  }
  EXPECT_TRUE(dialogs.shown().empty()) << dialogs.texts().join(u'|').toStdString();
  // Each figure on its own is checked for a negative value.
  for (const char16_t* f : {u"WurfStMaennlich", u"WurfStWeiblich"}) {
    dialogs.clear();
    wurfbuch().edit();
    dialogs.no();  // fewer than the none found: the count check asks first
    wurfbuch().field(s(f)).setInteger(-1);
    EXPECT_THROW(wurfbuch().post(), engine::Abort) << QString::fromUtf16(f).toStdString();
    EXPECT_EQ(dialogs.texts().value(1), s(u"Die Wurfstärke darf nicht negativ sein."));
    wurfbuch().cancel();
  }
  // A litter day more than 40 days after the expected day asks; "Ja" saves it.
  wurfbuch().edit();
  wurfbuch().field(s(u"Wurftag")).setDate(QDate(2024, 5, 10));
  dialogs.clear();
  dialogs.yes();
  wurfbuch().post();
  EXPECT_EQ(stored(u"Wurfbuch.DB", l, u"Wurftag").toDate(), QDate(2024, 5, 10));
  EXPECT_EQ(dialogs.shown().size(), 1u);
}

TEST_F(LitterBookTest, AddingDeletingAndUndoingLitters) {
  ScriptedDialogs dialogs;
  const qint64 first = litter(QDate(2023, 3, 1), {{s(u"Kater"), buck}});
  const qint64 second = litter(QDate(2024, 3, 1), {{s(u"Kater"), buck}});
  open();
  // A new litter is not stored until saved; deleting it only drops the new row, asking first.
  ASSERT_TRUE(rules->addLitter());
  EXPECT_EQ(wurfbuch().state(), engine::DataSetState::Insert);
  dialogs.yes();
  EXPECT_TRUE(rules->deleteLitter());
  EXPECT_EQ(dialogs.texts(), QStringList{StockDirectory::message(28)});
  EXPECT_EQ(stock.rowCount(s(u"Wurfbuch.DB")), 2);
  EXPECT_EQ(wurfbuch().field(s(u"LaufendeNummer")).asInteger(), second);

  // "Nein" keeps the litter; "Ja" deletes the shown one and shows the last left.
  dialogs.no();
  EXPECT_FALSE(rules->deleteLitter());
  EXPECT_EQ(stock.rowCount(s(u"Wurfbuch.DB")), 2);
  wurfbuch().edit();
  wurfbuch().field(s(u"WurfStTot")).setInteger(4);
  dialogs.yes();
  EXPECT_TRUE(rules->deleteLitter());
  EXPECT_EQ(stock.rowCount(s(u"Wurfbuch.DB")), 1);
  EXPECT_EQ(wurfbuch().field(s(u"LaufendeNummer")).asInteger(), first);

  // Undo drops an edit and leaves the stored values.
  wurfbuch().edit();
  wurfbuch().field(s(u"WurfStTot")).setInteger(9);
  rules->undoLitter();
  EXPECT_FALSE(wurfbuch().isEditing());
  EXPECT_TRUE(wurfbuch().field(s(u"WurfStTot")).isNull());
  dialogs.yes();
  EXPECT_TRUE(rules->deleteLitter());
  EXPECT_FALSE(wurfbuch().hasRecord());
  EXPECT_FALSE(rules->deleteLitter());  // nothing left: no question
  EXPECT_FALSE(rules->deleteWeightRow());
  EXPECT_EQ(rules->foundBucks() + rules->foundDoes(), 0);
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

TEST_F(LitterBookTest, WeightRowsOfOneDayFollowTheirOrderAndDeletingARowAsks) {
  ScriptedDialogs dialogs;
  const qint64 other = litter(QDate(2023, 3, 26), {{s(u"Kater"), buck}});
  const qint64 l = litter(QDate(2024, 3, 26), {{s(u"Kater"), buck}});
  stock.add(s(u"Jungtiere"), {{s(u"Wurf"), other}, {s(u"Datum"), QDate(2024, 4, 1)}, {s(u"Gewicht"), 100.0}});
  for (auto [d, g] : {std::pair{1, 500.0}, {1, 560.0}, {8, 700.0}})
    stock.add(s(u"Jungtiere"), {{s(u"Wurf"), l}, {s(u"Datum"), QDate(2024, 4, d)}, {s(u"Gewicht"), g}});
  open();
  engine::Cursor& j = module->at(s(u"Jungtiere"));
  std::vector<double> diff, mean;
  for (j.first(); !j.eof(); j.next()) {
    diff.push_back(j.field(s(u"Differenz")).asFloat());
    mean.push_back(j.field(s(u"Mittelwert")).isNull() ? -1 : j.field(s(u"Mittelwert")).asFloat());
  }
  EXPECT_EQ(diff, (std::vector<double>{0, 60, 140}));
  EXPECT_EQ(mean, (std::vector<double>{-1, 60, 100}));
  // The other litter's rows are figured among themselves.
  for (wurfbuch().first(); wurfbuch().field(s(u"LaufendeNummer")).asInteger() != other; wurfbuch().next()) {}
  j.first();
  ASSERT_FALSE(j.eof());
  EXPECT_DOUBLE_EQ(j.field(s(u"Differenz")).asFloat(), 0);
  EXPECT_TRUE(j.field(s(u"Mittelwert")).isNull());
  for (wurfbuch().first(); wurfbuch().field(s(u"LaufendeNummer")).asInteger() != l; wurfbuch().next()) {}

  j.last();
  dialogs.no();
  EXPECT_FALSE(rules->deleteWeightRow());
  EXPECT_EQ(dialogs.texts(), QStringList{StockDirectory::message(15)});
  dialogs.yes();
  EXPECT_TRUE(rules->deleteWeightRow());
  EXPECT_EQ(stock.rowCount(s(u"Jungtiere")), 3);
  // A new row not yet saved is only dropped.
  j.append();
  dialogs.yes();
  EXPECT_TRUE(rules->deleteWeightRow());
  EXPECT_EQ(stock.rowCount(s(u"Jungtiere")), 3);
}

// The buck's views: every position of the doe's best show row and of a young animal's judging,
// the first of two equal totals, and the grade of a judged total.
TEST_F(LitterBookTest, TheBucksViewsShowEveryPositionOfTheJudging) {
  ScriptedDialogs dialogs;
  auto show = [&](qint64 hase, const QDate& day, double total, double gewicht, double pflege) {
    stock.add(s(u"Ausstellung"), {{s(u"Hase"), hase}, {s(u"Datum"), day}, {s(u"Titel"), s(u"Kreisschau")},
                                  {s(u"EigeneBewertung"), total}, {s(u"Gewicht1"), gewicht}, {s(u"Koerper2"), 18.5},
                                  {s(u"Fell3"), 13.0}, {s(u"Kopf4"), 13.5}, {s(u"Farbe5"), 14.0}, {s(u"Unterfarbe6"), 9.0},
                                  {s(u"Pflege7"), pflege}});
  };
  show(doe, QDate(2024, 1, 10), 94.5, 9.5, 4.5);
  show(doe, QDate(2024, 2, 10), 94.5, 10.0, 5.0);
  litter(QDate(2024, 4, 1), {{s(u"Kater"), buck}, {s(u"WurfStMaennlich"), 1}});
  const QDate born(2024, 4, 1);
  const qint64 judged = young(s(u"K17"), s(u"4.24.1"), s(u"1"), born, buck);
  young(s(u"K17"), s(u"4.24.2"), s(u"2"), born, buck);
  const qint64 weighed = young(s(u"K17"), s(u"4.24.3"), s(u"3"), born, buck);
  // Only weighed: no total and no other position.
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), weighed}, {s(u"Datum"), QDate(2024, 5, 5)}, {s(u"Titel"), s(u"Körung vom Herdbuch")},
                                {s(u"Gewicht1"), 9.0}});
  stock.add(s(u"Ausstellung"), {{s(u"Hase"), judged}, {s(u"Datum"), QDate(2024, 5, 5)}, {s(u"Titel"), s(u"Körung vom Herdbuch")},
                                {s(u"EigeneBewertung"), 96.0}, {s(u"Gewicht1"), 9.0}, {s(u"Koerper2"), 19.0}, {s(u"Fell3"), 14.5},
                                {s(u"Kopf4"), 14.0}, {s(u"Farbe5"), 14.5}, {s(u"Unterfarbe6"), 9.5}, {s(u"Pflege7"), 4.0}});
  open();
  ASSERT_TRUE(module->gotoAnimal(buck));
  engine::Cursor& g = module->at(s(u"GedeckteHaesinnen"));
  ASSERT_EQ(g.recordCount(), 1);
  g.first();
  EXPECT_DOUBLE_EQ(g.field(s(u"Gewicht1")).asFloat(), 9.5);
  EXPECT_DOUBLE_EQ(g.field(s(u"Pflege7")).asFloat(), 4.5);
  EXPECT_DOUBLE_EQ(g.field(s(u"GesamtPunkte")).asFloat(), 94.5);
  EXPECT_EQ(g.field(s(u"Fehlpunkte")).asString(), s(u"1,5/2/3,5"));
  EXPECT_EQ(g.field(s(u"PraedikatText")).asString(), s(u"sehr gut"));

  engine::Cursor& r = module->at(s(u"RammlerJungtiere"));
  r.setFilter(QStringLiteral("(Mutter=%1)").arg(doe));
  r.setFiltered(true);
  ASSERT_EQ(r.recordCount(), 3);
  QStringList sexes;
  for (r.first(); !r.eof(); r.next()) {
    sexes << r.field(s(u"GeschlechtAnzeige")).asString();
    if (r.field(s(u"Nummer")).asInteger() == judged) {
      EXPECT_DOUBLE_EQ(r.field(s(u"Gewicht1")).asFloat(), 9.0);
      EXPECT_DOUBLE_EQ(r.field(s(u"Pflege7")).asFloat(), 4.0);
      EXPECT_DOUBLE_EQ(r.field(s(u"Gesamtpunkte")).asFloat(), 96.0);
      EXPECT_EQ(r.field(s(u"DatumBewertung")).asDate(), QDate(2024, 5, 5));
      EXPECT_EQ(r.field(s(u"Fehlpunkte")).asString(), s(u"1/0,5/2"));
      EXPECT_EQ(r.field(s(u"GesamtPunkteAnzeige")).asString(), s(u"96"));
      EXPECT_EQ(r.field(s(u"Praedikat")).asString(), s(u"hervorragend"));
    } else if (r.field(s(u"Nummer")).asInteger() == weighed) {
      EXPECT_DOUBLE_EQ(r.field(s(u"Gewicht1")).asFloat(), 9.0);
      EXPECT_TRUE(r.field(s(u"Koerper2")).isNull());
      EXPECT_TRUE(r.field(s(u"Gesamtpunkte")).isNull());
      EXPECT_TRUE(r.field(s(u"Fehlpunkte")).isNull());
      EXPECT_EQ(r.field(s(u"GesamtPunkteAnzeige")).asString(), s(u"9"));
      EXPECT_EQ(r.field(s(u"Praedikat")).asString(), s(u"nicht befriedigend"));
    } else {
      EXPECT_TRUE(r.field(s(u"Fehlpunkte")).isNull());
      EXPECT_TRUE(r.field(s(u"GesamtPunkteAnzeige")).isNull());
      EXPECT_TRUE(r.field(s(u"Gewicht1")).isNull());
    }
  }
  sexes.sort();
  EXPECT_EQ(sexes, (QStringList{QString(), s(u"0.1"), s(u"1.0")}));
}

// ---------------------------------------------------------------- young-animal rows

TEST_F(LitterBookTest, RowsFollowEachFigureAndShowTheRecordedColour) {
  ScriptedDialogs dialogs;
  // The longest breed name a breed can have: 25 characters.
  const QString longName = s(u"Kleinchinchilla-Kaninchen");
  const qint64 rex = stock.add(s(u"Rasse"), {{s(u"Name"), longName}});
  stock.add(s(u"Farbe"), {{s(u"Rasse"), rex}, {s(u"Name"), s(u"blau")}});
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStWeiblich"), 3}, {s(u"Kater"), buck}});
  young(s(u"K17"), s(u"3.24.1"), s(u"2"), born, buck);
  const qint64 plain = stock.animal(s(u"K17"), s(u"3.24.2"), {{s(u"Geschlecht"), s(u"2")}, {s(u"Mutter"), doe},
                                                               {s(u"Geburtstag"), born}, {s(u"Rasse"), rex}});
  stock.engine.execute(s(u"UPDATE \"Hasen.db\" SET Rasse = :r, Farbe = :f WHERE TatoLinks = '3.24.1'"),
                       {{s(u"r"), rasse}, {s(u"f"), farbe}});
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  // No buck figure: only doe rows, the recorded ones first.
  ASSERT_EQ(rows.rowCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(rows.row(i).buck) << i;
  EXPECT_EQ(rows.row(0).farbe, s(u"grau"));
  EXPECT_TRUE(rows.row(0).farbeEnabled);
  EXPECT_EQ(rows.row(0).farben, QStringList{s(u"grau")});
  EXPECT_EQ(rows.row(1).satzInDatei, plain);
  EXPECT_EQ(rows.row(1).rasse, longName);
  EXPECT_EQ(rows.row(1).farben, QStringList{s(u"blau")});
  EXPECT_TRUE(rows.row(1).farbe.isEmpty());
  EXPECT_FALSE(rows.row(1).farbeEnabled);
  EXPECT_EQ(rows.row(2).status, RowStatus::Neu);

  // Another breed offers its own colours and clears the chosen one.
  rows.setBreed(2, longName);
  EXPECT_EQ(rows.row(2).farben, QStringList{s(u"blau")});
  EXPECT_TRUE(rows.row(2).farbe.isEmpty());
  EXPECT_TRUE(rows.row(2).farbeEnabled);
  rows.setBreed(2, s(u"unbekannt"));
  EXPECT_TRUE(rows.row(2).farben.isEmpty());
  EXPECT_FALSE(rows.row(2).farbeEnabled);
  EXPECT_EQ(rows.row(2).status, RowStatus::Geaendert);
  EXPECT_TRUE(rows.saveEnabled());
  // A young animal recorded meanwhile elsewhere is found when the rows are built again.
  const qint64 later = young(s(u"K17"), s(u"3.24.3"), s(u"2"), born, buck);
  rows.build();
  EXPECT_EQ(rows.row(2).satzInDatei, later);
  EXPECT_EQ(rows.row(2).status, RowStatus::Vorhanden);
}

TEST_F(LitterBookTest, TattoosAreCutToTheirLengthsAndNumberedOnFromAFullLeftTattoo) {
  ScriptedDialogs dialogs;
  litter(QDate(2024, 3, 26), {{s(u"WurfStMaennlich"), 2}, {s(u"WurfStWeiblich"), 2}, {s(u"Kater"), buck}});
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  ASSERT_EQ(rows.rowCount(), 4);
  rows.setRightTattoo(0, s(u"ABCDEFGHI"));
  EXPECT_EQ(rows.row(0).tatoRechts, s(u"ABCDEFGH"));
  rows.setWhole(0, s(u"12.24.12345"));
  EXPECT_EQ(rows.row(0).whole, s(u"12.24.1234"));

  // Only a tattoo of three parts numbers on; the rows below keep month and year and get the
  // following numbers.
  rows.setWhole(2, s(u"12.24.7"));
  rows.setWhole(0, s(u"3.24"));
  rows.leaveNumber(0);
  rows.setWhole(0, s(u"3.24.5.1"));
  rows.leaveNumber(0);
  EXPECT_EQ(rows.row(1).whole, s(u"3.24."));
  rows.leaveNumber(0);  // nothing typed since
  rows.setWhole(0, s(u"3.24.1"));
  rows.leaveNumber(0);
  EXPECT_EQ(rows.row(1).whole, s(u"3.24.2"));
  EXPECT_EQ(rows.row(2).whole, s(u"12.24.3"));
  EXPECT_EQ(rows.row(3).whole, s(u"3.24.4"));
  // From a lower row only the rows below it change.
  rows.setWhole(2, s(u"12.24.20"));
  rows.leaveNumber(2);
  EXPECT_EQ(rows.row(1).whole, s(u"3.24.2"));
  EXPECT_EQ(rows.row(3).whole, s(u"3.24.21"));
  rows.setWhole(3, s(u"3.24.0"));
  rows.leaveNumber(3);
  EXPECT_EQ(rows.row(3).whole, s(u"3.24.0"));
  // The typed row keeps its text as typed.
  rows.setWhole(1, s(u"3.24.07"));
  rows.leaveNumber(1);
  EXPECT_EQ(rows.row(1).whole, s(u"3.24.07"));
  EXPECT_EQ(rows.row(2).whole, s(u"12.24.8"));
}

TEST_F(LitterBookTest, InPartsEveryPartIsNeededAndMonthZeroIsAValue) {
  settings.Stammdaten.TaetoLinksEinzeln = true;
  ScriptedDialogs dialogs;
  litter(QDate(2024, 3, 26), {{s(u"WurfStWeiblich"), 4}, {s(u"Kater"), buck}});
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  ASSERT_EQ(rows.rowCount(), 4);
  using Part = TNachzucht::Part;
  for (int i = 0; i < 4; ++i) {
    rows.setRightTattoo(i, s(u"K17"));
    EXPECT_TRUE(rows.setPart(i, Part::Month, s(u"0")));
    EXPECT_TRUE(rows.setPart(i, Part::Year, s(u"25")));
    EXPECT_TRUE(rows.setPart(i, Part::Number, QString::number(i + 1)));
  }
  EXPECT_TRUE(dialogs.shown().empty());
  rows.setRightTattoo(1, QString());
  rows.setPart(2, Part::Month, QString());
  rows.setPart(3, Part::Year, QString());
  EXPECT_EQ(rows.save(), 1);
  EXPECT_EQ(rows.row(0).status, RowStatus::Gespeichert);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(rows.row(i).status, RowStatus::Fehler) << i;
    EXPECT_EQ(rows.row(i).reason, QString::fromUtf16(kRowIncomplete)) << i;
  }
  EXPECT_EQ(stored(u"Hasen", rows.row(0).satzInDatei, u"TatoLinks").toString(), s(u"0.25.1"));
  EXPECT_EQ(stored(u"Hasen", rows.row(0).satzInDatei, u"TatoRechts").toString(), s(u"K17"));
}

// Two rows are the same animal only when both tattoos agree; a new animal without own address
// is bred by the doe's owner, and status 0 saves none.
TEST_F(LitterBookTest, RowsDifferingInOneTattooAreTwoAnimals) {
  ScriptedDialogs dialogs;
  litter(QDate(2024, 3, 26), {{s(u"WurfStWeiblich"), 3}, {s(u"Kater"), buck}});
  settings.Stammdaten.Status = 3;
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  rows.setStatusForNew(0);
  EXPECT_EQ(rows.statusForNew(), 0);
  rows.setRightTattoo(1, s(u"K18"));
  rows.setWhole(0, s(u"3.24.1"));
  rows.setWhole(1, s(u"3.24.1"));  // other right tattoo
  rows.setWhole(2, s(u"3.24.2"));  // other left tattoo
  EXPECT_EQ(rows.save(), 3);
  for (int i = 0; i < 3; ++i) {
    const qint64 n = rows.row(i).satzInDatei;
    EXPECT_EQ(rows.row(i).status, RowStatus::Gespeichert) << i;
    EXPECT_EQ(stored(u"Hasen", n, u"Zuechter").toLongLong(), besitzer) << i;
    EXPECT_TRUE(stored(u"Hasen", n, u"Status").isNull()) << i;
  }
  EXPECT_FALSE(rows.saveEnabled());
  EXPECT_EQ(ownAddressNumber(stock.engine), 0);  // "Sommer" is not in the address book
}

TEST_F(LitterBookTest, WithoutLitterOrLitterDayRowsAreNeitherSavedNorDeleted) {
  ScriptedDialogs dialogs;
  open();
  {
    TNachzucht none(*module, settings);
    none.build();
    EXPECT_EQ(none.rowCount(), 0);
    EXPECT_EQ(none.save(), -1);
    EXPECT_TRUE(dialogs.shown().empty());
  }
  module.reset();

  litter(QDate(), {{s(u"WurfStMaennlich"), 1}, {s(u"Kater"), buck}, {s(u"Decktermin"), QDate(2024, 1, 1)}});
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), QDate());
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  rows.setWhole(0, s(u"3.24.1"));
  EXPECT_EQ(rows.save(), -1);
  EXPECT_EQ(dialogs.texts(), QStringList{s(u"Bitte erst Wurftag erfassen!")});
  dialogs.yes();
  EXPECT_FALSE(rows.deleteYoung());
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
}

TEST_F(LitterBookTest, DeletingTheYoungAsksAndNoKeepsThem) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 1}, {s(u"Kater"), buck}});
  young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, buck);
  young(s(u"K17"), s(u"3.24.2"), s(u"1"), born.addDays(1), buck);  // another litter's day
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  dialogs.no();
  EXPECT_FALSE(rows.deleteYoung());
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
  EXPECT_EQ(dialogs.texts(), QStringList{s(u"Sollen die Jungtiere des Wurfes wirklich aus dem Datenbestand gelöscht werden?")});
  dialogs.yes();
  EXPECT_TRUE(rows.deleteYoung());
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals - 1);
  EXPECT_EQ(rows.row(0).status, RowStatus::Neu);
}

// With the question before saving switched on, "Nein" writes no row; an unchanged litter
// being edited is left in its edit.
TEST_F(LitterBookTest, RowsAreSavedOnlyAfterTheQuestionAndLeaveAnUnchangedLitterAlone) {
  settings.System.Speichern = false;
  ScriptedDialogs dialogs;
  litter(QDate(2024, 3, 26), {{s(u"WurfStWeiblich"), 1}, {s(u"Kater"), buck}});
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  rows.setWhole(0, s(u"3.24.1"));
  dialogs.no();
  EXPECT_EQ(rows.save(), -1);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
  EXPECT_EQ(rows.row(0).status, RowStatus::Geaendert);
  wurfbuch().edit();
  dialogs.yes();
  EXPECT_EQ(rows.save(), 1);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals + 1);
  EXPECT_TRUE(wurfbuch().isEditing());
  wurfbuch().cancel();
  // A new litter is saved first; "Nein" to its question saves neither it nor its rows.
  ASSERT_TRUE(rules->addLitter());
  wurfbuch().field(s(u"Wurftag")).setDate(QDate(2024, 5, 20));
  wurfbuch().field(s(u"Kater")).setInteger(buck);
  wurfbuch().field(s(u"WurfStWeiblich")).setInteger(1);
  rows.build();
  rows.setWhole(0, s(u"5.24.1"));
  dialogs.no();
  EXPECT_EQ(rows.save(), -1);
  EXPECT_EQ(stock.rowCount(s(u"Wurfbuch.DB")), 1);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals + 1);
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

// The first record of the stock (number 1) is a recorded animal like any other: saving its
// row changes it and keeps its status.
TEST_F(LitterBookTest, TheYoungAnimalWithRecordNumberOneIsChangedNotAddedAgain) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  stock.engine.execute(s(u"UPDATE \"Hasen.db\" SET Nummer = 1000 WHERE Nummer = :n"), {{s(u"n"), buck}});
  ASSERT_EQ(buck, 1);
  const qint64 y = young(s(u"K17"), s(u"3.24.1"), s(u"1"), born, 1000);
  stock.engine.execute(s(u"UPDATE \"Hasen.db\" SET Nummer = 1, Status = 4 WHERE Nummer = :n"), {{s(u"n"), y}});
  litter(born, {{s(u"WurfStMaennlich"), 1}, {s(u"Kater"), 1000}});
  settings.Stammdaten.Status = 3;
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  ASSERT_EQ(rows.row(0).satzInDatei, 1);
  rows.setWhole(0, s(u"3.24.8"));
  EXPECT_EQ(rows.save(), 1);
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
  EXPECT_EQ(stored(u"Hasen", 1, u"TatoLinks").toString(), s(u"3.24.8"));
  EXPECT_EQ(stored(u"Hasen", 1, u"Status").toLongLong(), 4);
}

TEST(LitterArithmetic, RowStatusTextsAreShortGermanWords) {
  EXPECT_EQ(statusText(RowStatus::Vorhanden), s(u"vorh."));
  EXPECT_EQ(statusText(RowStatus::Neu), s(u"neu"));
  EXPECT_EQ(statusText(RowStatus::Geaendert), s(u"geänd."));
  EXPECT_EQ(statusText(RowStatus::Gespeichert), s(u"gesp."));
  EXPECT_EQ(statusText(RowStatus::Fehler), s(u"FEHLER"));
}

TEST(LitterReportLayout, OneA4PageWithEveryFixedText) {
  TWurfmeldungDaten d;
  d.Lfnr = s(u"12");
  d.MRasse = s(u"Deutsche Riesen");
  d.zeilen[13] = {s(u"Häsin 0.1"), s(u"K17"), s(u"3.24.14")};
  const reports::MemoryDataSource one(std::vector<QVariantMap>{QVariantMap{}});
  const reports::PageModel model = reports::layoutReport(TReportWurfmeldung(d), one);
  ASSERT_EQ(model.pages.size(), 1u);
  const reports::Page& page = model.pages.front();
  for (const char16_t* text :
       {u"Wurfmeldung", u"Lfd. Nr.:", u"Der Rammler der Rasse:", u"hat die Häsin der Rasse:", u"Vereinstäto",
        u"Zuchtbuchtäto", u"Besitzer:", u"Züchter:", u"mit Erfolg gedeckt.", u"Unterschrift des Rammlerbesitzers",
        u"Unterschrift des Häsinnenbesitzers", u"(Vereinssiegel)", u"Wurftag:", u"Es wurden insgesamt",
        u"Jungtiere geworfen. Davon sind", u"Rammler,", u"Häsinnen und", u"tot.", u"Lfd.Nr.", u"Geschlecht",
        u"Eingetragen ins Zuchtbuch am:", u"Kennzeichnung am:", u"Unterschrift Zuchtbuchführer",
        u"Unterschrift Tätowiermeister", u"Vereinssiegel   des Zuchtbuchführers",
        u"Für jedes Tier nur eine Zeile  verwenden.", u"Bei offensichtlichen Manipulationen", u"printed by Lapiro Manager",
        u"Deutsche Riesen", u"3.24.14"})
    EXPECT_TRUE(page.containsText(QString::fromUtf16(text))) << QString::fromUtf16(text).toStdString();
}

// A disk that refuses the write: the message is shown, nothing is counted as written.
TEST_F(LitterBookTest, AWriteTheDiskRefusesIsReportedAndCountsAsNothingWritten) {
  ScriptedDialogs dialogs;
  const QDate born(2024, 3, 26);
  litter(born, {{s(u"WurfStMaennlich"), 1}, {s(u"Kater"), buck}});
  const qint64 animals = stock.rowCount(s(u"Hasen"));
  open();
  TNachzucht rows(*module, settings);
  rows.build();
  rows.setWhole(0, s(u"3.24.1"));
  test::FaultyVfs full(s(u"/Hasen.db"), SQLITE_FULL);
  EXPECT_EQ(rows.save(), -1);
  ASSERT_FALSE(dialogs.texts().isEmpty());
  EXPECT_TRUE(dialogs.texts().last().contains(s(u"Hasen"))) << dialogs.texts().last().toStdString();
  EXPECT_EQ(stock.rowCount(s(u"Hasen")), animals);
}

}  // namespace
}  // namespace lapiro::breeding

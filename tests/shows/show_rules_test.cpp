// The rules of the data module's show cursor on a real data directory: the overall points
// following the positions, the title switch, the date check, the save question, the silent
// filling of older rows and "Letzte erfasste Ausstellung laden".
#include "shows/show_rules.h"
#include "shows/show_score.h"

#include "engine/cursor.h"
#include "engine/query.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "no_card.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

namespace lapiro::shows {
namespace {

using lapiro::test::ScriptedDialogs;
using lapiro::test::StockDirectory;

using NoCard = test::NoCard;

class ShowRulesTest : public ::testing::Test {
 protected:
  ShowRulesTest() : stock({11, 15, 29, 137}) {
    own = stock.animal(QStringLiteral("A1"), QStringLiteral("1.5.1"));
    other = stock.animal(QStringLiteral("B2"), QStringLiteral("2.5.2"));
  }

  void open(bool withCard = true) {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    attachShowRules(*module);
    if (withCard) module->setCard(&card);
    module->setToday(QDate(2006, 6, 15));
    module->open();
    ASSERT_TRUE(module->gotoAnimal(own));
  }

  qint64 addShow(qint64 animal, const QDate& date, const QString& title, QVariantMap more = {}) {
    more.insert(QStringLiteral("Hase"), animal);
    more.insert(QStringLiteral("Datum"), date);
    more.insert(QStringLiteral("Titel"), title);
    return stock.add(QStringLiteral("Ausstellung"), more);
  }

  engine::Cursor& shows() { return module->at(QStringLiteral("Ausstellung")); }
  QString text(const char16_t* field) { return shows().field(QString::fromUtf16(field)).asString(); }
  void setPositions(std::initializer_list<double> values) {
    int i = 0;
    for (double v : values) shows().field(positionFieldNames()[i++]).setFloat(v);
  }

  StockDirectory stock;
  shell::tsysteminfo settings;
  NoCard card;
  std::unique_ptr<store::TDatenStamm> module;
  qint64 own = 0, other = 0;
};

TEST_F(ShowRulesTest, OverallPointsFollowThePositionsAndATypedTotalStandsUntilTheNextChange) {
  ScriptedDialogs dialogs;
  open();
  ASSERT_TRUE(appendShowRow(*module));
  EXPECT_EQ(shows().field(QStringLiteral("Datum")).asDate(), QDate(2006, 6, 15));
  shows().field(QStringLiteral("Titel")).setString(QStringLiteral("Kreisschau"));
  // A new row without points: total 0, lowest grade, no missing points.
  EXPECT_EQ(text(u"AnzeigeBewertPunkte"), QStringLiteral("0"));
  EXPECT_EQ(text(u"PraedikatText"), QStringLiteral("nicht befriedigend"));
  EXPECT_TRUE(text(u"Fehlpunkte").isEmpty());

  shows().field(QStringLiteral("Gewicht1")).setFloat(10);
  EXPECT_DOUBLE_EQ(shows().field(QStringLiteral("EigeneBewertung")).asFloat(), 10.0);
  setPositions({10, 19, 14, 15, 14, 9, 5});
  EXPECT_DOUBLE_EQ(shows().field(QStringLiteral("EigeneBewertung")).asFloat(), 86.0);
  EXPECT_EQ(text(u"PraedikatText"), QStringLiteral("nicht befriedigend"));
  EXPECT_EQ(text(u"Fehlpunkte"), QStringLiteral("1/1/2"));

  shows().field(QStringLiteral("EigeneBewertung")).setString(QStringLiteral("96"));
  EXPECT_EQ(text(u"AnzeigeBewertPunkte"), QStringLiteral("96"));
  EXPECT_EQ(text(u"PraedikatText"), QStringLiteral("hervorragend"));
  shows().post();
  EXPECT_DOUBLE_EQ(stock.stored(QStringLiteral("Ausstellung"), 1, QStringLiteral("EigeneBewertung")).toDouble(), 96.0);

  shows().edit();
  shows().field(QStringLiteral("Pflege7")).setFloat(4.5);
  EXPECT_DOUBLE_EQ(shows().field(QStringLiteral("EigeneBewertung")).asFloat(), 85.5);
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ShowRulesTest, TitleSwitchClearsTheOtherField) {
  ScriptedDialogs dialogs;
  addShow(own, QDate(2005, 10, 1), QStringLiteral("Ortsschau"),
          {{QStringLiteral("EigeneBewertung"), 93.5}, {QStringLiteral("Gewicht1"), 9.5}});
  open();
  shows().edit();
  shows().field(QStringLiteral("Titel")).setString(youngAnimalTitle());
  EXPECT_TRUE(shows().field(QStringLiteral("EigeneBewertung")).isNull());
  shows().field(QStringLiteral("BewertJungtier")).setString(QStringLiteral("8/5"));
  EXPECT_EQ(text(u"AnzeigeBewertPunkte"), QStringLiteral("8/5"));
  EXPECT_EQ(text(u"PraedikatText"), QStringLiteral("sehr gut"));
  // Positions do not bring points back onto a young-animal row.
  shows().field(QStringLiteral("Fell3")).setFloat(14);
  EXPECT_TRUE(shows().field(QStringLiteral("EigeneBewertung")).isNull());
  shows().field(QStringLiteral("Titel")).setString(QStringLiteral("Landesschau"));
  EXPECT_TRUE(shows().field(QStringLiteral("BewertJungtier")).isNull());
  shows().cancel();
}

TEST_F(ShowRulesTest, SaveWithoutDateIsRefusedWithMessage137AndStaysInEditMode) {
  ScriptedDialogs dialogs;
  open();
  ASSERT_TRUE(appendShowRow(*module));
  shows().field(QStringLiteral("Datum")).clear();
  EXPECT_THROW(shows().post(), engine::Abort);
  EXPECT_EQ(dialogs.texts(), QStringList{StockDirectory::message(137)});
  EXPECT_EQ(shows().state(), engine::DataSetState::Insert);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Ausstellung")), 0);
}

TEST_F(ShowRulesTest, SaveQuestionNeinDiscardsTheChange) {
  settings.System.Speichern = false;
  ScriptedDialogs dialogs;
  addShow(own, QDate(2005, 10, 1), QStringLiteral("Ortsschau"), {{QStringLiteral("Ort"), QStringLiteral("Kassel")}});
  open();
  shows().edit();
  shows().field(QStringLiteral("Ort")).setString(QStringLiteral("Fulda"));
  dialogs.no();
  EXPECT_THROW(shows().post(), engine::Abort);
  EXPECT_EQ(shows().state(), engine::DataSetState::Browse);
  EXPECT_EQ(text(u"Ort"), QStringLiteral("Kassel"));
  EXPECT_EQ(dialogs.texts(), QStringList{StockDirectory::message(29)});
}

TEST_F(ShowRulesTest, OlderRowsGetTheirOverallPointsSilentlyOnlyWithTheCard) {
  settings.System.Speichern = false;  // questions on: the fill must still not ask
  ScriptedDialogs dialogs;
  const qint64 older = addShow(own, QDate(2004, 11, 2), QStringLiteral("Kreisschau"),
                               {{QStringLiteral("Gewicht1"), 9.5}, {QStringLiteral("Koerper2"), 19.0},
                                {QStringLiteral("Fell3"), 14.0}, {QStringLiteral("Kopf4"), 14.5},
                                {QStringLiteral("Farbe5"), 14.0}, {QStringLiteral("Unterfarbe6"), 14.0},
                                {QStringLiteral("Pflege7"), 5.0}});
  const qint64 zero = addShow(own, QDate(2003, 1, 2), QStringLiteral("Ortsschau"), {{QStringLiteral("Gewicht1"), 0.0}});
  const qint64 young = addShow(own, QDate(2005, 1, 2), youngAnimalTitle(), {{QStringLiteral("Fell3"), 14.0}});

  open(false);
  // Without the card no row is filled, not even the 2004 one.
  for (shows().first(); !shows().eof(); shows().next()) {
  }
  EXPECT_FALSE(stock.stored(QStringLiteral("Ausstellung"), older, QStringLiteral("EigeneBewertung")).isValid());
  module.reset();

  open(true);
  shows().first();  // 2003: all positions 0, left alone
  shows().next();   // 2004: filled
  shows().next();   // 2005: young-animal row, left alone
  EXPECT_DOUBLE_EQ(stock.stored(QStringLiteral("Ausstellung"), older, QStringLiteral("EigeneBewertung")).toDouble(), 90.0);
  EXPECT_FALSE(stock.stored(QStringLiteral("Ausstellung"), zero, QStringLiteral("EigeneBewertung")).isValid());
  EXPECT_FALSE(stock.stored(QStringLiteral("Ausstellung"), young, QStringLiteral("EigeneBewertung")).isValid());
  EXPECT_EQ(shows().state(), engine::DataSetState::Browse);
  EXPECT_TRUE(dialogs.shown().empty());
}

// Readers such as the breeding evaluation select only the columns they need, so a show value
// can stand in the first column of the result.
TEST_F(ShowRulesTest, ShowPointsAreReadByNameWhicheverColumnTheyStandIn) {
  addShow(own, QDate(2005, 10, 1), QStringLiteral("Ortsschau"),
          {{QStringLiteral("EigeneBewertung"), 93.5}, {QStringLiteral("Gewicht1"), 9.5}});
  engine::Query q(stock.engine);
  q.setSql(QStringLiteral("SELECT EigeneBewertung, Gewicht1 FROM \"Ausstellung.db\""));
  q.open();
  ASSERT_TRUE(q.hasRecord());
  ShowPoints p = showPointsOf(q);
  EXPECT_EQ(p.eigeneBewertung, core::Points::fromDouble(93.5));
  EXPECT_EQ(p.positions[ShowPoints::Gewicht1], core::Points::fromDouble(9.5));
  EXPECT_FALSE(p.positions[ShowPoints::Koerper2]);
  EXPECT_TRUE(p.titel.isEmpty());

  q.setSql(QStringLiteral("SELECT Titel, Gewicht1 FROM \"Ausstellung.db\""));
  q.open();
  ASSERT_TRUE(q.hasRecord());
  p = showPointsOf(q);
  EXPECT_EQ(p.titel, QStringLiteral("Ortsschau"));
  EXPECT_FALSE(p.eigeneBewertung);
}

TEST_F(ShowRulesTest, AnOlderRowWithoutDateIsLeftAloneWithoutAMessage) {
  ScriptedDialogs dialogs;
  const qint64 dateless = stock.add(QStringLiteral("Ausstellung"),
                                    {{QStringLiteral("Hase"), own}, {QStringLiteral("Titel"), QStringLiteral("Kreisschau")},
                                     {QStringLiteral("Gewicht1"), 9.5}, {QStringLiteral("Koerper2"), 19.0}});
  open(true);
  shows().first();
  EXPECT_FALSE(stock.stored(QStringLiteral("Ausstellung"), dateless, QStringLiteral("EigeneBewertung")).isValid());
  EXPECT_EQ(shows().state(), engine::DataSetState::Browse);
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ShowRulesTest, NoShowRowIsAddedWithoutAnAnimal) {
  ScriptedDialogs dialogs;
  engine::Query del(stock.engine);
  del.setSql(QStringLiteral("DELETE FROM \"Hasen.db\""));
  del.execSql();
  module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
  attachShowRules(*module);
  module->setCard(&card);
  module->open();
  ASSERT_FALSE(module->Hasen().hasRecord());
  EXPECT_FALSE(appendShowRow(*module));
  EXPECT_FALSE(shows().isEditing());
}

TEST_F(ShowRulesTest, WithoutAnyRecordedShowNothingIsLoaded) {
  ScriptedDialogs dialogs;
  open();
  EXPECT_FALSE(loadLastRecordedShow(*module));
  EXPECT_FALSE(shows().isEditing());
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ShowRulesTest, LastRecordedShowIsTheRowCreatedLastForAnyAnimal) {
  ScriptedDialogs dialogs;
  addShow(own, QDate(2006, 5, 1), QStringLiteral("Landesschau"), {{QStringLiteral("Ort"), QStringLiteral("Erfurt")}});
  // Entered later, for another animal, with an older show date: this one wins.
  addShow(other, QDate(2005, 12, 3), QStringLiteral("Kreisschau"),
          {{QStringLiteral("Ort"), QStringLiteral("Gotha")}, {QStringLiteral("Gewicht1"), 9.0}});
  open();
  ASSERT_TRUE(loadLastRecordedShow(*module));
  EXPECT_EQ(shows().state(), engine::DataSetState::Insert);
  EXPECT_EQ(shows().field(QStringLiteral("Hase")).asInteger(), own);
  EXPECT_EQ(shows().field(QStringLiteral("Datum")).asDate(), QDate(2005, 12, 3));
  EXPECT_EQ(text(u"Titel"), QStringLiteral("Kreisschau"));
  EXPECT_EQ(text(u"Ort"), QStringLiteral("Gotha"));
  EXPECT_TRUE(shows().field(QStringLiteral("Gewicht1")).isNull());
  // A second load fills the same new row instead of appending another.
  ASSERT_TRUE(loadLastRecordedShow(*module));
  shows().post();
  EXPECT_EQ(stock.rowCount(QStringLiteral("Ausstellung")), 3);
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ShowRulesTest, FractionsShowWithTheDecimalCommaAndTheTotalColumnTakesFiveCharacters) {
  ScriptedDialogs dialogs;
  open();
  ASSERT_TRUE(appendShowRow(*module));
  shows().field(QStringLiteral("Titel")).setString(QStringLiteral("Kreisschau"));
  setPositions({9.5, 18.5, 14, 12.5, 12.5, 12.5, 4.5});
  EXPECT_EQ(text(u"Fehlpunkte"), QStringLiteral("1,5/1/2,5"));
  EXPECT_EQ(text(u"AnzeigeBewertPunkte"), QStringLiteral("84"));
  shows().field(QStringLiteral("EigeneBewertung")).setString(QStringLiteral("95,25"));
  EXPECT_EQ(text(u"AnzeigeBewertPunkte"), QStringLiteral("95,25"));
  EXPECT_DOUBLE_EQ(shows().field(QStringLiteral("Gesamtpunkte")).asFloat(), 95.25);
  EXPECT_EQ(text(u"PraedikatText"), QStringLiteral("sehr gut"));
  shows().cancel();
}

TEST_F(ShowRulesTest, AChangeOfAnotherFieldLeavesPointsAndCodeAlone) {
  ScriptedDialogs dialogs;
  // An older row holding both a code and points.
  addShow(own, QDate(2005, 10, 1), QStringLiteral("Ortsschau"),
          {{QStringLiteral("EigeneBewertung"), 93.5}, {QStringLiteral("BewertJungtier"), QStringLiteral("8/5")}});
  addShow(own, QDate(2005, 11, 1), youngAnimalTitle(), {{QStringLiteral("BewertJungtier"), QStringLiteral("6/1")}});
  open();
  shows().first();
  shows().edit();
  shows().field(QStringLiteral("Ort")).setString(QStringLiteral("Fulda"));
  shows().field(QStringLiteral("BewertJungtier")).setString(QStringLiteral("8/6"));
  EXPECT_EQ(text(u"BewertJungtier"), QStringLiteral("8/6"));
  EXPECT_DOUBLE_EQ(shows().field(QStringLiteral("EigeneBewertung")).asFloat(), 93.5);
  shows().cancel();
  shows().next();
  shows().edit();
  shows().field(QStringLiteral("Ort")).setString(QStringLiteral("Fulda"));
  EXPECT_EQ(text(u"BewertJungtier"), QStringLiteral("6/1"));
  EXPECT_EQ(text(u"PraedikatText"), QStringLiteral("gut"));
  shows().cancel();
}

TEST_F(ShowRulesTest, FillingLeavesRowsBeingEditedTypedOrEmptyAlone) {
  ScriptedDialogs dialogs;
  const qint64 typed = addShow(own, QDate(2004, 1, 2), QStringLiteral("Kreisschau"),
                               {{QStringLiteral("Gewicht1"), 9.5}, {QStringLiteral("EigeneBewertung"), 91.0}});
  const qint64 zero = addShow(own, QDate(2004, 2, 2), QStringLiteral("Kreisschau"), {{QStringLiteral("Gewicht1"), 0.0}});
  const qint64 older = addShow(own, QDate(2004, 3, 2), QStringLiteral("Kreisschau"),
                               {{QStringLiteral("Gewicht1"), 9.5}, {QStringLiteral("Koerper2"), 18.0}});
  open(false);
  engine::Cursor& c = shows();
  c.first();
  EXPECT_FALSE(fillOverallPoints(*module, c, false));  // typed points stand
  EXPECT_DOUBLE_EQ(stock.stored(QStringLiteral("Ausstellung"), typed, QStringLiteral("EigeneBewertung")).toDouble(), 91.0);
  c.next();
  EXPECT_FALSE(fillOverallPoints(*module, c, true));
  EXPECT_TRUE(fillOverallPoints(*module, c, false));  // a row of zeros only when asked for
  EXPECT_DOUBLE_EQ(stock.stored(QStringLiteral("Ausstellung"), zero, QStringLiteral("EigeneBewertung")).toDouble(), 0.0);
  c.next();
  c.edit();
  c.field(QStringLiteral("Ort")).setString(QStringLiteral("Gotha"));
  EXPECT_FALSE(fillOverallPoints(*module, c, true));  // being edited
  EXPECT_TRUE(c.isEditing());
  EXPECT_FALSE(stock.stored(QStringLiteral("Ausstellung"), older, QStringLiteral("EigeneBewertung")).isValid());
  c.cancel();
  EXPECT_TRUE(fillOverallPoints(*module, c, true));
  EXPECT_DOUBLE_EQ(stock.stored(QStringLiteral("Ausstellung"), older, QStringLiteral("EigeneBewertung")).toDouble(), 27.5);
  EXPECT_FALSE(c.isEditing());
  EXPECT_TRUE(dialogs.shown().empty());

  ASSERT_TRUE(module->gotoAnimal(other));  // no show rows
  EXPECT_FALSE(fillOverallPoints(*module, shows(), false));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Ausstellung")), 3);
}

TEST_F(ShowRulesTest, NoShowRowIsAddedOrLoadedForAnAnimalBeingEntered) {
  ScriptedDialogs dialogs;
  addShow(other, QDate(2006, 5, 1), QStringLiteral("Landesschau"));
  open();
  module->Hasen().append();
  ASSERT_EQ(module->Hasen().state(), engine::DataSetState::Insert);
  EXPECT_FALSE(appendShowRow(*module));
  EXPECT_FALSE(loadLastRecordedShow(*module));
  EXPECT_FALSE(shows().isEditing());
  module->Hasen().cancel();
}

TEST_F(ShowRulesTest, NothingIsLoadedWithoutAnAnimal) {
  ScriptedDialogs dialogs;
  addShow(other, QDate(2006, 5, 1), QStringLiteral("Landesschau"));
  engine::Query del(stock.engine);
  del.setSql(QStringLiteral("DELETE FROM \"Hasen.db\""));
  del.execSql();
  module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
  attachShowRules(*module);
  module->setCard(&card);
  module->open();
  ASSERT_FALSE(module->Hasen().hasRecord());
  EXPECT_FALSE(loadLastRecordedShow(*module));
  EXPECT_FALSE(shows().isEditing());
}

}  // namespace
}  // namespace lapiro::shows

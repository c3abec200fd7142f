// The animal list: orders, columns, status filter, lookups, quick search, the
// recently-shown list and the animal commands on a cursor.
#include "shell/animal_list.h"

#include "installer/content.h"
#include "shell/paths.h"
#include "shell/shell_install.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::AnimalList;
using shell::tsysteminfo;

QStringList column(AnimalList& list, const QString& field) {
  QStringList values;
  engine::Cursor& c = list.cursor();
  for (c.first(); !c.eof() && c.hasRecord(); c.next()) values << c.field(field).asString();
  return values;
}

// ---------------------------------------------------------------------- pure rules

TEST(ListOrders, EveryOrderIsAnIndexOfTheAnimalTable) {
  const auto& orders = shell::listOrders();
  ASSERT_EQ(orders.size(), 7u);
  const engine::TableDef def = store::currentLayout(*store::findTable(QStringLiteral("Hasen")));
  for (const auto& order : orders) {
    const engine::IndexDef* index = def.index(order.index);
    ASSERT_NE(index, nullptr) << order.index.toStdString();
    EXPECT_EQ(index->fieldNames().join(u';'), order.fields) << order.index.toStdString();
  }
  EXPECT_EQ(orders[1].caption, QStringLiteral("T&äto links"));
  EXPECT_EQ(orders[6].caption, QStringLiteral("Status/Name/Rasse"));
}

TEST(ListColumns, FiveColumnsTheLeftTattooFirstInItsOwnOrder) {
  tsysteminfo s;
  auto cols = shell::listColumns(s);
  ASSERT_EQ(cols.size(), 5u);
  QStringList titles;
  for (const auto& c : cols) titles << c.title;
  EXPECT_EQ(titles, (QStringList{QStringLiteral("Täto Re"), QStringLiteral("Täto Li."), QStringLiteral("Rasse"),
                                 QStringLiteral("Name"), QStringLiteral("Geschl.")}));
  EXPECT_EQ(cols[0].width, 48);
  EXPECT_EQ(cols[1].width, 55);

  s.Auswahlfenster.Sortierung = QStringLiteral("TatoLinksRechts");
  s.Auswahlfenster.RasseAnzeigen = false;
  s.Auswahlfenster.NameAnzeigen = false;
  cols = shell::listColumns(s);
  EXPECT_EQ(cols[0].field, QStringLiteral("TatoLinks"));
  EXPECT_EQ(cols[0].width, 55);
  EXPECT_EQ(cols[1].field, QStringLiteral("TatoRechts"));
  EXPECT_EQ(cols[1].width, 48);
  EXPECT_FALSE(cols[2].visible);
  EXPECT_FALSE(cols[3].visible);
  EXPECT_TRUE(cols[4].visible);
}

TEST(StatusFilter, BuildsOneTermPerSelectedStatus) {
  EXPECT_EQ(shell::statusFilter(QStringLiteral("alle")), QString());
  EXPECT_EQ(shell::statusFilter(QString()), QString());
  EXPECT_EQ(shell::statusFilter(QStringLiteral("/1//3/")), QStringLiteral("Status=1 OR Status=3"));
  EXPECT_EQ(shell::statusFilter(QStringLiteral("/12/")), QStringLiteral("Status=12"));
  EXPECT_EQ(shell::statusFilter(QStringLiteral("/4/")), QStringLiteral("Status=4"));
}

TEST(StatusFilter, RepeatedGroupsCountOnceAndNonNumbersAreIgnored) {
  EXPECT_EQ(shell::statusFilter(QStringLiteral("/1/").repeated(50000)), QStringLiteral("Status=1"));
  EXPECT_EQ(shell::statusFilter(QStringLiteral("/3//1//3//x//1/")), QStringLiteral("Status=3 OR Status=1"));
  EXPECT_EQ(shell::statusFilter(QString::fromUtf16(u"/\u0661//2/")), QStringLiteral("Status=2"));
  EXPECT_EQ(shell::statusFilter(QStringLiteral("/-1//123//07/")), QStringLiteral("Status=7"));
}

TEST(DraggedAnimal, RoundTripAndForeignData) {
  const shell::DraggedAnimal animal{42, QStringLiteral("Ö 12"), QStringLiteral("3.5.12")};
  EXPECT_EQ(shell::decodeDraggedAnimal(shell::encodeDraggedAnimal(animal)), animal);
  const shell::DraggedAnimal noLeft{7, QStringLiteral("B1"), QString()};
  EXPECT_EQ(shell::decodeDraggedAnimal(shell::encodeDraggedAnimal(noLeft)), noLeft);
  EXPECT_EQ(shell::decodeDraggedAnimal("B12 3.5.10"), std::nullopt);
  EXPECT_EQ(shell::decodeDraggedAnimal("x\nB12\n3.5.10"), std::nullopt);
  EXPECT_EQ(shell::decodeDraggedAnimal("0\nB12\n3.5.10"), std::nullopt);
}

// ---------------------------------------------------------------------- recently shown

shell::RecentSlots emptySlots() {
  shell::RecentSlots recent;
  recent.fill(QStringLiteral("{}"));
  return recent;
}

TEST(RecentList, NewestFirstTheOldestDroppedAfterFive) {
  shell::RecentSlots recent = emptySlots();
  EXPECT_TRUE(shell::recentMenuEntries(recent).isEmpty());
  for (int i = 1; i <= 5; ++i)
    EXPECT_TRUE(shell::addRecent(recent, QStringLiteral("R%1").arg(i), QStringLiteral("1.5.%1").arg(i), i));
  EXPECT_EQ(recent[0], QStringLiteral("R5 1.5.5 {5}"));
  EXPECT_EQ(recent[4], QStringLiteral("R1 1.5.1 {1}"));

  EXPECT_TRUE(shell::addRecent(recent, QStringLiteral("R6"), QStringLiteral("1.5.6"), 6));
  EXPECT_EQ(recent[0], QStringLiteral("R6 1.5.6 {6}"));
  EXPECT_EQ(recent[4], QStringLiteral("R2 1.5.2 {2}"));
  EXPECT_EQ(shell::recentMenuEntries(recent).size(), 5);

  // An animal already listed changes nothing, wherever it stands.
  const shell::RecentSlots before = recent;
  EXPECT_FALSE(shell::addRecent(recent, QStringLiteral("R3"), QStringLiteral("1.5.3"), 3));
  EXPECT_EQ(recent, before);
}

TEST(RecentList, TattoosAreComparedAsAWhole) {
  shell::RecentSlots recent = emptySlots();
  shell::addRecent(recent, QStringLiteral("12"), QStringLiteral("3.5.10"), 7);
  EXPECT_TRUE(shell::addRecent(recent, QStringLiteral("12"), QStringLiteral("3.5.1"), 8));
  EXPECT_EQ(recent[0], QStringLiteral("12 3.5.1 {8}"));
  EXPECT_EQ(recent[1], QStringLiteral("12 3.5.10 {7}"));
}

TEST(RecentList, AnEmptyFirstSlotIsFilledWithoutMovingTheOthers) {
  shell::RecentSlots recent = emptySlots();
  recent[2] = QStringLiteral("X 1.1.1 {9}");
  shell::addRecent(recent, QStringLiteral("Y"), QStringLiteral("2.2.2"), 4);
  EXPECT_EQ(recent[0], QStringLiteral("Y 2.2.2 {4}"));
  EXPECT_EQ(recent[1], QStringLiteral("{}"));
  EXPECT_EQ(recent[2], QStringLiteral("X 1.1.1 {9}"));
  EXPECT_EQ(shell::recentMenuEntries(recent),
            (QStringList{QStringLiteral("Y 2.2.2 {4}"), QStringLiteral("X 1.1.1 {9}")}));
}

TEST(RecentList, ADeletedAnimalLeavesAndTheOthersMoveUp) {
  shell::RecentSlots recent = emptySlots();
  for (int n : {42, 4, 7}) shell::addRecent(recent, QStringLiteral("R%1").arg(n), QStringLiteral("1.5.1"), n);
  EXPECT_FALSE(shell::removeRecent(recent, 5));
  EXPECT_TRUE(shell::removeRecent(recent, 4));  // not the 42
  EXPECT_EQ(shell::recentMenuEntries(recent),
            (QStringList{QStringLiteral("R7 1.5.1 {7}"), QStringLiteral("R42 1.5.1 {42}")}));
  EXPECT_TRUE(shell::isEmptyRecentSlot(recent[2]));
  EXPECT_TRUE(shell::isEmptyRecentSlot(recent[4]));
}

TEST(RecentList, TheNumberIsReadBetweenTheLastBraceAndTheEnd) {
  EXPECT_EQ(shell::recentNummer(QStringLiteral("B12 3.5.10 {42}")), 42);
  EXPECT_EQ(shell::recentNummer(QStringLiteral("B{1 3.5 {7}")), 7);
  EXPECT_EQ(shell::recentNummer(QStringLiteral("{}")), std::nullopt);
  EXPECT_EQ(shell::recentNummer(QStringLiteral("kaputt")), std::nullopt);
}

TEST(RecentList, ShownAnimalsAreWrittenToTheSettingsFile) {
  ShellInstall install;
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  ASSERT_TRUE(session.start(QRect(0, 0, 1280, 1024)));
  EXPECT_TRUE(shell::recentMenuEntries(session.recentSlots()).isEmpty());
  EXPECT_TRUE(session.noteAnimalShown(QStringLiteral("B12"), QStringLiteral("3.5.10"), 1));
  EXPECT_FALSE(session.noteAnimalShown(QStringLiteral("B12"), QStringLiteral("3.5.10"), 1));
  const shell::ProfileFile ini(shell::paths::settingsFile());
  EXPECT_EQ(ini.readString(QStringLiteral("LASTLapiro"), QStringLiteral("Lapiro1")), QStringLiteral("B12 3.5.10 {1}"));
  EXPECT_EQ(ini.readString(QStringLiteral("LASTLapiro"), QStringLiteral("Lapiro2")), QStringLiteral("{}"));
}

// ---------------------------------------------------------------------- the list on tables

class AnimalListTest : public ::testing::Test {
 protected:
  AnimalListTest() : install_({.animals = ShellInstall::sampleAnimals()}) {}

  void SetUp() override { ASSERT_TRUE(session_.start(QRect(0, 0, 1280, 1024))); }

  AnimalList& list() { return session_.animalList(); }
  tsysteminfo& settings() { return session_.settings(); }

  ShellInstall install_;
  ScriptedDialogs dialogs_;
  shell::ShellSession session_;
};

TEST_F(AnimalListTest, OrdersFollowTheSetting) {
  settings().Auswahlfenster.Sortierung = QStringLiteral("Tato");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(column(list(), QStringLiteral("TatoRechts")),
            (QStringList{QStringLiteral("A10"), QStringLiteral("A7"), QStringLiteral("B12"), QStringLiteral("C3")}));

  settings().Auswahlfenster.Sortierung = QStringLiteral("TatoLinksRechts");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(column(list(), QStringLiteral("TatoLinks")),
            (QStringList{QStringLiteral("1.5.1"), QStringLiteral("2.5.7"), QStringLiteral("3.5.10"),
                         QStringLiteral("4.5.2")}));

  settings().Auswahlfenster.Sortierung = QStringLiteral("RasseTato");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(column(list(), QStringLiteral("TatoRechts")),
            (QStringList{QStringLiteral("B12"), QStringLiteral("C3"), QStringLiteral("A10"), QStringLiteral("A7")}));

  settings().Auswahlfenster.Sortierung = QStringLiteral("StatusNameRasse");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(column(list(), QStringLiteral("IDCode")),
            (QStringList{QStringLiteral("Bruno"), QStringLiteral("Cora"), QStringLiteral("Max"), QStringLiteral("Anni")}));
  EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(AnimalListTest, AnUnknownOrderFallsBackToThePrimaryOrder) {
  settings().Auswahlfenster.Sortierung = QStringLiteral("GibtEsNicht");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(list().count(), 4);
}

TEST_F(AnimalListTest, StatusFilterSelectsTheChosenStates) {
  settings().Auswahlfenster.Status = QStringLiteral("/1//3/");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(list().count(), 3);
  EXPECT_FALSE(column(list(), QStringLiteral("TatoRechts")).contains(QStringLiteral("A10")));

  settings().Auswahlfenster.Status = QStringLiteral("alle");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(list().count(), 4);

  settings().Auswahlfenster.Status = QString();  // no status selected keeps every animal
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(list().count(), 4);

  // A hidden panel shows the whole table.
  settings().Auswahlfenster.Status = QStringLiteral("/2/");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_EQ(list().count(), 1);
  settings().Auswahlfenster.Anzeigen = false;
  list().setUp(settings());
  EXPECT_EQ(list().count(), 4);
}

TEST_F(AnimalListTest, DisplayValuesComeFromTheLookupLists) {
  ASSERT_TRUE(list().setUp(settings()));
  ASSERT_TRUE(list().cursor().locate(QStringLiteral("TatoRechts"), {QStringLiteral("A7")}));
  engine::Cursor& c = list().cursor();
  EXPECT_EQ(c.field(QStringLiteral("GeschlechtAnzeige")).asString(), QStringLiteral("0.1"));
  EXPECT_EQ(c.field(QStringLiteral("RasseAnzeige")).asString(), QStringLiteral("KCh"));
  EXPECT_EQ(c.field(QStringLiteral("RasseNameAnzeige")).asString(), QStringLiteral("Kleinchinchilla"));
  EXPECT_EQ(c.field(QStringLiteral("StatusAnzeige")).asString(), QStringLiteral("Verkauft"));
  ASSERT_TRUE(c.locate(QStringLiteral("TatoRechts"), {QStringLiteral("B12")}));
  EXPECT_EQ(c.field(QStringLiteral("GeschlechtAnzeige")).asString(), QStringLiteral("1.0"));
  EXPECT_EQ(c.field(QStringLiteral("FarbeAnzeige")).asString(), QString());
}

TEST_F(AnimalListTest, QuickSearchMovesToTheNearestRow) {
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_TRUE(list().typeKey(u'B'));
  EXPECT_EQ(list().cursor().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("B12"));
  EXPECT_TRUE(list().typeKey(u'9'));  // "B9" lies after "B12"
  EXPECT_EQ(list().cursor().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("C3"));
  EXPECT_EQ(list().quickSearchText(), QStringLiteral("B9"));
  EXPECT_TRUE(list().typeKey(QChar(0x1b)));
  EXPECT_TRUE(list().quickSearchText().isEmpty());
  // The text stops at the size of the order's first field (TatoRechts, 8 characters).
  for (int i = 0; i < 20000; ++i) list().typeKey(u'Z');
  EXPECT_EQ(list().quickSearchText(), QStringLiteral("ZZZZZZZZ"));
  EXPECT_TRUE(list().typeKey(QChar(0x1b)));
  EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(AnimalListTest, QuickSearchWithLettersOnANumericOrderFails) {
  settings().Auswahlfenster.Sortierung = QStringLiteral("RasseTato");
  ASSERT_TRUE(list().setUp(settings()));
  list().cursor().last();
  const QString before = list().cursor().field(QStringLiteral("TatoRechts")).asString();
  EXPECT_FALSE(list().typeKey(u'x'));
  ASSERT_EQ(dialogs_.shown().size(), 1u);
  EXPECT_EQ(dialogs_.shown()[0].kind, store::DialogKind::Information);
  QStringList expected;
  for (int n = 19; n <= 23; ++n) expected << installer::messageText(n);
  EXPECT_EQ(dialogs_.shown()[0].text, expected.join(u'\r'));
  EXPECT_EQ(list().cursor().field(QStringLiteral("TatoRechts")).asString(), before);

  dialogs_.clear();
  list().typeKey(QChar(0x1b));
  EXPECT_TRUE(list().typeKey(u'2'));
  EXPECT_EQ(list().cursor().field(QStringLiteral("Rasse")).asInteger(), 2);
  EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(AnimalListTest, PositioningByNumberKeepsTheOrder) {
  settings().Auswahlfenster.Sortierung = QStringLiteral("TatoLinksRechts");
  ASSERT_TRUE(list().setUp(settings()));
  EXPECT_TRUE(list().positionOn(2));
  EXPECT_EQ(list().cursor().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("A7"));
  EXPECT_EQ(list().cursor().indexName(), QStringLiteral("TatoLinksRechts"));
  list().cursor().next();
  EXPECT_TRUE(list().cursor().eof() || list().cursor().field(QStringLiteral("TatoLinks")).asString() > u"4.5.2");
  EXPECT_FALSE(list().positionOn(999));
}

}  // namespace
}  // namespace lapiro::test

// The data module on real tables: opening and closing, the calculated and lookup fields of
// the animal, and the record rules with scripted answers.
#include "store/data_module.h"

#include "shell/system_info.h"
#include "store/catalogue.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <gtest/gtest.h>

namespace lapiro::store {
namespace {

using engine::Cursor;
using test::ScriptedDialogs;

QString msg(int n) { return QStringLiteral("Meldung %1").arg(n); }

// A card that records what the rules made it do.
class FakeCard : public TCardState {
 public:
  bool editButtons = false;
  bool undoButton = true;
  QString caption;
  int listRefreshes = 0;
  qint64 listPosition = 0;
  int displayUpdates = 0;
  bool partsMode = false;
  QStringList parts;
  bool guardWhileFilling = false;
  int parentPanelsHidden = 0;
  int parentsShown = 0;
  QDate evaluationDate;
  std::optional<bool> woolTab;
  int youngRowsRebuilt = 0;
  std::optional<bool> colourBoxEnabled;
  QString pictureHint;

  void setEditButtonsEnabled(bool e) override { editButtons = e; undoButton = e; }
  void setUndoButtonEnabled(bool e) override { undoButton = e; }
  void setCaption(const QString& c) override { caption = c; }
  void refreshAnimalList() override { ++listRefreshes; }
  void positionAnimalList(qint64 n) override { listPosition = n; }
  void updateDisplays() override {
    ++displayUpdates;
    newRecordAtLastUpdate = newRecord;
  }
  bool newRecordAtLastUpdate = false;
  bool leftTattooInParts() const override { return partsMode; }
  void setTattooParts(const QString& m, const QString& y, const QString& n) override {
    parts = {m, y, n};
    guardWhileFilling = tattooPartsGuard;
  }
  void hideParentPanels() override { ++parentPanelsHidden; }
  void showParents() override { ++parentsShown; }
  void resetEvaluationDates(const QDate& today) override { evaluationDate = today; }
  void reshowBreedingTab() override {}
  void focusHygieneDate() override {}
  void setWoolTabVisible(bool v) override { woolTab = v; }
  void rebuildYoungAnimalRows() override { ++youngRowsRebuilt; }
  void refreshColourBox() override {}
  void setColourBoxEnabled(bool e) override { colourBoxEnabled = e; }
  void setPictureHint(const QString& h) override { pictureHint = h; }
};

class DataModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { settings.System.Speichern = true; }

  void TearDown() override { module.reset(); }

  qint64 add(const QString& table, const QVariantMap& values) { return stock.add(table, values); }
  qint64 animal(const QString& rechts, const QString& links, const QVariantMap& more = {}) {
    return stock.animal(rechts, links, more);
  }
  qint64 rowCount(const QString& table) { return stock.rowCount(table); }
  QVariant stored(const QString& table, qint64 key, const QString& field) { return stock.stored(table, key, field); }

  TDatenStamm& openModule(bool withCard = true) {
    module = std::make_unique<TDatenStamm>(engine, settings);
    module->setToday(QDate(2006, 6, 15));
    if (withCard) module->setCard(&card);
    module->open();
    return *module;
  }

  QString text(const char16_t* field) { return module->Hasen().field(QString::fromUtf16(field)).asString(); }

  // Tables, the messages 11, 29, 118, 120, 138 as "Meldung <n>" and the own user Jörg Sommer.
  test::StockDirectory stock{{11, 29, 118, 120, 138}};
  engine::Engine& engine = stock.engine;
  shell::tsysteminfo settings;
  FakeCard card;
  std::unique_ptr<TDatenStamm> module;
};

// ---------------------------------------------------------------- opening and closing

TEST_F(DataModuleTest, OpensEveryCursorOnFreshTablesAndCreatesTheMissingDetailTables) {
  ScriptedDialogs dialogs;
  EXPECT_FALSE(engine.tableExists(QStringLiteral("Impfung")));
  TDatenStamm& dm = openModule();
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
  for (const CursorSpec& cursorDef : dataModuleCursors()) EXPECT_TRUE(dm.at(cursorDef.name).isOpen()) << cursorDef.name.toStdString();
  for (const char16_t* t : {u"Impfung", u"Angora", u"Gewichtstabelle.DB"})
    EXPECT_TRUE(engine.tableExists(QString::fromUtf16(t)));
  // The three indexes of the opening steps exist on Hasen.
  EXPECT_NE(engine.tableDef(QStringLiteral("Hasen")).index(QStringLiteral("VaterGebTatoRL")), nullptr);
  EXPECT_EQ(&dm.at(QStringLiteral("hasen")), &dm.Hasen());
  EXPECT_EQ(dm.cursor(QStringLiteral("GibtEsNicht")), nullptr);
  EXPECT_THROW(dm.at(QStringLiteral("GibtEsNicht")), engine::EngineError);
}

TEST_F(DataModuleTest, OpeningRepairsAnOlderTradeTable) {
  engine.deleteTable(QStringLiteral("VERKAUFT.db"));
  engine.createTable(QStringLiteral("VERKAUFT.db"), olderLayout(*findTable(QStringLiteral("VERKAUFT"))));
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_TRUE(dm.at(QStringLiteral("Verkauft")).isOpen());
  EXPECT_TRUE(dm.at(QStringLiteral("Verkauft")).findField(QStringLiteral("Gestorbenam")).has_value());
}

// An older pharmacy gains the vaccines' repeat interval and keeps its medicines.
TEST_F(DataModuleTest, OpeningAddsTheRepeatIntervalToAnOlderPharmacy) {
  engine.deleteTable(QStringLiteral("APOTHEKE.db"));
  engine.createTable(QStringLiteral("APOTHEKE.db"), olderLayout(*findTable(QStringLiteral("APOTHEKE"))));
  engine.execute(QStringLiteral("INSERT INTO \"APOTHEKE.db\" (Medikament) VALUES ('RHD-Impfstoff')"));
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  engine::Cursor& apo = dm.at(QStringLiteral("Medikament"));
  ASSERT_TRUE(apo.isOpen());
  ASSERT_TRUE(apo.findField(QStringLiteral("WiederholungMonate")).has_value());
  apo.first();
  EXPECT_EQ(apo.field(QStringLiteral("Medikament")).asString(), QStringLiteral("RHD-Impfstoff"));
  EXPECT_TRUE(apo.field(QStringLiteral("WiederholungMonate")).isNull());
}

TEST_F(DataModuleTest, CloseSavesPendingChangesWithoutAsking) {
  const qint64 n = animal(QStringLiteral("R1"), QStringLiteral("3.5.12"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  settings.System.Speichern = false;  // an unscripted question would fail the test
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("IDCode")).setString(QStringLiteral("Flocke"));
  Cursor& verkauft = dm.at(QStringLiteral("Verkauft"));
  verkauft.append();
  verkauft.field(QStringLiteral("Gekauftam")).setDate(QDate(2006, 1, 2));
  dm.close();
  EXPECT_FALSE(dm.Hasen().isOpen());
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_EQ(stored(QStringLiteral("Hasen"), n, QStringLiteral("IDCode")).toString(), u"Flocke");
  Cursor trade(engine, QStringLiteral("Lesen"));
  trade.setTableName(QStringLiteral("VERKAUFT"));
  trade.open();
  ASSERT_EQ(trade.recordCount(), 1);
  EXPECT_EQ(trade.field(QStringLiteral("Katze")).asInteger(), n);
}

TEST_F(DataModuleTest, CloseDropsAChangeThatCannotBeSavedAfterSayingWhy) {
  animal(QStringLiteral("R1"), QStringLiteral("3.5.12"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("R9"));
  dm.close();
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Feld 'Geschlecht' muss einen Wert haben")});
  EXPECT_FALSE(dm.Hasen().isOpen());
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), 1);
}

TEST_F(DataModuleTest, OrderOfHasenComesFromTheSettingWithTattooAsFallback) {
  settings.Stammdaten.Sortierung = QStringLiteral("TatoLinksRechts");
  ScriptedDialogs dialogs;
  EXPECT_EQ(openModule().Hasen().indexName(), u"TatoLinksRechts");
  module.reset();
  settings.Stammdaten.Sortierung = QStringLiteral("KeinIndex");
  EXPECT_EQ(openModule().Hasen().indexName(), u"Tato");
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(DataModuleTest, TableThatCannotBeOpenedShowsMessage11AndTheRestOpens) {
  engine.deleteTable(QStringLiteral("Status.db"));
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_EQ(dialogs.texts(), QStringList{msg(11) + QStringLiteral(" Status")});
  EXPECT_FALSE(dm.at(QStringLiteral("Status")).isOpen());
  EXPECT_TRUE(dm.Hasen().isOpen());
  EXPECT_TRUE(dm.at(QStringLiteral("Bilder")).isOpen());
}

TEST_F(DataModuleTest, BreedColourAndTitleLists) {
  const qint64 rex = add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Rex")}});
  add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Angora")}});
  add(QStringLiteral("Farbe"), {{QStringLiteral("Rasse"), rex}, {QStringLiteral("Name"), QStringLiteral("weiß")}});
  add(QStringLiteral("Farbe"), {{QStringLiteral("Rasse"), rex}, {QStringLiteral("Name"), QStringLiteral("blau")}});
  add(QStringLiteral("Farbe"), {{QStringLiteral("Rasse"), rex + 1}, {QStringLiteral("Name"), QStringLiteral("gelb")}});
  add(QStringLiteral("Ausstellungstitel.db"), {{QStringLiteral("Bezeichnung"), QStringLiteral("Landesschau")}});
  add(QStringLiteral("Ausstellungstitel.db"), {});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_EQ(dm.breedNames(), (QStringList{QStringLiteral("Angora"), QStringLiteral("Rex")}));
  EXPECT_EQ(dm.colourNames(rex), (QStringList{QStringLiteral("blau"), QStringLiteral("weiß")}));
  EXPECT_EQ(dm.showTitles(), QStringList{QStringLiteral("Landesschau")});
}

// ---------------------------------------------------------------- calculated and lookup fields

TEST_F(DataModuleTest, DisplayFieldsFromParentsAddressesBreedAndColour) {
  const qint64 breeder = add(QStringLiteral("Adresse"), {{QStringLiteral("Name"), QStringLiteral("Krüger")},
                                                         {QStringLiteral("Vorname"), QStringLiteral("Anna")},
                                                         {QStringLiteral("Straße"), QStringLiteral("Am Bach 2")},
                                                         {QStringLiteral("PLZ"), QStringLiteral("37073")},
                                                         {QStringLiteral("Ort"), QStringLiteral("Göttingen")},
                                                         {QStringLiteral("HBNr"), QStringLiteral("HB-7")}});
  // Place without postcode: the separator and its blank stay.
  const qint64 owner = add(QStringLiteral("Adresse"), {{QStringLiteral("Name"), QStringLiteral("Brandt")},
                                                       {QStringLiteral("Ort"), QStringLiteral("Fulda")},
                                                       {QStringLiteral("Vereinskennzeichen"), QStringLiteral("H 123")}});
  const qint64 rasse = add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Angora")},
                                                     {QStringLiteral("Rassegruppe"), QStringLiteral("Langhaarrassen")}});
  const qint64 farbe = add(QStringLiteral("Farbe"), {{QStringLiteral("Rasse"), rasse}, {QStringLiteral("Name"), QStringLiteral("weiß")}});
  const qint64 father = animal(QStringLiteral("V1"), QStringLiteral("1.4.7"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Erbformel"), QStringLiteral("A")}});
  const qint64 mother = animal(QStringLiteral("M1"), QStringLiteral("2.4.8"), {{QStringLiteral("Erbformel"), QStringLiteral("B")}});
  animal(QStringLiteral("A1"), QStringLiteral("3.5.12"),
         {{QStringLiteral("Vater"), father}, {QStringLiteral("Mutter"), mother}, {QStringLiteral("Zuechter"), breeder},
          {QStringLiteral("Besitzer"), owner}, {QStringLiteral("Status"), 3}, {QStringLiteral("Rasse"), rasse},
          {QStringLiteral("Farbe"), farbe}, {QStringLiteral("Geschlecht"), QStringLiteral("1")},
          {QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}, {QStringLiteral("Erbformel"), QStringLiteral("AB")}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  ASSERT_TRUE(dm.Hasen().findKey({QStringLiteral("A1")}));
  EXPECT_EQ(text(u"Name"), u"A1  3.5.12");
  EXPECT_EQ(text(u"VaterAnzeige"), u"V1  1.4.7");
  EXPECT_EQ(text(u"MutterAnzeige"), u"M1  2.4.8");
  EXPECT_EQ(text(u"VaterErbformel"), u"A");
  EXPECT_EQ(text(u"ZuechterAnzeige"), u"Anna Krüger");
  EXPECT_EQ(text(u"ZuechterAnzeigeAdresse"), u"Anna Krüger, Am Bach 2, 37073 Göttingen");
  EXPECT_EQ(text(u"HBNr"), u"HB-7");
  EXPECT_EQ(text(u"BesitzerAnzeige"), u"Brandt");
  EXPECT_EQ(text(u"BesitzerAnzeigeAdresse"), u"Brandt,  Fulda");
  EXPECT_EQ(text(u"Vereinsnummer"), u"H 123");
  EXPECT_EQ(text(u"GeschlechtAnzeige"), u"Rammler 1.0");
  EXPECT_EQ(text(u"GeschlechtAnzeige2"), u"1.0");
  EXPECT_EQ(text(u"RasseAnzeige"), u"Angora");
  EXPECT_EQ(text(u"Rassegruppe"), u"Langhaarrassen");
  EXPECT_EQ(text(u"FarbeAnzeige"), u"weiß");
  EXPECT_EQ(card.woolTab, true);
  // The doe lookup of the litter book uses a single blank.
  Cursor& haesin = dm.at(QStringLiteral("HaesinName"));
  ASSERT_TRUE(haesin.locate(QStringLiteral("Nummer"), {mother}));
  EXPECT_EQ(haesin.field(QStringLiteral("Name")).asString(), u"M1 2.4.8");
}

TEST_F(DataModuleTest, EmptyReferencesGiveEmptyLookupsAndTheRecordStaysValid) {
  animal(QStringLiteral("A1"), QStringLiteral("3.5.12"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  for (const char16_t* f : {u"VaterTatoRechts", u"VaterAnzeige", u"MutterAnzeige", u"ZuechterName", u"ZuechterAnzeige",
                            u"ZuechterAnzeigeAdresse", u"BesitzerAnzeige", u"BesitzerAnzeigeAdresse", u"RasseAnzeige",
                            u"FarbeAnzeige"})
    EXPECT_TRUE(dm.Hasen().field(QString::fromUtf16(f)).isNull()) << QString::fromUtf16(f).toStdString();
  EXPECT_EQ(text(u"GeschlechtAnzeige"), u"Häsin 0.1");
  EXPECT_EQ(text(u"GeschlechtAnzeige2"), u"0.1");
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("IDCode")).setString(QStringLiteral("Ohne Eltern"));
  EXPECT_NO_THROW(dm.Hasen().post());
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(DataModuleTest, OwnStockShowsTheOwnUserAsOwner) {
  const qint64 other = add(QStringLiteral("Adresse"), {{QStringLiteral("Name"), QStringLiteral("Fremd")}});
  const qint64 n = animal(QStringLiteral("A1"), QStringLiteral("3.5.12"),
                          {{QStringLiteral("Status"), 1}, {QStringLiteral("Besitzer"), other}, {QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_EQ(text(u"BesitzerAnzeige"), u"Jörg Sommer");
  EXPECT_EQ(text(u"BesitzerAnzeigeAdresse"), u"Jörg Sommer, Lindenweg 3, 34117 Kassel");
  // Without a first name only the own name shows; the display follows a change of eigen.DB.
  Cursor eigen(engine, QStringLiteral("eigen"));
  eigen.setTableName(QStringLiteral("eigen.DB"));
  eigen.open();
  eigen.edit();
  eigen.field(QStringLiteral("Vorname")).clear();
  eigen.post();
  ASSERT_TRUE(dm.gotoAnimal(n));  // read anew
  EXPECT_EQ(text(u"BesitzerAnzeige"), u"Sommer");
}

// ---------------------------------------------------------------- saving

TEST_F(DataModuleTest, SaveQuestionAnsweredNoDiscardsTheChangeSilently) {
  const qint64 n = animal(QStringLiteral("A1"), QStringLiteral("3.5.12"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  settings.System.Speichern = false;
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  dm.Hasen().edit();
  EXPECT_TRUE(card.editButtons);
  dm.Hasen().field(QStringLiteral("IDCode")).setString(QStringLiteral("Neu"));
  dialogs.no();
  EXPECT_THROW(dm.Hasen().post(), engine::Abort);
  EXPECT_EQ(dialogs.texts(), QStringList{msg(29)});
  EXPECT_EQ(dialogs.shown().front().kind, DialogKind::Warning);
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Browse);
  EXPECT_FALSE(card.editButtons);
  EXPECT_TRUE(dm.Hasen().field(QStringLiteral("IDCode")).isNull());
  EXPECT_FALSE(stored(QStringLiteral("Hasen"), n, QStringLiteral("IDCode")).isValid());

  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("IDCode")).setString(QStringLiteral("Neu"));
  dialogs.yes();
  dm.Hasen().post();
  EXPECT_EQ(stored(QStringLiteral("Hasen"), n, QStringLiteral("IDCode")).toString(), u"Neu");
}

TEST_F(DataModuleTest, SaveWithoutSexIsRefusedAndStaysInInsertMode) {
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("R1"));
  EXPECT_THROW(dm.Hasen().post(), engine::Abort);
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Feld 'Geschlecht' muss einen Wert haben")});
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Insert);
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
  dm.Hasen().post();
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), 1);
}

TEST_F(DataModuleTest, AfterSaveTheCardCaptionAndTheListFollow) {
  const qint64 rasse = add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Rex")}});
  const qint64 farbe = add(QStringLiteral("Farbe"), {{QStringLiteral("Rasse"), rasse}, {QStringLiteral("Name"), QStringLiteral("blau")}});
  const qint64 n = animal(QStringLiteral("A1"), QStringLiteral("3.5.12"),
                          {{QStringLiteral("Rasse"), rasse}, {QStringLiteral("Farbe"), farbe}, {QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_EQ(card.colourBoxEnabled, true);
  EXPECT_EQ(dm.at(QStringLiteral("Farbe")).field(QStringLiteral("Nummer")).asInteger(), farbe);
  // A change that is not a tattoo refreshes the list once and does not reposition it.
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("IDCode")).setString(QStringLiteral("Blauer"));
  dm.Hasen().post();
  EXPECT_EQ(card.caption, u"A1  3.5.12, Rex, blau");
  EXPECT_EQ(card.listRefreshes, 1);
  EXPECT_EQ(card.listPosition, 0);
  // A tattoo change sets the flag; the save positions the list on the animal and clears it.
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("A2"));
  EXPECT_TRUE(card.listRefreshPending);
  dm.Hasen().post();
  EXPECT_FALSE(card.listRefreshPending);
  EXPECT_EQ(card.listPosition, n);
  EXPECT_EQ(card.displayUpdates, 1);
  EXPECT_EQ(card.listRefreshes, 3);
  EXPECT_FALSE(card.editButtons);
}

TEST_F(DataModuleTest, AdditionOfANewAnimalIsWrittenOnceAfterItsSave) {
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  Cursor& zusatz = dm.at(QStringLiteral("HasenZusatz"));
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("N1"));
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("1"));
  zusatz.append();
  zusatz.field(QStringLiteral("ZMNr")).setString(QStringLiteral("1234"));
  EXPECT_THROW(zusatz.post(), engine::Abort);  // held: the animal has no number yet
  EXPECT_TRUE(dm.additionPending());
  EXPECT_EQ(dm.pendingZMNr(), u"1234");
  EXPECT_EQ(rowCount(QStringLiteral("Hasenz")), 0);
  dm.Hasen().post();
  const qint64 n = dm.Hasen().field(QStringLiteral("Nummer")).asInteger();
  EXPECT_FALSE(dm.additionPending());
  ASSERT_EQ(rowCount(QStringLiteral("Hasenz")), 1);
  ASSERT_FALSE(zusatz.isEmpty());
  EXPECT_EQ(zusatz.field(QStringLiteral("Hase")).asInteger(), n);
  EXPECT_EQ(zusatz.field(QStringLiteral("ZMNr")).asString(), u"1234");
  // The next new animal gets no addition.
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("N2"));
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
  dm.Hasen().post();
  EXPECT_EQ(rowCount(QStringLiteral("Hasenz")), 1);
}

TEST_F(DataModuleTest, AdditionHeldForANewAnimalGoesWhenTheAnimalIsGivenUp) {
  ScriptedDialogs dialogs;
  const qint64 stored = animal(QStringLiteral("S1"), QStringLiteral("1.5.1"));
  TDatenStamm& dm = openModule();
  Cursor& zusatz = dm.at(QStringLiteral("HasenZusatz"));
  dm.Hasen().append();
  zusatz.append();
  zusatz.field(QStringLiteral("ZMNr")).setString(QStringLiteral("77"));
  EXPECT_THROW(zusatz.post(), engine::Abort);
  ASSERT_TRUE(dm.additionPending());
  dm.Hasen().cancel();
  EXPECT_FALSE(dm.additionPending());
  // The next save of another animal writes no stray addition.
  ASSERT_TRUE(dm.gotoAnimal(stored));
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("IDCode")).setString(QStringLiteral("Susi"));
  dm.Hasen().post();
  EXPECT_EQ(rowCount(QStringLiteral("Hasenz")), 0);
}

TEST_F(DataModuleTest, TradeRecordQuestionNoDiscardsOnlyThatRecordAndTheMoveGoesOn) {
  const qint64 a = animal(QStringLiteral("A1"), QStringLiteral("3.5.12"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  animal(QStringLiteral("A2"), QStringLiteral("3.5.13"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  settings.System.Speichern = false;
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  ASSERT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), a);
  Cursor& verkauft = dm.at(QStringLiteral("Verkauft"));
  verkauft.append();
  verkauft.field(QStringLiteral("Gekauftam")).setDate(QDate(2006, 1, 2));
  dialogs.no();
  dm.Hasen().next();
  EXPECT_EQ(dialogs.texts(), QStringList{msg(29)});
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("TatoRechts")).asString(), u"A2");
  EXPECT_EQ(card.lastShownAnimal, a);
  EXPECT_EQ(rowCount(QStringLiteral("VERKAUFT")), 0);
}

// ---------------------------------------------------------------- birth date and duplicates

TEST_F(DataModuleTest, BirthDateFromTheTattooIsSavedOnDisplayWithoutAsking) {
  const qint64 a = animal(QStringLiteral("A1"), QStringLiteral("3.5.12"));
  const qint64 b = animal(QStringLiteral("A2"), QStringLiteral("3.5"));
  const qint64 c = animal(QStringLiteral("A3"), QStringLiteral("13.5.1"));
  settings.System.Speichern = false;
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  ASSERT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), a);
  EXPECT_EQ(stored(QStringLiteral("Hasen"), a, QStringLiteral("Geburtstag")).toDate(), QDate(2005, 3, 1));
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Browse);
  dm.Hasen().next();
  dm.Hasen().next();
  EXPECT_FALSE(stored(QStringLiteral("Hasen"), b, QStringLiteral("Geburtstag")).isValid());
  EXPECT_FALSE(stored(QStringLiteral("Hasen"), c, QStringLiteral("Geburtstag")).isValid());
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_EQ(card.evaluationDate, QDate(2006, 6, 15));
}

TEST_F(DataModuleTest, DuplicateAnsweredNoReturnsToTheStoredAnimal) {
  const qint64 a = animal(QStringLiteral("A1"), QStringLiteral("3.5.12"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  animal(QStringLiteral("B1"), QStringLiteral("1.5.1"), {{QStringLiteral("Geburtstag"), QDate(2005, 1, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  dm.Hasen().last();
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("A1"));
  dm.Hasen().field(QStringLiteral("TatoLinks")).setString(QStringLiteral("3.5.12"));
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
  card.newRecord = true;  // as the card's "Neuaufnahme" leaves it
  card.editButtons = true;
  card.displayUpdates = 0;
  dialogs.no();
  dm.deriveBirthDate();  // sets the date, then finds the stored twin
  EXPECT_EQ(dialogs.texts(), QStringList{msg(120)});
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Browse);
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), a);
  EXPECT_EQ(dm.Hasen().indexName(), u"Tato");
  EXPECT_FALSE(card.undoButton);
  // The card shows the found animal in browse state, everything refreshed from it.
  EXPECT_FALSE(card.newRecord);
  EXPECT_FALSE(card.editButtons);
  EXPECT_EQ(card.listPosition, a);
  EXPECT_GE(card.displayUpdates, 1);
  EXPECT_FALSE(card.newRecordAtLastUpdate);
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), 2);
}

TEST_F(DataModuleTest, DuplicateAnsweredYesKeepsTheNewRecordAndTheAnimalIsNoTwinOfItself) {
  animal(QStringLiteral("A1"), QStringLiteral("3.5.12"), {{QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_FALSE(dm.duplicateCheck());  // the stored animal alone
  EXPECT_TRUE(dialogs.texts().isEmpty());
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("A1"));
  dm.Hasen().field(QStringLiteral("TatoLinks")).setString(QStringLiteral("3.5.12"));
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
  dm.Hasen().field(QStringLiteral("Geburtstag")).setDate(QDate(2005, 3, 1));
  dialogs.yes();
  EXPECT_FALSE(dm.duplicateCheck());
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Insert);
  dm.Hasen().post();
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), 2);
}

// Equal tattoos and birth date are checked on every save, however the date was set: typed
// after the tattoo (no derived date), or changed on a stored animal. "Ja" is asked once.
TEST_F(DataModuleTest, EverySaveOfATwinAsksMessage120WhateverWayTheDateWasSet) {
  const qint64 a = animal(QStringLiteral("H 512"), QStringLiteral("10.26.1"), {{QStringLiteral("Geburtstag"), QDate(2026, 10, 2)},
                                                                              {QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  const qint64 b = animal(QStringLiteral("H 512"), QStringLiteral("10.26.2"), {{QStringLiteral("Geburtstag"), QDate(2026, 10, 1)},
                                                                              {QStringLiteral("Geschlecht"), QStringLiteral("2")}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  dm.setToday(QDate(2026, 12, 1));
  auto enter = [&](const QDate& born) {
    dm.Hasen().append();
    dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("H 512"));
    dm.Hasen().field(QStringLiteral("TatoLinks")).setString(QStringLiteral("10.26.1"));
    dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
    dm.deriveBirthDate();  // 01.10.2026: not the stored twin's day, nothing asked yet
    dm.Hasen().field(QStringLiteral("Geburtstag")).setDate(born);
  };
  // The date typed over the derived one: the save finds the twin; "Nein" returns to it.
  enter(QDate(2026, 10, 2));
  EXPECT_TRUE(dialogs.texts().isEmpty());
  dialogs.no();
  EXPECT_THROW(dm.Hasen().post(), engine::Abort);
  EXPECT_EQ(dialogs.texts(), QStringList{msg(120)});
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Browse);
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), a);
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), 2);

  // "Ja" saves it, asked once only, also when the check ran before the save.
  dialogs.clear();
  enter(QDate(2026, 10, 2));
  dialogs.yes();
  EXPECT_FALSE(dm.duplicateCheck());
  dm.Hasen().post();
  EXPECT_EQ(dialogs.texts(), QStringList{msg(120)});
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), 3);

  // A stored animal changed into a twin is asked about; a change that leaves tattoos and
  // date alone is not, although the stock now holds twins.
  dialogs.clear();
  ASSERT_TRUE(dm.gotoAnimal(b));
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("IDCode")).setString(QStringLiteral("Lotte"));
  dm.Hasen().post();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  ASSERT_TRUE(dm.gotoAnimal(a));
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("Stallnummer")).setInteger(7);
  dm.Hasen().post();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  ASSERT_TRUE(dm.gotoAnimal(b));
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("TatoLinks")).setString(QStringLiteral("10.26.1"));
  dm.Hasen().field(QStringLiteral("Geburtstag")).setDate(QDate(2026, 10, 2));
  dialogs.no();
  EXPECT_THROW(dm.Hasen().post(), engine::Abort);
  EXPECT_EQ(dialogs.texts(), QStringList{msg(120)});
  EXPECT_EQ(stored(QStringLiteral("Hasen"), b, QStringLiteral("TatoLinks")).toString(), u"10.26.2");
}

TEST_F(DataModuleTest, ABirthYearBefore1900IsRefusedWithAGermanMessage) {
  const qint64 a = animal(QStringLiteral("A1"), QStringLiteral("2.25.1"),
                          {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Geburtstag"), QDate(2005, 2, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  ASSERT_TRUE(dm.gotoAnimal(a));
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("Geburtstag")).setDate(QDate(25, 2, 20));
  EXPECT_THROW(dm.Hasen().post(), engine::Abort);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Error);
  EXPECT_EQ(dialogs.shown()[0].text,
            QStringLiteral("»20.02.0025« ist kein gültiger Wert für das Feld Geboren. Ein Geburtstag muss im Jahr 1900 "
                           "oder später liegen."));
  EXPECT_TRUE(dm.Hasen().isEditing());
  EXPECT_EQ(stored(QStringLiteral("Hasen"), a, QStringLiteral("Geburtstag")).toDate(), QDate(2005, 2, 1));
  dm.Hasen().field(QStringLiteral("Geburtstag")).setDate(QDate(1900, 1, 1));
  dm.Hasen().post();
  EXPECT_EQ(stored(QStringLiteral("Hasen"), a, QStringLiteral("Geburtstag")).toDate(), QDate(1900, 1, 1));
  EXPECT_TRUE(birthDateRefusal(QDate(1899, 12, 31), QStringLiteral("Geboren")).contains(QStringLiteral("31.12.1899")));
  EXPECT_TRUE(birthDateRefusal(QDate(), QStringLiteral("Geboren")).isEmpty());
}

// ---------------------------------------------------------------- genetic formula

TEST_F(DataModuleTest, ParentChangeDerivesTheFormula) {
  const qint64 father = animal(QStringLiteral("V1"), QStringLiteral("1.4.7"),
                               {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Erbformel"), QStringLiteral("A")}, {QStringLiteral("Geburtstag"), QDate(2004, 1, 1)}});
  const qint64 mother = animal(QStringLiteral("M1"), QStringLiteral("2.4.8"),
                               {{QStringLiteral("Erbformel"), QStringLiteral("CD")}, {QStringLiteral("Geburtstag"), QDate(2004, 2, 1)}});
  const qint64 badMother = animal(QStringLiteral("M2"), QStringLiteral("2.4.9"),
                                  {{QStringLiteral("Erbformel"), QStringLiteral("ABC")}, {QStringLiteral("Geburtstag"), QDate(2004, 2, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  engine::Field erbformel = dm.Hasen().field(QStringLiteral("Erbformel"));

  // Without a formula of its own the animal gets one at once.
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("2"));
  dm.Hasen().field(QStringLiteral("Vater")).setValue(father);
  EXPECT_TRUE(erbformel.isNull());  // the mother is still missing
  dm.Hasen().field(QStringLiteral("Mutter")).setValue(mother);
  EXPECT_EQ(erbformel.asString(), u"2ACD");
  EXPECT_TRUE(dialogs.texts().isEmpty());

  // With a formula: message 138 asks; "Nein" keeps it, "Ja" derives.
  erbformel.setString(QStringLiteral("X"));
  dialogs.no();
  dm.Hasen().field(QStringLiteral("Mutter")).setValue(badMother);
  EXPECT_EQ(erbformel.asString(), u"X");
  dialogs.yes();
  dm.Hasen().field(QStringLiteral("Mutter")).setValue(mother);
  EXPECT_EQ(erbformel.asString(), u"2ACD");
  EXPECT_EQ(dialogs.texts(), (QStringList{msg(138), msg(138)}));
  EXPECT_EQ(dialogs.shown().front().kind, DialogKind::Information);

  // Formulas that cannot be combined: message 118, the formula stays.
  dialogs.clear();
  dialogs.yes();
  dm.Hasen().field(QStringLiteral("Mutter")).setValue(badMother);
  EXPECT_EQ(dialogs.texts(), (QStringList{msg(138), msg(118)}));
  EXPECT_EQ(erbformel.asString(), u"2ACD");
}

TEST_F(DataModuleTest, ShownAnimalWithoutFormulaGetsItFromItsParentsAndSaved) {
  const qint64 father = animal(QStringLiteral("V1"), QStringLiteral("1.4.7"),
                               {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Erbformel"), QStringLiteral("8A8B")}, {QStringLiteral("Geburtstag"), QDate(2004, 1, 1)}});
  const qint64 mother = animal(QStringLiteral("V2"), QStringLiteral("2.4.8"),
                               {{QStringLiteral("Erbformel"), QStringLiteral("8A8C")}, {QStringLiteral("Geburtstag"), QDate(2004, 2, 1)}});
  const qint64 child = animal(QStringLiteral("K1"), QStringLiteral("3.5.12"),
                              {{QStringLiteral("Vater"), father}, {QStringLiteral("Mutter"), mother}, {QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  settings.System.Speichern = false;  // the derived formula is saved without asking
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  ASSERT_TRUE(dm.gotoAnimal(child));
  EXPECT_EQ(stored(QStringLiteral("Hasen"), child, QStringLiteral("Erbformel")).toString(), u"8A4B4C");
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Browse);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

// ---------------------------------------------------------------- moving between animals

TEST_F(DataModuleTest, MovingFillsTattooBoxesFiltersCoveredDoesAndFollowsTheDetails) {
  const qint64 buck = animal(QStringLiteral("B1"), QStringLiteral("3.5.12"),
                             {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  const qint64 doe = animal(QStringLiteral("D1"), QStringLiteral("4.5"), {{QStringLiteral("Geburtstag"), QDate(2005, 4, 1)}});
  auto litter = [&](QDate day, int m, int w) {
    return add(QStringLiteral("Wurfbuch.DB"), {{QStringLiteral("Katze"), doe}, {QStringLiteral("Kater"), buck},
                                               {QStringLiteral("Wurftag"), day}, {QStringLiteral("WurfStMaennlich"), m},
                                               {QStringLiteral("WurfStWeiblich"), w}});
  };
  const qint64 reared = litter(QDate(2006, 3, 1), 2, 1);
  litter(QDate(2006, 4, 1), 1, 1);  // too few reared young
  litter(QDate(2005, 5, 1), 3, 3);  // last year
  const qint64 newest = litter(QDate(2006, 5, 1), 0, 0);
  add(QStringLiteral("Ausstellung.db"), {{QStringLiteral("Hase"), buck}, {QStringLiteral("Datum"), QDate(2005, 10, 1)}});
  const qint64 latestShow = add(QStringLiteral("Ausstellung.db"), {{QStringLiteral("Hase"), buck}, {QStringLiteral("Datum"), QDate(2006, 1, 1)}});
  add(QStringLiteral("Bilder.db"), {{QStringLiteral("KatzeNr"), buck}, {QStringLiteral("Bildpfad"), QStringLiteral("/bilder/b1.jpg")}});
  card.partsMode = true;
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  ASSERT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), buck);
  EXPECT_EQ(card.parts, (QStringList{QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("12")}));
  EXPECT_TRUE(card.guardWhileFilling);
  EXPECT_FALSE(card.tattooPartsGuard);
  Cursor& gedeckte = dm.at(QStringLiteral("GedeckteHaesinnen"));
  EXPECT_TRUE(gedeckte.filtered());
  EXPECT_EQ(gedeckte.filter(), coveredDoesFilter(buck, 2006));
  ASSERT_EQ(gedeckte.recordCount(), 1);
  EXPECT_EQ(gedeckte.field(QStringLiteral("LaufendeNummer")).asInteger(), reared);
  EXPECT_EQ(dm.at(QStringLiteral("Ausstellung")).field(QStringLiteral("Nummer")).asInteger(), latestShow);
  EXPECT_EQ(card.pictureHint, u"/bilder/b1.jpg");
  EXPECT_EQ(card.woolTab, false);

  const int rebuilt = card.youngRowsRebuilt;
  dm.Hasen().next();
  EXPECT_EQ(card.parts, (QStringList{QStringLiteral("4"), QStringLiteral("5"), QString()}));
  EXPECT_EQ(card.lastShownAnimal, buck);
  EXPECT_EQ(dm.at(QStringLiteral("Wurfbuch")).field(QStringLiteral("LaufendeNummer")).asInteger(), newest);
  EXPECT_EQ(card.youngRowsRebuilt, rebuilt + 1);
  EXPECT_GE(card.parentsShown, 2);
  // Undoing a new record leaves the last shown animal alone.
  card.undoingNewRecord = true;
  dm.Hasen().prior();
  EXPECT_EQ(card.lastShownAnimal, buck);
}

TEST_F(DataModuleTest, BreedChangeClearsTheColourAndSwitchesTheWoolTab) {
  const qint64 rex = add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Rex")}});
  const qint64 angora = add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Angora")},
                                                      {QStringLiteral("Rassegruppe"), QStringLiteral("Langhaarrassen")}});
  const qint64 blau = add(QStringLiteral("Farbe"), {{QStringLiteral("Rasse"), rex}, {QStringLiteral("Name"), QStringLiteral("blau")}});
  animal(QStringLiteral("A1"), QStringLiteral("3.5.12"),
         {{QStringLiteral("Rasse"), rex}, {QStringLiteral("Farbe"), blau}, {QStringLiteral("Geburtstag"), QDate(2005, 3, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  EXPECT_EQ(card.woolTab, false);
  dm.Hasen().edit();
  dm.Hasen().field(QStringLiteral("Rasse")).setValue(angora);
  EXPECT_TRUE(dm.Hasen().field(QStringLiteral("Farbe")).isNull());
  EXPECT_EQ(card.woolTab, true);
  EXPECT_EQ(card.colourBoxEnabled, false);  // Angora has no colours here
  EXPECT_EQ(dm.at(QStringLiteral("Rasse")).field(QStringLiteral("Nummer")).asInteger(), angora);
}

}  // namespace
}  // namespace lapiro::store

namespace lapiro::store {
namespace {

// One whole round through the data module as the card drives it: a new animal with parents,
// its formula derived, its birth date read from the tattoo, saved; a second entry of the
// same animal detected as a duplicate; a started entry undone.
TEST_F(DataModuleTest, FullCycleNewAnimalParentsFormulaBirthDateDuplicateUndo) {
  const qint64 father = animal(QStringLiteral("V1"), QStringLiteral("1.4.7"),
                               {{QStringLiteral("Geschlecht"), QStringLiteral("1")},
                                {QStringLiteral("Erbformel"), QStringLiteral("A")},
                                {QStringLiteral("Geburtstag"), QDate(2004, 1, 1)}});
  const qint64 mother = animal(QStringLiteral("M1"), QStringLiteral("2.4.8"),
                               {{QStringLiteral("Erbformel"), QStringLiteral("CD")},
                                {QStringLiteral("Geburtstag"), QDate(2004, 2, 1)}});
  ScriptedDialogs dialogs;
  TDatenStamm& dm = openModule();
  const qint64 before = rowCount(QStringLiteral("Hasen"));

  // New animal with both parents: the formula follows at once.
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("N7"));
  dm.Hasen().field(QStringLiteral("TatoLinks")).setString(QStringLiteral("3.5.12"));
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("1"));
  dm.Hasen().field(QStringLiteral("Vater")).setValue(father);
  dm.Hasen().field(QStringLiteral("Mutter")).setValue(mother);
  EXPECT_EQ(text(u"Erbformel"), u"2ACD");
  // The birth date comes from the left tattoo (read in June 2006: March 2005).
  dm.deriveBirthDate();
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Geburtstag")).asDate(), QDate(2005, 3, 1));
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Insert);
  dm.Hasen().post();
  const qint64 saved = dm.Hasen().field(QStringLiteral("Nummer")).asInteger();
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), before + 1);
  EXPECT_EQ(stored(QStringLiteral("Hasen"), saved, QStringLiteral("Erbformel")).toString(), u"2ACD");
  EXPECT_EQ(stored(QStringLiteral("Hasen"), saved, QStringLiteral("Vater")).toLongLong(), father);
  EXPECT_EQ(text(u"VaterTatoRechts"), u"V1");
  EXPECT_TRUE(dialogs.texts().isEmpty());

  // The same animal entered again is found as a duplicate; "Nein" returns to the stored one.
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("N7"));
  dm.Hasen().field(QStringLiteral("TatoLinks")).setString(QStringLiteral("3.5.12"));
  dm.Hasen().field(QStringLiteral("Geschlecht")).setString(QStringLiteral("1"));
  dialogs.no();
  dm.deriveBirthDate();
  EXPECT_EQ(dialogs.texts(), QStringList{msg(120)});
  EXPECT_EQ(dm.Hasen().state(), engine::DataSetState::Browse);
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), saved);
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), before + 1);

  // A started entry undone: nothing is written and the saved animal is current again.
  dm.Hasen().append();
  dm.Hasen().field(QStringLiteral("TatoRechts")).setString(QStringLiteral("X9"));
  dm.Hasen().cancel();
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), saved);
  EXPECT_EQ(rowCount(QStringLiteral("Hasen")), before + 1);
}

}  // namespace
}  // namespace lapiro::store

// The main window's animal commands on a real data module: new animal, duplicate with the
// running number of the left tattoo, delete; the card is a stub recording what it was told.
#include "shell/animal_commands.h"

#include "store/catalogue.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"
#include "support/table_rows.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lapiro::shell {
namespace {

using namespace Qt::StringLiterals;
using engine::Cursor;
using engine::DataSetState;
using test::ScriptedDialogs;

QString msg(int n) {
  return u"Meldung %1"_s.arg(n);
}
const QString kNoSex = u"Feld 'Geschlecht' muss einen Wert haben"_s;

TEST(AnimalCommandsTattoo, RunningNumberAfterTheSecondDot) {
  // clang-format off
  const std::vector<std::pair<QString, std::optional<QString>>> cases = {
      {u"3.5.12"_s, u"3.5.13"_s}, {u"3.5.9"_s, u"3.5.10"_s}, {u"3.5.099"_s, u"3.5.100"_s},
      {u"3.5.09"_s, u"3.5.10"_s}, {u"3.5.000"_s, u"3.5.1"_s}, {u"..5"_s, u"..6"_s},
      {u"3.5.9999999999999"_s, u"3.5.10000000000000"_s},
      {u"3.5.99999999999999999999"_s, u"3.5.100000000000000000000"_s},  // past 64 bits, no wrap
      // No running number: unchanged ("3.5.": the second "." is the last character).
      {u"3.5"_s, u"3.5"_s}, {u"3.5."_s, u"3.5."_s}, {u"12"_s, u"12"_s}, {QString(), QString()},
      // Not a number.
      {u"3.5.x"_s, std::nullopt}, {u"3.5.1x"_s, std::nullopt}, {u"3.5.1.2"_s, std::nullopt},
      {u"3.5. 7"_s, std::nullopt}, {u"3.5.-1"_s, std::nullopt}, {u"3.5.+1"_s, std::nullopt}};
  // clang-format on
  for (const auto& [in, out] : cases) EXPECT_EQ(incrementLeftTattoo(in), out) << in.toStdString();
}

// A card that records what the commands made it do.
class StubCard : public store::TCardState {
 public:
  QString caption;
  std::optional<bool> undoButton;
  int displayUpdates = 0, listRefreshes = 0, addressBoxesCleared = 0;

  void setEditButtonsEnabled(bool e) override { undoButton = e; }
  void setUndoButtonEnabled(bool e) override { undoButton = e; }
  void setCaption(const QString& c) override { caption = c; }
  void refreshAnimalList() override { ++listRefreshes; }
  void updateDisplays() override { ++displayUpdates; }
  void clearAddressBoxes() override { ++addressBoxesCleared; }
  void positionAnimalList(qint64) override {}
  bool leftTattooInParts() const override { return false; }
  void setTattooParts(const QString&, const QString&, const QString&) override {}
  void hideParentPanels() override {}
  void showParents() override {}
  void resetEvaluationDates(const QDate&) override {}
  void reshowBreedingTab() override {}
  void focusHygieneDate() override {}
  void setWoolTabVisible(bool) override {}
  void rebuildYoungAnimalRows() override {}
  void refreshColourBox() override {}
  void setColourBoxEnabled(bool) override {}
  void setPictureHint(const QString&) override {}
};

class AnimalCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.valid());
    engine.setAlias(u"Hase"_s, dir.path());
    for (const store::CatalogueTable& t : store::catalogue())
      if (t.origin == store::CatalogueTable::Origin::Installer)
        engine.createTable(t.fileName, store::currentLayout(t));
    for (int n : {11, 14, 15, 29, 118, 120, 138})
      add(u"Sprmel.db"_s, {{u"Nummer"_s, n}, {u"Meldung"_s, msg(n)}});
    add(u"Rasse.db"_s, {{u"Name"_s, u"Deutsche Riesen"_s}});
    add(u"Rasse.db"_s, {{u"Name"_s, u"Kleinchinchilla"_s}});
    add(u"Farbe.db"_s, {{u"Rasse"_s, 2}, {u"Name"_s, u"grau"_s}});
    add(u"Farbe.db"_s, {{u"Rasse"_s, 2}, {u"Name"_s, u"weiß"_s}});
    messages = std::make_unique<store::MessageCatalogue>(engine);
    messages->open();
    store::setMessageCatalogue(messages.get());
  }
  void TearDown() override {
    module.reset();
    store::setMessageCatalogue(nullptr);
  }

  // Adds a row through a plain cursor (no rules) and returns its key.
  qint64 add(const QString& table, const QVariantMap& values) {
    return test::addRow(engine, table, values);
  }
  // A doe born 1.3.2005 unless `more` says otherwise (a set birthday keeps the rules from
  // deriving and saving one while the animal is shown).
  qint64 animal(const QString& rechts, const QString& links, QVariantMap more = {}) {
    more.insert(u"TatoRechts"_s, rechts);
    more.insert(u"TatoLinks"_s, links);
    if (!more.contains(u"Geschlecht"_s)) more.insert(u"Geschlecht"_s, u"2"_s);
    if (!more.contains(u"Geburtstag"_s)) more.insert(u"Geburtstag"_s, QDate(2005, 3, 1));
    return add(u"Hasen.db"_s, more);
  }
  qint64 rowCount(const QString& table) {
    Cursor c(engine, u"Zaehler"_s);
    c.setTableName(table);
    c.open();
    return c.recordCount();
  }
  QVariant stored(qint64 nummer, const QString& field) {
    Cursor c(engine, u"Lesen"_s);
    c.setTableName(u"Hasen"_s);
    c.open();
    return c.findKey({nummer}) ? c.field(field).value() : QVariant();
  }
  store::TDatenStamm& openModule() {
    module = std::make_unique<store::TDatenStamm>(engine, settings);
    module->setToday(QDate(2006, 6, 15));
    module->setCard(&card);
    module->open();
    return *module;
  }
  Cursor& hasen() { return module->Hasen(); }
  engine::Field field(const QString& name) { return hasen().field(name); }
  qint64 nummer() { return field(u"Nummer"_s).asInteger(); }
  Cursor& addition(const QString& zmnr) {
    Cursor& zusatz = module->at(u"HasenZusatz"_s);
    zusatz.append();
    zusatz.field(u"ZMNr"_s).setString(zmnr);
    return zusatz;
  }

  test::TempDir dir;
  engine::Engine engine;
  std::unique_ptr<store::MessageCatalogue> messages;
  tsysteminfo settings;
  StubCard card;
  std::unique_ptr<store::TDatenStamm> module;
  ScriptedDialogs dialogs;  // an unscripted question fails the test
};

TEST_F(AnimalCommandsTest, NewAnimalTakesTheDefaultsOfItsVariantAndMarksTheCard) {
  const qint64 shown = animal(u"R1"_s, u"3.5.12"_s);
  settings.Stammdaten.Rasse = 2;
  settings.Stammdaten.Farbe = 2;  // a colour of breed 2: must survive the breed rule
  settings.Stammdaten.Status = 3;
  openModule();
  ASSERT_TRUE(newAnimal(*module, settings, NewAnimalVariant::ToolBar));
  EXPECT_EQ(hasen().state(), DataSetState::Insert);
  EXPECT_EQ(field(u"Rasse"_s).asInteger(), 2);
  EXPECT_EQ(field(u"Farbe"_s).asInteger(), 2);
  EXPECT_EQ(field(u"Status"_s).asInteger(), 3);
  EXPECT_EQ(card.caption, msg(14));
  EXPECT_EQ(card.undoButton, true);
  EXPECT_TRUE(card.newRecord);
  EXPECT_EQ(card.addressBoxesCleared, 1);
  EXPECT_EQ(card.displayUpdates, 0);  // it would overwrite the caption
  EXPECT_EQ(card.lastShownAnimal, shown);
  hasen().cancel();

  ASSERT_TRUE(newAnimal(*module, settings, NewAnimalVariant::Menu));
  EXPECT_EQ(field(u"Rasse"_s).asInteger(), 2);
  EXPECT_TRUE(field(u"Farbe"_s).isNull());
  EXPECT_EQ(field(u"Status"_s).asInteger(), 2);
  hasen().cancel();

  settings.Stammdaten.Rasse = settings.Stammdaten.Farbe = settings.Stammdaten.Status = 0;
  ASSERT_TRUE(newAnimal(*module, settings, NewAnimalVariant::ToolBar));
  for (const QString& name : {u"Rasse"_s, u"Farbe"_s, u"Status"_s})
    EXPECT_TRUE(field(name).isNull()) << name.toStdString();
  field(u"Geschlecht"_s).setString(u"1"_s);
  hasen().post();
  EXPECT_EQ(rowCount(u"Hasen"_s), 2);
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
}

TEST_F(AnimalCommandsTest, NewAnimalSavesTheAnimalBeingEditedOrStopsWhenThatFails) {
  const qint64 n = animal(u"R1"_s, u"3.5.12"_s);
  openModule();
  hasen().edit();
  field(u"IDCode"_s).setString(u"Flocke"_s);
  ASSERT_TRUE(newAnimal(*module, settings, NewAnimalVariant::Menu));
  EXPECT_EQ(stored(n, u"IDCode"_s).toString(), u"Flocke");

  // The new record has no sex yet: its save fails and no second record is started.
  card.caption.clear();
  EXPECT_FALSE(newAnimal(*module, settings, NewAnimalVariant::Menu));
  EXPECT_EQ(dialogs.texts(), QStringList{kNoSex});
  EXPECT_EQ(hasen().state(), DataSetState::Insert);
  EXPECT_TRUE(card.caption.isEmpty());
  EXPECT_EQ(rowCount(u"Hasen"_s), 1);
}

TEST_F(AnimalCommandsTest, DuplicateCopiesExactlyTheListedFieldsAndTheCopyCanBeSaved) {
  const qint64 father = animal(u"V1"_s, u"1.4.1"_s, {{u"Geschlecht"_s, u"1"_s}});
  const qint64 mother = animal(u"M1"_s, u"1.4.2"_s);
  const QVariantMap copied{
      {u"TatoRechts"_s, u"R1"_s}, {u"Geschlecht"_s, u"1"_s},    {u"Rasse"_s, 2},           {u"Farbe"_s, 2},
      {u"Vater"_s, father},       {u"Mutter"_s, mother},        {u"Zuechter"_s, 7},        {u"Besitzer"_s, 8},
      {u"Status"_s, 3},           {u"Erbformel"_s, u"AA BB"_s}, {u"Wurfgroesse"_s, u"6"_s}};
  const QStringList notCopied{u"Info"_s,    u"Anomalien"_s,   u"IDCode"_s,
                              u"Körnote"_s, u"Stallnummer"_s, u"Druckbild"_s};
  QVariantMap all = copied;
  all.insert(QVariantMap{{u"Info"_s, u"ruhig"_s},
                         {u"Anomalien"_s, u"keine"_s},
                         {u"IDCode"_s, u"Flocke"_s},
                         {u"Körnote"_s, 4},
                         {u"Stallnummer"_s, 12},
                         {u"Druckbild"_s, 1}});
  const qint64 source = animal(u"R1"_s, u"3.5.12"_s, all);
  add(u"Hasenz.db"_s, {{u"Hase"_s, source}, {u"ZMNr"_s, u"Z1"_s}});
  openModule();
  ASSERT_TRUE(module->gotoAnimal(source));

  ASSERT_TRUE(duplicateAnimal(*module));
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
  EXPECT_EQ(hasen().state(), DataSetState::Insert);
  auto expectCopy = [&](auto value) {
    for (auto it = copied.begin(); it != copied.end(); ++it)
      EXPECT_EQ(value(it.key()).toString(), it.value().toString()) << it.key().toStdString();
    EXPECT_EQ(value(u"TatoLinks"_s).toString(), u"3.5.13");
    EXPECT_EQ(value(u"Geburtstag"_s).toDate(), QDate(2005, 3, 1));
    for (const QString& name : notCopied) EXPECT_TRUE(value(name).toString().isEmpty()) << name.toStdString();
  };
  expectCopy([&](const QString& name) { return field(name).value(); });
  EXPECT_EQ(card.caption, msg(14));
  EXPECT_EQ(card.undoButton, true);
  EXPECT_TRUE(card.newRecord);
  EXPECT_EQ(card.lastShownAnimal, source);

  hasen().post();
  EXPECT_NE(nummer(), source);
  expectCopy([&, copy = nummer()](const QString& name) { return stored(copy, name); });
  EXPECT_EQ(rowCount(u"Hasenz"_s), 1);  // the addition stays with the original
}

TEST_F(AnimalCommandsTest, DuplicateSavesTheAnimalAndItsAdditionFirst) {
  const qint64 n = animal(u"R1"_s, u"3.5.12"_s);
  openModule();
  hasen().edit();
  field(u"TatoLinks"_s).setString(u"3.5.20"_s);
  addition(u"Z7"_s);
  ASSERT_TRUE(duplicateAnimal(*module));
  EXPECT_EQ(stored(n, u"TatoLinks"_s).toString(), u"3.5.20");
  EXPECT_EQ(field(u"TatoLinks"_s).asString(), u"3.5.21");
  EXPECT_EQ(rowCount(u"Hasenz"_s), 1);
  hasen().cancel();

  // A new animal: its save writes the addition entered with it.
  ASSERT_TRUE(newAnimal(*module, settings, NewAnimalVariant::Menu));
  field(u"TatoRechts"_s).setString(u"N1"_s);
  field(u"TatoLinks"_s).setString(u"4.6.1"_s);
  field(u"Geschlecht"_s).setString(u"2"_s);
  addition(u"Z8"_s);
  ASSERT_TRUE(duplicateAnimal(*module));
  EXPECT_EQ(field(u"TatoLinks"_s).asString(), u"4.6.2");
  hasen().cancel();
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
  EXPECT_EQ(rowCount(u"Hasen"_s), 2);
  Cursor additions(engine, u"Lesen"_s);
  additions.setTableName(u"Hasenz"_s);
  additions.open();
  EXPECT_TRUE(additions.locate(u"Hase;ZMNr"_s, {nummer(), u"Z8"_s}));
}

TEST_F(AnimalCommandsTest, DuplicateAppendsNothingWhenTheSaveFails) {
  animal(u"R1"_s, u"3.5.12"_s);
  openModule();
  ASSERT_TRUE(newAnimal(*module, settings, NewAnimalVariant::Menu));
  field(u"TatoRechts"_s).setString(u"N1"_s);
  Cursor& zusatz = addition(u"Z8"_s);
  card.newRecord = false;
  EXPECT_FALSE(duplicateAnimal(*module));
  EXPECT_EQ(dialogs.texts(), QStringList{kNoSex});
  EXPECT_EQ(field(u"TatoRechts"_s).asString(), u"N1");  // still the unsaved animal
  EXPECT_FALSE(card.newRecord);
  // The addition is still being entered, not held for an animal that may never be saved.
  EXPECT_EQ(zusatz.state(), DataSetState::Insert);
  EXPECT_FALSE(module->additionPending());
}

TEST_F(AnimalCommandsTest, DuplicateCheckAnsweredNeinLeavesNoNewRecord) {
  const qint64 source = animal(u"R1"_s, u"3.5.12"_s);
  const qint64 next = animal(u"R1"_s, u"3.5.13"_s);
  openModule();
  ASSERT_TRUE(module->gotoAnimal(source));
  dialogs.no();
  EXPECT_FALSE(duplicateAnimal(*module));
  EXPECT_EQ(dialogs.texts(), QStringList{msg(120)});
  EXPECT_EQ(hasen().state(), DataSetState::Browse);
  EXPECT_EQ(nummer(), next);  // the animal found is shown
  EXPECT_FALSE(card.newRecord);
  EXPECT_EQ(card.undoButton, false);
  EXPECT_EQ(rowCount(u"Hasen"_s), 2);

  ASSERT_TRUE(module->gotoAnimal(source));
  dialogs.yes();
  EXPECT_TRUE(duplicateAnimal(*module));
  EXPECT_EQ(hasen().state(), DataSetState::Insert);
  EXPECT_TRUE(card.newRecord);
}

TEST_F(AnimalCommandsTest, ARunningNumberThatCannotBeCarriedOnIsCopiedUnchangedWithAWarning) {
  const qint64 letters = animal(u"R1"_s, u"3.5.1x"_s, {{u"Rasse"_s, 1}});
  const qint64 full = animal(u"R2"_s, u"3.5.999999"_s);  // 10 characters, the size of the field
  openModule();
  for (const auto& [n, text] : {std::pair{letters, u"„3.5.1x“"_s}, std::pair{full, u"„3.5.1000000“"_s}}) {
    dialogs.clear();
    ASSERT_TRUE(module->gotoAnimal(n));
    const QString links = field(u"TatoLinks"_s).asString();
    dialogs.yes();  // the copy has the original's tattoos: the duplicate check asks
    ASSERT_TRUE(duplicateAnimal(*module));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Warning);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(text)) << dialogs.shown()[0].text.toStdString();
    EXPECT_EQ(dialogs.shown()[1].text, msg(120));
    EXPECT_EQ(field(u"TatoLinks"_s).asString(), links);
    EXPECT_EQ(card.caption, msg(14));
    hasen().post();
  }
  EXPECT_EQ(rowCount(u"Hasen"_s), 4);
}

TEST_F(AnimalCommandsTest, DeleteSaysWhatDependsOnTheAnimalAndKeepsReferencesInOtherTables) {
  const qint64 doe = animal(u"R1"_s, u"3.5.12"_s);
  animal(u"R2"_s, u"3.5.13"_s);
  animal(u"J1"_s, u"4.6.1"_s, {{u"Mutter"_s, doe}});
  add(u"Hasenz.db"_s, {{u"Hase"_s, doe}, {u"ZMNr"_s, u"Z1"_s}});
  add(u"VERKAUFT.db"_s, {{u"Katze"_s, doe}});
  add(u"Wurfbuch.DB"_s, {{u"Katze"_s, doe}, {u"Wurftag"_s, QDate(2006, 4, 1)}});
  openModule();
  ASSERT_TRUE(module->gotoAnimal(doe));
  card.newRecord = card.listRefreshPending = true;
  card.listRefreshes = card.displayUpdates = 0;

  dialogs.no();
  EXPECT_FALSE(deleteAnimal(*module));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].text, u"Diese Häsin ist Mutter von 1 Tier und steht in 1 Wurf. Trotzdem löschen?"_s);
  EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Warning);
  EXPECT_EQ(dialogs.shown()[0].buttons, store::DialogButtons::YesNoDefaultNo);
  EXPECT_EQ(nummer(), doe);
  EXPECT_TRUE(card.newRecord);
  EXPECT_EQ(card.listRefreshes + card.displayUpdates, 0);

  dialogs.yes();
  EXPECT_TRUE(deleteAnimal(*module));
  EXPECT_FALSE(stored(doe, u"Nummer"_s).isValid());
  EXPECT_EQ(rowCount(u"Hasen"_s), 2);
  EXPECT_NE(nummer(), doe);
  EXPECT_EQ(card.listRefreshes, 1);
  EXPECT_EQ(card.displayUpdates, 1);
  EXPECT_FALSE(card.newRecord);
  EXPECT_FALSE(card.listRefreshPending);
  for (const QString& table : {u"Hasenz"_s, u"VERKAUFT"_s, u"Wurfbuch.DB"_s})
    EXPECT_EQ(rowCount(table), 1) << table.toStdString();
}

// An animal nothing refers to gets the plain question; a buck's question speaks of a father.
TEST_F(AnimalCommandsTest, DeleteQuestionForABuckAndForAnAnimalWithoutDependants) {
  const qint64 buck = animal(u"R1"_s, u"3.5.12"_s, {{u"Geschlecht"_s, u"1"_s}});
  const qint64 alone = animal(u"R2"_s, u"3.5.13"_s);
  for (int i = 0; i < 3; ++i) animal(u"J%1"_s.arg(i), u"4.6.%1"_s.arg(i), {{u"Vater"_s, buck}});
  add(u"Koernote.db"_s, {{u"Hase"_s, buck}});
  add(u"Koernote.db"_s, {{u"Hase"_s, buck}});
  openModule();
  ASSERT_TRUE(module->gotoAnimal(buck));
  dialogs.no();
  EXPECT_FALSE(deleteAnimal(*module));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].text, u"Dieser Rammler ist Vater von 3 Tieren und steht in 2 Körungen. Trotzdem löschen?"_s);
  EXPECT_EQ(dialogs.shown()[0].buttons, store::DialogButtons::YesNoDefaultNo);
  dialogs.clear();
  ASSERT_TRUE(module->gotoAnimal(alone));
  dialogs.no();
  EXPECT_FALSE(deleteAnimal(*module));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].text, msg(15));
}

TEST_F(AnimalCommandsTest, DeletingAnUnsavedNewAnimalDiscardsItAndDeletesNothingStored) {
  const qint64 n = animal(u"R1"_s, u"3.5.12"_s);
  openModule();
  ASSERT_TRUE(newAnimal(*module, settings, NewAnimalVariant::Menu));
  field(u"Geschlecht"_s).setString(u"1"_s);
  dialogs.yes();
  EXPECT_TRUE(deleteAnimal(*module));
  EXPECT_EQ(hasen().state(), DataSetState::Browse);
  EXPECT_EQ(nummer(), n);  // back on the animal shown before
  EXPECT_EQ(rowCount(u"Hasen"_s), 1);
  EXPECT_FALSE(card.newRecord);
  EXPECT_EQ(card.displayUpdates, 1);
}

TEST_F(AnimalCommandsTest, OnAnEmptyTableDuplicateAndDeleteDoNothingAndAskNothing) {
  openModule();
  EXPECT_FALSE(duplicateAnimal(*module));
  EXPECT_FALSE(deleteAnimal(*module));
  EXPECT_FALSE(hasen().isEditing());
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_EQ(card.displayUpdates, 0);
}

}  // namespace
}  // namespace lapiro::shell

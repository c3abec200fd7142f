// The animal card "Rund um das Tier" on a real data module: what it shows, the parent and
// address choices, the tattoo parts, the formula check, save, undo and navigation.
#include "app/modules.h"
#include "card/ui/animal_card.h"

#include "engine/cursor.h"
#include "engine/field_input.h"
#include "genetics/ui/genetics_module.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace lapiro::card {
namespace {

using test::ScriptedDialogs;
using ui::TLapiroStamm;

// ---------------------------------------------------------------- display rules

TEST(CardDisplayRules, FatherPanelLeavesNoGapForMissingItems) {
  ParentInfo p;
  p.tatoRechts = QStringLiteral("B12");
  p.tatoLinks = QStringLiteral("3.5.10");
  p.rasse = QStringLiteral("Deutsche Riesen");
  p.farbe = QStringLiteral("grau");
  p.wurfgroesse = QStringLiteral("7");
  p.geburtstag = QStringLiteral("01.03.2005");
  p.status = 3;
  p.besitzer = QStringLiteral("Anna Berg");
  p.zuechter = QStringLiteral("Karl Mohn");
  const QStringList lines = parentPanelLines(p, true, QStringLiteral("Jörg Sommer"));
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines[0], QStringLiteral("B12  3.5.10"));
  EXPECT_EQ(lines[1], QStringLiteral("Rasse: Deutsche Riesen  Farbe: grau"));
  // Neither Körnote nor Stallnummer: the formula line moves up (without a formula only the
  // litter size is shown).
  EXPECT_EQ(lines[2], QStringLiteral("Wurfgröße: 7"));
  EXPECT_EQ(lines[3], QStringLiteral("Geburtstag: 01.03.2005"));
  EXPECT_EQ(lines[4], QStringLiteral("Besitzer: Anna Berg"));
  EXPECT_EQ(lines[5], QStringLiteral("Züchter: Karl Mohn"));
  EXPECT_EQ(lines[6], QString());
}

TEST(CardDisplayRules, MotherPanelShowsNoKoernoteAndOwnStockShowsTheOwnName) {
  ParentInfo p;
  p.tatoRechts = QStringLiteral("A7");
  p.tatoLinks = QStringLiteral("4.5.2");
  p.koernote = QStringLiteral("95");
  p.stallnummer = QStringLiteral("12");
  p.erbformel = QStringLiteral("AaBb");
  p.status = 1;
  p.besitzer = QStringLiteral("Anna Berg");
  const QStringList mother = parentPanelLines(p, false, QStringLiteral("Jörg Sommer"));
  EXPECT_EQ(mother[1], QStringLiteral("Stallnr.: 12"));
  EXPECT_EQ(mother[2], QStringLiteral("Erbenge: AaBb  "));
  EXPECT_EQ(mother[3], QStringLiteral("Besitzer: Jörg Sommer"));
  EXPECT_FALSE(mother.join(QString()).contains(QStringLiteral("Körnote")));
  const QStringList father = parentPanelLines(p, true, QStringLiteral("Jörg Sommer"));
  EXPECT_EQ(father[1], QStringLiteral("Körnote: 95  Stallnr.: 12"));
}

TEST(CardDisplayRules, CaptionAndAddressBox) {
  EXPECT_EQ(cardCaption(QStringLiteral("B12"), QStringLiteral("3.5.10"), QStringLiteral("Widder"), QString()),
            QStringLiteral("B12  3.5.10, Widder"));
  EXPECT_EQ(cardCaption(QStringLiteral("B12"), QString(), QString(), QString()), QStringLiteral("B12  "));
  EXPECT_EQ(addressBoxLines({QStringLiteral("Berg"), QStringLiteral("Anna"), QStringLiteral("Weg 1"),
                             QStringLiteral("12345"), QStringLiteral("Ort"), QStringLiteral("0123"), QString()}),
            (QStringList{QStringLiteral("Berg, Anna"), QStringLiteral("Weg 1"), QStringLiteral("12345 Ort"),
                         QStringLiteral("0123"), QString()}));
}

TEST(CardDisplayRules, TattooPartBoundsAndFormulaCheck) {
  EXPECT_TRUE(tattooPartInBounds(TattooPart::Month, QStringLiteral("12")));
  EXPECT_FALSE(tattooPartInBounds(TattooPart::Month, QStringLiteral("13")));
  EXPECT_TRUE(tattooPartInBounds(TattooPart::Month, QStringLiteral("0")));
  EXPECT_TRUE(tattooPartInBounds(TattooPart::Year, QStringLiteral("99")));
  EXPECT_FALSE(tattooPartInBounds(TattooPart::Year, QStringLiteral("100")));
  EXPECT_TRUE(tattooPartInBounds(TattooPart::Number, QStringLiteral("9999")));
  EXPECT_FALSE(tattooPartInBounds(TattooPart::Number, QStringLiteral("10000")));
  EXPECT_FALSE(tattooPartInBounds(TattooPart::Number, QStringLiteral("99999999999999999999999")));
  EXPECT_TRUE(tattooPartInBounds(TattooPart::Number, QString()));
  EXPECT_EQ(tattooPartMessage(TattooPart::Number), QStringLiteral("maximal 4-stellige Werte zulässig"));

  // Counting stops at the first unreadable token and keeps the sum so far: "Aa5" weighs 2.
  EXPECT_TRUE(formulaFieldAccepts(QStringLiteral("Aa5")));
  EXPECT_TRUE(formulaFieldAccepts(QString()));
  EXPECT_FALSE(formulaFieldAccepts(QStringLiteral("ABC")));
}

// ---------------------------------------------------------------- the card on a data module

class AnimalCardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.System.Speichern = true;
    breed = stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Widder")}});
    colour = stock.add(QStringLiteral("Farbe.db"),
                       {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Name"), QStringLiteral("weiß")}});
    breeder = stock.add(QStringLiteral("Adresse.db"),
                        {{QStringLiteral("Name"), QStringLiteral("Berg")}, {QStringLiteral("Vorname"), QStringLiteral("Anna")},
                         {QStringLiteral("Straße"), QStringLiteral("Am Hang 2")}, {QStringLiteral("PLZ"), QStringLiteral("34117")},
                         {QStringLiteral("Ort"), QStringLiteral("Kassel")}, {QStringLiteral("Telefon"), QStringLiteral("0561 1")}});
    father = stock.animal(QStringLiteral("B12"), QStringLiteral("3.5.10"),
                          {{QStringLiteral("Geschlecht"), QStringLiteral("1")}, {QStringLiteral("Rasse"), breed},
                           {QStringLiteral("Status"), 1}, {QStringLiteral("Stallnummer"), 4}});
    mother = stock.animal(QStringLiteral("C3"), QStringLiteral("1.5.1"), {{QStringLiteral("Zuechter"), breeder}});
    young = stock.animal(QStringLiteral("D4"), QStringLiteral("2.6.7"),
                         {{QStringLiteral("Rasse"), breed}, {QStringLiteral("Farbe"), colour},
                          {QStringLiteral("Vater"), father}, {QStringLiteral("Mutter"), mother},
                          {QStringLiteral("Zuechter"), breeder}});
  }

  void TearDown() override {
    card.reset();
    module.reset();
  }

  TLapiroStamm& openCard() {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->setToday(QDate(2006, 6, 15));
    module->open();
    ui::CardServices services;
    services.searchAnimal = [this](const store::SearchRequest& r) -> std::optional<qint64> {
      requests.push_back(r);
      return searchAnswer;
    };
    services.searchAddress = [this]() -> std::optional<qint64> { return addressAnswer; };
    services.pickDate = [this](const QDate&) -> std::optional<QDate> { return dateAnswer; };
    services.noteShown = [this](const QString& r, const QString& l, qint64 n) {
      shown << QStringLiteral("%1 %2 {%3}").arg(r, l).arg(n);
      return true;
    };
    card = std::make_unique<TLapiroStamm>(*module, settings, services, app::featureCardPages());
    card->resize(900, 700);
    return *card;
  }

  engine::Cursor& hasen() { return module->Hasen(); }
  // Shows the card as the active window, so that focus and typing behave as for a user.
  void activate() {
    card->show();
    QApplication::setActiveWindow(card.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
  }
  void show(qint64 nummer) {
    ASSERT_TRUE(module->gotoAnimal(nummer));
    card->refreshCard(true);
  }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 breed = 0, colour = 0, breeder = 0, father = 0, mother = 0, young = 0;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<TLapiroStamm> card;
  std::vector<store::SearchRequest> requests;
  std::optional<qint64> searchAnswer;
  std::optional<qint64> addressAnswer;
  std::optional<QDate> dateAnswer;
  QStringList shown;
};

TEST_F(AnimalCardTest, ShowsTheAnimalWithCaptionParentsAndBreederBox) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  show(young);
  EXPECT_EQ(c.windowTitle(), QStringLiteral("D4  2.6.7, Widder, weiß"));
  EXPECT_EQ(c.rightTattoo()->text(), QStringLiteral("D4"));
  EXPECT_EQ(c.breedBox()->currentText(), QStringLiteral("Widder"));
  EXPECT_EQ(c.colourBox()->currentText(), QStringLiteral("weiß"));
  EXPECT_EQ(c.fatherEdit()->text(), QStringLiteral("B12  3.5.10"));
  EXPECT_EQ(c.motherEdit()->text(), QStringLiteral("C3  1.5.1"));
  EXPECT_EQ(c.breederBox()->toPlainText(), QStringLiteral("Berg, Anna\nAm Hang 2\n34117 Kassel\n0561 1\n"));
  EXPECT_TRUE(c.ownerBox()->toPlainText().isEmpty());
  EXPECT_FALSE(c.saveButton()->isEnabled());
  EXPECT_FALSE(c.undoButton()->isEnabled());
  // Shown by a command: recorded in the recently-shown list.
  EXPECT_EQ(shown.last(), QStringLiteral("D4 2.6.7 {%1}").arg(young));
  EXPECT_EQ(c.lastShownAnimal, young);
  EXPECT_EQ(c.tabs()->count(), 8);
  EXPECT_EQ(c.tabs()->tabText(0), QStringLiteral("Stammdaten"));
  EXPECT_FALSE(c.tabs()->isTabVisible(TLapiroStamm::TabLeistungsnachweis));
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

// A deleted mother keeps her number in the young animal; the card says so instead of an empty
// box.
TEST_F(AnimalCardTest, ADeletedParentIsShownAsDeletedWithItsNumber) {
  ScriptedDialogs dialogs;
  stock.engine.execute(QStringLiteral("DELETE FROM \"Hasen.db\" WHERE Nummer = :n"), {{QStringLiteral("n"), mother}});
  TLapiroStamm& c = openCard();
  show(young);
  EXPECT_EQ(c.fatherEdit()->text(), QStringLiteral("B12  3.5.10"));
  EXPECT_EQ(c.motherEdit()->text(), QStringLiteral("gelöscht (Nr. %1)").arg(mother));
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Mutter")).toLongLong(), mother);
}

TEST_F(AnimalCardTest, ParentPanelsShowTheParentsData) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  c.show();
  show(young);
  QTest::mouseClick(c.fatherEdit(), Qt::LeftButton);
  ASSERT_TRUE(c.parentPanel()->isVisible());
  const QStringList lines = c.parentPanelText()->toPlainText().split(u'\n');
  EXPECT_EQ(lines.value(0), QStringLiteral("B12  3.5.10"));
  EXPECT_EQ(lines.value(1), QStringLiteral("Rasse: Widder  "));
  EXPECT_EQ(lines.value(2), QStringLiteral("Stallnr.: 4"));
  // The birth date the rules read from the tattoo when the father was first shown.
  EXPECT_EQ(lines.value(3), QStringLiteral("Geburtstag: 01.03.2005"));
  // Status 1: the own user is the owner.
  EXPECT_EQ(lines.value(4), QStringLiteral("Besitzer: Jörg Sommer"));
  QTest::mouseClick(c.parentPanelText()->viewport(), Qt::LeftButton);
  EXPECT_FALSE(c.parentPanel()->isVisible());

  QTest::mouseClick(c.motherEdit(), Qt::LeftButton);
  EXPECT_TRUE(c.parentPanelText()->toPlainText().contains(QStringLiteral("Züchter: Anna Berg")));
  // Moving to another animal hides the panel.
  c.controller().move(CardController::Move::First);
  EXPECT_FALSE(c.parentPanel()->isVisible());
}

TEST_F(AnimalCardTest, ChoosingParentsAndBreederEditsTheRecord) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  show(mother);
  searchAnswer = father;
  c.chooseParent(true);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].mode, 3);
  EXPECT_EQ(requests[0].parent, store::ParentSearch::Father);
  EXPECT_EQ(requests[0].currentAnimal, mother);
  EXPECT_EQ(hasen().field(QStringLiteral("Vater")).asInteger(), father);
  EXPECT_EQ(c.fatherEdit()->text(), QStringLiteral("B12  3.5.10"));
  EXPECT_TRUE(c.saveButton()->isEnabled());

  addressAnswer = breeder;
  c.chooseAddress(false);
  EXPECT_TRUE(c.ownerBox()->toPlainText().startsWith(QStringLiteral("Berg, Anna\nAm Hang 2")));

  // A cancelled search changes nothing.
  searchAnswer.reset();
  c.chooseParent(false);
  EXPECT_EQ(requests.back().parent, store::ParentSearch::Mother);
  EXPECT_TRUE(hasen().field(QStringLiteral("Mutter")).isNull());

  c.SpeichernClick();
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), mother, QStringLiteral("Vater")).toLongLong(), father);
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), mother, QStringLiteral("Besitzer")).toLongLong(), breeder);
  EXPECT_FALSE(c.saveButton()->isEnabled());
}

TEST_F(AnimalCardTest, TypedFieldsAreSavedAndUndoRestoresThem) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  activate();
  show(young);
  c.rightTattoo()->setFocus();
  c.rightTattoo()->selectAll();
  QTest::keyClicks(c.rightTattoo(), QStringLiteral("D5"));
  EXPECT_EQ(hasen().field(QStringLiteral("TatoRechts")).asString(), QStringLiteral("D5"));
  EXPECT_TRUE(c.saveButton()->isEnabled());
  EXPECT_TRUE(c.undoButton()->isEnabled());
  c.RueckgaengigClick();
  EXPECT_EQ(c.rightTattoo()->text(), QStringLiteral("D4"));
  EXPECT_FALSE(c.undoButton()->isEnabled());

  c.birthEdit()->setFocus();
  c.birthEdit()->selectAll();
  QTest::keyClicks(c.birthEdit(), QStringLiteral("03.02.2006"));
  QTest::keyClick(c.birthEdit(), Qt::Key_Return);  // Enter keeps the input
  c.SpeichernClick();
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Geburtstag")).toDate(), QDate(2006, 2, 3));

  // The calendar writes the date; a cancelled calendar changes nothing.
  dateAnswer = QDate(2006, 1, 9);
  c.pickBirthDate();
  EXPECT_EQ(hasen().field(QStringLiteral("Geburtstag")).asDate(), QDate(2006, 1, 9));
  c.RueckgaengigClick();
  dateAnswer.reset();
  c.pickBirthDate();
  EXPECT_EQ(hasen().field(QStringLiteral("Geburtstag")).asDate(), QDate(2006, 2, 3));
  EXPECT_FALSE(hasen().isEditing());
}

TEST_F(AnimalCardTest, UndoOfANewAnimalReturnsToTheLastShownAnimal) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  show(mother);
  show(young);
  // What the main window's "Neuaufnahme" does.
  hasen().append();
  c.newRecord = true;
  c.setUndoButtonEnabled(true);
  QTest::keyClicks(c.rightTattoo(), QStringLiteral("N1"));
  const qint64 before = stock.rowCount(QStringLiteral("Hasen.db"));
  c.RueckgaengigClick();
  EXPECT_FALSE(c.newRecord);
  EXPECT_FALSE(hasen().isEditing());
  EXPECT_EQ(hasen().field(QStringLiteral("Nummer")).asInteger(), young);
  EXPECT_EQ(c.rightTattoo()->text(), QStringLiteral("D4"));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Hasen.db")), before);
}

TEST_F(AnimalCardTest, LeftTattooInPartsKeepsTheBounds) {
  ScriptedDialogs dialogs;
  settings.Stammdaten.TaetoLinksEinzeln = true;
  TLapiroStamm& c = openCard();
  activate();
  show(young);
  EXPECT_EQ(c.tattooPart(0)->text(), QStringLiteral("2"));
  EXPECT_EQ(c.tattooPart(1)->text(), QStringLiteral("6"));
  EXPECT_EQ(c.tattooPart(2)->text(), QStringLiteral("7"));
  EXPECT_FALSE(c.leftTattoo()->isVisible());

  c.tattooPart(0)->setFocus();
  c.tattooPart(0)->selectAll();
  QTest::keyClicks(c.tattooPart(0), QStringLiteral("13"));
  EXPECT_EQ(dialogs.texts().value(0), QStringLiteral("Nur Werte zwischen 0 und 12 zulässig"));
  EXPECT_TRUE(c.tattooPart(0)->text().isEmpty());
  EXPECT_EQ(hasen().field(QStringLiteral("TatoLinks")).asString(), QStringLiteral("1.6.7"));

  c.tattooPart(2)->setFocus();
  c.tattooPart(2)->selectAll();
  QTest::keyClicks(c.tattooPart(2), QStringLiteral("12"));
  // The tattoo is written as the three boxes show it: the emptied month stays empty.
  EXPECT_EQ(hasen().field(QStringLiteral("TatoLinks")).asString(), QStringLiteral(".6.12"));
}

TEST_F(AnimalCardTest, InvalidFormulaIsRefusedWithMessage119) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  activate();
  show(young);
  c.formulaEdit()->setFocus();
  QTest::keyClicks(c.formulaEdit(), QStringLiteral("ABC"));
  // A command from the navigator runs the field's check before it moves.
  c.controller().setMark();
  EXPECT_FALSE(c.finishFieldEntry());
  EXPECT_EQ(dialogs.texts().value(0), test::StockDirectory::message(119));
  EXPECT_TRUE(c.formulaEdit()->text().isEmpty());
  EXPECT_TRUE(hasen().field(QStringLiteral("Erbformel")).isNull());

  dialogs.clear();
  QTest::keyClicks(c.formulaEdit(), QStringLiteral("Aa5"));
  EXPECT_TRUE(c.finishFieldEntry());
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_EQ(hasen().field(QStringLiteral("Erbformel")).asString(), QStringLiteral("Aa5"));
}

TEST_F(AnimalCardTest, TheGenotypeIsTypedUnderTheColourWithItsHintAndCheckedOnSave) {
  ScriptedDialogs dialogs;
  genetics::ui::lendGenotypeRulesToCard();
  stock.engine.execute(QStringLiteral("UPDATE \"Farbe.db\" SET Genotyp = 'a a' WHERE Nummer = :n"),
                       {{QStringLiteral("n"), colour}});
  TLapiroStamm& c = openCard();
  activate();
  show(young);
  EXPECT_TRUE(c.genotypeEdit()->isEnabled());
  EXPECT_EQ(c.genotypeHint()->text(), QStringLiteral("Farbe „weiß“: mindestens a a"));

  c.genotypeEdit()->setFocus();
  QTest::keyClicks(c.genotypeEdit(), QStringLiteral("B B/A A"));
  EXPECT_TRUE(c.genotypeHint()->text().endsWith(QStringLiteral("Widerspruch zur Farbe „weiß“ (verlangt a a)")))
      << c.genotypeHint()->text().toStdString();
  EXPECT_TRUE(c.saveButton()->isEnabled());
  c.SpeichernClick();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Genotyp")).toString(), QStringLiteral("A A/B B"));
  EXPECT_EQ(c.genotypeEdit()->text(), QStringLiteral("A A/B B"));  // shown as stored

  c.genotypeEdit()->selectAll();
  QTest::keyClicks(c.genotypeEdit(), QStringLiteral("A A/B q"));
  c.SpeichernClick();
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Unbekanntes Allel „q“ in „B q“.")});
  EXPECT_EQ(c.genotypeEdit()->text(), QStringLiteral("A A/B q"));
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Genotyp")).toString(), QStringLiteral("A A/B B"));
  // Commands that would store the record stop as well.
  EXPECT_FALSE(c.finishFieldEntry());
  setGenotypeRules({});
}

TEST_F(AnimalCardTest, ImpossibleBirthDatesAreRefusedEveryTimeAndTheBoxKeepsTextAndFocus) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  activate();
  show(young);
  const QVariant before = stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Geburtstag"));
  for (const QString& bad : {QStringLiteral("31.02.2024"), QStringLiteral("31.04.2024"), QStringLiteral("29.02.2023")}) {
    dialogs.clear();
    c.birthEdit()->setFocus();
    c.birthEdit()->selectAll();
    QTest::keyClicks(c.birthEdit(), bad);
    EXPECT_TRUE(dialogs.texts().isEmpty());  // nothing at a keystroke
    c.SpeichernClick();
    // The message names the box as the card labels it.
    EXPECT_EQ(dialogs.texts(), QStringList{engine::invalidValueMessage(bad, QStringLiteral("Geboren"))});
    EXPECT_EQ(c.birthEdit()->text(), bad);
    EXPECT_TRUE(c.birthEdit()->hasFocus());
    EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Geburtstag")), before);
  }
  // Leaving the box for another one refuses again, and so does a second save.
  dialogs.clear();
  c.rightTattoo()->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(dialogs.texts().size(), 1);
  EXPECT_TRUE(c.birthEdit()->hasFocus());
  c.SpeichernClick();
  EXPECT_EQ(dialogs.texts().size(), 2);

  // A year before 1900 is a typing slip: refused, nothing stored.
  c.birthEdit()->selectAll();
  QTest::keyClicks(c.birthEdit(), QStringLiteral("20.02.0025"));
  dialogs.clear();
  c.SpeichernClick();
  ASSERT_EQ(dialogs.texts().size(), 1);
  EXPECT_TRUE(dialogs.texts()[0].startsWith(QStringLiteral("»20.02.0025« ist kein gültiger Wert für das Feld Geboren.")))
      << dialogs.texts()[0].toStdString();
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Geburtstag")), before);

  // A whole-number field refuses a fraction instead of dropping the comma.
  c.birthEdit()->selectAll();
  QTest::keyClicks(c.birthEdit(), QStringLiteral("29.2.2024"));
  dialogs.clear();
  c.koernoteEdit()->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_EQ(c.birthEdit()->text(), QStringLiteral("29.02.2024"));  // shown as stored
  QTest::keyClicks(c.koernoteEdit(), QStringLiteral("95,5"));
  EXPECT_EQ(c.koernoteEdit()->text(), QStringLiteral("95,5"));
  EXPECT_FALSE(c.finishFieldEntry());
  EXPECT_EQ(dialogs.texts(), QStringList{engine::fractionMessage(QStringLiteral("95,5"), QStringLiteral("Körnote"))});
  c.koernoteEdit()->selectAll();
  QTest::keyClicks(c.koernoteEdit(), QStringLiteral("96"));
  c.SpeichernClick();
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Körnote")).toLongLong(), 96);
  EXPECT_EQ(stock.stored(QStringLiteral("Hasen.db"), young, QStringLiteral("Geburtstag")).toDate(), QDate(2024, 2, 29));
}

TEST_F(AnimalCardTest, NavigatorMovesRecordsAndTheMark) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  c.controller().move(CardController::Move::First);
  const qint64 first = hasen().field(QStringLiteral("Nummer")).asInteger();
  c.controller().setMark();
  c.controller().move(CardController::Move::Last);
  EXPECT_NE(hasen().field(QStringLiteral("Nummer")).asInteger(), first);
  ASSERT_TRUE(c.controller().gotoMark());
  EXPECT_EQ(hasen().field(QStringLiteral("Nummer")).asInteger(), first);
  EXPECT_EQ(c.rightTattoo()->text(), hasen().field(QStringLiteral("TatoRechts")).asString());
}

TEST_F(AnimalCardTest, ABreedAddedMeanwhileIsOfferedAtTheNextRefresh) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  const int before = c.breedBox()->count();
  stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Zwergwidder")}});
  show(young);
  EXPECT_EQ(c.breedBox()->count(), before + 1);
  EXPECT_GE(c.breedBox()->findText(QStringLiteral("Zwergwidder")), 0);
  EXPECT_EQ(c.breedBox()->currentText(), QStringLiteral("Widder"));
}

TEST_F(AnimalCardTest, CompactArrangementBelow550Pixels) {
  ScriptedDialogs dialogs;
  TLapiroStamm& c = openCard();
  c.show();
  c.resize(700, 500);
  EXPECT_TRUE(c.isCompact());
  EXPECT_EQ(c.pictureBox()->parentWidget()->objectName(), QStringLiteral("BildKompakt"));
  c.resize(900, 700);
  EXPECT_FALSE(c.isCompact());
  EXPECT_EQ(c.pictureBox()->parentWidget()->objectName(), QStringLiteral("BildNormal"));
}

}  // namespace
}  // namespace lapiro::card

// The genotype on the animal card, headless: the card controller over a data module on a real
// data directory, with the rules the colour genetics hands the card.
#include <gtest/gtest.h>

#include <memory>

#include "card/card_controller.h"
#include "engine/cursor.h"
#include "genetics/ui/genetics_module.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/genotype_check.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

namespace lapiro::card {
namespace {

const QString kHasen = QStringLiteral("Hasen.db");
const QString kGenotyp = QStringLiteral("Genotyp");

class CardGenotypeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    genetics::ui::lendGenotypeRulesToCard();
    settings.System.Speichern = true;
    const qint64 breed =
        stock.add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), QStringLiteral("Alaska")}});
    const qint64 schwarz =
        stock.add(QStringLiteral("Farbe.db"), {{QStringLiteral("Rasse"), breed},
                                               {QStringLiteral("Name"), QStringLiteral("Schwarz")},
                                               {kGenotyp, QStringLiteral("A -/B -/C -/D -/g g")}});
    first = stock.animal(QStringLiteral("A1"), QStringLiteral("1.5.1"),
                         {{QStringLiteral("Geschlecht"), QStringLiteral("1")},
                          {QStringLiteral("Rasse"), breed},
                          {QStringLiteral("Farbe"), schwarz}});
    stock.animal(QStringLiteral("A2"), QStringLiteral("1.5.2"));
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->open();
    ASSERT_TRUE(module->gotoAnimal(first));
    controller = std::make_unique<CardController>(*module);
  }
  void TearDown() override {
    controller.reset();
    module.reset();
    setGenotypeRules({});
    store::setGenotypeNormaliser({});
  }
  QVariant stored() { return stock.stored(kHasen, first, kGenotyp); }
  qint64 current() { return module->Hasen().field(QStringLiteral("Nummer")).asInteger(); }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 first = 0;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<CardController> controller;
};

TEST_F(CardGenotypeTest, AReadableGenotypeIsStoredInItsWrittenForm) {
  test::ScriptedDialogs dialogs;
  ASSERT_TRUE(controller->setFieldText(kGenotyp, QStringLiteral("achi A / b B/C C/d D/g g")));
  ASSERT_TRUE(controller->save());
  EXPECT_EQ(stored().toString(), QStringLiteral("A achi/B b/C C/D d/g g"));
  EXPECT_FALSE(module->Hasen().isEditing());

  // "-" alone, like an empty field, is the unknown genotype.
  ASSERT_TRUE(controller->setFieldText(kGenotyp, QStringLiteral("-")));
  ASSERT_TRUE(controller->save());
  EXPECT_TRUE(stored().toString().isEmpty());
  EXPECT_TRUE(dialogs.texts().isEmpty());

  // The card writes the normal spelling itself, without the store's check behind it.
  store::setGenotypeNormaliser({});
  ASSERT_TRUE(controller->setFieldText(kGenotyp, QStringLiteral("b B / achi A")));
  ASSERT_TRUE(controller->save());
  EXPECT_EQ(stored().toString(), QStringLiteral("A achi/B b"));
}

TEST_F(CardGenotypeTest, AnUnreadableGenotypeIsRefusedWithTheParsersMessageAndNothingIsSaved) {
  test::ScriptedDialogs dialogs;
  ASSERT_TRUE(controller->setFieldText(kGenotyp, QStringLiteral("A achi/B b")));
  ASSERT_TRUE(controller->save());

  const std::pair<QString, QString> bad[] = {
      {QStringLiteral("A achi/Q b"), QStringLiteral("Unbekanntes Allel „Q“ in „Q b“.")},
      {QStringLiteral("A achi/C"),
       QStringLiteral("Der Locus C hat nur ein Allel („C“); es braucht zwei, „-“ für ein unbekanntes.")},
  };
  for (const auto& [text, message] : bad) {
    dialogs.clear();
    ASSERT_TRUE(controller->setFieldText(kGenotyp, text));
    // Other changes of the record wait with it.
    ASSERT_TRUE(controller->setFieldText(QStringLiteral("IDCode"), QStringLiteral("Rudi")));
    EXPECT_FALSE(controller->save());
    EXPECT_EQ(dialogs.texts(), QStringList{message});
    EXPECT_TRUE(module->Hasen().isEditing());
    EXPECT_EQ(stored().toString(), QStringLiteral("A achi/B b"));
    EXPECT_TRUE(stock.stored(kHasen, first, QStringLiteral("IDCode")).toString().isEmpty());
  }
  // The navigator saves before it moves: it stays on the animal too.
  dialogs.clear();
  EXPECT_FALSE(controller->move(CardController::Move::Next));
  EXPECT_EQ(current(), first);
  EXPECT_EQ(dialogs.texts().size(), 1);
  EXPECT_EQ(stored().toString(), QStringLiteral("A achi/B b"));

  // Corrected, it is saved with the rest of the record.
  ASSERT_TRUE(controller->setFieldText(kGenotyp, QStringLiteral("A achi/B b/c c")));
  EXPECT_TRUE(controller->save());
  EXPECT_EQ(stored().toString(), QStringLiteral("A achi/B b/c c"));
  EXPECT_EQ(stock.stored(kHasen, first, QStringLiteral("IDCode")).toString(), QStringLiteral("Rudi"));
}

TEST_F(CardGenotypeTest, SavesThatBypassTheCardAreCheckedByTheStoreToo) {
  test::ScriptedDialogs dialogs;
  // A post from the list or a closing module: refused with the parser's message, nothing stored.
  engine::Cursor& hasen = module->Hasen();
  hasen.edit();
  hasen.field(kGenotyp).setString(QStringLiteral("A achi/Q b"));
  EXPECT_THROW(hasen.post(), engine::Abort);
  EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Unbekanntes Allel „Q“ in „Q b“.")});
  EXPECT_TRUE(stored().toString().isEmpty());

  // A readable one goes in spelled as the card spells it.
  dialogs.clear();
  hasen.field(kGenotyp).setString(QStringLiteral("b B / achi A"));
  hasen.post();
  EXPECT_EQ(stored().toString(), QStringLiteral("A achi/B b"));
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(CardGenotypeTest, TheHintSetsTheGenotypeAgainstTheColour) {
  test::ScriptedDialogs dialogs;
  // Nothing recorded: the least the colour says.
  EXPECT_EQ(controller->genotypeHint(), QStringLiteral("Farbe „Schwarz“: mindestens A -/B -/C -/D -/g g"));
  // A Havanna genotype on a black animal, while it is being typed.
  ASSERT_TRUE(controller->setFieldText(kGenotyp, QStringLiteral("A A/B B/c c/D D/g g")));
  EXPECT_EQ(controller->genotypeHint(),
            QStringLiteral("Genotyp ergibt: Havanna – Widerspruch zur Farbe „Schwarz“ (verlangt C -)"));
  // An animal without colour and genotype: nothing to say.
  controller->undo();
  ASSERT_TRUE(controller->move(CardController::Move::Next));
  EXPECT_TRUE(controller->genotypeHint().isEmpty());
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

}  // namespace
}  // namespace lapiro::card

// The card's tab "Ausstellung" as a user types into it: points with a decimal comma, a point
// explained, letters refused, the editor switch and the code editor's key filter, the buttons and the date check.
#include "shows/ui/show_tab.h"

#include "engine/cursor.h"
#include "no_card.h"
#include "shell/system_info.h"
#include "shows/show_rules.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace lapiro::shows {
namespace {

using lapiro::test::ScriptedDialogs;
using lapiro::test::StockDirectory;

class ShowTabTest : public ::testing::Test {
 protected:
  ShowTabTest() : stock({11, 15, 29, 137}) {
    for (const char16_t* t : {u"Kreisschau", u"Jungtierbewertung", u"Eigene Bewertung"})
      stock.add(QStringLiteral("Ausstellungstitel.db"), {{QStringLiteral("Bezeichnung"), QString::fromUtf16(t)}});
    animal = stock.animal(QStringLiteral("A1"), QStringLiteral("1.5.1"));
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    attachShowRules(*module);
    module->setCard(&card);
    module->setToday(QDate(2006, 6, 15));
    module->open();
    module->gotoAnimal(animal);
    tab = std::make_unique<ui::TabAusstellung>(*module, nullptr);
    tab->resize(900, 600);
    tab->show();
    QApplication::setActiveWindow(tab.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(tab.get()));
  }
  ~ShowTabTest() override {
    tab.reset();
    module.reset();
  }

  // Types `text` into `edit` and leaves it.
  void type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    emit edit->editingFinished();
  }
  engine::Cursor& shows() { return module->at(QStringLiteral("Ausstellung")); }

  StockDirectory stock;
  shell::tsysteminfo settings;
  test::NoCard card;
  qint64 animal = 0;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<ui::TabAusstellung> tab;
};

TEST_F(ShowTabTest, PointsTypedWithCommaOrPointAndLettersRefused) {
  ScriptedDialogs dialogs;
  EXPECT_FALSE(tab->saveButton()->isEnabled());
  EXPECT_FALSE(tab->positionEdit(0)->isEnabled());  // no row yet
  tab->NeuClick();
  EXPECT_EQ(tab->dateEdit()->text(), QStringLiteral("15.06.2006"));
  EXPECT_TRUE(tab->saveButton()->isEnabled());
  EXPECT_FALSE(tab->newButton()->isEnabled());
  tab->titleBox()->setEditText(QStringLiteral("Kreisschau"));
  type(tab->positionEdit(0), QStringLiteral("9,5"));
  type(tab->positionEdit(1), QStringLiteral("19,5"));
  type(tab->positionEdit(2), QStringLiteral("1x4"));  // the letter never arrives
  EXPECT_EQ(tab->positionEdit(2)->text(), QStringLiteral("14"));
  EXPECT_EQ(tab->pointsEdit()->text(), QStringLiteral("43"));
  EXPECT_EQ(tab->gradeBox()->text(), QStringLiteral("nicht befriedigend"));
  EXPECT_EQ(tab->missingBox()->text(), QStringLiteral("0,5/1/40"));
  tab->SpeichernClick();
  EXPECT_EQ(shows().state(), engine::DataSetState::Browse);
  EXPECT_DOUBLE_EQ(shows().field(QStringLiteral("Koerper2")).asFloat(), 19.5);
  EXPECT_EQ(shows().field(QStringLiteral("Titel")).asString(), QStringLiteral("Kreisschau"));
  EXPECT_FALSE(tab->saveButton()->isEnabled());
  EXPECT_TRUE(tab->newButton()->isEnabled());
  EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ShowTabTest, APointInPointsIsExplainedAndMissingPointsShowNoNoise) {
  ScriptedDialogs dialogs;
  tab->NeuClick();
  type(tab->positionEdit(1), QStringLiteral("19.5"));
  ASSERT_EQ(dialogs.texts().size(), 1);
  EXPECT_EQ(dialogs.texts()[0], QStringLiteral("Bitte Komma als Dezimalzeichen verwenden: 19,5"));
  EXPECT_TRUE(shows().field(QStringLiteral("Koerper2")).isNull());
  type(tab->positionEdit(1), QStringLiteral("19,2"));
  type(tab->positionEdit(0), QStringLiteral("9,5"));
  EXPECT_EQ(tab->missingBox()->text(), QStringLiteral("0,8/15/40"));
}

TEST_F(ShowTabTest, YoungAnimalTitleSwitchesEditorsAndFiltersKeys) {
  ScriptedDialogs dialogs;
  tab->NeuClick();
  EXPECT_TRUE(tab->pointsEdit()->isVisible());
  EXPECT_FALSE(tab->codeEdit()->isVisible());
  tab->titleBox()->setFocus();
  tab->titleBox()->setEditText(QStringLiteral("Jungtierbewertung"));
  tab->positionEdit(0)->setFocus();  // leaving the title stores it and switches the editors
  EXPECT_EQ(shows().field(QStringLiteral("Titel")).asString(), QStringLiteral("Jungtierbewertung"));
  EXPECT_FALSE(tab->pointsEdit()->isVisible());
  ASSERT_TRUE(tab->codeEdit()->isVisible());
  tab->codeEdit()->setFocus();
  QTest::keyClicks(tab->codeEdit(), QStringLiteral("8x./5"));
  EXPECT_EQ(tab->codeEdit()->text(), QStringLiteral("8/5"));
  emit tab->codeEdit()->editingFinished();
  EXPECT_EQ(tab->gradeBox()->text(), QStringLiteral("sehr gut"));
  tab->SpeichernClick();
  EXPECT_EQ(shows().field(QStringLiteral("BewertJungtier")).asString(), QStringLiteral("8/5"));
  EXPECT_TRUE(shows().field(QStringLiteral("EigeneBewertung")).isNull());
}

TEST_F(ShowTabTest, DateIsRequiredAndMustLieBetween1900And2100) {
  ScriptedDialogs dialogs;
  tab->NeuClick();
  type(tab->dateEdit(), QStringLiteral("3.4.2150"));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.shown()[0].text.contains(QStringLiteral("kein gültiger Wert")));
  EXPECT_EQ(shows().field(QStringLiteral("Datum")).asDate(), QDate(2006, 6, 15));
  dialogs.clear();
  type(tab->dateEdit(), QString());
  tab->SpeichernClick();
  EXPECT_EQ(dialogs.texts(), QStringList{StockDirectory::message(137)});
  EXPECT_TRUE(shows().isEditing());
  type(tab->dateEdit(), QStringLiteral("2.5.06"));
  tab->SpeichernClick();
  EXPECT_EQ(shows().field(QStringLiteral("Datum")).asDate(), QDate(2006, 5, 2));
  EXPECT_FALSE(shows().isEditing());
  EXPECT_EQ(tab->titleBox()->lineEdit()->maxLength(), 40);
}

}  // namespace
}  // namespace lapiro::shows

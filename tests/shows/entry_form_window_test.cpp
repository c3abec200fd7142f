// The entry form window: animals from the search, typed tattoos with messages 109 and 110,
// prices and fees written through to its tables, save and load through the file dialogs.
#include "shows/ui/entry_form_window.h"

#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>

namespace lapiro::shows {
namespace {

using lapiro::test::ScriptedDialogs;
using lapiro::test::StockDirectory;

class EntryWindowTest : public ::testing::Test {
 protected:
  EntryWindowTest() : stock({11, 109, 110, 132}) {
    buck = stock.animal(QStringLiteral("R1"), QStringLiteral("1.6.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
    doe = stock.animal(QStringLiteral("R2"), QStringLiteral("1.6.2"));
    stock.animal(QStringLiteral("R3"), QStringLiteral("1.6.3"), {{QStringLiteral("Geschlecht"), QStringLiteral(" ")}});  // no sex recorded
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->open();
    ui::EntryFormServices services;
    services.searchAnimal = [this]() -> std::optional<qint64> { return searchAnswer; };
    services.saveFileName = [this](const QString& suggested) -> std::optional<QString> {
      suggestions << suggested;
      return saveAnswer;
    };
    services.openFileName = [this](const QString&) -> std::optional<QString> { return loadAnswer; };
    window = std::make_unique<ui::TFormAusstellungsanmeldung>(*module, 0, QStringLiteral("K 1"), EntryOwnData{},
                                                              services);
  }
  ~EntryWindowTest() override {
    window.reset();
    module.reset();
  }

  StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 buck = 0, doe = 0;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<ui::TFormAusstellungsanmeldung> window;
  std::optional<qint64> searchAnswer;
  std::optional<QString> saveAnswer, loadAnswer;
  QStringList suggestions;
};

TEST_F(EntryWindowTest, SearchedAnimalsFillLinesAndFeesFollowTheCount) {
  ScriptedDialogs dialogs;
  window->feeEdit(QStringLiteral("UnkostenTier"))->setText(QStringLiteral("2,50"));
  emit window->feeEdit(QStringLiteral("UnkostenTier"))->editingFinished();
  searchAnswer = buck;
  window->TierladenClick();
  searchAnswer = doe;
  window->TierladenClick();
  EXPECT_EQ(window->rightTattoo(0)->text(), QStringLiteral("R1"));
  EXPECT_TRUE(window->maleBox(0)->isChecked());
  EXPECT_EQ(window->rightTattoo(1)->text(), QStringLiteral("R2"));
  EXPECT_FALSE(window->maleBox(1)->isChecked());
  EXPECT_EQ(window->totalLabel()->text(), QStringLiteral("5,00"));
  // Written through to the tables.
  EntryFormTables tables(stock.engine);
  const EntryForm stored = tables.read();
  EXPECT_EQ(stored.lines[1].taetoLinks, QStringLiteral("1.6.2"));
  EXPECT_EQ(stored.header.unkosten.toString(), QStringLiteral("5,00"));
  // Twelve lines taken: the next animal is ignored.
  for (int i = 2; i < kEntryLines; ++i) EXPECT_TRUE(window->addAnimal(buck));
  EXPECT_FALSE(window->addAnimal(doe));
  EXPECT_EQ(window->form().animalCount(), kEntryLines);
  EXPECT_TRUE(dialogs.shown().empty());
}

// A left tattoo is shown from its start and whole: 10.26.1, never the end "26.1".
TEST_F(EntryWindowTest, TheLeftTattooColumnShowsTheWholeTattoo) {
  ScriptedDialogs dialogs;
  const qint64 n = stock.animal(QStringLiteral("H 512"), QStringLiteral("10.26.1000"));
  window->resize(800, 600);
  window->show();
  QApplication::processEvents();
  ASSERT_TRUE(window->addAnimal(n));
  QApplication::processEvents();
  QLineEdit* links = window->leftTattoo(0);
  EXPECT_EQ(links->text(), QStringLiteral("10.26.1000"));
  EXPECT_EQ(links->cursorPosition(), 0);
  // The box has room for the whole text inside its frame.
  EXPECT_GE(links->width(), links->fontMetrics().horizontalAdvance(links->text()) + 8);
  EXPECT_GE(window->rightTattoo(0)->width(), window->rightTattoo(0)->fontMetrics().horizontalAdvance(QStringLiteral("H 512")) + 8);
}

TEST_F(EntryWindowTest, TypedTattoosAreLookedUp) {
  ScriptedDialogs dialogs;
  window->rightTattoo(0)->setText(QStringLiteral("X9"));
  window->leftTattoo(0)->setText(QStringLiteral("9.9.9"));
  window->tattooLeft(0);
  window->rightTattoo(1)->setText(QStringLiteral("R3"));
  window->leftTattoo(1)->setText(QStringLiteral("1.6.3"));
  window->tattooLeft(1);
  EXPECT_EQ(dialogs.texts(), (QStringList{StockDirectory::message(109), StockDirectory::message(110)}));
  window->rightTattoo(2)->setText(QStringLiteral("R1"));
  window->leftTattoo(2)->setText(QStringLiteral("1.6.1"));
  emit window->leftTattoo(2)->textEdited(QStringLiteral("1.6.1"));
  window->tattooLeft(2);
  EXPECT_TRUE(window->maleBox(2)->isChecked());
  EXPECT_EQ(window->form().lines[2].geschlecht, QStringLiteral("M"));
}

TEST_F(EntryWindowTest, SaveSuggestsTheNameAndLoadRestoresTheForm) {
  ScriptedDialogs dialogs;
  searchAnswer = buck;
  window->TierladenClick();
  window->priceEdit(0)->setText(QStringLiteral("12,5"));
  emit window->priceEdit(0)->editingFinished();
  window->kindBox()->setEditText(QStringLiteral("Gemeinschaftsschau auf örtlicher Basis"));
  window->dateEdit()->setText(QStringLiteral("8.5.2004"));
  const QString target = stock.dir.file(QStringLiteral("ablage/Schau"));
  QDir().mkpath(stock.dir.file(QStringLiteral("ablage")));
  saveAnswer = target;
  window->SpeichernClick();
  ASSERT_EQ(suggestions.size(), 1);
  EXPECT_TRUE(suggestions[0].endsWith(QStringLiteral("/2004_5_8 Gemeinschaftsschau örtlich")));
  EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral(".mel")));

  window->rightTattoo(0)->clear();
  emit window->rightTattoo(0)->textEdited(QString());
  loadAnswer = target + QStringLiteral(".mel");
  window->LadenClick();
  EXPECT_EQ(window->rightTattoo(0)->text(), QStringLiteral("R1"));
  EXPECT_EQ(window->priceEdit(0)->text(), QStringLiteral("12,50"));
  EXPECT_EQ(window->kindBox()->currentText(), QStringLiteral("Gemeinschaftsschau auf örtlicher Basis"));
  EXPECT_EQ(window->dateEdit()->text(), QStringLiteral("08.05.2004"));
  EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace lapiro::shows

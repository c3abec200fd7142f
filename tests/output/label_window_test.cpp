// The label window: rows from the search, dropped from the animal list or typed, message 109
// for unknown tattoos, the work table written through, and printing from a start position
// without adding rows to the list.
#include "output/ui/label_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTableWidget>

#include "shell/animal_list.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

namespace lapiro::output::ui {
namespace {

LabelRow rowWithTattoo(const QString& tattoo) {
  LabelRow row;
  row.taetoRechts = tattoo;
  return row;
}

TEST(LabelList, WorkTableIsCreatedAfreshAndFollowsEveryChangeInOrder) {
  test::StockDirectory stock;
  {
    TAufkleberListe old(stock.engine);
    old.append(rowWithTattoo(QStringLiteral("ALT")));
  }
  TAufkleberListe list(stock.engine);  // the rows of an earlier opening are gone
  EXPECT_TRUE(list.readTable().empty());
  int index = 0;
  for (const char16_t* t : {u"R1", u"R2", u"R3"}) EXPECT_EQ(list.append(rowWithTattoo(QString::fromUtf16(t))), index++);
  LabelRow second = list.rows()[1];
  second.kaefignummer = QStringLiteral("K7");
  second.deckdatum = QDate(2026, 2, 14);
  second.rasse = QStringLiteral("Deutsche Kleinwidder wildfarben / DKlw");  // 37 characters, stored whole
  list.set(1, second);
  list.remove(0);
  list.remove(7);
  list.remove(2);  // one past the last row
  list.remove(-1);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.rows()[0], second);
  EXPECT_EQ(list.readTable(), list.rows());
}

class LabelWindowTest : public ::testing::Test {
 protected:
  LabelWindowTest() : stock({11, 109}) {
    const qint64 rasse =
        stock.add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")},
                                            {QStringLiteral("Code"), QStringLiteral("DR")}});
    vater = stock.animal(QStringLiteral("A1"), QStringLiteral("1.4.1"),
                         {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
    doe = stock.animal(QStringLiteral("B12"), QStringLiteral("3.5.10"),
                       {{QStringLiteral("Vater"), vater},
                        {QStringLiteral("Rasse"), rasse},
                        {QStringLiteral("Stallnummer"), 17},
                        {QStringLiteral("IDCode"), QStringLiteral("Flocke")}});
    stock.add(QStringLiteral("Wurfbuch"),
              {{QStringLiteral("Katze"), doe}, {QStringLiteral("Decktermin"), QDate(2026, 1, 2)}});
    stock.add(QStringLiteral("Wurfbuch"),
              {{QStringLiteral("Katze"), doe}, {QStringLiteral("Decktermin"), QDate(2026, 2, 14)}});
    LabelWindowServices services;
    services.searchAnimal = [this]() -> std::optional<qint64> { return searchAnswer; };
    services.showPages = [this](QWidget*, const reports::PageModel& model, bool preview) {
      printed.push_back(model);
      previews.push_back(preview);
    };
    window = std::make_unique<TFormTransportaufkleber>(stock.engine, services);
  }

  test::StockDirectory stock;
  qint64 vater = 0, doe = 0;
  std::optional<qint64> searchAnswer;
  std::vector<reports::PageModel> printed;
  std::vector<bool> previews;
  std::unique_ptr<TFormTransportaufkleber> window;
};

TEST_F(LabelWindowTest, SearchedAndDroppedAnimalsFillRowsThatAreWrittenThrough) {
  test::ScriptedDialogs dialogs;
  searchAnswer = doe;
  window->TierSuchenClick();
  ASSERT_EQ(window->list().count(), 1);
  const LabelRow& row = window->list().rows()[0];
  EXPECT_EQ(row.taetoRechts, QStringLiteral("B12"));
  EXPECT_EQ(row.taetoLinks, QStringLiteral("3.5.10"));
  EXPECT_EQ(row.rasse, QStringLiteral("Deutsche Riesen / DR"));
  EXPECT_EQ(row.stallnummer, QStringLiteral("17"));
  EXPECT_EQ(row.geschlecht, QStringLiteral("Häsin 0.1"));
  EXPECT_EQ(row.vater, QStringLiteral("A1  1.4.1"));
  EXPECT_TRUE(row.mutter.isEmpty());
  EXPECT_EQ(row.deckdatum, QDate(2026, 2, 14));  // the newest litter record
  EXPECT_EQ(row.name, QStringLiteral("Flocke"));
  EXPECT_EQ(window->grid()->currentColumn(), 4);  // "Ausst.-Käfignr."

  EXPECT_TRUE(window->dropAnimal(QStringLiteral("A1"), QStringLiteral("1.4.1")));
  EXPECT_FALSE(window->dropAnimal(QStringLiteral("A1"), QStringLiteral("9.9.9")));  // no such animal: no row
  EXPECT_FALSE(window->dropAnimal(QString(), QStringLiteral("1.4.1")));
  searchAnswer.reset();
  window->TierSuchenClick();
  ASSERT_EQ(window->list().count(), 2);
  EXPECT_EQ(window->list().rows()[1].geschlecht, QStringLiteral("Rammler 1.0"));
  EXPECT_EQ(window->list().readTable(), window->list().rows());
  EXPECT_TRUE(dialogs.texts().isEmpty());

  // A drop of the main list's drag data on the grid.
  QMimeData mime;
  mime.setData(QString::fromLatin1(shell::kAnimalMimeType),
               shell::encodeDraggedAnimal({doe, QStringLiteral("B12"), QStringLiteral("3.5.10")}));
  window->show();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->grid()->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());  // every drag is accepted
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->grid()->viewport(), &drop);
  EXPECT_EQ(window->list().count(), 3);
}

TEST_F(LabelWindowTest, TypedTattoosAreLookedUpOnlyWhileTheHutchNumberIsEmpty) {
  test::ScriptedDialogs dialogs;
  window->NeuesTierClick();
  window->NeuesTierClick();
  QTableWidget* grid = window->grid();
  ASSERT_EQ(grid->rowCount(), 2);
  grid->item(0, 0)->setText(QStringLiteral("B12"));
  grid->item(0, 1)->setText(QStringLiteral("3.5.10"));
  EXPECT_EQ(window->list().rows()[0].stallnummer, QStringLiteral("17"));
  EXPECT_EQ(window->list().rows()[0].vater, QStringLiteral("A1  1.4.1"));

  grid->item(1, 0)->setText(QStringLiteral("X1"));
  grid->item(1, 1)->setText(QStringLiteral("1.1.1"));
  EXPECT_EQ(dialogs.texts(), QStringList{test::StockDirectory::message(109)});
  EXPECT_EQ(window->list().rows()[1].taetoRechts, QStringLiteral("X1"));  // the row keeps what was typed

  dialogs.clear();
  grid->item(1, 2)->setText(QStringLiteral("5"));
  grid->item(1, 1)->setText(QStringLiteral("3.5.10"));
  grid->item(1, 0)->setText(QStringLiteral("B12"));
  EXPECT_TRUE(dialogs.texts().isEmpty());  // a hutch number is there: no lookup
  EXPECT_EQ(window->list().rows()[1].stallnummer, QStringLiteral("5"));
  EXPECT_TRUE(window->list().rows()[1].vater.isEmpty());
}

TEST_F(LabelWindowTest, PrintingStartsAtTheChosenPositionAndKeepsTheListAsItWas) {
  test::ScriptedDialogs dialogs;
  window->DruckvorschauClick();  // nothing to print
  EXPECT_EQ(dialogs.texts().size(), 1);
  EXPECT_TRUE(printed.empty());

  for (int i = 0; i < 5; ++i) window->dropAnimal(QStringLiteral("B12"), QStringLiteral("3.5.10"));
  dialogs.clear();
  for (const char16_t* bad : {u"0", u"25", u""}) {
    window->startEdit()->setText(QString::fromUtf16(bad));
    window->DruckenClick();
  }
  EXPECT_EQ(dialogs.texts().size(), 3);
  EXPECT_TRUE(printed.empty());

  window->startEdit()->setText(QStringLiteral("3"));
  if (const QString dir = qEnvironmentVariable("LAPIRO_SCREENSHOT_DIR"); !dir.isEmpty()) {
    window->show();
    window->grab().save(dir + QStringLiteral("/transportaufkleber.png"));
  }
  window->DruckvorschauClick();
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_TRUE(previews[0]);
  const auto& bands = printed[0].pages[0].bands;
  ASSERT_EQ(bands.size(), 5u);
  EXPECT_EQ(bands.front().rect.topLeft(), LabelGrid::cell(2));
  EXPECT_EQ(bands.back().rect.topLeft(), LabelGrid::cell(6));
  EXPECT_EQ(window->list().count(), 5);
  EXPECT_EQ(window->list().readTable().size(), 5u);

  // Stable cards ignore the start position.
  window->cardsButton()->setChecked(true);
  EXPECT_TRUE(window->grid()->isColumnHidden(4));
  EXPECT_FALSE(window->grid()->isColumnHidden(5));
  window->startEdit()->setText(QStringLiteral("0"));
  window->DruckenClick();
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_FALSE(previews[1]);
  EXPECT_EQ(printed[1].pageCount(), 2);
  EXPECT_EQ(printed[1].pages[0].bands.size(), 4u);
}

}  // namespace
}  // namespace lapiro::output::ui

// The litter book tab and the litter report window offscreen: the doe's view with its rows
// and buttons, the buck's view, and the window's total and pre-check. With LAPIRO_SHOTS set to
// a directory, the windows are also saved there as PNG files for a look.
#include "breeding/litter_book.h"
#include "breeding/litter_report.h"
#include "breeding/ui/litter_page.h"
#include "breeding/ui/litter_report_window.h"

#include "engine/cursor.h"
#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QLineSeries>

namespace lapiro::breeding::ui {
namespace {

using lapiro::test::ScriptedDialogs;
using lapiro::test::StockDirectory;

QString s(const char16_t* t) { return QString::fromUtf16(t); }

void shoot(QWidget& w, const QString& name) {
  const QByteArray dir = qgetenv("LAPIRO_SHOTS");
  if (dir.isEmpty()) return;
  w.grab().save(QString::fromLocal8Bit(dir) + u'/' + name + QStringLiteral(".png"));
}

class LitterWindowsTest : public ::testing::Test {
 protected:
  LitterWindowsTest() : stock({11, 15, 28, 29, 108, 120}) {
    const qint64 rasse = stock.add(s(u"Rasse"), {{s(u"Name"), s(u"Deutsche Riesen")}});
    const qint64 farbe = stock.add(s(u"Farbe"), {{s(u"Rasse"), rasse}, {s(u"Name"), s(u"grau")}});
    buck = stock.animal(s(u"R1"), s(u"3.3.1"), {{s(u"Geschlecht"), s(u"1")}, {s(u"Rasse"), rasse}, {s(u"Farbe"), farbe}});
    doe = stock.animal(s(u"H2"), s(u"4.3.2"), {{s(u"Geschlecht"), s(u"2")}, {s(u"Rasse"), rasse}, {s(u"Farbe"), farbe}});
    const QDate born(2024, 3, 26);
    const qint64 l = stock.add(s(u"Wurfbuch.DB"), {{s(u"Katze"), doe}, {s(u"Kater"), buck}, {s(u"Decktermin"), QDate(2024, 1, 20)},
                                                   {s(u"Wurftag"), born}, {s(u"WurfStMaennlich"), 2}, {s(u"WurfStWeiblich"), 2},
                                                   {s(u"Bemerkung"), s(u"ruhige Häsin")}});
    for (auto [d, g] : {std::pair{2, 500.0}, {9, 650.0}, {16, 900.0}})
      stock.add(s(u"Jungtiere"), {{s(u"Wurf"), l}, {s(u"Datum"), QDate(2024, 4, d)}, {s(u"Gewicht"), g}});
    stock.animal(s(u"K17"), s(u"3.24.1"), {{s(u"Geschlecht"), s(u"1")}, {s(u"Mutter"), doe}, {s(u"Vater"), buck},
                                           {s(u"Geburtstag"), born}, {s(u"Rasse"), rasse}, {s(u"Farbe"), farbe}});
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    rules = attachLitterRules(*module, settings);
    module->setToday(QDate(2024, 6, 1));
    module->open();
    module->gotoAnimal(doe);
  }

  StockDirectory stock;
  shell::tsysteminfo settings;
  std::unique_ptr<store::TDatenStamm> module;
  std::shared_ptr<TWurfbuch> rules;
  qint64 buck = 0, doe = 0;
};

TEST_F(LitterWindowsTest, DoeViewShowsTheLitterRowsAndWeights) {
  ScriptedDialogs dialogs;
  TWurfbuchSeite page(*module, settings, {});
  page.resize(760, 560);
  page.show();
  QApplication::processEvents();
  EXPECT_EQ(page.matingEdit()->text(), s(u"20.01.2024"));
  EXPECT_EQ(page.expectedEdit()->text(), s(u"20.02.2024"));  // a new installation's 31 days of gestation
  EXPECT_EQ(page.buckEdit()->text(), s(u"R1  3.3.1"));
  ASSERT_EQ(page.youngRows().rowCount(), 4);
  EXPECT_EQ(page.rowStatus(0)->text(), s(u"vorh."));
  EXPECT_EQ(page.rowStatus(1)->text(), s(u"neu"));
  EXPECT_FALSE(page.youngSaveButton()->isEnabled());
  EXPECT_TRUE(page.youngDeleteButton()->isEnabled());
  EXPECT_FALSE(page.undoButton()->isEnabled());
  EXPECT_TRUE(page.deleteButton()->isEnabled());
  EXPECT_EQ(page.weightGrid()->model()->index(2, 3).data().toString(), s(u"200,00"));
  // The litter's three weighings are drawn as the growth curve beside the grid.
  ASSERT_NE(page.weightChart()->chart(), nullptr);
  int points = 0;
  for (QAbstractSeries* series : page.weightChart()->chart()->series())
    if (auto* line = qobject_cast<QLineSeries*>(series)) points += static_cast<int>(line->count());
  EXPECT_EQ(points, 3);
  shoot(page, s(u"wurfbuch_haesin"));

  // Typing a tattoo marks the row and enables saving; the litter's undo follows.
  page.rowLeftWhole(1)->setText(s(u"3.24.2"));
  emit page.rowLeftWhole(1)->textEdited(s(u"3.24.2"));
  EXPECT_EQ(page.rowStatus(1)->text(), s(u"geänd."));
  EXPECT_TRUE(page.youngSaveButton()->isEnabled());

  // "H&inzufügen" removes the rows and disables "L&öschen" until the new litter is saved.
  page.HinzufuegenClick();
  EXPECT_EQ(page.youngRows().rowCount(), 0);
  EXPECT_FALSE(page.deleteButton()->isEnabled());
  EXPECT_TRUE(page.undoButton()->isEnabled());
  page.RueckgaengigClick();
  EXPECT_EQ(page.youngRows().rowCount(), 4);
  EXPECT_TRUE(page.deleteButton()->isEnabled());

  page.lowerTabs()->setCurrentIndex(1);
  QApplication::processEvents();
  shoot(page, s(u"wurfbuch_gewichte"));
}

// Qt's warnings while a test runs, to catch a grid that drops the editor it is committing.
QStringList& qtWarnings() {
  static QStringList warnings;
  return warnings;
}
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtWarningMsg) qtWarnings() << text;
}

// The first weighing is entered in the grid as on the card: typed, Enter saves it, the gain and
// the curve follow at once, a new row is offered, and a weight shows as it was stored.
TEST_F(LitterWindowsTest, OnANarrowCardThePageScrollsAndKeepsItsCaptionsWhole) {
  ScriptedDialogs dialogs;
  // The room an 800x600 screen leaves the card's tab: the page scrolls inside it.
  QScrollArea area;
  area.setWidgetResizable(true);
  auto* page = new TWurfbuchSeite(*module, settings, {});
  area.setWidget(page);
  area.resize(450, 440);
  area.show();
  QApplication::processEvents();
  auto* position = page->findChild<QLabel*>(QStringLiteral("LabelWurfPosition"));
  ASSERT_NE(position, nullptr);
  EXPECT_GE(position->width(), position->fontMetrics().horizontalAdvance(position->text()));
  QRect previous;
  for (const char* name : {"BitBtnWurfbuchHinzufuegen", "BitBtnWurfbuchLoeschen", "BitBtnWurfbuchRueckgaengig"}) {
    auto* button = page->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    EXPECT_GE(button->width(), button->sizeHint().width()) << name;
    const QRect at(button->mapTo(page, QPoint(0, 0)), button->size());
    EXPECT_FALSE(at.intersects(QRect(position->mapTo(page, QPoint(0, 0)), position->size()))) << name;
    EXPECT_FALSE(previous.intersects(at)) << name;
    previous = at;
  }
  EXPECT_GT(page->width(), area.viewport()->width());  // scrolls sideways instead of squeezing
}

TEST_F(LitterWindowsTest, AWeighingTypedIntoTheGridIsSavedByEnterAndShownAsStored) {
  ScriptedDialogs dialogs;
  TWurfbuchSeite page(*module, settings, {});
  page.resize(760, 560);
  page.show();
  page.lowerTabs()->setCurrentIndex(1);
  QApplication::processEvents();
  QTableView* grid = page.weightGrid();
  QAbstractItemModel* model = grid->model();
  ASSERT_EQ(model->rowCount(), 4);  // three weighings and the row for the next one
  auto curvePoints = [&] {
    int points = 0;
    for (QAbstractSeries* series : page.weightChart()->chart()->series())
      if (auto* line = qobject_cast<QLineSeries*>(series)) points += static_cast<int>(line->count());
    return points;
  };
  EXPECT_EQ(curvePoints(), 3);

  qtWarnings().clear();
  const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
  const QModelIndex cell = model->index(3, 1);
  grid->setFocus();
  grid->setCurrentIndex(cell);
  grid->edit(cell);
  QApplication::processEvents();
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, nullptr);
  ASSERT_NE(editor, grid);
  QTest::keyClicks(editor, s(u"900,5"));
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  qInstallMessageHandler(previous);
  for (const QString& w : qtWarnings()) EXPECT_FALSE(w.contains(s(u"does not belong to this view"))) << w.toStdString();

  EXPECT_EQ(stock.rowCount(s(u"Jungtiere")), 4);
  ASSERT_EQ(model->rowCount(), 5);  // a new row is offered at once
  EXPECT_EQ(model->index(3, 0).data().toString(), s(u"01.06.2024"));
  EXPECT_EQ(model->index(3, 1).data().toString(), s(u"900,5"));
  EXPECT_FALSE(model->index(3, 2).data().toString().isEmpty());  // the gain follows at once
  EXPECT_TRUE(model->index(4, 1).data().toString().isEmpty());
  EXPECT_EQ(curvePoints(), 4);
  EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
}

// A refused date names the box as the page labels it.
TEST_F(LitterWindowsTest, AWrongMatingDateNamesTheBoxDeckdatum) {
  ScriptedDialogs dialogs;
  TWurfbuchSeite page(*module, settings, {});
  page.show();
  QApplication::processEvents();
  page.matingEdit()->setText(s(u"31.02.2024"));
  page.matingEdit()->setModified(true);
  emit page.matingEdit()->editingFinished();
  ASSERT_EQ(dialogs.texts().size(), 1);
  EXPECT_TRUE(dialogs.texts()[0].contains(s(u"Feld Deckdatum"))) << dialogs.texts()[0].toStdString();
  EXPECT_FALSE(dialogs.texts()[0].contains(s(u"Decktermin")));
  EXPECT_EQ(module->at(s(u"Wurfbuch")).field(s(u"Decktermin")).asDate(), QDate(2024, 1, 20));
}

TEST_F(LitterWindowsTest, FigureThatIsNoWholeNumberIsRefused) {
  ScriptedDialogs dialogs;
  TWurfbuchSeite page(*module, settings, {});
  page.show();
  QApplication::processEvents();
  page.figureEdit(2)->setText(s(u"-1"));
  page.figureEdit(2)->setModified(true);
  emit page.figureEdit(2)->editingFinished();
  ASSERT_FALSE(dialogs.texts().isEmpty());
  EXPECT_TRUE(dialogs.texts().last().contains(s(u"'-1' ist keine gültige Anzahl")));
  EXPECT_TRUE(module->at(s(u"Wurfbuch")).field(s(u"WurfStTot")).isNull());
}

TEST_F(LitterWindowsTest, BuckViewListsTheCoveredDoes) {
  ScriptedDialogs dialogs;
  module->gotoAnimal(buck);
  TWurfbuchSeite page(*module, settings, {});
  page.resize(760, 560);
  page.show();
  QApplication::processEvents();
  EXPECT_EQ(page.coveredDoesGrid()->model()->rowCount(), 1);
  shoot(page, s(u"wurfbuch_rammler"));
}

TEST_F(LitterWindowsTest, ReportWindowRecomputesTheTotalAndChecks) {
  ScriptedDialogs dialogs;
  const TWurfmeldungDaten d = fillWurfmeldung(*module, 3, QDate(2024, 6, 1));
  bool printed = false;
  TformWurfmeldung::Services services;
  services.print = [](QWidget*, const reports::Report&, bool preview) { return !preview; };
  services.printed = [&](const TWurfmeldungDaten& p) { printed = p.Lfnr == s(u"3"); };
  TformWurfmeldung window(d, services);
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(window.windowTitle(), s(u"Jungtiermeldung"));
  EXPECT_EQ(window.field(s(u"Jungtiere"))->text(), s(u"4"));
  QLineEdit* rammler = window.field(s(u"WRammler"));
  rammler->setText(s(u"3"));
  emit rammler->textEdited(s(u"3"));
  EXPECT_EQ(window.field(s(u"Jungtiere"))->text(), s(u"5"));
  rammler->setText(s(u"x"));
  emit rammler->textEdited(s(u"x"));
  EXPECT_EQ(window.field(s(u"Jungtiere"))->text(), s(u"5"));
  EXPECT_GT(window.checkList()->count(), 0);
  shoot(window, s(u"wurfmeldung_fenster"));
  if (!qgetenv("LAPIRO_SHOTS").isEmpty()) {
    const reports::MemoryDataSource one(std::vector<QVariantMap>{QVariantMap{}});
    reports::renderToPdf(reports::layoutReport(TReportWurfmeldung(window.contents()), one),
                         QString::fromLocal8Bit(qgetenv("LAPIRO_SHOTS")) + QStringLiteral("/wurfmeldung.pdf"));
  }
  window.DruckenClick();
  EXPECT_TRUE(printed);
}

// A look at the tab on an installed demo stock: LAPIRO_DEMO_DATA names its data directory and
// LAPIRO_DEMO_ANIMAL the animal to show.
TEST(LitterDemoLook, TabOnTheDemoStock) {
  const QString data = qEnvironmentVariable("LAPIRO_DEMO_DATA");
  if (data.isEmpty() || qgetenv("LAPIRO_SHOTS").isEmpty()) GTEST_SKIP() << "no demo stock named";
  ScriptedDialogs dialogs;
  engine::Engine engine;
  engine.setAlias(s(u"Hase"), data);
  store::MessageCatalogue messages(engine);
  messages.open();
  store::setMessageCatalogue(&messages);
  shell::tsysteminfo settings;
  store::TDatenStamm module(engine, settings);
  auto rules = attachLitterRules(module, settings);
  module.open();
  ASSERT_TRUE(module.gotoAnimal(qEnvironmentVariable("LAPIRO_DEMO_ANIMAL").toLongLong()));
  TWurfbuchSeite page(module, settings, {});
  page.resize(760, 560);
  page.show();
  QApplication::processEvents();
  shoot(page, s(u"demo_wurfbuch"));
  page.lowerTabs()->setCurrentIndex(1);
  QApplication::processEvents();
  shoot(page, s(u"demo_gewichte"));
  const TWurfmeldungDaten d = fillWurfmeldung(module, 1, QDate::currentDate());
  TformWurfmeldung window(d, {});
  window.show();
  QApplication::processEvents();
  shoot(window, s(u"demo_wurfmeldung"));
  const reports::MemoryDataSource one(std::vector<QVariantMap>{QVariantMap{}});
  reports::renderToPdf(reports::layoutReport(TReportWurfmeldung(window.contents()), one),
                       QString::fromLocal8Bit(qgetenv("LAPIRO_SHOTS")) + QStringLiteral("/demo_wurfmeldung.pdf"));
  store::setMessageCatalogue(nullptr);
}

}  // namespace
}  // namespace lapiro::breeding::ui

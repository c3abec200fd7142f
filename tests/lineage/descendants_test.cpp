// Descendants: the direct-offspring list with its columns by sex and its print, and the tree
// of all descendants loaded node by node (order, placeholders, loops, information text).
#include "lineage/descendants.h"

#include "engine/cursor.h"
#include "lineage/descendants_report.h"
#include "lineage/ui/descendants_windows.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace lapiro::lineage {
namespace {

class DescendantsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    breeder = stock.add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), QStringLiteral("Berg")},
                                                       {QStringLiteral("Vorname"), QStringLiteral("Anna")}});
    owner = stock.add(QStringLiteral("Adresse.db"), {{QStringLiteral("Name"), QStringLiteral("Kurz")}});
    buck = animal(QStringLiteral("R1"), QStringLiteral("1.4.1"), QStringLiteral("1"));
    doe = animal(QStringLiteral("H1"), QStringLiteral("2.4.2"), QStringLiteral("2"));
    // Twins born the same day come in tattoo order; the earlier litter first.
    twinB = animal(QStringLiteral("K2"), QStringLiteral("5.5.2"), QStringLiteral("2"), buck, doe, QDate(2005, 5, 1));
    twinA = animal(QStringLiteral("K1"), QStringLiteral("5.5.1"), QStringLiteral("1"), buck, doe, QDate(2005, 5, 1));
    older = animal(QStringLiteral("K9"), QStringLiteral("3.5.9"), QStringLiteral("2"), buck, doe, QDate(2005, 3, 1));
    grandchild = animal(QStringLiteral("E1"), QStringLiteral("1.6.1"), QStringLiteral("2"), twinA, 0, QDate(2006, 1, 1));
  }
  void TearDown() override {
    windows.clear();
    module.reset();
  }

  qint64 animal(const QString& r, const QString& l, const QString& sex, qint64 vater = 0, qint64 mutter = 0,
                const QDate& born = {}) {
    return stock.animal(r, l,
                        {{QStringLiteral("Geschlecht"), sex}, {QStringLiteral("Vater"), vater},
                         {QStringLiteral("Mutter"), mutter}, {QStringLiteral("Geburtstag"), born},
                         {QStringLiteral("Zuechter"), breeder}, {QStringLiteral("Besitzer"), owner}});
  }
  store::TDatenStamm& open() {
    settings.updateDerived();
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->open();
    return *module;
  }

  test::StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 breeder = 0, owner = 0, buck = 0, doe = 0, twinA = 0, twinB = 0, older = 0, grandchild = 0;
  std::unique_ptr<store::TDatenStamm> module;
  std::vector<std::unique_ptr<QWidget>> windows;
};

TEST_F(DescendantsTest, DirectOffspringOfADoeShowTheFatherColumnAndOfABuckTheMotherColumn) {
  test::ScriptedDialogs dialogs;
  store::TDatenStamm& dm = open();
  ASSERT_TRUE(dm.gotoAnimal(doe));
  std::vector<qint64> moved;
  ui::DescendantServices services;
  services.gotoAnimal = [&](qint64 n) { moved.push_back(n); };
  auto* ofDoe = new ui::TFormNachkommen(dm, services);
  windows.emplace_back(ofDoe);
  EXPECT_EQ(ofDoe->heading()->text(), QStringLiteral("Kaninchen: H1  2.4.2"));
  ASSERT_EQ(ofDoe->grid()->rowCount(), 3);
  EXPECT_FALSE(ofDoe->grid()->isColumnHidden(5));  // "Vater"
  EXPECT_TRUE(ofDoe->grid()->isColumnHidden(6));   // "Mutter"
  // IdxMutter order: left tattoo, then right.
  EXPECT_EQ(ofDoe->grid()->item(0, 1)->text(), QStringLiteral("3.5.9"));
  EXPECT_EQ(ofDoe->grid()->item(1, 2)->text(), QStringLiteral("Rammler 1.0"));
  EXPECT_EQ(ofDoe->grid()->item(0, 5)->text(), QStringLiteral("R1  1.4.1"));
  EXPECT_EQ(ofDoe->grid()->item(0, 7)->text(), QStringLiteral("Kurz"));
  EXPECT_EQ(ofDoe->grid()->item(0, 8)->text(), QStringLiteral("Berg, Anna"));

  ASSERT_TRUE(dm.gotoAnimal(buck));
  auto* ofBuck = new ui::TFormNachkommen(dm, services);
  windows.emplace_back(ofBuck);
  EXPECT_TRUE(ofBuck->grid()->isColumnHidden(5));
  EXPECT_FALSE(ofBuck->grid()->isColumnHidden(6));
  EXPECT_EQ(ofBuck->grid()->item(0, 6)->text(), QStringLiteral("H1  2.4.2"));
  if (const QString dir = qEnvironmentVariable("LAPIRO_SCREENSHOT_DIR"); !dir.isEmpty())
    ofBuck->grab().save(dir + QStringLiteral("/nachkommen.png"));

  ofBuck->show();
  ofBuck->DBGridNachkommenDblClick(1);
  EXPECT_EQ(moved, std::vector<qint64>{ofBuck->rows()[1].nummer});
  EXPECT_FALSE(ofBuck->isVisible());
  windows.back().release();  // closed windows delete themselves
  windows.pop_back();
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(DescendantsTest, PrintedListHeadsTheOtherParentsColumnBySex) {
  store::TDatenStamm& dm = open();
  const std::vector<OffspringRow> rows = readDirectOffspring(dm, buck, true);
  OffspringParent p{QStringLiteral("R1"), QStringLiteral("1.4.1"), QStringLiteral("Widder"), QString(), QDate(2004, 4, 1), true};
  const reports::PageModel m = reports::layoutReport(TReportNachkommenliste(p, reports::ReportFont{QStringLiteral("Arial"), 0}),
                                                     offspringReportData(rows, true), QDate(2025, 3, 1));
  const reports::Page& page = m.pages.front();
  EXPECT_TRUE(page.containsText(QStringLiteral("Nachkommen von : R1  1.4.1")));
  EXPECT_TRUE(page.containsText(QStringLiteral("Rasse: Widder")));
  EXPECT_TRUE(page.containsText(QStringLiteral("Geb.: 01.04.2004")));
  EXPECT_TRUE(page.texts().contains(QStringLiteral("Mutter")));
  EXPECT_FALSE(page.texts().contains(QStringLiteral("Vater")));
  EXPECT_TRUE(page.texts().contains(QStringLiteral("H1  2.4.2")));
  EXPECT_TRUE(page.containsText(QStringLiteral("printed by Lapiro Manager")));
  EXPECT_TRUE(page.containsText(QStringLiteral("Seite 1")));
  if (const QString dir = qEnvironmentVariable("LAPIRO_REPORT_PDF_DIR"); !dir.isEmpty())
    reports::renderToPdf(m, dir + QStringLiteral("/nachkommenliste.pdf"));
  p.buck = false;
  const reports::PageModel ofDoe = reports::layoutReport(TReportNachkommenliste(p, {}), offspringReportData(rows, false));
  EXPECT_TRUE(ofDoe.pages.front().texts().contains(QStringLiteral("Vater")));
}

TEST_F(DescendantsTest, TreeLoadsEachNodeOnceInBirthThenTattooOrder) {
  store::TDatenStamm& dm = open();
  TDescendantTree tree(stock.engine, dm.Hasen().tableName());
  ASSERT_TRUE(tree.open(buck));
  DescendantNode* root = tree.root();
  EXPECT_EQ(root->text, QStringLiteral("R1 1.4.1 {%1}").arg(buck));
  EXPECT_EQ(root->symbol, TreeSymbol::Buck);
  ASSERT_EQ(root->children.size(), 3u);
  EXPECT_EQ(root->children[0]->nummer, older);
  EXPECT_EQ(root->children[1]->nummer, twinA);  // K1 before K2 on the same day
  EXPECT_EQ(root->children[2]->nummer, twinB);
  EXPECT_EQ(root->children[1]->symbol, TreeSymbol::Buck);
  EXPECT_EQ(root->children[2]->symbol, TreeSymbol::Doe);
  for (const auto& c : root->children) EXPECT_TRUE(c->pending());
  EXPECT_EQ(tree.offspringReads(), 1);

  DescendantNode* k1 = root->children[1].get();
  EXPECT_TRUE(tree.expand(k1));
  ASSERT_EQ(k1->children.size(), 1u);
  EXPECT_EQ(k1->children[0]->nummer, grandchild);
  EXPECT_TRUE(k1->children[0]->pending());
  EXPECT_EQ(tree.offspringReads(), 2);
  EXPECT_FALSE(tree.expand(k1));  // the second expansion reads nothing
  EXPECT_EQ(tree.offspringReads(), 2);
  EXPECT_FALSE(tree.expand(root));

  DescendantNode* k9 = root->children[0].get();
  EXPECT_TRUE(tree.expand(k9));
  ASSERT_EQ(k9->children.size(), 1u);
  EXPECT_EQ(k9->children[0]->text, QStringLiteral("Keine Nachkommen vorhanden"));
  EXPECT_EQ(k9->children[0]->symbol, TreeSymbol::Placeholder);
  EXPECT_FALSE(tree.expand(k9));

  ASSERT_TRUE(tree.open(grandchild));
  ASSERT_EQ(tree.root()->children.size(), 1u);
  EXPECT_EQ(tree.root()->children[0]->text, QStringLiteral("Keine Nachkommen vorhanden"));
}

TEST_F(DescendantsTest, ALoopInTheDataStopsAtTheRepeatedAnimal) {
  // The grandchild E1 is recorded as the father of R1, its own grandfather.
  {
    engine::Cursor c(stock.engine);
    c.setTableName(QStringLiteral("Hasen"));
    c.open();
    ASSERT_TRUE(c.findKey({grandchild}));
    c.edit();
    c.field(QStringLiteral("Geschlecht")).setValue(QStringLiteral("1"));
    c.post();
    ASSERT_TRUE(c.findKey({buck}));
    c.edit();
    c.field(QStringLiteral("Vater")).setValue(grandchild);
    c.post();
  }
  store::TDatenStamm& dm = open();
  TDescendantTree tree(stock.engine, dm.Hasen().tableName());
  ASSERT_TRUE(tree.open(buck));
  DescendantNode* k1 = tree.root()->children[1].get();
  ASSERT_TRUE(tree.expand(k1));
  DescendantNode* e1 = k1->children[0].get();
  ASSERT_TRUE(tree.expand(e1));
  ASSERT_EQ(e1->children.size(), 1u);
  DescendantNode* again = e1->children[0].get();
  EXPECT_EQ(again->nummer, buck);
  EXPECT_TRUE(again->repeated);
  EXPECT_TRUE(again->children.empty());
  EXPECT_TRUE(again->text.startsWith(QStringLiteral("R1 1.4.1 {%1}").arg(buck)));
  EXPECT_FALSE(tree.expand(again));
}

TEST_F(DescendantsTest, InformationTextAndTheTreeWindow) {
  test::ScriptedDialogs dialogs;
  settings.Stammbaum.Anzeige = QStringLiteral("Geschlecht");
  store::TDatenStamm& dm = open();
  EXPECT_EQ(descendantInfoText(dm, twinA),
            (QStringList{QStringLiteral("K1  5.5.1 {%1}").arg(twinA), QStringLiteral("Mutter: H1 2.4.2"),
                         QStringLiteral("Vater: R1 1.4.1"), QStringLiteral("Geschlecht: Rammler 1.0")}));
  EXPECT_TRUE(descendantInfoText(dm, 99999).isEmpty());
  EXPECT_EQ(nummerInNodeText(QStringLiteral("K1 5.5.1 {17}")), 17);
  EXPECT_FALSE(nummerInNodeText(QStringLiteral("Keine Nachkommen vorhanden")).has_value());

  ASSERT_TRUE(dm.gotoAnimal(doe));
  auto* w = new ui::TFormListeNachkommen(dm, {});
  windows.emplace_back(w);
  QTreeWidgetItem* root = w->tree()->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(w->tree()->currentItem(), root);
  EXPECT_TRUE(w->info()->toPlainText().startsWith(QStringLiteral("H1  2.4.2 {")));
  ASSERT_EQ(root->childCount(), 3);
  QTreeWidgetItem* k9 = root->child(0);
  ASSERT_EQ(k9->childCount(), 1);
  EXPECT_EQ(k9->child(0)->text(0), QStringLiteral("neu"));
  k9->setExpanded(true);
  ASSERT_EQ(k9->childCount(), 1);
  EXPECT_EQ(k9->child(0)->text(0), QStringLiteral("Keine Nachkommen vorhanden"));
  w->tree()->setCurrentItem(k9->child(0));
  EXPECT_TRUE(w->info()->toPlainText().isEmpty());
  QTreeWidgetItem* k1 = root->child(1);
  k1->setExpanded(true);
  ASSERT_EQ(k1->childCount(), 1);
  EXPECT_EQ(k1->child(0)->text(0), QStringLiteral("E1 1.6.1 {%1}").arg(grandchild));
  EXPECT_EQ(k1->child(0)->child(0)->text(0), QStringLiteral("neu"));
  k1->setExpanded(false);
  k1->setExpanded(true);
  EXPECT_EQ(w->model().offspringReads(), 3);
  if (const QString dir = qEnvironmentVariable("LAPIRO_SCREENSHOT_DIR"); !dir.isEmpty()) {
    w->resize(640, 360);
    w->show();
    w->grab().save(dir + QStringLiteral("/liste-der-nachkommen.png"));
  }
  EXPECT_EQ(dm.Hasen().field(QStringLiteral("Nummer")).asInteger(), doe);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

}  // namespace
}  // namespace lapiro::lineage

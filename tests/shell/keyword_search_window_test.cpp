// The keyword search window: typed text lists ranked hits with kind and count, Enter and a
// double click on a hit choose it. LAPIRO_SCREENSHOT_DIR=<dir> saves how the window looks.
#include "shell/ui/keyword_search_window.h"

#include "support/stock_fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace lapiro;
using lapiro::shell::ui::TFormSchluesselwortsuche;

namespace {

QString s(const char16_t* text) { return QString::fromUtf16(text); }

TEST(KeywordSearchWindow, ListsRankedHitsAndEnterOrDoubleClickChoosesOne) {
  test::StockDirectory stock;
  const qint64 anna = stock.animal(s(u"12"), s(u"A5"), {{s(u"IDCode"), s(u"Müllers Anna")}});
  stock.animal(s(u"13"), s(u"A6"), {{s(u"Anomalien"), s(u"Zahnfehlstellung, vom Züchter Müller gemeldet")}});
  const qint64 address = stock.add(s(u"Adresse"), {{s(u"Name"), s(u"Müller")}, {s(u"Vorname"), s(u"Jörg")},
                                                   {s(u"Straße"), s(u"Lindenstraße 4")}, {s(u"Ort"), s(u"Göttingen")}});
  store::KeywordIndex index(stock.engine);
  TFormSchluesselwortsuche window(index);
  window.resize(800, 360);
  window.show();

  window.search(s(u"mül"));
  QTableWidget* table = window.hitTable();
  ASSERT_EQ(table->rowCount(), 3);
  EXPECT_EQ(window.countLabel()->text(), s(u"3 Treffer"));
  QStringList kinds;
  for (int r = 0; r < 3; ++r) kinds << table->item(r, 0)->text();
  EXPECT_TRUE(kinds.contains(s(u"Tier")) && kinds.contains(s(u"Adresse")));
  // One line per hit, whatever the texts.
  EXPECT_EQ(table->rowHeight(0), table->rowHeight(2));
  EXPECT_EQ(shell::ui::keywordSnippetHtml(QString(store::kHitStart) + s(u"Mü") + store::kHitEnd + s(u"ller <b>")),
            s(u"<b>Mü</b>ller &lt;b&gt;"));

  if (const QByteArray dir = qgetenv("LAPIRO_SCREENSHOT_DIR"); !dir.isEmpty())
    window.grab().save(QString::fromLocal8Bit(dir) + s(u"/keyword-search.png"));

  QSignalSpy chosen(&window, &TFormSchluesselwortsuche::hitChosen);
  int addressRow = -1, annaRow = -1;
  for (int r = 0; r < 3; ++r) {
    if (window.hits()[r].kind == store::KeywordKind::Adresse) addressRow = r;
    if (window.hits()[r].target == anna && window.hits()[r].kind == store::KeywordKind::Tier) annaRow = r;
  }
  ASSERT_GE(addressRow, 0);
  ASSERT_GE(annaRow, 0);
  table->setFocus();
  table->setCurrentCell(addressRow, 1);
  QTest::keyClick(table, Qt::Key_Return);
  ASSERT_EQ(chosen.count(), 1);
  auto hit = chosen.takeFirst().at(0).value<store::KeywordHit>();
  EXPECT_EQ(hit.kind, store::KeywordKind::Adresse);
  EXPECT_EQ(hit.target, address);

  const QRect cell = table->visualRect(table->model()->index(annaRow, 1));
  // A double click is a press and release followed by the double-click event.
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_GE(chosen.count(), 1);
  hit = chosen.takeFirst().at(0).value<store::KeywordHit>();
  EXPECT_EQ(hit.target, anna);

  // Nothing searchable: no query, a clear word.
  window.search(s(u"\"*-()"));
  EXPECT_EQ(table->rowCount(), 0);
  EXPECT_EQ(window.countLabel()->text(), s(u"Kein suchbares Wort eingegeben."));
  window.search(s(u"xylophon"));
  EXPECT_EQ(window.countLabel()->text(), s(u"Keine Treffer."));
  EXPECT_EQ(window.searchBox()->maxLength(), 200);
}

}  // namespace

// The show calendar and the title list: where the calendar opens, its sort orders (also with an
// index missing from an older table), and the protection of the two fixed titles.
#include "shows/show_lists.h"
#include "shows/ui/show_list_windows.h"

#include "engine/cursor.h"
#include "engine/engine.h"
#include "shell/system_info.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

#include <QLineEdit>
#include <QTableView>

#include <gtest/gtest.h>

namespace lapiro::shows {
namespace {

using test::ScriptedDialogs;
using test::StockDirectory;

class ShowCalendarTest : public ::testing::Test {
 protected:
  ShowCalendarTest() : stock({11, 28, 29}) {}

  void show(const QDate& from, const QString& verein, const QString& ort) {
    stock.add(QStringLiteral("AUSSTELT.DB"), {{QStringLiteral("Datum"), from},
                                               {QStringLiteral("Datum2"), from.addDays(1)},
                                               {QStringLiteral("Verein"), verein},
                                               {QStringLiteral("Ort"), ort}});
  }
  QStringList places(ShowCalendarList& list) {
    QStringList out;
    engine::Cursor& c = list.records();
    for (c.first(); c.hasRecord() && !c.eof(); c.next())
      out << c.field(QStringLiteral("Ort")).asString() + u' ' + c.field(QStringLiteral("Datum")).asString();
    return out;
  }

  StockDirectory stock;
  shell::tsysteminfo settings;
};

TEST_F(ShowCalendarTest, OpensOnTheFirstShowFromTodayOrOnTheLast) {
  show(QDate(2006, 3, 1), QStringLiteral("Z 12 Kassel"), QStringLiteral("Kassel"));
  show(QDate(2006, 6, 15), QStringLiteral("H 3 Fulda"), QStringLiteral("Fulda"));
  ShowCalendarList april(stock.engine, settings, nullptr, QDate(2006, 4, 10));
  april.open();
  EXPECT_EQ(april.records().field(QStringLiteral("Ort")).asString(), QStringLiteral("Fulda"));
  april.close();
  ShowCalendarList sameDay(stock.engine, settings, nullptr, QDate(2006, 3, 1));
  sameDay.open();
  EXPECT_EQ(sameDay.records().field(QStringLiteral("Ort")).asString(), QStringLiteral("Kassel"));
  sameDay.close();
  ShowCalendarList later(stock.engine, settings, nullptr, QDate(2007, 1, 1));
  later.open();
  EXPECT_EQ(later.records().field(QStringLiteral("Ort")).asString(), QStringLiteral("Fulda"));
  later.close();
}

TEST_F(ShowCalendarTest, SortOrdersAndAMissingIndexIsCreated) {
  show(QDate(2006, 11, 5), QStringLiteral("B Verein"), QStringLiteral("Kassel"));
  show(QDate(2006, 3, 1), QStringLiteral("C Verein"), QStringLiteral("Kassel"));
  show(QDate(2006, 6, 15), QStringLiteral("A Verein"), QStringLiteral("Fulda"));
  // An older table without the place index.
  stock.engine.deleteIndex(QStringLiteral("AUSSTELT.DB"), QStringLiteral("OrtDatum"));
  ShowCalendarList list(stock.engine, settings, nullptr, QDate(2006, 4, 10));
  list.open();
  EXPECT_EQ(places(list), (QStringList{QStringLiteral("Kassel 01.03.2006"), QStringLiteral("Fulda 15.06.2006"),
                                       QStringLiteral("Kassel 05.11.2006")}));
  list.setOrder(ShowCalendarList::Order::Ort);
  EXPECT_EQ(places(list), (QStringList{QStringLiteral("Fulda 15.06.2006"), QStringLiteral("Kassel 01.03.2006"),
                                       QStringLiteral("Kassel 05.11.2006")}));
  list.setOrder(ShowCalendarList::Order::Verein);
  EXPECT_EQ(list.records().indexName(), QStringLiteral("VereinDatum"));
  EXPECT_EQ(places(list).first(), QStringLiteral("Fulda 15.06.2006"));
  list.close();
  bool found = false;
  for (const auto& index : stock.engine.indexes(QStringLiteral("AUSSTELT.DB")))
    found = found || index.name == QStringLiteral("OrtDatum");
  EXPECT_TRUE(found);
}

TEST_F(ShowCalendarTest, CalendarWindowKeepsTheShowWhenTheOrderChanges) {
  ScriptedDialogs dialogs;
  show(QDate(2006, 3, 1), QStringLiteral("C Verein"), QStringLiteral("Kassel"));
  show(QDate(2006, 6, 15), QStringLiteral("A Verein"), QStringLiteral("Fulda"));
  ui::TFormAusstellungstermine window(stock.engine, settings, nullptr, QDate(2006, 4, 10), {}, {});
  EXPECT_EQ(window.dateEdit(false)->text(), QStringLiteral("15.06.2006"));
  window.SortierungChange(2);
  EXPECT_EQ(window.calendar().records().field(QStringLiteral("Ort")).asString(), QStringLiteral("Fulda"));
  EXPECT_EQ(window.calendar().order(), ShowCalendarList::Order::Ort);
  // A date outside 1900-2100 is refused with the engine's message and not written.
  window.dateEdit(true)->setText(QStringLiteral("1.1.2200"));
  window.dateEdit(true)->setModified(true);
  emit window.dateEdit(true)->editingFinished();
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.shown()[0].text.contains(QStringLiteral("kein gültiger Wert")));
  // The message names the box as the user sees it ("bis"), not the stored field.
  EXPECT_TRUE(dialogs.shown()[0].text.endsWith(QStringLiteral("Feld bis."))) << dialogs.shown()[0].text.toStdString();
  EXPECT_EQ(window.calendar().records().field(QStringLiteral("Datum2")).asDate(), QDate(2006, 6, 16));
  // So does the grid's column.
  dialogs.clear();
  QAbstractItemModel* grid = window.findChild<QTableView*>(QStringLiteral("DBGridTermine"))->model();
  EXPECT_FALSE(grid->setData(grid->index(0, 1), QStringLiteral("31.02.2006")));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.shown()[0].text.endsWith(QStringLiteral("Feld bis."))) << dialogs.shown()[0].text.toStdString();
}

class ShowTitlesTest : public ::testing::Test {
 protected:
  ShowTitlesTest() : stock({11, 28, 29}) {
    for (const char16_t* t : {u"Kreisschau", u"Jungtierbewertung", u"Eigene Bewertung", u"Landesschau"})
      stock.add(QStringLiteral("Ausstellungstitel.db"), {{QStringLiteral("Bezeichnung"), QString::fromUtf16(t)}});
  }
  StockDirectory stock;
  shell::tsysteminfo settings;
};

TEST_F(ShowTitlesTest, ProtectedTitlesMakeTheGridReadOnlyButCanBeDeleted) {
  ScriptedDialogs dialogs;
  ui::TFormAusstellungstitel window(stock.engine, settings, nullptr, {});
  engine::Cursor& c = window.titles().records();
  // Alphabetical: Eigene Bewertung, Jungtierbewertung, Kreisschau, Landesschau.
  EXPECT_EQ(c.field(QStringLiteral("Bezeichnung")).asString(), QStringLiteral("Eigene Bewertung"));
  EXPECT_FALSE(window.gridEditable());
  c.next();
  EXPECT_FALSE(window.gridEditable());
  EXPECT_TRUE(window.grid()->model()->data(window.grid()->model()->index(1, 0), Qt::BackgroundRole).isValid());
  c.next();
  EXPECT_TRUE(window.gridEditable());
  EXPECT_FALSE(window.grid()->model()->data(window.grid()->model()->index(2, 0), Qt::BackgroundRole).isValid());
  // Editing an ordinary title to the protected name does not lock it until it is stored.
  c.edit();
  c.field(QStringLiteral("Bezeichnung")).setString(QStringLiteral("Jungtierbewertung"));
  EXPECT_FALSE(window.titles().currentIsProtected());
  c.cancel();

  c.first();
  dialogs.yes();
  EXPECT_TRUE(window.titles().remove());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Ausstellungstitel.db")), 3);
  EXPECT_EQ(dialogs.texts(), QStringList{StockDirectory::message(28)});
}

}  // namespace
}  // namespace lapiro::shows

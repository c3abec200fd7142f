// The breeder register's search (bound parameters, case as typed, typed text taken literally) and sort orders.
#include "contacts/breeder_register.h"

#include <gtest/gtest.h>

#include "engine/cursor.h"
#include "engine/query.h"
#include "store/catalogue.h"
#include "support/table_rows.h"
#include "support/temp_dir.h"

using namespace lapiro;
using namespace lapiro::contacts;

namespace {

class BreederRegisterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.valid());
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    for (const char16_t* name : {u"ZWINGREG.DB", u"VEREINE.DB"}) {
      const auto* t = store::findTable(QString::fromUtf16(name));
      ASSERT_NE(t, nullptr);
      engine.createTable(t->fileName, store::currentLayout(*t));
    }
  }
  qint64 breeder(const QString& zwinger, const QString& zuechter, const QString& ort, const QString& plz = {},
                 const QString& rasse = {}) {
    return test::addRow(engine, QStringLiteral("ZWINGREG.DB"),
                        {{QStringLiteral("Zwinger"), zwinger},
                         {QStringLiteral("Züchter"), zuechter},
                         {QStringLiteral("Ort"), ort},
                         {QStringLiteral("PLZ"), plz},
                         {QStringLiteral("Rasse"), rasse}});
  }
  QStringList found(const RegisterSearchBoxes& boxes, const QString& field = QStringLiteral("Züchter")) {
    engine::Query q(engine);
    runRegisterSearch(q, boxes);
    QStringList out;
    for (q.first(); q.hasRecord() && !q.eof(); q.next()) {
      out << q.field(field).asString();
      if (q.recordNumber() == q.recordCount() - 1) break;
    }
    return out;
  }

  test::TempDir dir;
  engine::Engine engine;
};

TEST_F(BreederRegisterTest, StatementBindsEveryTypedTextInTheFixedOrder) {
  RegisterSearchBoxes b;
  b.rasse = QStringLiteral("Wid");
  b.zuechter = QStringLiteral("O\"Neil");
  b.ort = QStringLiteral("Mün");
  const RegisterStatement s = buildRegisterSearch(b);
  EXPECT_FALSE(s.sql().contains(QStringLiteral("Neil")));
  EXPECT_FALSE(s.sql().contains(QStringLiteral("Mün")));
  const QString sql = s.sql();
  EXPECT_LT(sql.indexOf(QStringLiteral("z.Züchter like :SuchZuechter")), sql.indexOf(QStringLiteral("z.Ort like")));
  EXPECT_LT(sql.indexOf(QStringLiteral("z.Ort like")), sql.indexOf(QStringLiteral("z.Rasse like")));
  EXPECT_EQ(s.params.value(QStringLiteral("SuchZuechter")).toString(), QStringLiteral("O\"Neil%"));
  EXPECT_TRUE(s.lines.last() == QStringLiteral("ORDER BY Zwinger"));
  EXPECT_FALSE(buildRegisterSearch({}).sql().contains(QStringLiteral("Where")));
}

TEST_F(BreederRegisterTest, PlaceSearchRespectsCaseAndEmptyBoxesListAllByClubNumber) {
  breeder(QStringLiteral("B-2"), QStringLiteral("Huber"), QStringLiteral("München"));
  breeder(QStringLiteral("A-1"), QStringLiteral("Maier"), QStringLiteral("münchen"));
  breeder(QStringLiteral("C-3"), QStringLiteral("Schulz"), QStringLiteral("Berlin"));
  RegisterSearchBoxes b;
  b.ort = QStringLiteral("Mün");
  EXPECT_EQ(found(b), QStringList{QStringLiteral("Huber")});
  EXPECT_EQ(found({}, QStringLiteral("Zwinger")),
            (QStringList{QStringLiteral("A-1"), QStringLiteral("B-2"), QStringLiteral("C-3")}));
}

// Quotes, SQL, % and _ typed into a box are searched as text: the field begins with them.
TEST_F(BreederRegisterTest, TypedQuotesSqlAndWildcardCharactersAreSearchedAsText) {
  breeder(QStringLiteral("1"), QStringLiteral("O\"Neil"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("2"), QStringLiteral("O'Brien"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("3"), QStringLiteral("'; DROP TABLE x; --"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("4"), QStringLiteral("100% Zucht"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("5"), QStringLiteral("1000 Hasen"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("6"), QStringLiteral("Bauer"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("7"), QStringLiteral("Baumann"), QStringLiteral("Kiel"));
  const auto search = [&](const QString& text) {
    RegisterSearchBoxes b;
    b.zuechter = text;
    return found(b);
  };
  EXPECT_EQ(search(QStringLiteral("O\"Neil")), QStringList{QStringLiteral("O\"Neil")});
  EXPECT_EQ(search(QStringLiteral("O'")), QStringList{QStringLiteral("O'Brien")});
  EXPECT_EQ(search(QStringLiteral("'; DROP TABLE x; --")), QStringList{QStringLiteral("'; DROP TABLE x; --")});
  EXPECT_EQ(search(QStringLiteral("100%")), QStringList{QStringLiteral("100% Zucht")});
  EXPECT_TRUE(search(QStringLiteral("Bau_r")).isEmpty());
  EXPECT_TRUE(search(QStringLiteral("%auer")).isEmpty());
  EXPECT_EQ(search(QStringLiteral("Bau")).size(), 2);
  EXPECT_EQ(test::countRows(engine, QStringLiteral("ZWINGREG.DB")), 7);
}

TEST_F(BreederRegisterTest, ClubNumberWithUnderscoreFindsOnlyItself) {
  breeder(QStringLiteral("A_1"), QStringLiteral("Alpha"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("A-111"), QStringLiteral("Beta"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("A-117"), QStringLiteral("Gamma"), QStringLiteral("Kiel"));
  breeder(QStringLiteral("A\\1"), QStringLiteral("Delta"), QStringLiteral("Kiel"));
  RegisterSearchBoxes b;
  b.zwinger = QStringLiteral("A_1");
  EXPECT_EQ(found(b), QStringList{QStringLiteral("Alpha")});
  b.zwinger = QStringLiteral("A\\");
  EXPECT_EQ(found(b), QStringList{QStringLiteral("Delta")});
  b.zwinger = QStringLiteral("A-11");
  EXPECT_EQ(found(b).size(), 2);
}

TEST_F(BreederRegisterTest, PlaceOrderKeepsClubNumberAsSecondKey) {
  breeder(QStringLiteral("Z-9"), QStringLiteral("a"), QStringLiteral("Aachen"));
  breeder(QStringLiteral("B-1"), QStringLiteral("b"), QStringLiteral("Bonn"));
  breeder(QStringLiteral("A-5"), QStringLiteral("c"), QStringLiteral("Aachen"));
  engine::Cursor c(engine);
  configureRegisterCursor(c);
  c.open();
  c.setIndexName(registerOrders().at(4).index);
  QStringList seen;
  for (c.first(); !c.eof(); c.next()) seen << c.field(QStringLiteral("Zwinger")).asString();
  EXPECT_EQ(seen, (QStringList{QStringLiteral("A-5"), QStringLiteral("Z-9"), QStringLiteral("B-1")}));
  EXPECT_EQ(homepageUrl(QStringLiteral("www.verein.de")), QStringLiteral("http://www.verein.de"));
  EXPECT_EQ(homepageUrl(QStringLiteral("https://x.de")), QStringLiteral("https://x.de"));
  EXPECT_EQ(mailUrl(QStringLiteral(" a@b.de ")), QStringLiteral("mailto:a@b.de"));
}

}  // namespace

// The window and its search dialog.
#include <QLineEdit>
#include <QComboBox>

#include "contacts/ui/register_windows.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"

namespace {

TEST_F(BreederRegisterTest, SearchDialogFindsOneOrListsSeveralAndTheWindowKeepsItsOrder) {
  for (const char16_t* name : {u"Sprmel"}) {
    const auto* t = store::findTable(QString::fromUtf16(name));
    engine.createTable(t->fileName, store::currentLayout(*t));
  }
  test::addRow(engine, QStringLiteral("Sprmel.db"), {{QStringLiteral("Nummer"), 79}, {QStringLiteral("Meldung"), QStringLiteral("Kein Züchter gefunden.")}});
  store::MessageCatalogue messages(engine);
  messages.open();
  store::setMessageCatalogue(&messages);
  test::ScriptedDialogs dialogs;
  breeder(QStringLiteral("C-3"), QStringLiteral("Huber"), QStringLiteral("München"), QStringLiteral("80331"));
  const qint64 maier = breeder(QStringLiteral("A-1"), QStringLiteral("Maier"), QStringLiteral("Bonn"), QStringLiteral("53111"));
  breeder(QStringLiteral("B-2"), QStringLiteral("Maier-Lutz"), QStringLiteral("Aachen"), QStringLiteral("52062"));
  {
    ui::TFormZuechterregister w(engine, [] { return true; }, {});
    ASSERT_TRUE(w.isUsable());
    w.sortBox()->setCurrentIndex(4);  // "Ort"
    w.SortChange(4);
    auto& dlg = w.searchDialog();
    dlg.prepareForShow();
    dlg.box(1)->setText(QStringLiteral("Mai"));
    dlg.SuchenClick();
    EXPECT_TRUE(dlg.listShown());
    dlg.SuchenClick();  // only closes the list
    EXPECT_FALSE(dlg.listShown());
    dlg.box(1)->setText(QStringLiteral("Maier"));
    dlg.box(3)->setText(QStringLiteral("Bo"));
    dlg.SuchenClick();
    EXPECT_FALSE(dlg.listShown());
    EXPECT_EQ(dlg.box(0)->text(), QStringLiteral("A-1"));  // the one row fills the boxes
    dlg.OKClick();
    ASSERT_EQ(dlg.chosenNumber(), maier);
    ASSERT_TRUE(w.gotoBreeder(*dlg.chosenNumber()));
    EXPECT_EQ(w.cursor().indexName(), QStringLiteral("OrtZwinger"));
    EXPECT_EQ(w.box(QStringLiteral("Züchter"))->text(), QStringLiteral("Maier"));

    dlg.prepareForShow();
    EXPECT_TRUE(dlg.box(1)->text().isEmpty());
    dlg.box(3)->setText(QStringLiteral("münchen"));
    dlg.SuchenClick();
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Kein Züchter gefunden.")});
    dlg.OKClick();
    EXPECT_FALSE(dlg.chosenNumber().has_value());
  }
  store::setMessageCatalogue(nullptr);
}

}  // namespace

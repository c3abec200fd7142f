// The address book's headless rules: the search statement and its results, the tab ranges,
// the duplicate-name check, categories, saving, deleting and the membership-field upgrade.
#include "contacts/address_book.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <memory>

#include "contacts/address_search.h"
#include "contacts/ui/address_dialogs.h"
#include "contacts/ui/address_window.h"
#include "contacts/ui/status_addresses_window.h"
#include "engine/cursor.h"
#include "engine/field_input.h"
#include "engine/query.h"
#include "installer/content.h"
#include "shell/system_info.h"
#include "store/catalogue.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/table_rows.h"

using namespace lapiro;
using namespace lapiro::contacts;
using engine::Cursor;
using engine::Query;

namespace {

class AddressBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.valid());
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    for (const char16_t* name : {u"Adresse", u"Rasse", u"StatusAdressen", u"Sprmel", u"Hasen"}) {
      const auto* t = store::findTable(QString::fromUtf16(name));
      ASSERT_NE(t, nullptr);
      engine.createTable(t->fileName, store::currentLayout(*t));
    }
    for (int n : {11, 28, 29, 49, 141})
      add(QStringLiteral("Sprmel.db"),
          {{QStringLiteral("Nummer"), n}, {QStringLiteral("Meldung"), installer::messageText(n)}});
    messages = std::make_unique<store::MessageCatalogue>(engine);
    messages->open();
    store::setMessageCatalogue(messages.get());

    dr = breed(QStringLiteral("Deutsche Riesen"));
    breed(QStringLiteral("Alaska"));
    drs = breed(QStringLiteral("Deutsche Riesenschecken"));
    breed(QStringLiteral("Zwergwidder"));
  }
  void TearDown() override { store::setMessageCatalogue(nullptr); }

  qint64 add(const QString& table, const QVariantMap& values) {
    return test::addRow(engine, table, values);
  }
  qint64 breed(const QString& name) {
    return add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), name}});
  }
  qint64 person(const QString& name, const QString& vorname, QVariantMap more = {}) {
    more.insert(QStringLiteral("Name"), name);
    more.insert(QStringLiteral("Vorname"), vorname);
    return add(QStringLiteral("Adresse.db"), more);
  }

  // Runs a search and returns "Name Vorname" of every row found.
  QStringList search(const AddressSearchBoxes& boxes) {
    Query q(engine);
    prepareSearchQuery(q);
    runAddressSearch(engine, q, boxes);
    QStringList found;
    for (q.first(); !q.eof(); q.next())
      found << q.field(QStringLiteral("Name")).asString() + u' ' +
                   q.field(QStringLiteral("Vorname")).asString();
    return found;
  }

  QStringList names(Cursor& c) {
    QStringList found;
    for (c.first(); !c.eof(); c.next()) found << c.field(QStringLiteral("Name")).asString();
    return found;
  }

  test::TempDir dir;
  engine::Engine engine;
  std::unique_ptr<store::MessageCatalogue> messages;
  qint64 dr = 0, drs = 0;
};

TEST_F(AddressBookTest, StatementHasOneBoundConditionPerFilledBox) {
  AddressSearchBoxes b;
  const QString orderLine = buildAddressSearch(b, {}).lines.last();
  EXPECT_EQ(buildAddressSearch(b, {}).sql(), QStringLiteral("SELECT * from \"adresse.db\"\n") + orderLine);
  EXPECT_TRUE(orderLine.startsWith(QStringLiteral("ORDER BY replace(")));

  b.name = QStringLiteral("mü\"x");
  b.telefon = QStringLiteral("0301");
  b.rasse = QStringLiteral("deu");
  const SearchStatement s = buildAddressSearch(b, {12, 31});
  EXPECT_EQ(s.sql(),
            QStringLiteral("SELECT * from \"adresse.db\"\n Where \nUPPER(Name) like UPPER(:SuchName)\n AND \n"
                           "Telefon like :SuchTelefon\n AND \n(Rasse = :SuchRasse0 OR Rasse = :SuchRasse1)\n") +
                orderLine);
  EXPECT_EQ(s.params.value(QStringLiteral("SuchName")).toString(), QStringLiteral("mü\"x%"));
  EXPECT_EQ(s.params.value(QStringLiteral("SuchRasse1")).toLongLong(), 31);
  EXPECT_FALSE(s.sql().contains(QStringLiteral("0301")));
}

TEST_F(AddressBookTest, SearchIgnoresCaseWhereItShouldAndKeepsWildcards) {
  person(QStringLiteral("Müller"), QStringLiteral("Jürgen"),
         {{QStringLiteral("Ort"), QStringLiteral("Berlin")},
          {QStringLiteral("Telefon"), QStringLiteral("0301234")}});
  person(QStringLiteral("MÜLLER"), QStringLiteral("Anna"),
         {{QStringLiteral("Ort"), QStringLiteral("BERLIN-Mitte")},
          {QStringLiteral("Telefon"), QStringLiteral("0401301")}});
  person(QStringLiteral("Müller"), QStringLiteral("Karl"), {{QStringLiteral("Ort"), QStringLiteral("Köln")}});
  person(QStringLiteral("Maier"), QStringLiteral("Eva"),
         {{QStringLiteral("Ort"), QStringLiteral("Berlin")},
          {QStringLiteral("Status"), QStringLiteral("Züchter")}});

  EXPECT_EQ(search({.name = QStringLiteral("mü"), .ort = QStringLiteral("berlin")}),
            (QStringList{QStringLiteral("MÜLLER Anna"), QStringLiteral("Müller Jürgen")}));
  EXPECT_EQ(search({.telefon = QStringLiteral("0301")}), QStringList{QStringLiteral("Müller Jürgen")});
  // Telefon and Status compare case as typed; the user's wildcards still work.
  EXPECT_TRUE(search({.status = QStringLiteral("züchter")}).isEmpty());
  EXPECT_EQ(search({.status = QStringLiteral("Z_cht")}), QStringList{QStringLiteral("Maier Eva")});
  EXPECT_EQ(search({.name = QStringLiteral("%ll")}).size(), 3);
  // A quote is searched as text and cannot break the statement.
  EXPECT_TRUE(search({.name = QStringLiteral("\" OR \"\"=\"")}).isEmpty());
  EXPECT_TRUE(search({.name = QStringLiteral("') OR 1=1 --")}).isEmpty());
  // All boxes empty: every address by name and first name.
  EXPECT_EQ(search({}), (QStringList{QStringLiteral("Maier Eva"), QStringLiteral("MÜLLER Anna"),
                                     QStringLiteral("Müller Jürgen"), QStringLiteral("Müller Karl")}));
}

TEST_F(AddressBookTest, BreedConditionCoversEveryBreedBeginningWithTheText) {
  EXPECT_EQ(breedsBeginningWith(engine, QStringLiteral("deutsche ries")), (QList<qint64>{dr, drs}));
  EXPECT_EQ(breedsBeginningWith(engine, QStringLiteral("Deutsche Riesens")), QList<qint64>{drs});
  EXPECT_TRUE(breedsBeginningWith(engine, QStringLiteral("Rex")).isEmpty());

  person(QStringLiteral("Arndt"), QStringLiteral("A"), {{QStringLiteral("Rasse"), dr}});
  person(QStringLiteral("Brandt"), QStringLiteral("B"), {{QStringLiteral("Rasse"), drs}});
  person(QStringLiteral("Claus"), QStringLiteral("C"),
         {{QStringLiteral("Rasse"), breed(QStringLiteral("Rex"))}});
  EXPECT_EQ(search({.rasse = QStringLiteral("Deutsche")}),
            (QStringList{QStringLiteral("Arndt A"), QStringLiteral("Brandt B")}));

  // No breed begins with the text: nothing is found, whatever the other boxes say.
  EXPECT_TRUE(search({.name = QStringLiteral("A"), .rasse = QStringLiteral("Angora")}).isEmpty());

  // One row: the boxes take its values, the breed as its name.
  Query q(engine);
  prepareSearchQuery(q);
  ASSERT_EQ(runAddressSearch(engine, q, {.name = QStringLiteral("brandt")}), 1);
  const AddressSearchBoxes back = boxesFromRow(q);
  EXPECT_EQ(back.name, QStringLiteral("Brandt"));
  EXPECT_EQ(back.rasse, QStringLiteral("Deutsche Riesenschecken"));
  EXPECT_EQ(q.field(QStringLiteral("Anzeige")).asString(), QStringLiteral("Brandt, B"));
}

// German order: umlauts count as their base letters and case is ignored, so "Übermuth" is
// under "STU", "Ömer" under "MNO" and "van Dyk" under "V-Z"; only "[Klammer" is in no tab.
TEST_F(AddressBookTest, LetterTabsGroupAndSortNamesTheGermanWay) {
  for (const char16_t* n : {u"Adam", u"Cäsar", u"Czerny", u"D", u"Dora", u"Vogel", u"Zander", u"Zz",
                            u"[Klammer", u"van Dyk", u"Ömer", u"Schulze", u"Schäfer", u"Übermuth",
                            u"Strauß", u"Strauss", u"Mohr"})
    person(QString::fromUtf16(n), {});
  Cursor c(engine);
  configureAddressCursor(c);
  c.open();
  const auto tab = [&](int t) {
    applyLetterTab(c, t);
    return names(c).join(u',');
  };
  EXPECT_EQ(tab(0), QStringLiteral("Adam,Cäsar,Czerny"));
  EXPECT_EQ(tab(1), QStringLiteral("D,Dora"));
  EXPECT_EQ(tab(4), QStringLiteral("Mohr,Ömer"));
  EXPECT_EQ(tab(6), QStringLiteral("Schäfer,Schulze,Strauß,Strauss,Übermuth"));
  EXPECT_EQ(tab(7), QStringLiteral("van Dyk,Vogel,Zander,Zz"));
  applyLetterTab(c, kTabAZ);
  EXPECT_EQ(c.recordCount(), 17);
  // Moving backwards visits the same order reversed.
  QStringList backwards;
  for (c.last(); !c.bof(); c.prior()) backwards.prepend(c.field(QStringLiteral("Name")).asString());
  EXPECT_EQ(backwards, names(c));
}

// Search results and the address list printed from them follow the same order.
TEST_F(AddressBookTest, SearchResultsAreInGermanOrder) {
  for (const char16_t* n : {u"Krüger", u"Braun", u"schulze", u"König", u"Böhm", u"Schäfer", u"Übermuth", u"Ulrich"})
    person(QString::fromUtf16(n), QStringLiteral("X"));
  EXPECT_EQ(search({}).join(u','),
            QStringLiteral("Böhm X,Braun X,König X,Krüger X,Schäfer X,schulze X,Übermuth X,Ulrich X"));
}

TEST_F(AddressBookTest, CategoriesAreCutToTwentyCharactersAndLimitedToTen) {
  const QString longName = QStringLiteral("Ausstellungsbesucher 2025");  // 25 characters
  ASSERT_EQ(longName.size(), 25);
  add(QStringLiteral("StatusAdressen.db"), {{QStringLiteral("Status"), QStringLiteral("Züchter")}});
  add(QStringLiteral("StatusAdressen.db"), {{QStringLiteral("Status"), longName}});
  EXPECT_EQ(categoryNames(engine), (QStringList{QStringLiteral("Züchter"), longName}));

  person(QStringLiteral("Busch"), {}, {{QStringLiteral("Status"), longName}});
  person(QStringLiteral("Adler"), {}, {{QStringLiteral("Status"), QStringLiteral("Züchter")}});
  person(QStringLiteral("Kern"), {}, {{QStringLiteral("Status"), QStringLiteral("Züchterin")}});
  Cursor c(engine);
  configureAddressCursor(c);
  c.open();
  c.findKey({QStringLiteral("Busch")});
  EXPECT_EQ(c.field(QStringLiteral("Status")).asString(), longName.left(20));
  EXPECT_EQ(storedCategory(longName), longName.left(20));
  // The tab compares the name as it is stored, so the address stays in its category.
  applyCategoryTab(c, longName);
  EXPECT_EQ(names(c), QStringList{QStringLiteral("Busch")});
  applyCategoryTab(c, QStringLiteral("Züchter"));
  EXPECT_EQ(names(c), QStringList{QStringLiteral("Adler")});

  test::ScriptedDialogs dialogs;
  EXPECT_TRUE(mayAddCategory(9));
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_FALSE(mayAddCategory(10));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Information);
  EXPECT_EQ(dialogs.shown()[0].text, installer::messageText(141));
}

TEST_F(AddressBookTest, DuplicateNameCancelledShowsTheExistingAddress) {
  person(QStringLiteral("Adler"), QStringLiteral("Udo"));
  const qint64 existing = person(QStringLiteral("Müller"), QStringLiteral("Jürgen"));
  Cursor book(engine), view(engine, QStringLiteral("Zweitsicht"));
  configureAddressCursor(book);
  configureAddressCursor(view);
  book.open();
  view.open();
  int asked = 0;

  book.append();
  book.field(QStringLiteral("Name")).setString(QStringLiteral("Müller"));
  book.field(QStringLiteral("Vorname")).setString(QStringLiteral("Jürg"));
  EXPECT_FALSE(duplicateNameCheck(book, view, true, [&] { return ++asked, false; }));
  EXPECT_EQ(asked, 0);

  book.field(QStringLiteral("Vorname")).setString(QStringLiteral("Jürgen"));
  EXPECT_FALSE(duplicateNameCheck(book, view, false, [&] { return ++asked, false; }));  // check off
  EXPECT_FALSE(duplicateNameCheck(book, view, true, [&] { return ++asked, true; }));    // "Neuaufnehmen"
  EXPECT_EQ(book.state(), engine::DataSetState::Insert);
  EXPECT_TRUE(duplicateNameCheck(book, view, true, [&] { return ++asked, false; }));  // "Abbrechen"
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(book.state(), engine::DataSetState::Browse);
  EXPECT_EQ(book.field(QStringLiteral("LaufendeNr")).asInteger(), existing);
  EXPECT_EQ(book.recordCount(), 2);
}

TEST_F(AddressBookTest, SaveQuestionAndDeletingABreedersAddress) {
  const qint64 nr = person(QStringLiteral("Adler"), QStringLiteral("Udo"));
  const qint64 animal = add(QStringLiteral("Hasen.db"), {{QStringLiteral("TatoRechts"), QStringLiteral("A1")},
                                                         {QStringLiteral("Geschlecht"), QStringLiteral("1")},
                                                         {QStringLiteral("Zuechter"), nr}});
  Cursor book(engine);
  configureAddressCursor(book);
  book.open();
  test::ScriptedDialogs dialogs;

  book.edit();
  book.field(QStringLiteral("Ort")).setString(QStringLiteral("Bonn"));
  dialogs.no();
  EXPECT_FALSE(saveAddress(book, false));
  EXPECT_EQ(book.state(), engine::DataSetState::Browse);
  EXPECT_TRUE(book.field(QStringLiteral("Ort")).isNull());
  book.edit();
  book.field(QStringLiteral("Ort")).setString(QStringLiteral("Bonn"));
  dialogs.yes();
  EXPECT_TRUE(saveAddress(book, false));
  EXPECT_EQ(book.field(QStringLiteral("Ort")).asString(), QStringLiteral("Bonn"));

  dialogs.no();
  EXPECT_FALSE(deleteCurrent(book));
  EXPECT_EQ(book.recordCount(), 1);
  dialogs.yes();
  EXPECT_TRUE(deleteCurrent(book));
  EXPECT_EQ(book.recordCount(), 0);
  EXPECT_EQ(dialogs.shown().back().text, installer::messageText(28));
  // The animal keeps its breeder number; it now finds no address.
  Cursor hasen(engine);
  hasen.setTableName(QStringLiteral("Hasen.db"));
  hasen.open();
  ASSERT_TRUE(hasen.findKey({animal}));
  EXPECT_EQ(hasen.field(QStringLiteral("Zuechter")).asInteger(), nr);
  EXPECT_FALSE(book.lookup(QStringLiteral("LaufendeNr"), {nr}, QStringLiteral("Name")).isValid());
}

TEST_F(AddressBookTest, OpeningAddsTheMembershipFields) {
  // An older address table without the membership fields, opened by the data module too.
  engine.deleteTable(QStringLiteral("Adresse.db"));
  engine.createTable(QStringLiteral("Adresse.db"),
                     store::olderLayout(*store::findTable(QStringLiteral("Adresse"))));
  // HBNr is added by the data module's start-up repair before the window ever opens.
  engine.addField(QStringLiteral("Adresse.db"), {QStringLiteral("HBNr"), engine::FieldType::Alpha, 20});
  person(QStringLiteral("Adler"), QStringLiteral("Udo"));
  Cursor shared(engine, QStringLiteral("Adressen"));
  shared.setTableName(QStringLiteral("Adresse.db"));
  shared.open();

  test::ScriptedDialogs dialogs;
  Cursor own(engine);
  configureAddressCursor(own);
  ASSERT_TRUE(openWithMembershipUpgrade(engine, own, &shared));
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_TRUE(shared.isOpen());
  EXPECT_TRUE(own.findField(QStringLiteral("Abonnent")).has_value());
  EXPECT_EQ(own.field(QStringLiteral("Name")).asString(), QStringLiteral("Adler"));

  // A table that is missing altogether: message 11 with the table name.
  own.close();
  shared.close();
  engine.deleteTable(QStringLiteral("Adresse.db"));
  Cursor again(engine);
  configureAddressCursor(again);
  EXPECT_FALSE(openWithMembershipUpgrade(engine, again, nullptr));
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].text, installer::messageText(11) + QStringLiteral(" Adresse"));
}

TEST_F(AddressBookTest, SearchDialogFillsBoxesListsRowsAndReturnsTheChosenNumber) {
  add(QStringLiteral("StatusAdressen.db"), {{QStringLiteral("Status"), QStringLiteral("Züchter")}});
  person(QStringLiteral("Müller"), QStringLiteral("Jürgen"),
         {{QStringLiteral("Ort"), QStringLiteral("Berlin")}});
  const qint64 anna =
      person(QStringLiteral("Müller"), QStringLiteral("Anna"), {{QStringLiteral("Rasse"), dr}});
  const qint64 eva = person(QStringLiteral("Maier"), QStringLiteral("Eva"),
                            {{QStringLiteral("Status"), QStringLiteral("Züchter")}});
  test::ScriptedDialogs dialogs;
  contacts::ui::TSuchenAdrDlg dlg(engine);

  // "&OK" before any search has no row to return.
  EXPECT_FALSE(dlg.hasResult());
  EXPECT_EQ(dlg.chosenNumber(), 0);

  dlg.nameBox()->setText(QStringLiteral("mai"));
  dlg.SuchenClick();
  EXPECT_EQ(dlg.chosenNumber(), eva);
  EXPECT_EQ(dlg.nameBox()->text(), QStringLiteral("Maier"));
  EXPECT_EQ(dlg.statusBox()->currentText(), QStringLiteral("Züchter"));
  EXPECT_TRUE(dlg.resultList()->isHidden());

  dlg.setBoxes({.name = QStringLiteral("mü")});
  dlg.SuchenClick();
  EXPECT_FALSE(dlg.resultList()->isHidden());
  EXPECT_EQ(dlg.resultList()->model()->rowCount(), 2);
  EXPECT_EQ(dlg.resultList()->model()->index(0, 0).data().toString(), QStringLiteral("Müller, Anna"));
  EXPECT_EQ(dlg.resultList()->model()->index(0, 5).data().toString(), QStringLiteral("Deutsche Riesen"));
  dlg.SuchenClick();  // only closes the list
  EXPECT_TRUE(dlg.resultList()->isHidden());
  EXPECT_EQ(dlg.chosenNumber(), anna);

  dlg.setBoxes({.name = QStringLiteral("Xaver")});
  dlg.SuchenClick();
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Warning);
  EXPECT_EQ(dialogs.shown()[0].text, installer::messageText(49));
  EXPECT_FALSE(dlg.hasResult());
}

TEST_F(AddressBookTest, StatusWindowRefusesAnEleventhCategory) {
  for (int i = 1; i <= 10; ++i)
    add(QStringLiteral("StatusAdressen.db"),
        {{QStringLiteral("Status"), QStringLiteral("Kategorie %1").arg(i)}});
  shell::tsysteminfo settings;
  test::ScriptedDialogs dialogs;
  auto* window = new contacts::ui::TFormStatusAdressen(engine, settings);
  EXPECT_EQ(window->rows().size(), 10u);
  window->HinzufuegenClick();
  EXPECT_EQ(window->rows().size(), 10u);
  EXPECT_EQ(dialogs.texts(), QStringList{installer::messageText(141)});
  emit window->rows()[0]->textEdited(QStringLiteral("geändert"));  // the user is in row 0
  dialogs.yes();
  window->LoeschenClick();
  EXPECT_EQ(window->rows().size(), 9u);
  window->HinzufuegenClick();
  EXPECT_EQ(window->rows().size(), 10u);
  delete window;
}

TEST_F(AddressBookTest, AddressWindowTabsButtonsAndHomepage) {
  add(QStringLiteral("StatusAdressen.db"), {{QStringLiteral("Status"), QStringLiteral("Züchter")}});
  person(QStringLiteral("Zander"), QStringLiteral("Ute"),
         {{QStringLiteral("Homepage"), QStringLiteral("www.zander.de")}});
  person(QStringLiteral("Adler"), QStringLiteral("Udo"),
         {{QStringLiteral("Status"), QStringLiteral("Züchter")}});
  shell::tsysteminfo settings;
  test::ScriptedDialogs dialogs;
  auto* window = new contacts::ui::Tadressenverwaltung(engine, settings, nullptr);
  ASSERT_TRUE(window->isUsable());
  EXPECT_EQ(window->tabSet()->count(), 12);
  EXPECT_EQ(window->tabSet()->tabText(11), QStringLiteral("Züchter"));
  EXPECT_EQ(window->box(QStringLiteral("Name"))->text(), QStringLiteral("Adler"));
  EXPECT_TRUE(window->homepageLink()->text().contains(contacts::ui::Tadressenverwaltung::defaultHomepage()));
  EXPECT_FALSE(window->speichernButton()->isEnabled());

  window->TabSet1Click(7);  // "V-Z"
  EXPECT_EQ(window->box(QStringLiteral("Name"))->text(), QStringLiteral("Zander"));
  EXPECT_TRUE(window->homepageLink()->text().contains(QStringLiteral("www.zander.de")));
  window->TabSet1Click(11);
  EXPECT_EQ(window->adressen().recordCount(), 1);
  EXPECT_EQ(window->box(QStringLiteral("Name"))->text(), QStringLiteral("Adler"));

  window->HinzufuegenClick();
  EXPECT_TRUE(window->speichernButton()->isEnabled());
  EXPECT_TRUE(window->abbruchButton()->isEnabled());
  EXPECT_TRUE(window->box(QStringLiteral("Name"))->text().isEmpty());
  window->AbbruchClick();
  EXPECT_FALSE(window->speichernButton()->isEnabled());
  EXPECT_EQ(window->adressen().recordCount(), 1);

  window->TabSet1Click(contacts::kTabAZ);
  EXPECT_EQ(window->adressen().recordCount(), 2);
  dialogs.yes();
  window->LoeschenClick();
  EXPECT_EQ(window->adressen().recordCount(), 1);
  EXPECT_TRUE(window->gotoAddress(window->adressen().field(QStringLiteral("LaufendeNr")).asInteger()));
  delete window;
}

TEST_F(AddressBookTest, OverlongSearchTextIsLimitedToTheFieldInsteadOfFailing) {
  person(QStringLiteral("Ähre"), QStringLiteral("Udo"));
  test::ScriptedDialogs dialogs;
  contacts::ui::TSuchenAdrDlg dlg(engine);
  EXPECT_EQ(dlg.nameBox()->maxLength(), 40);
  const QString huge = QStringLiteral("ä").repeated(25001);
  dlg.nameBox()->setText(huge);
  EXPECT_EQ(dlg.nameBox()->text().size(), 40);
  // The search itself cuts a longer text as well (a box filled by a program, a pasted row).
  engine::Query q(engine);
  contacts::prepareSearchQuery(q);
  EXPECT_NO_THROW(EXPECT_EQ(contacts::runAddressSearch(engine, q, {.name = huge, .ort = huge, .status = huge}), 0));
  EXPECT_EQ(contacts::runAddressSearch(engine, q, {.name = QStringLiteral("ähr")}), 1);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(AddressBookTest, ImpossibleBirthdayIsRefusedWithTheEnginesMessageAndKeptInTheBox) {
  person(QStringLiteral("Adler"), QStringLiteral("Udo"));
  shell::tsysteminfo settings;
  test::ScriptedDialogs dialogs;
  auto* window = new contacts::ui::Tadressenverwaltung(engine, settings, nullptr);
  QLineEdit* birthday = window->box(QStringLiteral("Geburtstag"));
  for (const QString& bad : {QStringLiteral("31.04.1970"), QStringLiteral("29.02.1971")}) {
    dialogs.clear();
    birthday->selectAll();
    QTest::keyClicks(birthday, bad);
    EXPECT_TRUE(dialogs.texts().isEmpty());
    window->SpeichernClick();
    EXPECT_EQ(dialogs.texts(), QStringList{engine::invalidValueMessage(bad, QStringLiteral("Geburtstag"))});
    EXPECT_EQ(birthday->text(), bad);
    EXPECT_TRUE(window->adressen().field(QStringLiteral("Geburtstag")).isNull());
  }
  dialogs.clear();
  birthday->selectAll();
  QTest::keyClicks(birthday, QStringLiteral("30.4.1970"));
  window->SpeichernClick();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_FALSE(window->adressen().isEditing());
  EXPECT_EQ(window->adressen().field(QStringLiteral("Geburtstag")).asDate(), QDate(1970, 4, 30));
  EXPECT_EQ(birthday->text(), QStringLiteral("30.04.1970"));
  delete window;
}

}  // namespace

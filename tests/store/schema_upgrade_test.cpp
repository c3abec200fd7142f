// The start-up upgrade on data directories written in the older layouts, built by test code.
#include "store/schema_upgrade.h"

#include "engine/cursor.h"
#include "store/catalogue.h"
#include "store/guarded.h"
#include "store/messages.h"
#include "engine/sqlite_util.h"
#include "support/scripted_dialogs.h"
#include "support/table_rows.h"
#include "support/temp_dir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <memory>

// Readable failure output for Qt strings.
static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace lapiro;
using namespace lapiro::store;
using engine::Cursor;
using engine::FieldType;
using engine::TableDef;

namespace {

QString s(const char16_t* text) { return QString::fromUtf16(text); }

const QString kMessage6 = s(u"Die Anwenderdaten können nicht geöffnet werden.");
const QString kMessage8 = s(u"Die Anwenderdaten sind veraltet.");
const QString kMessage11 = s(u"Fehler beim Öffnen der Tabelle");

QStringList fieldNames(const TableDef& def) {
  QStringList out;
  for (const auto& f : def.fields) out << f.name;
  return out;
}

// Every field and index of a stored table, as text, for before/after comparisons.
QStringList describe(const TableDef& def) {
  QStringList out;
  for (const auto& f : def.fields) out << QStringLiteral("%1 %2 %3").arg(f.name, engine::fieldTypeName(f.type)).arg(f.size);
  for (const auto& i : def.indexes) out << QStringLiteral("index %1 (%2)").arg(i.name, i.fieldNames().join(u';'));
  return out;
}

// The data module's cursors and the main window's, configured as their owners do.
class TestCursors : public CursorProvider {
 public:
  explicit TestCursors(engine::Engine& engine) : engine_(engine) {
    for (const CursorSpec& cursorDef : dataModuleCursors()) add(cursorDef.name, cursorDef.table, cursorDef.order);
    add(mainCursor::Rasse.toString(), s(u"Rasse.db"), s(u"RasseName"));
    add(mainCursor::Status.toString(), s(u"Status.db"), {});
    add(mainCursor::Eigen.toString(), s(u"eigen.DB"), {});
    add(mainCursor::Hasen.toString(), s(u"Hasen.db"), s(u"Tato"));
  }
  Cursor* cursor(const QString& name) override {
    auto it = cursors_.find(name);
    return it == cursors_.end() ? nullptr : it->second.get();
  }
  Cursor& operator[](const QString& name) { return *cursor(name); }

 private:
  void add(const QString& name, const QString& table, const QString& order) {
    auto c = std::make_unique<Cursor>(engine_, name);
    c->setTableName(table);
    const CatalogueTable* t = findTable(table);
    if (t->def.index(order))
      c->setIndexName(order);
    else
      c->setIndexFieldNames(order);
    QStringList expected = fieldNames(currentLayout(*t));
    // The address book window adds the membership fields when it opens.
    if (name == u"Adressen")
      for (const QString& f : {s(u"MitgliedsNr"), s(u"Eintritt"), s(u"Gekuendigt"), s(u"Austritt"), s(u"Abonnent")})
        expected.removeAll(f);
    c->setExpectedFields(expected);
    cursors_[name] = std::move(c);
  }
  engine::Engine& engine_;
  std::map<QString, std::unique_ptr<Cursor>> cursors_;
};

struct SchemaUpgrade : ::testing::Test {
  test::TempDir dir;
  engine::Engine engine;
  test::ScriptedDialogs dialogs;
  std::unique_ptr<MessageCatalogue> catalogue;

  void SetUp() override { engine.setAlias(QStringLiteral("Hase"), dir.path()); }
  void TearDown() override { setMessageCatalogue(nullptr); }

  // A data directory as an older version left it: every installed table in its older layout,
  // the tables the program creates itself missing. `skip` names tables to leave out.
  void installOlder(const QStringList& skip = {}) {
    for (const CatalogueTable& t : store::catalogue()) {
      if (t.origin != CatalogueTable::Origin::Installer || skip.contains(t.fileName, Qt::CaseInsensitive)) continue;
      const bool current = engine::sameName(t.def.name, QStringLiteral("Sprmel"));
      engine.createTable(t.fileName, current ? currentLayout(t) : olderLayout(t));
    }
    fillMessages();
  }

  void fillMessages() {
    Cursor c(engine);
    c.setTableName(QStringLiteral("Sprmel.db"));
    c.open();
    for (const auto& [n, text] : {std::pair{6, kMessage6}, {8, kMessage8}, {11, kMessage11}}) {
      c.append();
      c.field(QStringLiteral("Nummer")).setInteger(n);
      c.field(QStringLiteral("Meldung")).setString(text);
      c.post();
    }
    c.close();
    catalogue = std::make_unique<MessageCatalogue>(engine);
    catalogue->open();
    setMessageCatalogue(catalogue.get());
  }

  // Replaces a table by one with the given layout.
  void recreate(const QString& file, const TableDef& def) {
    if (engine.tableExists(file)) engine.deleteTable(file);
    engine.createTable(file, def);
  }

  // All table files of the directory with their stored layouts.
  std::map<QString, QStringList> snapshot() {
    std::map<QString, QStringList> out;
    for (const CatalogueTable& t : store::catalogue())
      if (engine.tableExists(t.fileName)) out[t.def.name] = describe(engine.tableDef(t.fileName));
    return out;
  }

  // One start: the main window's steps, then the data module's.
  UpgradeResult start(TestCursors& cursors, int* breedNamesBuilt = nullptr) {
    const OpenFailureNaming naming;  // one start-up names each failing table once
    UpgradeResult main = upgradeMainWindowTables(engine, cursors);
    if (main.endProgram) return main;
    UpgradeResult module = upgradeDataModuleTables(engine, cursors, [&] {
      EXPECT_TRUE(cursors[s(u"Rasse")].isOpen()) << "breed names built before the breeds were opened";
      if (breedNamesBuilt) ++*breedNamesBuilt;
    });
    module.closedCursors = main.closedCursors + module.closedCursors;
    return module;
  }

  QVariantList column(const QString& table, const QString& field) {
    Cursor c(engine);
    c.setTableName(table);
    c.open();
    QVariantList out;
    for (c.first(); !c.eof(); c.next()) out << c.field(field).value();
    return out;
  }
};

// ---------------------------------------------------------------- whole start-up

TEST_F(SchemaUpgrade, OlderDirectoryIsBroughtUpToDateAndASecondStartChangesNothing) {
  installOlder();
  int built = 0;
  {
    TestCursors cursors(engine);
    const UpgradeResult r = start(cursors, &built);
    EXPECT_FALSE(r.endProgram);
    EXPECT_TRUE(r.closedCursors.isEmpty()) << r.closedCursors.join(u',').toStdString();
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(u'|').toStdString();
    EXPECT_EQ(built, 1);
  }

  // Every upgrade field and index the start-up is responsible for is there now.
  const QStringList laterByOthers = {s(u"MitgliedsNr"), s(u"Eintritt"), s(u"Gekuendigt"), s(u"Austritt"),
                                     s(u"Abonnent")};
  for (const CatalogueTable& t : store::catalogue()) {
    if (t.origin == CatalogueTable::Origin::WorkTable) continue;
    SCOPED_TRACE(t.fileName.toStdString());
    ASSERT_TRUE(engine.tableExists(t.fileName));
    const TableDef stored = engine.tableDef(t.fileName);
    for (const auto& f : t.def.fields) {
      if (laterByOthers.contains(f.name)) continue;
      const auto* got = stored.field(f.name);
      ASSERT_NE(got, nullptr) << f.name.toStdString();
      EXPECT_EQ(got->type, f.type) << f.name.toStdString();
    }
    for (const auto& i : t.def.indexes) {
      if (i.primary || i.name == u"Name") continue;  // the status index belongs to the animal search
      EXPECT_TRUE(hasIndexOn(stored.indexes, i.fieldNames().join(u';'))) << i.name.toStdString();
    }
  }

  const auto before = snapshot();
  {
    TestCursors cursors(engine);
    const UpgradeResult r = start(cursors, &built);
    EXPECT_TRUE(r.closedCursors.isEmpty());
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(built, 2);
  }
  EXPECT_EQ(snapshot(), before);
}

TEST_F(SchemaUpgrade, TablesTheProgramCreatesAreCreatedOnceWithTheirIndexes) {
  installOlder();
  {
    TestCursors cursors(engine);
    start(cursors);
    Cursor& impfung = cursors[s(u"Impfung")];
    ASSERT_TRUE(impfung.isOpen());
    EXPECT_EQ(impfung.recordCount(), 0);
    impfung.append();
    impfung.field(QStringLiteral("Impfung")).setString(QStringLiteral("RHD"));
    impfung.post();
  }
  for (const QString& file : {s(u"Impfung.db"), s(u"Angora.db"), s(u"Gewichtstabelle.DB")}) {
    SCOPED_TRACE(file.toStdString());
    EXPECT_EQ(describe(engine.tableDef(file)), describe(currentLayout(*findTable(file))));
  }
  const auto before = snapshot();
  TestCursors cursors(engine);
  start(cursors);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(column(s(u"Impfung"), s(u"Impfung")), QVariantList{s(u"RHD")});
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

// ---------------------------------------------------------------- open with repair

TEST_F(SchemaUpgrade, RepairRunsOnlyTheChecksOfMissingFields) {
  installOlder();
  TableDef ausstellung = olderLayout(*findTable(s(u"Ausstellung")));
  ausstellung.fields.push_back({s(u"BewertJungtier"), FieldType::Alpha, 3, false});
  recreate(s(u"Ausstellung.db"), ausstellung);

  Cursor c(engine);
  c.setTableName(s(u"Ausstellung.db"));
  c.setExpectedFields(fieldNames(currentLayout(*findTable(s(u"Ausstellung")))));
  // The first check's statement would leave a visible trace if it ran.
  ASSERT_TRUE(openWithRepair(engine, c,
                             {{s(u"BewertJungtier"), s(u"ALTER TABLE \"Ausstellung.db\" ADD Spur CHAR(3)")},
                              {s(u"EigeneBewertung"), s(u"ALTER TABLE \"Ausstellung.db\" ADD EigeneBewertung FLOAT")}},
                             s(u"Ausstellung")));
  const TableDef stored = engine.tableDef(s(u"Ausstellung.db"));
  EXPECT_EQ(stored.field(s(u"Spur")), nullptr);
  ASSERT_NE(stored.field(s(u"EigeneBewertung")), nullptr);
  EXPECT_EQ(stored.field(s(u"EigeneBewertung"))->type, FieldType::Number);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(SchemaUpgrade, FailedOpeningsReportMessage11OnceAndStartUpGoesOn) {
  installOlder({s(u"Status.db"), s(u"Koernote.db")});
  // Koernote lacks a field no check adds; a damaged wool table cannot be read at all.
  TableDef koernote = olderLayout(*findTable(s(u"Koernote")));
  std::erase_if(koernote.fields, [](const auto& f) { return f.name == u"Druck"; });
  engine.createTable(s(u"Koernote.db"), koernote);
  QFile angora(dir.file(s(u"Angora.db")));
  ASSERT_TRUE(angora.open(QIODevice::WriteOnly));
  angora.write(QByteArray(4096, 'x'));
  angora.close();

  TestCursors cursors(engine);
  const UpgradeResult r = start(cursors);
  EXPECT_FALSE(r.endProgram);
  // Each failing table is named once, however many cursors use it.
  const QStringList expected = {kMessage11 + s(u" Status"), kMessage11 + s(u" Angora"), kMessage11 + s(u" Koernote")};
  EXPECT_EQ(dialogs.texts(), expected);
  for (const auto& shown : dialogs.shown()) EXPECT_EQ(shown.kind, DialogKind::Error);
  EXPECT_EQ(r.closedCursors, (QStringList{s(u"MainStatus"), s(u"Status"), s(u"Angora"), s(u"AngoraEltern"),
                                          s(u"Koernote")}));
  // Koernote received the checked fields although it still does not open.
  EXPECT_NE(engine.tableDef(s(u"Koernote.db")).field(s(u"Wollwert")), nullptr);
  EXPECT_TRUE(cursors[s(u"Bilder")].isOpen());
  EXPECT_TRUE(cursors[mainCursor::Hasen.toString()].isOpen());
}

// ---------------------------------------------------------------- own user data

TEST_F(SchemaUpgrade, OwnUserDataDecidesWhetherTheProgramGoesOn) {
  installOlder();
  const CatalogueTable& eigen = *findTable(s(u"eigen.DB"));
  {
    SCOPED_TRACE("older layout: repaired");
    TestCursors cursors(engine);
    EXPECT_FALSE(upgradeMainWindowTables(engine, cursors).endProgram);
    EXPECT_TRUE(cursors[mainCursor::Eigen.toString()].isOpen());
    EXPECT_NE(engine.tableDef(s(u"eigen.DB")).field(s(u"Vereinsart")), nullptr);
  }
  {
    SCOPED_TRACE("Kreisverband present, Vereinsart missing: message 8");
    TableDef def = currentLayout(eigen);
    def.fields.pop_back();
    recreate(s(u"eigen.DB"), def);
    TestCursors cursors(engine);
    const UpgradeResult r = upgradeMainWindowTables(engine, cursors);
    EXPECT_TRUE(r.endProgram);
    EXPECT_EQ(dialogs.texts(), QStringList{kMessage8});
    EXPECT_FALSE(cursors[mainCursor::Hasen.toString()].isOpen());
  }
  for (const bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged: message 6" : "missing: message 6");
    dialogs.clear();
    engine.deleteTable(s(u"eigen.DB"));
    if (damaged) {
      QFile f(dir.file(s(u"eigen.DB")));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("kein Tabellenformat");
    }
    TestCursors cursors(engine);
    const UpgradeResult r = upgradeMainWindowTables(engine, cursors);
    EXPECT_TRUE(r.endProgram);
    EXPECT_EQ(dialogs.texts(), QStringList{kMessage6});
    EXPECT_EQ(dialogs.shown().front().kind, DialogKind::Error);
    EXPECT_TRUE(r.closedCursors.contains(mainCursor::Eigen.toString()));
    if (!damaged) recreate(s(u"eigen.DB"), currentLayout(eigen));
  }
}

// ---------------------------------------------------------------- hutch numbers

struct HutchNumbers : SchemaUpgrade {
  // Animals with the given hutch numbers (NULL for an invalid QVariant) and Info memos.
  void animals(const TableDef& layout, const std::vector<std::pair<QVariant, QString>>& rows) {
    recreate(s(u"Hasen.db"), layout);
    Cursor c(engine);
    c.setTableName(s(u"Hasen.db"));
    c.open();
    for (const auto& [stall, info] : rows) {
      c.append();
      c.field(s(u"Geschlecht")).setString(s(u"1"));
      c.field(s(u"Stallnummer")).setValue(stall);
      c.field(s(u"Info")).setString(info);
      c.post();
    }
  }
};

TEST_F(HutchNumbers, TextHutchNumbersAreConvertedWithoutLoss) {
  installOlder();
  animals(olderLayout(*findTable(s(u"Hasen"))), {{s(u"12"), {}},
                                                  {s(u"7a"), s(u"ruhiges Tier")},
                                                  {s(u""), {}},
                                                  {QVariant(), {}},
                                                  {s(u" 5 "), {}},
                                                  {s(u"Box 3"), {}}});
  TestCursors cursors(engine);
  EXPECT_FALSE(upgradeMainWindowTables(engine, cursors).endProgram);
  EXPECT_TRUE(dialogs.texts().isEmpty());
  ASSERT_TRUE(cursors[mainCursor::Hasen.toString()].isOpen());

  const TableDef stored = engine.tableDef(s(u"Hasen.db"));
  EXPECT_EQ(stored.field(s(u"Stallnummer"))->type, FieldType::Long);
  EXPECT_NE(stored.index(s(u"StallnummerTato")), nullptr);
  EXPECT_EQ(column(s(u"Hasen"), s(u"Stallnummer")),
            (QVariantList{12LL, QVariant(), QVariant(), QVariant(), 5LL, QVariant()}));
  EXPECT_EQ(column(s(u"Hasen"), s(u"Info")),
            (QVariantList{QVariant(), s(u"ruhiges Tier\nStallnummer: 7a"), QVariant(), QVariant(), QVariant(),
                          s(u"Stallnummer: Box 3")}));

  // A second start finds a numeric field and changes nothing.
  cursors[mainCursor::Hasen.toString()].close();
  const auto before = snapshot();
  const QVariantList infos = column(s(u"Hasen"), s(u"Info"));
  TestCursors again(engine);
  upgradeMainWindowTables(engine, again);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(column(s(u"Hasen"), s(u"Info")), infos);
}

TEST_F(HutchNumbers, NumericHutchNumbersStayAndAMissingFieldIsAdded) {
  installOlder();
  TableDef current = currentLayout(*findTable(s(u"Hasen")));
  animals(current, {{7LL, {}}, {QVariant(), {}}});
  TestCursors cursors(engine);
  upgradeMainWindowTables(engine, cursors);
  EXPECT_EQ(column(s(u"Hasen"), s(u"Stallnummer")), (QVariantList{7LL, QVariant()}));

  cursors[mainCursor::Hasen.toString()].close();
  TableDef without = current;
  std::erase_if(without.fields, [](const auto& f) { return f.name == u"Stallnummer"; });
  std::erase_if(without.indexes, [](const auto& i) { return i.name == u"StallnummerTato"; });
  recreate(s(u"Hasen.db"), without);
  TestCursors again(engine);
  upgradeMainWindowTables(engine, again);
  EXPECT_TRUE(again[mainCursor::Hasen.toString()].isOpen());
  EXPECT_EQ(engine.tableDef(s(u"Hasen.db")).field(s(u"Stallnummer"))->type, FieldType::Long);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(HutchNumbers, AFailedConversionLeavesTheTableAsItWas) {
  installOlder();
  // A unique index that the converted numbers would violate ("12" and "012" are both 12).
  TableDef older = olderLayout(*findTable(s(u"Hasen")));
  older.indexes.push_back(engine::IndexDef::fromList(s(u"StallEindeutig"), s(u"Stallnummer"), false, false, true));
  animals(older, {{s(u"12"), {}}, {s(u"012"), {}}, {s(u"x"), {}}});
  const QStringList before = describe(engine.tableDef(s(u"Hasen.db")));

  TestCursors cursors(engine);
  EXPECT_FALSE(upgradeMainWindowTables(engine, cursors).endProgram);
  EXPECT_EQ(dialogs.texts(), QStringList{kMessage11 + s(u" Hasen")});
  EXPECT_FALSE(cursors[mainCursor::Hasen.toString()].isOpen());
  EXPECT_EQ(describe(engine.tableDef(s(u"Hasen.db"))), before);
  EXPECT_EQ(column(s(u"Hasen"), s(u"Stallnummer")), (QVariantList{s(u"12"), s(u"012"), s(u"x")}));
  EXPECT_EQ(column(s(u"Hasen"), s(u"Info")), (QVariantList{QVariant(), QVariant(), QVariant()}));
}

// ---------------------------------------------------------------- ensure index

TEST_F(SchemaUpgrade, ListIndexesUnderOtherNamesAreAccepted) {
  installOlder();
  TableDef hasen = currentLayout(*findTable(s(u"Hasen")));
  const QStringList listIndexes = {s(u"RasseFarbeTato"), s(u"TatoReGebTatoLi"), s(u"StatusTatoReGebTatoLi"),
                                   s(u"idxMutterGebGeschlTato"), s(u"StatusNameRasse")};
  for (auto& i : hasen.indexes)
    if (listIndexes.contains(i.name)) i.name = s(u"Alt") + i.name.toLower();
  recreate(s(u"Hasen.db"), hasen);

  TestCursors cursors(engine);
  upgradeMainWindowTables(engine, cursors);
  const TableDef stored = engine.tableDef(s(u"Hasen.db"));
  for (const QString& name : listIndexes) EXPECT_EQ(stored.index(name), nullptr) << name.toStdString();
  EXPECT_EQ(stored.indexes.size(), hasen.indexes.size());
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(SchemaUpgrade, EnsureIndexKeepsTheCursorOnItsRecord) {
  installOlder();
  Cursor c(engine);
  c.setTableName(s(u"Wurfbuch.DB"));
  c.open();
  for (int i = 1; i <= 3; ++i) {
    c.append();
    c.field(s(u"Katze")).setInteger(i);
    c.post();
  }
  c.first();
  c.next();
  const qlonglong current = c.field(s(u"Katze")).asInteger();

  EXPECT_EQ(ensureIndex(engine, c, s(u"KatzeKaterWurftag"), s(u"katze; kater ;WURFTAG"), s(u"Wurfbuch")),
            EnsureResult::Added);
  EXPECT_TRUE(c.isOpen());
  EXPECT_EQ(c.field(s(u"Katze")).asInteger(), current);
  c.next();
  EXPECT_EQ(c.field(s(u"Katze")).asInteger(), current + 1);
  EXPECT_NE(engine.tableDef(s(u"Wurfbuch.DB")).index(s(u"KatzeKaterWurftag")), nullptr);
  EXPECT_EQ(ensureIndex(engine, c, s(u"KatzeKaterWurftag"), s(u"Katze;Kater;Wurftag"), s(u"Wurfbuch")),
            EnsureResult::Present);
  EXPECT_TRUE(dialogs.texts().isEmpty());
}

}  // namespace

namespace {

bool germanName(engine::Engine& engine, const QString& table, const QString& index, const QString& field) {
  const engine::TableDef tableDef = engine.tableDef(table);  // index() points into it
  const engine::IndexDef* def = tableDef.index(index);
  if (!def) return false;
  for (const auto& f : def->fields)
    if (engine::sameName(f.name, field)) return f.german;
  return false;
}

}  // namespace

// Older data order names by bytes; the start rebuilds those indexes in German order once.
TEST_F(SchemaUpgrade, NameIndexesOfOlderDataBecomeGerman) {
  installOlder();
  recreate(s(u"Hasen.db"), currentLayout(*findTable(s(u"Hasen.db"))));
  engine.deleteIndex(s(u"Hasen.db"), s(u"StatusNameRasse"));
  engine.addIndex(s(u"Hasen.db"), engine::IndexDef::fromList(s(u"StatusNameRasse"), s(u"Status;IDCode;Rasse")));
  ASSERT_FALSE(germanName(engine, s(u"Adresse.db"), s(u"AdrName"), s(u"Name")));
  ASSERT_FALSE(germanName(engine, s(u"Hasen.db"), s(u"StatusNameRasse"), s(u"IDCode")));
  {
    TestCursors cursors(engine);
    start(cursors);
  }
  EXPECT_TRUE(germanName(engine, s(u"Adresse.db"), s(u"AdrName"), s(u"Name")));
  EXPECT_TRUE(germanName(engine, s(u"Adresse.db"), s(u"AdrName"), s(u"Vorname")));
  EXPECT_TRUE(germanName(engine, s(u"Adresse.db"), s(u"AdrStatusName"), s(u"Name")));
  EXPECT_FALSE(germanName(engine, s(u"Adresse.db"), s(u"AdrStatusName"), s(u"Status")));
  EXPECT_TRUE(germanName(engine, s(u"Hasen.db"), s(u"StatusNameRasse"), s(u"IDCode")));
}

// A lookup table that cannot be read is named itself, not the table that looks it up.
TEST_F(SchemaUpgrade, AnOpenFailureNamesTheTableThatFailed) {
  installOlder();
  QFile::remove(dir.file(s(u"Rasse.db")));
  QFile empty(dir.file(s(u"Rasse.db")));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  test::addRow(engine, s(u"Hasen.db"), {{s(u"TatoRechts"), s(u"A1")}, {s(u"Geschlecht"), s(u"1")}, {s(u"Rasse"), 1}});
  TestCursors cursors(engine);
  const OpenFailureNaming naming;
  upgradeMainWindowTables(engine, cursors);
  upgradeDataModuleTables(engine, cursors, {});
  EXPECT_EQ(dialogs.texts(), QStringList{kMessage11 + s(u" Rasse")}) << dialogs.texts().join(u'|').toStdString();
  EXPECT_TRUE(cursors[mainCursor::Hasen.toString()].isOpen());
}

// A damaged table is named once with what to do; later failures of it stay silent.
TEST_F(SchemaUpgrade, ADamagedTableIsNamedOnceWithTheWayOut) {
  forgetReportedDamage();
  const engine::EngineError damaged(engine::EngineError::Kind::TableDamaged, engine::damagedTableMessage(s(u"Hasen.db")),
                                    s(u"Hasen.db"));
  showEngineError(damaged);
  showEngineError(damaged);
  EXPECT_FALSE(guarded([&] { throw damaged; }));
  ASSERT_EQ(dialogs.texts().size(), 1);
  EXPECT_TRUE(dialogs.texts()[0].contains(s(u"Hasen.db")));
  EXPECT_TRUE(dialogs.texts()[0].contains(s(u"Indexrekonstruktion")));
  showEngineError(engine::EngineError(engine::EngineError::Kind::General, s(u"anders")));
  EXPECT_EQ(dialogs.texts().size(), 2);
  forgetReportedDamage();
}

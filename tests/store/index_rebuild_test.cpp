// Rebuilding the indexes of table groups on real table files.
#include "store/index_rebuild.h"

#include "engine/cursor.h"
#include "store/catalogue.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

// Readable failure output for Qt strings.
static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace lapiro;
using namespace lapiro::store;
using engine::Cursor;
using engine::IndexDef;

namespace {

QString s(const char16_t* text) { return QString::fromUtf16(text); }

const QString kMessage35 = s(u"Die Indizes wurden neu aufgebaut.");

QStringList describeIndexes(const std::vector<IndexDef>& indexes) {
  QStringList out;
  for (const auto& i : indexes) {
    QStringList fields;
    for (const auto& f : i.fields) fields << f.name + (f.descending ? s(u" desc") : QString());
    out << QStringLiteral("%1%2 (%3)").arg(i.name, i.unique ? s(u" unique") : QString(), fields.join(u';'));
  }
  return out;
}

// Closes and reopens cursors by name, as the window and the data module do, and records it.
struct Owners : GroupCursors {
  MessageCatalogue* catalogue = nullptr;
  std::map<QString, Cursor*> cursors;
  std::vector<QStringList> closed;
  std::vector<QStringList> reopened;
  bool refuseClose = false;
  std::function<void()> onRedraw;
  std::vector<std::pair<int, int>> steps;

  bool close(const QStringList& names) override {
    closed.push_back(names);
    if (refuseClose) return false;
    for (const QString& n : names) {
      if (n == mainCursor::Sprmel) catalogue->close();
      if (cursors.count(n)) cursors[n]->close();
    }
    return true;
  }
  void reopen(const QStringList& names) override {
    reopened.push_back(names);
    for (const QString& n : names) {
      if (n == mainCursor::Sprmel) catalogue->open();
      if (cursors.count(n)) cursors[n]->open();
    }
  }
  void redraw() override {
    if (onRedraw) onRedraw();
  }
  void progress(int done, int total) override { steps.emplace_back(done, total); }
};

struct IndexRebuild : ::testing::Test {
  test::TempDir dir;
  engine::Engine engine;
  test::ScriptedDialogs dialogs;
  std::unique_ptr<MessageCatalogue> catalogue;
  Owners owners;

  void SetUp() override {
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    for (const CatalogueTable& t : store::catalogue())
      if (t.origin == CatalogueTable::Origin::Installer) engine.createTable(t.fileName, currentLayout(t));
    Cursor c(engine);
    c.setTableName(s(u"Sprmel.db"));
    c.open();
    c.append();
    c.field(s(u"Nummer")).setInteger(35);
    c.field(s(u"Meldung")).setString(kMessage35);
    c.post();
    c.close();
    catalogue = std::make_unique<MessageCatalogue>(engine);
    catalogue->open();
    setMessageCatalogue(catalogue.get());
    owners.catalogue = catalogue.get();
  }
  void TearDown() override { setMessageCatalogue(nullptr); }

  QStringList stored(const QString& table) { return describeIndexes(engine.indexes(table)); }
  QStringList wanted(const QString& table) { return describeIndexes(currentLayout(*findTable(table)).indexes); }
};

TEST_F(IndexRebuild, OnlyTheMessageGroupRebuildsTheMessageTableAndReopensTheCatalogue) {
  engine.addIndex(s(u"Sprmel.db"), IndexDef::fromList(s(u"Fremd"), s(u"Meldung")));
  engine.addIndex(s(u"Hasen.db"), IndexDef::fromList(s(u"Fremd"), s(u"Info")));
  bool closedDuringRun = false;
  owners.onRedraw = [&] { closedDuringRun = !catalogue->isOpen() && !engine.isOpen(s(u"Sprmel.db")); };

  const IndexRebuildResult r = rebuildIndexes(engine, {IndexGroup::Meldung}, owners);
  EXPECT_TRUE(r.completed);
  EXPECT_TRUE(closedDuringRun);
  EXPECT_EQ(owners.closed, std::vector<QStringList>{{mainCursor::Sprmel.toString()}});
  EXPECT_EQ(owners.reopened, owners.closed);
  EXPECT_TRUE(catalogue->isOpen());
  EXPECT_EQ(stored(s(u"Sprmel.db")), wanted(s(u"Sprmel.db")));
  EXPECT_NE(engine.tableDef(s(u"Hasen.db")).index(s(u"Fremd")), nullptr);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Information);
  EXPECT_EQ(dialogs.shown()[0].text, kMessage35);
}

TEST_F(IndexRebuild, NothingTickedShowsTheEndMessageAtOnce) {
  const IndexRebuildResult r = rebuildIndexes(engine, {}, owners);
  EXPECT_TRUE(r.completed);
  EXPECT_TRUE(owners.closed.empty());
  EXPECT_EQ(dialogs.texts(), QStringList{kMessage35});
}

TEST_F(IndexRebuild, EveryGroupRebuildsFromTheCatalogueInTheFixedOrder) {
  // Existing indexes, a foreign one and a wrong definition under a catalogue name.
  engine.addIndex(s(u"Hasen.db"), IndexDef::fromList(s(u"Fremd"), s(u"Info")));
  engine.deleteIndex(s(u"Farbe.db"), s(u"RasseFarbe"));
  engine.addIndex(s(u"Farbe.db"), IndexDef::fromList(s(u"RasseFarbe"), s(u"Code")));
  // Cursors of the animal group stay with their owner; a breed cursor outside the group is open.
  Cursor hasen(engine, s(u"Hasen"));
  hasen.setTableName(s(u"Hasen.db"));
  hasen.open();
  owners.cursors[s(u"Hasen")] = &hasen;
  Cursor stbRasse(engine, s(u"StbRasse"));
  stbRasse.setTableName(s(u"Rasse.db"));
  stbRasse.open();

  std::vector<IndexGroup> all;
  for (auto it = indexGroups().rbegin(); it != indexGroups().rend(); ++it) all.push_back(it->group);
  const IndexRebuildResult r = rebuildIndexes(engine, all, owners);

  EXPECT_TRUE(r.completed);
  EXPECT_EQ(dialogs.texts(), QStringList{kMessage35});
  ASSERT_EQ(owners.closed.size(), 11u);
  EXPECT_EQ(owners.closed.front(), indexGroup(IndexGroup::Kaninchen).cursors);
  EXPECT_TRUE(owners.closed.front().contains(mainCursor::Hasen.toString()));
  EXPECT_EQ(owners.closed.back(), QStringList{s(u"Ausstellungstitel")});
  EXPECT_TRUE(hasen.isOpen());
  EXPECT_TRUE(stbRasse.isOpen());
  for (const IndexGroupDef& g : indexGroups())
    for (const QString& table : g.tables) {
      SCOPED_TRACE(table.toStdString());
      if (findTable(table)->origin == CatalogueTable::Origin::CreatedByProgram) {
        EXPECT_FALSE(engine.tableExists(table)) << "a table never created is skipped";
        continue;
      }
      EXPECT_EQ(stored(table), wanted(table));
    }
}

TEST_F(IndexRebuild, CatalogueIndexOptionsAreKept) {
  const QString table = s(u"Vorfahrenliste.DB");
  engine.createTable(table, currentLayout(*findTable(table)));
  engine.deleteIndex(table, s(u"IndexAnzahl"));
  engine.addIndex(table, IndexDef::fromList(s(u"IndexAnzahl"), s(u"Anzahl;Name;Nummer")));
  rebuildTableIndexes(engine, table);
  const engine::TableDef def = engine.tableDef(table);  // the index points into it
  const IndexDef* anzahl = def.index(s(u"IndexAnzahl"));
  ASSERT_NE(anzahl, nullptr);
  EXPECT_TRUE(anzahl->unique);
  EXPECT_TRUE(anzahl->fields.front().descending);
}

TEST_F(IndexRebuild, ATableHeldElsewhereEndsTheRunWithTheEnginesMessage) {
  Cursor hasen(engine, s(u"Hasen"));
  hasen.setTableName(s(u"Hasen.db"));
  hasen.open();
  owners.cursors[s(u"Hasen")] = &hasen;
  const QStringList before = stored(s(u"Hasen.db"));

  int ready[2];
  int quit[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(quit), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    engine::Engine other;
    other.setAlias(QStringLiteral("Hase"), dir.path());
    Cursor c(other);
    c.setTableName(s(u"Hasen.db"));
    c.open();
    char b = 1;
    (void)!write(ready[1], &b, 1);
    (void)!read(quit[0], &b, 1);
    _exit(0);
  }
  char b = 0;
  ASSERT_EQ(read(ready[0], &b, 1), 1);
  const IndexRebuildResult r = rebuildIndexes(engine, {IndexGroup::Meldung, IndexGroup::Kaninchen}, owners);
  (void)!write(quit[1], &b, 1);
  int status = 0;
  waitpid(pid, &status, 0);

  EXPECT_FALSE(r.completed);
  EXPECT_EQ(r.failedGroup, IndexGroup::Kaninchen);
  EXPECT_EQ(dialogs.texts(), QStringList{s(u"Die Tabelle Hasen.db ist in Gebrauch und kann nicht exklusiv geöffnet werden.")});
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Error);
  EXPECT_EQ(owners.closed.size(), 1u) << "the run ends before the message group";
  EXPECT_EQ(owners.reopened, owners.closed) << "the program goes on with every cursor open";
  EXPECT_TRUE(hasen.isOpen());
  EXPECT_EQ(stored(s(u"Hasen.db")), before);
}

// Cursors and lookups the owners do not know hold the group's tables too: the rebuild lets go
// of them and gives each back on the record it stood on, also when the rebuild fails.
TEST_F(IndexRebuild, EveryOtherCursorAndLookupOnTheTablesIsReleasedAndRestored) {
  for (int i = 1; i <= 3; ++i) {
    Cursor a(engine);
    a.setTableName(s(u"Adresse.db"));
    a.open();
    a.append();
    a.field(s(u"Name")).setString(QStringLiteral("Name%1").arg(i));
    a.post();
  }
  // A window's cursor on the address table, standing on the second address.
  Cursor window(engine, s(u"FensterAdressen"));
  window.setTableName(s(u"Adresse.db"));
  window.open();
  window.next();
  const QVariant second = window.field(s(u"LaufendeNr")).value();
  // The animals look up their breeder's name in the address table.
  Cursor animals(engine, s(u"Tiere"));
  animals.setTableName(s(u"Hasen.db"));
  animals.addLookupField(s(u"ZuechterName"), engine::FieldType::Alpha, 30, s(u"Zuechter"), s(u"Adresse.db"),
                         s(u"LaufendeNr"), s(u"Name"));
  animals.open();
  animals.append();
  animals.field(s(u"Geschlecht")).setString(s(u"1"));
  animals.field(s(u"Zuechter")).setValue(second);
  animals.post();
  ASSERT_EQ(animals.field(s(u"ZuechterName")).asString(), s(u"Name2"));
  owners.onRedraw = [&] {
    EXPECT_FALSE(window.isOpen());
    EXPECT_TRUE(engine.cursorsOn(s(u"Adresse.db")).empty());
  };

  const IndexRebuildResult r = rebuildIndexes(engine, {IndexGroup::Adressenverwaltung}, owners);
  EXPECT_TRUE(r.completed) << r.error.toStdString();
  EXPECT_EQ(dialogs.texts(), QStringList{kMessage35});
  EXPECT_EQ(stored(s(u"adresse.db")), wanted(s(u"adresse.db")));
  ASSERT_TRUE(window.isOpen());
  EXPECT_EQ(window.field(s(u"LaufendeNr")).value(), second);
  animals.refresh();
  EXPECT_EQ(animals.field(s(u"ZuechterName")).asString(), s(u"Name2"));

  // A failing rebuild (an index the stored table cannot have) gives everything back as well.
  window.close();
  animals.close();
  engine.dropField(s(u"Adresse.db"), s(u"Status"));
  window.open();
  window.next();
  animals.open();
  dialogs.clear();
  const IndexRebuildResult failed = rebuildIndexes(engine, {IndexGroup::Adressenverwaltung}, owners);
  EXPECT_FALSE(failed.completed);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Error);
  ASSERT_TRUE(window.isOpen());
  EXPECT_EQ(window.field(s(u"LaufendeNr")).value(), second);
  EXPECT_NE(engine.tableDef(s(u"Adresse.db")).index(s(u"AdrName")), nullptr) << "the table keeps its indexes";
}

TEST_F(IndexRebuild, ProgressCountsEveryIndexOfTheTickedGroups) {
  const IndexRebuildResult r = rebuildIndexes(engine, {IndexGroup::Kaninchen, IndexGroup::Farbe}, owners);
  ASSERT_TRUE(r.completed);
  ASSERT_GE(owners.steps.size(), 2u);
  const int total = owners.steps.front().second;
  // Farbe: two secondary indexes; the animal group: Hasen's 20 and one or more per table.
  EXPECT_GT(total, 22);
  EXPECT_EQ(owners.steps.front().first, 0);
  EXPECT_EQ(owners.steps.back(), std::make_pair(total, total));
  for (std::size_t i = 1; i < owners.steps.size(); ++i) EXPECT_EQ(owners.steps[i].first, owners.steps[i - 1].first + 1);
}

TEST_F(IndexRebuild, ACursorThatCannotBeClosedEndsTheRunSilently) {
  owners.refuseClose = true;
  const IndexRebuildResult r = rebuildIndexes(engine, {IndexGroup::Farbe, IndexGroup::Meldung}, owners);
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(r.failedGroup, IndexGroup::Farbe);
  EXPECT_TRUE(r.error.isEmpty());
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_EQ(owners.closed.size(), 1u);
}

}  // namespace

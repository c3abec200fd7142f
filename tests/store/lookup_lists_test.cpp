// The rules of the breed, colour and status lists on real tables with scripted answers.
#include "store/lookup_lists.h"

#include <gtest/gtest.h>

#include "shell/system_info.h"
#include "store/catalogue.h"
#include "store/data_module.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/table_rows.h"

namespace lapiro::store {
namespace {

using engine::Cursor;
using test::ScriptedDialogs;

QString msg(int n) {
  return QStringLiteral("Meldung %1").arg(n);
}

class LookupLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.valid());
    engine.setAlias(QStringLiteral("Hase"), dir.path());
    for (const CatalogueTable& t : catalogue())
      if (t.origin == CatalogueTable::Origin::Installer) engine.createTable(t.fileName, currentLayout(t));
    for (int n : {11, 28, 29})
      add(QStringLiteral("Sprmel.db"), {{QStringLiteral("Nummer"), n}, {QStringLiteral("Meldung"), msg(n)}});
    messages = std::make_unique<MessageCatalogue>(engine);
    messages->open();
    setMessageCatalogue(messages.get());
    settings.System.Speichern = true;
    zwerg = breed(QStringLiteral("Zwergwidder"), QStringLiteral("ZwW"));
    angora = breed(QStringLiteral("Angora"), QStringLiteral("A"));
    colour(zwerg, QStringLiteral("weiß"));
    colour(zwerg, QStringLiteral("blau"));
    for (const char16_t* s : {u"Eigener Bestand", u"Neuaufnahme", u"Verkauft", u"Geschlachtet"})
      add(QStringLiteral("Status.db"), {{QStringLiteral("Name"), QString::fromUtf16(s)}});
  }

  void TearDown() override { setMessageCatalogue(nullptr); }

  qint64 add(const QString& table, const QVariantMap& values) {
    return test::addRow(engine, table, values);
  }
  qint64 breed(const QString& name, const QString& code) {
    return add(QStringLiteral("Rasse.db"), {{QStringLiteral("Name"), name}, {QStringLiteral("Code"), code}});
  }
  qint64 colour(qint64 rasse, const QString& name) {
    return add(QStringLiteral("Farbe.db"),
               {{QStringLiteral("Rasse"), rasse}, {QStringLiteral("Name"), name}});
  }
  QStringList names(const QString& table, const QString& index = {}) {
    Cursor c(engine, QStringLiteral("Lesen"));
    c.setTableName(table);
    c.open();
    if (!index.isEmpty()) c.setIndexName(index);
    QStringList out;
    for (c.first(); !c.eof(); c.next()) out << c.field(QStringLiteral("Name")).asString();
    return out;
  }
  QStringList shownNames(engine::DataSet& ds) {
    QStringList out;
    const int idx = ds.fieldIndex(QStringLiteral("Name"));
    for (const auto& row : ds.readRows(0, static_cast<int>(ds.recordCount()))) out << row[idx].toString();
    return out;
  }

  test::TempDir dir;
  engine::Engine engine;
  shell::tsysteminfo settings;
  std::unique_ptr<MessageCatalogue> messages;
  qint64 zwerg = 0;
  qint64 angora = 0;
};

TEST_F(LookupLists, BreedGroupsAreTheFiveFixedValues) {
  EXPECT_EQ(breedGroups(), (QStringList{QStringLiteral("Große Rassen"), QStringLiteral("Mittelgroße Rassen"),
                                        QStringLiteral("Kleine Rassen"), QStringLiteral("Kurzhaarrassen"),
                                        QStringLiteral("Langhaarrassen")}));
}

TEST_F(LookupLists, SaveQuestionNeinDiscardsJaSavesAndNoQuestionWhenSettingSaysSo) {
  ScriptedDialogs dialogs;
  TRassenList list(engine, settings, nullptr);
  list.open();
  EXPECT_EQ(list.records().field(QStringLiteral("Name")).asString(), QStringLiteral("Angora"));

  settings.System.Speichern = false;
  list.records().edit();
  list.records().field(QStringLiteral("Name")).setString(QStringLiteral("Angora Weiß"));
  dialogs.no();
  EXPECT_FALSE(list.save());
  EXPECT_FALSE(list.editing());
  EXPECT_EQ(dialogs.texts(), QStringList{msg(29)});
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Warning);
  EXPECT_EQ(names(QStringLiteral("Rasse.db")),
            (QStringList{QStringLiteral("Zwergwidder"), QStringLiteral("Angora")}));

  list.add();
  list.records().field(QStringLiteral("Name")).setString(QStringLiteral("Deutsche Riesen"));
  dialogs.yes();
  EXPECT_TRUE(list.save());
  EXPECT_FALSE(list.editing());
  EXPECT_TRUE(names(QStringLiteral("Rasse.db")).contains(QStringLiteral("Deutsche Riesen")));

  // A move while editing saves implicitly and asks too; "Nein" stops the move silently.
  list.records().first();
  list.records().edit();
  list.records().field(QStringLiteral("Code")).setString(QStringLiteral("X"));
  dialogs.no();
  EXPECT_THROW(list.records().next(), engine::Abort);
  EXPECT_FALSE(list.editing());

  settings.System.Speichern = true;
  dialogs.clear();
  list.records().edit();
  list.records().field(QStringLiteral("Code")).setString(QStringLiteral("AW"));
  EXPECT_TRUE(list.save());
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_TRUE(dialogs.allAnswersUsed());
  list.close();
}

TEST_F(LookupLists, ClosingSavesWithoutTheQuestionAndReopensTheModulesBreedCursor) {
  ScriptedDialogs dialogs;
  settings.System.Speichern = false;
  TDatenStamm module(engine, settings);
  module.open();
  dialogs.clear();
  TRassenList list(engine, settings, &module);
  list.open();
  list.add();
  list.records().field(QStringLiteral("Name")).setString(QStringLiteral("Rex"));
  list.close();
  EXPECT_TRUE(dialogs.texts().isEmpty());
  EXPECT_TRUE(names(QStringLiteral("Rasse.db")).contains(QStringLiteral("Rex")));
  Cursor& moduleRasse = module.at(QStringLiteral("Rasse"));
  ASSERT_TRUE(moduleRasse.isOpen());
  EXPECT_TRUE(moduleRasse.locate(QStringLiteral("Name"), {QStringLiteral("Rex")}));
}

TEST_F(LookupLists, DeleteAsksMessage28AndOnlyJaDeletes) {
  ScriptedDialogs dialogs;
  TRassenList list(engine, settings, nullptr);
  list.open();  // on "Angora"
  dialogs.no();
  EXPECT_FALSE(list.remove());
  EXPECT_EQ(dialogs.texts(), QStringList{msg(28)});
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Warning);
  EXPECT_EQ(names(QStringLiteral("Rasse.db")).size(), 2);
  dialogs.yes();
  EXPECT_TRUE(list.remove());
  EXPECT_EQ(names(QStringLiteral("Rasse.db")), QStringList{QStringLiteral("Zwergwidder")});
  list.close();
}

TEST_F(LookupLists, ColoursFollowTheChosenBreedAndNewColoursBelongToIt) {
  ScriptedDialogs dialogs;
  TFarbeList list(engine, settings, nullptr);
  list.open();
  EXPECT_EQ(list.breedNames(), (QStringList{QStringLiteral("Angora"), QStringLiteral("Zwergwidder")}));
  // The first breed is chosen and kept in the work table, which stays in edit mode.
  EXPECT_EQ(list.currentBreed(), angora);
  EXPECT_EQ(list.keptBreed(), angora);
  EXPECT_TRUE(list.work().isEditing());
  EXPECT_TRUE(shownNames(list.records()).isEmpty());

  ASSERT_TRUE(list.chooseBreed(zwerg));
  EXPECT_EQ(list.keptBreed(), zwerg);
  // Order RasseFarbe: by name within the breed.
  EXPECT_EQ(shownNames(list.records()), (QStringList{QStringLiteral("blau"), QStringLiteral("weiß")}));

  list.add();
  list.records().field(QStringLiteral("Name")).setString(QStringLiteral("schwarz"));
  EXPECT_TRUE(list.save());
  Cursor check(engine, QStringLiteral("Lesen"));
  check.setTableName(QStringLiteral("Farbe.db"));
  check.open();
  ASSERT_TRUE(check.locate(QStringLiteral("Name"), {QStringLiteral("schwarz")}));
  EXPECT_EQ(check.field(QStringLiteral("Rasse")).asInteger(), zwerg);

  EXPECT_FALSE(list.chooseBreed(9999));
  EXPECT_EQ(list.currentBreed(), zwerg);
  list.close();
  // The work table exists but its chosen breed was never saved.
  EXPECT_TRUE(engine.tableExists(QStringLiteral("TMP.DB")));
  EXPECT_TRUE(names(QStringLiteral("Farbe.db")).contains(QStringLiteral("schwarz")));
  Cursor tmp(engine, QStringLiteral("TMP"));
  tmp.setTableName(QStringLiteral("TMP.DB"));
  tmp.open();
  EXPECT_EQ(tmp.recordCount(), 0);
}

TEST_F(LookupLists, ChangingTheBreedWithAnUnsavedColourAsksAndNeinDiscardsIt) {
  ScriptedDialogs dialogs;
  settings.System.Speichern = false;
  TFarbeList list(engine, settings, nullptr);
  list.open();
  list.add();  // a colour of Angora
  list.records().field(QStringLiteral("Name")).setString(QStringLiteral("grau"));
  dialogs.no();
  ASSERT_TRUE(list.chooseBreed(zwerg));
  EXPECT_EQ(dialogs.texts(), QStringList{msg(29)});
  EXPECT_FALSE(names(QStringLiteral("Farbe.db")).contains(QStringLiteral("grau")));
  EXPECT_EQ(shownNames(list.records()).size(), 2);
  list.close();
}

TEST_F(LookupLists, TheFirstTwoStatusRecordsCannotBeDeleted) {
  ScriptedDialogs dialogs;
  TStatusList list(engine, settings, nullptr);
  list.open();
  EXPECT_FALSE(list.remove());
  list.records().next();
  EXPECT_FALSE(list.remove());
  EXPECT_EQ(dialogs.texts(), (QStringList{QStringLiteral("Nicht möglich"), QStringLiteral("Nicht möglich")}));
  EXPECT_EQ(dialogs.shown()[0].kind, DialogKind::Information);
  EXPECT_EQ(names(QStringLiteral("Status.db")).size(), 4);

  dialogs.clear();
  list.records().next();  // the third record
  dialogs.no();
  EXPECT_FALSE(list.remove());
  dialogs.yes();
  EXPECT_TRUE(list.remove());
  EXPECT_EQ(dialogs.texts(),
            (QStringList{QStringLiteral("Datensatz löschen?"), QStringLiteral("Datensatz löschen?")}));
  EXPECT_EQ(names(QStringLiteral("Status.db")),
            (QStringList{QStringLiteral("Eigener Bestand"), QStringLiteral("Neuaufnahme"),
                         QStringLiteral("Geschlachtet")}));

  // With the third gone, the fourth is not protected; the first two still are.
  dialogs.clear();
  list.records().first();
  EXPECT_TRUE(list.protectedRecord());
  list.records().last();
  EXPECT_FALSE(list.protectedRecord());
  list.close();
}

}  // namespace
}  // namespace lapiro::store

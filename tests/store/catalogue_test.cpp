#include "store/catalogue.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace lapiro;
using namespace lapiro::store;
using engine::FieldType;

namespace {

QString describe(const CatalogueTable& t) {
  return t.fileName;
}

// Fails with the table's name when an index refers to a field its layout lacks.
void expectIndexFieldsExist(const engine::TableDef& layout, const QString& what) {
  for (const auto& index : layout.indexes)
    for (const auto& f : index.fields)
      EXPECT_NE(layout.field(f.name), nullptr)
          << what.toStdString() << ": index '" << index.name.toStdString() << "' uses missing field '"
          << f.name.toStdString() << "'";
}

}  // namespace

TEST(Catalogue, LayoutsAreWellFormed) {
  QSet<QString> baseNames;
  for (const CatalogueTable& t : catalogue()) {
    const std::string name = describe(t).toStdString();
    SCOPED_TRACE(name);
    EXPECT_TRUE(t.fileName.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive));
    EXPECT_TRUE(engine::sameName(t.fileName, t.def.name + QStringLiteral(".db")));
    EXPECT_FALSE(baseNames.contains(t.def.name.toLower())) << "base name twice";
    baseNames.insert(t.def.name.toLower());
    ASSERT_FALSE(t.def.fields.empty());

    QSet<QString> fieldNames;
    for (const auto& f : t.def.fields) {
      EXPECT_FALSE(fieldNames.contains(f.name.toLower())) << "field twice: " << f.name.toStdString();
      fieldNames.insert(f.name.toLower());
      if (f.type == FieldType::Alpha) {
        EXPECT_GT(f.size, 0) << f.name.toStdString();
      }
    }

    int primaries = 0;
    QSet<QString> indexNames;
    for (std::size_t i = 0; i < t.def.indexes.size(); ++i) {
      const auto& index = t.def.indexes[i];
      ASSERT_FALSE(index.fields.empty());
      if (index.primary) {
        ++primaries;
        EXPECT_EQ(i, 0u) << "primary index not first";
        EXPECT_TRUE(index.name.isEmpty());
      } else {
        EXPECT_FALSE(index.name.isEmpty());
        EXPECT_FALSE(indexNames.contains(index.name.toLower())) << "index twice";
        indexNames.insert(index.name.toLower());
      }
    }
    EXPECT_LE(primaries, 1);
    expectIndexFieldsExist(t.def, t.fileName);
    // An AutoInc field is only ever a table's key.
    for (const auto& f : t.def.fields)
      if (f.type == FieldType::AutoInc) {
        ASSERT_NE(t.def.primary(), nullptr);
        EXPECT_EQ(t.def.primary()->fieldNames(), QStringList{f.name});
      }
  }
  EXPECT_EQ(catalogue().size(), 40u);
}

TEST(Catalogue, OlderLayoutLacksExactlyTheUpgrades) {
  for (const CatalogueTable& t : catalogue()) {
    SCOPED_TRACE(t.fileName.toStdString());
    const engine::TableDef current = currentLayout(t);
    const engine::TableDef older = olderLayout(t);
    EXPECT_EQ(older.name, current.name);

    for (const QString& f : t.upgradeFields) {
      const engine::FieldDef* now = current.field(f);
      ASSERT_NE(now, nullptr) << f.toStdString();
      const engine::FieldDef* before = older.field(f);
      // Either missing before, or held in another type (and then named in olderForms).
      if (before) {
        EXPECT_NE(before->type, now->type) << f.toStdString();
      }
    }
    for (const auto& form : t.olderForms) EXPECT_TRUE(t.isUpgradeField(form.name));
    for (const QString& i : t.upgradeIndexes) {
      EXPECT_NE(current.index(i), nullptr) << i.toStdString();
      EXPECT_EQ(older.index(i), nullptr) << i.toStdString();
    }
    // Everything else is kept, in order.
    EXPECT_EQ(older.fields.size() + t.upgradeFields.size() - t.olderForms.size(), current.fields.size());
    EXPECT_EQ(older.indexes.size() + t.upgradeIndexes.size(), current.indexes.size());
    expectIndexFieldsExist(older, t.fileName + QStringLiteral(" (older)"));
  }
}

TEST(Catalogue, HasenMatchesItsListing) {
  const CatalogueTable* t = findTable(QStringLiteral("Hasen"));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->fileName, QStringLiteral("Hasen.db"));
  EXPECT_EQ(t->origin, CatalogueTable::Origin::Installer);

  struct Expected {
    const char16_t* name;
    FieldType type;
    int size;
  };
  using enum FieldType;
  const Expected fields[] = {
      {u"Nummer", AutoInc, 0},   {u"TatoRechts", Alpha, 8}, {u"TatoLinks", Alpha, 10},
      {u"Geschlecht", Alpha, 1}, {u"Rasse", Long, 0},       {u"Farbe", Long, 0},
      {u"Stallnummer", Long, 0}, {u"Vater", Long, 0},       {u"Mutter", Long, 0},
      {u"Zuechter", Long, 0},    {u"Besitzer", Long, 0},    {u"Status", Short, 0},
      {u"Info", Memo, 1},        {u"Erbformel", Alpha, 40}, {u"Wurfgroesse", Alpha, 10},
      {u"Anomalien", Memo, 1},   {u"IDCode", Alpha, 20},    {u"Körnote", Long, 0},
      {u"Geburtstag", Date, 0},  {u"Druckbild", Short, 0},  {u"Genotyp", Alpha, 80},
  };
  const auto& def = t->def;
  ASSERT_EQ(def.fields.size(), std::size(fields));
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    EXPECT_EQ(def.fields[i].name, QString::fromUtf16(fields[i].name));
    EXPECT_EQ(def.fields[i].type, fields[i].type) << i;
    EXPECT_EQ(def.fields[i].size, fields[i].size) << i;
    EXPECT_EQ(def.fields[i].required, i == 3) << i;  // only Geschlecht
  }

  const std::pair<const char16_t*, const char16_t*> indexes[] = {
      {u"Tato", u"TatoRechts;TatoLinks;Geburtstag"},
      {u"TatoLinksRechts", u"TatoLinks;TatoRechts"},
      {u"RasseTato", u"Rasse;TatoRechts;TatoLinks"},
      {u"StatusTato", u"Status;TatoRechts;TatoLinks"},
      {u"IdxMutter", u"Mutter;TatoLinks;TatoRechts"},
      {u"IdxVater", u"Vater;TatoLinks;TatoRechts"},
      {u"idxMutterGeb", u"Mutter;Geburtstag"},
      {u"RasseFarbeTato", u"Rasse;Farbe;TatoRechts;TatoLinks"},
      {u"idxGebMutterTato", u"Geburtstag;Mutter;TatoLinks"},
      {u"idxRasseMutterGeb", u"Rasse;Mutter;Geburtstag"},
      {u"idxFarbeMutterGeb", u"Farbe;Mutter;Geburtstag"},
      {u"IdxErbformel", u"Erbformel;Nummer"},
      {u"StallnummerTato", u"Stallnummer;TatoRechts;TatoLinks"},
      {u"RasseGebMutterTatoL", u"Rasse;Geburtstag;Mutter;TatoLinks"},
      {u"TatoReGebTatoLi", u"TatoRechts;Geburtstag;TatoLinks"},
      {u"StatusTatoReGebTatoLi", u"Status;TatoRechts;Geburtstag;TatoLinks"},
      {u"idxMutterGebGeschlTato", u"Mutter;Geburtstag;Geschlecht;TatoLinks"},
      {u"VaterGebTatoRL", u"Vater;Geburtstag;TatoRechts;TatoLinks"},
      {u"MutterGebTatoRL", u"Mutter;Geburtstag;TatoRechts;TatoLinks"},
      {u"StatusNameRasse", u"Status;IDCode;Rasse"},
  };
  ASSERT_EQ(def.indexes.size(), std::size(indexes) + 1);
  EXPECT_TRUE(def.indexes[0].primary);
  EXPECT_EQ(def.indexes[0].fieldNames(), QStringList{QStringLiteral("Nummer")});
  for (std::size_t i = 0; i < std::size(indexes); ++i) {
    const auto& index = def.indexes[i + 1];
    EXPECT_EQ(index.name, QString::fromUtf16(indexes[i].first));
    EXPECT_EQ(index.fieldNames().join(u';'), QString::fromUtf16(indexes[i].second));
    EXPECT_FALSE(index.primary || index.unique);
    // Only the animal's name orders the German way (case ignored); every other field by value.
    for (const auto& f : index.fields) {
      EXPECT_FALSE(f.descending);
      EXPECT_EQ(f.german, f.name == u"IDCode");
      EXPECT_EQ(f.caseInsensitive, f.german);
    }
  }

  EXPECT_EQ(t->upgradeFields, (QStringList{QStringLiteral("Stallnummer"), QStringLiteral("Druckbild"),
                                           QStringLiteral("Genotyp")}));
  EXPECT_EQ(t->upgradeIndexes.size(), 8);
}

TEST(Catalogue, OlderHasenKeepsTextualHutchNumber) {
  const engine::TableDef older = olderLayout(*findTable(QStringLiteral("Hasen")));
  ASSERT_EQ(older.fields.size(), 19u);
  EXPECT_EQ(older.fields[6].name, QStringLiteral("Stallnummer"));
  EXPECT_EQ(older.fields[6].type, FieldType::Alpha);
  EXPECT_EQ(older.field(QStringLiteral("Druckbild")), nullptr);
  EXPECT_NE(older.index(QStringLiteral("StallnummerTato")), nullptr);
  EXPECT_EQ(older.indexes.size(), 13u);  // primary + 12 secondary
}

TEST(Catalogue, UpgradesOfOtherTables) {
  auto upgrades = [](const char16_t* table) { return findTable(QString::fromUtf16(table))->upgradeFields; };
  EXPECT_EQ(upgrades(u"VERKAUFT"), QStringList{QStringLiteral("Gestorbenam")});
  EXPECT_EQ(upgrades(u"APOTHEKE"), QStringList{QStringLiteral("WiederholungMonate")});
  EXPECT_EQ(upgrades(u"Ausstellung"),
            (QStringList{QStringLiteral("BewertJungtier"), QStringLiteral("EigeneBewertung")}));
  EXPECT_EQ(upgrades(u"Angora").size(), 3);
  EXPECT_EQ(upgrades(u"Koernote").size(), 4);  // Punkte5, Wollwert and the two wide score texts
  EXPECT_EQ(upgrades(u"eigen").size(), 2);
  EXPECT_EQ(upgrades(u"Adresse").size(), 6);
  EXPECT_EQ(findTable(QStringLiteral("Status"))->upgradeIndexes, QStringList{QStringLiteral("Name")});
  EXPECT_EQ(findTable(QStringLiteral("Wurfbuch"))->upgradeIndexes,
            QStringList{QStringLiteral("KatzeKaterWurftag")});
  // The breed-group index cannot exist before its field does.
  EXPECT_TRUE(findTable(QStringLiteral("Rasse"))->isUpgradeIndex(QStringLiteral("gruppeRASSE")));
}

TEST(Catalogue, FindsTablesWithoutRegardToCaseOrExtension) {
  const CatalogueTable* hasen = findTable(QStringLiteral("Hasen"));
  ASSERT_NE(hasen, nullptr);
  EXPECT_EQ(findTable(QStringLiteral("HASEN.DB")), hasen);
  EXPECT_EQ(findTable(QStringLiteral("hasen.db")), hasen);
  ASSERT_NE(findTable(QStringLiteral("wurfbuch")), nullptr);
  EXPECT_EQ(findTable(QStringLiteral("wurfbuch"))->fileName, QStringLiteral("Wurfbuch.DB"));
  EXPECT_EQ(findTable(QStringLiteral("Verkauft.db"))->def.name, QStringLiteral("VERKAUFT"));
  EXPECT_EQ(findTable(QStringLiteral("eigen"))->fileName, QStringLiteral("eigen.DB"));
  EXPECT_EQ(findTable(QStringLiteral("Bilder.db"))->fileName, QStringLiteral("Bilder.db"));
  EXPECT_EQ(findTable(QStringLiteral("Hasenz"))->def.name, QStringLiteral("Hasenz"));  // not Hasen
  EXPECT_EQ(findTable(QStringLiteral("Hasen.px")), nullptr);
  EXPECT_EQ(findTable(QStringLiteral("Katzen")), nullptr);
  EXPECT_EQ(findTable(QString()), nullptr);
  EXPECT_EQ(findTable(QStringLiteral(".db")), nullptr);
}

TEST(Catalogue, TablesWithoutKeyAndSpecialLayouts) {
  for (const char16_t* name :
       {u"StatusAdressen", u"eigen", u"Meldebogen", u"TMP", u"RasseFarbeTMP", u"Aufkleber", u"tmpImpf"}) {
    const CatalogueTable* t = findTable(QString::fromUtf16(name));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->def.primary(), nullptr);
    EXPECT_TRUE(t->def.indexes.empty());
  }
  const auto& rasse = findTable(QStringLiteral("Rasse"))->def;
  EXPECT_NE(rasse.field(QStringLiteral("Min Gewicht")), nullptr);
  EXPECT_NE(findTable(QStringLiteral("Adresse"))->def.field(QStringLiteral("Straße")), nullptr);
  EXPECT_NE(findTable(QStringLiteral("ZWINGREG"))->def.index(QStringLiteral("IDXZüchter")), nullptr);

  const auto& vorfahren = findTable(QStringLiteral("Vorfahrenliste"))->def;
  const auto* byName = vorfahren.index(QStringLiteral("IndexName"));
  const auto* byCount = vorfahren.index(QStringLiteral("IndexAnzahl"));
  ASSERT_TRUE(byName && byCount);
  EXPECT_TRUE(byName->unique);
  EXPECT_FALSE(byName->fields[0].descending);
  EXPECT_TRUE(byCount->unique);
  for (const auto& f : byCount->fields) EXPECT_TRUE(f.descending);
  EXPECT_TRUE(vorfahren.field(QStringLiteral("Anzahl"))->required);
  EXPECT_FALSE(vorfahren.field(QStringLiteral("Farbe"))->required);

  const auto* memo = findTable(QStringLiteral("Inzuchtgrad"))->def.field(QStringLiteral("Inzucht"));
  EXPECT_EQ(memo->type, FieldType::Memo);
  EXPECT_EQ(memo->size, 1);
}

TEST(Catalogue, Origins) {
  using Origin = CatalogueTable::Origin;
  int created = 0;
  int work = 0;
  for (const CatalogueTable& t : catalogue()) {
    if (t.origin == Origin::CreatedByProgram) ++created;
    if (t.origin == Origin::WorkTable) ++work;
  }
  EXPECT_EQ(created, 4);
  EXPECT_EQ(work, 7);
  for (const char16_t* name : {u"Impfung", u"Angora", u"Gewichtstabelle.DB", u"Zuchtkalender.db"})
    EXPECT_EQ(findTable(QString::fromUtf16(name))->origin, Origin::CreatedByProgram);
  EXPECT_EQ(findTable(QStringLiteral("Inzuchtgrad"))->origin, Origin::WorkTable);
  EXPECT_EQ(findTable(QStringLiteral("Meldebogen"))->origin, Origin::Installer);
}

TEST(Catalogue, IndexForOrder) {
  const auto& hasen = findTable(QStringLiteral("Hasen"))->def;
  EXPECT_EQ(indexForOrder(hasen, QString()), hasen.primary());
  EXPECT_EQ(indexForOrder(hasen, QStringLiteral("tato")), hasen.index(QStringLiteral("Tato")));
  EXPECT_EQ(indexForOrder(hasen, QStringLiteral("Mutter;Geburtstag")),
            hasen.index(QStringLiteral("idxMutterGeb")));
  EXPECT_EQ(indexForOrder(hasen, QStringLiteral("Geburtstag;Vater")), nullptr);
  EXPECT_EQ(indexForOrder(hasen, QStringLiteral("Nummer")), hasen.primary());
  const auto& verkauft = findTable(QStringLiteral("VERKAUFT"))->def;
  EXPECT_EQ(indexForOrder(verkauft, QStringLiteral("Katze")), verkauft.index(QStringLiteral("KatzeIdx")));
  EXPECT_EQ(indexForOrder(findTable(QStringLiteral("TMP"))->def, QString()), nullptr);
}

TEST(DataModuleCursors, RefersToCatalogueTablesIndexesAndFields) {
  const auto& cursors = dataModuleCursors();
  EXPECT_EQ(cursors.size(), 38u);
  QSet<QString> names;
  for (const CursorSpec& c : cursors) {
    SCOPED_TRACE(c.name.toStdString());
    EXPECT_FALSE(names.contains(c.name.toLower())) << "cursor twice";
    names.insert(c.name.toLower());

    const CatalogueTable* table = findTable(c.table);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->fileName, c.table);
    EXPECT_NE(indexForOrder(table->def, c.order), nullptr) << "order " << c.order.toStdString();

    if (c.master.isEmpty()) {
      EXPECT_TRUE(c.masterFields.isEmpty() && c.detailFields.isEmpty());
      continue;
    }
    const CursorSpec* master = findCursor(c.master);
    ASSERT_NE(master, nullptr) << c.master.toStdString();
    const QStringList masterFields = c.masterFields.split(u';');
    const QStringList detailFields = c.detailFields.split(u';');
    EXPECT_EQ(masterFields.size(), detailFields.size());
    for (const QString& f : masterFields)
      EXPECT_NE(findTable(master->table)->def.field(f), nullptr) << f.toStdString();
    for (const QString& f : detailFields) EXPECT_NE(table->def.field(f), nullptr) << f.toStdString();
    // The detail fields lead the order, so the link is served by an index.
    EXPECT_TRUE(indexForOrder(table->def, c.order)->fieldNames().join(u';').startsWith(c.detailFields));
  }
}

TEST(DataModuleCursors, LinksFlagsAndFilter) {
  const CursorSpec* jw = findCursor(QStringLiteral("jungtierewurfbuch"));
  ASSERT_NE(jw, nullptr);
  EXPECT_EQ(jw->master, QStringLiteral("Wurfbuch"));
  EXPECT_EQ(jw->masterFields, QStringLiteral("Katze;Wurftag"));
  EXPECT_EQ(jw->detailFields, QStringLiteral("Mutter;Geburtstag"));

  EXPECT_EQ(findCursor(QStringLiteral("AngoraEltern"))->master, QStringLiteral("Stammbaum"));
  EXPECT_EQ(findCursor(QStringLiteral("Farbe"))->master, QStringLiteral("Rasse"));
  EXPECT_EQ(findCursor(QStringLiteral("BewertungJungtiere"))->filter,
            QStringLiteral("Titel='Körung vom Herdbuch'"));

  QStringList readOnly;
  for (const CursorSpec& c : dataModuleCursors())
    if (c.readOnly) readOnly << c.name;
  EXPECT_EQ(readOnly, (QStringList{QStringLiteral("Vater"), QStringLiteral("Rammler"),
                                   QStringLiteral("Status"), QStringLiteral("Medikament")}));
  EXPECT_EQ(findCursor(QStringLiteral("Unbekannt")), nullptr);
}

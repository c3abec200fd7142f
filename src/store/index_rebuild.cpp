#include "store/index_rebuild.h"

#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"

#include <QFileInfo>

#include <algorithm>

namespace lapiro::store {

using engine::EngineError;

namespace {

std::vector<IndexGroupDef> buildGroups() {
  auto list = [](std::initializer_list<const char16_t*> names) {
    QStringList out;
    for (const char16_t* n : names) out << QString::fromUtf16(n);
    return out;
  };
  auto main = [](QStringView name) { return name.toString(); };

  QStringList animals = list({u"Hasen", u"Verkauft", u"Ausstellung", u"Bilder", u"Jungtiere", u"Wurfbuch",
                              u"JungtiereWurfbuch", u"Insekten", u"Desinfektion", u"MedizienGaben",
                              u"JungtiereBerechnung", u"Gewichtstabelle", u"GewichtstabelleBerechnung", u"Stammbaum",
                              u"Mutter", u"Vater", u"Rammler", u"GedeckteHaesinnen", u"HaesinName",
                              u"RammlerJungtiere", u"Haesinausstellung", u"Koernote", u"BewertungJungtiere",
                              u"StammbaumBewertung", u"Angora", u"AngoraEltern"});
  animals << main(mainCursor::Hasen);

  return {
      {IndexGroup::Kaninchen, QStringLiteral("Kaninchen"), animals,
       list({u"Hasen.db", u"Verkauft.db", u"Ausstellung.db", u"Bilder.db", u"Jungtiere.db", u"Gewichtstabelle.db",
             u"Wurfbuch.db", u"Insektenbek.db", u"Desinfektion.db", u"MedizienHase.db", u"Koernote.db",
             u"Angora.db"})},
      {IndexGroup::Adressenverwaltung, QStringLiteral("Adressenverwaltung"), list({u"Adressen"}),
       list({u"adresse.db"})},
      {IndexGroup::Rasse, QStringLiteral("Rasse"), QStringList{QStringLiteral("Rasse"), main(mainCursor::Rasse)},
       list({u"rasse.db"}), true},
      {IndexGroup::Farbe, QStringLiteral("Farbe"),
       QStringList{QStringLiteral("Farbe"), QStringLiteral("StbFarbe"), main(mainCursor::Farbe)},
       list({u"Farbe.db"})},
      {IndexGroup::Apotheke, QStringLiteral("Apotheke"), list({u"Medikament"}), list({u"Apotheke.db"})},
      {IndexGroup::Buchfuehrung, QStringLiteral("Buchführung"), {},
       list({u"Buchung.db", u"Mehrwert.db", u"Kontoart.db", u"Konten.db"})},
      {IndexGroup::Meldung, QStringLiteral("Meldung"), QStringList{main(mainCursor::Sprmel)}, list({u"sprmel.db"})},
      {IndexGroup::Zuechterregister, QStringLiteral("Züchterregister"), {}, list({u"Zwingreg.db", u"Zwinginf.db"})},
      {IndexGroup::Vereine, QStringLiteral("Vereine"), {}, list({u"vereine.db"})},
      {IndexGroup::Ausstellungstermine, QStringLiteral("Ausstellungstermine"), {}, list({u"Ausstelt.db"})},
      {IndexGroup::Ausstellungstitel, QStringLiteral("Ausstellungstitel"), list({u"Ausstellungstitel"}),
       list({u"Ausstellungstitel.db"})},
  };
}

}  // namespace

const std::vector<IndexGroupDef>& indexGroups() {
  static const std::vector<IndexGroupDef> groups = buildGroups();
  return groups;
}

const IndexGroupDef& indexGroup(IndexGroup group) {
  return indexGroups()[static_cast<std::size_t>(group)];
}

void rebuildTableIndexes(engine::Engine& engine, const QString& table, bool keepPrimary) {
  const CatalogueTable* known = findTable(QFileInfo(table).fileName());
  if (!known)
    throw EngineError(EngineError::Kind::General, QStringLiteral("Die Tabelle %1 ist unbekannt.").arg(table), table);

  // The table must be free before anything is dropped, so that a table in use elsewhere is
  // left with all its indexes.
  if (!keepPrimary) engine.acquire(table, engine::OpenMode::Exclusive).reset();

  // Every stored secondary index goes, so that adding the catalogue's never meets one that
  // already exists.
  bool hasPrimary = false;
  for (const engine::IndexDef& index : engine.indexes(table)) {
    if (index.primary)
      hasPrimary = true;
    else
      engine.deleteIndex(table, index.name);
  }
  if (!keepPrimary && hasPrimary) engine.reindex(table);
  for (const engine::IndexDef& index : known->def.indexes)
    if (!index.primary) engine.addIndex(table, index);
}

IndexRebuildResult rebuildIndexes(engine::Engine& engine, const std::vector<IndexGroup>& ticked,
                                  GroupCursors& cursors) {
  IndexRebuildResult result;
  for (const IndexGroupDef& group : indexGroups()) {
    if (std::find(ticked.begin(), ticked.end(), group.group) == ticked.end()) continue;

    bool closed = false;
    try {
      closed = cursors.close(group.cursors);
    } catch (...) {
      closed = false;
    }
    if (!closed) {
      result.failedGroup = group.group;
      return result;
    }
    cursors.redraw();

    try {
      for (const QString& table : group.tables) {
        if (!engine.tableExists(table)) continue;
        rebuildTableIndexes(engine, table, group.keepPrimary);
        cursors.redraw();
      }
      cursors.reopen(group.cursors);
    } catch (const EngineError& e) {
      dialogs().error(e.message());
      result.failedGroup = group.group;
      result.error = e.message();
      return result;
    }
    result.rebuilt.push_back(group.group);
  }
  dialogs().inform(messageText(35));
  result.completed = true;
  return result;
}

}  // namespace lapiro::store

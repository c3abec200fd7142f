#include "store/index_rebuild.h"

#include "store/catalogue.h"
#include "store/dialog_service.h"
#include "store/keyword_index.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"

#include <QFile>
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

void rebuildTableIndexes(engine::Engine& engine, const QString& table, bool keepPrimary,
                         const std::function<void()>& step) {
  const CatalogueTable* known = findTable(QFileInfo(table).fileName());
  if (!known)
    throw EngineError(EngineError::Kind::General, QStringLiteral("Die Tabelle %1 ist unbekannt.").arg(table), table);
  // Every stored secondary index goes, so that adding the catalogue's never meets one that
  // already exists; the primary key's index is rebuilt from the records unless kept.
  bool hasPrimary = false;
  for (const engine::IndexDef& index : engine.indexes(table))
    if (index.primary) hasPrimary = true;
  engine.rebuildIndexes(table, known->def.indexes, !keepPrimary && hasPrimary, step);
}

// ------------------------------------------------------------------ ReleasedTables

ReleasedTables::ReleasedTables(engine::Engine& engine, const QStringList& tables) {
  for (const QString& table : tables) {
    if (!engine.tableExists(table)) continue;
    // Closing a master may close nothing else, but a before-close rule may open or close
    // further cursors: ask the table anew after each close.
    for (;;) {
      const std::vector<engine::Cursor*> open = engine.cursorsOn(table);
      if (open.empty()) break;
      engine::Cursor* c = open.back();
      Closed entry{c, c->bookmark(), -1};
      // A cursor destroyed while closed (its window closed during the run) is forgotten.
      entry.listener = c->addListener([this, c](engine::Notification n) {
        if (n != engine::Notification::Destroyed) return;
        for (Closed& e : closed_)
          if (e.cursor == c) e.cursor = nullptr;
      });
      closed_.push_back(entry);
      c->close();
      if (c->isOpen()) break;  // it refuses; the rebuild then reports the table as in use
    }
    engine.releaseLookups(table);
  }
}

ReleasedTables::~ReleasedTables() {
  if (!restored_) restore();
}

QString ReleasedTables::restore() {
  if (restored_) return {};
  restored_ = true;
  QString failure;
  // Details were closed before their masters: reopen in the opposite order.
  for (auto it = closed_.rbegin(); it != closed_.rend(); ++it) {
    if (!it->cursor) continue;
    engine::Cursor& c = *it->cursor;
    c.removeListener(it->listener);
    try {
      c.open();
      if (it->bookmark.isValid()) c.gotoBookmark(it->bookmark);
    } catch (const EngineError& e) {
      if (failure.isEmpty()) failure = e.message();
    } catch (const engine::Abort&) {
    }
  }
  return failure;
}

// ------------------------------------------------------------------ the run

namespace {

int countSteps(engine::Engine& engine, const IndexGroupDef& group) {
  int steps = 0;
  for (const QString& table : group.tables) {
    if (!engine.tableExists(table)) continue;
    if (const CatalogueTable* known = findTable(QFileInfo(table).fileName()))
      for (const engine::IndexDef& index : known->def.indexes)
        if (!index.primary) ++steps;
  }
  return steps;
}

}  // namespace

namespace {

// The keyword index reads animals, show results and addresses: it is built anew with them.
// A failure only removes the index file, which the next search builds again.
void rebuildKeywordIndexAfter(engine::Engine& engine, const std::vector<IndexGroup>& rebuilt) {
  const bool feeds = std::any_of(rebuilt.begin(), rebuilt.end(), [](IndexGroup g) {
    return g == IndexGroup::Kaninchen || g == IndexGroup::Adressenverwaltung;
  });
  if (!feeds) return;
  KeywordIndex index(engine, false);
  try {
    index.rebuild();
  } catch (const EngineError&) {
    QFile::remove(index.path());
  }
}

}  // namespace

IndexRebuildResult rebuildIndexes(engine::Engine& engine, const std::vector<IndexGroup>& ticked,
                                  GroupCursors& cursors) {
  IndexRebuildResult result;
  auto isTicked = [&](const IndexGroupDef& g) {
    return std::find(ticked.begin(), ticked.end(), g.group) != ticked.end();
  };
  int total = 0;
  for (const IndexGroupDef& group : indexGroups())
    if (isTicked(group)) total += countSteps(engine, group);
  int done = 0;
  cursors.progress(done, total);

  for (const IndexGroupDef& group : indexGroups()) {
    if (!isTicked(group)) continue;

    bool closed = false;
    try {
      closed = cursors.close(group.cursors);
    } catch (...) {
      closed = false;
    }
    if (!closed) {
      // Whatever the owners closed before they refused is reopened.
      try {
        cursors.reopen(group.cursors);
      } catch (...) {
      }
      result.failedGroup = group.group;
      return result;
    }

    QString failure;
    {
      ReleasedTables released(engine, group.tables);
      cursors.redraw();
      try {
        for (const QString& table : group.tables) {
          if (!engine.tableExists(table)) continue;
          rebuildTableIndexes(engine, table, group.keepPrimary, [&] {
            cursors.progress(++done, total);
            cursors.redraw();
          });
          cursors.redraw();
        }
      } catch (const EngineError& e) {
        failure = e.message();
      }
      // The owners' cursors first: the cursors released here may be details of theirs.
      try {
        cursors.reopen(group.cursors);
      } catch (const EngineError& e) {
        if (failure.isEmpty()) failure = e.message();
      }
      const QString reopenFailure = released.restore();
      if (failure.isEmpty()) failure = reopenFailure;
    }
    if (!failure.isEmpty()) {
      dialogs().error(failure);
      result.failedGroup = group.group;
      result.error = failure;
      return result;
    }
    result.rebuilt.push_back(group.group);
  }
  rebuildKeywordIndexAfter(engine, result.rebuilt);
  dialogs().inform(messageText(35));
  result.completed = true;
  return result;
}

}  // namespace lapiro::store

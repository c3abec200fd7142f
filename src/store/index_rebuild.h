// Rebuilding the indexes of chosen table groups ("Indexrekonstruktion"). The window only
// collects the ticked groups and runs rebuildIndexes(); the cursors stay with their owners,
// who close and reopen them through a GroupCursors callback.
#pragma once

#include "engine/engine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace lapiro::store {

// The groups, in the fixed order in which a run treats them (whatever order the check boxes
// have on screen).
enum class IndexGroup {
  Kaninchen,
  Adressenverwaltung,
  Rasse,
  Farbe,
  Apotheke,
  Buchfuehrung,
  Meldung,
  Zuechterregister,
  Vereine,
  Ausstellungstermine,
  Ausstellungstitel,
};

struct IndexGroupDef {
  IndexGroup group;
  QString box;          // caption of the group's check box, e.g. "Züchterregister"
  QStringList cursors;  // cursors closed and reopened: data module names and mainCursor names
  QStringList tables;   // table files in the order they are rebuilt
  bool keepPrimary = false;  // the breed group never rebuilds its primary index
};

// The eleven groups in run order.
const std::vector<IndexGroupDef>& indexGroups();
const IndexGroupDef& indexGroup(IndexGroup group);

// Closes and reopens the cursors of a group on behalf of their owners (the main window and
// the data module).
class GroupCursors {
 public:
  virtual ~GroupCursors() = default;
  // Closes the named cursors, saving pending changes as every close does. Returning false
  // or throwing ends the run without a message.
  virtual bool close(const QStringList& names) = 0;
  // Reopens the cursors closed by close(). Throws engine::EngineError when one cannot be
  // opened.
  virtual void reopen(const QStringList& names) = 0;
  // Lets the window redraw between the steps of a run.
  virtual void redraw() {}
  // Progress of a run: `done` of `total` steps (one per index created) are finished.
  virtual void progress(int done, int total) {
    (void)done;
    (void)total;
  }
};

// Lets go of tables for a structure change on behalf of every other user in this process:
// closes each cursor still open on them (its before-close rules save pending changes) and
// makes every lookup field drop its handle. restore() reopens the closed cursors, masters
// first, and moves each back to the record it stood on; the destructor restores when
// restore() was not called. Cursors the owners closed themselves are not touched.
class ReleasedTables {
 public:
  ReleasedTables(engine::Engine& engine, const QStringList& tables);
  ~ReleasedTables();
  ReleasedTables(const ReleasedTables&) = delete;
  ReleasedTables& operator=(const ReleasedTables&) = delete;

  // Reopens what was closed. A cursor that cannot be reopened stays closed; the first such
  // failure's message is returned (empty when all reopened).
  QString restore();
  int closedCount() const { return static_cast<int>(closed_.size()); }

 private:
  struct Closed {
    engine::Cursor* cursor;
    QVariant bookmark;
    int listener;
  };
  std::vector<Closed> closed_;
  bool restored_ = false;
};

// Rebuilds every index of `table` from the catalogue: drops each stored secondary index
// (also those the catalogue does not know), rebuilds the primary index from the records
// unless `keepPrimary`, then adds the catalogue's secondary indexes in their order with the
// catalogue's options (descending, unique, case-insensitive).
// Throws engine::EngineError on failure, e.g. Locked when the table is open in this process
// (unless keepPrimary) or held by another process; an index whose fields the stored table
// lacks fails with FieldMissing. REQUIRES: the catalogue knows `table`.
// `step` is called after each index created. The whole table is rebuilt in one transaction; on
// failure it keeps the indexes it had.
void rebuildTableIndexes(engine::Engine& engine, const QString& table, bool keepPrimary = false,
                         const std::function<void()>& step = {});

struct IndexRebuildResult {
  bool completed = false;                   // every ticked group was rebuilt; message 35 was shown
  std::optional<IndexGroup> failedGroup;    // the group the run ended in
  QString error;                            // the engine's message shown, empty when ended silently
  std::vector<IndexGroup> rebuilt;          // groups finished, in run order
};

// Runs the rebuild for the ticked groups in the fixed order. For each ticked group: close its
// cursors through their owners (a failure ends the run silently after reopening what was
// closed), let go of the group's tables program-wide (ReleasedTables: every other cursor and
// lookup on them), let the window redraw, rebuild the indexes of each of its tables that
// exists in the data directory (a missing table, e.g. the wool records never created, is
// skipped), then reopen every cursor closed. An engine error is shown with the engine's
// message (error box) and ends the run; the cursors are reopened first, so the program goes
// on as before. After the last group message 35 is shown (information box), at once when
// nothing is ticked. `cursors.progress()` hears of every index created.
IndexRebuildResult rebuildIndexes(engine::Engine& engine, const std::vector<IndexGroup>& ticked,
                                  GroupCursors& cursors);

}  // namespace lapiro::store

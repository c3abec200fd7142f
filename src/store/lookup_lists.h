// The rules of the three lookup-list windows: breeds ("Rassen"), the colours of a breed
// ("Farbe") and the status codes ("Status"). Each list owns its cursors (not the data
// module's); the windows are thin views over them.
//
// Common rules:
//  - Every save, also the one a move makes implicitly, asks message 29 (warning, Yes/No)
//    when System/Speichern is false. "Nein" discards the change and stops the operation
//    silently (engine::Abort propagates to the caller, the cursor is back in browse mode).
//  - Closing a list saves its pending change without the question (a save the system makes
//    on its own). A change that cannot be saved is discarded so that the table can close.
//  - Deleting does not look at the animals: animals that refer to a deleted record keep the
//    number and show an empty name.
//
// Every message goes through store::dialogs(). Operations throw engine::EngineError for
// failures of the engine (the windows show its message) and engine::Abort when a rule or an
// answer stopped them (nothing more to show).
#pragma once

#include <QStringList>
#include <functional>
#include <memory>

#include "engine/cursor.h"
#include "engine/engine.h"

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::store {

class TDatenStamm;

// The five breed groups of the drop-down "Ra&ssegruppe", in their fixed order.
const QStringList& breedGroups();

// The text of the status list's refusal to delete one of its first two records.
inline constexpr const char16_t* kNichtMoeglich = u"Nicht möglich";
// The grid's own confirmation before it deletes a status row.
inline constexpr const char16_t* kDatensatzLoeschen = u"Datensatz löschen?";

// What the three lists share: one editable cursor with the save question, add, undo, save
// and delete.
class LookupList {
 public:
  // `settings` must outlive the list; System/Speichern is read at every save. `module` may be
  // null (no data module cursors to reopen on close).
  LookupList(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module);
  virtual ~LookupList();
  LookupList(const LookupList&) = delete;
  LookupList& operator=(const LookupList&) = delete;

  // Opens the list's cursors. Throws engine::EngineError; the list then stays closed.
  virtual void open() = 0;
  // Saves the pending change without the question, closes the list's cursors and then
  // lets the data module see the changes (see the derived classes). Never throws: a failure
  // of the data module's reopen is shown with the engine's message.
  virtual void close();
  bool isOpen() const { return records().isOpen(); }

  // The cursor the window edits.
  virtual engine::Cursor& records() = 0;
  const engine::Cursor& records() const { return const_cast<LookupList*>(this)->records(); }

  // True while the current record is being edited or added ("Speichern" / "R&ückgängig").
  bool editing() const { return records().isEditing(); }

  // Appends a new record ("H&inzufügen"); a pending change is saved first.
  virtual void add();
  // Saves the current record. Returns true when it was written, false when there was nothing
  // to save or the answer to message 29 was "Nein" (the change is then discarded).
  bool save();
  // Discards the changes of the current record ("R&ückgängig").
  void undo();
  // Asks message 28 (warning, Yes/No); "Ja" deletes the current record. Returns whether a
  // record was deleted.
  virtual bool remove();

 protected:
  // Hooks the save question into `c`'s posts.
  void attachSaveQuestion(engine::Cursor& c);
  // Saves a pending change of `c` without the question; discards it when it cannot be saved
  // (after showing the engine's message).
  void saveSilently(engine::Cursor& c);
  // Closes and reopens the data module's cursor `name`, showing an engine error.
  void reopenModuleCursor(const QString& name);

  engine::Engine& engine_;
  const shell::tsysteminfo& settings_;
  TDatenStamm* module_;

 private:
  int silent_ = 0;
};

// Breeds ("Rassen", `TRassen`): Rasse.db in the order RasseName. Closing reopens the data
// module's cursor "Rasse".
class TRassenList : public LookupList {
 public:
  using LookupList::LookupList;
  void open() override;
  void close() override;
  engine::Cursor& records() override { return *rasse_; }

 private:
  std::unique_ptr<engine::Cursor> rasse_;
};

// Colours of one breed ("Farbe", `TFarbeForm`). The breeds (Rasse.db, order RasseName) are
// the master; the colours (Farbe.db, index RasseFarbe) follow the current breed. The chosen
// breed is kept in the work table TMP.DB (created when missing), whose one record stays in
// edit mode while the list is open and is never saved. Closing reopens the data module's
// cursor "Farbe".
class TFarbeList : public LookupList {
 public:
  using LookupList::LookupList;
  ~TFarbeList() override;
  void open() override;
  void close() override;
  engine::Cursor& records() override { return *farbe_; }
  engine::Cursor& breeds() { return *rasse_; }
  engine::Cursor& work() { return *tmp_; }

  // The breed names and numbers in the order RasseName (the drop-down "Rasse").
  QStringList breedNames();
  std::vector<qint64> breedNumbers();

  // Makes the breed with this Nummer the current breed: a pending colour change is saved
  // first (with the question), the colours follow, TMP.DB takes the number. Returns false
  // (and changes nothing) when there is no such breed.
  bool chooseBreed(qint64 nummer);
  // The current breed's Nummer; 0 when there is none.
  qint64 currentBreed();
  // The value the drop-down keeps in TMP.DB (0 when empty).
  qint64 keptBreed();

  // Inserts a colour of the current breed (its Rasse set from the breed). Does nothing when
  // there is no breed.
  void add() override;

 private:
  void keepBreed();
  std::unique_ptr<engine::Cursor> rasse_;
  std::unique_ptr<engine::Cursor> farbe_;
  std::unique_ptr<engine::Cursor> tmp_;
};

// Status codes ("Status", `TStatusForm`): Status.db in key order. The first two records
// (status 1, the own stock, and status 2, given by "Neuaufnahme") cannot be deleted.
class TStatusList : public LookupList {
 public:
  using LookupList::LookupList;
  void open() override;
  engine::Cursor& records() override { return *status_; }

  // Refuses the first two records in key order with "Nicht möglich" (information); otherwise
  // asks the grid's "Datensatz löschen?" and deletes on "Ja".
  bool remove() override;
  // True when the current record is one of the first two in key order.
  bool protectedRecord();

 private:
  std::unique_ptr<engine::Cursor> status_;
};

}  // namespace lapiro::store

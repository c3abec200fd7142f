// TDatenStamm: the data module. It owns one named cursor per entry of the catalogue's cursor
// list (dataModuleCursors()), with its table, order, master-detail link, filter and read-only
// flag, the calculated and lookup fields of the cursor "Hasen" and the record rules attached
// to "Hasen" and the cursors around it. It has no widgets: the animal card reaches it through
// the accessors and lets the rules reach back through TCardState.
//
// Lifetime: constructed once at start-up after the main window, lives until the end. The
// constructor only configures the cursors; open() opens them; close() saves every pending
// change and closes them. Other subsystems may add calculated or lookup fields and set the
// hooks of cursors without rules here (e.g. "Wurfbuch") between construction and open().
//
// Every question or message goes through store::dialogs(); message texts come from
// store::messageText().
#pragma once

#include "engine/cursor.h"
#include "engine/engine.h"
#include "store/animal_rules.h"
#include "store/card_state.h"
#include "store/schema_upgrade.h"
#include "shell/system_info.h"

#include <QDate>
#include <QHash>
#include <QStringList>

#include <memory>
#include <vector>

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::store {

class TDatenStamm : public CursorProvider {
 public:
  // `settings` must outlive the module; the rules read Stammdaten/Sortierung when the cursors
  // open and System/Speichern at every save.
  TDatenStamm(engine::Engine& engine, shell::tsysteminfo& settings);
  ~TDatenStamm() override;  // closes the cursors (saving pending changes)
  TDatenStamm(const TDatenStamm&) = delete;
  TDatenStamm& operator=(const TDatenStamm&) = delete;

  // The animal card, or null while there is none. Not owned.
  void setCard(TCardState* card) { card_ = card; }
  TCardState* card() const { return card_; }

  // Opens every cursor: first the data module's opening steps with their repairs of older
  // tables (upgradeDataModuleTables, which also creates Angora, Gewichtstabelle.DB and
  // Impfung when they are missing), then the cursors no step names. A cursor that cannot be
  // opened shows message 11, a blank and its table name (error box) and stays closed; the
  // other steps go on. The cursor "Hasen" takes its order from Stammdaten/Sortierung and
  // falls back to the index "Tato" when the stored table has no index of that name. The rules
  // of "Hasen" run for its first animal once every cursor is open.
  void open();
  // Saves every pending change without asking (a save that fails shows its message and the
  // change is discarded), then closes every cursor, details before their masters.
  void close();

  // The cursor named `name` (case-insensitive), or null for an unknown name (CursorProvider).
  engine::Cursor* cursor(const QString& name) override;
  // The same; throws engine::EngineError for an unknown name.
  engine::Cursor& at(const QString& name);
  engine::Cursor& Hasen() { return *hasen_; }
  // The settings record the module was built with.
  const shell::tsysteminfo& settings() const { return settings_; }

  // --- lists offered to windows ------------------------------------------------------------

  // One entry of a drop-down list: the stored key and the shown name.
  struct Choice {
    qint64 key = 0;
    QString name;
  };
  // The breeds (Rasse.Nummer and Name in the order of index RasseName), built when open()
  // runs and built again whenever the breed table has changed since.
  const std::vector<Choice>& breeds();
  QStringList breedNames();
  // The colours of breed `rasse` in the order of index FarbeRasse, read anew each time.
  std::vector<Choice> colours(qint64 rasse);
  QStringList colourNames(qint64 rasse);
  // The states (Status.Nummer and Name by number), read anew each time.
  std::vector<Choice> states();
  // Every non-empty Bezeichnung of Ausstellungstitel in the order of BezeichnungIDX.
  QStringList showTitles();

  // --- rules offered to windows ------------------------------------------------------------

  // Fills an empty Geburtstag of the current animal from its left tattoo. A browsing record is
  // saved at once without the save question; a record being edited or entered gets the date
  // and the duplicate check. Conversion failures change nothing and show nothing.
  void deriveBirthDate();
  // Looks for another stored animal with the current animal's TatoRechts, TatoLinks and
  // Geburtstag. When there is one, asks message 120: "Ja" goes on (returns false); "Nein"
  // discards the new or changed record, disables the card's "R&ückgängig", makes the found
  // animal current and returns true. A "Ja" holds for the same values until the record is
  // saved, discarded or left, so the save does not ask again. Every save of "Hasen" by the
  // user runs this check when the record is new or its tattoos or birth date changed.
  bool duplicateCheck();
  // Makes the animal with this Nummer the current one of "Hasen" (primary index for the
  // moment, the previous order restored). Returns false when there is no such animal.
  bool gotoAnimal(qint64 nummer);
  // Changes the order of "Hasen" (the card's browsing index); the current animal stays.
  // Throws engine::EngineError(IndexMissing) for an unknown index.
  void setHasenOrder(const QString& indexName);

  // Saves `c` without the save question (the setting System/Speichern counts as true for this
  // one save). Returns false when the save failed: a rule's own message has been shown, or the
  // engine's message is shown here; the record then stays in edit or insert mode.
  bool saveWithoutQuestion(engine::Cursor& c);

  // The save question for rules of other subsystems' cursors: true without asking while
  // System/Speichern is on or the system itself saves (saveWithoutQuestion, close);
  // otherwise asks message 29 (warning, Yes/No) and returns true for "Ja".
  bool confirmSave() { return askSave(); }

  // The date the rules take as today (the system date unless fixed by setToday).
  QDate today() const;
  // Fixes the date the rules take as today; an invalid date restores the system date.
  void setToday(const QDate& date) { today_ = date; }

  // The addition held while a new animal was not yet saved (see HasenZusatzBeforePost).
  bool additionPending() const { return additionPending_; }
  const QString& pendingZMNr() const { return pendingZMNr_; }

  // The own user as the owner display of status-1 animals shows it (read from eigen.DB and
  // read again whenever that table changes).
  const OwnUser& ownUser();

  // --- pedigree ----------------------------------------------------------------------------

  // The ancestor box text of the animal with this Nummer, read through the cursor
  // "Stammbaum" (which is left standing on that animal; the card's "Hasen" never moves):
  // line 1 the tattoos and " {Nummer}", then one line per item of `order` whose condition
  // holds (breed, colour, sex, litter size, breeder, owner, hutch number, show scores, genetic
  // formula, Körnote). No lines when there is no such animal or the cursor is closed. Failed
  // lookups of breed, colour or address leave their line out. The form without `order` uses
  // the on-screen order derived from Stammbaum/Anzeige. When given, `vater` and `mutter`
  // receive the animal's parents (0 when empty or not found).
  QStringList ancestorBoxText(qint64 nummer);
  QStringList ancestorBoxText(qint64 nummer, const shell::PedigreeItemOrder& order, qint64* vater = nullptr,
                              qint64* mutter = nullptr);

  // --- rule hooks, attached to the cursors by the constructor (data_module_rules.cpp) ---

  void HasenCalcFields();
  void HasenAfterEdit();    // also after insert: enables the card's edit buttons
  void HasenFieldChange(const QString& fieldName);
  void HasenBeforePost();
  void HasenAfterPost();
  void HasenBeforeScroll();
  void HasenAfterScroll();
  void HasenBeforeClose();
  // A new animal given up before its save takes the addition held for it along.
  void HasenBeforeCancel();
  void HaesinNameCalcFields();
  void RasseAfterScroll();
  void VerkauftBeforePost();
  void VerkauftBeforeClose();
  void HasenZusatzAfterEdit();  // also after insert
  void HasenZusatzBeforePost();
  void HasenZusatzAfterPost();
  void HasenZusatzBeforeClose();
  void BilderAfterScroll();
  void BilderBeforeClose();

 private:
  struct Entry {
    QString masterName;
    std::unique_ptr<engine::Cursor> cursor;
  };

  void createCursors();
  void attachRules();
  void chooseHasenOrder();
  void buildBreedNames();
  int masterDepth(const Entry& e) const;

  // Rule helpers (data_module_rules.cpp).
  bool askSave();
  void settleDetailsOfHasen();
  void saveOnClose(engine::Cursor& c);
  bool followBreed();
  void reattachColours();
  void showWoolTab();
  void deriveFormulaOnParentChange();
  void deriveFormulaOnDisplay();
  void writePendingAddition();
  bool findInPrimary(engine::Cursor& c, const QVariant& key);
  // True for a new record, or an edited one whose tattoos or birth date differ from the stored.
  bool identityChanged();

  engine::Engine& engine_;
  shell::tsysteminfo& settings_;
  TCardState* card_ = nullptr;
  std::vector<Entry> cursors_;
  QHash<QString, int> byName_;  // upper-case name -> index into cursors_
  engine::Cursor* hasen_ = nullptr;

  std::vector<Choice> breeds_;
  std::pair<const void*, quint64> breedsStamp_{};  // breed table and change count read from
  QDate today_;

  // Saves made by the system itself suppress the save question while this is above 0.
  int silentSave_ = 0;
  bool closing_ = false;
  bool opening_ = false;

  // Tattoos and birth date for which the user answered "Ja" to message 120.
  QVariantList acceptedDuplicate_;

  bool additionPending_ = false;
  QString pendingZMNr_;

  // Names read for pedigree boxes (ancestor_box_text.cpp), kept while their tables are unchanged.
  struct AncestorLookups;
  std::shared_ptr<AncestorLookups> ancestorLookups_;

  std::unique_ptr<engine::Cursor> eigen_;
  OwnUser ownUser_;
  quint64 ownUserVersion_ = ~quint64(0);
};

}  // namespace lapiro::store

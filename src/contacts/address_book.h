// Rules of the address book "Adressenverwaltung" and of "Status Adressen" that need no
// window: the tab strip's ranges, the duplicate-name check on entry, the category list with
// its limit, saving and deleting with their questions, and opening the address table with the
// membership-field upgrade.
//
// Every message goes through store::dialogs(); texts come from store::messageText().
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "engine/cursor.h"
#include "engine/engine.h"

namespace lapiro::contacts {

// Catalogue messages used here.
inline constexpr int kMeldungTabelleFehlt = 11;
inline constexpr int kMeldungLoeschen = 28;
inline constexpr int kMeldungSpeichern = 29;
inline constexpr int kMeldungKeineAdresse = 49;
inline constexpr int kMeldungKategorienVoll = 141;  // "Es sind höchstens 10 Adressenkategorien möglich."

inline constexpr int kMaxCategories = 10;
inline constexpr int kCategoryLength = 20;  // Adresse.Status holds at most this many characters

// The eleven fixed tabs of the tab strip, in order; category tabs follow them.
const QStringList& fixedTabs();  // "ABC" ... "V-Z", "Suche", "Neu", "A-Z"
inline constexpr int kTabSuche = 8;
inline constexpr int kTabNeu = 9;
inline constexpr int kTabAZ = 10;

// Applies the order and range of a letter tab (0 "ABC" .. 7 "V-Z") or of "A-Z" (kTabAZ) to
// the address cursor: index AdrName, names from the tab's first letter up to but not
// including the next tab's first letter ("[" after "V-Z"), compared in the index's collation.
// REQUIRES: cursor is open on the address table.
void applyLetterTab(engine::Cursor& adressen, int tab);

// Applies a category tab: index AdrStatusName, only the addresses whose Status is exactly
// `category` as stored (cut to 20 characters).
void applyCategoryTab(engine::Cursor& adressen, const QString& category);

// The category names in the order of table StatusAdressen. Throws engine::EngineError.
QStringList categoryNames(engine::Engine& engine);

// The category name as Adresse.Status stores it.
inline QString storedCategory(const QString& name) {
  return name.left(kCategoryLength);
}

// "H&inzufügen" in "Status Adressen": true when another category may be added; with
// kMaxCategories present shows message 141 (information) and returns false.
bool mayAddCategory(int count);

// Save question: true when the save may go on (System/Speichern on, or "Ja" to message 29).
// On "Nein" cancels the pending change of `cursor` and returns false.
bool confirmSave(engine::DataSet& cursor, bool speichernOhneFrage);

// Posts a pending change of `cursor` after the save question. Returns true when the record
// was posted; false when it was discarded or the post failed (the engine's message is shown
// and the record stays in edit or insert mode). With nothing pending returns true.
bool saveAddress(engine::DataSet& cursor, bool speichernOhneFrage);

// Asks message 28 and on "Ja" deletes the current address. Animals that refer to it keep
// their number. Returns whether a record was deleted.
bool deleteCurrent(engine::DataSet& cursor);

// Duplicate-name check while a new address is entered. `view` is a second cursor on the
// address table. When `adressen` is inserting, the check is on and an address with exactly
// this Name and Vorname exists, calls `keepNew` (the window "Name gefunden"): true continues
// the entry; false cancels the new address and moves `adressen` to the existing one (its
// order stays). Returns true when the new address was cancelled.
bool duplicateNameCheck(engine::Cursor& adressen, engine::Cursor& view, bool checkOn,
                        const std::function<bool()>& keepNew);

// Opens `own` (configured on the address table with the catalogue's fields expected). When
// the stored table lacks MitgliedsNr, closes `shared` (the data module's view, may be null),
// adds the membership fields, reopens `shared` and then opens `own`. When `own` still does
// not open, shows message 11, a blank and "Adresse" (error) and returns false.
bool openWithMembershipUpgrade(engine::Engine& engine, engine::Cursor& own, engine::Cursor* shared);

// Configures a cursor on the address table as the address book uses it: the catalogue's
// fields expected, index AdrName.
void configureAddressCursor(engine::Cursor& cursor);

}  // namespace lapiro::contacts

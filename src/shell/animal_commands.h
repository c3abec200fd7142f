// The animal commands of the main window: new animal, duplicate and delete, on the data
// module's animal cursor "Hasen", with the animal card (dm.card(), may be null) following
// through store::TCardState.
//
// Headless: the main window's menu and tool bar call these. Every question and message goes
// through store::dialogs(), message texts come from store::messageText().
//
// Every function requires an opened data module (TDatenStamm::open()); on a closed "Hasen"
// they do nothing and return false. Engine failures are shown as error boxes and reported as
// false; no function throws.
#pragma once

#include "shell/system_info.h"
#include "store/data_module.h"

#include <QString>

#include <optional>

namespace lapiro::shell {

// Which command appends a new animal.
enum class NewAnimalVariant {
  ToolBar,  // Rasse, Farbe and Status from the Stammdaten settings
  Menu,     // Rasse from the settings, Status 2, Farbe empty
};

// The left tattoo of a duplicate. When the tattoo has two "." before its last character, the
// text after the second "." is a running number n and becomes n + 1, written without leading
// zeros: "3.5.12" gives "3.5.13", "3.5.099" gives "3.5.100". The number may have any length
// (decimal text arithmetic, no overflow). Any other tattoo ("3.5", "3.5.", "12", "") is
// returned unchanged. Returns nullopt when the text after the second "." is not made of the
// digits 0-9 only ("3.5.x", "3.5.1.2", "3.5. 7").
std::optional<QString> incrementLeftTattoo(const QString& tatoLinks);

// Creates a new animal and leaves it in insert mode for the card to fill.
//
// First saves the current animal when it is being edited (normal save path with the rules of
// "Hasen": the save question when System/Speichern is off, the check of Geschlecht). When that
// save does not happen (refused, declined or failed; the reason has been shown), nothing is
// appended and false is returned. Otherwise appends a record to "Hasen" and sets:
//   Rasse  = Stammdaten/Rasse (both variants),
//   Farbe  = Stammdaten/Farbe (ToolBar) or empty (Menu),
//   Status = Stammdaten/Status (ToolBar) or 2 (Menu);
// a setting of 0 or less leaves its field empty. Rasse is set before Farbe, because a new
// breed empties the colour. The card gets message 14 as caption, its breeder and owner boxes
// emptied (clearAddressBoxes; its caption stays), "R&ückgängig" enabled, newRecord set and
// lastShownAnimal set to the animal shown before, so that its undo returns there.
// Returns true when the new record is in insert mode.
bool newAnimal(store::TDatenStamm& dm, const tsysteminfo& settings, NewAnimalVariant variant);

// Duplicates the current animal into a new record left in insert mode.
//
// First saves the current animal and then its addition ("HasenZusatz") when they are being
// edited (a new animal's save writes the addition entered with it); when a save does not
// happen nothing is appended and false is returned. Copies TatoRechts, Geschlecht, Rasse,
// Farbe, Vater, Mutter, Erbformel, Zuechter, Besitzer, Status, Wurfgroesse and, when set,
// Geburtstag; TatoLinks gets the next running number (incrementLeftTattoo). Nummer, Info,
// Anomalien, IDCode, Körnote, Stallnummer, Druckbild and the addition are not copied. The copy
// is exact: Farbe is set after Rasse (whose rule empties the colour) and Erbformel after the
// parents (whose rule derives a formula).
//
// A running number that is not a number, or a next number that does not fit the field
// TatoLinks, is shown as a warning and the left tattoo is copied unchanged; the duplicate goes
// on. Then the duplicate check runs (TDatenStamm::duplicateCheck, message 120): "Nein" discards
// the copy, shows the animal found and returns false. Otherwise the card gets message 14 as
// caption, "R&ückgängig" enabled, newRecord set and lastShownAnimal set to the original.
// Returns true when the copy is in insert mode; false also on an empty table.
bool duplicateAnimal(store::TDatenStamm& dm);

// Deletes the current animal after message 15 (warning box, Ja/Nein; "Nein" the default). A
// stored animal that young, litters or judgings refer to is asked about with
// store::deleteQuestion instead ("Diese Häsin ist Mutter von 5 Tieren, … Trotzdem löschen?").
//
// On an empty table nothing is asked and false is returned. "Nein" changes nothing (false).
// "Ja": a new record not yet saved (insert mode) is discarded and nothing stored is touched;
// otherwise the stored animal is deleted from "Hasen" (a pending change of it is dropped).
// Records of other tables that refer to the animal stay. The card then refreshes the animal
// list and its displays for the animal that is now current, and its newRecord and
// listRefreshPending flags are cleared. Returns true when the animal was deleted or the new
// record discarded; false when the engine refused (its message shown, nothing changed).
bool deleteAnimal(store::TDatenStamm& dm);

}  // namespace lapiro::shell

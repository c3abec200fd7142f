// The animal card's flows without widgets: what the card "Rund um das Tier" shows for the
// current animal of the data module's cursor "Hasen" (caption, address boxes, parent
// panels, choice lists) and what its commands do (parents, addresses, tattoo parts, the
// genetic-formula and genotype checks, dates, save, undo, navigation with a mark).
//
// The window TLapiroStamm binds its widgets to these functions; tests drive them headless.
// The card's shared flags (new record, list refresh, last shown animal, tattoo guard) live
// in the data module's TCardState, which may be null: every card step is then skipped.
//
// Errors: engine failures while saving or moving are shown through store::dialogs() and
// leave the record as it was; a rule's Abort stops silently. Nothing here throws.
#pragma once

#include "store/data_module.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace lapiro::engine {
class Cursor;
}

namespace lapiro::card {

// --- Pure display rules -----------------------------------------------------------------

// Right tattoo, two blanks, left tattoo; then ", " + breed and ", " + colour when present.
QString cardCaption(const QString& rechts, const QString& links, const QString& breed, const QString& colour);

// The five lines of an address box: "Name, Vorname", street, "PLZ Ort", telephone, fax.
struct AddressRecord {
  QString name, vorname, strasse, plz, ort, telefon, telefax;
};
QStringList addressBoxLines(const AddressRecord& a);

// What a parent information panel is built from. Names are already looked up: breed and
// colour names are empty when not found, owner and breeder are "Vorname Name" or empty when
// the address was not found.
struct ParentInfo {
  QString tatoRechts, tatoLinks;
  QString rasse, farbe;
  QString koernote, stallnummer;
  QString erbformel, wurfgroesse;
  QString geburtstag;  // dd.MM.yyyy or empty
  int status = 0;
  QString besitzer, zuechter;
};
// The seven lines of the panel (line 0 the tattoos; the items that follow move up over
// missing ones; the rest stays empty). The mother's panel shows no Körnote. A parent of
// status 1 shows `ownName` as owner whatever owner the record names.
QStringList parentPanelLines(const ParentInfo& p, bool father, const QString& ownName);

// --- Left tattoo in three parts --------------------------------------------------------

enum class TattooPart { Month = 0, Year = 1, Number = 2 };
// Upper bound of a part: 12, 99, 9999.
int tattooPartBound(TattooPart part);
// The message shown for a value over the bound.
QString tattooPartMessage(TattooPart part);
// True for an empty text or a number within 0..bound.
bool tattooPartInBounds(TattooPart part, const QString& text);
// part1 "." part2 "." part3.
QString joinTattooParts(const QString& month, const QString& year, const QString& number);

// True when the card accepts `text` in the genetic-formula field: empty, or a formula whose
// weight is 1, 2, 4, 8 or 16.
bool formulaFieldAccepts(const QString& text);

// --- Colour genotype -------------------------------------------------------------------

// What the card asks of the colour genetics, which sits beside the card and hands these in
// when it is registered (genetics/ui/genetics_module). Without them the genotype is stored
// as typed and no hint is shown.
struct GenotypeRules {
  // The text to store for a typed genotype (empty for unknown), or nothing with the German
  // reason in `error`.
  std::function<std::optional<QString>(const QString& text, QString* error)> normalise;
  // The read-only line beside the field: what the genotype and the colour say.
  std::function<QString(const QString& genotype, const QString& colourName, const QString& colourPattern)> hint;
};
void setGenotypeRules(GenotypeRules rules);
const GenotypeRules& genotypeRules();

// One entry of a drop-down: the stored key and the shown name.
using Choice = store::TDatenStamm::Choice;

// --- The card's flows over the data module -----------------------------------------------

class CardController {
 public:
  // `noteShown(rechts, links, nummer)` records an animal in the recently-shown list and
  // returns whether the list changed (it is the main window's, which also rebuilds its
  // menu); may be empty.
  using NoteShown = std::function<bool(const QString& rechts, const QString& links, qint64 nummer)>;

  CardController(store::TDatenStamm& dm, NoteShown noteShown = {});

  store::TDatenStamm& dataModule() { return dm_; }
  engine::Cursor& hasen();
  // True when "Hasen" shows a record (stored, being edited or being entered).
  bool hasAnimal();

  // The caption for the current record (empty without one).
  QString caption();
  // "right tattoo  left tattoo" of the current animal's father / mother; empty when the field
  // is empty, "gelöscht (Nr. n)" when the parent's record no longer exists.
  QString parentDisplay(bool father);
  // Names by key from the breed and colour tables; empty when not found.
  QString breedName(const QVariant& key);
  QString colourName(const QVariant& key);
  // The lines of the breeder / owner box for address number `nr`; empty when the number is
  // negative, empty or not found.
  QStringList addressLines(const QVariant& nr);
  // The panel lines of the current animal's father / mother; empty when the parent field is
  // empty or the parent is not found.
  QStringList parentPanel(bool father);

  // Drop-down lists: breeds by name, the colours of breed `rasse` by name, the states.
  std::vector<Choice> breedChoices() { return dm_.breeds(); }
  std::vector<Choice> colourChoices(qint64 rasse) { return dm_.colours(rasse); }
  std::vector<Choice> statusChoices() { return dm_.states(); }

  // Step 4 of the card's refresh after a command: records the animal in the recently-shown
  // list; when it was added, it becomes the card's last shown animal.
  void noteShownByCommand();

  // Puts "Hasen" into editing (a stored record in browse mode). False when there is no
  // record or the edit was refused (message shown).
  bool beginEdit();
  // Sets a field of the current animal from text in German notation, entering edit mode
  // first. A text that does not fit the field shows the engine's message and returns false.
  bool setFieldText(const QString& field, const QString& text);
  bool setFieldValue(const QString& field, const QVariant& value);

  // The chosen parent (by Nummer) / breeder or owner (by LaufendeNr).
  void chooseParent(bool father, qint64 nummer);
  void chooseAddress(bool breeder, qint64 laufendeNr);

  // A left-tattoo part changed (the parts as they stand now, `changed` the one typed in).
  // Within bounds (or empty) writes TatoLinks and returns true; over the bound shows the
  // part's message and returns false: the caller empties the box, TatoLinks stays. Does
  // nothing while the tattoo-parts guard is set.
  bool tattooPartsChanged(TattooPart changed, const QString& month, const QString& year, const QString& number);
  // Leaving a tattoo part: with all three parts filled and no birth date, derives it.
  void tattooPartsLeft(const QString& month, const QString& year, const QString& number);
  // Leaving the left tattoo field: the birth date derivation.
  void leftTattooLeft();

  // The line beside the genotype field for the current animal, from the record as it is being
  // edited: what its genotype and its colour say (empty without an animal or rules).
  QString genotypeHint();
  // Checks the current animal's genotype while it is being edited: a text the rules refuse
  // shows their message and returns false; an accepted one is written in its normal form.
  // Save and the navigator run it before they store the record.
  bool checkGenotype();

  // The genetic-formula field is left with `text`: false after message 119 (the caller
  // empties the field and gives it the focus back).
  bool formulaFieldLeft(const QString& text);

  // A date from the calendar for `field` of the data module's cursor `cursorName`; the
  // cursor is put into editing (a detail without record gets a new one).
  bool setDate(const QString& cursorName, const QString& field, const QDate& date);

  // "Speichern": saves "Hasen", then "HasenZusatz", each only while it is being edited.
  // Returns false when a save failed or was refused (the record stays in its mode).
  bool save();
  // "R&ückgängig": cancels the edits of "Hasen" and "HasenZusatz"; after a new record the
  // card goes back to the last shown animal. Returns true when it went back.
  bool undo();

  // The navigator: first, prior, next, last in the current order of "Hasen"; a pending
  // change is saved first (a failed save stops the move). The mark is a bookmark.
  enum class Move { First, Prior, Next, Last };
  bool move(Move m);
  void setMark();
  bool gotoMark();
  bool hasMark() const { return mark_.isValid(); }

 private:
  store::TCardState* card();
  bool settle();  // saves a pending change of "Hasen" before a move; false when refused

  store::TDatenStamm& dm_;
  NoteShown noteShown_;
  QVariant mark_;
};

}  // namespace lapiro::card

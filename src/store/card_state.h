// The part of the animal card that the animal record rules touch.
//
// The card window (TLapiroStamm) implements this interface; the data module holds a pointer
// to it, which is null while no card exists (the rules then skip every card step). The rules
// call the functions below at the points where the card must follow the current animal; the
// flags are shared state that both the card and the rules read and write.
//
// All calls happen on the user-interface thread, from inside the data module's cursor hooks.
// An implementation must not move the data module's cursor "Hasen" from these functions,
// with the one exception of positionAnimalList(), which concerns only the main list.
#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

namespace lapiro::store {

class TCardState {
 public:
  virtual ~TCardState() = default;

  // --- shared flags ---------------------------------------------------------------------

  // Set by the rules when TatoRechts or TatoLinks changes; the next save of the animal then
  // refreshes the main list and positions it on the animal, and clears the flag.
  bool listRefreshPending = false;
  // Nummer of the animal most recently shown before the current one (0: none). The rules
  // store the animal being left here; the card's undo of a new record returns to it.
  qint64 lastShownAnimal = 0;
  // Set by the main window's new/duplicate commands while a new animal is being entered.
  bool newRecord = false;
  // Set by the card while its undo of a new record moves back to the last shown animal; the
  // rules then leave lastShownAnimal alone.
  bool undoingNewRecord = false;
  // Set by the rules while they fill the three left-tattoo boxes, so that the boxes' change
  // handlers do not write back into TatoLinks.
  bool tattooPartsGuard = false;

  // --- effects --------------------------------------------------------------------------

  // Enables or disables "Speichern" and "R&ückgängig" together.
  virtual void setEditButtonsEnabled(bool enabled) = 0;
  // Enables or disables "R&ückgängig" alone.
  virtual void setUndoButtonEnabled(bool enabled) = 0;
  virtual void setCaption(const QString& caption) = 0;

  // The main window's animal list: read it anew / make the animal with this Nummer current.
  virtual void refreshAnimalList() = 0;
  virtual void positionAnimalList(qint64 nummer) = 0;
  // Brings the card's displays up to date with the current animal (caption, address boxes).
  virtual void updateDisplays() = 0;
  // Empties the breeder and owner address boxes and leaves the caption alone (a new animal
  // has neither yet). The default does nothing, for cards without such boxes.
  virtual void clearAddressBoxes() {}

  // True when the left tattoo is entered in three boxes (setting Stammdaten/TaetoLinksEinzeln
  // as the card applies it).
  virtual bool leftTattooInParts() const = 0;
  // Fills the three left-tattoo boxes (month, year, running number); empty for a missing part.
  virtual void setTattooParts(const QString& month, const QString& year, const QString& number) = 0;

  // The father and mother panels: hidden before another animal becomes current, shown for the
  // new one afterwards.
  virtual void hideParentPanels() = 0;
  virtual void showParents() = 0;

  // The breeding-evaluation date box gets `today`, the evaluation date box is emptied.
  virtual void resetEvaluationDates(const QDate& today) = 0;
  // Shows the litter-book or weight tab again when it is the current tab.
  virtual void reshowBreedingTab() = 0;
  // Puts the focus on the date box of the tab "Stallhygiene" when that tab is current.
  virtual void focusHygieneDate() = 0;
  // Shows or hides the tab "Angora Leistungsnachweis" and the wool panel.
  virtual void setWoolTabVisible(bool visible) = 0;
  // Rebuilds the young-animal rows of the current litter.
  virtual void rebuildYoungAnimalRows() = 0;

  // The colour box: redraw its text / enable it only when the breed has colours.
  virtual void refreshColourBox() = 0;
  virtual void setColourBoxEnabled(bool enabled) = 0;

  // The hint of the card's picture (the path of the current picture).
  virtual void setPictureHint(const QString& hint) = 0;
};

}  // namespace lapiro::store

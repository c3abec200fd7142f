// The animal printouts of the main window's menu "Drucker" and the label window command.
#pragma once

#include <QString>

class QWidget;

namespace lapiro::reports {
struct PageModel;
}

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::output::ui {

// "Kaninchendaten": saves a pending change of the current animal, then previews its data
// sheet with the owner line of the own user (Status 1) or of the animal's owner, and the
// representative picture when `Drucken`/`Bild` is set and its file exists.
void printKaninchendaten(shell::ui::Host& main);

// "Kaninchendaten - Liste": the animal search with the focus on the left tattoo; on OK the
// list of every animal found, in the search's order. Reading many animals shows a progress
// dialog that can cancel the printout.
void printKaninchendatenListe(shell::ui::Host& main);

// "Stallkarte DIN A6": saves a pending change of the current animal, then previews its stable
// card; without a litter record the caption "Deckdatum:" stays empty.
void printStallkarteA6(shell::ui::Host& main);

// "Drucken" (menu and tool bar): acts by the animal card's current tab.
void printByCardTab(shell::ui::Host& main);

// "Transportaufkleber / Stallkarten": opens the label window or brings it to the front.
void openTransportaufkleber(shell::ui::Host& main);

// Prints a laid-out page model: asks for the printer when `askPrinter`, otherwise uses the
// default printer. False when cancelled or printing cannot start.
bool printPageModel(QWidget* parent, const reports::PageModel& model, bool askPrinter);

}  // namespace lapiro::output::ui

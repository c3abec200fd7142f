// How the main window opens the lineage windows.
#pragma once

#include <QtGlobal>

#include <functional>

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::lineage::ui {

class TFormInzuchtgrad;

// Opens "Inzuchtgradberechnung" for the animal current on the card (or brings the open
// window forward). Refused by the office rule while an office window is open.
TFormInzuchtgrad* openInzuchtgrad(shell::ui::Host& main);

// Opens (or brings forward) the inbreeding window in "Eltern" mode on this pair.
void openInzuchtgradEltern(shell::ui::Host& main, qint64 vater, qint64 mutter);

// Opens the mating planner "Anpaarungsplanung" (or brings it forward).
void openAnpaarungsplanung(shell::ui::Host& main);

// Opens "Bestandsanalyse" (or brings it forward).
void openBestandsanalyse(shell::ui::Host& main);

// What the planner's "Farbvererbung" does with the chosen pair (buck, doe); set by the start-up
// wiring, which knows the colour genetics. Without it the button only says so.
void setColourPairAction(std::function<void(shell::ui::Host&, qint64 vater, qint64 mutter)> action);

}  // namespace lapiro::lineage::ui

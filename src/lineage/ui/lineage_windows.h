// How the main window opens the lineage windows.
#pragma once

#include <QtGlobal>

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

}  // namespace lapiro::lineage::ui

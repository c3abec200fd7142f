// The breeding module's commands and tool buttons and its card tabs, registered with the host by the start-up wiring.
#pragma once

#include "card/ui/animal_card.h"

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::breeding::ui {

void registerBreeding(shell::ui::Host& host);

// Opens "Zuchtkalender" (or brings it forward).
void openZuchtkalender(shell::ui::Host& host);

// The card tabs "Wurfbuch/Körung" and "Angora Leistungsnachweis".
card::ui::CardPageFactories breedingCardPages();

}  // namespace lapiro::breeding::ui

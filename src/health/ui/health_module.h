// The health module's commands and tool buttons, keyword-search target and card tab, registered with the host by the start-up wiring.
#pragma once

#include "card/ui/animal_card.h"

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::health::ui {

void registerHealth(shell::ui::Host& host);

// The card tab "Stallhygiene".
card::ui::CardPageFactories healthCardPages();

}  // namespace lapiro::health::ui

// The shows module's commands and tool buttons and card tab, registered with the host by the start-up wiring.
#pragma once

#include "card/ui/animal_card.h"

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::shows::ui {

void registerShows(shell::ui::Host& host);

// The card tab "Ausstellung".
card::ui::CardPageFactories showsCardPages();

}  // namespace lapiro::shows::ui

// The one place that knows every feature module: registers each with a host (menu commands,
// tool buttons, keyword-search targets, the animal card and its tabs).
#pragma once

#include "card/ui/animal_card.h"

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::app {

void registerFeatureModules(shell::ui::Host& host);

// The card tabs the feature modules contribute, in no particular order.
card::ui::CardPageFactories featureCardPages();

// Makes every main window built from now on register the feature modules.
void installFeatureModules();

}  // namespace lapiro::app

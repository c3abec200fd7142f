// The lineage module's commands and tool buttons, registered with the host by the start-up wiring.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::lineage::ui {

void registerLineage(shell::ui::Host& host);

}  // namespace lapiro::lineage::ui

// The exchange module's commands and tool buttons, registered with the host by the start-up wiring.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::exchange::ui {

void registerExchange(shell::ui::Host& host);

}  // namespace lapiro::exchange::ui

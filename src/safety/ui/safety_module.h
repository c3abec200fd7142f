// The safety module's commands and tool buttons, registered with the host by the start-up wiring.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::safety::ui {

void registerSafety(shell::ui::Host& host);

}  // namespace lapiro::safety::ui

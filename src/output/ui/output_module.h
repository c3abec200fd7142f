// The output module's commands and tool buttons, registered with the host by the start-up wiring.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::output::ui {

void registerOutput(shell::ui::Host& host);

}  // namespace lapiro::output::ui

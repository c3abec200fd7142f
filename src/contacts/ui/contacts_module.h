// The contacts module's commands and tool buttons and keyword-search targets, registered with the host by the start-up wiring.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::contacts::ui {

void registerContacts(shell::ui::Host& host);

}  // namespace lapiro::contacts::ui

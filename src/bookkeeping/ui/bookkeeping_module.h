// The bookkeeping module's commands and tool buttons and keyword-search target, registered with the host by the start-up wiring.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::bookkeeping::ui {

void registerBookkeeping(shell::ui::Host& host);

}  // namespace lapiro::bookkeeping::ui

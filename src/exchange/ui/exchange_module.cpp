#include "exchange/ui/exchange_module.h"

#include "exchange/ui/exchange_windows.h"
#include "shell/startup.h"
#include "shell/ui/host.h"

namespace lapiro::exchange::ui {

void registerExchange(shell::ui::Host& host) {
  host.addCommand({QStringLiteral("System"), 210, QStringLiteral("Datenaustausch"), [&host] { openDatenaustausch(host); }});
}

}  // namespace lapiro::exchange::ui

#include "safety/ui/safety_module.h"

#include "safety/ui/safety_windows.h"
#include "shell/startup.h"
#include "shell/ui/host.h"

namespace lapiro::safety::ui {

void registerSafety(shell::ui::Host& host) {
  host.addCommand({QStringLiteral("System"), 220, QStringLiteral("Datensicherung"), [&host] { openDatensicherung(host); }});
  host.addCommand({QStringLiteral("System"), 230, QStringLiteral("Datenrücksicherung"),
                   [&host] { openDatenruecksicherung(host); }});
}

}  // namespace lapiro::safety::ui

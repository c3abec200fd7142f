#include "shows/ui/shows_module.h"

#include "shell/startup.h"
#include "shell/ui/host.h"
#include "shows/ui/show_tab.h"
#include "shows/ui/show_windows.h"

namespace lapiro::shows::ui {

void registerShows(shell::ui::Host& host) {
  host.addCommand({QStringLiteral("Infobox"), 120, QStringLiteral("Ausstellungstermine"),
                   [&host] { openAusstellungstermine(host); }});
  host.addCommand({QStringLiteral("System/Datenverwaltung"), 140, QStringLiteral("Ausstellungstitel"),
                   [&host] { openAusstellungstitel(host); }});
  host.addCommand({QStringLiteral("Drucker"), 270, QStringLiteral("Ausstellungsliste"),
                   [&host] { printAusstellungsliste(host); }});
  host.addCommand({QStringLiteral("Drucker"), 430, QStringLiteral("Ausstellungsanmeldung"),
                   [&host] { openAusstellungsanmeldung(host); }});
  host.addToolButton({320, shell::ui::tileIcon(QStringLiteral("At"), QColor(0x5a, 0x6a, 0x7a)),
                      QStringLiteral("Ausstellungstermine"), [&host] { openAusstellungstermine(host); }});
}

card::ui::CardPageFactories showsCardPages() {
  return {{card::ui::TLapiroStamm::TabAusstellung, [](const card::ui::CardPageContext& c) {
             card::ui::CardPage result;
             result.widget = new TabAusstellung(c.dm, c.services.showHelp);
             return result;
           }}};
}

}  // namespace lapiro::shows::ui

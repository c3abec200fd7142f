#include "output/ui/output_module.h"

#include "output/ui/output_windows.h"
#include "output/ui/printout_commands.h"
#include "shell/startup.h"
#include "shell/ui/host.h"

namespace lapiro::output::ui {

void registerOutput(shell::ui::Host& host) {
  const QString verwaltung = QStringLiteral("System/Systemverwaltung");
  host.addCommand({verwaltung, 110, QStringLiteral("Systemparameter"), [&host] { openSystemparameter(host); }});
  host.addCommand({verwaltung, 210, QStringLiteral("Anwenderdaten"), [&host] { openAnwenderdaten(host); }});
  const QString drucker = QStringLiteral("Drucker");
  host.addCommand({drucker, 110, QStringLiteral("Drucken"), [&host] { printByCardTab(host); }});
  host.addCommand({drucker, 210, QStringLiteral("Kaninchendaten"), [&host] { printKaninchendaten(host); }});
  host.addCommand({drucker, 220, QStringLiteral("Kaninchendaten - Liste"), [&host] { printKaninchendatenListe(host); }});
  host.addCommand({drucker, 250, QStringLiteral("Stallkarte DIN A6"), [&host] { printStallkarteA6(host); }});
  host.addCommand({drucker, 440, QStringLiteral("Transportaufkleber / Stallkarten"),
                   [&host] { openTransportaufkleber(host); }});
  host.addToolButton({410, shell::ui::tileIcon(QStringLiteral("Dr"), QColor(0x40, 0x40, 0x40)), QStringLiteral("Drucken|"),
                      [&host] { printByCardTab(host); }});
  // Without the own user's name the own user data window asks for it.
  host.addFirstShowAction([&host] {
    if (host.session().ownNameEmpty()) openAnwenderdaten(host);
  });
}

}  // namespace lapiro::output::ui

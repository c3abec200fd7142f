#include "lineage/ui/lineage_module.h"

#include "lineage/ui/descendants_windows.h"
#include "lineage/ui/lineage_windows.h"
#include "shell/startup.h"
#include "shell/ui/host.h"

namespace lapiro::lineage::ui {

void registerLineage(shell::ui::Host& host) {
  using shell::ui::tileIcon;
  host.addCommand({QStringLiteral("Kaninchen/Nachkommen"), 110, QStringLiteral("Direkte Nachkommen"),
                   [&host] { openDirekteNachkommen(host); }});
  host.addCommand({QStringLiteral("Kaninchen/Nachkommen"), 120, QStringLiteral("Gesamte Nachkommen"),
                   [&host] { openGesamteNachkommen(host); }});
  host.addCommand({QStringLiteral("Genmodul"), 110, QStringLiteral("Inzuchtgrad"), [&host] { openInzuchtgrad(host); }});
  host.addCommand({QStringLiteral("Genmodul"), 120, QStringLiteral("Anpaarungsplanung"),
                   [&host] { openAnpaarungsplanung(host); }});
  host.addCommand({QStringLiteral("Genmodul"), 130, QStringLiteral("Bestandsanalyse"),
                   [&host] { openBestandsanalyse(host); }});
  host.addToolButton({260, tileIcon(QStringLiteral("IZ"), QColor(0x2a, 0x7a, 0x7a)), QStringLiteral("Inzuchtgrad"),
                      [&host] { openInzuchtgrad(host); }});
  host.addToolButton({270, tileIcon(QStringLiteral("AP"), QColor(0x2a, 0x7a, 0x7a)), QStringLiteral("Anpaarungsplanung"),
                      [&host] { openAnpaarungsplanung(host); }});
}

}  // namespace lapiro::lineage::ui

#include "health/ui/health_module.h"

#include "health/ui/health_windows.h"
#include "health/ui/hygiene_page.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/keyword_index.h"

namespace lapiro::health::ui {

void registerHealth(shell::ui::Host& host) {
  host.addCommand({QStringLiteral("System/Datenverwaltung"), 310, QStringLiteral("Apotheke / Hygiene"),
                   [&host] { openApotheke(host); }});
  host.addCommand({QStringLiteral("Drucker"), 420, QStringLiteral("Impfbescheinigung"),
                   [&host] { openImpfbescheinigung(host); }});
  host.addToolButton({250, shell::ui::tileIcon(QStringLiteral("Ap"), QColor(0xb0, 0x30, 0x30)), QStringLiteral("Apotheke"),
                      [&host] { openApotheke(host); }});
  host.addKeywordTarget(store::KeywordKind::Medikament, [&host](qint64) { openApotheke(host); });
}

card::ui::CardPageFactories healthCardPages() {
  return {{card::ui::TLapiroStamm::TabStallhygiene, [](const card::ui::CardPageContext& c) {
             auto* page = new THygieneSeite(c.dm, c.settings, {c.services.pickDate, c.services.showHelp});
             card::ui::CardPage result;
             result.widget = page;
             result.focusDate = [page] { page->focusDate(); };
             return result;
           }}};
}

}  // namespace lapiro::health::ui

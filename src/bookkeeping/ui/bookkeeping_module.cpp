#include "bookkeeping/ui/bookkeeping_module.h"

#include "bookkeeping/ui/bookkeeping_window.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/keyword_index.h"

namespace lapiro::bookkeeping::ui {

void registerBookkeeping(shell::ui::Host& host) {
  host.addCommand({QStringLiteral("Büro"), 110, QStringLiteral("Buchführung"), [&host] { openBuchfuehrung(host); }});
  host.addToolButton({330, shell::ui::tileIcon(QStringLiteral("€"), QColor(0x5a, 0x6a, 0x7a)), QStringLiteral("Buchführung"),
                      [&host] { openBuchfuehrung(host); }});
  host.addKeywordTarget(store::KeywordKind::Buchung, [&host](qint64) { openBuchfuehrung(host); });
}

}  // namespace lapiro::bookkeeping::ui

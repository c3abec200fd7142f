#include "contacts/ui/contacts_module.h"

#include "contacts/ui/address_window.h"
#include "contacts/ui/contacts_windows.h"
#include "contacts/ui/register_windows.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/keyword_index.h"

namespace lapiro::contacts::ui {

void registerContacts(shell::ui::Host& host) {
  using shell::ui::tileIcon;
  host.addCommand({QStringLiteral("Infobox"), 110, QStringLiteral("Züchterregister"),
                   [&host] { openZuechterregister(host); }});
  host.addCommand({QStringLiteral("Infobox"), 130, QStringLiteral("Vereine"), [&host] { openVereine(host); }});
  host.addCommand({QStringLiteral("System/Datenverwaltung"), 210, QStringLiteral("Adressenverwaltung"),
                   [&host] { openAdressenverwaltung(host); }});
  host.addCommand({QStringLiteral("System/Datenverwaltung"), 220, QStringLiteral("Status Adressen"),
                   [&host] { openStatusAdressen(host); }});
  host.addToolButton({210, tileIcon(QStringLiteral("Ad"), QColor(0x8a, 0x5a, 0x2a)), QStringLiteral("Adressenverwaltung"),
                      [&host] { openAdressenverwaltung(host); }});
  host.addToolButton({220, tileIcon(QStringLiteral("Zr"), QColor(0x8a, 0x5a, 0x2a)), QStringLiteral("Züchterregister"),
                      [&host] { openZuechterregister(host); }});
  host.addToolButton({310, tileIcon(QStringLiteral("V"), QColor(0x5a, 0x6a, 0x7a)), QStringLiteral("Vereine"),
                      [&host] { openVereine(host); }});

  // Keyword-search hits: an address opens the address book on it, the register and the
  // clubs their office windows.
  host.addKeywordTarget(store::KeywordKind::Adresse, [&host](qint64 target) {
    openAdressenverwaltung(host);
    if (auto* book = qobject_cast<Tadressenverwaltung*>(
            host.officeRule().window(shell::ui::OfficeWindow::Adressenverwaltung)))
      book->gotoAddress(target);
  });
  host.addKeywordTarget(store::KeywordKind::Zuechterregister, [&host](qint64) { openZuechterregister(host); });
  host.addKeywordTarget(store::KeywordKind::RegisterTier, [&host](qint64) { openZuechterregister(host); });
  host.addKeywordTarget(store::KeywordKind::Verein, [&host](qint64) { openVereine(host); });
}

}  // namespace lapiro::contacts::ui

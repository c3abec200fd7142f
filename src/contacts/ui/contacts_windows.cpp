#include "contacts/ui/contacts_windows.h"

#include <QMdiSubWindow>
#include <QPointer>

#include "contacts/ui/address_window.h"
#include "contacts/ui/status_addresses_window.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"

namespace lapiro::contacts::ui {

using shell::ui::OfficeWindow;
using shell::ui::Host;

namespace {
QPointer<QMdiSubWindow> statusWindow;
}

void openAdressenverwaltung(Host& main, AddressOpening from) {
  main.openOffice(OfficeWindow::Adressenverwaltung, [&main, from]() -> QWidget* {
    shell::ShellSession& session = main.session();
    store::TDatenStamm* module = session.dataModule();
    engine::Cursor* shared = module ? module->cursor(QStringLiteral("Adressen")) : nullptr;
    auto* window = new Tadressenverwaltung(session.engine(), session.settings(), shared);
    if (!window->isUsable()) {
      delete window;
      return nullptr;
    }

    // Opened beside the breeder or the owner of the current animal: show that address.
    if (module && from != AddressOpening::Menu && module->Hasen().isOpen() && module->Hasen().hasRecord()) {
      engine::Cursor& hasen = module->Hasen();
      if (from == AddressOpening::Breeder) {
        const qint64 nr = hasen.field(QStringLiteral("Zuechter")).asInteger();
        if (nr > 0) window->gotoAddress(nr);
      } else {
        const qint64 nr = hasen.field(QStringLiteral("Besitzer")).asInteger();
        if (nr > 0 && hasen.field(QStringLiteral("Status")).asInteger() != 1) window->gotoAddress(nr);
      }
    }
    return window;
  });
}

void openStatusAdressen(Host& main) {
  if (main.bringForward(statusWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ShellSession& session = main.session();
  auto* window = new TFormStatusAdressen(session.engine(), session.settings());
  if (!window->isUsable()) {
    delete window;
    return;
  }
  statusWindow = main.openNormalWindow(window);
}

}  // namespace lapiro::contacts::ui

#include "card/ui/card_module.h"

#include "card/ui/pedigree_print.h"
#include "shell/startup.h"
#include "shell/ui/calendar_dialog.h"
#include "shell/ui/host.h"
#include "store/data_module.h"

namespace lapiro::card::ui {

void registerCard(shell::ui::Host& host, CardWiring wiring) {
  host.setCardFactory([&host, wiring = std::move(wiring)](const shell::ui::CardHooks& hooks) -> shell::ui::HostedCard* {
    store::TDatenStamm* dm = host.session().dataModule();
    if (!dm) return nullptr;
    CardServices services;
    services.searchAnimal = hooks.searchAnimal;
    services.searchAddress = wiring.searchAddress;
    services.pickDate = [&host](const QDate& initial) -> std::optional<QDate> { return host.calendar().pick(initial); };
    services.noteShown = hooks.noteShown;
    services.openAddressBook = wiring.openAddressBook;
    services.showHelp = [&host](int context) { host.showHelp(context); };
    services.refreshAnimalList = hooks.refreshAnimalList;
    services.positionAnimalList = hooks.positionAnimalList;
    services.updateRecordCounter = hooks.updateRecordCounter;
    return new TLapiroStamm(*dm, host.session().settings(), std::move(services), wiring.pages);
  });
  host.addCommand({QStringLiteral("Drucker"), 230, QStringLiteral("Abstammungsnachweis"), [&host] {
                     TLapiroStamm* card = cardOf(host);
                     store::TDatenStamm* dm = host.session().dataModule();
                     if (card && dm) AbstammungsnachweisClick(host.widget(), *card, *dm, host.session().settings());
                   }});
}

}  // namespace lapiro::card::ui

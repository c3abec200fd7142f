#include "app/modules.h"

#include "bookkeeping/ui/bookkeeping_module.h"
#include "breeding/ui/breeding_module.h"
#include "card/ui/card_module.h"
#include "contacts/ui/address_dialogs.h"
#include "contacts/ui/contacts_module.h"
#include "contacts/ui/contacts_windows.h"
#include "exchange/ui/exchange_module.h"
#include "genetics/ui/genetics_module.h"
#include "health/ui/health_module.h"
#include "lineage/ui/lineage_module.h"
#include "lineage/ui/lineage_windows.h"
#include "output/ui/output_module.h"
#include "safety/ui/safety_module.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "shows/ui/shows_module.h"

#include <QPointer>

#include <memory>

namespace lapiro::app {

namespace {

card::ui::CardWiring cardWiring(shell::ui::Host& host) {
  card::ui::CardWiring wiring;
  // The address search is shared like the animal search: one dialog, created on first use.
  auto dialog = std::make_shared<QPointer<contacts::ui::TSuchenAdrDlg>>();
  wiring.searchAddress = [&host, dialog]() -> std::optional<qint64> {
    if (!*dialog) *dialog = new contacts::ui::TSuchenAdrDlg(host.session().engine(), host.widget());
    contacts::ui::TSuchenAdrDlg& search = **dialog;
    if (search.exec() != QDialog::Accepted || search.chosenNumber() <= 0) return std::nullopt;
    return search.chosenNumber();
  };
  wiring.openAddressBook = [&host](bool breeder) {
    contacts::ui::openAdressenverwaltung(host, breeder ? contacts::ui::AddressOpening::Breeder
                                                       : contacts::ui::AddressOpening::Owner);
  };
  wiring.pages = featureCardPages();
  return wiring;
}

}  // namespace

card::ui::CardPageFactories featureCardPages() {
  card::ui::CardPageFactories all;
  for (auto* pages : {&health::ui::healthCardPages, &breeding::ui::breedingCardPages, &shows::ui::showsCardPages})
    for (card::ui::CardPageFactory& page : pages()) all.push_back(std::move(page));
  return all;
}

void registerFeatureModules(shell::ui::Host& host) {
  card::ui::registerCard(host, cardWiring(host));
  lineage::ui::registerLineage(host);
  genetics::ui::registerGenetics(host);
  // The planner's pair opens in the colour genetics window.
  lineage::ui::setColourPairAction(&genetics::ui::openFarbvererbungPaar);
  breeding::ui::registerBreeding(host);
  contacts::ui::registerContacts(host);
  shows::ui::registerShows(host);
  bookkeeping::ui::registerBookkeeping(host);
  health::ui::registerHealth(host);
  output::ui::registerOutput(host);
  exchange::ui::registerExchange(host);
  safety::ui::registerSafety(host);
}

void installFeatureModules() { shell::ui::setModuleRegistration(&registerFeatureModules); }

}  // namespace lapiro::app

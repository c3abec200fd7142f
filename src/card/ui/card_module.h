// The animal card's registration with the host: the card factory and the command
// "Abstammungsnachweis". What the card needs from modules above it comes in as CardWiring.
#pragma once

#include "card/ui/animal_card.h"

#include <functional>
#include <optional>

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::card::ui {

struct CardWiring {
  // The address search dialog; the chosen LaufendeNr or nullopt when cancelled.
  std::function<std::optional<qint64>()> searchAddress;
  // The address book, from the breeder (true) or owner (false) box.
  std::function<void(bool breeder)> openAddressBook;
  // The tabs the feature modules contribute.
  CardPageFactories pages;
};

void registerCard(shell::ui::Host& host, CardWiring wiring);

}  // namespace lapiro::card::ui

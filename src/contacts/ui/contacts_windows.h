// How the main window opens the address book's windows, and the help helper they share.
#pragma once

#include "contacts/ui/help_topic.h"

class QWidget;

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::contacts::ui {

// Which command opened the address book: the menu or tool button, or one of the animal
// card's "Adressen" buttons beside the breeder and the owner.
enum class AddressOpening { Menu, Breeder, Owner };

// Opens the address book "Adressenverwaltung" as an office window filling the main window's
// area (or brings it forward when it is open). Refused with the office rule's messages while
// another office window is open.
void openAdressenverwaltung(shell::ui::Host& main, AddressOpening from = AddressOpening::Menu);

// Opens "Status Adressen" as a normal child window (not while an office window is open).
void openStatusAdressen(shell::ui::Host& main);


}  // namespace lapiro::contacts::ui

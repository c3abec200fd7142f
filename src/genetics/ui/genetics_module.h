// The colour genetics module's command, registered with the host by the start-up wiring.
#pragma once

#include <QtGlobal>

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::genetics::ui {

void registerGenetics(shell::ui::Host& host);

// Opens "Farbvererbung" (or brings it forward).
void openFarbvererbung(shell::ui::Host& host);
// Opens "Farbvererbung" on this pair of the stock (buck, doe).
void openFarbvererbungPaar(shell::ui::Host& host, qint64 vater, qint64 mutter);

}  // namespace lapiro::genetics::ui

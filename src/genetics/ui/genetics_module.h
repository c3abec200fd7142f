// The colour genetics module's command, registered with the host by the start-up wiring, and
// the genotype check and hint it hands to the animal card.
#pragma once

#include <QtGlobal>

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::genetics::ui {

// Registers the command and hands the card its genotype rules.
void registerGenetics(shell::ui::Host& host);
// Hands the animal card the genotype check and hint (card::setGenotypeRules), and the store
// the check every save of an animal applies (store::setGenotypeNormaliser).
void lendGenotypeRulesToCard();

// Opens "Farbvererbung" (or brings it forward).
void openFarbvererbung(shell::ui::Host& host);
// Opens "Farbvererbung" on this pair of the stock (buck, doe).
void openFarbvererbungPaar(shell::ui::Host& host, qint64 vater, qint64 mutter);

}  // namespace lapiro::genetics::ui

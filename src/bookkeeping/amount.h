// Amounts typed by the user into the cash book, read into Money.
#pragma once

#include "engine/types.h"

#include <QString>

#include <optional>

namespace lapiro::bookkeeping {

// Reads an amount by the shared typed-number rules (core/number_input.h) and rounds it to
// whole cents, half away from zero ("12,345" gives 12,35 and "-12,345" gives -12,35).
// "1.000" is 1000,00 and "1.234,56" is 1234,56: a point before exactly three digits groups
// thousands, as the program prints amounts. Blanks and a trailing "€" or "DM" are ignored.
// Returns nullopt for an empty text, letters, an ambiguous point ("1.5") or more than 12
// digits before the decimal comma.
std::optional<engine::Money> parseAmount(const QString& text);

// The German message for a text parseAmount refused: for an ambiguous point
// "Bitte Komma als Dezimalzeichen verwenden: 1,5", otherwise "\"x\" ist kein gültiger Betrag.".
QString amountRefusal(const QString& text);

// Display text with two decimals in German notation: "1.234,50", "-50,00".
inline QString formatAmount(engine::Money m) { return m.toString(); }

}  // namespace lapiro::bookkeeping

// Amounts typed by the user into the cash book, read into Money.
//
// Kept in one small function so that a shared input helper can take its place later.
#pragma once

#include "engine/types.h"

#include <QString>

#include <optional>

namespace lapiro::bookkeeping {

// Reads an amount the way a German user types it and rounds it to whole cents, half away from
// zero ("12,345" gives 12,35 and "-12,345" gives -12,35).
// Accepted: an optional sign ("-" or "+") in front; digits; a decimal comma or a decimal
// point; thousands separators ("." with a decimal comma, "," with a decimal point, or either
// alone when it occurs more than once), which must then stand in groups of three; blanks
// and a trailing "€" or "DM" are ignored. A single separator is always the decimal one, so
// "1.234" is 1,23 (rounded) and "1.234,00" is 1234.
// Returns nullopt for an empty text, letters, a misplaced separator or more than 12 digits
// before the decimal separator.
std::optional<engine::Money> parseAmount(const QString& text);

// Display text with two decimals in German notation: "1.234,50", "-50,00".
inline QString formatAmount(engine::Money m) { return m.toString(); }

}  // namespace lapiro::bookkeeping

// The one reader of numbers a user types: money, weights, points and counts.
//
// German notation: a decimal comma ("3,5"), points grouping thousands ("1.234,56"). The
// program itself prints "1.000" for a thousand, so a point followed by exactly three digits
// and no comma is a thousands separator: "1.000" is 1000 and "1.234.567" is 1234567. Any
// other point without a comma ("1.5", "12.50", "0.500") could be either a decimal point or a
// mistyped group; such a text is refused with a hint instead of being guessed. Only the ASCII
// digits 0-9 count; exponents, "inf", "nan" and other scripts' digits are refused.
//
// Every edit box, grid cell and engine field that takes a typed number goes through
// readTypedNumber() (money through bookkeeping::parseAmount and engine::Money::parse, table
// fields through engine::parseFieldInput), so a box everywhere reads "1.500" the same way.
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace lapiro::core {

// A typed number split into its exact decimal digits.
struct TypedNumber {
  bool negative = false;
  QString whole;     // ASCII digits, at least one ("0" for ",5"), no grouping points
  QString fraction;  // ASCII digits after the comma, possibly empty

  // True when the fraction is empty or only zeros ("95,0").
  bool isWhole() const;
  // The value as a float (nearest double).
  double toDouble() const;
  // The value times 10^decimals, rounded half away from zero on the next digit; nullopt when
  // it does not fit in 64 bits. `decimals` from 0 to 6.
  std::optional<qint64> scaled(int decimals) const;
};

struct NumberReading {
  enum class Kind {
    Empty,      // nothing but blanks
    Number,     // `number` holds the value
    Ambiguous,  // a point that is not a thousands separator; `message` says to use a comma
    Invalid,    // anything else; the caller names the box in its own message
  };
  Kind kind = Kind::Empty;
  std::optional<TypedNumber> number;
  QString message;  // only for Ambiguous: "Bitte Komma als Dezimalzeichen verwenden: 1,5"

  bool isNumber() const { return kind == Kind::Number; }
};

// Reads `text` by the rules above. Surrounding blanks are ignored; an optional "-" or "+"
// may lead. Never throws.
NumberReading readTypedNumber(const QString& text);

// The hint for a text with a point where a comma belongs: "1.5" gives
// "Bitte Komma als Dezimalzeichen verwenden: 1,5".
QString decimalCommaHint(const QString& text);

// The message for a refused text: the decimal-comma hint for an ambiguous point, otherwise
// `otherwise`.
QString refusalMessage(const NumberReading& reading, const QString& otherwise);

}  // namespace lapiro::core

// Reading what a user typed into a field, and writing a field's value back as editable text.
//
// Every window that lets the user type a number or a date goes through these functions (the
// windows through store::ui::FieldEdit, which calls them), and so does the engine itself when
// a field is given text (Field::setString). The rules, in short:
//   - Numbers are read by core::readTypedNumber: "3,5", "-12", "1.234,5", and "1.500" is
//     1500 (a point before exactly three digits groups thousands). A point that cannot be a
//     group ("3.5") is refused with "Bitte Komma als Dezimalzeichen verwenden: 3,5". Only the
//     ASCII digits 0-9 count; "inf", "nan", exponents, other scripts' digits and full-width
//     digits are refused.
//   - Whole-number fields (Short, Long, AutoInc) refuse a fraction with their own message
//     instead of dropping the comma; "95,0" is 95. Short holds -32768..32767, Long and
//     AutoInc hold what a 64-bit integer holds (SQLite's integer).
//   - Money keeps at most four decimals (units of 1/10000).
//   - Dates are "d.M.yyyy", "dd.MM.yyyy", "d.M.yy" (years below 50 are 20xx) or ISO
//     "yyyy-MM-dd"; only real calendar days of the years 1 to 9999 count, so "31.04.2024",
//     "29.02.2023" and "-2024-04-29" are refused.
//   - Alpha text longer than the field is cut to size without splitting a surrogate pair.
// Empty (or blank) text always means "no value" and is accepted for every type.
#pragma once

#include "engine/types.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

namespace lapiro::engine {

// Outcome of parseFieldInput: a typed value (invalid QVariant for "empty") or the German
// message that explains why the text was refused.
struct FieldInput {
  QVariant value;
  QString error;  // empty when the text was accepted
  bool ok() const { return error.isEmpty(); }
};

// Parses `text` as the user's input for a field of `type` (and `size` for Alpha). Never
// throws. The value is of the field's typed form (qlonglong, double, Money, QDate, bool,
// QString), ready for Field::setValue. `fieldName` appears in the message.
FieldInput parseFieldInput(FieldType type, int size, const QString& text, const QString& fieldName);

// A German decimal number as described above; nullopt when the text is not one (also for
// empty text).
std::optional<double> parseGermanDecimal(const QString& text);

// A calendar date as described above; nullopt when the text is not a real day.
std::optional<QDate> parseGermanDate(const QString& text);

// The text an edit box shows for a typed value: like the grids' display text, but numbers
// without thousands separators, so that parseFieldInput reads back exactly the value shown.
QString editText(FieldType type, const QVariant& typed);

// The engine's message for a value a field cannot take:
// "»31.04.2024« ist kein gültiger Wert für das Feld Geburtstag."
QString invalidValueMessage(const QString& text, const QString& fieldName);

// The message for a fraction given to a whole-number field.
QString fractionMessage(const QString& text, const QString& fieldName);

// Inclusive value range of a whole-number field type (Short, Long, AutoInc).
std::pair<qlonglong, qlonglong> wholeNumberRange(FieldType type);

// Cuts `text` to at most `size` UTF-16 units without leaving half a surrogate pair.
QString cutToSize(const QString& text, int size);

}  // namespace lapiro::engine

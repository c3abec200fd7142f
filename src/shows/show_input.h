// Small parsers for what the show windows accept as typed input. Kept in one place so that
// a shared input helper can replace them later without touching the windows.
#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace lapiro::shows {

// Outcome of reading a typed date: empty text, a date, or refused with a German message.
struct TypedDate {
  bool empty = false;
  QDate date;       // valid when accepted
  QString refusal;  // set when refused
  bool accepted() const { return empty || date.isValid(); }
};

// Reads "d.M.yyyy", "dd.MM.yyyy", "d.M.yy" (years below 50 in this century) or "yyyy-MM-dd".
// A text that is no date, or a date outside 1900-2100, is refused with the engine's message
// for a bad field value ("»text« ist kein gültiger Wert für das Feld <field>.").
TypedDate readTypedDate(const QString& text, const QString& fieldName);

}  // namespace lapiro::shows

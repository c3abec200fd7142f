#include "shows/show_input.h"

namespace lapiro::shows {

TypedDate readTypedDate(const QString& text, const QString& fieldName) {
  TypedDate r;
  const QString t = text.trimmed();
  if (t.isEmpty()) {
    r.empty = true;
    return r;
  }
  QDate d;
  for (const char* fmt : {"d.M.yyyy", "dd.MM.yyyy", "yyyy-MM-dd", "d.M.yy"}) {
    d = QDate::fromString(t, QString::fromLatin1(fmt));
    if (d.isValid()) {
      if (QLatin1String(fmt) == QLatin1String("d.M.yy") && d.year() < 1950) d = d.addYears(100);
      break;
    }
  }
  if (d.isValid() && d.year() >= 1900 && d.year() <= 2100)
    r.date = d;
  else
    r.refusal = QStringLiteral("»%1« ist kein gültiger Wert für das Feld %2.").arg(t, fieldName);
  return r;
}

}  // namespace lapiro::shows

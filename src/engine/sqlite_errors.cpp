#include "engine/sqlite_errors.h"

#include <sqlite3.h>

namespace lapiro::engine {

QString sqliteErrorGerman(int rc, const QString& table) {
  const QString name = table.isEmpty() ? QStringLiteral("Die Tabelle") : QStringLiteral("Die Tabelle %1").arg(table);
  switch (rc & 0xff) {
    case SQLITE_FULL:
      return QStringLiteral("Der Datenträger ist voll. %1 kann nicht geschrieben werden; "
                            "die Änderung wurde nicht gespeichert. Bitte schaffen Sie Platz auf dem Datenträger.")
          .arg(name);
    case SQLITE_IOERR:
      return QStringLiteral("Fehler beim Schreiben oder Lesen auf dem Datenträger. %1 kann nicht bearbeitet werden; "
                            "die Änderung wurde nicht gespeichert.")
          .arg(name);
    case SQLITE_CANTOPEN:
      return QStringLiteral("%1 kann nicht geöffnet werden. Bitte prüfen Sie, ob die Datei vorhanden ist "
                            "und Sie das Recht haben, sie zu lesen und zu schreiben.")
          .arg(name);
    case SQLITE_READONLY:
      return QStringLiteral("%1 ist schreibgeschützt; Änderungen können nicht gespeichert werden.").arg(name);
    default:
      return {};
  }
}

QString sqliteErrorMessage(int rc, const QString& table, const QString& sqliteText) {
  QString text = sqliteErrorGerman(rc, table);
  if (text.isEmpty())
    text = table.isEmpty() ? QStringLiteral("Datenbankfehler.") : QStringLiteral("Datenbankfehler in der Tabelle %1.").arg(table);
  if (!sqliteText.isEmpty()) text += QStringLiteral("\nTechnische Angabe: ") + sqliteText;
  return text;
}

}  // namespace lapiro::engine

// The German message catalogue shipped in Sprmel.db.
#include <algorithm>

#include "installer/content.h"

namespace lapiro::installer {

const std::vector<std::pair<int, QString>>& messageTexts() {
  static const std::vector<std::pair<int, QString>> texts = {
      // An office window is open and blocks the command.
      {1, u"Das Züchterregister ist noch geöffnet. Bitte schließen Sie es zuerst."_qs},
      {2, u"Die Buchführung ist noch geöffnet. Bitte schließen Sie sie zuerst."_qs},
      {3, u"Das Fenster „Vereine“ ist noch geöffnet. Bitte schließen Sie es zuerst."_qs},
      {4, u"Die Ausstellungstermine sind noch geöffnet. Bitte schließen Sie sie zuerst."_qs},

      // Own user data at start-up; the program ends after either message.
      {6, u"Die Anwenderdaten fehlen oder sind beschädigt. Das Programm wird beendet."_qs},
      {8, u"Die Anwenderdaten konnten nicht aktualisiert werden. Das Programm wird beendet."_qs},

      // Followed by a blank and the table name.
      {11, u"Folgende Tabelle kann nicht geöffnet werden:"_qs},

      {13, u"Ein Bild mit dieser Nummer ist nicht vorhanden."_qs},
      // Caption of the animal card while a new animal is entered.
      {14, u"Neuaufnahme eines Kaninchens"_qs},
      {15, u"Soll dieser Eintrag wirklich gelöscht werden?"_qs},
      {16, u"Möchten Sie Lapiro Manager jetzt beenden?"_qs},

      // Quick search of the animal list failed; shown as one text, one line each.
      {19, u"Die Schnellsuche hat kein passendes Kaninchen gefunden."_qs},
      {20, u"Die Liste bleibt beim bisher gewählten Kaninchen stehen."_qs},
      {21, u"Gesucht wird in der ersten Spalte der eingestellten Sortierung."_qs},
      {22, u"Bei Sortierung nach Rasse oder Status bitte nur Ziffern eingeben."_qs},
      {23, u"Mit der Esc-Taste wird der Suchtext gelöscht."_qs},

      {28, u"Soll der ausgewählte Datensatz wirklich gelöscht werden?"_qs},
      {29, u"Sollen die Änderungen gespeichert werden?"_qs},
      {33, u"Sollen die geänderten Anwenderdaten gespeichert werden?"_qs},
      {34, u"Der Ordner konnte nicht angelegt werden. Bitte Name und Zugriffsrechte prüfen."_qs},
      {35, u"Die Indexrekonstruktion ist abgeschlossen."_qs},

      // Inbreeding calculation. 37, 44 to 47 and 93 are followed by a blank and a number;
      // an info line reads: depth, " ", 39, tattoos, " ", 40 or 41.
      {36, u"Der Stammbaum konnte nicht ausgewertet werden."_qs},
      {37, u"Anzahl möglicher Generationen:"_qs},
      {38, u"Bitte wählen Sie weniger Generationen."_qs},
      {39, u"Gen.: bei Tier "_qs},
      {40, u"fehlt der Vater."_qs},
      {41, u"fehlt die Mutter."_qs},
      {42, u"Der Stammbaum ist vollständig."_qs},
      {43, u"Der Stammbaum ist unvollständig."_qs},
      {44, u"Ahnenplätze insgesamt:"_qs},
      {45, u"Verschiedene Ahnen:"_qs},
      {46, u"Mehrfach besetzte Ahnenplätze:"_qs},
      {47, u"Ahnenverlust in Prozent:"_qs},
      {48, u"Kein gemeinsamer Ahne auf Vater- und Mutterseite, also keine Inzucht."_qs},

      {49, u"Es wurde keine passende Adresse gefunden."_qs},
      {50, u"Es wurde kein passendes Kaninchen gefunden."_qs},
      {51, u"Bitte tragen Sie Ihren Namen ein; er wird für die Anwenderdaten benötigt."_qs},
      {79, u"Im Züchterregister wurde kein passender Eintrag gefunden."_qs},

      {83, u"Bitte wählen Sie zuerst ein Kaninchen oder beide Elterntiere aus."_qs},
      {84, u"Es sind noch keine Inzuchtgradberechnungen gespeichert."_qs},
      {85, u"Diese Berechnung ist bereits gespeichert. Soll sie überschrieben werden?"_qs},
      {86, u"Bitte geben Sie einen Namen für die Speicherung ein."_qs},
      {87, u"Die Inzuchtgradberechnung wurde gespeichert."_qs},
      {92, u"Es können höchstens 4 Generationen berechnet werden."_qs},
      {93, u"Davon mit Tieren besetzt:"_qs},
      {106, u"Die Inzuchtgradberechnung ist abgeschlossen."_qs},

      // Shown both for a genetic formula that cannot be derived and for litter weights
      // that cannot be evaluated, so the wording fits either.
      {108, u"Die Berechnung ist nicht möglich: die Ausgangsdaten fehlen oder passen nicht."_qs},
      {109, u"Ein Kaninchen mit diesen Tätonummern ist nicht vorhanden."_qs},
      {110, u"Für dieses Kaninchen ist kein Geschlecht eingetragen."_qs},
      {111, u"Diese Körung ist bereits gespeichert. Soll sie überschrieben werden?"_qs},
      {112, u"Der zweite Wurf erreicht keine Punkte für die Ausgeglichenheit."_qs},
      {118, u"Die Erbformeln der Eltern passen nicht zusammen. Keine Berechnung möglich."_qs},
      {119, u"Ungültige Erbformel: die Anteile müssen 1, 2, 4, 8 oder 16 ergeben."_qs},
      {120, u"Es gibt schon ein Tier mit diesen Tätonummern und Geburtstag. Trotzdem weiter?"_qs},
      {122, u"Für dieses Kaninchen sind keine Gewichte eingetragen."_qs},
      {123, u"Für dieses Kaninchen sind keine Ausstellungsergebnisse eingetragen."_qs},
      {127, u"Für dieses Kaninchen ist kein Wollleistungsnachweis vorhanden."_qs},
      // Follows "<right tattoo left tattoo> ".
      {129, u"nicht gefunden. Die Impfung wurde für dieses Tier nicht eingetragen."_qs},
      {130, u"Die Impfungen wurden bei den Tieren eingetragen."_qs},
      {131, u"Die Gewichtstabelle kann zurzeit nicht berechnet werden."_qs},
      {132, u"Diese Datei ist bereits vorhanden. Soll sie überschrieben werden?"_qs},

      // Bookkeeping.
      {133, u"Sollen die Änderungen am Konto bzw. an der Kategorie gespeichert werden?"_qs},
      {134, u"Soll diese Buchung wirklich gelöscht werden?"_qs},
      {135, u"Soll die Buchung gespeichert werden?"_qs},
      {136, u"Soll dieses Konto wirklich gelöscht werden (seine Buchungen bleiben erhalten)?"_qs},

      {137, u"Bitte tragen Sie das Datum der Ausstellung ein."_qs},
      {138, u"Das Tier hat schon eine Erbformel. Soll sie aus den Eltern neu berechnet werden?"_qs},
      {139, u"Die Adressenverwaltung ist noch geöffnet. Bitte schließen Sie sie zuerst."_qs},

      {kMeldungKeineLanghaarrasse,
       u"Diese Rasse gehört nicht zu den Langhaarrassen. Der Druck wird fortgesetzt."_qs},
      {kMeldungAdresskategorienVoll, u"Es sind höchstens 10 Adressenkategorien möglich."_qs},
  };
  return texts;
}

QString messageText(int number) {
  const auto& texts = messageTexts();
  const auto it = std::lower_bound(texts.begin(), texts.end(), number,
                                   [](const auto& row, int n) { return row.first < n; });
  return it != texts.end() && it->first == number ? it->second : QString();
}

}  // namespace lapiro::installer

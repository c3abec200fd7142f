// The help pages written into Help/: one short German page per help context of the
// program's windows and the contents page 1001 that links to all of them.
#include <algorithm>

#include "installer/content.h"

namespace lapiro::installer {

namespace {

struct Topic {
  int context;
  const char16_t* section;  // heading under which the contents page lists it
  const char16_t* title;
  std::vector<const char16_t*> paragraphs;  // plain text, escaped when rendered
};

const std::vector<Topic>& topics() {
  static const std::vector<Topic> list = {
      // Animals
      {11,
       u"Kaninchen",
       u"Kaninchenkarte",
       {u"Die Kaninchenkarte zeigt das in der Liste gewählte Tier mit Tätonummern, Rasse, "
        u"Farbe, Geschlecht, Eltern, Züchter, Besitzer, Status und Erbformel.",
        u"Mit „Speichern“ werden Änderungen übernommen, mit „Rückgängig“ verworfen. Die "
        u"Reiter der Karte führen zu Stammbaum, Wurfbuch, Ausstellungen, Bildern, "
        u"Gewichten und Stallhygiene des Tieres."}},
      {12,
       u"Kaninchen",
       u"Stammbaum",
       {u"Der Reiter „Stammbaum“ zeigt die Vorfahren des Tieres über fünf Generationen, "
        u"getrennt nach Vater- und Mutterseite. Mehrfach vorkommende Ahnen sind farbig "
        u"markiert.",
        u"Über das Kontextmenü eines Kästchens lädt „Stammbaum laden“ den Stammbaum dieses "
        u"Vorfahren; „Rücksprung“ kehrt zum ursprünglichen Tier zurück."}},
      {14,
       u"Kaninchen",
       u"Gewichtstabelle und Zusatzinformationen",
       {u"Hier tragen Sie Kauf, Verkauf, Schlachtung und Tod des Tieres mit Datum und "
        u"Preis ein.",
        u"In der Gewichtstabelle erfassen Sie jede Wägung; Zunahme und mittlere Zunahme "
        u"werden berechnet. Darunter ist Platz für Notizen."}},
      {51,
       u"Kaninchen",
       u"Bilder",
       {u"„Bild laden“ verknüpft eine Bilddatei mit dem Tier; die Datei selbst bleibt an "
        u"ihrem Ort. „Bild löschen“ entfernt nur die Verknüpfung.",
        u"Mit „Auswahl für Druck“ bestimmen Sie das Bild, das auf Karte und Ausdrucken "
        u"erscheint. Zu jedem Bild lassen sich zwei Texte speichern."}},
      {17,
       u"Kaninchen",
       u"Kaninchen suchen",
       {u"Geben Sie einen oder mehrere Suchbegriffe ein, etwa Tätonummern, Rasse, Farbe, "
        u"Züchter, Besitzer, Stallnummer oder Status, und wählen Sie „Suchen“.",
        u"Bei mehreren Treffern erscheint eine Liste; „OK“ übernimmt das gewählte Tier."}},
      {110,
       u"Kaninchen",
       u"Kalender",
       {u"Der Kalender setzt ein Datum in das Feld, zu dem er geöffnet wurde. Mit den "
        u"Pfeilen blättern Sie monats- oder jahresweise; „OK“ übernimmt den gewählten Tag."}},

      // Lineage
      {181,
       u"Genmodul",
       u"Inzuchtgrad",
       {u"Das Fenster berechnet den Inzuchtkoeffizienten eines Tieres oder einer geplanten "
        u"Verpaarung über drei oder vier Generationen sowie den Ahnenverlust.",
        u"Wählen Sie ein Kaninchen oder Vater und Mutter und starten Sie „Berechnung“. "
        u"Ergebnisse lassen sich speichern, später laden und drucken."}},
      {26,
       u"Genmodul",
       u"Nachkommen",
       {u"Die direkten Nachkommen zeigt eine Liste, alle Nachkommen ein Baum über die "
        u"Generationen.",
        u"Ein Doppelklick auf einen Nachkommen zeigt ihn auf der Kaninchenkarte; „Drucken“ "
        u"gibt die Liste aus."}},

      // Breeding
      {16,
       u"Zucht",
       u"Wurfbuch",
       {u"Im Wurfbuch einer Häsin steht jede Verpaarung mit Decktag, Rammler, Wurftag und "
        u"der Zahl der aufgezogenen und toten Jungtiere.",
        u"Der erwartete Wurftag wird aus dem Decktag berechnet. Auf der Seite „Gewichte“ "
        u"erfassen Sie die Wägungen des ganzen Wurfes."}},
      {13,
       u"Zucht",
       u"Körung und Jungtierbewertung",
       {u"Hier bewerten Sie die Jungtiere der von einem Rammler gedeckten Häsinnen und "
        u"berechnen seine Körnote. Es zählen die Würfe des Zuchtjahres (1. November bis zum "
        u"Tag der Körung) mit mindestens drei aufgezogenen Jungtieren.",
        u"Auf „Bewertung der Jungtiere“ tragen Sie je Jungtier die Punkte der sieben "
        u"Positionen ein (Dezimalkomma, z. B. 9,5); Felder über der Höchstpunktzahl werden "
        u"rot markiert und nicht gespeichert. Die beiden Würfe für die Körung ziehen Sie mit "
        u"der Maus auf „1. Häsin“ und „2. Häsin“ oder wählen sie mit „Als 1. Häsin“ und "
        u"„Als 2. Häsin“.",
        u"„Körnote berechnen“ ermittelt die Punkte aus Abstammung, Ausgeglichenheit zweier "
        u"Würfe, eigenem Ergebnis und bei Langhaarrassen der Wollleistung; „Körung speichern“ "
        u"hält sie fest und trägt die Körnote beim Rammler ein. „Druck Ausgeglichenheit“ und "
        u"„Druck Körnote“ zeigen die Formulare in der Vorschau."}},
      {215,
       u"Zucht",
       u"Verpaarungen und Würfe",
       {u"Der Baum zeigt für ein Tier alle Verpaarungen, die Würfe und die Jungtiere.",
        u"Ein Klick auf einen Eintrag zeigt seine Einzelheiten; „Druck“ gibt die Übersicht "
        u"des gewählten Eintrags aus."}},
      {160,
       u"Zucht",
       u"Wurfmeldung",
       {u"Die Wurfmeldung fasst einen Wurf der Häsin für den Verein zusammen.",
        u"Prüfen Sie die Angaben und wählen Sie „Drucken“ oder „Druckvorschau“."}},
      {210,
       u"Zucht",
       u"Wollleistung (Angora)",
       {u"Für Tiere der Langhaarrassen erfassen Sie hier Prüfstelle, Prüfzeitraum, "
        u"Bewertung und Schurergebnisse.",
        u"Die Werte der Eltern und Großeltern werden aus deren Prüfungen ergänzt. Der "
        u"Leistungsnachweis wird über „Drucken“ ausgegeben."}},
      {150,
       u"Zucht",
       u"Jungtierliste und Impfbescheinigung",
       {u"Für die Jungtierliste geben Sie das Zuchtjahr ein; es reicht vom 1. November bis "
        u"zum 31. Oktober.",
        u"Für die Impfbescheinigung ziehen Sie die Tiere aus der Liste in das Fenster, "
        u"füllen die Angaben zur Impfung aus und drucken die Bescheinigung. „Speichern“ "
        u"trägt die Impfung bei jedem Tier ein."}},

      // Shows
      {50,
       u"Ausstellungen",
       u"Ausstellungsergebnisse",
       {u"Jede Zeile ist ein Ergebnis des Tieres mit Datum, Titel, Ort, Gewicht und den "
        u"Punkten der sieben Positionen; Summe und Prädikat werden berechnet.",
        u"Beim Titel „Jungtierbewertung“ tragen Sie statt der Punkte den Bewertungscode "
        u"ein."}},
      {170,
       u"Ausstellungen",
       u"Ausstellungsanmeldung",
       {u"Ziehen Sie bis zu zwölf Tiere in den Meldebogen und ergänzen Sie Ausstellung, "
        u"Datum und Gebühren.",
        u"Der Meldebogen lässt sich drucken sowie als Datei speichern und wieder laden."}},
      {41,
       u"Ausstellungen",
       u"Ausstellungstermine",
       {u"Hier verwalten Sie die Termine der Ausstellungen mit Verein, Anschrift und "
        u"Hinweisen. Die Seite „Tabelle“ zeigt alle Termine in einer Übersicht."}},
      {220,
       u"Ausstellungen",
       u"Ausstellungstitel",
       {u"Die Liste enthält die Titel, die bei einem Ausstellungsergebnis zur Wahl stehen.",
        u"„Eigene Bewertung“ und „Jungtierbewertung“ haben eine feste Bedeutung und können "
        u"nicht geändert werden."}},

      // Contacts
      {130,
       u"Adressen",
       u"Adressenverwaltung",
       {u"Die Adressenverwaltung enthält Züchter, Käufer, Vereine und andere Kontakte mit "
        u"Anschrift, Telefon, E-Mail und Mitgliedsdaten.",
        u"Züchter und Besitzer der Kaninchen werden aus diesen Adressen gewählt."}},
      {101,
       u"Adressen",
       u"Adressen suchen",
       {u"Geben Sie den Anfang von Name, Vorname, Ort, Rasse oder anderen Angaben ein und "
        u"wählen Sie „Suchen“. Groß- und Kleinschreibung spielen meist keine Rolle."}},
      {131,
       u"Adressen",
       u"Status Adressen",
       {u"Hier legen Sie bis zu zehn Kategorien für Ihre Adressen fest, zum Beispiel "
        u"Züchter, Käufer oder Tierarzt."}},
      {25,
       u"Adressen",
       u"Züchterregister",
       {u"Das Züchterregister sammelt andere Zuchten mit Zwingername, Rasse, Anschrift und "
        u"ihren Zuchttieren.",
        u"Über die Suche finden Sie Züchter nach Verein, Name, Postleitzahl, Ort oder "
        u"Rasse."}},
      {102,
       u"Adressen",
       u"Züchterregister durchsuchen",
       {u"Füllen Sie eines oder mehrere Felder aus und wählen Sie „Suchen“; „OK“ zeigt "
        u"den gefundenen Eintrag."}},
      {40,
       u"Adressen",
       u"Vereine",
       {u"Die Vereinsliste enthält Anschrift, Ansprechpartner, Telefon, E-Mail und "
        u"Internetseite der Vereine."}},

      // Health
      {140,
       u"Gesundheit",
       u"Apotheke",
       {u"In der Apotheke verwalten Sie Ihre Medikamente mit Gruppe, Krankheit und "
        u"Verfallsdatum.",
        u"Die Sortierung wählen Sie oben; Behandlungen auf der Kaninchenkarte greifen auf "
        u"diese Liste zurück."}},
      {31,
       u"Gesundheit",
       u"Desinfektion",
       {u"Tragen Sie ein, wann der Stall des Tieres mit welchem Mittel desinfiziert wurde."}},
      {32,
       u"Gesundheit",
       u"Medikamente",
       {u"Hier halten Sie fest, welches Medikament aus der Apotheke das Tier wann, gegen "
        u"welche Krankheit und in welcher Dosierung erhalten hat."}},
      {33,
       u"Gesundheit",
       u"Insektenbekämpfung",
       {u"Tragen Sie ein, wann gegen Insekten und Parasiten mit welchem Mittel behandelt "
        u"wurde."}},
      {34,
       u"Gesundheit",
       u"Impfungen",
       {u"Jede Impfung des Tieres wird mit Datum, Krankheit, Impfstoff, Charge und "
        u"Tierarzt erfasst."}},

      // Bookkeeping
      {60,
       u"Buchführung",
       u"Buchführung",
       {u"Wählen Sie ein Konto und erfassen Sie mit „Buchung neu“ Einnahmen und Ausgaben "
        u"mit Datum, Betrag und Kategorie. Ausgaben werden automatisch abgezogen.",
        u"Ist die Kategorie ein anderes Konto, entsteht eine Umbuchung mit Gegenbuchung. "
        u"Unter „Auswertungen“ sehen Sie Kontostände und Statistiken."}},
      {21,
       u"Buchführung",
       u"Zeitraum der Statistik",
       {u"Geben Sie den ersten und letzten Monat sowie das Jahr ein, für die die "
        u"Statistik berechnet werden soll."}},

      // System
      {70,
       u"System",
       u"Systemparameter",
       {u"Hier stellen Sie ein, wie das Programm arbeitet: Sortierung und Anzeige der "
        u"Tierliste, Speichern mit oder ohne Rückfrage, Fenster, Drucker und Stammbaum.",
        u"„Speichern“ übernimmt die Einstellungen und schließt das Fenster."}},
      {80,
       u"System",
       u"Anwenderdaten",
       {u"Tragen Sie Ihren Namen, Ihre Anschrift, Ihren Verein und Ihre Bankverbindung "
        u"ein. Diese Angaben erscheinen auf Ausdrucken.",
        u"Zuchtrasse und Zuchtfarbe werden bei neuen Tieren vorgeschlagen."}},
      {90,
       u"System",
       u"Rassen",
       {u"Jede Rasse hat einen Namen, einen Kurzcode für die Tierliste, Mindest- und "
        u"Höchstgewicht und eine Rassegruppe.",
        u"Die Gruppe „Langhaarrassen“ schaltet die Wollleistung frei."}},
      {100,
       u"System",
       u"Farben",
       {u"Wählen Sie eine Rasse und pflegen Sie deren Farbenschläge mit Name und Code. "
        u"Auf der Kaninchenkarte stehen nur die Farben der gewählten Rasse zur Wahl."}},
      {120,
       u"System",
       u"Status",
       {u"Der Status beschreibt, wo ein Tier steht, etwa eigener Bestand oder verkauft.",
        u"Status 1 ist der eigene Bestand, Status 2 erhalten neu aufgenommene Tiere; beide "
        u"können nicht gelöscht werden."}},
      {180,
       u"System",
       u"Transportaufkleber und Stallkarten",
       {u"Ziehen Sie Tiere aus der Liste in das Fenster oder geben Sie ihre Tätonummern "
        u"ein und drucken Sie Aufkleber oder Stallkarten."}},
      {195,
       u"System",
       u"Datensicherung",
       {u"Wählen Sie einen Ordner, zum Beispiel auf einem USB-Stick, und starten Sie die "
        u"Sicherung. Alle Dateien des Datenverzeichnisses werden dorthin kopiert, auch die Bilder "
        u"in seinen Unterordnern. Eine abgebrochene Sicherung wird als unvollständig gekennzeichnet."}},
      {194,
       u"System",
       u"Datenrücksicherung",
       {u"Wählen Sie den Ordner einer Sicherung und starten Sie die Rücksicherung. Der "
        u"bisherige Stand wird vorher im Ordner „Datensik“ aufbewahrt. Fehlen der Sicherung "
        u"Tabellen, werden sie genannt; mit „Ja“ bleiben dafür die jetzigen Tabellen erhalten. "
        u"Bilder und andere Dateien, die die Sicherung nicht enthält, bleiben unverändert.",
        u"„Sicherheitskopie zurückholen“ holt den Stand vor der letzten Rücksicherung aus "
        u"„Datensik“ zurück; die jetzigen Daten werden dabei zur neuen Sicherheitskopie."}},
      {196,
       u"System",
       u"Indexrekonstruktion",
       {u"Wenn Listen falsch sortiert erscheinen oder Tabellen Fehler melden, bauen Sie "
        u"hier die Indizes der gewählten Tabellengruppen neu auf."}},
  };
  return list;
}

QString text(const char16_t* s) {
  return QString::fromUtf16(s);
}

QString fileFor(int context) {
  return QString::number(context) + u".html"_qs;
}

QString document(const QString& title, const QString& body) {
  return u"<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n<title>"_qs +
         title.toHtmlEscaped() + u"</title>\n</head>\n<body>\n<h1>"_qs + title.toHtmlEscaped() +
         u"</h1>\n"_qs + body + u"</body>\n</html>\n"_qs;
}

}  // namespace

std::vector<HelpPage> helpPages() {
  std::vector<HelpPage> pages;
  QString index;
  QString section;
  for (const Topic& t : topics()) {
    const QString title = text(t.title);
    QString body;
    for (const char16_t* p : t.paragraphs) body += u"<p>"_qs + text(p).toHtmlEscaped() + u"</p>\n"_qs;
    body += u"<p><a href=\""_qs + fileFor(kHelpIndexContext) + u"\">Inhalt</a></p>\n"_qs;
    pages.push_back({t.context, fileFor(t.context), title, document(title, body)});

    if (text(t.section) != section) {
      if (!section.isEmpty()) index += u"</ul>\n"_qs;
      section = text(t.section);
      index += u"<h2>"_qs + section.toHtmlEscaped() + u"</h2>\n<ul>\n"_qs;
    }
    index +=
        u"<li><a href=\""_qs + fileFor(t.context) + u"\">"_qs + title.toHtmlEscaped() + u"</a></li>\n"_qs;
  }
  if (!section.isEmpty()) index += u"</ul>\n"_qs;

  const QString title = u"Lapiro Manager – Inhalt"_qs;
  const QString intro =
      u"<p>Lapiro Manager verwaltet den Bestand einer Rassekaninchenzucht: Tiere mit "
      u"Stammbaum, Würfe, Ausstellungen, Gesundheit, Adressen und eine kleine Buchführung. "
      u"Jedes Fenster öffnet mit „Hilfe“ die passende Seite.</p>\n"_qs;
  pages.insert(pages.begin(),
               {kHelpIndexContext, fileFor(kHelpIndexContext), title, document(title, intro + index)});
  return pages;
}

QString helpFileForContext(int context) {
  const auto& list = topics();
  const bool known =
      std::any_of(list.begin(), list.end(), [context](const Topic& t) { return t.context == context; });
  return fileFor(known ? context : kHelpIndexContext);
}

}  // namespace lapiro::installer

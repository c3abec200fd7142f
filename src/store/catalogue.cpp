#include "store/catalogue.h"

#include <initializer_list>

namespace lapiro::store {

namespace {

using engine::FieldDef;
using engine::FieldType;
using engine::IndexDef;
using engine::TableDef;
using Origin = CatalogueTable::Origin;

// Marks of the declarative lists below.
constexpr int kRequired = 1;          // field: a post with an empty value fails
constexpr int kUpgrade = 2;           // field or index: missing in older data directories
constexpr int kUnique = 4;            // index
constexpr int kDescending = 8;        // index: every field descending
constexpr int kCaseInsensitive = 16;  // index: every field case-insensitive
constexpr int kGermanNames = 32;      // index: the name fields (Name, Vorname, IDCode) in German order

struct F {
  QStringView name;
  FieldType type;
  int size = 0;
  int flags = 0;
};

struct I {
  QStringView name;
  QStringView fields;  // ";" separated
  int flags = 0;
};

// Builds one table. `file` is the name as the table is known; one without an extension gets
// ".db". `key` is the primary index's field list, empty for a table without a key.
CatalogueTable makeTable(QStringView file, Origin origin, QStringView key, std::initializer_list<F> fields,
                         std::initializer_list<I> indexes = {}) {
  CatalogueTable t;
  t.fileName = file.toString();
  const qsizetype dot = t.fileName.lastIndexOf(u'.');
  if (dot < 0) {
    t.def.name = t.fileName;
    t.fileName += u".db";
  } else {
    t.def.name = t.fileName.left(dot);
  }
  t.origin = origin;

  for (const F& f : fields) {
    FieldDef def;
    def.name = f.name.toString();
    def.type = f.type;
    def.size = f.size;
    if (f.type == FieldType::Alpha && def.size <= 0) def.size = 20;
    if (f.type == FieldType::Memo && def.size <= 0) def.size = 1;
    def.required = (f.flags & kRequired) != 0;
    t.def.fields.push_back(def);
    if (f.flags & kUpgrade) t.upgradeFields << def.name;
  }

  if (!key.isEmpty()) t.def.indexes.push_back(IndexDef::primaryKey(key.toString()));
  for (const I& i : indexes) {
    t.def.indexes.push_back(IndexDef::fromList(i.name.toString(), i.fields.toString(),
                                               (i.flags & kDescending) != 0,
                                               (i.flags & kCaseInsensitive) != 0, (i.flags & kUnique) != 0));
    if (i.flags & kGermanNames)
      t.def.indexes.back() = t.def.indexes.back().withGermanOrder(
          {QStringLiteral("Name"), QStringLiteral("Vorname"), QStringLiteral("IDCode")});
    if (i.flags & kUpgrade) t.upgradeIndexes << i.name.toString();
  }
  return t;
}

std::vector<CatalogueTable> buildCatalogue() {
  using enum FieldType;
  std::vector<CatalogueTable> c;

  // ---- Animals, lookup lists and people -------------------------------------------------

  CatalogueTable hasen =
      makeTable(u"Hasen", Origin::Installer, u"Nummer",
                {{u"Nummer", AutoInc},
                 {u"TatoRechts", Alpha, 8},
                 {u"TatoLinks", Alpha, 10},
                 {u"Geschlecht", Alpha, 1, kRequired},
                 {u"Rasse", Long},
                 {u"Farbe", Long},
                 {u"Stallnummer", Long, 0, kUpgrade},
                 {u"Vater", Long},
                 {u"Mutter", Long},
                 {u"Zuechter", Long},
                 {u"Besitzer", Long},
                 {u"Status", Short},
                 {u"Info", Memo, 1},
                 {u"Erbformel", Alpha, 40},
                 {u"Wurfgroesse", Alpha, 10},
                 {u"Anomalien", Memo, 1},
                 {u"IDCode", Alpha, 20},
                 {u"Körnote", Long},
                 {u"Geburtstag", Date},
                 {u"Druckbild", Short, 0, kUpgrade},
                 // The colour genotype, "A achi/B b/C C/D d/g g" (genetics/genotype.h); empty
                 // when not known.
                 {u"Genotyp", Alpha, 80, kUpgrade}},
                {{u"Tato", u"TatoRechts;TatoLinks;Geburtstag"},
                 {u"TatoLinksRechts", u"TatoLinks;TatoRechts"},
                 {u"RasseTato", u"Rasse;TatoRechts;TatoLinks"},
                 {u"StatusTato", u"Status;TatoRechts;TatoLinks"},
                 {u"IdxMutter", u"Mutter;TatoLinks;TatoRechts"},
                 {u"IdxVater", u"Vater;TatoLinks;TatoRechts"},
                 {u"idxMutterGeb", u"Mutter;Geburtstag"},
                 {u"RasseFarbeTato", u"Rasse;Farbe;TatoRechts;TatoLinks", kUpgrade},
                 {u"idxGebMutterTato", u"Geburtstag;Mutter;TatoLinks"},
                 {u"idxRasseMutterGeb", u"Rasse;Mutter;Geburtstag"},
                 {u"idxFarbeMutterGeb", u"Farbe;Mutter;Geburtstag"},
                 {u"IdxErbformel", u"Erbformel;Nummer"},
                 {u"StallnummerTato", u"Stallnummer;TatoRechts;TatoLinks"},
                 {u"RasseGebMutterTatoL", u"Rasse;Geburtstag;Mutter;TatoLinks", kUpgrade},
                 {u"TatoReGebTatoLi", u"TatoRechts;Geburtstag;TatoLinks", kUpgrade},
                 {u"StatusTatoReGebTatoLi", u"Status;TatoRechts;Geburtstag;TatoLinks", kUpgrade},
                 {u"idxMutterGebGeschlTato", u"Mutter;Geburtstag;Geschlecht;TatoLinks", kUpgrade},
                 {u"VaterGebTatoRL", u"Vater;Geburtstag;TatoRechts;TatoLinks", kUpgrade},
                 {u"MutterGebTatoRL", u"Mutter;Geburtstag;TatoRechts;TatoLinks", kUpgrade},
                 {u"StatusNameRasse", u"Status;IDCode;Rasse", kUpgrade | kGermanNames}});
  // Older data hold the hutch number as text; the upgrade replaces it by a number. The index
  // StallnummerTato exists in both forms.
  hasen.olderForms.push_back({QStringLiteral("Stallnummer"), Alpha, 20, false});
  c.push_back(std::move(hasen));

  c.push_back(makeTable(u"Hasenz", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc}, {u"Hase", Long}, {u"ZMNr", Alpha, 4}}, {{u"Hase", u"Hase"}}));

  c.push_back(makeTable(u"VERKAUFT", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc},
                         {u"Katze", Long},
                         {u"Gekauftam", Date},
                         {u"Preisgekauft", Money},
                         {u"Verkauftam", Date},
                         {u"Preisverkauft", Money},
                         {u"Geschlachtetam", Date},
                         {u"Preisgeschlachtet", Money},
                         {u"Gestorbenam", Date, 0, kUpgrade}},
                        {{u"KatzeIdx", u"Katze;Nummer"}}));

  c.push_back(makeTable(u"Bilder.db", Origin::Installer, u"LaufendeNr",
                        {{u"LaufendeNr", AutoInc},
                         {u"KatzeNr", Long},
                         {u"Bildpfad", Alpha, 150},
                         {u"BildMemo1", Memo, 240},
                         {u"BildMemo2", Memo, 240}},
                        {{u"IndexKatzeNr", u"KatzeNr;LaufendeNr"}}));

  // GruppeRasse is built over the upgrade field Rassegruppe, so an older table cannot hold it
  // either: it is added together with the field.
  c.push_back(makeTable(u"Rasse", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc},
                         {u"Name", Alpha, 25},
                         {u"Code", Alpha, 9},
                         {u"Min Gewicht", Number},
                         {u"Max Gewicht", Number},
                         {u"Rassegruppe", Alpha, 25, kUpgrade}},
                        {{u"RasseName", u"Name;Code"}, {u"GruppeRasse", u"Rassegruppe;Name", kUpgrade}}));

  c.push_back(makeTable(u"Farbe", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc},
                         {u"Rasse", Long},
                         {u"Name", Alpha, 25},
                         {u"Code", Alpha, 9},
                         // The least genotype an animal of this colour has (genetics/genotype.h).
                         {u"Genotyp", Alpha, 80, kUpgrade}},
                        {{u"FarbeRasse", u"Name;Rasse"}, {u"RasseFarbe", u"Rasse;Name"}}));

  // The index Name is added by the animal search dialog when missing.
  c.push_back(makeTable(u"Status", Origin::Installer, u"Nummer", {{u"Nummer", AutoInc}, {u"Name", Alpha, 25}},
                        {{u"Name", u"Name;Nummer", kUpgrade}}));

  // The membership fields from MitgliedsNr on are added by the address book window.
  c.push_back(makeTable(u"Adresse", Origin::Installer, u"LaufendeNr",
                        {{u"LaufendeNr", AutoInc},
                         {u"Name", Alpha, 40},
                         {u"Vorname", Alpha, 40},
                         {u"Straße", Alpha, 50},
                         {u"PLZ", Alpha, 8},
                         {u"Ort", Alpha, 50},
                         {u"Land", Alpha, 20},
                         {u"Telefon", Alpha, 20},
                         {u"Telefax", Alpha, 20},
                         {u"Handy", Alpha, 20},
                         {u"Homepage", Alpha, 60},
                         {u"Vereinskennzeichen", Alpha, 10},
                         {u"Geburtstag", Date},
                         {u"Bemerkung", Memo, 1},
                         {u"EMail", Alpha, 40},
                         {u"Rasse", Long},
                         {u"Status", Alpha, 20},
                         {u"HBNr", Alpha, 20, kUpgrade},
                         {u"MitgliedsNr", Alpha, 20, kUpgrade},
                         {u"Eintritt", Date, 0, kUpgrade},
                         {u"Gekuendigt", Date, 0, kUpgrade},
                         {u"Austritt", Date, 0, kUpgrade},
                         {u"Abonnent", Logical, 0, kUpgrade}},
                        {{u"AdrName", u"Name;Vorname", kGermanNames}, {u"AdrStatusName", u"Status;Name", kGermanNames}}));

  c.push_back(makeTable(u"StatusAdressen", Origin::Installer, {}, {{u"Status", Alpha, 30}}));

  c.push_back(makeTable(u"eigen.DB", Origin::Installer, {},
                        {{u"Name", Alpha, 40, kRequired},
                         {u"Vorname", Alpha, 40},
                         {u"Zwinger", Alpha, 30},
                         {u"Strasse", Alpha, 40},
                         {u"Plz", Alpha, 8},
                         {u"Ort", Alpha, 40},
                         {u"Telefax", Alpha, 20},
                         {u"Telefon", Alpha, 20},
                         {u"land", Alpha, 30},
                         {u"EMail", Alpha, 40},
                         {u"Verband", Alpha, 50},
                         {u"Vereinsnummer", Alpha, 20},
                         {u"Kontonummer", Alpha, 12},
                         {u"Kontoname", Alpha, 20},
                         {u"KontoIn", Alpha, 20},
                         {u"Bankleitzahl", Alpha, 12},
                         {u"Kreisverband", Alpha, 50, kUpgrade},
                         {u"Vereinsart", Alpha, 50, kUpgrade}}));

  c.push_back(
      makeTable(u"Sprmel.db", Origin::Installer, u"Nummer", {{u"Nummer", Long}, {u"Meldung", Alpha, 80}}));

  // ---- Breeding and performance ---------------------------------------------------------

  c.push_back(makeTable(u"Wurfbuch.DB", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc},
                         {u"Katze", Long},
                         {u"Decktermin", Date},
                         {u"Wurftag", Date},
                         {u"Kater", Long},
                         {u"Bemerkung", Memo, 100},
                         {u"WurfStMaennlich", Short},
                         {u"WurfStWeiblich", Short},
                         {u"WurfStTot", Short}},
                        {{u"Katzeidx", u"Katze;LaufendeNummer"},
                         {u"KaterKatzeWurftag", u"Kater;Katze;Wurftag"},
                         {u"KatzeKaterWurftag", u"Katze;Kater;Wurftag", kUpgrade}}));

  c.push_back(makeTable(u"Jungtiere", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc}, {u"Wurf", Long}, {u"Datum", Date}, {u"Gewicht", Number}},
                        {{u"WurfDatum", u"Wurf;Datum"}}));

  c.push_back(makeTable(u"Gewichtstabelle.DB", Origin::CreatedByProgram, u"Nummer",
                        {{u"Nummer", AutoInc}, {u"Hase", Long}, {u"Datum", Date}, {u"Gewicht", Number}},
                        {{u"HaseDatum", u"Hase;Datum"}}));

  c.push_back(makeTable(u"Koernote.db", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc},
                         {u"Hase", Long},
                         {u"Datum", Date},
                         {u"Haesin1", Long},
                         {u"Haesin2", Long},
                         {u"AnzahlVater", Alpha, 2},
                         {u"AnzahlMutter", Alpha, 2},
                         {u"Punkte1", Short},
                         {u"Anzahl1", Alpha, 2},
                         {u"Anzahl2", Alpha, 2},
                         {u"Punkte2", Short},
                         {u"Vorgestellt1", Alpha, 2},
                         {u"Bewertung1", Alpha, 115},
                         {u"Mittel1", Alpha, 6},
                         {u"Vorgestellt2", Alpha, 2},
                         {u"Bewertung2", Alpha, 115},
                         {u"Mittel2", Alpha, 6},
                         {u"Punkte3", Short},
                         {u"RammlerPunkte", Number},
                         {u"Punkte4", Short},
                         {u"Druck", Logical},
                         {u"Punkte5", Short, 0, kUpgrade},
                         {u"Wollwert", Short, 0, kUpgrade},
                         {u"BewertungText1", Memo, 240, kUpgrade},
                         {u"BewertungText2", Memo, 240, kUpgrade}},
                        {{u"Hase", u"Hase"}}));

  c.push_back(makeTable(u"Angora", Origin::CreatedByProgram, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc},
                         {u"Kaninchen", Long},
                         {u"Pruefstelle", Alpha, 50},
                         {u"Bis", Date},
                         {u"Vom", Date},
                         {u"Ort", Alpha, 50},
                         {u"UrteilAm", Date},
                         {u"UrteilVon", Alpha, 50},
                         {u"Gewicht", Number},
                         {u"Koerper", Number},
                         {u"Wolldichte", Number},
                         {u"Ausgeglichenheit", Number},
                         {u"Wollstruktur", Number},
                         {u"Behang", Number},
                         {u"Pflege", Number},
                         {u"Bewertung", Number, 0, kUpgrade},
                         {u"Schurintervall", Alpha, 2},
                         {u"Schurergebnis1", Long},
                         {u"Schurergebnis2", Long},
                         {u"Filz", Long},
                         {u"ElternJWE", Long},
                         {u"ElternWRZ", Long},
                         {u"GrosselternJWE", Long},
                         {u"GrosselternWRZ", Long},
                         {u"GewichtHase", Number},
                         {u"JWEInsgesamt", Long, 0, kUpgrade},
                         {u"WRZInsgesamt", Long, 0, kUpgrade},
                         {u"LLB", Alpha, 7},
                         {u"Bemerkung", Memo, 1}},
                        {{u"idxKaninchenVomPruef", u"Kaninchen;Vom;Pruefstelle"}}));

  // ---- Shows ----------------------------------------------------------------------------

  c.push_back(makeTable(u"Ausstellung", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc},
                         {u"Hase", Long},
                         {u"Datum", Date},
                         {u"Titel", Alpha, 40},
                         {u"Ort", Alpha, 40},
                         {u"Gewicht", Number},
                         {u"Preis", Alpha, 20},
                         {u"Gewicht1", Number},
                         {u"Koerper2", Number},
                         {u"Fell3", Number},
                         {u"Kopf4", Number},
                         {u"Farbe5", Number},
                         {u"Unterfarbe6", Number},
                         {u"Pflege7", Number},
                         {u"Bemerkung", Memo, 10},
                         {u"BewertJungtier", Alpha, 3, kUpgrade},
                         {u"EigeneBewertung", Number, 0, kUpgrade}},
                        {{u"HaseDatum", u"Hase;Datum"}}));

  c.push_back(makeTable(u"Ausstellungstitel.db", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc}, {u"Bezeichnung", Alpha, 40}},
                        {{u"BezeichnungIDX", u"Bezeichnung;LaufendeNummer"}}));

  c.push_back(makeTable(
      u"AUSSTELT.DB", Origin::Installer, u"LaufendeNummer",
      {{u"LaufendeNummer", AutoInc},
       {u"Datum", Date},
       {u"Datum2", Date},
       {u"Verein", Alpha, 50},
       {u"Strasse", Alpha, 40},
       {u"Plz", Alpha, 6},
       {u"Ort", Alpha, 40},
       {u"Land", Alpha, 30},
       {u"Info", Memo, 50}},
      {{u"DatumIdx", u"Datum;Ort"}, {u"OrtDatum", u"Ort;Datum"}, {u"VereinDatum", u"Verein;Datum"}}));

  // ---- Health ---------------------------------------------------------------------------

  c.push_back(makeTable(u"Impfung", Origin::CreatedByProgram, u"Laufendenummer",
                        {{u"Laufendenummer", AutoInc},
                         {u"Tier", Long},
                         {u"Datum", Date},
                         {u"Impfung", Alpha, 60},
                         {u"Impfstoff", Alpha, 60},
                         {u"Chargenbez", Alpha, 60},
                         {u"Tierarzt", Alpha, 60}},
                        {{u"tierDatumImpfung", u"Tier;Datum;Impfung"}}));

  // The breeding calendar's ticked and postponed tasks: one row per task key and task day.
  c.push_back(makeTable(u"Zuchtkalender.db", Origin::CreatedByProgram, u"Nummer",
                        {{u"Nummer", AutoInc},
                         {u"Schluessel", Alpha, 80},
                         {u"Tag", Date},
                         {u"Erledigt", Logical},
                         {u"VerschobenAuf", Date}},
                        {{u"SchluesselTag", u"Schluessel;Tag"}}));

  c.push_back(makeTable(u"MedizienHase", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc},
                         {u"Hase", Long},
                         {u"Medikament", Long},
                         {u"Krankheit", Alpha, 50},
                         {u"Dosierung", Alpha, 30},
                         {u"Am", Date}},
                        {{u"HaseAm", u"Hase;Am"}}));

  c.push_back(makeTable(u"APOTHEKE", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc},
                         {u"Bereich", Alpha, 50},
                         {u"Krankheit", Alpha, 100},
                         {u"Medikament", Alpha, 50},
                         {u"Verfallsdatum", Date},
                         {u"Info", Memo, 100},
                         // A vaccine's repeat interval in months; empty or 0 for other medicines.
                         {u"WiederholungMonate", Short, 0, kUpgrade}},
                        {{u"VerfallsdatumIdx", u"Verfallsdatum;LaufendeNummer"},
                         {u"Medikament", u"Medikament"},
                         {u"BereichKrankheitIdx", u"Bereich;Krankheit"}}));

  c.push_back(makeTable(u"Desinfektion.db", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc}, {u"Hase", Long}, {u"Desinfektion", Alpha, 50}, {u"Am", Date}},
                        {{u"HaseAm", u"Hase;Am"}}));

  c.push_back(makeTable(u"Insektenbek", Origin::Installer, u"Nummer",
                        {{u"Nummer", AutoInc}, {u"Hase", Long}, {u"Insektizied", Alpha, 50}, {u"Am", Date}},
                        {{u"HaseAm", u"Hase;Am"}}));

  // ---- Bookkeeping ----------------------------------------------------------------------

  c.push_back(makeTable(u"BUCHUNG", Origin::Installer, u"BuchungsNr",
                        {{u"BuchungsNr", AutoInc},
                         {u"Kontoname", Long},
                         {u"Buchungsdatum", Date, 0, kRequired},
                         {u"Kategorie", Alpha, 30, kRequired},
                         {u"Betrag", Money, 0, kRequired},
                         {u"Beschreibung", Memo, 200},
                         {u"Gegenbuchung", Long}},
                        {{u"BuchungsdatumKontoname", u"Kontoname;Buchungsdatum"}}));

  c.push_back(makeTable(u"KONTEN.DB", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc},
                         {u"Kontoart", Long, 0, kRequired},
                         {u"Name", Alpha, 30, kRequired},
                         {u"Kontonummer", Long},
                         {u"Bankleitzahl", Long},
                         {u"Bankname", Alpha, 30},
                         {u"Eroeffnungssaldo", Money, 0, kRequired},
                         {u"Zum", Date},
                         {u"Kontostand", Money},
                         {u"Mwst", Long},
                         {u"EinAus", Alpha, 9}},
                        {{u"KontoartName", u"Kontoart;Name"}, {u"Nameidx", u"Name;LaufendeNummer"}}));

  c.push_back(makeTable(u"KONTOART.DB", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc}, {u"Kontoart", Alpha, 20}},
                        {{u"KontoartIdx", u"Kontoart;LaufendeNummer"}}));

  c.push_back(makeTable(u"MEHRWERT.DB", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc}, {u"Prozent", Short, 0, kRequired}}));

  // ---- Breeder register and clubs -------------------------------------------------------

  c.push_back(makeTable(u"ZWINGREG.DB", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc},
                         {u"Zwinger", Alpha, 30},
                         {u"Rasse", Alpha, 40},
                         {u"Züchter", Alpha, 40},
                         {u"PLZ", Alpha, 5},
                         {u"Ort", Alpha, 30},
                         {u"Verein", Alpha, 50},
                         {u"Telefon", Alpha, 25},
                         {u"Telefax", Alpha, 25},
                         {u"Handy", Alpha, 20},
                         {u"EMail", Alpha, 40},
                         {u"Homepage", Alpha, 60},
                         {u"Strasse", Alpha, 40},
                         {u"Land", Alpha, 15},
                         {u"Zuchtfarbe", Alpha, 255}},
                        {{u"IDXRasse", u"Rasse;Zwinger"},
                         {u"IDXZüchter", u"Züchter;Zwinger"},
                         {u"OrtZwinger", u"Ort;Zwinger"},
                         {u"PLZZwinger", u"PLZ;Zwinger"},
                         {u"VereinZwinger", u"Verein;Zwinger"},
                         {u"ZwingerRasse", u"Zwinger;Rasse"}}));

  c.push_back(makeTable(u"ZWINGINF.DB", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc},
                         {u"Zwinger", Long},
                         {u"KatzeArt", Short},
                         {u"Name", Alpha, 50},
                         {u"Memo1", Memo, 100},
                         {u"Bild", Graphic}},
                        {{u"ZwingerName", u"Zwinger;KatzeArt;Name"}}));

  c.push_back(makeTable(u"VEREINE.DB", Origin::Installer, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc},
                         {u"Verein", Alpha, 50},
                         {u"Strasse", Alpha, 50},
                         {u"Plz", Alpha, 5},
                         {u"Ort", Alpha, 50},
                         {u"Telefon", Alpha, 30},
                         {u"Telefax", Alpha, 30},
                         {u"Ansprechpartner", Alpha, 50},
                         {u"Land", Alpha, 30},
                         {u"EMail", Alpha, 40},
                         {u"Homepage", Alpha, 60}},
                        {{u"VereinIdx", u"Verein;LaufendeNummer"}}));

  // ---- Show entry lines (the rows are reused for every form; no key) ---------------------

  c.push_back(makeTable(u"Meldebogen", Origin::Installer, {},
                        {{u"Nummer", Number},
                         {u"TaetoRechts", Alpha, 8},
                         {u"TaetoLinks", Alpha, 10},
                         {u"Jungtier", Logical},
                         {u"ZG1", Logical},
                         {u"ZG2", Logical},
                         {u"Verkaufspreis", Money},
                         {u"ZG3", Logical},
                         {u"Geschlecht", Alpha, 1},
                         {u"EZT", Logical}}));

  // ---- Work tables and stored calculations ----------------------------------------------

  c.push_back(makeTable(u"TMP.DB", Origin::WorkTable, {}, {{u"Rasse", Long}}));

  c.push_back(makeTable(u"RasseFarbeTMP", Origin::WorkTable, {},
                        {{u"Rasse", Long},
                         {u"Farbe", Long},
                         {u"UnkostenTier", Money},
                         {u"FutterTier", Money},
                         {u"Porto", Money},
                         {u"Katalog", Money},
                         {u"Karte", Money},
                         {u"SpendeAlt", Money},
                         {u"SpendeJung", Money},
                         {u"Unkosten", Money},
                         {u"Futter", Money},
                         {u"ZGZuschlag", Long},
                         {u"ZGBetrag", Money},
                         {u"Sonderz", Long},
                         {u"SonderzTier", Money},
                         {u"Futterbecher", Long},
                         {u"FutterbecherTier", Money},
                         {u"Freitext", Alpha, 100},
                         {u"FreitextBetrag", Money}}));

  c.push_back(makeTable(u"Aufkleber.db", Origin::WorkTable, {},
                        {{u"TaetoRechts", Alpha, 8},
                         {u"TaetoLinks", Alpha, 10},
                         {u"Stallnummer", Alpha, 20},
                         {u"Rasse", Alpha, 40},  // breed name (25), " / ", code (9)
                         {u"Kaefignummer", Alpha, 10},
                         {u"Geschlecht", Alpha, 15},
                         {u"Vater", Alpha, 20},
                         {u"Mutter", Alpha, 20},
                         {u"Deckdatum", Date},
                         {u"Name", Alpha, 30}}));

  c.push_back(makeTable(u"tmpImpf", Origin::WorkTable, {},
                        {{u"Nummer", Alpha, 3},
                         {u"TaetoRechts", Alpha, 8},
                         {u"TaetoLinks", Alpha, 12},
                         {u"Geschlecht", Alpha, 3},
                         {u"Wurfdatum", Alpha, 10},
                         {u"Rasse", Alpha, 25},
                         {u"Farbe", Alpha, 25}}));

  c.push_back(makeTable(u"Vorfahrenliste.DB", Origin::WorkTable, u"Nummer",
                        {{u"Nummer", Long, 0, kRequired},
                         {u"Name", Alpha, 50, kRequired},
                         {u"Anzahl", Long, 0, kRequired},
                         {u"Farbe", Long},
                         {u"Erbformel", Alpha, 40},
                         {u"Zuechter", Alpha, 50}},
                        {{u"IndexName", u"Name;Nummer", kUnique},
                         {u"IndexAnzahl", u"Anzahl;Name;Nummer", kUnique | kDescending}}));

  c.push_back(makeTable(u"Inzuchtgrad", Origin::WorkTable, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc, 0, kRequired},
                         {u"Art", Long},
                         {u"Name", Alpha, 70},
                         {u"Nummer", Long},
                         {u"HaseErbformel", Alpha, 40},
                         {u"Vater", Alpha, 50},
                         {u"VaterNr", Long},
                         {u"VaterErbformel", Alpha, 40},
                         {u"Mutter", Alpha, 50},
                         {u"MutterNr", Long},
                         {u"MutterErbformel", Alpha, 40},
                         {u"Generation", Long},
                         {u"Inzucht", Memo},
                         {u"Prozent", Alpha, 50},
                         {u"Ahnenverlust", Memo},
                         {u"Stammbaumkomplett", Alpha, 50},
                         {u"Info", Memo},
                         {u"Erbformel", Memo}},
                        {{u"NameGen", u"Name;Generation"}}));

  c.push_back(makeTable(u"InzuchtgradVorf", Origin::WorkTable, u"LaufendeNummer",
                        {{u"LaufendeNummer", AutoInc, 0, kRequired},
                         {u"Nummer", Long},
                         {u"Katze", Long},
                         {u"Name", Alpha, 50},
                         {u"Anzahl", Long},
                         {u"Farbe", Long},
                         {u"Erbformel", Alpha, 40},
                         {u"Zuechter", Alpha, 50}},
                        {{u"Nummer", u"Nummer"}}));

  return c;
}

// A cursor row of the list below.
CursorSpec cursor(QStringView name, QStringView table, QStringView order, bool readOnly = false) {
  CursorSpec s;
  s.name = name.toString();
  s.table = table.toString();
  s.order = order.toString();
  s.readOnly = readOnly;
  return s;
}

CursorSpec detail(QStringView name, QStringView table, QStringView order, QStringView master,
                  QStringView masterFields, QStringView detailFields) {
  CursorSpec s = cursor(name, table, order);
  s.master = master.toString();
  s.masterFields = masterFields.toString();
  s.detailFields = detailFields.toString();
  return s;
}

std::vector<CursorSpec> buildCursors() {
  constexpr bool kReadOnly = true;
  CursorSpec bewertungJungtiere = cursor(u"BewertungJungtiere", u"Ausstellung.db", u"Hase");
  bewertungJungtiere.filter = QStringLiteral("Titel='Körung vom Herdbuch'");

  return {
      cursor(u"Hasen", u"Hasen.db", u"Tato"),
      cursor(u"Stammbaum", u"Hasen.db", {}),
      cursor(u"Vater", u"Hasen.db", {}, kReadOnly),
      cursor(u"Mutter", u"Hasen.db", {}),
      cursor(u"Rammler", u"Hasen.db", {}, kReadOnly),
      cursor(u"HaesinName", u"Hasen.db", {}),
      cursor(u"RammlerJungtiere", u"Hasen.db", u"idxMutterGeb"),
      detail(u"JungtiereWurfbuch", u"Hasen.db", u"Mutter;Geburtstag", u"Wurfbuch", u"Katze;Wurftag",
             u"Mutter;Geburtstag"),
      cursor(u"Rasse", u"Rasse.db", u"RasseName"),
      cursor(u"StbRasse", u"Rasse.db", {}),
      cursor(u"StrRasse", u"Rasse.db", {}),
      detail(u"Farbe", u"Farbe.db", u"RasseFarbe", u"Rasse", u"Nummer", u"Rasse"),
      cursor(u"StbFarbe", u"Farbe.db", {}),
      cursor(u"Status", u"Status.db", {}, kReadOnly),
      cursor(u"Adressen", u"Adresse.db", {}),
      detail(u"Verkauft", u"VERKAUFT.db", u"Katze", u"Hasen", u"Nummer", u"Katze"),
      detail(u"HasenZusatz", u"Hasenz.db", u"Hase", u"Hasen", u"Nummer", u"Hase"),
      detail(u"Bilder", u"Bilder.db", u"KatzeNr", u"Hasen", u"Nummer", u"KatzeNr"),
      detail(u"Wurfbuch", u"Wurfbuch.DB", u"Katze;LaufendeNummer", u"Hasen", u"Nummer", u"Katze"),
      cursor(u"GedeckteHaesinnen", u"Wurfbuch.DB", u"KaterKatzeWurftag"),
      detail(u"Jungtiere", u"Jungtiere.db", u"Wurf;Datum", u"Wurfbuch", u"LaufendeNummer", u"Wurf"),
      detail(u"JungtiereBerechnung", u"Jungtiere.db", u"Wurf;Datum", u"Wurfbuch", u"LaufendeNummer", u"Wurf"),
      detail(u"Gewichtstabelle", u"Gewichtstabelle.DB", u"Hase", u"Hasen", u"Nummer", u"Hase"),
      detail(u"GewichtstabelleBerechnung", u"Gewichtstabelle.DB", u"Hase", u"Hasen", u"Nummer", u"Hase"),
      detail(u"Ausstellung", u"Ausstellung.db", u"Hase;Datum", u"Hasen", u"Nummer", u"Hase"),
      cursor(u"Haesinausstellung", u"Ausstellung.db", u"Hase;Datum"),
      bewertungJungtiere,
      detail(u"StammbaumBewertung", u"Ausstellung.db", u"Hase;Datum", u"Stammbaum", u"Nummer", u"Hase"),
      cursor(u"TMPAusstellung", u"Ausstellung.db", {}),
      cursor(u"Ausstellungstitel", u"Ausstellungstitel.db", u"BezeichnungIDX"),
      detail(u"Koernote", u"Koernote.db", u"Hase", u"Hasen", u"Nummer", u"Hase"),
      detail(u"Angora", u"Angora.db", u"Kaninchen", u"Hasen", u"Nummer", u"Kaninchen"),
      detail(u"AngoraEltern", u"Angora.db", u"Kaninchen", u"Stammbaum", u"Nummer", u"Kaninchen"),
      detail(u"Impfung", u"Impfung.db", u"Tier", u"Hasen", u"Nummer", u"Tier"),
      detail(u"MedizienGaben", u"MedizienHase.db", u"Hase", u"Hasen", u"Nummer", u"Hase"),
      cursor(u"Medikament", u"APOTHEKE.db", {}, kReadOnly),
      detail(u"Desinfektion", u"Desinfektion.db", u"Hase", u"Hasen", u"Nummer", u"Hase"),
      detail(u"Insekten", u"Insektenbek.db", u"Hase", u"Hasen", u"Nummer", u"Hase"),
  };
}

// The base name of a table name given with or without the extension ".db".
QString baseName(const QString& name) {
  QString base = name.trimmed();
  if (base.endsWith(u".db", Qt::CaseInsensitive)) base.chop(3);
  return base;
}

}  // namespace

bool CatalogueTable::isUpgradeField(const QString& fieldName) const {
  return upgradeFields.contains(fieldName, Qt::CaseInsensitive);
}

bool CatalogueTable::isUpgradeIndex(const QString& indexName) const {
  return upgradeIndexes.contains(indexName, Qt::CaseInsensitive);
}

const std::vector<CatalogueTable>& catalogue() {
  static const std::vector<CatalogueTable> tables = buildCatalogue();
  return tables;
}

const CatalogueTable* findTable(const QString& name) {
  const QString base = baseName(name);
  if (base.isEmpty()) return nullptr;
  for (const auto& t : catalogue())
    if (engine::sameName(t.def.name, base)) return &t;
  return nullptr;
}

engine::TableDef currentLayout(const CatalogueTable& table) {
  return table.def;
}

engine::TableDef olderLayout(const CatalogueTable& table) {
  TableDef older;
  older.name = table.def.name;
  for (const FieldDef& f : table.def.fields) {
    if (!table.isUpgradeField(f.name)) {
      older.fields.push_back(f);
      continue;
    }
    for (const FieldDef& form : table.olderForms)
      if (engine::sameName(form.name, f.name)) older.fields.push_back(form);
  }
  for (const IndexDef& i : table.def.indexes) {
    if (!i.primary && table.isUpgradeIndex(i.name)) continue;
    // Older data ordered names by bytes.
    IndexDef byBytes = i;
    for (auto& f : byBytes.fields)
      if (f.german) f.german = f.caseInsensitive = false;
    older.indexes.push_back(byBytes);
  }
  return older;
}

const engine::IndexDef* indexForOrder(const engine::TableDef& layout, const QString& order) {
  if (order.trimmed().isEmpty()) return layout.primary();
  if (const IndexDef* named = layout.index(order.trimmed())) return named;

  QStringList wanted;
  for (const QString& f : order.split(u';', Qt::SkipEmptyParts)) wanted << f.trimmed();
  for (const IndexDef& i : layout.indexes) {
    const QStringList fields = i.fieldNames();
    if (fields.size() < wanted.size()) continue;
    bool leading = true;
    for (qsizetype k = 0; k < wanted.size() && leading; ++k) leading = engine::sameName(fields[k], wanted[k]);
    if (leading) return &i;
  }
  return nullptr;
}

const std::vector<CursorSpec>& dataModuleCursors() {
  static const std::vector<CursorSpec> cursors = buildCursors();
  return cursors;
}

const CursorSpec* findCursor(const QString& name) {
  for (const auto& c : dataModuleCursors())
    if (engine::sameName(c.name, name)) return &c;
  return nullptr;
}

}  // namespace lapiro::store

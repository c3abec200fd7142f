// Starting rows of the lookup tables a new breeder needs: status codes, breeds with their
// colours, show titles, address categories, bookkeeping kinds, VAT rates, accounts and
// categories, and a small pharmacy.
#include <initializer_list>

#include "engine/types.h"
#include "installer/content.h"

namespace lapiro::installer {

namespace {

using engine::Money;

struct Colour {
  const char16_t* name;
  const char16_t* code;
};

struct Breed {
  const char16_t* name;
  const char16_t* code;
  double minKg;
  double maxKg;
  const char16_t* group;
  std::vector<Colour> colours;
};

constexpr const char16_t* kGross = u"Große Rassen";
constexpr const char16_t* kMittel = u"Mittelgroße Rassen";
constexpr const char16_t* kKlein = u"Kleine Rassen";
constexpr const char16_t* kKurzhaar = u"Kurzhaarrassen";
constexpr const char16_t* kLanghaar = u"Langhaarrassen";

// Dwarf breeds count among "Kleine Rassen": the program knows five groups and none for
// dwarfs. Weights are the usual limits of the German standard, rounded, in kg.
const std::vector<Breed>& breeds() {
  static const std::vector<Breed> list = {
      {u"Deutsche Riesen",
       u"DR",
       7.0,
       11.0,
       kGross,
       {{u"Wildgrau", u"wgr"},
        {u"Eisengrau", u"egr"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Gelb", u"ge"}}},
      {u"Deutsche Riesen weiß", u"DRw", 7.0, 11.0, kGross, {{u"Weiß Rotauge", u"wRA"}}},
      {u"Deutsche Riesenschecken",
       u"DRS",
       5.5,
       8.0,
       kGross,
       {{u"Schwarz-Weiß", u"sw-w"}, {u"Blau-Weiß", u"bl-w"}, {u"Havanna-Weiß", u"hav-w"}}},
      {u"Deutsche Widder",
       u"DW",
       5.5,
       8.0,
       kGross,
       {{u"Wildgrau", u"wgr"},
        {u"Eisengrau", u"egr"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Gelb", u"ge"},
        {u"Weiß Rotauge", u"wRA"},
        {u"Madagaskarfarbig", u"mad"}}},
      {u"Französische Widder",
       u"FW",
       5.5,
       8.0,
       kGross,
       {{u"Wildgrau", u"wgr"}, {u"Schwarz", u"sw"}, {u"Blau", u"bl"}, {u"Weiß Rotauge", u"wRA"}}},
      {u"Blaue Wiener", u"BlW", 4.0, 5.5, kMittel, {{u"Blau", u"bl"}}},
      {u"Weiße Wiener", u"WW", 3.5, 5.25, kMittel, {{u"Weiß Blauauge", u"wBA"}}},
      {u"Kalifornier",
       u"Kal",
       3.5,
       5.0,
       kMittel,
       {{u"Schwarz-Weiß", u"sw-w"}, {u"Blau-Weiß", u"bl-w"}, {u"Havanna-Weiß", u"hav-w"}}},
      {u"Neuseeländer",
       u"NZ",
       4.0,
       5.5,
       kMittel,
       {{u"Weiß", u"w"}, {u"Rot", u"rt"}, {u"Schwarz", u"sw"}, {u"Blau", u"bl"}}},
      {u"Großchinchilla", u"GrCh", 4.5, 6.0, kMittel, {{u"Chinchillafarbig", u"ch"}}},
      {u"Großsilber",
       u"GrSi",
       4.0,
       5.5,
       kMittel,
       {{u"Schwarz", u"sw"}, {u"Blau", u"bl"}, {u"Braun", u"br"}, {u"Gelb", u"ge"}, {u"Havanna", u"hav"}}},
      {u"Meißner Widder",
       u"MW",
       3.5,
       5.5,
       kMittel,
       {{u"Schwarz", u"sw"}, {u"Blau", u"bl"}, {u"Havanna", u"hav"}, {u"Gelb", u"ge"}}},
      {u"Deutsche Kleinwidder",
       u"DKlW",
       2.75,
       4.0,
       kMittel,
       {{u"Wildgrau", u"wgr"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Gelb", u"ge"},
        {u"Weiß Rotauge", u"wRA"},
        {u"Madagaskarfarbig", u"mad"},
        {u"Thüringerfarbig", u"thü"}}},
      {u"Alaska", u"Al", 3.0, 4.25, kMittel, {{u"Schwarz", u"sw"}}},
      {u"Hasenkaninchen", u"Has", 3.25, 4.5, kMittel, {{u"Rotbraun", u"rbr"}}},
      {u"Thüringer", u"Th", 3.0, 4.25, kMittel, {{u"Thüringerfarbig", u"thü"}}},
      {u"Separator", u"Sep", 3.0, 4.25, kMittel, {{u"Wildfarben", u"wf"}, {u"Eisengrau", u"egr"}}},
      {u"Burgunder", u"Bu", 3.5, 5.0, kMittel, {{u"Gelbrot", u"gert"}}},
      {u"Rhönkaninchen", u"Rhö", 3.0, 4.25, kMittel, {{u"Rhönfarbig", u"rhö"}}},
      {u"Chinchilla", u"Ch", 2.25, 3.25, kKlein, {{u"Chinchillafarbig", u"ch"}}},
      {u"Kleinsilber",
       u"KlSi",
       2.0,
       3.0,
       kKlein,
       {{u"Schwarz", u"sw"}, {u"Blau", u"bl"}, {u"Braun", u"br"}, {u"Gelb", u"ge"}, {u"Havanna", u"hav"}}},
      {u"Englische Schecken",
       u"EnS",
       2.5,
       3.5,
       kKlein,
       {{u"Schwarz-Weiß", u"sw-w"},
        {u"Blau-Weiß", u"bl-w"},
        {u"Havanna-Weiß", u"hav-w"},
        {u"Dreifarbig", u"dreif"}}},
      {u"Holländer",
       u"Hol",
       2.0,
       3.0,
       kKlein,
       {{u"Schwarz-Weiß", u"sw-w"},
        {u"Blau-Weiß", u"bl-w"},
        {u"Havanna-Weiß", u"hav-w"},
        {u"Gelb-Weiß", u"ge-w"},
        {u"Wildfarben-Weiß", u"wf-w"}}},
      {u"Lohkaninchen",
       u"Loh",
       2.0,
       3.0,
       kKlein,
       {{u"Schwarzloh", u"swloh"},
        {u"Blauloh", u"blloh"},
        {u"Havannaloh", u"havloh"},
        {u"Fehloh", u"fehloh"}}},
      {u"Marburger Feh", u"MFeh", 2.25, 3.25, kKlein, {{u"Fehfarbig", u"feh"}}},
      {u"Perlfeh", u"PFeh", 2.25, 3.25, kKlein, {{u"Perlfehfarbig", u"pfeh"}}},
      {u"Sachsengold", u"SaG", 2.5, 3.5, kKlein, {{u"Rotgelb", u"rtge"}}},
      {u"Hermelin", u"Her", 1.0, 1.35, kKlein, {{u"Weiß Rotauge", u"wRA"}, {u"Weiß Blauauge", u"wBA"}}},
      {u"Farbenzwerge",
       u"FaZw",
       1.0,
       1.5,
       kKlein,
       {{u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Havanna", u"hav"},
        {u"Wildfarben", u"wf"},
        {u"Chinchillafarbig", u"ch"},
        {u"Thüringerfarbig", u"thü"},
        {u"Schwarzloh", u"swloh"},
        {u"Weiß Rotauge", u"wRA"}}},
      {u"Zwergwidder",
       u"ZwW",
       1.4,
       1.9,
       kKlein,
       {{u"Wildgrau", u"wgr"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Madagaskarfarbig", u"mad"},
        {u"Thüringerfarbig", u"thü"},
        {u"Weiß Rotauge", u"wRA"},
        {u"Weiß Blauauge", u"wBA"}}},
      {u"Löwenkopf",
       u"Löw",
       1.2,
       1.7,
       kKlein,
       {{u"Weiß Rotauge", u"wRA"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Wildfarben", u"wf"},
        {u"Thüringerfarbig", u"thü"}}},
      {u"Rexe",
       u"Rex",
       3.0,
       4.5,
       kKurzhaar,
       {{u"Castorfarbig", u"cas"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Chinchillafarbig", u"ch"},
        {u"Weiß Rotauge", u"wRA"},
        {u"Dalmatiner", u"dal"}}},
      {u"Rexzwerge",
       u"RexZw",
       1.0,
       1.5,
       kKurzhaar,
       {{u"Castorfarbig", u"cas"}, {u"Schwarz", u"sw"}, {u"Blau", u"bl"}, {u"Weiß Rotauge", u"wRA"}}},
      {u"Satin",
       u"Sat",
       3.0,
       4.25,
       kKurzhaar,
       {{u"Elfenbein", u"elf"}, {u"Rot", u"rt"}, {u"Havanna", u"hav"}, {u"Blau", u"bl"}}},
      {u"Angora",
       u"Ang",
       3.0,
       5.0,
       kLanghaar,
       {{u"Weiß Rotauge", u"wRA"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Wildfarben", u"wf"},
        {u"Gelb", u"ge"}}},
      {u"Fuchskaninchen",
       u"Fu",
       2.75,
       4.0,
       kLanghaar,
       {{u"Weiß Rotauge", u"wRA"},
        {u"Schwarz", u"sw"},
        {u"Blau", u"bl"},
        {u"Havanna", u"hav"},
        {u"Gelb", u"ge"}}},
      {u"Fuchs-Zwerg (Langhaar)",
       u"FuZw",
       1.0,
       1.5,
       kLanghaar,
       {{u"Weiß Rotauge", u"wRA"}, {u"Schwarz", u"sw"}, {u"Blau", u"bl"}, {u"Wildfarben", u"wf"}}},
  };
  return list;
}

QString str(const char16_t* text) {
  return QString::fromUtf16(text);
}

// The least genotype of a colour as a breeder writes it (genetics/genotype.h): the alleles the
// colour shows, "-" for a second allele it may hide. Colours whose inheritance the program
// does not model (Madagaskarfarbig, Dalmatiner, Elfenbein, Rhönfarbig) stay without one.
QString colourGenotype(QStringView breed, QStringView colour) {
  static const std::initializer_list<std::pair<const char16_t*, const char16_t*>> base = {
      {u"Weiß Rotauge", u"a a"},
      {u"Weiß", u"a a"},
      {u"Weiß Blauauge", u"A -/x x"},
      {u"Wildgrau", u"A -/B -/C -/D -/G -"},
      {u"Wildfarben", u"A -/B -/C -/D -/G -"},
      {u"Castorfarbig", u"A -/B -/C -/D -/G -"},
      {u"Rotbraun", u"A -/B -/C -/D -/G -"},
      {u"Perlfehfarbig", u"A -/B -/C -/d d/G -"},
      {u"Eisengrau", u"A -/Be -"},
      {u"Schwarz", u"A -/B -/C -/D -/g g"},
      {u"Blau", u"A -/B -/C -/d d/g g"},
      {u"Havanna", u"A -/B -/c c/D -/g g"},
      {u"Braun", u"A -/B -/c c/D -/g g"},
      {u"Fehfarbig", u"A -/B -/c c/d d/g g"},
      {u"Gelb", u"A -/b b"},
      {u"Rot", u"A -/b b"},
      {u"Rotgelb", u"A -/b b"},
      {u"Gelbrot", u"A -/b b"},
      {u"Thüringerfarbig", u"A -/b b/g g"},
      {u"Chinchillafarbig", u"achi -/B -/C -/D -/G -"},
      {u"Schwarzloh", u"A -/B -/C -/D -/go -"},
      {u"Blauloh", u"A -/B -/C -/d d/go -"},
      {u"Havannaloh", u"A -/B -/c c/D -/go -"},
      {u"Fehloh", u"A -/B -/c c/d d/go -"},
      {u"Dreifarbig", u"A -/bj -/K -"},
  };
  // "Schwarz-Weiß" and the like: the colour with the breed's white marking.
  QStringView name = colour;
  const bool marked = colour.endsWith(u"-Weiß");
  if (marked) name = colour.chopped(5);
  QString pattern;
  for (const auto& [c, g] : base)
    if (name == QStringView(c)) pattern = QString::fromUtf16(g);
  if (pattern.isEmpty()) return {};
  if (marked) {
    if (breed == u"Holländer") {
      pattern += QStringLiteral("/h h");
    } else if (breed == u"Kalifornier") {
      // Russian marking: the points show the colour.
      pattern.replace(QStringLiteral("A -/"), QStringLiteral("an -/"));
    } else {
      pattern += QStringLiteral("/K -");
    }
  }
  if (breed == u"Rexe" || breed == u"Rexzwerge") pattern += QStringLiteral("/r r");
  if (breed == u"Angora" || breed == u"Fuchs-Zwerg (Langhaar)") pattern += QStringLiteral("/v v");
  if (breed == u"Großsilber" || breed == u"Kleinsilber") pattern += QStringLiteral("/Si -");
  return pattern;
}

TableRows statusRows() {
  // Numbers 1 and 2 have a fixed meaning and cannot be deleted in the status window.
  const std::initializer_list<const char16_t*> names = {u"Eigener Bestand", u"Neu / Jungtier", u"Verkauft",
                                                        u"Geschlachtet",    u"Verendet",       u"Fremdtier"};
  TableRows t{u"Status"_qs, {}};
  int number = 0;
  for (const char16_t* name : names) {
    t.rows.push_back({{u"Nummer"_qs, ++number}, {u"Name"_qs, str(name)}});
  }
  return t;
}

std::vector<TableRows> breedAndColourRows() {
  TableRows rassen{u"Rasse"_qs, {}};
  TableRows farben{u"Farbe"_qs, {}};
  int number = 0;
  for (const Breed& b : breeds()) {
    ++number;
    rassen.rows.push_back({{u"Nummer"_qs, number},
                           {u"Name"_qs, str(b.name)},
                           {u"Code"_qs, str(b.code)},
                           {u"Min Gewicht"_qs, b.minKg},
                           {u"Max Gewicht"_qs, b.maxKg},
                           {u"Rassegruppe"_qs, str(b.group)}});
    for (const Colour& c : b.colours) {
      QVariantMap row{{u"Rasse"_qs, number}, {u"Name"_qs, str(c.name)}, {u"Code"_qs, str(c.code)}};
      if (const QString g = colourGenotype(QStringView(b.name), QStringView(c.name)); !g.isEmpty())
        row.insert(u"Genotyp"_qs, g);
      farben.rows.push_back(row);
    }
  }
  return {rassen, farben};
}

TableRows showTitleRows() {
  // The first three have a fixed meaning: young-animal evaluations, the breeder's own
  // judging and the herd-book judging of young animals. The rest are the usual shows.
  const std::initializer_list<const char16_t*> titles = {
      u"Jungtierbewertung",
      u"Eigene Bewertung",
      u"Körung vom Herdbuch",
      u"Allgemeine Tierschau",
      u"Bundesschau",
      u"Bundesrammlerschau",
      u"Europaschau",
      u"Gemeinschaftsschau örtlich",
      u"Gemeinschaftsschau überörtlich",
      u"Herdbuchschau",
      u"Herdbuch-Vergleichsschau",
      u"Jungtierschau",
      u"Kleintierschau",
      u"Klubschau",
      u"Klub-Vergleichsschau",
      u"Kreisschau",
      u"Landesschau",
      u"Ortsschau",
      u"Pokalschau",
      u"Vereinsschau",
      u"Verkaufsschau",
  };
  TableRows t{u"Ausstellungstitel.db"_qs, {}};
  for (const char16_t* title : titles) t.rows.push_back({{u"Bezeichnung"_qs, str(title)}});
  return t;
}

TableRows addressCategoryRows() {
  // The category window holds at most ten; two places stay free for the breeder's own.
  const std::initializer_list<const char16_t*> categories = {
      u"Züchter",      u"Käufer",        u"Verein",      u"Tierarzt",
      u"Preisrichter", u"Futterhändler", u"Zuchtfreund", u"Sonstige"};
  TableRows t{u"StatusAdressen"_qs, {}};
  for (const char16_t* c : categories) t.rows.push_back({{u"Status"_qs, str(c)}});
  return t;
}

std::vector<TableRows> bookkeepingRows() {
  TableRows kinds{u"KONTOART.DB"_qs,
                  {{{u"LaufendeNummer"_qs, 1}, {u"Kontoart"_qs, u"Bankkonto"_qs}},
                   {{u"LaufendeNummer"_qs, 2}, {u"Kontoart"_qs, u"Bargeld / Kasse"_qs}}}};

  constexpr int kMwst0 = 1, kMwst7 = 2, kMwst19 = 3;
  TableRows vat{u"MEHRWERT.DB"_qs,
                {{{u"LaufendeNummer"_qs, kMwst0}, {u"Prozent"_qs, 0}},
                 {{u"LaufendeNummer"_qs, kMwst7}, {u"Prozent"_qs, 7}},
                 {{u"LaufendeNummer"_qs, kMwst19}, {u"Prozent"_qs, 19}}}};

  const QVariant zero = QVariant::fromValue(Money::fromUnits(0));
  TableRows konten{u"KONTEN.DB"_qs, {}};
  // Money accounts: kind 1 bank, kind 2 cash. Both start at zero.
  konten.rows.push_back({{u"Kontoart"_qs, 1},
                         {u"Name"_qs, u"Girokonto"_qs},
                         {u"Eroeffnungssaldo"_qs, zero},
                         {u"Kontostand"_qs, zero}});
  konten.rows.push_back({{u"Kontoart"_qs, 2},
                         {u"Name"_qs, u"Kasse"_qs},
                         {u"Eroeffnungssaldo"_qs, zero},
                         {u"Kontostand"_qs, zero}});

  // Categories (kind 0). Bookings name their category by text, so names must differ from
  // each other and from the accounts. The opening balance is a required field of the table.
  struct Category {
    const char16_t* name;
    bool income;
    int mwst;
  };
  const std::initializer_list<Category> categories = {
      {u"Tierverkauf", true, kMwst7},
      {u"Fell- und Wollverkauf", true, kMwst7},
      {u"Preisgelder", true, kMwst0},
      {u"Zuschüsse und Spenden", true, kMwst0},
      {u"Sonstige Einnahmen", true, kMwst0},
      {u"Futter", false, kMwst7},
      {u"Einstreu und Heu", false, kMwst7},
      {u"Tierkauf", false, kMwst7},
      {u"Tierarzt", false, kMwst19},
      {u"Medikamente und Impfstoffe", false, kMwst19},
      {u"Ausstellungsgebühren", false, kMwst0},
      {u"Vereinsbeiträge", false, kMwst0},
      {u"Stall und Käfige", false, kMwst19},
      {u"Zubehör und Tätozangen", false, kMwst19},
      {u"Fachliteratur", false, kMwst7},
      {u"Fahrtkosten", false, kMwst19},
      {u"Sonstige Ausgaben", false, kMwst19},
  };
  for (const Category& c : categories) {
    konten.rows.push_back({{u"Kontoart"_qs, 0},
                           {u"Name"_qs, str(c.name)},
                           {u"Eroeffnungssaldo"_qs, zero},
                           {u"Mwst"_qs, c.mwst},
                           {u"EinAus"_qs, c.income ? u"Einnahme"_qs : u"Ausgabe"_qs}});
  }
  return {kinds, vat, konten};
}

TableRows pharmacyRows() {
  struct Medicine {
    const char16_t* bereich;
    const char16_t* krankheit;
    const char16_t* medikament;
    const char16_t* info;
    int repeatMonths = 0;  // vaccines: the months until the next vaccination is due
  };
  // Generic entries the breeder replaces by the products actually kept; no expiry dates.
  const std::initializer_list<Medicine> medicines = {
      {u"Impfstoffe", u"RHD (Chinaseuche), RHDV-1 und RHDV-2", u"RHD-Impfstoff",
       u"Impfung durch den Tierarzt; Wiederholung nach dessen Angabe.", 12},
      {u"Impfstoffe", u"Myxomatose", u"Myxomatose-Impfstoff",
       u"Impfung durch den Tierarzt; vor der Mückenzeit impfen lassen.", 6},
      {u"Parasiten", u"Kokzidiose", u"Kokzidiostatikum",
       u"Nur nach Kotuntersuchung und Anweisung des Tierarztes geben."},
      {u"Parasiten", u"Milben, Flöhe, Haarlinge", u"Mittel gegen Ektoparasiten",
       u"Dosierung nach Gewicht laut Tierarzt."},
      {u"Verdauung", u"Durchfall, Blähungen", u"Heilerde",
       u"Unterstützend; bei Jungtieren früh den Tierarzt fragen."},
      {u"Haut und Wunden", u"Wunden, Bisse, wunde Läufe", u"Wundsalbe", u""},
      {u"Augen", u"Bindehautentzündung", u"Augensalbe", u"Nach Anweisung des Tierarztes."},
      {u"Atemwege", u"Kaninchenschnupfen", u"Antibiotikum (tierärztlich verordnet)",
       u"Nur auf Verordnung; Wartezeiten bei Schlachttieren beachten."},
  };
  TableRows t{u"APOTHEKE"_qs, {}};
  for (const Medicine& m : medicines) {
    QVariantMap row{{u"Bereich"_qs, str(m.bereich)},
                    {u"Krankheit"_qs, str(m.krankheit)},
                    {u"Medikament"_qs, str(m.medikament)}};
    if (m.info[0] != u'\0') row.insert(u"Info"_qs, str(m.info));
    if (m.repeatMonths > 0) row.insert(u"WiederholungMonate"_qs, m.repeatMonths);
    t.rows.push_back(row);
  }
  return t;
}

}  // namespace

const std::vector<TableRows>& lookupRows() {
  static const std::vector<TableRows> tables = [] {
    std::vector<TableRows> all;
    all.push_back(statusRows());
    for (TableRows& t : breedAndColourRows()) all.push_back(std::move(t));
    all.push_back(showTitleRows());
    all.push_back(addressCategoryRows());
    for (TableRows& t : bookkeepingRows()) all.push_back(std::move(t));
    all.push_back(pharmacyRows());
    return all;
  }();
  return tables;
}

}  // namespace lapiro::installer

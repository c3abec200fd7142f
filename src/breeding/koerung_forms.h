// The two printed forms of a buck's judging ("Körung"): "Pos. 3 Ausgeglichenheit eines
// Wurfes" (TReportAusgeglichenheit) and the Körnote form (TReportKoernote). Each is a plain
// value of texts, read from the data module (or handed over by the judging page) and laid out
// on one A4 portrait page.
#pragma once

#include "reports/report.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {

// One line of a judging table: sex, name (tattoo text), the seven positions, total, grade and
// missing points, all as printed.
struct JudgingLine {
  QString geschlecht, name;
  std::array<QString, 7> positionen;
  QString insgesamt, praedikat, fehlpunkte;
};

// Everything "Pos. 3 Ausgeglichenheit eines Wurfes" prints.
struct BalanceForm {
  QString herdbuch;  // the own data's herd-book heading (HerdbuchAnzeige)
  QString datum;     // the judging day as typed in the page's date field
  QString besitzer;  // owner: Vorname + " " + Name, or Name alone
  QString besitzerAdresse;  // PLZ + " " + Ort + ", " + street
  QString rasse, farbe;
  QString wurfdatum, geboren, aufgezogen, tot;
  JudgingLine vater;   // "1.0": the buck and his best show result
  JudgingLine mutter;  // "0.1": the doe of the selected litter and her best show result
  std::array<JudgingLine, 10> nachzucht;  // rows 1 … 10; empty lines stay empty
};

// The order in which the young of a litter are printed on the balance form. `totals` are the
// stored totals of the litter's young in litter order (nullopt: not judged). Only the first
// ten young are taken; those with a total rounded (halves to the even neighbour) to at least 1
// come first, highest rounded total first, the earlier young first on equal totals; then the
// young without a judging (nullopt or a total rounded to 0), in litter order. Returns indexes
// into `totals`, at most ten.
std::vector<int> balanceFormOrder(const std::vector<std::optional<double>>& totals);

// Reads the balance form for the current animal of "Hasen" (the buck), the card's show row
// "Ausstellung" (his best show result, positioned by the judging page), the current row of
// "GedeckteHaesinnen" (the selected litter) and its young in "RammlerJungtiere". `datum` is
// the text of the page's judging-day field. Throws engine::EngineError when a table cannot be
// read.
BalanceForm readBalanceForm(store::TDatenStamm& dm, const QString& datum);

class TReportAusgeglichenheit : public reports::Report {
 public:
  explicit TReportAusgeglichenheit(const BalanceForm& form,
                                   const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 9.0});
};

// One chosen litter on the Körnote form (items 2 and 3).
struct KoernoteDoe {
  QString tato;         // the doe (NameHaesin of the litter row)
  QString vorgestellt;  // number of young presented
  QString bewertung;    // their names and totals as one text
  QString mittel;       // their mean, two decimals
};

// Everything the Körnote form prints. The header part (herd-book heading, buck, breeder,
// breed, colour, tattoos) is read by readKoernoteHeader; the items come from the judging page.
struct KoernoteForm {
  QString herdbuch;
  QString rammler;   // TatoRechts + " " + TatoLinks
  QString datum;     // the text of the page's date field
  QString zuechter;  // breeder: Vorname + " " + Name, or Name
  QString strasse, plz, wohnort;
  QString rasseFarbe;  // breed and colour joined by ", "
  QString vereinstato, tatoLinks;
  QString anzahlVater, anzahlMutter;
  std::array<QString, 5> punkte;  // the "Leistungspunkte" of items 1 … 5 as shown
  KoernoteDoe haesin1, haesin2;
  QString rammlerPunkte;  // item 4: the buck's best show total
  QString wollPunkte;     // item 5: the buck's wool performance points
  bool langhaar = false;  // item 5 is printed empty unless the breed group is "Langhaarrassen"
  QString koernote;       // the sum
};

// Fills the header part of `form` from the current animal of "Hasen" and the own data, and
// `langhaar` from the animal's breed group; the other fields stay as they are.
// Throws engine::EngineError when a table cannot be read.
void readKoernoteHeader(store::TDatenStamm& dm, KoernoteForm& form);

class TReportKoernote : public reports::Report {
 public:
  explicit TReportKoernote(const KoernoteForm& form,
                           const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 9.0});
};

}  // namespace lapiro::breeding

// The printout "Druck Inzucht" of the inbreeding window: a report layout and the rows it
// prints, built from the window's inputs and results.
//
// Every page: "Inzucht von : " + animal + "  Erbformel: " + formula, the print date and
// "Berechnung über G Generationen". Below it on the first page: father and mother with their formulas. Then,
// as chosen, the path lines; always the coefficient (with the coefficient over all known
// generations) and the ancestor loss; as chosen, the formula lines and the ancestor list
// ("Name des Vorfahren" / "Anzahl des Vorkommens im Stammbaum") in the order given.
// Footer: "Seite n" and the imprint.
#pragma once

#include "lineage/inbreeding_calculation.h"
#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::lineage {

struct DruckOptionen {
  bool inzuchtliste = false;   // "mit Inzuchtliste drucken"
  bool vorfahrenliste = false; // "mit Vorfahrenliste drucken"
  bool erbformel = false;      // "mit Erbformel drucken"
};

// The layout. Its detail band prints the rows of inbreedingReportRows().
reports::Report inbreedingReport(const InzuchtEingabe& ein,
                                 const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});

// The rows: fields "Art" ("elt" father or mother with "Label", "kopf" heading, "zeile" text
// line, "vkopf" list heading, "vorf" ancestor row), "Text", and for "vorf" rows "Anzahl". `vorfahren` is the ancestor list in the
// grid's current order.
reports::MemoryDataSource inbreedingReportRows(const InzuchtEingabe& ein, const InzuchtAusgabe& aus,
                                               const std::vector<Vorfahr>& vorfahren, const DruckOptionen& optionen);

}  // namespace lapiro::lineage

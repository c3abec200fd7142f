// The printout "Druck Nachkommenliste" of the direct-offspring window.
#pragma once

#include "lineage/descendants.h"
#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::lineage {

// The animal whose offspring are listed, as the heading shows it.
struct OffspringParent {
  QString tatoRechts, tatoLinks, rasse, farbe;
  QDate geburtstag;
  bool buck = false;  // the other parent's column is "Mutter" for a buck, "Vater" for a doe
};

// The rows of the list as a data source (fields TatoRechts, TatoLinks, Geburtstag,
// Geschlecht, Farbe, Rasse, Elternteil, Zuechter, Besitzer).
reports::MemoryDataSource offspringReportData(const std::vector<OffspringRow>& rows, bool parentIsBuck);

// Title "Nachkommen von :" with the parent's tattoos, breed, colour, birth date and the print
// date; one row per offspring; page footer "Seite" n and the imprint.
reports::Report TReportNachkommenliste(const OffspringParent& parent, const reports::ReportFont& font);

}  // namespace lapiro::lineage

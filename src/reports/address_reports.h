// The address book's two printouts.
//
// Both read the fields of table `Adresse` from the data source by their table names: Name,
// Vorname, Straße, PLZ, Ort, Land, Telefon, Telefax, Handy, EMail, Homepage,
// Vereinskennzeichen, Geburtstag (QDate or ISO text), Status, Rasse, HBNr, Bemerkung and
// LaufendeNr. The breed is printed from the field RasseAnzeige (the breed's name), which the
// caller adds to each row; without it a breed number above 0 prints as the number.
// Missing fields print empty.
#pragma once

#include "reports/report.h"

namespace lapiro::reports {

// "Liste": the addresses of the current search result, one line per address, A4 landscape.
// Title "Adressenliste vom <print date>", column header on every page, "Anzahl Adressen: n"
// after the last row, "Seite n von m" and the imprint in the footer.
class TReportAdressliste : public Report {
 public:
  // `font`: the default font from the settings (family and size); the list uses it at most
  // 7.5 pt so that its eleven columns fit across the page.
  explicit TReportAdressliste(const ReportFont& font = ReportFont{QStringLiteral("Arial"), 10.0});
};

// "Adresse": one address per A4 portrait page as a data sheet: its name as heading, every
// field with its label and the remark memo in a frame that grows with the text (a remark
// longer than the page continues on the next page).
class TReportAdresse : public Report {
 public:
  explicit TReportAdresse(const ReportFont& font = ReportFont{QStringLiteral("Arial"), 10.0});
};

}  // namespace lapiro::reports

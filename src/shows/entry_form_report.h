// TReportAusstellungsmeldung: the printed show entry form, one A4 portrait page with the
// header, the organiser's check box, the 12 lines, the fees to be collected, the bank details
// and the signature captions. Its single data row comes from entryFormReportData.
#pragma once

#include "reports/data_source.h"
#include "reports/report.h"
#include "shows/entry_form.h"

namespace lapiro::shows {

// The user's own data the printed form needs (eigen.DB with its display values).
struct EntryOwnData {
  QString benutzer;  // first name and name
  QString strasse, ortAnzeige, telefon;
  QString kontonummer, kontoname, kontoIn, bankleitzahl;
};

class TReportAusstellungsmeldung : public reports::Report {
 public:
  explicit TReportAusstellungsmeldung(const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
};

// The one row of the printed form: header labels as typed (club number, application number,
// kind of show, date text, `breedName`, `colourName`), per line n (1..12) the fields
// "M<n>" / "W<n>" ("X" for the sex), "Rechts<n>", "Links<n>", "Jung<n>", "ZG1_<n>", "ZG2_<n>",
// "ZG3_<n>", "EZT<n>" ("X" or empty) and "Preis<n>" (currency text, empty without a price),
// the fee amounts as currency text, "FreitextGleich" ("=" or empty) and the own data.
reports::MemoryDataSource entryFormReportData(const EntryForm& form, const QString& breedName,
                                              const QString& colourName, const EntryOwnData& own);

}  // namespace lapiro::shows

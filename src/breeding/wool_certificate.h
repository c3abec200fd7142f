// The printed wool performance certificate "Angora-Leistungsnachweis" (TReportWollleistung):
// its values, read from the data module's current animal and test record, and its one-page
// A4 layout.
#pragma once

#include "reports/report.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {

// One row of the ancestor table (rows 2 to 15). Empty when the ancestor was not found.
struct CertificateAncestor {
  QString tato, zuechter, pruefstelle, jwe, wrz, bewertung;
};

// Every value the certificate prints, as text.
struct WoolCertificate {
  QString verband, llb, farbHinweis;  // "( für weiße )" or "( für farbige )"
  QString geschlecht, tato, name, geburtstag, wurfstaerke, zuechter, hbNr, besitzer;
  QString vom, bis, ort;
  // Columns I., II., Filz, insgesamt of the rows Schur-Ergebnis, JWE and WRZ.
  std::array<QString, 4> schur, jwe, wrz;
  QString punkte, gewichtHase;
  QString urteilAm, urteilVon;
  std::array<QString, 7> positionen;
  QString bewertung, bemerkung;
  QString elternJwe, elternWrz, punkteEltern, grosselternJwe, grosselternWrz, punkteGrosseltern;
  QString leistungspunkte, gesamtPunkte, gesamtNote;
  QString llbVater, llbMutter;
  std::array<CertificateAncestor, 14> ahnen;  // index 0 is row 2 (father) ... 13 is row 15
  QString ortDatum;                           // own place + ", den " + date
};

// Reads the certificate of the current test record of the data module's cursor "Angora" for
// the current animal of "Hasen", with the own data's Verband and Ort and `today`.
// REQUIRES: both cursors stand on a record. Throws engine::EngineError when a table cannot be
// read.
WoolCertificate readWoolCertificate(store::TDatenStamm& dm, const QDate& today);

// The report: A4 portrait, everything on one page.
class TReportWollleistung : public reports::Report {
 public:
  explicit TReportWollleistung(const WoolCertificate& c,
                               const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 9.0});
};

}  // namespace lapiro::breeding

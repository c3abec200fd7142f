// The pedigree certificate "Abstammungsnachweis für Rassekaninchen": what it shows, read from
// the data module for the card's current animal, and its A4 landscape layout.
//
// The sheet has the animal's own data with a place for its picture, then the 30 ancestors of
// four generations in four rows, the father's side left and the mother's side right, each row
// directly above the parents of its boxes. Every box is fitted by shrinking its font down to a
// floor before anything is cut; what is cut ends in "…", so text never leaves its box.
#pragma once

#include "reports/report.h"
#include "shell/system_info.h"

#include <QImage>
#include <QMarginsF>
#include <QStringList>

#include <array>

namespace lapiro::store {
class TDatenStamm;
}
namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::card {

inline constexpr int kCertificateBoxes = 30;

struct CertificateAncestor {
  QString tattoos;    // "right  left"; empty: no known animal
  QStringList lines;  // the further lines ("Wurfgröße: 7", "Züchter: …", …)
  int group = 0;      // colour group of a repeated ancestor among the 30 boxes; 0 none
};

struct PedigreeCertificate {
  // The animal's own data, as printed after their labels.
  QString rasse, farbe, geschlecht, tatoRechts, tatoLinks, wurfgroesse;
  QString zuechter, strasse, plz, wohnort, telefon;
  QString bewertungen, erbformel;
  QImage picture;        // null: the place stays empty
  QImage passport;       // QR code of the pedigree passport, printed 30 mm wide; null: none
  bool colourRepeated = true;  // Drucken/TitelRot: repeated ancestors in colour
  QMarginsF margins{7.0, 7.0, 12.5, 7.0};  // mm: left, top, right, bottom
  std::array<CertificateAncestor, kCertificateBoxes + 1> ancestors{};  // index = slot 1..30
};

// The margins in mm from Stammbaum/linkerRand, obererRand, rechterRand and untererRand, read
// as tenths of a millimetre, each at least 7 mm so that common printers print every edge
// (the defaults 10, 0, 125, 40 give 7, 7, 12.5, 7).
QMarginsF certificateMargins(const shell::tsysteminfo& settings);

// The items of a certificate box after the tattoos: litter size, Körnote, breeder, show
// scores and genetic formula, then the further items named in Stammbaum/Druck.
shell::PedigreeItemOrder certificateItemOrder(const shell::tsysteminfo& settings);

// Reads the certificate of the current animal of "Hasen" (through the cursor "Stammbaum", so
// "Hasen" does not move). The picture is the animal's representative picture (Druckbild, or
// the first picture whose file exists) when Drucken/Bild is set. Missing or deleted ancestors
// leave their boxes empty. Never throws.
PedigreeCertificate readPedigreeCertificate(store::TDatenStamm& dm, const shell::tsysteminfo& settings);

// The box caption of a slot 1..30: "Vater 1.0", "Mutter 0.1", "Großvater 1.0", …, "Urur 0.1".
QString certificateCaption(int slot);

// The report of one sheet; `font` gives the family (sizes are the layout's own).
reports::Report TReportAbstammungsnachweis(const PedigreeCertificate& c, const reports::ReportFont& font);

}  // namespace lapiro::card

// The litter report "Wurfmeldung" without its window: the values the window starts with, the
// total of the litter, the herd-book pre-check and the printed form TReportWurfmeldung.
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

inline constexpr int kHilfeWurfmeldung = 160;
inline constexpr int kWurfmeldungZeilen = 14;

// The window's fields, named as in the window.
struct TWurfmeldungDaten {
  QString Lfnr;
  QString MRasse, MFarbe, MVereinstaeto, MZuchtbuchtaeto, MBesitzer, MZuechter;
  QString WRasse, WFarbe, WVereinstaeto, WZuchtbuchtaeto, WBesitzer, WZuechter;
  QString GedAm, Wurftag;
  QString Jungtiere = QStringLiteral("0");
  QString WRammler = QStringLiteral("0"), WHaesinnen = QStringLiteral("0"), Wtot = QStringLiteral("0");
  QString DatumZuchtbuch;
  // Grid rows 1 to 14: sex text, right tattoo (Vereinstäto), left tattoo (Zuchtbuchtäto).
  struct Zeile {
    QString geschlecht, vereinstaeto, zuchtbuchtaeto;
  };
  std::array<Zeile, kWurfmeldungZeilen> zeilen{};
};

// Fills the report for the data module's current doe and litter: the doe's half always; the
// litter, the buck and the rows only when she has a litter. Recorded young animals fill the
// rows (at most 14); without any, the litter figures give buck rows then doe rows carrying
// the own club number. `lfnr` is Stammdaten/LfNrWurfmeldung. Reads the tables, writes none.
TWurfmeldungDaten fillWurfmeldung(store::TDatenStamm& dm, int lfnr, const QDate& today);

// The total of the litter from the three figure texts; nullopt, with `error` set to
// "'<text>' ist kein gültiger Integerwert", when one of them is not a whole number.
std::optional<int> litterTotal(const QString& rammler, const QString& haesinnen, const QString& tot, QString* error);

// What a herd-book keeper would reject, one German line each (empty when nothing): a report
// later than six weeks after the litter day, left tattoos whose month and year do not fit
// the litter day, figures whose total differs from the young animals listed, a parent
// without breed or colour, and the same tattoo twice in the litter. Never blocks printing.
QStringList herdBookPreCheck(const TWurfmeldungDaten& d);

// The printed form: one A4 portrait page with every fixed text, the buck's and the doe's
// values, the sentence of the litter figures, the 14 rows, the signature and seal places and
// the notes.
reports::Report TReportWurfmeldung(const TWurfmeldungDaten& d);

}  // namespace lapiro::breeding

// The printouts of weighings and of a breeding year's offspring: "Gewichtstabelle" of one
// animal, the weighing forms "Gewichtstabellen -Formulare-" (with the animals that have a hutch
// number, or empty), and "Jungtierliste" (every animal born from 1 November to 31 October).
//
// The layouts read their rows from a report data source; the functions below build those
// sources from the tables. Nothing here includes QtWidgets.
#pragma once

#include "engine/query.h"
#include "reports/data_source.h"
#include "reports/report.h"

#include <QDate>
#include <QImage>

#include <memory>
#include <optional>

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {

inline constexpr int kMeldungKeineGewichte = 122;
inline constexpr int kHilfeJahrDialog = 150;

// The head of "Gewichtstabelle": the animal's tattoos, sex, birthday and breed as printed.
struct GewichtKopf {
  QString kaninchen;   // TatoRechts + " " + TatoLinks
  QString geschlecht;  // "Rammler 1.0" / "Häsin 0.1"
  QDate geboren;       // null when not set
  QString rasse;
};

// "Gewichtstabelle" (A4 portrait): the head, a framed column header, one line per weighing
// (fields Datum, Gewicht, Differenz, Mittelwert), a closing rule and, when `chart` is not null,
// the growth chart below it.
class TReportGewichtstabelle : public reports::Report {
 public:
  TReportGewichtstabelle(const GewichtKopf& kopf, const QImage& chart = {},
                         const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
};

// The weighing rows of the current animal of the data module (cursor "Gewichtstabelle" in its
// order, with Differenz and Mittelwert) and its head.
reports::MemoryDataSource weighingRows(store::TDatenStamm& dm);
GewichtKopf weighingHead(store::TDatenStamm& dm);

// The landscape form with the animals (fields Stallnummer, TatoRechts, TatoLinks) and the
// empty portrait form with 26 ruled rows.
class TReportGewichtFormular : public reports::Report {
 public:
  explicit TReportGewichtFormular(const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
};
class TReportGewichtFormularLeer : public reports::Report {
 public:
  explicit TReportGewichtFormularLeer(
      const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
};
// Every animal with a hutch number above 0, ordered by hutch number and tattoo.
reports::MemoryDataSource hutchAnimals(engine::Engine& engine);

// The breeding year Y: 1.11.(Y-1) to 31.10.Y. The text must be a whole number; otherwise
// `error` receives "'<text>' ist kein gültiger Integerwert". A year whose period is no calendar
// date (below 2 or above 9999) gives "Ungültiges Argument zum Codieren des Datums".
struct Zuchtjahr {
  int jahr = 0;
  QDate anfang, ende;
};
std::optional<Zuchtjahr> zuchtjahr(const QString& text, QString* error);

// The statement of the young-animal list with its parameters, lookup fields (FarbeAnzeige,
// VTatoRechts, VTatoLinks, MTatoRechts, MTatoLinks) and calculated fields (GeschlechtAnzeige,
// VaterAnzeige, MutterAnzeige, sized for the longest tattoos). Opened; throws EngineError.
std::unique_ptr<engine::Query> openJungtierQuery(engine::Engine& engine, const Zuchtjahr& jahr);

// "Jungtierliste" (A4 landscape) of breeding year `jahr`, made by `ersteller` (the own first
// name and name).
class TReportJungtierliste : public reports::Report {
 public:
  TReportJungtierliste(const Zuchtjahr& jahr, const QString& ersteller,
                       const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
};

}  // namespace lapiro::breeding

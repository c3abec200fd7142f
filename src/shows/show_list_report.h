// "Ausstellungsliste": the show results of one animal, printed from the main menu "Drucker".
//
// TReportAusstellung lays out A4 portrait pages: a title band with the animal's data, one
// framed detail band per show row (title, date, the seven positions, total or young-animal
// code, missing points, grade, weight, remark; place and prize are not printed) and a footer
// with the page number and the imprint. Its rows come from showListRows.
#pragma once

#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::engine {
class DataSet;
}

namespace lapiro::shows {

class TReportAusstellung : public reports::Report {
 public:
  explicit TReportAusstellung(const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
};

// The rows of the list: one per show row of `shows` (read without moving it, in its order),
// each carrying the show fields as printed text (points in general number format, Datum as
// QDate, AnzeigeBewertPunkte, Fehlpunkte, PraedikatText computed by the show score rules)
// and the animal's fields from the current record of `hasen` (TatoRechts, TatoLinks,
// Geburtstag, RasseAnzeige, ZuechterAnzeige, Erbformel, FarbeAnzeige) plus `benutzer`.
// Fields the data sets lack read empty. Throws engine::EngineError when a read fails.
reports::MemoryDataSource showListRows(engine::DataSet& hasen, engine::DataSet& shows, const QString& benutzer);

}  // namespace lapiro::shows

// Texts and printout of the stock analysis: the summary lines as the window's summary page and
// the printout show them ("—" for an undefined figure), the per-animal cells of the grid and
// the export, the help text of the conventions, and the report: title with the reference
// population, the summary, the 20 animals with the lowest and the 20 with the highest mean
// kinship, and the conventions. A4 portrait, "Seite n von m" and the imprint in the footer.
#pragma once

#include "lineage/stock_analysis.h"
#include "reports/data_source.h"
#include "reports/report.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace lapiro::lineage {

// (label, value) per summary line.
std::vector<std::pair<QString, QString>> zusammenfassung(const Bestandsanalyse& a);
// (name, value) per chief ancestor: "12,50 % (Beitrag 25,00 %)", marginal and raw share.
std::vector<std::pair<QString, QString>> hauptahnenZeilen(const Bestandsanalyse& a);

// The grid's column titles and the cells of one animal (in column order), or one cell.
inline constexpr int kAnalyseSpalten = 12;
QStringList analyseSpalten();
QStringList analyseZeile(const AnalyseTier& t);
QString analyseZelle(const AnalyseTier& t, int column);

// The conventions and published methods, one paragraph per line, for the help page and the
// printout.
QStringList analyseHinweise();

// The animals of the printout's two lists: of the ranked animals (R's animals of breeding
// age), or of all of R when none is ranked, the `count` with the lowest MK (rising) and the
// `count` with the highest (falling).
std::pair<std::vector<const AnalyseTier*>, std::vector<const AnalyseTier*>> mkListen(const Bestandsanalyse& a,
                                                                                     int count = 20);

reports::Report analyseReport(const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 9.0});
// Rows: "Art" ("kopf" heading with "Text", "wert" with "Label" and "Wert", "thead" list
// heading, "tier" with the cells "C0".."C7", "zeile" with "Text").
reports::MemoryDataSource analyseRows(const Bestandsanalyse& a);

}  // namespace lapiro::lineage

// One mating looked at for colours: buck and doe (from the stock or typed), the colours of
// their young with exact shares, what the young carry, the loci that decide each colour, and
// the contradictions the stock's records show around the pair. Also the printout
// "Farbvererbung" of it.
#pragma once

#include <QString>
#include <QStringList>

#include "genetics/cross.h"
#include "genetics/stock_genetics.h"
#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::genetics {

struct PairSide {
  std::int32_t animal = -1;  // index into the stock, -1 for a typed genotype
  QString label;             // tattoo, or "eingegeben"
  QString colour;            // the colour recorded for the animal ("" when typed)
  Genotype genotype;
  QStringList carriers;  // "trägt c (sicher)", from the pedigree
};

// The side for stock animal `index`: its genotype as the pedigree tells it, with its notes.
PairSide stockSide(const StockGenetics& stock, std::int32_t index);
// A typed side. Throws GenotypeError for a text that cannot be read.
PairSide typedSide(const QString& genotypeText);

struct PairAnalysis {
  PairSide buck, doe;
  CrossResult result;
  QStringList contradictions;  // German sentences (StockGenetics::describe)
};

// The young of buck × doe. `stock` (may be null for typed sides) supplies the contradictions
// about either animal and about their recorded young together.
PairAnalysis analysePair(const PairSide& buck, const PairSide& doe, const StockGenetics* stock);

// "A: Albinoreihe …" style text of loci, "A, G" short form.
QString lociText(const QList<int>& loci);

// The printout: a heading with buck and doe (genotype, colour, carriers), the table of
// colours (Farbe, Anteil, Bruch, trägt, entscheidend), the contradictions, and a footer.
reports::Report colourSheetReport(const reports::ReportFont& font = reports::ReportFont{
                                      QStringLiteral("Arial"), 10.0});
reports::MemoryDataSource colourSheetRows(const PairAnalysis& analysis);

}  // namespace lapiro::genetics

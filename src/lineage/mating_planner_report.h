// The printout of the mating planner: the rated pairs in the order shown, pairs above the
// threshold marked with "!" before the buck. A4 landscape, column header on every page.
#pragma once

#include "lineage/mating_planner.h"
#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::lineage {

// The texts of one pair as the list and the printout show them (columns in order).
QStringList planZeile(const PlanPaar& p, const std::vector<PlanTier>& rammler, const std::vector<PlanTier>& haesinnen);
// The column titles.
QStringList planSpalten();

reports::Report planReport(double schwelle, const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 9.0});
// Rows in the order of `order` (indices into `pairs`); fields "C0" .. "C7" and "Mark".
reports::MemoryDataSource planRows(const std::vector<PlanPaar>& pairs, const std::vector<int>& order,
                                   const std::vector<PlanTier>& rammler, const std::vector<PlanTier>& haesinnen,
                                   double schwelle);

}  // namespace lapiro::lineage

// The printout of the mating planner: the rated pairs in the order shown, pairs above the
// threshold marked with "!" before the buck. A4 landscape, column header on every page.
#pragma once

#include "lineage/mating_planner.h"
#include "lineage/pedigree.h"
#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::lineage {

// The texts of one pair as the list and the printout show them (columns in order). A pair
// with `abstammungUnbekannt` keeps its coefficient and says why it is 0: "0,00 – Abstammung
// unbekannt".
QStringList planZeile(const PlanPaar& p, const std::vector<PlanTier>& rammler, const std::vector<PlanTier>& haesinnen,
                      bool abstammungUnbekannt = false);

inline constexpr char16_t kAbstammungUnbekannt[] = u"Abstammung unbekannt";

// For every pair: whether its coefficient is 0 while the buck or the doe has no recorded
// father and no recorded mother in `ped` (the 0 then says nothing about the pair). Such pairs
// are listed after the others.
std::vector<char> unbekannteAbstammung(const std::vector<PlanPaar>& pairs, const std::vector<PlanTier>& rammler,
                                       const std::vector<PlanTier>& haesinnen, const Pedigree& ped);
// The column titles.
QStringList planSpalten();

reports::Report planReport(double schwelle, const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 9.0});
// Rows in the order of `order` (indices into `pairs`); fields "C0" .. "C8" and "Mark".
// `unbekannt` (per pair, may be empty) marks the pairs without known pedigree.
reports::MemoryDataSource planRows(const std::vector<PlanPaar>& pairs, const std::vector<int>& order,
                                   const std::vector<PlanTier>& rammler, const std::vector<PlanTier>& haesinnen,
                                   double schwelle, const std::vector<char>& unbekannt = {});

}  // namespace lapiro::lineage

// Golden page models: a printout's page model (PageModel::dump()) compared with a reference
// text file kept beside the test, tests/<folder>/reference/<name>.txt.
//
// A mismatch fails the current test and writes the actual model next to the reference as
// <name>.actual.txt, so that a deliberate layout change is one copy (or one run with
// LAPIRO_UPDATE_REFERENCES=1, which rewrites every reference a test touches). With
// LAPIRO_REPORT_PDF_DIR=<dir> the printouts are also written there as PDF for a look at them.
//
// The models are only comparable because every test executable measures text with the same
// fonts (test_main.cpp pins them).
#pragma once

#include <QString>

namespace lapiro::reports {
struct PageModel;
}

namespace lapiro::test {

// `reference` is the path below tests/ without ".txt", e.g. "card/reference/abstammungsnachweis".
void expectMatchesReference(const reports::PageModel& model, const QString& reference);

// Writes <LAPIRO_REPORT_PDF_DIR>/<name>.pdf when that variable is set; otherwise nothing.
void writePdfForInspection(const reports::PageModel& model, const QString& name);

}  // namespace lapiro::test

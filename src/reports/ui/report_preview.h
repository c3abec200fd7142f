// The report preview and the print helpers every window's print command uses.
#pragma once

#include <QPrintPreviewDialog>
#include <QString>

#include "reports/data_source.h"
#include "reports/page_model.h"
#include "reports/report.h"

class QPrinter;
class QToolButton;

namespace lapiro::reports {

// Modal preview of a laid-out report, on a printer set to the report's paper in full-page
// mode. Besides Qt's own tools (zoom, page view, print) it has the button "Als PDF speichern",
// which asks for a file name and writes the report as PDF.
class TReportVorschau : public QPrintPreviewDialog {
  Q_OBJECT

 public:
  explicit TReportVorschau(PageModel model, QWidget* parent = nullptr);

  const PageModel& model() const { return model_; }
  QToolButton* pdfButton() const { return pdfButton_; }

  // Writes the report to `fileName` (".pdf" is appended when the name has no suffix). On
  // failure shows an error box (unless `quiet`) and returns false.
  bool savePdf(const QString& fileName, bool quiet = false);

 private slots:
  void ButtonPdfClick();
  void paintPages(QPrinter* printer);

 private:
  PageModel model_;
  QToolButton* pdfButton_ = nullptr;
};

// The print command of a window: lays `report` out over `data`, shows the preview modally and
// returns when the user closes it. The laid-out report is discarded afterwards.
// REQUIRES: `data` stays valid during the call.
void showReportPreview(QWidget* parent, const Report& report, const ReportDataSource& data);

// Prints `report` without a preview: asks for the printer with Qt's print dialog when
// `askPrinter`, otherwise uses the default printer. Returns false when the user cancels or
// printing cannot start.
bool printReport(QWidget* parent, const Report& report, const ReportDataSource& data, bool askPrinter = true);

// Prepares `printer` for a report of `setup`: its paper, orientation, full-page mode.
void preparePrinter(QPrinter& printer, const PageSetup& setup);

}  // namespace lapiro::reports

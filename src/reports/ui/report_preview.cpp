#include "reports/ui/report_preview.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>

#include "reports/report_layout.h"
#include "reports/report_renderer.h"

namespace lapiro::reports {

void preparePrinter(QPrinter& printer, const PageSetup& setup) {
  printer.setPageLayout(pageLayoutOf(setup));
  printer.setFullPage(true);
}

TReportVorschau::TReportVorschau(PageModel model, QWidget* parent)
    : QPrintPreviewDialog(parent), model_(std::move(model)) {
  setWindowTitle(model_.title.isEmpty() ? QStringLiteral("Druckvorschau")
                                        : QStringLiteral("Druckvorschau – ") + model_.title);
  setModal(true);
  preparePrinter(*printer(), model_.setup);
  printer()->setDocName(model_.title);
  connect(this, &QPrintPreviewDialog::paintRequested, this, &TReportVorschau::paintPages);

  pdfButton_ = new QToolButton(this);
  pdfButton_->setText(QStringLiteral("Als PDF speichern"));
  pdfButton_->setObjectName(QStringLiteral("ButtonPdf"));
  pdfButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  connect(pdfButton_, &QToolButton::clicked, this, &TReportVorschau::ButtonPdfClick);
  if (auto* toolBar = findChild<QToolBar*>()) {
    toolBar->addSeparator();
    toolBar->addWidget(pdfButton_);
  }
  resize(900, 700);
}

void TReportVorschau::paintPages(QPrinter* printer) {
  // The report is laid out for its own paper; a page set-up changed in the preview is undone.
  preparePrinter(*printer, model_.setup);
  renderToDevice(model_, *printer);
}

bool TReportVorschau::savePdf(const QString& fileName, bool quiet) {
  QString target = fileName;
  if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".pdf");
  if (renderToPdf(model_, target)) return true;
  if (!quiet) {
    QMessageBox::critical(this, QStringLiteral("Als PDF speichern"),
                          QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden.").arg(target));
  }
  return false;
}

void TReportVorschau::ButtonPdfClick() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QString suggestion = folder + u'/' +
                             (model_.title.isEmpty() ? QStringLiteral("Bericht") : model_.title) +
                             QStringLiteral(".pdf");
  const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Als PDF speichern"), suggestion,
                                                        QStringLiteral("PDF-Dateien (*.pdf)"));
  if (!fileName.isEmpty()) savePdf(fileName);
}

void showReportPreview(QWidget* parent, const Report& report, const ReportDataSource& data) {
  TReportVorschau preview(layoutReport(report, data), parent);
  preview.exec();
}

bool printReport(QWidget* parent, const Report& report, const ReportDataSource& data, bool askPrinter) {
  const PageModel model = layoutReport(report, data);
  QPrinter printer(QPrinter::HighResolution);
  preparePrinter(printer, model.setup);
  printer.setDocName(model.title);
  if (askPrinter) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    if (dialog.exec() != QDialog::Accepted) return false;
    preparePrinter(printer, model.setup);
  }
  return renderToDevice(model, printer);
}

}  // namespace lapiro::reports

// The preview dialog and its PDF button (the dialog is never shown modally here).
#include "reports/ui/report_preview.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QPrinter>
#include <QToolBar>
#include <QToolButton>

#include "reports/address_reports.h"
#include "reports/data_source.h"
#include "reports/report_layout.h"
#include "support/temp_dir.h"

using namespace lapiro::reports;

namespace {

PageModel addressList() {
  MemoryDataSource data({{{QStringLiteral("Name"), QStringLiteral("Müller")},
                          {QStringLiteral("Ort"), QStringLiteral("Köln")}}});
  return layoutReport(TReportAdressliste(), data, QDate(2025, 3, 1));
}

}  // namespace

TEST(ReportPreview, HasAGermanTitleAPdfButtonAndAPrinterSetToTheReportsPaper) {
  TReportVorschau preview(addressList());
  EXPECT_EQ(preview.windowTitle(), QStringLiteral("Druckvorschau – Adressenliste"));
  ASSERT_NE(preview.pdfButton(), nullptr);
  EXPECT_EQ(preview.pdfButton()->text(), QStringLiteral("Als PDF speichern"));
  const QToolBar* toolBar = preview.findChild<QToolBar*>();
  ASSERT_NE(toolBar, nullptr);
  EXPECT_EQ(preview.pdfButton()->parentWidget(), toolBar);

  QPrinter* printer = preview.printer();
  EXPECT_TRUE(printer->fullPage());
  EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
  EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::A4);
}

TEST(ReportPreview, SavesThePdfAddingTheSuffixAndReportsAnUnwritableTarget) {
  lapiro::test::TempDir dir;
  TReportVorschau preview(addressList());
  ASSERT_TRUE(preview.savePdf(dir.file(QStringLiteral("adressen"))));
  const QFileInfo written(dir.file(QStringLiteral("adressen.pdf")));
  EXPECT_TRUE(written.exists());
  EXPECT_GT(written.size(), 1000);
  EXPECT_FALSE(preview.savePdf(QStringLiteral("/nonexistent-dir/adressen.pdf"), true));
}

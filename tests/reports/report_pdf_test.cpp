// Rendering: PDF files read back with poppler's tools, images of pages, paged devices.
#include <gtest/gtest.h>

#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "reports/data_source.h"
#include "reports/report.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "support/temp_dir.h"

using namespace lapiro::reports;

namespace {

// Runs a poppler tool on `pdf` and returns its standard output; skips when it is missing.
QString runTool(const QString& tool, const QStringList& arguments) {
  QProcess process;
  process.start(tool, arguments);
  if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

Report umlautReport() {
  Report report;
  report.title = QStringLiteral("Prüfbericht");
  report.titleBand = Band(10);
  report.titleBand.add(Element::label(QRectF(0, 0, 150, 8), QStringLiteral("Zuchtbuch für Häsin und Rammler"))
                           .size(14)
                           .bold());
  report.detail = Band(6);
  report.detail.add(Element::dataField(QRectF(0, 0, 60, 6), QStringLiteral("Name")));
  report.detail.add(Element::dataField(QRectF(60, 0, 30, 6), QStringLiteral("Betrag"), ValueFormat::money())
                        .align(Qt::AlignRight | Qt::AlignTop));
  report.detail.add(Element::dataField(QRectF(95, 0, 30, 6), QStringLiteral("Tag"), ValueFormat::date()));
  report.detail.add(Element::box(QRectF(130, 1, 8, 4), QColor(Qt::green), 0.2, ShapeKind::RoundedRectangle));
  report.pageFooter = standardPageFooter(report.page.bodyWidth(), true);
  return report;
}

MemoryDataSource umlautRows() {
  return MemoryDataSource({{{QStringLiteral("Name"), QStringLiteral("Müller, Jürgen")},
                            {QStringLiteral("Betrag"), 1234.5},
                            {QStringLiteral("Tag"), QDate(2025, 3, 1)}},
                           {{QStringLiteral("Name"), QStringLiteral("Straßburger, Öle")},
                            {QStringLiteral("Betrag"), 7.0},
                            {QStringLiteral("Tag"), QDate(1999, 12, 24)}}});
}

}  // namespace

TEST(ReportPdf, PdfTextContainsTheReportsStringsWithUmlauts) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
    GTEST_SKIP() << "pdftotext fehlt";
  lapiro::test::TempDir dir;
  const QString pdf = dir.file(QStringLiteral("bericht.pdf"));
  const PageModel model = layoutReport(umlautReport(), umlautRows(), QDate(2025, 3, 1));
  ASSERT_TRUE(renderToPdf(model, pdf));

  const QString text =
      runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  for (const QString& expected :
       {QStringLiteral("Zuchtbuch für Häsin und Rammler"), QStringLiteral("Müller, Jürgen"),
        QStringLiteral("Straßburger, Öle"), QStringLiteral("1.234,50"), QStringLiteral("7,00"),
        QStringLiteral("01.03.2025"), QStringLiteral("24.12.1999"),
        QStringLiteral("printed by Lapiro Manager"), QStringLiteral("Seite 1 von 1")}) {
    EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.toStdString();
  }
}

TEST(ReportPdf, EveryPageOfALongReportReachesThePdf) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
    GTEST_SKIP() << "pdftotext fehlt";
  MemoryDataSource data;
  for (int i = 0; i < 150; ++i)
    data.append({{QStringLiteral("Name"), QStringLiteral("Züchter %1").arg(i + 1)}});
  const PageModel model = layoutReport(umlautReport(), data, QDate(2025, 3, 1));
  ASSERT_GT(model.pageCount(), 2);
  lapiro::test::TempDir dir;
  const QString pdf = dir.file(QStringLiteral("lang.pdf"));
  ASSERT_TRUE(renderToPdf(model, pdf));
  const QString text = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
  const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
  ASSERT_EQ(pages.size(), model.pageCount());
  for (int p = 0; p < model.pageCount(); ++p) {
    EXPECT_TRUE(pages[p].contains(QStringLiteral("Seite %1 von %2").arg(p + 1).arg(model.pageCount())));
    EXPECT_TRUE(pages[p].contains(imprintText()));
  }
  EXPECT_TRUE(text.contains(QStringLiteral("Züchter 150")));
}

TEST(ReportPdf, A6LandscapePdfHasTheA6PaperTurned) {
  Report report = umlautReport();
  report.page.format = PageFormat::A6;
  report.page.orientation = Orientation::Landscape;
  report.page.margins = QMarginsF(5, 5, 5, 5);
  const PageModel model = layoutReport(report, umlautRows(), QDate(2025, 3, 1));

  const QPageLayout layout = pageLayoutOf(model.setup);
  EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
  EXPECT_EQ(layout.pageSize().id(), QPageSize::A6);
  EXPECT_NEAR(layout.fullRect(QPageLayout::Millimeter).width(), 148.0, 0.5);
  EXPECT_NEAR(layout.fullRect(QPageLayout::Millimeter).height(), 105.0, 0.5);

  lapiro::test::TempDir dir;
  const QString pdf = dir.file(QStringLiteral("a6.pdf"));
  ASSERT_TRUE(renderToPdf(model, pdf));
  if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) GTEST_SKIP() << "pdfinfo fehlt";
  const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
  // 148 x 105 mm = 419.5 x 297.6 pt
  const QRegularExpressionMatch size =
      QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
  ASSERT_TRUE(size.hasMatch()) << info.toStdString();
  EXPECT_NEAR(size.captured(1).toDouble(), 419.5, 1.0);
  EXPECT_NEAR(size.captured(2).toDouble(), 297.6, 1.0);
}

TEST(ReportPdf, UnwritablePdfFailsAndImagesShowThePaintedItems) {
  const PageModel model = layoutReport(umlautReport(), umlautRows(), QDate(2025, 3, 1));
  EXPECT_FALSE(renderToPdf(model, QStringLiteral("/nonexistent-dir/x.pdf")));

  const QImage image = renderPageImage(model, 0, 100.0);
  EXPECT_EQ(image.size(), QSize(827, 1169));  // A4 at 100 dpi
  // The filled rounded box of the first row is green in its middle.
  const QRectF body = model.setup.bodyRect();
  const double titleHeight = model.pages[0].bands[0].rect.height();
  const QPointF centre = (body.topLeft() + QPointF(134, titleHeight + 3)) * (100.0 / 25.4);
  EXPECT_EQ(image.pixelColor(centre.toPoint()), QColor(Qt::green));
  EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
}

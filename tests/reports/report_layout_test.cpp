// Layout of bands into pages: pagination, growing bands, footers, page sizes, elements.
#include "reports/report_layout.h"

#include <gtest/gtest.h>

#include <QImage>

#include "reports/data_source.h"
#include "reports/page_model.h"
#include "reports/report.h"

using namespace lapiro::reports;

namespace {

const QDate kPrintDate(2025, 3, 1);

MemoryDataSource numberedRows(int count, const QString& extra = {}) {
  MemoryDataSource data;
  for (int i = 0; i < count; ++i) {
    data.append({{QStringLiteral("Nr"), i + 1},
                 {QStringLiteral("Text"), QStringLiteral("Zeile %1 %2").arg(i + 1).arg(extra)}});
  }
  return data;
}

// A list: title, column header, one 6 mm detail line per row, a count and a footer with
// "Seite n von m".
Report listReport() {
  Report report;
  report.title = QStringLiteral("Liste");
  const double width = report.page.bodyWidth();
  report.titleBand = Band(12);
  report.titleBand.add(
      Element::label(QRectF(0, 0, width, 10), QStringLiteral("Überschrift")).size(14).bold());
  report.columnHeader = Band(6);
  report.columnHeader.add(Element::label(QRectF(0, 0, 20, 6), QStringLiteral("Nr.")).bold());
  report.columnHeader.add(Element::label(QRectF(20, 0, 100, 6), QStringLiteral("Text")).bold());
  report.detail = Band(6);
  report.detail.add(Element::dataField(QRectF(0, 0, 20, 6), QStringLiteral("Nr")));
  report.detail.add(Element::dataField(QRectF(20, 0, 100, 6), QStringLiteral("Text")).grow());
  report.summary = Band(8);
  report.summary.add(Element::count(QRectF(0, 1, 80, 6), QStringLiteral("Anzahl: ")));
  report.pageFooter = standardPageFooter(width, true);
  return report;
}

double footerTop(const Page& page) {
  for (const BandPlacement& band : page.bands) {
    if (band.kind == BandKind::PageFooter) return band.rect.top();
  }
  return -1;
}

const TextItem* findText(const Page& page, const QString& text) {
  for (const PageItem& item : page.items) {
    if (const auto* t = std::get_if<TextItem>(&item); t && t->text == text) return t;
  }
  return nullptr;
}

}  // namespace

TEST(ReportLayout, TwoHundredRowsFillSeveralPagesWithHeaderFooterAndNoSplitBand) {
  const Report report = listReport();
  const PageModel model = layoutReport(report, numberedRows(200), kPrintDate);

  ASSERT_GE(model.pageCount(), 4);
  const QRectF body = report.page.bodyRect();
  std::vector<int> rows;
  for (int p = 0; p < model.pageCount(); ++p) {
    const Page& page = model.pages[static_cast<size_t>(p)];
    SCOPED_TRACE(p + 1);
    EXPECT_TRUE(page.containsText(imprintText()));
    EXPECT_TRUE(page.containsText(QStringLiteral("Seite %1 von %2").arg(p + 1).arg(model.pageCount())));
    EXPECT_EQ(page.containsText(QStringLiteral("Überschrift")), p == 0);
    ASSERT_GE(page.bands.size(), 2u);
    EXPECT_EQ(page.bands[p == 0 ? 1 : 0].kind, BandKind::ColumnHeader);
    const double footer = footerTop(page);
    EXPECT_NEAR(page.bands.back().rect.bottom(), body.bottom(), 0.01);
    double previousBottom = body.top();
    for (const BandPlacement& band : page.bands) {
      EXPECT_FALSE(band.continued);
      if (band.kind == BandKind::PageFooter) continue;
      EXPECT_GE(band.rect.top(), previousBottom - 0.01);  // no overlap, in order
      EXPECT_LE(band.rect.bottom(), footer + 0.01);       // whole band above the footer
      previousBottom = band.rect.bottom();
      if (band.kind == BandKind::Detail) rows.push_back(band.row);
    }
  }
  ASSERT_EQ(rows.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(rows[static_cast<size_t>(i)], i);
  EXPECT_TRUE(model.pages.back().containsText(QStringLiteral("Anzahl: 200")));
  // Pages are filled: a full page leaves less than one detail row free above the footer.
  const Page& first = model.pages.front();
  EXPECT_LT(footerTop(first) - first.bands[first.bands.size() - 2].rect.bottom(), 6.0);
}

TEST(ReportLayout, WrappedTextGrowsItsBandAndMovesTheFollowingBands) {
  Report report = listReport();
  report.detail.add(Element::hLine(0, 120, 6, 0.1).stretch());
  const QString longText = QStringLiteral(
      "Ein sehr langer Text, der in einer Spalte von zehn Zentimetern "
      "gewiss nicht auf eine Zeile passt und deshalb umbrochen wird.");
  MemoryDataSource data({{{QStringLiteral("Nr"), 1}, {QStringLiteral("Text"), longText}},
                         {{QStringLiteral("Nr"), 2}, {QStringLiteral("Text"), QStringLiteral("kurz")}}});
  const PageModel model = layoutReport(report, data, kPrintDate);
  const Page& page = model.pages.front();

  const TextItem* grown = findText(page, longText);
  ASSERT_NE(grown, nullptr);
  EXPECT_GE(grown->lines.size(), 2);
  EXPECT_EQ(grown->lines.join(u' '), longText);
  EXPECT_NEAR(grown->rect.height(), grown->lines.size() * grown->lineHeight, 0.01);
  for (const QString& line : grown->lines) EXPECT_LE(textWidthMm(grown->font, line), 100.01);

  std::vector<BandPlacement> details;
  for (const BandPlacement& b : page.bands) {
    if (b.kind == BandKind::Detail) details.push_back(b);
  }
  ASSERT_EQ(details.size(), 2u);
  const double growth = grown->rect.height() - 6.0;
  EXPECT_NEAR(details[0].rect.height(), 6.0 + growth, 0.01);
  EXPECT_NEAR(details[1].rect.top(), details[0].rect.bottom(), 0.01);
  EXPECT_NEAR(details[1].rect.height(), 6.0, 0.01);
  // The row rule follows the grown band's bottom.
  bool ruleAtBottom = false;
  for (const PageItem& item : page.items) {
    if (const auto* l = std::get_if<LineItem>(&item)) {
      ruleAtBottom |= qAbs(l->line.y1() - details[0].rect.bottom()) < 0.01 && l->line.y1() == l->line.y2();
    }
  }
  EXPECT_TRUE(ruleAtBottom);
}

TEST(ReportLayout, FixedHeightTextIsCutWithAnEllipsisAndSingleLineTextIsElided) {
  Report report;
  report.detail = Band(5);
  report.detail.add(Element::dataField(QRectF(0, 0, 30, 5), QStringLiteral("Text")));
  report.detail.add(Element::dataField(QRectF(40, 0, 30, 5), QStringLiteral("Text")).singleLine());
  MemoryDataSource data(
      {{{QStringLiteral("Text"), QStringLiteral("Wörter über Wörter über Wörter über Wörter")}}});
  const PageModel model = layoutReport(report, data, kPrintDate);
  int checked = 0;
  for (const PageItem& item : model.pages.front().items) {
    const auto* t = std::get_if<TextItem>(&item);
    if (!t || t->text != QStringLiteral("Wörter über Wörter über Wörter über Wörter")) continue;
    ++checked;
    EXPECT_EQ(t->lines.size(), 1);
    EXPECT_TRUE(t->lines.front().endsWith(QStringLiteral("…"))) << t->lines.front().toStdString();
    EXPECT_LE(textWidthMm(t->font, t->lines.front()), 30.01);
    EXPECT_NEAR(t->rect.height(), 5.0, 0.01);
  }
  EXPECT_EQ(checked, 2);
}

TEST(ReportLayout, EveryFooterCarriesTheImprint) {
  Report report = listReport();
  // A footer of the layout's own without the imprint gets a line carrying it.
  report.pageFooter = Band(5);
  report.pageFooter.add(Element::pageNumber(QRectF(0, 0, 40, 5), false));
  PageModel model = layoutReport(report, numberedRows(80), kPrintDate);
  ASSERT_GT(model.pageCount(), 1);
  for (const Page& page : model.pages) {
    EXPECT_TRUE(page.containsText(imprintText()));
    EXPECT_LE(page.bands.back().rect.bottom(), report.page.bodyRect().bottom() + 0.01);
  }
  EXPECT_TRUE(model.pages[1].containsText(QStringLiteral("Seite 2")));

  // No footer at all: the engine's own with imprint and page number.
  report.pageFooter = Band();
  model = layoutReport(report, numberedRows(3), kPrintDate);
  EXPECT_TRUE(model.pages.front().containsText(imprintText()));
  EXPECT_TRUE(model.pages.front().containsText(QStringLiteral("Seite 1")));
  EXPECT_EQ(imprintText(), QStringLiteral("printed by Lapiro Manager"));
}

TEST(ReportLayout, PageSizesFollowFormatAndOrientation) {
  PageSetup setup;
  setup.format = PageFormat::A6;
  setup.orientation = Orientation::Landscape;
  setup.margins = QMarginsF(5, 6, 7, 8);
  EXPECT_EQ(setup.pageSize(), QSizeF(148, 105));
  EXPECT_EQ(setup.bodyRect(), QRectF(5, 6, 136, 91));
  setup.orientation = Orientation::Portrait;
  EXPECT_EQ(setup.pageSize(), QSizeF(105, 148));
  setup.format = PageFormat::A4;
  EXPECT_EQ(setup.pageSize(), QSizeF(210, 297));
  setup.orientation = Orientation::Landscape;
  EXPECT_EQ(setup.pageSize(), QSizeF(297, 210));

  Report report = listReport();
  report.page.format = PageFormat::A6;
  report.page.orientation = Orientation::Landscape;
  report.page.margins = QMarginsF(5, 5, 5, 5);
  const PageModel model = layoutReport(report, numberedRows(40), kPrintDate);
  EXPECT_EQ(model.pageSize(), QSizeF(148, 105));
  EXPECT_GT(model.pageCount(), 2);
  for (const Page& page : model.pages) {
    for (const BandPlacement& band : page.bands) EXPECT_LE(band.rect.bottom(), 100.01);
  }
}

TEST(ReportLayout, DetailStaysWithItsChildrenAndChildrenPrintOnlyWhenWanted) {
  Report report = listReport();
  Band remark(6);
  remark.add(Element::dataField(QRectF(20, 0, 100, 6), QStringLiteral("Bemerkung")).grow());
  remark.printWhen = [](const ReportDataSource& data, int row) {
    return !data.value(row, QStringLiteral("Bemerkung")).toString().isEmpty();
  };
  report.children.push_back(remark);
  MemoryDataSource data;
  for (int i = 0; i < 120; ++i) {
    data.append(
        {{QStringLiteral("Nr"), i + 1},
         {QStringLiteral("Text"), QStringLiteral("Zeile")},
         {QStringLiteral("Bemerkung"), i % 3 == 0 ? QStringLiteral("Bemerkung %1").arg(i + 1) : QString()}});
  }
  const PageModel model = layoutReport(report, data, kPrintDate);
  int children = 0;
  for (const Page& page : model.pages) {
    for (size_t b = 0; b < page.bands.size(); ++b) {
      const BandPlacement& band = page.bands[b];
      if (band.kind != BandKind::Child) continue;
      ++children;
      EXPECT_EQ(band.row % 3, 0);
      ASSERT_GT(b, 0u);
      EXPECT_EQ(page.bands[b - 1].kind, BandKind::Detail);  // on the same page as its detail
      EXPECT_EQ(page.bands[b - 1].row, band.row);
    }
  }
  EXPECT_EQ(children, 40);
}

TEST(ReportLayout, BandHigherThanAPageIsCutBetweenLinesWithoutLosingText) {
  Report report;
  report.page.format = PageFormat::A6;
  report.detail = Band(10);
  report.detail.add(Element::box(QRectF(0, 0, 80, 10), QColor(), 0.2).stretch());
  report.detail.add(Element::dataField(QRectF(0, 0, 80, 10), QStringLiteral("Text")).pad(1).grow());
  QStringList paragraphs;
  for (int i = 1; i <= 60; ++i) paragraphs << QStringLiteral("Absatz %1").arg(i);
  MemoryDataSource data({{{QStringLiteral("Text"), paragraphs.join(u'\n')}}});
  const PageModel model = layoutReport(report, data, kPrintDate);
  ASSERT_GE(model.pageCount(), 3);
  QStringList printed;
  for (int p = 0; p < model.pageCount(); ++p) {
    const Page& page = model.pages[static_cast<size_t>(p)];
    EXPECT_EQ(page.bands.front().continued, p > 0);
    EXPECT_LE(page.bands.front().rect.bottom(), footerTop(page) + 0.01);
    double textBottom = 0, frameBottom = 0;
    for (const PageItem& item : page.items) {
      if (const auto* t = std::get_if<TextItem>(&item); t && t->text.startsWith(QStringLiteral("Absatz"))) {
        printed << t->lines;
        EXPECT_LE(t->rect.bottom(), footerTop(page) + 0.01);
        textBottom = t->rect.top() + t->padding + t->lines.size() * t->lineHeight;
      }
      if (const auto* frame = std::get_if<ShapeItem>(&item)) frameBottom = frame->rect.bottom();
    }
    EXPECT_GE(frameBottom, textBottom - 0.01);  // the frame encloses every continued line
    EXPECT_LE(frameBottom, footerTop(page) + 0.01);
  }
  EXPECT_EQ(printed, paragraphs);
  // The last page holds the last lines, not just the frame's leftover bottom padding.
  EXPECT_TRUE(model.pages.back().texts().join(u' ').contains(QStringLiteral("Absatz 60")));
}

TEST(ReportLayout, NewPageBeforeBandAndEmptyDataStillGiveAPage) {
  Report report = listReport();
  report.detail.startNewPage = true;
  PageModel model = layoutReport(report, numberedRows(3), kPrintDate);
  ASSERT_EQ(model.pageCount(), 3);
  EXPECT_TRUE(model.pages[2].containsText(QStringLiteral("Seite 3 von 3")));

  model = layoutReport(listReport(), MemoryDataSource(), kPrintDate);
  ASSERT_EQ(model.pageCount(), 1);
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Anzahl: 0")));
  EXPECT_TRUE(model.pages[0].containsText(QStringLiteral("Überschrift")));
}

TEST(ReportLayout, AggregatesPrefixesDatesAndCalculatedFields) {
  Report report;
  report.titleBand = Band(6);
  report.titleBand.add(Element::printDate(QRectF(0, 0, 80, 6), QStringLiteral("Stand vom ")));
  report.detail = Band(6);
  report.detail.add(Element::dataField(QRectF(0, 0, 40, 6), QStringLiteral("Betrag"), ValueFormat::money())
                        .around(QString(), QStringLiteral(" €")));
  report.detail.add(Element::calculated(QRectF(40, 0, 40, 6), [](const ReportDataSource& d, int row) {
    return d.value(row, QStringLiteral("Name")).toString().toUpper();
  }));
  report.detail.add(
      Element::dataField(QRectF(80, 0, 40, 6), QStringLiteral("Fehlt")).around(QStringLiteral("Tel.: ")));
  report.summary = Band(6);
  report.summary.add(Element::sum(QRectF(0, 0, 80, 6), QStringLiteral("Betrag"), ValueFormat::money())
                         .around(QStringLiteral("Summe: ")));
  MemoryDataSource data(
      {{{QStringLiteral("Betrag"), 1000.5}, {QStringLiteral("Name"), QStringLiteral("jürgen")}},
       {{QStringLiteral("Betrag"), 234.0}, {QStringLiteral("Name"), QStringLiteral("öhm")}}});
  const Page page = layoutReport(report, data, kPrintDate).pages.front();
  const QStringList texts = page.texts();
  EXPECT_TRUE(texts.contains(QStringLiteral("Stand vom 01.03.2025")));
  EXPECT_TRUE(texts.contains(QStringLiteral("1.000,50 €")));
  EXPECT_TRUE(texts.contains(QStringLiteral("JÜRGEN")));
  EXPECT_TRUE(texts.contains(QStringLiteral("ÖHM")));
  EXPECT_TRUE(texts.contains(QStringLiteral("Summe: 1.234,50")));
  EXPECT_FALSE(page.containsText(QStringLiteral("Tel.:")));  // empty value: no prefix either
}

TEST(ReportLayout, PicturesKeepTheirProportionsAndShapesAndFramesBecomeItems) {
  Report report;
  report.detail = Band(60);
  QImage wide(200, 100, QImage::Format_RGB32);
  wide.fill(Qt::red);
  report.detail.add(Element::picture(QRectF(0, 0, 50, 50), wide).align(Qt::AlignCenter));
  report.detail.add(
      Element::pictureField(QRectF(60, 0, 40, 40), QStringLiteral("Bild")).align(Qt::AlignCenter));
  report.detail.add(Element::box(QRectF(0, 52, 30, 6), QColor(Qt::yellow), 0.3, ShapeKind::Ellipse));
  report.detail.add(Element::label(QRectF(40, 52, 30, 6), QStringLiteral("Rahmen")).framed());
  report.detail.add(Element::label(QRectF(80, 52, 30, 6), QStringLiteral("Unten")).framed(Qt::BottomEdge));
  QImage tall(50, 100, QImage::Format_RGB32);
  tall.fill(Qt::blue);
  MemoryDataSource data({{{QStringLiteral("Bild"), tall}}});
  const Page page = layoutReport(report, data, kPrintDate).pages.front();
  const QPointF origin = report.page.bodyRect().topLeft();
  std::vector<QRectF> pictures, shapes;
  int lines = 0;
  for (const PageItem& item : page.items) {
    if (const auto* p = std::get_if<PictureItem>(&item)) pictures.push_back(p->rect.translated(-origin));
    if (const auto* s = std::get_if<ShapeItem>(&item)) shapes.push_back(s->rect.translated(-origin));
    if (std::holds_alternative<LineItem>(item)) ++lines;
  }
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures[0], QRectF(0, 12.5, 50, 25));
  EXPECT_EQ(pictures[1], QRectF(70, 0, 20, 40));
  // Ellipse, the full frame and the footer's rule... the footer has a line, not a shape.
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(shapes[0], QRectF(0, 52, 30, 6));
  EXPECT_EQ(shapes[1], QRectF(40, 52, 30, 6));
  EXPECT_EQ(lines, 2);  // the bottom edge and the footer's rule
}

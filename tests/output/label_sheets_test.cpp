// Transport labels and stable-card sheets laid out as page models: the label grid against the
// common A4 sheet of 24 labels, the start position, sheet breaks and text that must stay on
// its label however long it is.
#include <gtest/gtest.h>

#include <QFile>
#include <cmath>
#include <QTemporaryDir>

#include "output/labels.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "support/page_reference.h"

namespace lapiro::output {
namespace {

using reports::PageModel;
using reports::TextItem;

const QDate kPrintDate(2026, 3, 1);

LabelRow filledRow(int i = 1) {
  LabelRow r;
  r.taetoRechts = QStringLiteral("B12");
  r.taetoLinks = QStringLiteral("3.5.%1").arg(i);
  r.stallnummer = QStringLiteral("17");
  r.rasse = QStringLiteral("Deutsche Riesen / DR");
  r.kaefignummer = QStringLiteral("%1").arg(100 + i);
  r.geschlecht = QStringLiteral("Häsin 0.1");
  r.vater = QStringLiteral("A1  1.4.1");
  r.mutter = QStringLiteral("A2  2.4.7");
  r.deckdatum = QDate(2026, 2, 14);
  r.name = QStringLiteral("Flocke");
  return r;
}

std::vector<LabelRow> rows(int n) {
  std::vector<LabelRow> v;
  for (int i = 1; i <= n; ++i) v.push_back(filledRow(i));
  return v;
}

std::vector<const TextItem*> textItems(const reports::Page& page) {
  std::vector<const TextItem*> items;
  for (const auto& item : page.items)
    if (const auto* t = std::get_if<TextItem>(&item)) items.push_back(t);
  return items;
}

// Every printed line lies inside the band (label or card) it belongs to.
void expectTextInsideBands(const PageModel& model) {
  for (const auto& page : model.pages) {
    for (const TextItem* t : textItems(page)) {
      bool inside = false;
      for (const auto& band : page.bands) {
        const double width = reports::textWidthMm(t->font, t->lines.value(0));
        const QRectF ink(t->alignment & Qt::AlignHCenter ? t->rect.center().x() - width / 2 : t->rect.left(),
                         t->rect.top(), width, t->lineHeight);
        if (band.rect.adjusted(-0.01, -0.01, 0.01, 0.01).contains(ink)) inside = true;
      }
      EXPECT_TRUE(inside) << t->text.toStdString();
    }
  }
}

TEST(LabelTexts, TattooAndBreedLineFollowTheirRules) {
  LabelRow r;
  r.taetoRechts = QStringLiteral("B12");
  EXPECT_EQ(taetoText(r), QStringLiteral("B12"));
  r.taetoLinks = QStringLiteral("12.25.1234");
  EXPECT_EQ(taetoText(r), QStringLiteral("B12   12.25.1234"));
  r.taetoRechts = QStringLiteral("ABCDEFGH");  // longest tattoos: 21 characters, kept whole
  EXPECT_EQ(taetoText(r).size(), 21);

  r.stallnummer = QStringLiteral("17");
  r.rasse = QStringLiteral("Deutsche Riesen / DR");
  EXPECT_EQ(rasseStallText(r), QStringLiteral(" DR  17"));
  r.rasse = QStringLiteral("Deutsche Riesen");  // no "/": only the hutch number
  EXPECT_EQ(rasseStallText(r), QStringLiteral("17"));
  r.rasse = QStringLiteral("Deutsche Riesen /");  // "/" last: likewise
  EXPECT_EQ(rasseStallText(r), QStringLiteral("17"));
  r.rasse = QStringLiteral("/DR");  // "/" first or one before the last: the code stays
  EXPECT_EQ(rasseStallText(r), QStringLiteral("DR  17"));
  r.rasse = QStringLiteral("Riesen/D");
  EXPECT_EQ(rasseStallText(r), QStringLiteral("D  17"));
}

// A cut text is set again in the width inside its padding: one that fits there keeps its
// size, though it would not fit if the padding counted once more.
TEST(LabelTexts, ACutTextFittingInsideItsPaddingKeepsItsSize) {
  TextItem t;
  t.text = QStringLiteral("Deutsche Riesen");
  t.lines = {QStringLiteral("Deutsche Rie")};
  const reports::ReportFont arial{QStringLiteral("Arial"), 10, false, false};
  t.font = arial.resolve(arial);  // as the fitting resolves it
  t.padding = 2.0;
  t.lineHeight = 5.0;
  const double width = reports::textWidthMm(t.font, t.text);
  t.rect = QRectF(10, 10, width + 2 * t.padding + t.padding / 2, 6);
  PageModel model;
  model.pages.emplace_back();
  model.pages[0].items.push_back(t);
  shrinkCutTexts(model);
  auto* fitted = std::get_if<TextItem>(&model.pages[0].items[0]);
  ASSERT_TRUE(fitted);
  EXPECT_EQ(fitted->lines, QStringList{t.text});
  EXPECT_DOUBLE_EQ(fitted->font.pointSizeF(), 10.0);

  // Inside the padding it does not fit by half a padding: set smaller, still whole.
  t.rect.setWidth(width + 2 * t.padding - t.padding / 2);
  model.pages[0].items = {t};
  shrinkCutTexts(model);
  fitted = std::get_if<TextItem>(&model.pages[0].items[0]);
  EXPECT_EQ(fitted->lines, QStringList{t.text});
  EXPECT_LT(fitted->font.pointSizeF(), 10.0);
  EXPECT_GE(fitted->font.pointSizeF(), 7.0);

  // Left alone: texts that were not cut, wrapped texts, texts with a line break, and lines.
  TextItem whole = t, wrapped = t, broken = t;
  whole.lines = {whole.text};
  wrapped.lines = {QStringLiteral("Deutsche"), QStringLiteral("Riesen")};
  broken.text = QStringLiteral("Deutsche\nRiesen");
  broken.lines = {QStringLiteral("Deutsche")};
  for (TextItem* item : {&whole, &wrapped, &broken}) item->rect.setWidth(5.0);
  model.pages[0].items = {reports::LineItem{}, whole, wrapped, broken};
  shrinkCutTexts(model);
  const std::vector<const TextItem*> after = textItems(model.pages[0]);
  ASSERT_EQ(after.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const TextItem& before = i == 0 ? whole : i == 1 ? wrapped : broken;
    EXPECT_EQ(after[i]->lines, before.lines);
    EXPECT_DOUBLE_EQ(after[i]->font.pointSizeF(), 10.0);
  }
}

// A line is set at its size when it fits, else shrunk in half points to the largest size that
// fits but not below the floor, and only then cut with "…" to the longest beginning that fits.
TEST(LabelTexts, ALineShrinksInHalfPointsToTheFloorAndIsThenCut) {
  const QRectF rect(12.0, 30.0, 40.0, 0.0);
  const auto fontAt = [](double points) {
    const reports::ReportFont rf{QStringLiteral("Arial"), points, true, false};
    return rf.resolve(rf);
  };
  const auto fits = [&](double points, const QString& text) { return reports::textWidthMm(fontAt(points), text) <= 40.0; };

  const TextItem shortLine = fittedLine(rect, QStringLiteral("17"), QStringLiteral("Arial"), 14.0, true, false, 8.0);
  EXPECT_EQ(shortLine.font.pointSizeF(), 14.0);
  EXPECT_EQ(shortLine.lines, QStringList{QStringLiteral("17")});
  EXPECT_EQ(shortLine.rect, QRectF(12.0, 30.0, 40.0, reports::lineHeightMm(shortLine.font)));
  EXPECT_GT(shortLine.lineHeight, 0.0);

  // A box exactly as wide as the text: it fits, whole and at its size.
  const QString exact = QStringLiteral("Deutsche Riesen");
  const double exactWidth = reports::textWidthMm(fontAt(14.0), exact);
  const TextItem flush =
      fittedLine(QRectF(0.0, 0.0, exactWidth, 0.0), exact, QStringLiteral("Arial"), 14.0, true, false, 8.0);
  EXPECT_EQ(flush.font.pointSizeF(), 14.0);
  EXPECT_EQ(flush.lines, QStringList{exact});

  // Too wide at 14 pt, fits at a smaller size above the floor.
  const QString medium = QStringLiteral("Deutsche Riesen DR");
  ASSERT_FALSE(fits(14.0, medium));
  const TextItem shrunk = fittedLine(rect, medium, QStringLiteral("Arial"), 14.0, true, false, 6.0);
  const double size = shrunk.font.pointSizeF();
  EXPECT_LT(size, 14.0);
  EXPECT_TRUE(fits(size, medium));
  EXPECT_FALSE(fits(size + 0.5, medium));
  EXPECT_EQ(std::fmod(14.0 - size, 0.5), 0.0);
  EXPECT_EQ(shrunk.lines, QStringList{medium});

  // No floor given: the size stays and the text is cut to the longest beginning that fits.
  const QString longText = QStringLiteral("Deutsche Kleinwidder wildfarben");
  for (const double floor : {0.0, 14.0}) {
    const TextItem cut = fittedLine(rect, longText, QStringLiteral("Arial"), 14.0, true, false, floor);
    EXPECT_EQ(cut.font.pointSizeF(), 14.0);
    const QString line = cut.lines.value(0);
    ASSERT_TRUE(line.endsWith(u'…'));
    EXPECT_TRUE(fits(14.0, line));
    const qsizetype kept = line.size() - 1;
    EXPECT_TRUE(longText.startsWith(line.left(kept)));
    qsizetype next = kept + 1;  // one character more, blanks not counted
    while (longText.left(next).trimmed().size() <= kept) ++next;
    EXPECT_FALSE(fits(14.0, longText.left(next).trimmed() + QStringLiteral("…")));
  }
}

TEST(LabelStart, OnlyPositionsOneToTwentyFourAreAccepted) {
  EXPECT_EQ(parseStartPosition(QStringLiteral("1")), 1);
  EXPECT_EQ(parseStartPosition(QStringLiteral("24")), 24);
  for (const char16_t* bad : {u"", u"0", u"25", u"257", u"x", u"-3"})
    EXPECT_FALSE(parseStartPosition(QString::fromUtf16(bad))) << QString::fromUtf16(bad).toStdString();
}

TEST(TransportLabels, GridMatchesTheCommonSheetOf24LabelsOnA4) {
  const PageModel model = layoutTransportLabels(rows(24), 1, kPrintDate);
  EXPECT_EQ(model.pageSize(), QSizeF(210, 297));
  ASSERT_EQ(model.pageCount(), 1);
  const auto& bands = model.pages[0].bands;
  ASSERT_EQ(bands.size(), 24u);
  // 3 columns of 70 mm, 8 rows of 37 mm, 0.5 mm left over at top and bottom.
  EXPECT_EQ(bands[0].rect, QRectF(0, 0.5, 70, 37));
  EXPECT_EQ(bands[2].rect, QRectF(140, 0.5, 70, 37));
  EXPECT_EQ(bands[3].rect, QRectF(0, 37.5, 70, 37));
  EXPECT_EQ(bands[23].rect, QRectF(140, 259.5, 70, 37));
  EXPECT_DOUBLE_EQ(bands[23].rect.bottom(), 296.5);
  expectTextInsideBands(model);
  // The grid is measured from the paper's edges: no page margin may shift it, on either sheet.
  EXPECT_EQ(model.setup.margins, QMarginsF());
  EXPECT_EQ(layoutStableCardSheets(rows(1), kPrintDate).setup.margins, QMarginsF());
}

TEST(TransportLabels, OneFilledLabelMatchesItsReference) {
  const PageModel model = layoutTransportLabels(rows(1), 1, kPrintDate);
  ASSERT_EQ(model.pageCount(), 1);
  const QStringList texts = model.pages[0].texts();
  EXPECT_EQ(texts,
            (QStringList{QStringLiteral("101"), QStringLiteral(" DR  17"), QStringLiteral("B12   3.5.1")}));
  test::expectMatchesReference(model, QStringLiteral("output/reference/transportaufkleber"));
}

TEST(TransportLabels, StartPositionLeavesTheFirstPositionsBlankAndMoreRowsGoOnFurtherSheets) {
  const PageModel third = layoutTransportLabels(rows(5), 3, kPrintDate);
  ASSERT_EQ(third.pageCount(), 1);
  ASSERT_EQ(third.pages[0].bands.size(), 5u);
  EXPECT_EQ(third.pages[0].bands[0].rect.topLeft(), LabelGrid::cell(2));  // position 3
  EXPECT_EQ(third.pages[0].bands[4].rect.topLeft(), LabelGrid::cell(6));  // position 7
  EXPECT_EQ(third.pages[0].bands[0].row, 0);

  const PageModel many = layoutTransportLabels(rows(50), 24, kPrintDate);
  ASSERT_EQ(many.pageCount(), 4);  // 1 + 24 + 24 + 1
  EXPECT_EQ(many.pages[0].bands.size(), 1u);
  EXPECT_EQ(many.pages[0].bands[0].rect.topLeft(), LabelGrid::cell(23));
  EXPECT_EQ(many.pages[1].bands.size(), 24u);
  EXPECT_EQ(many.pages[1].bands[0].rect.topLeft(), LabelGrid::cell(0));
  EXPECT_EQ(many.pages[3].bands.size(), 1u);

  EXPECT_EQ(layoutTransportLabels({}, 1, kPrintDate).pageCount(), 0);
  // A start outside the sheet is taken as its nearest position.
  EXPECT_EQ(layoutTransportLabels(rows(1), 0, kPrintDate).pages[0].bands[0].rect.topLeft(), LabelGrid::cell(0));
  EXPECT_EQ(layoutTransportLabels(rows(1), 25, kPrintDate).pages[0].bands[0].rect.topLeft(), LabelGrid::cell(23));
}

TEST(TransportLabels, LongTextsShrinkAndAreCutButNeverLeaveTheLabel) {
  LabelRow r;
  r.kaefignummer = QStringLiteral("WWWWWWWWWW");
  r.taetoRechts = QStringLiteral("WWWWWWWW");
  r.taetoLinks = QStringLiteral("12.25.1234");
  r.rasse = QStringLiteral("Deutsche Kleinwidder wildfarben / WWWWWWWWW");
  r.stallnummer = QStringLiteral("WWWWWWWWWWWWWWWWWWWW");
  const PageModel model = layoutTransportLabels({r, filledRow()}, 1, kPrintDate);
  test::writePdfForInspection(model, QStringLiteral("transportaufkleber-lang"));
  expectTextInsideBands(model);
  const auto items = textItems(model.pages[0]);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_LT(items[0]->font.pointSizeF(), 18.0);  // shrunk
  EXPECT_GE(items[0]->font.pointSizeF(), 10.0);
  EXPECT_TRUE(items[1]->lines[0].endsWith(u'…'));  // 31 characters at 8 pt bold do not fit
  EXPECT_EQ(items[3]->font.pointSizeF(), 18.0);    // the short label next to it keeps its size
  // Lines of one label never overlap.
  EXPECT_LE(items[0]->rect.bottom(), items[1]->rect.top() + 0.01);
  EXPECT_LE(items[1]->rect.bottom(), items[2]->rect.top() + 0.01);
}

TEST(TransportLabels, PdfHasA4PagesWithTheLabels) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("labels.pdf"));
  ASSERT_TRUE(reports::renderToPdf(layoutTransportLabels(rows(30), 1, kPrintDate), path));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray pdf = f.readAll();
  EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 2);
  test::writePdfForInspection(layoutTransportLabels(rows(30), 3, kPrintDate),
                              QStringLiteral("transportaufkleber"));
}

TEST(StableCardSheets, FourCardsToALandscapeSheetAndTheMatingDateOnlyForDoesWithADate) {
  std::vector<LabelRow> v = rows(5);
  v[1].geschlecht = QStringLiteral("Rammler 1.0");  // buck: no date even when one is stored
  v[2].deckdatum = QDate();                         // doe without litter
  const PageModel model = layoutStableCardSheets(v, kPrintDate);
  test::writePdfForInspection(model, QStringLiteral("stallkarten"));
  EXPECT_EQ(model.pageSize(), QSizeF(297, 210));
  ASSERT_EQ(model.pageCount(), 2);
  ASSERT_EQ(model.pages[0].bands.size(), 4u);
  EXPECT_EQ(model.pages[0].bands[1].rect, QRectF(148.4, 0, 138.4, 104.5));
  EXPECT_EQ(model.pages[0].bands[3].rect, QRectF(148.4, 104.5, 138.4, 104.5));
  EXPECT_EQ(model.pages[0].texts().count(QStringLiteral("Deckdatum:")), 2);  // rows 1 and 4
  EXPECT_EQ(model.pages[0].texts().count(QStringLiteral("14.02.2026")), 2);
  EXPECT_EQ(model.pages[1].texts().count(QStringLiteral("Deckdatum:")), 1);
  expectTextInsideBands(model);

  const PageModel one = layoutStableCardSheets(rows(1), kPrintDate);
  test::expectMatchesReference(one, QStringLiteral("output/reference/stallkartenliste"));
}

}  // namespace
}  // namespace lapiro::output

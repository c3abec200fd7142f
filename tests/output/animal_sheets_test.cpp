// The animal data sheet, the A6 stable card and the data list: band geometry before printing,
// the picture rules, the owner rule, the representative picture and the laid-out pages.
#include "output/animal_sheets.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "engine/cursor.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "support/page_reference.h"
#include "shell/system_info.h"
#include "store/animal_search.h"
#include "store/data_module.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"

namespace lapiro::output {
namespace {

using reports::LineItem;
using reports::PageModel;
using reports::PictureItem;

const QDate kPrintDate(2026, 3, 1);
constexpr int kBandUnits = 718;  // 190 mm

QVariantMap sheetValues() {
  return {{QStringLiteral("TatoRechts"), QStringLiteral("B12")},
          {QStringLiteral("TatoLinks"), QStringLiteral("3.5.10")},
          {QStringLiteral("RasseAnzeige"), QStringLiteral("Deutsche Riesen")},
          {QStringLiteral("FarbeAnzeige"), QStringLiteral("grau")},
          {QStringLiteral("Körnote"), 94},
          {QStringLiteral("Stallnummer"), 17},
          {QStringLiteral("Erbformel"), QStringLiteral("A1B1")},
          {QStringLiteral("GeschlechtAnzeige"), QStringLiteral("Häsin 0.1")},
          {QStringLiteral("Wurfgroesse"), QStringLiteral("4/3")},
          {QStringLiteral("Geburtstag"), QDate(2025, 5, 3)},
          {QStringLiteral("VaterAnzeige"), QStringLiteral("A1  1.4.1")},
          {QStringLiteral("MutterAnzeige"), QStringLiteral("A2  2.4.7")},
          {QStringLiteral("ZuechterAnzeige"), QStringLiteral("Anna Müller")},
          {QStringLiteral("Besitzer"), QStringLiteral("Jörg Sommer")},
          {QStringLiteral("Anomalien"), QStringLiteral("Zahnfehler\rweiße Kralle\rSchlappohr")}};
}

int horizontalLinesAt(const reports::Page& page, double y) {
  int n = 0;
  for (const auto& item : page.items)
    if (const auto* l = std::get_if<LineItem>(&item))
      if (l->line.dy() == 0 && std::abs(l->line.y1() - y) < 1.0 && l->line.length() > 150) ++n;
  return n;
}

TEST(DataSheetGeometry, MemoLinesSizeTheDataBandAndPicturesFollowTheirRules) {
  const DataSheetGeometry three = dataSheetGeometry(QStringLiteral("a\rb\rc"), QSize());
  EXPECT_EQ(three.memoLines, 3);
  EXPECT_DOUBLE_EQ(three.memoHeight, 60.0);
  EXPECT_NEAR(three.dataBandHeight, 115.4 / kMmPerUnit + 60.0 + 15.0, 1e-9);
  EXPECT_NEAR(three.pictureBandHeight * kMmPerUnit, 88.9, 1e-9);  // designed height, empty area
  EXPECT_TRUE(three.pictureRect.isEmpty());
  EXPECT_EQ(dataSheetGeometry(QStringLiteral("a\nb"), QSize()).memoLines, 2);  // bare line feeds count too
  EXPECT_EQ(dataSheetGeometry(QString(), QSize()).memoLines, 1);

  // Fitted to 200 units: a picture 100 wide is enlarged.
  EXPECT_EQ(sheetPictureSize(QSize(100, 80), true, kBandUnits, 1000), QSize(200, 160));
  // Not fitted: kept, unless wider than the band less 20.
  EXPECT_EQ(sheetPictureSize(QSize(300, 201), false, kBandUnits, 1000), QSize(300, 201));
  EXPECT_EQ(sheetPictureSize(QSize(1396, 1047), false, kBandUnits, 1000), QSize(698, 524));
  // A very tall picture is limited to the page.
  EXPECT_EQ(sheetPictureSize(QSize(100, 2000), true, kBandUnits, 1000), QSize(50, 1000));
  EXPECT_EQ(sheetPictureSize(QSize(), true, kBandUnits, 1000), QSize());

  const DataSheetGeometry with = dataSheetGeometry(QString(), QSize(201, 150));
  EXPECT_EQ(with.pictureRect.left(), kBandUnits / 2 - 201 / 2);  // both halved without remainder
  EXPECT_NEAR(with.pictureBandHeight, 5.3 / kMmPerUnit + 150 + 20, 1e-9);
  EXPECT_FALSE(with.separateFrames);
  EXPECT_TRUE(dataSheetGeometry(QString(), QSize(698, 600)).separateFrames);
}

TEST(DataSheet, OneSheetMatchesItsReferenceAndReadsAsOneFramedBox) {
  reports::MemoryDataSource data;
  data.append(sheetValues());
  const TReportStammdaten report(sheetValues().value(QStringLiteral("Anomalien")).toString(), SheetPicture{});
  const PageModel model = layoutPrintout(report, data, kPrintDate);
  test::writePdfForInspection(model, QStringLiteral("kaninchendaten"));
  ASSERT_EQ(model.pageCount(), 1);
  const QStringList texts = model.pages[0].texts();
  for (const char16_t* t : {u"Täto rechts", u"B12", u"3.5.10", u"Körnote:", u"94", u"Erbenge:", u"Besitzer:",
                            u"Jörg Sommer", u"03.05.2025", u"printed by Lapiro Manager"})
    EXPECT_TRUE(texts.contains(QString::fromUtf16(t))) << QString::fromUtf16(t).toStdString();
  // Every caption whole (set smaller rather than cut), the memo on its three lines.
  bool memoOnThreeLines = false;
  for (const auto& item : model.pages[0].items)
    if (const auto* t = std::get_if<reports::TextItem>(&item)) {
      EXPECT_FALSE(t->lines.join(QString()).contains(u'…')) << t->text.toStdString();
      if (t->lines == QStringList{QStringLiteral("Zahnfehler"), QStringLiteral("weiße Kralle"),
                                  QStringLiteral("Schlappohr")})
        memoOnThreeLines = true;
    }
  EXPECT_TRUE(memoOnThreeLines);
  // The line between the two bands is not drawn: only the top and the picture band's bottom.
  const double dataBottom = model.pages[0].bands[0].rect.bottom();
  EXPECT_EQ(horizontalLinesAt(model.pages[0], dataBottom), 0);
  test::expectMatchesReference(model, QStringLiteral("output/reference/kaninchendaten"));
}

// The left and right edges (mm from the paper's left edge) of the dark pixels on the line at
// `yMm` of page 1 of `pdf`, read back with poppler at 254 dpi (10 pixels per mm).
std::pair<double, double> darkExtent(const QString& pdf, double yMm) {
  QTemporaryDir dir;
  QProcess tool;
  tool.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                                          QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                                          dir.filePath(QStringLiteral("seite"))});
  if (!tool.waitForFinished(60000) || tool.exitCode() != 0) return {-1, -1};
  const QImage page(dir.filePath(QStringLiteral("seite.png")));
  const int y = static_cast<int>(yMm * 10);
  int left = -1, right = -1;
  for (int x = 0; x < page.width(); ++x)
    if (qGray(page.pixel(x, y)) < 128) {
      if (left < 0) left = x;
      right = x;
    }
  return {left / 10.0, right / 10.0};
}

TEST(DataSheet, ThePrintedFrameIsCentredOnThePaperWhateverTheDevicesMargins) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) GTEST_SKIP() << "pdftoppm fehlt";
  reports::MemoryDataSource data;
  data.append(sheetValues());
  const TReportStammdaten report(QString(), SheetPicture{});
  const PageModel model = layoutPrintout(report, data, kPrintDate);
  QTemporaryDir dir;
  // The program's own PDF, and a device with a printer's unprintable border of its own.
  const QString own = dir.filePath(QStringLiteral("eigen.pdf"));
  ASSERT_TRUE(reports::renderToPdf(model, own));
  const QString bordered = dir.filePath(QStringLiteral("rand.pdf"));
  {
    QPdfWriter writer(bordered);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(6.35, 4.2, 3.1, 5.0),
                                     QPageLayout::Millimeter));
    ASSERT_TRUE(reports::renderToDevice(model, writer));
  }
  for (const QString& pdf : {own, bordered}) {
    // Halfway down the data band: only the two sides of the frame are dark there.
    const auto [left, right] = darkExtent(pdf, 10.0 + 2.0);
    SCOPED_TRACE(pdf.toStdString());
    EXPECT_NEAR(left, 10.0, 0.3);          // 10 mm margin on the left …
    EXPECT_NEAR(210.0 - right, 10.0, 0.3);  // … and on the right,
    EXPECT_NEAR(right - left, 190.0, 0.4);  // a band of 190 mm
  }
}

TEST(DataSheet, PictureIsLoadedScaledAndCentredAndALargeOneSeparatesTheFrames) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bild.png"));
  QImage image(100, 60, QImage::Format_RGB32);
  image.fill(Qt::darkGreen);
  ASSERT_TRUE(image.save(path));

  const SheetPicture fitted = loadSheetPicture(path, true, kBandUnits, 1000);
  ASSERT_FALSE(fitted.image.isNull());
  EXPECT_EQ(fitted.natural, QSize(100, 60));
  EXPECT_EQ(fitted.size, QSize(200, 120));
  reports::MemoryDataSource data;
  data.append(sheetValues());
  const TReportStammdaten report(QString(), fitted);
  const PageModel model = layoutPrintout(report, data, kPrintDate);
  test::writePdfForInspection(model, QStringLiteral("kaninchendaten-bild"));
  const PictureItem* pic = nullptr;
  for (const auto& item : model.pages[0].items)
    if (const auto* p = std::get_if<PictureItem>(&item)) pic = p;
  ASSERT_NE(pic, nullptr);
  EXPECT_NEAR(pic->rect.width(), 200 * kMmPerUnit, 0.01);
  EXPECT_NEAR(pic->rect.center().x(), 10.0 + 95.0, 0.3);

  EXPECT_TRUE(
      loadSheetPicture(dir.filePath(QStringLiteral("fehlt.jpg")), true, kBandUnits, 1000).image.isNull());

  // A picture that pushes the bands onto two pages: both inner lines are drawn.
  QImage big(2000, 1700, QImage::Format_RGB32);
  big.fill(Qt::gray);
  const QString bigPath = dir.filePath(QStringLiteral("gross.png"));
  ASSERT_TRUE(big.save(bigPath));
  const SheetPicture large = loadSheetPicture(bigPath, false, kBandUnits, 990);
  EXPECT_EQ(large.size.width(), 698);
  const TReportStammdaten split(QString(), large);
  ASSERT_TRUE(split.geometry().separateFrames);
  const PageModel two = layoutPrintout(split, data, kPrintDate);
  ASSERT_EQ(two.pageCount(), 2);
  ASSERT_FALSE(two.pages[0].bands.empty());
  EXPECT_EQ(horizontalLinesAt(two.pages[0], two.pages[0].bands[0].rect.bottom()), 1);  // data band closed
  EXPECT_EQ(horizontalLinesAt(two.pages[1], two.pages[1].bands[0].rect.top()), 1);     // picture band closed
}

TEST(StableCardA6, OneCardMatchesItsReferenceAndHasNoMatingCaptionWithoutLitter) {
  const QVariantMap values{{QStringLiteral("Stallnummer"), 17},
                           {QStringLiteral("IDCode"), QStringLiteral("Flocke")},
                           {QStringLiteral("Name"), QStringLiteral("B12  3.5.10")},
                           {QStringLiteral("GeschlechtAnzeige"), QStringLiteral("Häsin 0.1")},
                           {QStringLiteral("VaterAnzeige"), QStringLiteral("A1  1.4.1")},
                           {QStringLiteral("MutterAnzeige"), QStringLiteral("A2  2.4.7")},
                           {QStringLiteral("Decktermin"), QDate(2026, 2, 14)}};
  reports::MemoryDataSource data;
  data.append(values);
  const PageModel model = layoutPrintout(TReportStallkarten(true), data, kPrintDate);
  test::writePdfForInspection(model, QStringLiteral("stallkarte-a6"));
  EXPECT_EQ(model.pageSize(), QSizeF(148, 105));
  ASSERT_EQ(model.pageCount(), 1);
  EXPECT_TRUE(model.pages[0].texts().contains(QStringLiteral("14.02.2026")));
  test::expectMatchesReference(model, QStringLiteral("output/reference/stallkarte-a6"));

  reports::MemoryDataSource noLitter;
  QVariantMap without = values;
  without.remove(QStringLiteral("Decktermin"));
  noLitter.append(without);
  const PageModel plain = layoutPrintout(TReportStallkarten(false), noLitter, kPrintDate);
  EXPECT_FALSE(plain.pages[0].containsText(QStringLiteral("Deckdatum")));
  EXPECT_TRUE(plain.pages[0].texts().contains(QStringLiteral("B12  3.5.10")));
}

class SheetDataTest : public ::testing::Test {
 protected:
  SheetDataTest() {
    const qint64 rasse =
        stock.add(QStringLiteral("Rasse"), {{QStringLiteral("Name"), QStringLiteral("Deutsche Riesen")},
                                            {QStringLiteral("Code"), QStringLiteral("DR")}});
    vater = stock.animal(QStringLiteral("A1"), QStringLiteral("1.4.1"),
                         {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
    own = stock.animal(QStringLiteral("B12"), QStringLiteral("3.5.10"),
                       {{QStringLiteral("Status"), 1},
                        {QStringLiteral("Vater"), vater},
                        {QStringLiteral("Rasse"), rasse},
                        {QStringLiteral("Besitzer"), owner()}});
    foreign = stock.animal(QStringLiteral("B13"), QStringLiteral("3.5.11"),
                           {{QStringLiteral("Status"), 2}, {QStringLiteral("Besitzer"), owner()}});
  }
  qint64 owner() {
    if (!ownerAddress)
      ownerAddress =
          stock.add(QStringLiteral("Adresse"), {{QStringLiteral("Name"), QStringLiteral("Krause")},
                                                {QStringLiteral("Vorname"), QStringLiteral("Eva")}});
    return ownerAddress;
  }
  test::StockDirectory stock;
  shell::tsysteminfo settings;
  qint64 ownerAddress = 0, vater = 0, own = 0, foreign = 0;
};

TEST_F(SheetDataTest, OwnerLineIsTheOwnUserForTheOwnStockAndTheOwnerOtherwise) {
  test::ScriptedDialogs dialogs;
  store::TDatenStamm module(stock.engine, settings);
  module.open();
  engine::Cursor& hasen = module.Hasen();
  ASSERT_TRUE(hasen.locate(QStringLiteral("Nummer"), {own}));
  reports::MemoryDataSource row = dataSheetRow(hasen, QStringLiteral("Jörg Sommer"));
  EXPECT_EQ(row.value(0, QStringLiteral("Besitzer")).toString(), QStringLiteral("Jörg Sommer"));
  EXPECT_EQ(row.value(0, QStringLiteral("RasseAnzeige")).toString(), QStringLiteral("Deutsche Riesen"));
  EXPECT_EQ(row.value(0, QStringLiteral("VaterAnzeige")).toString(), QStringLiteral("A1  1.4.1"));
  ASSERT_TRUE(hasen.locate(QStringLiteral("Nummer"), {foreign}));
  row = dataSheetRow(hasen, QStringLiteral("Jörg Sommer"));
  EXPECT_TRUE(row.value(0, QStringLiteral("Besitzer")).toString().contains(QStringLiteral("Krause")));
}

TEST_F(SheetDataTest, RepresentativePictureIsTheChosenOneOrTheFirstThatExists) {
  QTemporaryDir dir;
  const QString missing = dir.filePath(QStringLiteral("weg.jpg"));
  const QString second = dir.filePath(QStringLiteral("zwei.png"));
  const QString third = dir.filePath(QStringLiteral("drei.png"));
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(second) && image.save(third));
  for (const QString& p : {missing, second, third})
    stock.add(QStringLiteral("Bilder"), {{QStringLiteral("KatzeNr"), own}, {QStringLiteral("Bildpfad"), p}});
  stock.add(QStringLiteral("Bilder"),
            {{QStringLiteral("KatzeNr"), foreign}, {QStringLiteral("Bildpfad"), third}});
  EXPECT_EQ(representativePicturePath(stock.engine, own, 3), third);
  EXPECT_EQ(representativePicturePath(stock.engine, own, 1),
            missing);  // chosen, even if gone: no picture then
  EXPECT_EQ(representativePicturePath(stock.engine, own, 0), second);  // none chosen: first existing file
  EXPECT_EQ(representativePicturePath(stock.engine, own, 9), second);
  EXPECT_EQ(representativePicturePath(stock.engine, vater, 0), QString());
}

TEST_F(SheetDataTest, DataListReadsTheSearchResultInOrderAndCanBeCancelled) {
  store::AnimalSearch search(stock.engine);
  search.prepare();
  ASSERT_EQ(search.run(store::SearchBoxes{}, store::SearchRequest{}), 3);
  std::vector<int> calls;
  const auto rows = dataListRows(search.result(), [&](int done, int) {
    calls.push_back(done);
    return true;
  });
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->rowCount(), 3);
  EXPECT_EQ(rows->value(0, QStringLiteral("TatoRechts")).toString(), QStringLiteral("A1"));
  EXPECT_EQ(rows->value(1, QStringLiteral("VaterTatorechts")).toString(), QStringLiteral("A1"));
  EXPECT_EQ(rows->value(1, QStringLiteral("VaterTatolinks")).toString(), QStringLiteral("1.4.1"));
  EXPECT_EQ(calls.back(), 3);
  EXPECT_FALSE(dataListRows(search.result(), [](int, int) { return false; }));

  const PageModel model = layoutPrintout(TReportKatzenListe(), *rows, kPrintDate);
  test::writePdfForInspection(model, QStringLiteral("kaninchendaten-liste"));
  EXPECT_EQ(model.pageSize(), QSizeF(297, 210));
  ASSERT_EQ(model.pageCount(), 1);
  EXPECT_TRUE(model.pages[0].texts().contains(QStringLiteral("Kaninchendaten vom 01.03.2026")));
  EXPECT_TRUE(model.pages[0].texts().contains(QStringLiteral("Seite 1")));
  test::expectMatchesReference(model, QStringLiteral("output/reference/kaninchendaten-liste"));
  search.close();
}

}  // namespace
}  // namespace lapiro::output

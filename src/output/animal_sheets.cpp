#include "output/animal_sheets.h"

#include <QFileInfo>
#include <QImageReader>
#include <cmath>
#include <iterator>

#include "engine/dataset.h"
#include "engine/engine.h"
#include "engine/query.h"
#include "output/labels.h"
#include "reports/report_layout.h"

namespace lapiro::output {

using reports::Element;
using reports::ReportFont;

namespace {

constexpr double kLineUnits = 2.0;  // frame lines of the data sheet, units

QString str(engine::DataSet& ds, const QString& name) {
  auto f = ds.findField(name);
  return f ? f->asString() : QString();
}

QVariant val(engine::DataSet& ds, const QString& name) {
  auto f = ds.findField(name);
  return f ? f->value() : QVariant();
}

reports::Band imprintFooter(double width, bool withPageNumber) {
  reports::Band footer(6.0);
  footer.add(Element::hLine(0.0, width, 0.5));
  if (withPageNumber)
    footer.add(Element::pageNumber(QRectF(0.0, 1.2, width, 4.5), false)
                   .align(Qt::AlignHCenter | Qt::AlignTop)
                   .size(9));
  footer.add(Element::label(QRectF(0.0, 1.2, width, 4.5), reports::imprintText())
                 .size(8)
                 .bold()
                 .italic()
                 .singleLine()
                 .align(Qt::AlignRight | Qt::AlignTop));
  return footer;
}

}  // namespace

reports::PageModel layoutPrintout(const reports::Report& report, const reports::ReportDataSource& data,
                                  const QDate& printDate) {
  reports::PageModel model = reports::layoutReport(report, data, printDate);
  shrinkCutTexts(model);
  return model;
}

QString ownerText(qlonglong status, const QString& besitzerAnzeige, const QString& benutzer) {
  return status == 1 ? benutzer : besitzerAnzeige;
}

QString representativePicturePath(engine::Engine& engine, qint64 nummer, qlonglong druckbild) {
  engine::Query q(engine);
  q.setSql(QStringLiteral("SELECT Bildpfad FROM \"Bilder.db\" WHERE KatzeNr = :n ORDER BY LaufendeNr"));
  q.setParam(QStringLiteral("n"), nummer);
  q.open();
  QStringList paths;
  for (q.first(); q.hasRecord() && !q.eof(); q.next())
    paths << q.field(QStringLiteral("Bildpfad")).asString();
  q.close();
  if (druckbild >= 1 && druckbild <= paths.size()) return paths.at(static_cast<int>(druckbild - 1));
  for (const QString& p : paths)
    if (!p.isEmpty() && QFileInfo::exists(p)) return p;
  return {};
}

QSize sheetPictureSize(QSize natural, bool fitTo200, int bandWidth, int maxHeight) {
  if (natural.width() <= 0 || natural.height() <= 0) return {};
  double w = natural.width(), h = natural.height();
  auto scaleToWidth = [&](double target) {
    h = std::round(h * target / w);
    w = target;
  };
  if (fitTo200)
    scaleToWidth(200.0);
  else if (w > bandWidth - 20)
    scaleToWidth(bandWidth - 20);
  if (maxHeight > 0 && h > maxHeight) {
    w = std::round(w * maxHeight / h);
    h = maxHeight;
  }
  return QSize(std::max(1, static_cast<int>(w)), std::max(1, static_cast<int>(h)));
}

SheetPicture loadSheetPicture(const QString& path, bool fitTo200, int bandWidth, int maxHeight) {
  SheetPicture picture;
  if (path.isEmpty() || !QFileInfo::exists(path)) return picture;
  QImageReader reader(path);
  reader.setAutoTransform(true);
  QSize natural = reader.size();
  if (!natural.isValid()) return picture;
  picture.natural = natural;
  picture.size = sheetPictureSize(natural, fitTo200, bandWidth, maxHeight);
  // Decode no larger than needed for 300 dpi print: a camera picture shrinks while decoding.
  const double printScale = 300.0 / 96.0;
  QSize decode = picture.size * printScale;
  if (decode.width() < natural.width()) reader.setScaledSize(decode);
  picture.image = reader.read();
  if (picture.image.isNull()) picture = SheetPicture{};
  return picture;
}

// --- data sheet ------------------------------------------------------------------------------

namespace {
constexpr double kBandWidthMm = 190.0;
constexpr double kMemoTopMm = 115.4;
constexpr double kPictureTopMm = 5.3;
constexpr double kPictureBandDesignMm = 88.9;
constexpr double kFooterMm = 6.0;
constexpr double kBodyHeightMm = 297.0 - 20.0;

int bandWidthUnits() {
  return static_cast<int>(kBandWidthMm / kMmPerUnit);
}
}  // namespace

DataSheetGeometry dataSheetGeometry(const QString& anomalien, QSize pictureUnits) {
  DataSheetGeometry g;
  // Lines are separated by carriage returns; text typed on other systems may use bare line
  // feeds, which count the same.
  const int crs = static_cast<int>(anomalien.count(u'\r'));
  g.memoLines = 1 + (crs > 0 ? crs : static_cast<int>(anomalien.count(u'\n')));
  g.memoHeight = 20.0 * g.memoLines;
  g.dataBandHeight = kMemoTopMm / kMmPerUnit + g.memoHeight + 15.0;
  const double pictureTop = kPictureTopMm / kMmPerUnit;
  if (pictureUnits.isValid() && !pictureUnits.isEmpty()) {
    const int left = bandWidthUnits() / 2 - pictureUnits.width() / 2;
    g.pictureRect = QRectF(left, pictureTop, pictureUnits.width(), pictureUnits.height());
    g.pictureBandHeight = pictureTop + pictureUnits.height() + 20.0;
  } else {
    g.pictureBandHeight = kPictureBandDesignMm / kMmPerUnit;
  }
  g.separateFrames = 20.0 + g.dataBandHeight + g.pictureBandHeight + kFooterMm / kMmPerUnit > 1040.0;
  return g;
}

TReportStammdaten::TReportStammdaten(const QString& anomalien, const SheetPicture& picture)
    : geometry_(dataSheetGeometry(anomalien, picture.image.isNull() ? QSize() : picture.size)) {
  title = QStringLiteral("Kaninchendaten");
  page.format = reports::PageFormat::A4;
  page.orientation = reports::Orientation::Portrait;
  page.margins = QMarginsF(10, 10, 10, 10);
  defaultFont = ReportFont{QStringLiteral("Arial"), 14.0};
  keepDetailWithChildren = !geometry_.separateFrames;

  const double k = kMmPerUnit;
  const double w = kBandWidthMm;
  const double lw = kLineUnits * k;
  const double dataH = geometry_.dataBandHeight * k;

  detail = reports::Band(dataH);
  const QString times = QStringLiteral("Times New Roman");
  detail.add(Element::label(QRectF(10.6, 4.2, 65.0, 6.0), QStringLiteral("Täto rechts")).singleLine());
  detail.add(Element::dataField(QRectF(10.6, 10.4, 68.0, 8.5), QStringLiteral("TatoRechts"))
                 .family(times)
                 .size(20)
                 .bold()
                 .italic()
                 .singleLine());
  detail.add(Element::label(QRectF(80.4, 4.2, 65.0, 6.0), QStringLiteral("Täto links")).singleLine());
  detail.add(Element::dataField(QRectF(80.4, 10.4, 100.0, 8.5), QStringLiteral("TatoLinks"))
                 .family(times)
                 .size(20)
                 .bold()
                 .italic()
                 .singleLine());
  const std::pair<const char16_t*, const char16_t*> items[] = {
      {u"Rasse:", u"RasseAnzeige"},      {u"Farbe:", u"FarbeAnzeige"},
      {u"Körnote:", u"Körnote"},         {u"Stallnummer:", u"Stallnummer"},
      {u"Erbenge:", u"Erbformel"},       {u"Geschlecht:", u"GeschlechtAnzeige"},
      {u"Wurfgröße:", u"Wurfgroesse"},   {u"Geburtsdatum:", u"Geburtstag"},
      {u"Vater:", u"VaterAnzeige"},      {u"Mutter:", u"MutterAnzeige"},
      {u"Züchter:", u"ZuechterAnzeige"}, {u"Besitzer:", u"Besitzer"}};
  const double tops[] = {21.2, 29.1, 36.8, 44.7, 52.7, 60.3, 68.3, 76.2, 83.9, 91.8, 99.7, 107.4};
  for (size_t i = 0; i < std::size(items); ++i) {
    detail.add(
        Element::label(QRectF(10.6, tops[i], 33.5, 6.0), QString::fromUtf16(items[i].first)).singleLine());
    detail.add(
        Element::dataField(QRectF(44.5, tops[i], w - 44.5 - 3.0, 6.0), QString::fromUtf16(items[i].second))
            .singleLine());
  }
  detail.add(Element::label(QRectF(10.6, kMemoTopMm, 33.5, 6.0), QStringLiteral("Merkmale:")).singleLine());
  // The memo's lines are separated by carriage returns; the layout breaks lines at line feeds.
  detail.add(Element::calculated(QRectF(44.5, kMemoTopMm, 135.7, geometry_.memoHeight * k),
                                 [](const reports::ReportDataSource& data, int row) -> QVariant {
                                   QString text = data.value(row, QStringLiteral("Anomalien")).toString();
                                   text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                                   text.replace(u'\r', u'\n');
                                   return text;
                                 })
                 .grow());
  // The frame: all four sides; the bottom only when the picture band falls on another page.
  detail.add(Element::hLine(0.0, w, lw / 2, lw));
  detail.add(Element::vLine(lw / 2, 0.0, dataH, lw).stretch());
  detail.add(Element::vLine(w - lw / 2, 0.0, dataH, lw).stretch());
  if (geometry_.separateFrames) detail.add(Element::hLine(0.0, w, dataH - lw / 2, lw).stretch());

  const double picH = geometry_.pictureBandHeight * k;
  reports::Band pictureBand(picH);
  if (!picture.image.isNull()) {
    const QRectF r = geometry_.pictureRect;
    pictureBand.add(
        Element::picture(QRectF(r.x() * k, r.y() * k, r.width() * k, r.height() * k), picture.image));
  }
  if (geometry_.separateFrames) pictureBand.add(Element::hLine(0.0, w, lw / 2, lw));
  pictureBand.add(Element::vLine(lw / 2, 0.0, picH, lw));
  pictureBand.add(Element::vLine(w - lw / 2, 0.0, picH, lw));
  pictureBand.add(Element::hLine(0.0, w, picH - lw / 2, lw));
  children.push_back(pictureBand);

  pageFooter = imprintFooter(w, false);
}

reports::MemoryDataSource dataSheetRow(engine::DataSet& hasen, const QString& benutzer) {
  QVariantMap row;
  for (const char16_t* f : {u"TatoRechts", u"TatoLinks", u"RasseAnzeige", u"FarbeAnzeige", u"Körnote",
                            u"Stallnummer", u"Erbformel", u"GeschlechtAnzeige", u"Wurfgroesse", u"Geburtstag",
                            u"VaterAnzeige", u"MutterAnzeige", u"ZuechterAnzeige", u"Anomalien"}) {
    const QString name = QString::fromUtf16(f);
    row.insert(name, val(hasen, name));
  }
  auto status = hasen.findField(QStringLiteral("Status"));
  row.insert(QStringLiteral("Besitzer"), ownerText(status ? status->asInteger() : 0,
                                                   str(hasen, QStringLiteral("BesitzerAnzeige")), benutzer));
  reports::MemoryDataSource data;
  data.append(row);
  return data;
}

// --- stable card A6 ------------------------------------------------------------------------

TReportStallkarten::TReportStallkarten(bool withLitter) {
  title = QStringLiteral("Stallkarte");
  page.format = reports::PageFormat::A6;
  page.orientation = reports::Orientation::Landscape;
  page.margins = QMarginsF(10, 10, 10, 10);
  defaultFont = ReportFont{QStringLiteral("Arial"), 14.0};
  const double w = page.bodyWidth();
  detail = reports::Band(69.6);
  auto caption = [&](double y, const QString& text) {
    detail.add(Element::label(QRectF(4.2, y, 35.0, 7.0), text).singleLine());
  };
  auto value = [&](double x, double y, double width, const QString& field) {
    detail.add(Element::dataField(QRectF(x, y, width, 9.0), field).size(20).bold().singleLine());
  };
  caption(3.4, QStringLiteral("Stallnummer:"));
  value(40.2, 3.4, 78.3 - 40.2 - 1.0, QStringLiteral("Stallnummer"));
  value(78.3, 3.4, std::min(49.5, w - 78.3), QStringLiteral("IDCode"));
  caption(15.1, QStringLiteral("Täto:"));
  value(40.2, 15.1, 83.9, QStringLiteral("Name"));
  caption(26.5, QStringLiteral("Geschlecht:"));
  value(40.2, 26.5, 83.9, QStringLiteral("GeschlechtAnzeige"));
  caption(38.1, QStringLiteral("Vater:"));
  value(40.2, 38.1, 83.9, QStringLiteral("VaterAnzeige"));
  caption(49.5, QStringLiteral("Mutter:"));
  value(40.2, 49.5, 83.9, QStringLiteral("MutterAnzeige"));
  caption(61.1, withLitter ? QStringLiteral("Deckdatum:") : QString());
  value(40.2, 61.1, 83.9, QStringLiteral("Decktermin"));
  detail.elements.back().format = reports::ValueFormat::date();
  pageFooter = imprintFooter(w, false);
}

reports::MemoryDataSource stableCardRow(engine::DataSet& hasen, engine::DataSet* wurfbuch) {
  QVariantMap row;
  for (const char16_t* f :
       {u"Stallnummer", u"IDCode", u"Name", u"GeschlechtAnzeige", u"VaterAnzeige", u"MutterAnzeige"}) {
    const QString name = QString::fromUtf16(f);
    row.insert(name, val(hasen, name));
  }
  if (wurfbuch && wurfbuch->isOpen() && wurfbuch->hasRecord())
    row.insert(QStringLiteral("Decktermin"), val(*wurfbuch, QStringLiteral("Decktermin")));
  reports::MemoryDataSource data;
  data.append(row);
  return data;
}

// --- data list -------------------------------------------------------------------------------

TReportKatzenListe::TReportKatzenListe() {
  title = QStringLiteral("Kaninchendaten - Liste");
  page.format = reports::PageFormat::A4;
  page.orientation = reports::Orientation::Landscape;
  page.margins = QMarginsF(7, 10, 10, 10);
  defaultFont = ReportFont{QStringLiteral("Arial"), 9.0};
  const double w = page.bodyWidth();

  titleBand = reports::Band(8.0);
  titleBand.add(Element::printDate(QRectF(0.0, 0.0, w, 6.0), QStringLiteral("Kaninchendaten vom "))
                    .size(12)
                    .bold()
                    .singleLine()
                    .align(Qt::AlignHCenter | Qt::AlignTop));

  columnHeader = reports::Band(10.0);
  auto head = [&](double x, double y, double width, const QString& text) {
    columnHeader.add(Element::label(QRectF(x, y, width, 5.0), text).size(11).bold().singleLine());
  };
  head(0.5, 0.0, 28.6, QStringLiteral("Täto rechts"));
  head(29.6, 0.0, 25.5, QStringLiteral("Täto links"));
  head(55.6, 0.0, 32.8, QStringLiteral("Rasse"));
  head(88.9, 0.0, 32.3, QStringLiteral("Farbe"));
  head(121.7, 0.0, 25.4, QStringLiteral("Geschl."));
  head(147.6, 0.0, 50.6, QStringLiteral("Vater"));
  head(147.6, 4.5, 50.6, QStringLiteral("Mutter"));
  head(198.7, 0.0, w - 198.7, QStringLiteral("Besitzer"));
  head(198.7, 4.5, w - 198.7, QStringLiteral("Züchter"));
  columnHeader.add(Element::hLine(0.0, w, 9.6));

  detail = reports::Band(9.2);
  auto cell = [&](double x, double y, double width, const QString& field, double points) {
    detail.add(Element::dataField(QRectF(x, y, width, 4.4), field).size(points).singleLine());
  };
  cell(0.5, 0.4, 28.6, QStringLiteral("TatoRechts"), 10);
  cell(29.6, 0.4, 25.5, QStringLiteral("TatoLinks"), 10);
  cell(55.6, 0.4, 32.8, QStringLiteral("RasseAnzeige"), 9);
  cell(88.9, 0.4, 32.3, QStringLiteral("FarbeAnzeige"), 9);
  cell(121.7, 0.4, 25.4, QStringLiteral("GeschlechtAnzeige"), 9);
  cell(147.6, 0.4, 22.3, QStringLiteral("VaterTatolinks"), 9);
  cell(170.4, 0.4, 27.8, QStringLiteral("VaterTatorechts"), 10);
  cell(198.7, 0.4, w - 198.7, QStringLiteral("BesitzerAnzeige"), 9);
  cell(147.6, 4.7, 22.3, QStringLiteral("MutterTatoLinks"), 9);
  cell(170.4, 4.7, 27.8, QStringLiteral("MutterTatoRechts"), 10);
  cell(198.7, 4.7, w - 198.7, QStringLiteral("ZuechterAnzeige"), 9);

  pageFooter = imprintFooter(w, true);
}

std::optional<reports::MemoryDataSource> dataListRows(engine::DataSet& result,
                                                      const std::function<bool(int, int)>& progress) {
  static const char16_t* const kFields[] = {u"TatoRechts",       u"TatoLinks",         u"RasseAnzeige",
                                            u"FarbeAnzeige",     u"GeschlechtAnzeige", u"VaterTatolinks",
                                            u"VaterTatorechts",  u"BesitzerAnzeige",   u"MutterTatoLinks",
                                            u"MutterTatoRechts", u"ZuechterAnzeige"};
  std::vector<std::pair<QString, int>> columns;
  for (const char16_t* f : kFields) {
    const QString name = QString::fromUtf16(f);
    columns.emplace_back(name, result.fieldIndex(name));
  }
  const int total = static_cast<int>(result.recordCount());
  std::vector<QVariantMap> rows;
  rows.reserve(static_cast<size_t>(total));
  constexpr int kChunk = 250;
  for (int offset = 0; offset < total; offset += kChunk) {
    if (progress && !progress(offset, total)) return std::nullopt;
    const std::vector<engine::DataSet::Row> chunk = result.readRows(offset, kChunk);
    if (chunk.empty()) break;
    for (const engine::DataSet::Row& r : chunk) {
      QVariantMap row;
      for (const auto& [name, index] : columns)
        if (index >= 0 && index < static_cast<int>(r.size())) row.insert(name, r[static_cast<size_t>(index)]);
      rows.push_back(std::move(row));
    }
  }
  if (progress && !progress(total, total)) return std::nullopt;
  return reports::MemoryDataSource(std::move(rows));
}

}  // namespace lapiro::output

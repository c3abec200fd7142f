// The animal printouts of the main window's menu "Drucker": the data sheet of one animal
// (TReportStammdaten, "Kaninchendaten"), the data list over a search result
// (TReportKatzenListe, "Kaninchendaten - Liste") and the A6 stable card of one animal
// (TReportStallkarten, "Stallkarte DIN A6").
//
// Each layout is a reports::Report; its rows come from the row builders below, which read
// the data module's cursors without moving them. Lengths called "units" are 1/96 inch.
#pragma once

#include <QDate>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

#include "reports/data_source.h"
#include "reports/page_model.h"
#include "reports/report.h"

namespace lapiro::engine {
class DataSet;
class Engine;
}  // namespace lapiro::engine

namespace lapiro::output {

inline constexpr double kMmPerUnit = 25.4 / 96.0;

// Lays out one of these printouts: the report engine's layout, then texts that would be cut
// set smaller first (shrinkCutTexts).
reports::PageModel layoutPrintout(const reports::Report& report, const reports::ReportDataSource& data,
                                  const QDate& printDate = QDate::currentDate());

// --- Owner and picture --------------------------------------------------------------------

// The owner line of the data sheet: the own user (`benutzer`, Vorname + " " + Name) for an
// animal of the own stock (Status 1), otherwise the animal's BesitzerAnzeige.
QString ownerText(qlonglong status, const QString& besitzerAnzeige, const QString& benutzer);

// The path of the animal's representative picture: the Bilder row at position `druckbild`
// (1-based, in entry order); when that is not set or out of range, the first picture whose
// file exists. Empty when the animal has no such picture. Only the path is read here, so the
// picture loader can be exchanged. Throws engine::EngineError when Bilder cannot be read.
QString representativePicturePath(engine::Engine& engine, qint64 nummer, qlonglong druckbild);

// The picture of the data sheet, in units (1 unit = 1 pixel at 96 dpi).
struct SheetPicture {
  QImage image;   // null: no picture
  QSize natural;  // the file's size in pixels
  QSize size;     // the printed size in units
};

// The printed size of a picture of `natural` pixels: with `fitTo200` 200 units wide; otherwise
// as it is, or, when wider than `bandWidth` − 20, that wide; the ratio kept, each side rounded.
// The height is further limited to `maxHeight` units (ratio kept) so that a tall picture never
// runs off its page.
QSize sheetPictureSize(QSize natural, bool fitTo200, int bandWidth, int maxHeight);

// Loads the picture at `path` at the size sheetPictureSize gives (decoded scaled with
// QImageReader). A missing or unreadable file gives a null picture; no message.
SheetPicture loadSheetPicture(const QString& path, bool fitTo200, int bandWidth, int maxHeight);

// --- Data sheet ---------------------------------------------------------------------------

// Band geometry of the data sheet after the rules that run before printing.
struct DataSheetGeometry {
  int memoLines = 1;               // 1 + carriage returns in Anomalien
  double memoHeight = 0.0;         // units: 20 per line
  double dataBandHeight = 0.0;     // units: memo top + memo height + 15
  double pictureBandHeight = 0.0;  // units
  QRectF pictureRect;              // units, relative to the picture band; empty without a picture
  bool separateFrames = false;     // the bands fall on separate pages: both inner lines drawn
};
DataSheetGeometry dataSheetGeometry(const QString& anomalien, QSize pictureUnits);

// The animal data sheet on A4 portrait. `row` fields: TatoRechts, TatoLinks, RasseAnzeige,
// FarbeAnzeige, Körnote, Stallnummer, Erbformel, GeschlechtAnzeige, Wurfgroesse, Geburtstag,
// VaterAnzeige, MutterAnzeige, ZuechterAnzeige, Besitzer, Anomalien; the picture is passed apart.
class TReportStammdaten : public reports::Report {
 public:
  TReportStammdaten(const QString& anomalien, const SheetPicture& picture);
  const DataSheetGeometry& geometry() const { return geometry_; }

 private:
  DataSheetGeometry geometry_;
};

// The data sheet's row from the current record of the data module's `hasen` (not moved),
// with the owner line made by ownerText.
reports::MemoryDataSource dataSheetRow(engine::DataSet& hasen, const QString& benutzer);

// --- Stable card A6 -----------------------------------------------------------------------

// The stable card of one animal on A6 landscape. `row` fields: Stallnummer, IDCode, Name,
// GeschlechtAnzeige, VaterAnzeige, MutterAnzeige, Decktermin. The caption "Deckdatum:" is
// printed only when `withLitter`.
class TReportStallkarten : public reports::Report {
 public:
  explicit TReportStallkarten(bool withLitter);
};

// The card's row from the current record of `hasen` and its newest litter (`wurfbuch`'s
// current record, or none when null or empty).
reports::MemoryDataSource stableCardRow(engine::DataSet& hasen, engine::DataSet* wurfbuch);

// --- Data list ----------------------------------------------------------------------------

// The data list over a search result on A4 landscape: title "Kaninchendaten vom " and the
// date, column headers on every page, two lines per animal, page number and imprint below.
class TReportKatzenListe : public reports::Report {
 public:
  TReportKatzenListe();
};

// Copies the rows of `result` from the first, in its order, into a memory data source with
// the list's fields. `progress(done, total)` is called every few hundred rows; when it returns
// false the copy stops and nullopt is returned. Throws engine::EngineError when a read fails.
std::optional<reports::MemoryDataSource> dataListRows(engine::DataSet& result,
                                                      const std::function<bool(int, int)>& progress = {});

}  // namespace lapiro::output

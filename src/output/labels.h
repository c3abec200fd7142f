// Transport labels and stable cards printed from the label window (TFormTransportaufkleber).
//
// The label list lives in memory as LabelRow values and is written through to the work table
// Aufkleber.db (TAufkleberListe). The two sheet printouts are laid out here straight into
// page models: a sheet of labels is a fixed grid, not a banded report, so every label is
// placed at its grid cell. Text on a label never leaves its box: a line that is too wide is
// set smaller (down to a minimum size) and, if still too wide, cut with "…".
#pragma once

#include <QDate>
#include <QFont>
#include <QString>
#include <optional>
#include <vector>

#include "reports/page_model.h"

namespace lapiro::engine {
class Engine;
}

namespace lapiro::output {

// One row of the label list (the fields of Aufkleber.db).
struct LabelRow {
  QString taetoRechts;
  QString taetoLinks;
  QString stallnummer;
  QString rasse;  // breed name, " / ", breed code
  QString kaefignummer;
  QString geschlecht;  // "Rammler 1.0" or "Häsin 0.1"
  QString vater;
  QString mutter;
  QDate deckdatum;
  QString name;
  bool operator==(const LabelRow&) const = default;
};

// `Taeto`: the right tattoo; when a left tattoo is present, three blanks and the left tattoo.
// Sized for the longest tattoos (8 + 3 + 10 characters), never cut.
QString taetoText(const LabelRow& row);
// `RasseStall`: when `rasse` holds a "/" that is not its last character, the text after the
// last "/" and two blanks; then the hutch number.
QString rasseStallText(const LabelRow& row);

// Looks up an animal of Hasen by its tattoos (exact match); nullopt when there is none.
// Throws engine::EngineError when the table cannot be read.
std::optional<qint64> findAnimalByTattoos(engine::Engine& engine, const QString& rechts,
                                          const QString& links);
// The label row of animal `nummer`: breed "Name / Code", tattoos, hutch number, name, sex
// text, parents' tattoos and the mating date of its newest litter record (highest
// LaufendeNummer in Wurfbuch.DB with Katze = nummer). nullopt when the animal does not exist.
// Kaefignummer stays empty. Throws engine::EngineError when a table cannot be read.
std::optional<LabelRow> labelRowForAnimal(engine::Engine& engine, qint64 nummer);

// The label list and its work table Aufkleber.db. Lifetime: as long as the label window.
class TAufkleberListe {
 public:
  // Deletes Aufkleber.db when it exists and creates it afresh, empty. Throws EngineError.
  explicit TAufkleberListe(engine::Engine& engine);

  const std::vector<LabelRow>& rows() const { return rows_; }
  int count() const { return static_cast<int>(rows_.size()); }
  // Appends a row (empty or filled) and writes it through. Returns its index.
  // Throws EngineError (the list is then unchanged).
  int append(const LabelRow& row = {});
  // Replaces row `i` and writes it through (nothing is written when it is unchanged).
  // REQUIRES 0 <= i < count(). Throws EngineError (the list is then unchanged).
  void set(int i, const LabelRow& row);
  // Removes row `i`; an index outside the list does nothing. Throws EngineError.
  void remove(int i);
  // Reads the table back (for tests and for checking what was written).
  std::vector<LabelRow> readTable() const;

 private:
  engine::Engine& engine_;
  std::vector<LabelRow> rows_;
};

// The label grid on an A4 sheet, in millimetres: 3 columns × 8 rows of 70 × 37, which is the
// common A4 sheet of 24 self-adhesive labels (210 × 296 with 0.5 left over at top and bottom).
struct LabelGrid {
  static constexpr int kColumns = 3;
  static constexpr int kRows = 8;
  static constexpr int kPerSheet = kColumns * kRows;
  static constexpr double kLeft = 0.0;
  static constexpr double kTop = 0.5;
  static constexpr double kWidth = 70.0;
  static constexpr double kHeight = 37.0;
  // Top-left corner of position `pos` (0-based, row by row: 0 1 2 on the first row).
  static QPointF cell(int pos) {
    return {kLeft + (pos % kColumns) * kWidth, kTop + ((pos / kColumns) % kRows) * kHeight};
  }
};

// "Druck ab Nummer": the first label position to print on, 1 to 24. Any other text (empty,
// 0, 25, letters) gives nullopt; the window refuses to print then.
std::optional<int> parseStartPosition(const QString& text);

// Transport labels: one label per row, three centred lines (Kaefignummer, RasseStall, Taeto,
// bold), 24 per A4 portrait sheet. The first `startPosition` − 1 positions of the first sheet
// stay blank; further rows continue on further sheets. No rows: no pages.
// REQUIRES: a QGuiApplication; 1 <= startPosition <= 24.
reports::PageModel layoutTransportLabels(const std::vector<LabelRow>& rows, int startPosition = 1,
                                         const QDate& printDate = QDate::currentDate());

// Stable cards of the label list: 4 per A4 landscape sheet (2 × 2 cards of 138.4 × 104.5).
// "Deckdatum:" and the date are printed only for a doe's row that holds a date.
reports::PageModel layoutStableCardSheets(const std::vector<LabelRow>& rows,
                                          const QDate& printDate = QDate::currentDate());

// A single line of text fitted into `width` mm: the font of `family`/`points`/`bold` is set
// smaller in half points down to `minPoints` until the text fits, then the text is cut with
// "…". Returns the text item at `rect` (its height is the line height of the font chosen).
reports::TextItem fittedLine(const QRectF& rect, const QString& text, const QString& family, double points,
                             bool bold, bool italic = false, double minPoints = 0.0,
                             Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

// Sets every single-line text of `model` that the layout had to cut with "…" smaller, in half
// points down to `minFactor` of its size, and cuts it only when it still does not fit. Texts
// that fit are left alone.
void shrinkCutTexts(reports::PageModel& model, double minFactor = 0.7);

}  // namespace lapiro::output

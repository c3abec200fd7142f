// The vaccination certificate "Impfbescheinigung" without its window: the animal list with
// its line rules, the header values, recording the vaccination for every listed animal, the
// print work table tmpImpf and the report TReportImpfbescheinigung.
#pragma once

#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "engine/engine.h"
#include "reports/data_source.h"
#include "reports/report.h"

namespace lapiro::engine {
class DataSet;
}

namespace lapiro::health {

inline constexpr int kMeldungTierNichtGefunden = 129;
inline constexpr int kMeldungImpfungenEingetragen = 130;
inline constexpr int kHilfeImpfbescheinigung = 150;

// The columns of the animal list, in order.
enum ImpfColumn { ColNr, ColTatoRechts, ColTatoLinks, ColGeschlecht, ColWurfdatum, ColRasse, ColFarbe, ColCount };
// The column heads "Nr.", "Täto rechts", "Täto links", "Geschl.", "Wurfdatum", "Rasse", "Farbe".
const QStringList& certificateHeads();

// An animal as a line of the list shows it (sex as "1.0"/"0.1", birth date "dd.MM.yyyy").
struct CertificateAnimal {
  QString tatoRechts, tatoLinks, geschlecht, wurfdatum, rasse, farbe;
};

// Reads the animal `nummer` from Hasen with its breed and colour names. nullopt when there
// is no such animal. Throws engine::EngineError when the tables cannot be read.
std::optional<CertificateAnimal> readCertificateAnimal(engine::Engine& engine, qint64 nummer);

// The animal list: text lines of ColCount cells. It starts with kStartLines empty lines; a
// line is used when its "Nr." cell is not empty.
//
// One limit holds for every removal: the list never has fewer than kStartLines lines, and a
// line beyond them is removed rather than emptied. So no line is lost, and the list does not
// keep an empty line past the twelve that make one printed page.
class TImpfListe {
 public:
  static constexpr int kStartLines = 12;

  TImpfListe() { clear(); }

  int lineCount() const { return static_cast<int>(lines_.size()); }
  const QStringList& line(int i) const { return lines_.at(i); }
  QString cell(int line, int column) const { return lines_.at(line).value(column); }
  // Typed by hand into the grid.
  void setCell(int line, int column, const QString& text) { lines_.at(line)[column] = text; }
  bool isUsed(int line) const { return !cell(line, ColNr).trimmed().isEmpty(); }
  int usedCount() const;

  // Adds the animal after the last used line (line 1 when none is used); when the last line
  // is used, a line is appended. The line's "Nr." is its line number. Returns its index.
  int addAnimal(const CertificateAnimal& animal);
  // "Tier löschen": removes line `index`. The values of the following used lines move up by
  // one line ("Nr." keeps its numbers); then the last line reached is emptied while the list
  // has no more than kStartLines lines, otherwise the list's last line is removed.
  void removeLine(int index);
  // "Liste löschen": kStartLines empty lines.
  void clear();

 private:
  std::vector<QStringList> lines_;
};

// The header boxes of the window.
struct CertificateHeader {
  QString zuechter, verein, kreisverband, landesverband;
  QString impfung, impfstoff, chargenbez, tierarzt, impfdatum;
  QString ort, datum;
};

// "Züchter:" from the own data (a cursor on eigen.DB with the calculated field ortAnzeige):
// Name, preceded by Vorname and a blank when set, followed by ", " Strasse and ", "
// ortAnzeige when they are set.
QString breederLine(engine::DataSet& eigen);
// The header as the window starts: breeder line, Vereinsnummer, Kreisverband, Verband of the
// own data and `today` as "Datum".
CertificateHeader initialHeader(engine::DataSet& eigen, const QDate& today);

// Result of recording the vaccinations.
struct RecordResult {
  int recorded = 0;
  int notFound = 0;
  int alreadyRecorded = 0;  // lines whose vaccination was saved before and is not saved again
  bool stopped = false;    // "Nein" to the save question stopped the recording
  bool badDate = false;    // "Impfdatum:" was no date; nothing was recorded
};

// "Speichern": for every used line from the first on, finds the animal by its right and left
// tattoo and appends a row to Impfung (Tier, Datum = Impfdatum, Impfung, Impfstoff,
// Chargenbez, Tierarzt). A line whose animal is not found shows a warning "<rechts links> "
// followed by message 129 and the recording goes on. With `speichernOhneFrage` false each
// row asks message 29 first; "Nein" stops the recording of the remaining lines. An
// "Impfdatum:" that is no date shows an error and records nothing. A line whose animal has
// this vaccination already (same date, vaccination, vaccine and batch, e.g. from an earlier
// "Speichern" of the same list) is skipped without a question, so saving twice never records
// twice. Message 130 (information) is shown when every used line is recorded (now or
// before) and something was recorded now; when everything was recorded before, a note says
// that nothing was saved twice.
RecordResult recordVaccinations(engine::Engine& engine, const TImpfListe& list, const CertificateHeader& header,
                                bool speichernOhneFrage);

// Creates the work table tmpImpf afresh (an existing one is replaced) and writes one row per
// list line, used or not. Throws engine::EngineError.
void fillCertificateTable(engine::Engine& engine, const TImpfListe& list);
// Deletes the work table when it exists (no error when it does not).
void dropCertificateTable(engine::Engine& engine);

// The emblem of the title band.
QImage certificateEmblem();

// The printed certificate: title band with "Impfbescheinigung", the emblem and the header
// values, column heads on every page, one detail line per row of tmpImpf (fields Nummer,
// TaetoRechts, TaetoLinks, Geschlecht, Wurfdatum, Rasse, Farbe), and the page footer with
// the place line "Ort, Datum", the veterinarian's lines and the imprint. Twelve lines and
// the footer fit on one A4 page.
class TReportImpfbescheinigung : public reports::Report {
 public:
  explicit TReportImpfbescheinigung(const CertificateHeader& header,
                                    const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
};

// The rows of the list as the report's data source (as tmpImpf holds them).
reports::MemoryDataSource certificateRows(const TImpfListe& list);

}  // namespace lapiro::health

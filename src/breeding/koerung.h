// Buck judging ("Körung"): the score grid of the young of the buck's litters, the choice of
// the two litters presented, and the breeding score ("Körnote") computed from the buck's
// ancestry, the balance of the two litters, his own best show result and, for long-haired
// breeds, his wool performance.
//
// The arithmetic is pure; TKoerung reads and writes the data module's cursors (the buck is the
// current animal of "Hasen"; "GedeckteHaesinnen", "RammlerJungtiere", "BewertungJungtiere",
// "Ausstellung" and "Koernote") and reaches the user only through store::dialogs().
#pragma once

#include "core/points.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {

inline constexpr int kHilfeKoerung = 13;
inline constexpr int kMeldungKoerungUeberschreiben = 111;
inline constexpr int kMeldungZweiterWurfOhnePunkte = 112;
inline constexpr int kScoreGridRows = 14;  // young animals whose scores are saved
inline constexpr int kPresentedYoung = 5;  // young kept per litter for the balance items
inline QString koerungTitle() { return QStringLiteral("Körung vom Herdbuch"); }

// --- breeding year ---------------------------------------------------------------------------

// First day of the breeding year that `day` belongs to: 1 November of the same year for a day
// in November or December, else 1 November of the year before.
QDate breedingYearStart(const QDate& day);
// The filter of "GedeckteHaesinnen" for the buck `buck` and the judging day `day`: his litters
// born from the breeding year's start up to `day` with at least three reared young.
QString breedingYearFilter(qint64 buck, const QDate& day);
// The filter of "RammlerJungtiere" for the young of the doe `doe` born on `wurftag`; a filter
// that matches nothing when either is missing.
QString youngOfLitterFilter(qint64 doe, const QDate& wurftag);

// --- the score grid ----------------------------------------------------------------------------

// Highest points of each of the seven positions (1 weight … 7 grooming); positions 4 to 6
// share the points of one group, and a row holds at most 100 points.
int positionMaximum(int position);  // position 0..6
inline constexpr int kGroupMaximum = 40;  // positions 4 + 5 + 6

// True for a key the score cells accept: digits, the decimal comma and backspace ('\b').
bool acceptsScoreKey(QChar key);

// Parses one score cell: empty gives nullopt without error; digits with one decimal comma from
// 0 to the position's maximum are accepted; anything else fills `error` with a German message
// naming the position and its limit.
// Numbers are read by the shared typed-number rules; a point is refused.
std::optional<core::Points> parseScore(const QString& text, int position, QString* error);

// One row of the score grid: the young animal and the seven cells as typed.
struct ScoreRow {
  qint64 nummer = -1;
  QString name, geschlecht;
  std::array<QString, 7> cells;
};

// The figures of a row, as the totals line shows them. A cell that does not parse makes the
// row invalid: `error` names it and the figures count only the cells that parse.
struct RowFigures {
  core::Points total;
  QString totalText;  // empty when the total is 0
  QString grade;      // empty when the total is 0
  // Live order (20 − 2)/(40 − (4 + 5 + 6))/(15 − 3), "20" or "15" for an empty cell 2 or 3;
  // empty when the total is 0. Stored rows show 2 / 3 / 4–6 instead (shows::missingPoints).
  QString missing;
  QString error;      // empty when every cell parses and the group limit holds
};
RowFigures rowFigures(const ScoreRow& row);

// --- the Körnote items -------------------------------------------------------------------------

// Ancestors present on each side. `present[k]` for the pedigree boxes k = 1 … 14 (1 father,
// 2 mother, 3/4 and 5/6 their parents, 7–10 and 11–14 the grandparents' parents); index 0 is
// not used. A side counts its parent, the parent's parents only when the parent is present,
// and the next generation only when all three are present (at most 7).
struct AncestorCounts {
  int vater = 0;
  int mutter = 0;
};
AncestorCounts countAncestors(const std::array<bool, 15>& present);
// Points from the smaller count: 0 → 0, 1–2 → 4, 3–4 → 6, 5–6 → 8, 7 → 10.
int ancestryPoints(const AncestorCounts& counts);

// A young animal of a chosen litter with its displayed total (nullopt: not judged).
struct LitterYoung {
  QString name;
  std::optional<core::Points> total;
};

// The young presented from one litter: totals below 89 are left out; the first five of at
// least 89 are kept, each further one replaces the lowest kept total when it is higher.
struct Presentation {
  std::vector<LitterYoung> kept;  // in the order kept (a replacement takes the slot)
  int count() const { return static_cast<int>(kept.size()); }
  std::optional<core::Points> mean() const;  // rounded to two decimals; nullopt when none kept
  QString countText() const;           // "0" when none kept
  QString meanText() const;            // "93,60"; empty when none kept
  // The scores as one text; the first doe's form "A-95  /  B-93", the second's "A  95 / B  93";
  // "0" when none kept.
  QString scoresText(bool secondDoe) const;
};
Presentation choosePresented(const std::vector<LitterYoung>& young);
// The scores text for the 115-character field that older files and programs read: whole
// entries only, cut before the first entry that does not fit (the full text is kept in the
// wide field beside it).
inline constexpr int kShortScoresSize = 115;
QString shortScoresText(const QString& scores);

// Points of a balance item from the number presented and their mean (table of thresholds;
// fewer than three young give 0).
int balancePoints(const Presentation& p);
// Points of the buck's own best total: 10 from 96, 8 from 94, else 0.
int buckPoints(std::optional<core::Points> bestTotal);
// Points of the wool performance: below 94 nullopt (the field stays empty), 94–95 → 4,
// 96–97 → 6, 98–99 → 8, from 100 → 10.
std::optional<int> woolItemPoints(double leistungspunkte);

// What the Körnote is computed from.
struct KoernoteInput {
  std::array<bool, 15> ancestors{};
  std::optional<std::vector<LitterYoung>> litter1, litter2;  // nullopt: not chosen / not found
  std::optional<core::Points> buckBest;                      // his best show total
  bool langhaar = false;
  std::optional<double> woolLeistungspunkte;
};

// Every value of the page "Berechnung der Körnote".
struct KoernoteResult {
  AncestorCounts counts;
  std::array<std::optional<int>, 5> punkte{};  // items 1 … 5; nullopt shows an empty field
  Presentation haesin1, haesin2;
  std::optional<core::Points> buckBest;
  std::optional<double> woolLeistungspunkte;
  bool langhaar = false;
  int koernote = 0;
};
KoernoteResult computeKoernote(const KoernoteInput& in);
// The sum of the points fields (items 1 … 4, plus 5 for long-haired breeds); empty count 0.
int koernoteSum(const std::array<std::optional<int>, 5>& punkte, bool langhaar);

// --- the stored Körung record ------------------------------------------------------------------

// The values of the buck's Körung record as the page shows them.
struct KoerungRecord {
  bool exists = false;
  bool saved = false;  // the saved mark (Druck)
  QDate datum;
  std::optional<qint64> haesin1, haesin2;  // LaufendeNummer of the chosen litters
  QString anzahlVater, anzahlMutter;
  std::array<std::optional<int>, 5> punkte{};
  QString vorgestellt1, vorgestellt2, bewertung1, bewertung2, mittel1, mittel2;
  std::optional<core::Points> rammlerPunkte;
  std::optional<int> wollwert;
};

// A covered doe's litter among the buck's litters of the breeding year.
struct CoveredLitter {
  qint64 laufendeNummer = 0;
  QString nameHaesin;
  QDate wurftag;
};

// The judging flows over the data module.
class TKoerung {
 public:
  TKoerung(store::TDatenStamm& dm, shell::tsysteminfo& settings) : dm_(dm), settings_(settings) {}

  // Restricts "GedeckteHaesinnen" to the buck's litters of the breeding year of `day`.
  void applyBreedingYear(const QDate& day);

  // Positions the card's show cursor "Ausstellung" on the buck's best show row: the largest
  // total among rows not titled "Eigene Bewertung", the first on ties. Without such a row
  // with a total other than 0 the cursor stays on his last row and nothing counts as best.
  // Returns the best total.
  std::optional<core::Points> positionBestShowRow();
  // The best total found by the last positionBestShowRow().
  std::optional<core::Points> bestShowTotal() const { return bestTotal_; }

  // The buck's Körung record (the first of his); `exists` false when he has none.
  KoerungRecord record();

  // The litter of the breeding year with the given LaufendeNummer, when it is among the
  // covered does of the current filter.
  std::optional<CoveredLitter> coveredLitter(qint64 laufendeNummer);

  // Restricts "RammlerJungtiere" to the young of the current covered-doe row.
  void showYoungOfCurrentLitter();

  // Any litter of the buck by its LaufendeNummer, whatever the covered-does filter (the
  // stored Körung names its litters after the breeding year has moved on). No cursor moves.
  std::optional<CoveredLitter> litterByNumber(qint64 laufendeNummer);

  // The young of the current covered-doe row as score rows, in the grid's order, with their
  // stored scores; `evaluationDay` gets the first young animal's evaluation date.
  std::vector<ScoreRow> scoreRows(QDate* evaluationDay = nullptr);

  // Saves the scores of rows 1 … 14 whose total is not 0 as "Körung vom Herdbuch" rows
  // (Datum `day` on new rows only). Refuses, with a message naming the cell, when a cell does
  // not parse or exceeds its limit; then nothing is saved. Asks the save question unless
  // `askFirst` is false. Returns true when saved (or nothing was to save).
  bool saveScores(const std::vector<ScoreRow>& rows, const QDate& day, bool askFirst = true);

  // Chooses a litter for panel 1 or 2 ("1. Häsin" / "2. Häsin"): refused with a message when
  // the same litter is already in the other panel. Creates the buck's record when he has
  // none. Returns true when stored.
  bool assignLitter(int panel, qint64 laufendeNummer);

  // Gathers what the Körnote needs for the judging day `day` and computes it: the pedigree
  // boxes, the chosen litters' young under the breeding-year filter of `day`, the best show
  // total and the wool points. The covered-does list returns to its first row.
  KoernoteResult compute(const QDate& day);

  // "Körung speichern": writes the record (message 111 when it carries the saved mark, the
  // save question) and then the buck's Körnote. Returns false when refused or cancelled;
  // then neither the record nor the animal is changed.
  bool save(const QDate& day, const KoernoteResult& r);
  // "Körung löschen": clears the record (the save question applies); the Körnote stays.
  bool clear();

 private:
  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  std::optional<core::Points> bestTotal_;
  std::optional<std::vector<LitterYoung>> litterYoung(qint64 laufendeNummer);
  bool editRecord();
};

}  // namespace lapiro::breeding

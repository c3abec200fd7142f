// Wool performance records of long-haired animals: the figures of one test record (annual
// yield "JWE" and wool value index "WRZ" per grade, performance points, totals and grade),
// the rules of the data module's cursor "Angora" and the parents' and grandparents' averages.
//
// The figure functions are pure. The rules reach the user only through store::dialogs().
#pragma once

#include "core/points.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace lapiro::engine {
class Cursor;
class DataSet;
class Engine;
}  // namespace lapiro::engine

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {

inline constexpr int kHilfeAngora = 210;
inline constexpr int kMeldungKeinWollnachweis = 127;
// The wool certificate asked for an animal outside "Langhaarrassen".
inline constexpr int kMeldungKeineLanghaarrasse = 140;

// Name of the data module's cursor holding the current animal's test records.
inline QString woolCursorName() { return QStringLiteral("Angora"); }

// The seven judging positions: field names, captions on the tab and their maxima.
struct WoolPosition {
  const char16_t* field;
  const char16_t* caption;
  int maximum;
};
const std::array<WoolPosition, 7>& woolPositions();

// Rounds value × num / den to a whole number, halves to the even neighbour. `den` > 0.
qint64 roundHalfEven(qint64 value, qint64 num, qint64 den);

// Annual yield and value index per grade. Every figure is empty for an interval other than
// "91" or "84". Under "91" the yields are 4 × the grams; under "84" 4.35 × the grams, each
// rounded half to even. The value index: WRZ1 = JWE1; WRZ2 = 3 × II under "91" and 3.26 × II
// (rounded the same way) under "84"; WRZFilz = Filz under both intervals, as the table of the
// test rules gives it (I 230 / II 50 / Filz 37 under "84": 1000 + 163 + 37 = 1200).
struct WoolYields {
  qint64 schurergebnisInsgesamt = 0;  // I + II + Filz (empty counts 0)
  std::optional<qint64> jwe1, jwe2, jweFilz;
  std::optional<qint64> wrz1, wrz2, wrzFilz;

  bool anyJwe() const { return jwe1 || jwe2 || jweFilz; }
  bool anyWrz() const { return wrz1 || wrz2 || wrzFilz; }
  qint64 jweSum() const { return jwe1.value_or(0) + jwe2.value_or(0) + jweFilz.value_or(0); }
  qint64 wrzSum() const { return wrz1.value_or(0) + wrz2.value_or(0) + wrzFilz.value_or(0); }
};
WoolYields woolYields(const QString& interval, std::optional<qint64> shear1, std::optional<qint64> shear2,
                      std::optional<qint64> felt);

// Performance points by the value index: the animal's "37".."40" or "NB", its parents' and
// grandparents' "27".."30" or "NB". White animals need 1000 for the first band, coloured
// ones 801; each band is 100 wide.
QString animalPoints(qint64 wrz, bool white);
QString ancestorPoints(qint64 wrz, bool white);

// True when a colour name, in lower case, contains "weiss" or "weiß".
bool isWhiteColour(const QString& colourName);

// The stored values of a test record that the figures depend on.
struct WoolRecord {
  QString interval;
  std::optional<qint64> shear1, shear2, felt;
  std::optional<qint64> jweInsgesamt, wrzInsgesamt;
  std::optional<qint64> elternWrz, grosselternWrz;
  std::optional<double> bewertung;
  bool white = false;
};

// Every calculated field of a test record.
struct WoolFigures {
  WoolYields yields;
  QString punkte, punkteEltern, punkteGrosseltern;  // "NB", a number or empty
  qint64 leistungspunkte = 0;
  core::Points gesamtPunkte;  // Bewertung + Leistungspunkte, exact
  QString gesamtNote;  // "vorzüglich" from 196 points on, else "sehr gut"
};
WoolFigures woolFigures(const WoolRecord& r);

// Reads the record's stored values from a data set on Angora; `white` as given.
WoolRecord woolRecordOf(engine::DataSet& ds, bool white);

// The values of one animal's test record that other records and the printout use.
struct AncestorTest {
  qint64 jwe = 0, wrz = 0;
  QString pruefstelle, llb;
  QString judging;  // "18,0/17,5/13,0/14,0/13,5/9,0/4,5=89,5"
};

// Reads animals and their test records straight from the tables (no cursor moves).
// Every method throws engine::EngineError when a table cannot be read.
class WoolLookup {
 public:
  explicit WoolLookup(engine::Engine& engine) : engine_(engine) {}

  // Father and mother of an animal (0 when empty); nullopt when there is no such animal.
  std::optional<std::pair<qint64, qint64>> parents(qint64 nummer);
  // The animal's first (`newest` false: earliest Vom, then Prüfstelle, then entry order) or
  // newest test record; nullopt when it has none.
  std::optional<AncestorTest> test(qint64 nummer, bool newest);
  // Father and mother of each animal found among `nummern` (up to six), in one read.
  QHash<qint64, std::pair<qint64, qint64>> parentsOf(const QList<qint64>& nummern);
  // JWEInsgesamt and WRZInsgesamt of the first test record of each animal among `nummern`
  // (up to six) that has one, in one read.
  QHash<qint64, std::pair<qint64, qint64>> firstTotals(const QList<qint64>& nummern);

 private:
  engine::Engine& engine_;
};

// The parents' and grandparents' averages of an animal's JWEInsgesamt and WRZInsgesamt, from
// each ancestor's first test record; a value of 0 is not counted, the division drops the
// fraction. Empty when no ancestor gave a value.
struct AncestorAverages {
  std::optional<qint64> elternJwe, elternWrz, grosselternJwe, grosselternWrz;
};
AncestorAverages ancestorAverages(WoolLookup& lookup, qint64 nummer);

// The judging text of a record: seven positions and the total with one decimal and a decimal
// comma, "a/b/c/d/e/f/g=total".
QString judgingText(engine::DataSet& ds);

// Parses a wool weight in grams: a number of 0 or more by the shared typed-number rules
// ("3.800" is 3800; "3.8" is refused), rounded to whole grams. Empty text gives an empty value (`ok` true); anything else that is
// no such number sets `ok` false.
std::optional<qint64> parseWoolWeight(const QString& text, bool* ok);
// Parses the points of judging position `index` (0..6): 0 up to the position's maximum, with
// a decimal comma. Same contract as parseWoolWeight.
std::optional<double> parsePositionPoints(int index, const QString& text, bool* ok);
// The refusal texts for the two parsers ("Bitte Komma als Dezimalzeichen verwenden: …" for an
// ambiguous point).
QString woolWeightRefusal(const QString& caption, const QString& text);
QString positionRefusal(int index, const QString& text);

// Attaches the rules to the data module's cursor "Angora":
//  - calculated fields SchurergebnisInsgesamt, JWE1, JWE2, JWEFilz, WRZ1, WRZ2, WRZFilz,
//    Punkte, PunkteEltern, PunkteGrosseltern, Leistungspunkte, GesamtPunkte, GesamtNote
//    (the colour of the current animal of "Hasen" decides white or coloured);
//  - a change of a judging position sets Bewertung to the sum of the seven;
//  - a change of Schurintervall, Schurergebnis1, Schurergebnis2 or Filz sets JWEInsgesamt and
//    WRZInsgesamt to the sums of the recomputed figures when there are any;
//  - before a post: a test date (Vom, Bis, UrteilAm) after today asks whether to save it
//    anyway ("Nein" keeps the record in edit mode); then the save question (message 29 when
//    System/Speichern is off), whose "Nein" cancels the change; both stop with engine::Abort;
//  - after a move while the animal card exists: fillOnArrival().
// REQUIRES: `dm` constructed and not yet open.
void attachWoolRules(store::TDatenStamm& dm);

// Fills the empty Bewertung, JWEInsgesamt, WRZInsgesamt and ancestor averages of the current
// test record and saves it without the save question when anything changed. Does nothing
// without a record or while it is being edited. Returns true when the record was written.
bool fillOnArrival(store::TDatenStamm& dm);

// "Neu": appends a test record for the current animal (not yet posted). False when there is
// no stored current animal or the engine refuses (message shown).
bool appendWoolTest(store::TDatenStamm& dm);

}  // namespace lapiro::breeding

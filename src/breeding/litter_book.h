// The litter book: the rules of the data module's cursors "Wurfbuch" (a doe's litters),
// "Jungtiere" (the litter's weighings) and the buck's views "GedeckteHaesinnen" and
// "RammlerJungtiere", plus the pure arithmetic behind their calculated fields.
//
// attachLitterRules must run between the data module's construction and its open(): it adds
// the calculated and lookup fields and sets the cursors' hooks. The returned object holds the
// counts of the current litter's young animals; it lives as long as the cursors' hooks (they
// share it), and litterBookOf() finds it again from the data module.
//
// Messages go through store::dialogs(); catalogue texts through store::messageText().
#pragma once

#include "core/points.h"

#include <QDate>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace lapiro::engine {
class Cursor;
class DataSet;
}  // namespace lapiro::engine

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {

inline constexpr int kHilfeWurfbuch = 16;
inline constexpr int kMeldungGewichteNichtBerechenbar = 108;

// --- pure arithmetic -----------------------------------------------------------------------

// Expected litter day: `decktermin` advanced by `gestationDays` with the program's day rule
// (February always 28 days). Invalid for an invalid mating day.
QDate expectedLitterDay(const QDate& decktermin, int gestationDays);

// Differenz and Mittelwert of the weight row `index` of a litter's weighings `weights` (in
// date order): the weight minus the previous one (0 on the first row), and the mean gain per
// preceding row ((weight - first weight) / index; nullopt on the first row).
struct WeightFigures {
  double differenz = 0.0;
  std::optional<double> mittelwert;
};
WeightFigures weightFigures(const std::vector<double>& weights, int index);

// A litter figure typed by the user: empty gives nullopt without error; a whole number from
// 0 to 99 is accepted; anything else fills `error` with a German message and gives nullopt.
std::optional<int> parseLitterFigure(const QString& text, QString* error);

// The question to ask before saving a litter whose litter day lies before the mating day, or
// more than 40 days after the expected litter day; empty when the dates are plausible (or one
// of them is missing).
QString implausibleLitterDayQuestion(const QDate& decktermin, const QDate& wurftag, int gestationDays);

// Missing points of a judging "(20 - Koerper2)/(15 - Fell3)/(40 - (Kopf4 + Farbe5 +
// Unterfarbe6))" in general number format; empty positions count 0.
QString judgingMissingPoints(core::Points koerper, core::Points fell, core::Points kopf, core::Points farbe,
                             core::Points unterfarbe);

// --- the rules of the data module's cursors --------------------------------------------------

class TWurfbuch {
 public:
  TWurfbuch(store::TDatenStamm& dm, shell::tsysteminfo& settings) : dm_(dm), settings_(settings) {}

  // Young animals of the current litter found by the last count (Geschlecht "1" / other).
  int foundBucks() const { return foundBucks_; }
  int foundDoes() const { return foundDoes_; }

  // Counts the young animals of the current litter and fills empty litter figures (and an
  // empty buck from the last young animal's father). Nothing happens without a litter day.
  void countYoungAnimals();

  // "H&inzufügen": posts a pending litter change and appends a new litter for the current
  // doe. Returns false when there is no current animal or the post was refused.
  bool addLitter();
  // "L&öschen": asks message 28 and deletes the current litter row (its weights and young
  // animals stay). Returns true when deleted.
  bool deleteLitter();
  // "R&ückgängig": cancels the pending litter change.
  void undoLitter();
  // The buck chosen in the search dialog becomes the litter's Kater (the row is put into
  // editing; a doe without litters gets a new one first).
  void setBuck(qint64 nummer);

  // Weight rows: "Zeile löschen" asks message 15 and deletes the current row.
  bool deleteWeightRow();

  shell::tsysteminfo& settings() { return settings_; }
  store::TDatenStamm& dataModule() { return dm_; }

  // Hooks (attached by attachLitterRules).
  void WurfbuchCalcFields();
  void WurfbuchAfterScroll();
  void WurfbuchFieldChange(const QString& field);
  void WurfbuchBeforePost();
  void WurfbuchAfterPost();
  void JungtiereCalcFields();
  void JungtiereBeforePost();
  void GedeckteHaesinnenCalcFields();
  void RammlerJungtiereCalcFields();

 private:
  engine::Cursor& wurfbuch();
  void countCheck(const QString& field);

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  int foundBucks_ = 0;
  int foundDoes_ = 0;
  bool filling_ = false;  // the system itself writes the litter figures
};

// Adds the fields and attaches the hooks; REQUIRES: `dm` constructed and not yet open.
// `settings` must outlive the data module.
std::shared_ptr<TWurfbuch> attachLitterRules(store::TDatenStamm& dm, shell::tsysteminfo& settings);
// The litter rules attached to `dm`, or null when none were attached.
TWurfbuch* litterBookOf(const store::TDatenStamm& dm);

}  // namespace lapiro::breeding

// The weight table of an animal (table Gewichtstabelle.DB): the calculated fields
// `Differenz` and `Mittelwert` of the data module's cursor "Gewichtstabelle", computed over
// the animal's rows in entry order as the second cursor "GewichtstabelleBerechnung" sees them.
#pragma once

#include <QDate>
#include <QString>

#include <vector>

namespace lapiro::store {

class TDatenStamm;

inline constexpr int kMeldungGewichtBerechnung = 131;  // the calculation cursor is not open

struct Gewichtszuwachs {
  double differenz = 0.0;   // weight minus the weight of the row before (0 for the first)
  double mittelwert = 0.0;  // (weight - first weight) / rows before (0 for the first)
};

// The gains of a series of weights in entry order.
std::vector<Gewichtszuwachs> gewichtszuwaechse(const std::vector<double>& gewichte);

// One weighing with its gains.
struct Waegung {
  qint64 nummer = 0;
  QDate datum;
  double gewicht = 0.0;
  Gewichtszuwachs zuwachs;
};
// The weighings of the animal `hase` in entry order, read through "GewichtstabelleBerechnung"
// (empty when that cursor is closed or the animal has none).
std::vector<Waegung> waegungen(TDatenStamm& dm, qint64 hase);

// Defines `Differenz` and `Mittelwert` on "Gewichtstabelle" (called while it is closed) and
// attaches their calculation. When "GewichtstabelleBerechnung" is not open the fields stay
// empty and message 131 is shown once.
void defineWeightFields(TDatenStamm& dm);
void attachWeightCalculation(TDatenStamm& dm);

}  // namespace lapiro::store

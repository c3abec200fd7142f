// The weight table of an animal (table Gewichtstabelle.DB): the calculated fields
// `Differenz` and `Mittelwert` of the data module's cursor "Gewichtstabelle", computed over
// the animal's rows in entry order as the second cursor "GewichtstabelleBerechnung" sees them.
#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

namespace lapiro::engine {
class Cursor;
}

namespace lapiro::store {

// The data module's cursors of the table: the one the card shows and the second one the
// gains are read through.
inline constexpr char16_t kGewichtCursor[] = u"Gewichtstabelle";
inline constexpr char16_t kGewichtBerechnungCursor[] = u"GewichtstabelleBerechnung";

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
// The weighings of the animal `hase` in entry order, read through `berechnung`, the cursor
// "GewichtstabelleBerechnung" (empty when it is missing or closed, or the animal has none).
std::vector<Waegung> waegungen(engine::Cursor* berechnung, qint64 hase);

// Defines `Differenz` and `Mittelwert` on `gewicht`, the cursor "Gewichtstabelle" (called
// while it is closed), and attaches their calculation; `berechnung` answers the cursor
// "GewichtstabelleBerechnung" when a row is computed. When that cursor is missing or not open
// the fields stay empty and message 131 is shown once.
void defineWeightFields(engine::Cursor& gewicht);
void attachWeightCalculation(engine::Cursor& gewicht, std::function<engine::Cursor*()> berechnung);

}  // namespace lapiro::store

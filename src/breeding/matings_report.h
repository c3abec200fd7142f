// The printout of the matings overview ("Druck" of "Verpaarungen und Würfe"): the part of the
// tree that is selected, with its statistics, A4 portrait.
#pragma once

#include "breeding/matings.h"
#include "reports/data_source.h"
#include "reports/report.h"

#include <utility>
#include <vector>

namespace lapiro::breeding {

// The node selected in the tree. Indexes are into Verpaarungen::partner, Partner::wuerfe and
// Wurf::jungtiere; -1 where not applicable.
struct Knotenauswahl {
  enum class Art { Tier, Partner, KeineVerpaarungen, Wurf, Jungtier };
  Art art = Art::Tier;
  int partner = -1;
  int wurf = -1;
  int jungtier = -1;
};

// One printed tree line.
struct Druckzeile {
  enum class Stil { Tier, Partner, Wurf, Jungtier };
  Stil stil = Stil::Jungtier;
  QString text;
  bool rammler = false;  // the colour of an animal or partner line; the prefix of a young one
  double einzug = 0;     // indent, report units (700 across the page)
};

struct Verpaarungsdruck {
  QString titel;
  std::vector<Druckzeile> zeilen;
  std::vector<std::pair<QString, QString>> statistik;  // label, value
};

// What "Druck" prints for `auswahl`. Reads the litter book for the dead young of a partner or
// a litter. Throws EngineError.
Verpaarungsdruck verpaarungsdruck(engine::Engine& engine, const Verpaarungen& v, const Knotenauswahl& auswahl);

class TReportVerpaarung : public reports::Report {
 public:
  explicit TReportVerpaarung(const Verpaarungsdruck& druck,
                             const reports::ReportFont& font = reports::ReportFont{QStringLiteral("Arial"), 10.0});
  // The tree lines as rows (fields Text, Stil, Rammler, Einzug).
  static reports::MemoryDataSource rows(const Verpaarungsdruck& druck);
};

}  // namespace lapiro::breeding

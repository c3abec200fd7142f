// The mating planner "Anpaarungsplanung" without its window: choosing bucks and does by
// breed, colour, status, birth year and whether they live, and rating every buck x doe pair:
// the offspring's coefficient over all generations (the kinship of the parents), the
// 4-generation coefficient of the inbreeding window's path rule, whether the parents' genetic
// formulas combine with the offspring's formula, each parent's best show total, and the mean
// kinship of the offspring with the living stock (the mean of the parents' MK, see
// stock_analysis.h), so that pairs which keep diversity can be preferred.
//
// Every value the user chose reaches SQLite as a bound parameter. The pedigree is the stock's
// (StockPedigree): read again whenever `Hasen` has changed.
#pragma once

#include "engine/engine.h"
#include "lineage/stock_pedigree.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace lapiro::lineage {

struct PlanTier {
  qint64 nummer = 0;
  QString tatoRechts;
  QString tatoLinks;
  QString erbformel;
  qint64 rasse = 0;
  qint64 farbe = 0;
  int status = 0;
  bool rammler = false;
  QString text() const { return tatoRechts + QStringLiteral("  ") + tatoLinks; }
};

// Which animals to offer. Unset fields do not filter.
struct PlanFilter {
  std::optional<qint64> rasse;
  std::optional<qint64> farbe;
  std::optional<int> status;
  std::optional<int> geburtsjahr;
  bool nurLebende = true;  // leaves out animals with a date of slaughter or death
};

// One rated pair; indices into the buck and doe lists given to rate().
struct PlanPaar {
  int rammler = 0;
  int haesin = 0;
  double fAlle = 0;        // over all known generations
  double f4 = 0;           // over 4 generations by the path rule
  bool formelnOk = false;  // the formulas combine
  QString formel;          // the offspring's stored formula (empty when they do not)
  std::optional<double> schauRammler;  // best show total, nullopt without one
  std::optional<double> schauHaesin;
  // Mean kinship of the offspring with the living stock by the default status choice: the
  // mean of the parents' MK. nullopt when that stock is empty.
  std::optional<double> mkNachkommen;
};

inline constexpr double kStandardSchwelle = 6.25;  // percent
inline constexpr char16_t kPlanerSektion[] = u"Anpaarungsplanung";
inline constexpr char16_t kPlanerSchwelle[] = u"Schwelle";

class MatingPlanner {
 public:
  // Borrows `engine`, which must outlive this object.
  explicit MatingPlanner(engine::Engine& engine);

  // Bucks (`rammler` true) or does matching `filter`, ordered by tattoos. Throws
  // engine::EngineError when Hasen cannot be read.
  std::vector<PlanTier> kandidaten(const PlanFilter& filter, bool rammler);
  // One animal, nullopt when there is none.
  std::optional<PlanTier> tier(qint64 nummer);
  // The filter the window starts with: status 1, living, the breed of `current` (none for 0).
  PlanFilter standardFilter(qint64 current);

  // Rates every pair, bucks outer, does inner. `progress(done, total)` is called now and then
  // and cancels the rating when it returns false (result nullopt). Loops in the stock are
  // reported once (warning) through the dialog service.
  std::optional<std::vector<PlanPaar>> rate(const std::vector<PlanTier>& rammler, const std::vector<PlanTier>& haesinnen,
                                            const std::function<bool(qint64, qint64)>& progress = {});

  // The best show total of an animal over its rows of `Ausstellung` (nullopt without one).
  std::optional<double> besteSchau(qint64 nummer);

  StockPedigree& stock() { return stock_; }

 private:
  engine::Engine& engine_;
  StockPedigree stock_;
};

// Reads a threshold typed with comma or point ("6,25"); nullopt when it is not a number
// between 0 and 100.
std::optional<double> parseSchwelle(const QString& text);

}  // namespace lapiro::lineage

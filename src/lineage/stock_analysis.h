// The stock analysis "Bestandsanalyse" without its window: which animals form the reference
// population, and for every recorded animal F over all known generations, mean kinship with
// the reference population, pedigree completeness, equivalent complete generations, offspring
// count and the ranking "für die Vielfalt behalten"; for the population the figures of
// pedigree_diversity.h (fe, fa, fg, generation interval, rate of inbreeding and Ne) and the
// means by birth year.
//
// The reference population is chosen as
//  - the living stock: the animals with one of the chosen statuses (by default those of the
//    status list that mean "own, alive", see standardStatus()) that have no date of slaughter
//    or death in VERKAUFT;
//  - the animals born in a range of years; or
//  - a given list of animal numbers (e.g. a search result); numbers without a record are left
//    out.
// Lifetime: borrows the engine; the pedigree is the stock's (StockPedigree), read again
// whenever `Hasen` has changed. Messages go through store::dialogs(): a loop in the
// parentage (warning, once) and an empty reference population (information).
#pragma once

#include "engine/engine.h"
#include "lineage/pedigree_diversity.h"
#include "lineage/stock_pedigree.h"

#include <QDate>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace lapiro::lineage {

enum class ReferenzArt { Bestand = 0, Geburtsjahre = 1, Liste = 2 };

struct ReferenzWahl {
  ReferenzArt art = ReferenzArt::Bestand;
  std::vector<int> status;       // Bestand: the statuses counted as the living stock
  int vonJahr = 0;               // Geburtsjahre: first and last year, both included
  int bisJahr = 0;
  std::vector<qint64> nummern;   // Liste
};

struct StatusEintrag {
  int nummer = 0;
  QString name;
  bool standard = false;  // counted as "own, alive" by default
};

// One recorded animal with its figures.
struct AnalyseTier {
  qint64 nummer = 0;
  QString tatoRechts;
  QString tatoLinks;
  QString name;  // IDCode
  bool rammler = false;
  QDate geburtstag;
  int status = 0;
  bool referenz = false;
  double f = 0;
  double mk = 0;
  double vollstaendigkeit = 0;  // completeness over 5 generations, 0..1
  double generationen = 0;      // equivalent complete generations
  int nachkommen = 0;
  int rang = 0;  // 1.. by rising MK among R's animals of breeding age; 0 outside the ranking
  QString text() const { return tatoRechts + QStringLiteral("  ") + tatoLinks; }
};

struct Bestandsanalyse {
  QDate stichtag;
  QString referenzText;            // the choice in words, for the summary and printout
  std::vector<AnalyseTier> tiere;  // every recorded animal, by Nummer
  PopulationFigures werte;
  ContributionResult beitraege;
  std::vector<YearFigures> jahre;
  int zuchtfaehige = 0;            // animals in the ranking
  // The first chosen ancestors (at most kHauptahnen) with their names (see ahnText()).
  struct Ahn {
    QString text;
    double grenzbeitrag = 0;  // marginal contribution
    double beitrag = 0;       // raw contribution
  };
  std::vector<Ahn> hauptahnen;
  // The animal of `nummer` in `tiere`, nullptr when there is none.
  const AnalyseTier* tier(qint64 nummer) const;
  // The name of a chosen ancestor for lists: its tattoos, or for a phantom parent the text
  // "unbekannter Elternteil von " and the tattoos of its young.
  QString ahnText(const AncestorContribution& a, const Pedigree& ped) const;
};

// Breeding age for the ranking: from 5 months up to 6 years old on the day of the analysis.
inline constexpr int kZuchtreifMonate = 5;
inline constexpr int kZuchtHoechstJahre = 6;
inline constexpr int kVollstaendigkeitGenerationen = 5;
inline constexpr int kHauptahnen = 10;

// Animals with a date of slaughter or death in VERKAUFT (empty when the table is missing).
QSet<qint64> toteTiere(engine::Engine& engine);
// The numbers of the animals with one of `status` and without such a date, rising.
std::vector<qint64> lebenderBestand(engine::Engine& engine, const std::vector<int>& status);

class StockAnalysis {
 public:
  explicit StockAnalysis(engine::Engine& engine);

  // The status list with the default choice marked: status 1 (the own stock) and every status
  // whose name says the animal is kept (Bestand, Zucht, Jungtier, eigen) and not that it left
  // (verkauft, geschlachtet, verendet, tot, gestorben, abgegeben, fremd). Empty when the table
  // is missing.
  std::vector<StatusEintrag> statusListe();
  // The living stock with the default statuses.
  ReferenzWahl standardWahl();

  // The reference population's animal numbers for `wahl`, in Nummer order.
  std::vector<qint64> referenz(const ReferenzWahl& wahl);

  // Runs the analysis as of `stichtag`. nullopt when the reference population is empty (an
  // information message says so) or when `progress` cancels. Throws engine::EngineError when
  // Hasen cannot be read.
  std::optional<Bestandsanalyse> berechne(const ReferenzWahl& wahl, const QDate& stichtag,
                                          const DiversityProgress& progress = {});

  StockPedigree& stock() { return stock_; }

 private:
  engine::Engine& engine_;
  StockPedigree stock_;
};

// The text shown for a figure that is not defined.
inline constexpr char16_t kUndefiniert[] = u"—";

// Message shown when the reference population is empty.
QString leereReferenzText();

}  // namespace lapiro::lineage

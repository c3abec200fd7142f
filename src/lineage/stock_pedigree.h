// The stock's pedigree for the coefficients over all generations: (Nummer, Vater, Mutter) of
// every row of `Hasen`, read into compact arrays, with F, the Mendelian variances and the
// equivalent complete generations of every animal.
//
// Nothing is kept that can go stale: refresh() reads `Hasen` again whenever the table has
// changed since the last read: the file's modification time (ns) and size, and while the same
// table object stays open (a cursor holds it), its version (changes through this process) and
// SQLite's data_version (changes through other connections). The table is held open only
// while refresh() runs. A parent 0 is unknown. A parent number that names no row of `Hasen`
// (deleted, or imported without its record) is one founder animal, the same wherever it is
// named, as in lapiro-coi: the coefficients, the inbreeding window and the mating planner all
// see it so.
// Loops in the recorded parentage are broken (see buildPedigree) and reported once per
// object through takeLoopReport().
#pragma once

#include "engine/engine.h"
#include "lineage/pedigree.h"

#include <QSet>
#include <QString>
#include <memory>

namespace lapiro::lineage {

class StockPedigree {
 public:
  // Borrows `engine`, which must outlive this object. Reads nothing yet.
  explicit StockPedigree(engine::Engine& engine);
  ~StockPedigree();

  // Reads `Hasen` when it was never read or has changed since. Returns true when it was read
  // anew. Throws engine::EngineError when the table cannot be opened or read; the previous
  // arrays are then kept.
  bool refresh();

  const Pedigree& pedigree() const { return ped_; }
  const std::vector<double>& f() const { return f_; }
  const std::vector<double>& d() const { return d_; }
  const std::vector<double>& generations() const { return ecg_; }

  // F of the animal with this Nummer over all known generations; 0 for an unknown animal.
  double inbreedingOf(qint64 nummer) const;
  // Its equivalent complete generations; 0 for an unknown animal.
  double generationsOf(qint64 nummer) const;
  // F of an offspring of these two animals (kinship of the parents); 0 when either is
  // unknown.
  double matingInbreeding(qint64 sire, qint64 dam) const;

  // A German text naming, with their tattoos, the loops found by reads since the last call
  // that were not reported before; empty when there are none.
  QString takeLoopReport();

 private:
  engine::Engine& engine_;
  struct Stamp {
    const void* table = nullptr;
    quint64 version = 0;
    qint64 dataVersion = -1;
    qint64 modified = 0;  // ns
    qint64 size = 0;
  };
  std::shared_ptr<engine::Table> table_;  // held only while refresh() runs
  Stamp stamp_;
  bool read_ = false;
  Pedigree ped_;
  std::vector<double> f_, d_, ecg_;
  QSet<QString> reported_;
  std::vector<BrokenLink> pendingLoops_;
};

// The display text of an animal: TatoRechts, two blanks, TatoLinks, read from `Hasen` of
// `engine`; empty when there is no such animal.
QString animalText(engine::Engine& engine, qint64 nummer);

}  // namespace lapiro::lineage

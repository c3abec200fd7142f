// The ancestor tree of the few-generation inbreeding calculation and its path rule.
//
// TBinaerbaum is a complete binary tree of depth G (the animal itself is generation 1) stored
// in ancestor-slot order: slot 0 is the animal, the father of slot s is in 2s+1, its mother in
// 2s+2. Each node keeps its child (the slot one generation nearer the animal), father, mother,
// depth, the animal's record number (0 = none) and the walk flags.
//
// inbreedingPaths() compares every occupied position X with every occupied position Y after
// it in post-order (father's subtree first, then the mother's). Equal numbers count for the
// ancestor loss (an animal on k positions adds k - 1); they make an inbreeding path when X is
// on the father's side, Y on the mother's side, and the positions one generation nearer the
// animal hold different animals. A path adds (1/2)^(n1 + n2 + 1), with n1 and n2 the
// generations from the father and from the mother to the common ancestor. The common
// ancestors' own inbreeding is not included (see pedigree.h for the coefficient that does).
#pragma once

#include <QChar>
#include <QtGlobal>

#include <list>
#include <vector>

namespace lapiro::lineage {

class TBinaerbaum {
 public:
  struct Knoten {
    int kind = -1;    // slot of the child, -1 for the root
    int vater = -1;   // slot of the father node, -1 at depth G
    int mutter = -1;  // slot of the mother node, -1 at depth G
    int tiefe = 1;    // 1 for the root, 2 for the parents, ...
    qint64 nummer = 0;
    bool bearbeitet = false;  // processed by the outer walk
    bool markiert = false;    // walk marker
    bool wiederholt = false;  // counted as a repeated ancestor
  };

  // Builds the tree of depth `generationen` (at least 1). Throws std::bad_alloc when it cannot
  // be allocated.
  explicit TBinaerbaum(int generationen);

  int generationen() const { return generationen_; }
  int knotenAnzahl() const { return static_cast<int>(knoten_.size()); }  // 2^G - 1
  int ahnenplaetze() const { return knotenAnzahl() - 1; }                 // 2^G - 2
  Knoten& operator[](int slot) { return knoten_[slot]; }
  const Knoten& operator[](int slot) const { return knoten_[slot]; }

  // The slots of the subtree below `slot` in post-order (father's line, mother's line, the
  // position), leaving out positions holding 0 and everything behind them.
  void postOrder(int slot, std::vector<int>& out) const;

 private:
  int generationen_;
  std::vector<Knoten> knoten_;
};

// A double-linked list of the calculation: the letter list (Nummer, letter) and the
// inbreeding path list (common ancestor, n1, n2, contribution) use the same entry.
class tListeInzucht {
 public:
  struct Eintrag {
    qint64 nummer = 0;
    QChar buchstabe;
    int n1 = 0;
    int n2 = 0;
    double beitrag = 0;
  };
  void anhaengen(const Eintrag& e) { liste_.push_back(e); }
  void leeren() { liste_.clear(); }
  bool leer() const { return liste_.empty(); }
  const std::list<Eintrag>& eintraege() const { return liste_; }
  // The first entry from the start with this letter, or null.
  const Eintrag* sucheBuchstabe(QChar buchstabe) const;

 private:
  std::list<Eintrag> liste_;
};

struct InzuchtErgebnis {
  tListeInzucht pfade;     // in recording order
  double koeffizient = 0;  // the sum of the contributions
  int wiederholt = 0;      // repeated positions (ancestor loss)
};

// Walks the tree as described above; resets and sets the nodes' walk flags.
InzuchtErgebnis inbreedingPaths(TBinaerbaum& baum);

}  // namespace lapiro::lineage

#include "lineage/inbreeding_tree.h"

#include <QChar>

#include <cmath>

namespace lapiro::lineage {

TBinaerbaum::TBinaerbaum(int generationen) : generationen_(generationen < 1 ? 1 : generationen) {
  const int n = (1 << generationen_) - 1;
  knoten_.resize(n);
  for (int s = 0; s < n; ++s) {
    Knoten& k = knoten_[s];
    k.kind = s == 0 ? -1 : (s - 1) / 2;
    k.tiefe = s == 0 ? 1 : knoten_[k.kind].tiefe + 1;
    if (2 * s + 2 < n) {
      k.vater = 2 * s + 1;
      k.mutter = 2 * s + 2;
    }
  }
}

void TBinaerbaum::postOrder(int slot, std::vector<int>& out) const {
  if (slot < 0 || knoten_[slot].nummer == 0) return;
  postOrder(knoten_[slot].vater, out);
  postOrder(knoten_[slot].mutter, out);
  out.push_back(slot);
}

const tListeInzucht::Eintrag* tListeInzucht::sucheBuchstabe(QChar buchstabe) const {
  for (const Eintrag& e : liste_)
    if (e.buchstabe == buchstabe) return &e;
  return nullptr;
}

InzuchtErgebnis inbreedingPaths(TBinaerbaum& baum) {
  InzuchtErgebnis result;
  for (int s = 0; s < baum.knotenAnzahl(); ++s) {
    baum[s].bearbeitet = baum[s].markiert = baum[s].wiederholt = false;
  }
  if (baum.knotenAnzahl() < 3) return result;
  std::vector<int> order;
  baum.postOrder(1, order);
  const size_t fatherSide = order.size();
  baum.postOrder(2, order);

  for (size_t x = 0; x < order.size(); ++x) {
    TBinaerbaum::Knoten& kx = baum[order[x]];
    kx.bearbeitet = true;
    for (size_t y = x + 1; y < order.size(); ++y) {
      TBinaerbaum::Knoten& ky = baum[order[y]];
      if (ky.nummer != kx.nummer) continue;
      ky.markiert = true;
      if (!kx.wiederholt || !ky.wiederholt) {
        kx.wiederholt = ky.wiederholt = true;
        ++result.wiederholt;
      }
      if (x < fatherSide && y >= fatherSide && baum[kx.kind].nummer != baum[ky.kind].nummer) {
        tListeInzucht::Eintrag e;
        e.nummer = kx.nummer;
        e.n1 = kx.tiefe - 2;
        e.n2 = ky.tiefe - 2;
        e.beitrag = std::ldexp(1.0, -(e.n1 + e.n2 + 1));
        result.koeffizient += e.beitrag;
        result.pfade.anhaengen(e);
      }
    }
  }
  return result;
}

}  // namespace lapiro::lineage

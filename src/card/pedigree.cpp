#include "card/pedigree.h"

#include "store/animal_dependants.h"
#include "store/data_module.h"

#include <algorithm>

namespace lapiro::card {

int pedigreeGeneration(int slot) {
  int g = 0;
  for (int s = slot + 1; s > 1; s >>= 1) ++g;
  return g;
}

bool fatherSide(int slot) {
  if (slot <= 0) return false;
  // Walk back to generation 1: the father is slot 1.
  while (slot > 2) slot = (slot - 1) / 2;
  return slot == 1;
}

namespace {

void fill(store::TDatenStamm& dm, PedigreeBoxes& boxes, int slot, qint64 nummer,
          const shell::PedigreeItemOrder& order, int lastSlot) {
  if (slot > lastSlot || nummer <= 0) return;
  qint64 vater = 0;
  qint64 mutter = 0;
  QStringList lines = dm.ancestorBoxText(nummer, order, &vater, &mutter);
  if (lines.isEmpty()) {
    // A parent number without a record (the animal was deleted; its young keep the number)
    // is one unknown animal: its box says so, and every box naming the same number is marked
    // as the same ancestor. Nothing is known behind it.
    const engine::Cursor* stammbaum = dm.cursor(QStringLiteral("Stammbaum"));
    if (!stammbaum || !stammbaum->isOpen()) return;
    boxes[slot].lines = QStringList{store::deletedAnimalText(nummer)};
    boxes[slot].nummer = nummer;
    return;
  }
  boxes[slot].lines = std::move(lines);
  boxes[slot].nummer = nummer;
  fill(dm, boxes, 2 * slot + 1, vater, order, lastSlot);
  fill(dm, boxes, 2 * slot + 2, mutter, order, lastSlot);
}

}  // namespace

PedigreeBoxes buildPedigree(store::TDatenStamm& dm, qint64 vater, qint64 mutter,
                            const shell::PedigreeItemOrder& order, int generations) {
  PedigreeBoxes boxes;
  const int lastSlot = (1 << (std::clamp(generations, 1, kPedigreeGenerations) + 1)) - 2;
  fill(dm, boxes, 1, vater, order, lastSlot);
  fill(dm, boxes, 2, mutter, order, lastSlot);
  markRepeatedAncestors(boxes);
  return boxes;
}

void markRepeatedAncestors(PedigreeBoxes& boxes) {
  int group = 1;
  for (int i = 1; i <= kPedigreeBoxes - 2; ++i) {
    PedigreeBox& first = boxes[i];
    if (first.lines.isEmpty() || first.group != 0) continue;
    bool matched = false;
    for (int k = i + 1; k <= kPedigreeBoxes; ++k) {
      PedigreeBox& other = boxes[k];
      if (other.lines.isEmpty() || other.group != 0 || other.nummer != first.nummer) continue;
      other.group = group;
      matched = true;
    }
    if (matched) {
      first.group = group;
      ++group;
    }
  }
}

const std::array<QColor, 30>& pedigreePalette() {
  static const std::array<QColor, 30> palette = [] {
    const quint32 rgb[30] = {0x00FF00, 0x00FFFF, 0xFFFF00, 0xFF00FF, 0x008000, 0x800080, 0xFF0000, 0x008080,
                             0x808080, 0x5945FF, 0x384976, 0x824500, 0x037040, 0x004065, 0xFF8040, 0xFF0080,
                             0x8080FF, 0x80FFD9, 0x8FE09B, 0x675521, 0x860569, 0x962803, 0x805661, 0xDADD93,
                             0xCCA884, 0xEC724A, 0xE4CE82, 0xA2A345, 0x2FAD50, 0xCFED30};
    std::array<QColor, 30> p;
    for (int i = 0; i < 30; ++i) p[i] = QColor::fromRgb(rgb[i]);
    return p;
  }();
  return palette;
}

QColor pedigreeGroupColour(int group) {
  if (group <= 0) return Qt::white;
  if (group <= 30) return pedigreePalette()[group - 1];
  return QColor(0xC0, 0xC0, 0xC0);
}

PedigreeLayout pedigreeLayout(const QSize& page) {
  PedigreeLayout layout;
  const int v = std::max(page.height(), 318) - 20;
  const int unit = v / 16;
  const int heights[6] = {0, 5 * unit, 4 * unit + 2, 2 * unit + 1, unit + 1, v / 32};
  layout.fifthGeneration = v / 32 >= 15;
  const int columns = layout.fifthGeneration ? 5 : 4;
  const int gap = 6;
  const int margin = 4;
  const int width = std::max(20, (page.width() - 2 * margin - (columns - 1) * gap) / columns);

  // Centres: generation 5 evenly spaced over V, every other box midway between its parents.
  std::array<double, kPedigreeBoxes + 1> centre{};
  for (int s = 31; s <= 62; ++s) centre[s] = 10.0 + (s - 31) * (v / 32.0) + v / 64.0;
  for (int s = 30; s >= 1; --s) centre[s] = (centre[2 * s + 1] + centre[2 * s + 2]) / 2.0;

  for (int s = 1; s <= kPedigreeBoxes; ++s) {
    const int g = pedigreeGeneration(s);
    if (g == 5 && !layout.fifthGeneration) continue;
    const int h = heights[g];
    const int x = margin + (g - 1) * (width + gap);
    layout.rects[s] = QRect(x, static_cast<int>(centre[s] - h / 2.0 + 0.5), width, h);
  }
  return layout;
}

}  // namespace lapiro::card

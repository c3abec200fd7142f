// The pedigree of one animal over five generations, without widgets: the 62 ancestor boxes
// with their texts and record numbers, the colour groups of repeated ancestors and the
// on-screen layout of the boxes.
//
// Slots: the animal itself is slot 0; the father of the animal in slot s is in slot 2s+1,
// its mother in 2s+2. Slots 1..62 are the boxes; generation g holds slots 2^g-1 .. 2^(g+1)-2.
#pragma once

#include "shell/system_info.h"

#include <QColor>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <array>

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::card {

inline constexpr int kPedigreeBoxes = 62;
inline constexpr int kPedigreeGenerations = 5;

// Generation of a slot (1 for slots 1 and 2 … 5 for slots 31..62; 0 for slot 0).
int pedigreeGeneration(int slot);
// True for the father's side (slots 1, 3, 4, 7–10, 15–22, 31–46).
bool fatherSide(int slot);

struct PedigreeBox {
  QStringList lines;  // empty: the slot holds no known animal
  qint64 nummer = 0;  // record number of the animal shown; 0 when empty
  int group = 0;      // colour group of a repeated ancestor (1, 2, …); 0 = white
};

// Index 0 is the animal itself (never filled); 1..62 the boxes.
using PedigreeBoxes = std::array<PedigreeBox, kPedigreeBoxes + 1>;

// Fills the boxes of the animal whose parents are `vater` and `mutter`: walks depth first,
// father before mother, through the data module's cursor "Stammbaum" and its ancestor box
// text with the item order `order`. A parent that is 0 leaves its box and every box behind
// it empty; a parent number without a record (a deleted animal) fills its box with the one
// line "gelöscht (Nr. n)" and that number, and leaves the boxes behind it empty. The walk ends at generation 5, so a loop in recorded parentage (an
// animal listed as its own ancestor) is walked at most five deep and never hangs. Marks the
// repeated ancestors. Never throws; the card's cursor "Hasen" does not move. `generations`
// (1..5) ends the walk earlier, for printouts that show fewer generations.
PedigreeBoxes buildPedigree(store::TDatenStamm& dm, qint64 vater, qint64 mutter,
                            const shell::PedigreeItemOrder& order, int generations = kPedigreeGenerations);

// Gives every animal that fills more than one box a colour group: for box i = 1..60 with
// lines and still white, every later box k with lines, still white and the same record number
// joins box i in group j; j counts up after each group found. Groups are numbered from 1 in
// the order of their first box.
void markRepeatedAncestors(PedigreeBoxes& boxes);

// The 30 colours of the groups, in order of use.
const std::array<QColor, 30>& pedigreePalette();
// Colour of group `group`: white for 0, the palette for 1..30 and silver (C0C0C0) for every
// further group, which stands out as repeated without claiming a palette colour of its own.
QColor pedigreeGroupColour(int group);

// Where the boxes go on a page of `page` pixels. Generations are columns from left to right;
// each box is centred vertically between its two parents. With V = height − 20 (a page
// height under 318 counts as 318) box heights are 5·(V/16) for generation 1, 4·(V/16)+2,
// 2·(V/16)+1, V/16+1 and V/32 for generation 5, which is shown only when V/32 ≥ 15 (a page
// of 500 pixels or more). Rects of hidden boxes are empty.
struct PedigreeLayout {
  std::array<QRect, kPedigreeBoxes + 1> rects{};  // index = slot; [0] unused
  bool fifthGeneration = false;
};
PedigreeLayout pedigreeLayout(const QSize& page);

}  // namespace lapiro::card

// The text of a pedigree box: the pieces of the data module's operation "ancestor box text"
// that need no table, so they can be checked on their own.
#pragma once

#include "core/points.h"

#include <QString>
#include <QStringList>

#include <list>

namespace lapiro::store {

// The show totals of one animal, kept ascending: a new value goes before the first value that
// is greater or equal.
class tBewListe {
 public:
  // Adds a total. Returns false when the node could not be allocated (nothing is added).
  bool add(core::Points total);
  bool empty() const { return values_.empty(); }
  // The totals from the greatest to the smallest.
  QStringList descendingTexts() const;

 private:
  std::list<core::Points> values_;
};

// The show-score text of an animal: the totals from the greatest to the smallest with two
// decimals (decimal comma) joined by " /", then " /" and the young-animal ratings (already
// joined by " /"); the separator between the two parts only when both are non-empty.
QString showScoreText(const tBewListe& scores, const QString& youngRatings);

// Line 1 of every box: right tattoo, two blanks, left tattoo, " {" + Nummer + "}".
QString ancestorTitleLine(const QString& rechts, const QString& links, qint64 nummer);

// "Name, Vorname", or the name alone when the first name is empty.
QString personName(const QString& name, const QString& vorname);

}  // namespace lapiro::store

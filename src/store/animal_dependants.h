// What refers to an animal: its young, its litters and the buck judgings that name it. Asked
// before an animal is deleted, so that the question can say what will point to a number that
// no longer exists (the references are kept; pedigrees show such a number as deleted).
#pragma once

#include <QString>

namespace lapiro::engine {
class Engine;
}

namespace lapiro::store {

struct AnimalDependants {
  int young = 0;     // animals naming it as father or mother
  int litters = 0;   // litter-book rows naming it as doe or buck
  int judgings = 0;  // buck judgings naming it as the buck or as one of the two does
  bool any() const { return young > 0 || litters > 0 || judgings > 0; }
};

// Counts what refers to the animal `nummer`. A table that is missing counts 0. Throws
// engine::EngineError when a table cannot be read.
AnimalDependants dependantsOf(engine::Engine& engine, qint64 nummer);

// The delete question for an animal with dependants, e.g. "Diese Häsin ist Mutter von 5
// Tieren, steht in 1 Wurf und 1 Körung. Trotzdem löschen?" or "Dieser Rammler ist Vater von
// 1 Tier. Trotzdem löschen?"; empty when nothing depends on it.
QString deleteQuestion(bool buck, const AnimalDependants& d);

// The text shown where a parent's record is missing: "gelöscht (Nr. 302)".
QString deletedAnimalText(qint64 nummer);

}  // namespace lapiro::store

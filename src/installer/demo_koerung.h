// The buck judging of the demo stock: herd-book judgings ("Körung vom Herdbuch") of the young
// of a few bucks' litters in the last breeding year, and one saved Körung with its Körnote.
#pragma once

#include "engine/engine.h"
#include "installer/demo_options.h"

namespace lapiro::installer {

struct DemoKoerungSummary {
  int bucks = 0;       // bucks whose young were judged
  int judgings = 0;    // judging rows added
  qint64 savedBuck = 0;  // the buck with a saved Körung (0: none)
  int koernote = 0;
};

// The judging day of the demo: 10 October of the year in which the breeding year of
// `lastDay` ends (lastDay itself when that is earlier).
QDate demoKoerungDay(const QDate& lastDay);

// Judges the young of the litters (at least three reared, born from the breeding year's
// start to three months before the judging day) of up to three bucks with two or more such
// litters, and saves the Körung of the first. The judging day is that of the newest of the
// last four breeding years with such a buck. Deterministic.
// PRECONDITION: the demo stock's animals, litters and shows are written. Throws
// engine::EngineError.
DemoKoerungSummary writeDemoKoerung(engine::Engine& engine, const DemoStockOptions& options);

}  // namespace lapiro::installer

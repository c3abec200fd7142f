// The demo stock of lapiro-install --demo: a realistic, deterministic breeding stock over many
// generations, with everything the program shows around the animals.
//
// What it writes (all numbers follow from the options alone, so two runs with the same
// options give byte-identical table files):
//   - Adresse: the demo breeder, other breeders with their club marks, buyers, judges, vets;
//   - Hasen: founders (bought in, or stud bucks of other breeders) with one-letter genetic
//     formulas, then the young of every litter in order of birth; left tattoo
//     "month.yy.running number" of the birth date, right tattoo the breeder's club mark;
//     formulas derived from the parents; status from the animal's fate;
//   - VERKAUFT: purchases, sales, slaughter and deaths;
//   - Wurfbuch.DB: every mating with Decktermin, Wurftag 31 days later, Kater and the litter
//     counts (a few recent matings without a litter yet), Jungtiere: litter weighings;
//   - Gewichtstabelle.DB and Angora (created when missing): weighings and wool tests;
//   - Ausstellung: show results with points, young-animal evaluations and judgings;
//   - BUCHUNG: a cash book with transfers, and the balances of KONTEN.DB kept consistent;
//   - eigen.DB: the demo breeder's own data.
//   - then the health records, breeder register and clubs of demo_health.h (Impfung created).
#pragma once

#include <QDate>
#include <QString>

#include "engine/engine.h"
#include "installer/demo_options.h"

namespace lapiro::installer {

struct DemoStockSummary {
  int animals = 0;
  int founders = 0;
  int litters = 0;         // rows of Wurfbuch.DB
  int generations = 0;     // founders count as the first generation
  int relatedMatings = 0;  // litters whose parents share a parent or a grandparent
  int addresses = 0;
  int showResults = 0;
  int weighings = 0;  // rows of Gewichtstabelle.DB
  int woolTests = 0;
  int bookings = 0;
};

// Writes the demo stock into the data directory of `engine`'s alias "Hase".
// PRECONDITION: the installation's tables exist there, the lookup rows of content.h are
// loaded (breeds, colours, status codes, show titles, accounts and categories) and every
// table the demo writes is otherwise empty. Gewichtstabelle.DB and Angora are created from
// the catalogue when missing.
// Throws engine::EngineError on a failure of the engine; tables already written stay written
// (the installer builds into a temporary directory and discards it).
DemoStockSummary writeDemoStock(engine::Engine& engine, const DemoStockOptions& options);

}  // namespace lapiro::installer

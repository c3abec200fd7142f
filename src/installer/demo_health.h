// The demo rows of the health records, the breeder register and the clubs, written after the
// demo stock's animals (deterministic: the same options give the same rows).
//   - APOTHEKE: a few products in stock with expiry dates, beside the installed entries;
//   - MedizienHase, Impfung (created when missing), Desinfektion.db, Insektenbek: treatments,
//     vaccinations twice a year for the own living stock, stable hygiene; the first animal of
//     the own stock carries a long history of 50 health rows;
//   - ZWINGREG.DB: one breeder per ten animals (at least 60), VEREINE.DB: the clubs.
#pragma once

#include "engine/engine.h"
#include "installer/demo_options.h"

namespace lapiro::installer {

struct DemoHealthSummary {
  int treatments = 0;
  int vaccinations = 0;
  int hygieneRows = 0;  // disinfections and insect treatments
  int breeders = 0;
  int clubs = 0;
  qint64 longHistoryAnimal = 0;  // Nummer of the animal with 50 health rows
};

// PRECONDITION: Hasen holds the demo animals; the health, register and club tables are empty.
// Throws engine::EngineError.
DemoHealthSummary writeDemoHealthAndRegister(engine::Engine& engine, const DemoStockOptions& options);

}  // namespace lapiro::installer

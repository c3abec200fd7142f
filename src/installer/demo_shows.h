// The show tables of the demo stock that the animals' show results leave empty: the show
// calendar AUSSTELT.DB and a saved entry form in the data directory.
#pragma once

#include "engine/engine.h"

#include <QDate>

namespace lapiro::installer {

// Writes a season of shows around `lastDay` into AUSSTELT.DB (some past, most ahead) and
// saves an entry form "<date> Kreisschau.mel" for the first coming county show with the
// newest animals of the own stock (status 1) of the demo breeder (eigen.DB). Deterministic.
// PRECONDITION: Hasen, eigen.DB and an empty AUSSTELT.DB exist. Throws engine::EngineError.
void writeDemoShowCalendarAndForm(engine::Engine& engine, const QDate& lastDay);

}  // namespace lapiro::installer

// Demo pictures: a few small generated JPEG photos of rabbits in the folder "Bilder" of the
// data directory, linked by a path relative to the data directory to animals of the own stock (table Bilder), so that a new user sees
// the gallery and the master-data picture filled. Some photos are stored turned, as a phone
// stores them, with the EXIF orientation that stands them upright.
#pragma once

#include "engine/engine.h"

#include <QString>

namespace lapiro::installer {

// Writes the photos into "Bilder" below the engine's data directory and links them. Returns the number
// of links written. PRECONDITION: Hasen holds the demo animals. Throws engine::EngineError; a
// folder that cannot be written gives no links.
int writeDemoPictures(engine::Engine& engine);

}  // namespace lapiro::installer

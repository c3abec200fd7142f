// Demo pictures: a few small generated JPEG photos of rabbits in a folder of the program
// directory, linked by path to animals of the own stock (table Bilder), so that a new user sees
// the gallery and the master-data picture filled. Some photos are stored turned, as a phone
// stores them, with the EXIF orientation that stands them upright.
#pragma once

#include "engine/engine.h"

#include <QString>

namespace lapiro::installer {

// Writes the photos into `pictureDir` (created when missing) and links them. Returns the number
// of links written. PRECONDITION: Hasen holds the demo animals. Throws engine::EngineError; a
// folder that cannot be written gives no links.
int writeDemoPictures(engine::Engine& engine, const QString& pictureDir);

}  // namespace lapiro::installer

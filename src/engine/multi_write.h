// One write transaction across several table files.
//
// Each table is a file of its own; a change that must land in several of them at once (an
// animal record and the litter it belongs to) runs here: the files are attached to one
// connection of its own and `work` writes through it between BEGIN IMMEDIATE and COMMIT.
// SQLite commits the attached files atomically (journal_mode=DELETE), so a failure or a
// killed process leaves every file as it was or all of them changed.
#pragma once

#include "engine/sqlite_util.h"

#include <QStringList>

#include <functional>

namespace lapiro::engine {

class Engine;

// `work` gets the connection and, per table of `tables`, its qualified SQL name
// ("t0"."Hasen"). Anything `work` throws rolls everything back and is rethrown. After the
// commit every cursor of this process on these tables is told that the data changed.
// Throws EngineError when a table file is missing or cannot be locked.
void writeAcrossTables(Engine& engine, const QStringList& tables,
                       const std::function<void(sqlite3* db, const QStringList& names)>& work);

}  // namespace lapiro::engine

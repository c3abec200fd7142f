// German texts for the SQLite errors a user can meet (disk full, write error, file cannot be
// opened, read-only file). The one place where SQLite result codes become user messages: the
// engine's errors and the backup and restore use it; SQLite's own English text is kept only as
// a detail line below the German one.
#pragma once

#include <QString>

namespace lapiro::engine {

// The German message for result code `rc` (primary or extended) of a failure on table file
// `table` (a file name, may be empty). Empty for a code without a German text of its own.
QString sqliteErrorGerman(int rc, const QString& table);

// The full user message: the German text (or "Datenbankfehler." for other codes), then
// "Technische Angabe: <sqliteText>" on a line of its own when `sqliteText` is not empty.
QString sqliteErrorMessage(int rc, const QString& table, const QString& sqliteText);

}  // namespace lapiro::engine

// Writing whole files so that a failure never costs the old content.
//
// Every file the program or the installer writes outside the table engine (the settings
// files, the help pages, exports) goes through writeFileSafely(): the new content is written
// to a temporary file beside the target, every write, the flush to disk and the close are
// checked, and only then is the temporary file renamed over the target. On any failure the
// temporary file is removed, the target keeps its old content (or stays absent), and the
// caller gets a German reason to show the user.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace lapiro::core {

// Writes `bytes` to `path` as described above. The directory must exist. A new file gets the
// permissions of the file it replaces, or 0666 less the umask. Returns true on success;
// otherwise false with `*error` (when given) set to a German text naming the file and the
// system's reason, e.g. "Die Datei /x/LapiroMan.ini kann nicht geschrieben werden: Auf dem
// Gerät ist kein Speicherplatz mehr verfügbar".
bool writeFileSafely(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The steps of writeFileSafely() at which a test may inject a failure.
enum class WriteStep { Open, Write, Sync, Close, Rename };

// Test seam: when set, called before each step; a non-zero return is taken as that step
// failing with this errno value (ENOSPC for a full disk). Pass nullptr to remove it.
void setWriteFaultForTesting(std::function<int(WriteStep)> fault);

// The prefix of the temporary files writeFileSafely() leaves only when the process is killed
// while writing: "." + file name + ".neu-". Callers that clean up after an interrupted run
// remove files that begin with it.
QString temporaryPrefix(const QString& fileName);

}  // namespace lapiro::core

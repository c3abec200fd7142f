// The command "Textverarbeitung": which program to start for the breeder's letters.
//
// The setting System/Textverarbeitung holds a command line. Empty, or the old default
// "Write.exe" (a program that does not exist on this platform), means the desktop's own text
// editor: `xdg-open` on a new, empty text file in the user's documents folder, where the user
// finds it again. Any other value is
// split like a shell command line and its program looked up on PATH (or taken as a path).
// Nothing is started here; the window starts the result detached and shows `error` when it
// is not empty or the start fails.
#pragma once

#include <QString>
#include <QStringList>

namespace lapiro::shell {

struct WordProcessorLaunch {
  QString program;    // absolute path of the program to start
  QStringList args;
  QString error;      // German message when there is nothing to start; empty otherwise
  bool ok() const { return error.isEmpty(); }
};

// Resolves the setting as described above. For the desktop editor a new empty file
// "Text <n>.txt" (n = 1, 2, ... the first free one) is created in `documentsDir` (made when
// missing; the program passes paths::documentsDir()); failing to create it is reported in
// `error`.
WordProcessorLaunch resolveWordProcessor(const QString& setting, const QString& documentsDir);

// The message shown when a resolved program could not be started.
QString wordProcessorStartFailed(const QString& program);

}  // namespace lapiro::shell

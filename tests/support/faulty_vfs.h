// A SQLite file layer for tests: wraps the default one and makes every write to chosen files
// fail with a chosen result code, as a full or failing disk does (SQLITE_FULL,
// SQLITE_IOERR_WRITE). While it lives it is SQLite's default, so connections opened by the
// code under test use it.
#pragma once

#include <QByteArray>
#include <QString>

namespace lapiro::test {

class FaultyVfs {
 public:
  // Writes to files whose path ends with `fileSuffix` fail with `rc`.
  FaultyVfs(const QString& fileSuffix, int rc);
  ~FaultyVfs();
  FaultyVfs(const FaultyVfs&) = delete;
  FaultyVfs& operator=(const FaultyVfs&) = delete;
};

}  // namespace lapiro::test

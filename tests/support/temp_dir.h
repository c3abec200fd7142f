// A temporary data directory for one test, removed when the test ends.
#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace lapiro::test {

class TempDir {
 public:
  TempDir() : dir_(QDir::tempPath() + QStringLiteral("/lapiro-test-XXXXXX")) {}
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }
  bool valid() const { return dir_.isValid(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace lapiro::test

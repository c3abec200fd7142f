#include "support/faulty_vfs.h"

#include <QFile>

#include <sqlite3.h>

#include <cstring>

namespace lapiro::test {

namespace {

sqlite3_vfs* real = nullptr;
sqlite3_vfs wrapper;
QByteArray failingSuffix;
int failingRc = SQLITE_OK;

// The wrapper's file: its methods, then the real file right behind it.
struct File {
  sqlite3_file base;
  bool failing;
  sqlite3_file* inner() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
File* self(sqlite3_file* f) { return reinterpret_cast<File*>(f); }

int xClose(sqlite3_file* f) { return self(f)->inner()->pMethods->xClose(self(f)->inner()); }
int xRead(sqlite3_file* f, void* p, int n, sqlite3_int64 o) { return self(f)->inner()->pMethods->xRead(self(f)->inner(), p, n, o); }
int xWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
  if (self(f)->failing) return failingRc;
  return self(f)->inner()->pMethods->xWrite(self(f)->inner(), p, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
  if (self(f)->failing) return failingRc;
  return self(f)->inner()->pMethods->xTruncate(self(f)->inner(), size);
}
int xSync(sqlite3_file* f, int flags) { return self(f)->inner()->pMethods->xSync(self(f)->inner(), flags); }
int xFileSize(sqlite3_file* f, sqlite3_int64* size) { return self(f)->inner()->pMethods->xFileSize(self(f)->inner(), size); }
int xLock(sqlite3_file* f, int l) { return self(f)->inner()->pMethods->xLock(self(f)->inner(), l); }
int xUnlock(sqlite3_file* f, int l) { return self(f)->inner()->pMethods->xUnlock(self(f)->inner(), l); }
int xCheckReservedLock(sqlite3_file* f, int* out) { return self(f)->inner()->pMethods->xCheckReservedLock(self(f)->inner(), out); }
int xFileControl(sqlite3_file* f, int op, void* arg) { return self(f)->inner()->pMethods->xFileControl(self(f)->inner(), op, arg); }
int xSectorSize(sqlite3_file* f) { return self(f)->inner()->pMethods->xSectorSize(self(f)->inner()); }
int xDeviceCharacteristics(sqlite3_file* f) { return self(f)->inner()->pMethods->xDeviceCharacteristics(self(f)->inner()); }

// Version 1 methods: no shared memory, so no WAL (the program uses rollback journals).
const sqlite3_io_methods methods = {1,     xClose,     xRead,      xWrite,        xTruncate,          xSync,
                                    xFileSize, xLock,  xUnlock,    xCheckReservedLock, xFileControl, xSectorSize,
                                    xDeviceCharacteristics, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
  File* file = self(f);
  file->base.pMethods = nullptr;
  const int rc = real->xOpen(real, name, file->inner(), flags, outFlags);
  if (rc != SQLITE_OK) return rc;
  const QByteArray path = name ? QByteArray(name) : QByteArray();
  file->failing = !failingSuffix.isEmpty() && path.endsWith(failingSuffix);
  file->base.pMethods = &methods;
  return SQLITE_OK;
}

}  // namespace

FaultyVfs::FaultyVfs(const QString& fileSuffix, int rc) {
  real = sqlite3_vfs_find(nullptr);
  failingSuffix = QFile::encodeName(fileSuffix);
  failingRc = rc;
  wrapper = *real;
  wrapper.iVersion = 1;
  wrapper.zName = "lapiro-test-faulty";
  wrapper.szOsFile = int(sizeof(File)) + real->szOsFile;
  wrapper.xOpen = xOpen;
  wrapper.pNext = nullptr;
  sqlite3_vfs_register(&wrapper, 1);
}

FaultyVfs::~FaultyVfs() {
  sqlite3_vfs_unregister(&wrapper);
  sqlite3_vfs_register(real, 1);
}

}  // namespace lapiro::test

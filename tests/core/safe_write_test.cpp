// Whole-file writes that keep the old content whenever any step fails.
#include "core/safe_write.h"

#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace lapiro::test {

using core::WriteStep;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

struct FaultGuard {
  explicit FaultGuard(std::function<int(WriteStep)> f) { core::setWriteFaultForTesting(std::move(f)); }
  ~FaultGuard() { core::setWriteFaultForTesting(nullptr); }
};

}  // namespace

TEST(SafeWrite, ReplacesTheContentAndKeepsTheFilePermissions) {
  TempDir tmp;
  const QString path = tmp.file(QStringLiteral("LapiroMan.ini"));
  ASSERT_TRUE(core::writeFileSafely(path, "[System]\nHilfe=1\n"));
  ::chmod(QFile::encodeName(path).constData(), 0640);
  QString error;
  ASSERT_TRUE(core::writeFileSafely(path, "[System]\nHilfe=0\n", &error)) << error.toStdString();
  EXPECT_EQ(readAll(path), QByteArray("[System]\nHilfe=0\n"));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(entries(tmp.path()), QStringList{QStringLiteral("LapiroMan.ini")});
}

// A full disk can show at any step: in a write, only at the flush to disk, at the close or
// at the rename. Each keeps the old file, leaves no temporary file and names file and reason.
TEST(SafeWrite, AFailureAtAnyStepKeepsTheOldFileAndSaysWhy) {
  for (const WriteStep failing :
       {WriteStep::Open, WriteStep::Write, WriteStep::Sync, WriteStep::Close, WriteStep::Rename}) {
    SCOPED_TRACE(static_cast<int>(failing));
    TempDir tmp;
    const QString path = tmp.file(QStringLiteral("XVUPD.ini"));
    ASSERT_TRUE(core::writeFileSafely(path, "alt"));
    QString error;
    {
      FaultGuard fault([failing](WriteStep s) { return s == failing ? ENOSPC : 0; });
      EXPECT_FALSE(core::writeFileSafely(path, QByteArray(5000, 'x'), &error));
    }
    EXPECT_EQ(readAll(path), QByteArray("alt"));
    EXPECT_EQ(entries(tmp.path()), QStringList{QStringLiteral("XVUPD.ini")});
    EXPECT_TRUE(error.contains(QStringLiteral("XVUPD.ini"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << error.toStdString();
  }
}

// A real short write: the file size limit makes write() fail part-way, as a full disk does.
TEST(SafeWrite, AShortWriteOnARealFileKeepsTheOldFileAndANewOneAbsent) {
  TempDir tmp;
  const QString kept = tmp.file(QStringLiteral("kept.txt"));
  ASSERT_TRUE(core::writeFileSafely(kept, "vorher"));
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool replaced = core::writeFileSafely(kept, QByteArray(10000, 'y'));
  const bool created = core::writeFileSafely(tmp.file(QStringLiteral("neu.txt")), QByteArray(10000, 'y'));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(replaced);
  EXPECT_FALSE(created);
  EXPECT_EQ(readAll(kept), QByteArray("vorher"));
  EXPECT_EQ(entries(tmp.path()), QStringList{QStringLiteral("kept.txt")});
}

}  // namespace lapiro::test

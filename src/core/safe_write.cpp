#include "core/safe_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lapiro::core {

namespace {

std::function<int(WriteStep)>& faultHook() {
  static std::function<int(WriteStep)> hook;
  return hook;
}

// Runs the injected fault for `step`, if any: returns true (with errno set) when it fails.
bool injected(WriteStep step) {
  const auto& hook = faultHook();
  if (!hook) return false;
  const int err = hook(step);
  if (err == 0) return false;
  errno = err;
  return true;
}

QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool fail(QString* error, const QString& path, int err) {
  if (error)
    *error = QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
                 .arg(QDir::toNativeSeparators(path), systemReason(err));
  return false;
}

}  // namespace

void setWriteFaultForTesting(std::function<int(WriteStep)> fault) { faultHook() = std::move(fault); }

QString temporaryPrefix(const QString& fileName) { return u'.' + fileName + QStringLiteral(".neu-"); }

bool writeFileSafely(const QString& path, const QByteArray& bytes, QString* error) {
  const QFileInfo info(path);
  const QString dir = info.absolutePath();
  QByteArray tmpl = QFile::encodeName(dir + u'/' + temporaryPrefix(info.fileName()) + QStringLiteral("XXXXXX"));

  int fd = injected(WriteStep::Open) ? -1 : ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) return fail(error, path, errno);
  const auto discard = [&](int err) {
    if (fd >= 0) ::close(fd);
    ::unlink(tmpl.constData());
    return fail(error, path, err);
  };

  // The permissions of the file being replaced, else the usual ones for a new file.
  struct stat old {};
  mode_t mode = 0;
  if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) return discard(errno);

  qsizetype done = 0;
  while (done < bytes.size()) {
    if (injected(WriteStep::Write)) return discard(errno);
    const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return discard(errno);
    }
    if (n == 0) return discard(ENOSPC);
    done += n;
  }
  // A full disk may show only here (delayed allocation, network file systems).
  if (injected(WriteStep::Sync) || ::fsync(fd) != 0) return discard(errno);
  const int closeResult = injected(WriteStep::Close) ? -1 : ::close(fd);
  fd = -1;
  if (closeResult != 0) return discard(errno);
  if (injected(WriteStep::Rename) || ::rename(tmpl.constData(), QFile::encodeName(path).constData()) != 0)
    return discard(errno);

  // Make the rename itself durable; a failure here no longer endangers either content.
  const int dirFd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace lapiro::core

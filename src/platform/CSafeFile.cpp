#include "platform/CSafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool Fail(QString* pReason, int nErr) {
  if (pReason != nullptr) *pReason = QString::fromLocal8Bit(std::strerror(nErr));
  return false;
}

}  // namespace

bool CSafeFile::Write(const QString& strPath, std::span<const std::uint8_t> bytes,
                      QString* pReason) {
  const QFileInfo info(strPath);
  if (info.isDir()) return Fail(pReason, EISDIR);
  const QByteArray target = QFile::encodeName(info.absoluteFilePath());
  QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                      QStringLiteral(".XXXXXX"));
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Fail(pReason, errno);

  // The new file gets the mode of the file it replaces, or the usual mode of a new file.
  struct stat st {};
  if (::stat(target.constData(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }

  const auto* p = bytes.data();
  std::size_t left = bytes.size();
  int err = 0;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (n == 0) {
      err = EIO;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.constData(), target.constData()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.constData());
    return Fail(pReason, err);
  }
  return true;
}

// Saving through a temporary file: the target is replaced only by a complete file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "platform/CSafeFile.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<std::uint8_t> Bytes(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 7);
  return v;
}

}  // namespace

TEST(SafeFile, WritesAndReplacesKeepingTheMode) {
  QTemporaryDir dir;
  const QString path = dir.filePath("d.vld");
  QString reason;
  const auto a = Bytes(5000);
  ASSERT_TRUE(CSafeFile::Write(path, a, &reason)) << reason.toStdString();
  EXPECT_EQ(ReadAll(path), QByteArray(reinterpret_cast<const char*>(a.data()), 5000));

  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  const auto b = Bytes(10);
  ASSERT_TRUE(CSafeFile::Write(path, b, &reason));
  EXPECT_EQ(ReadAll(path).size(), 10);
  EXPECT_TRUE(QFile::permissions(path).testFlag(QFile::ReadGroup));
  EXPECT_FALSE(QFile::permissions(path).testFlag(QFile::ReadOther));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"d.vld"});
}

TEST(SafeFile, ShortWriteIsReportedAndTheOldFileStays) {
  QTemporaryDir dir;
  const QString path = dir.filePath("d.vld");
  QString reason;
  ASSERT_TRUE(CSafeFile::Write(path, Bytes(100), &reason));

  // A file size limit cuts the write short after 64 bytes, as a full disk would.
  struct rlimit saved {};
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 64;
  const auto old = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool bOk = CSafeFile::Write(path, Bytes(4096), &reason);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old);

  EXPECT_FALSE(bOk);
  EXPECT_FALSE(reason.isEmpty());
  EXPECT_EQ(ReadAll(path).size(), 100);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"d.vld"});
}

TEST(SafeFile, UnwritablePlacesAreReported) {
  QTemporaryDir dir;
  QString reason;
  EXPECT_FALSE(CSafeFile::Write(dir.filePath("no/such/folder/x.vld"), Bytes(3), &reason));
  EXPECT_FALSE(reason.isEmpty());
  QDir(dir.path()).mkdir("sub");
  reason.clear();
  EXPECT_FALSE(CSafeFile::Write(dir.filePath("sub"), Bytes(3), &reason));
  EXPECT_FALSE(reason.isEmpty());
}

// Saving through a temporary file: the target is replaced only by a complete file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/CSafeFile.h"
#include "tests/platform/DeadProcess.h"

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

namespace {

// Fails the given step with the given error while it lives.
class InjectedFault {
 public:
  explicit InjectedFault(CSafeFile::Fault fault) { CSafeFile::SetFault(fault); }
  ~InjectedFault() { CSafeFile::SetFault(std::nullopt); }
  InjectedFault(const InjectedFault&) = delete;
  InjectedFault& operator=(const InjectedFault&) = delete;
};

}  // namespace

TEST(SafeFile, EveryFailingCallLeavesTheTargetAndNoNewFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("d.vld");
  const QByteArray old = "old bytes";
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(old);
  }
  // Three full blocks and a part of one: four write calls.
  const auto bytes = Bytes(3 * CSafeFile::kBlockSize + 100);
  CSafeFile::SetFault(std::nullopt);
  QString reason;
  ASSERT_TRUE(CSafeFile::Write(dir.filePath("probe.vld"), bytes, &reason));
  const int nWrites = CSafeFile::WriteCalls();
  ASSERT_EQ(nWrites, 4);
  QFile::remove(dir.filePath("probe.vld"));

  std::vector<CSafeFile::Fault> faults;
  for (const int nErr : {ENOSPC, EIO, EDQUOT}) {
    for (int i = 1; i <= nWrites; ++i) faults.push_back({CSafeFile::Step::Write, i, nErr});
    for (const auto step :
         {CSafeFile::Step::FileSync, CSafeFile::Step::FolderSync, CSafeFile::Step::Rename}) {
      faults.push_back({step, 1, nErr});
    }
  }
  for (const CSafeFile::Fault& fault : faults) {
    SCOPED_TRACE(testing::Message() << "step " << int(fault.step) << " call " << fault.nIndex
                                    << " errno " << fault.nErrno);
    InjectedFault injected(fault);
    reason.clear();
    EXPECT_FALSE(CSafeFile::Write(path, bytes, &reason));
    EXPECT_EQ(reason, QString::fromLocal8Bit(strerror(fault.nErrno)));
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"d.vld"});
  }
  ASSERT_TRUE(CSafeFile::Write(path, bytes, &reason));
  EXPECT_EQ(ReadAll(path).size(), qsizetype(bytes.size()));
}

TEST(SafeFile, FaultsFromTheEnvironmentsSpelling) {
  using S = CSafeFile::Step;
  const struct {
    const char* text;
    std::optional<CSafeFile::Fault> fault;
  } cases[] = {
      {"write:3:ENOSPC", CSafeFile::Fault{S::Write, 3, ENOSPC}},
      {"write:1:5", CSafeFile::Fault{S::Write, 1, 5}},
      {"fsync:EIO", CSafeFile::Fault{S::FileSync, 1, EIO}},
      {"dirsync:EDQUOT", CSafeFile::Fault{S::FolderSync, 1, EDQUOT}},
      {"rename:EROFS", CSafeFile::Fault{S::Rename, 1, EROFS}},
      {"write:0:EIO", std::nullopt},
      {"write:x:EIO", std::nullopt},
      {"fsync:NOPE", std::nullopt},
      {"close:EIO", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto fault = CSafeFile::ParseFault(c.text);
    ASSERT_EQ(fault.has_value(), c.fault.has_value());
    if (!fault) continue;
    EXPECT_EQ(fault->step, c.fault->step);
    EXPECT_EQ(fault->nIndex, c.fault->nIndex);
    EXPECT_EQ(fault->nErrno, c.fault->nErrno);
  }
}

TEST(SafeFile, OnlyOurOwnLeftoversOfEndedProcessesAreRemoved) {
  QTemporaryDir dir;
  const QString target = dir.filePath("d.vld");
  // The new file of a write in progress is named for its target and this process.
  CSafeFile writing(target);
  ASSERT_TRUE(writing.Open());
  const QStringList during = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  ASSERT_EQ(during.size(), 1);
  EXPECT_EQ(CSafeFile::LeftoverWriter(during[0], "d.vld"), std::int64_t(getpid()));

  const QString dead = QString::number(DeadProcessId());
  const QStringList kept = {
      during[0],                              // a write of this process
      ".d.vld.valendra-1-abcdef",             // init never ends
      ".d.vld.valendra-" + dead + "-abcde",   // not mkstemp's six characters
      ".d.vld.valendra-" + dead + "-abc/ef",  // (a folder, below)
      ".e.vld.valendra-" + dead + "-abcdef",  // another target
      "d.vld.valendra-" + dead + "-abcdef",   // not hidden: not ours
      ".d.vld.Xy12ab",                        // an older naming, writer unknown
      ".d.vld.valendra-" + dead + "-linkin",  // a link, never followed nor removed
  };
  const QString gone = ".d.vld.valendra-" + dead + "-a1B2c3";
  for (const QString& name : kept.mid(1) + QStringList{gone}) {
    if (name.contains('/')) continue;
    if (name.endsWith("linkin")) {
      ASSERT_TRUE(QFile::link(target, dir.filePath(name)));
      continue;
    }
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  ASSERT_TRUE(QDir(dir.path()).mkdir(".d.vld.valendra-" + dead + "-fold3r"));

  EXPECT_EQ(CSafeFile::RemoveLeftovers(target), 1);
  const QStringList after =
      QDir(dir.path())
          .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
  EXPECT_FALSE(after.contains(gone));
  for (const QString& name : kept) {
    if (!name.contains('/')) {
      EXPECT_TRUE(after.contains(name)) << name.toStdString();
    }
  }
  EXPECT_TRUE(after.contains(".d.vld.valendra-" + dead + "-fold3r"));
  writing.Discard();
}

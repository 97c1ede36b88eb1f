// Recovery files' header: written and read back, refused when it is not ours, and whose
// process it says it is.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "platform/CRecoveryFile.h"
#include "platform/CRecoveryWriter.h"
#include "platform/CSafeFile.h"
#include "tests/platform/DeadProcess.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(RecoveryFile, HeaderComesBackAndTheStreamStartsAfterIt) {
  for (const std::string path : {"", "/home/me/a.vld", "/odd/100% sure\nsecond line\r.vld"}) {
    SCOPED_TRACE(path);
    CRecoveryHeader h = CRecoveryHeader::ForThisProcess(path);
    EXPECT_EQ(h.nPid, getpid());
    EXPECT_GT(h.nStart, 0u);
    EXPECT_FALSE(h.strBoot.empty());
    const std::string text = h.Format() + "8Valendra";
    // One line a field: the path's line ends are spelled out.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
    std::size_t nStream = 0;
    std::string strError;
    const auto back = CRecoveryHeader::Parse(Bytes(text), &nStream, &strError);
    ASSERT_TRUE(back.has_value()) << strError;
    EXPECT_EQ(*back, h);
    EXPECT_EQ(text.substr(nStream), "8Valendra");
  }
  EXPECT_NE(CRecoveryHeader::ForThisProcess("").Format().find("\npath untitled\n"),
            std::string::npos);
}

TEST(RecoveryFile, WhatIsNotOurHeaderIsRefusedWithAReason) {
  const std::string good = CRecoveryHeader::ForThisProcess("/a.vld").Format();
  const auto without = [&](const std::string& key) {
    std::string s = good;
    const std::size_t n = s.find("\n" + key + " ");
    return s.erase(n + 1, s.find('\n', n + 1) - n);
  };
  const auto replaced = [&](const std::string& key, const std::string& value) {
    std::string s = good;
    const std::size_t n = s.find("\n" + key + " ") + key.size() + 2;
    return s.replace(n, s.find('\n', n) - n, value);
  };
  const std::string cases[] = {
      "",
      "8Valendra\0\0\0\0\x0a\0\0\0",
      good.substr(0, good.size() - 1),  // no empty line after it
      "Valendra recovery 2" + good.substr(good.find('\n')),
      without("pid"),
      without("start"),
      without("boot"),
      without("time"),
      without("path"),
      replaced("pid", "-4"),
      replaced("pid", "12x"),
      replaced("start", ""),
      replaced("time", "soon"),
      replaced("path", "relative/a.vld"),
      replaced("path", "/bad%escape"),
      replaced("path", "/cut%4"),
      "Valendra recovery 1\n" + std::string(70000, 'x') + "\n\n",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text.substr(0, 80));
    std::string strError;
    EXPECT_FALSE(CRecoveryHeader::Parse(Bytes(text), nullptr, &strError).has_value());
    EXPECT_FALSE(strError.empty());
  }
  // Lines of names a later version may add are passed over.
  std::string later = good;
  later.insert(later.find("\npath "), "\ncolour blue");
  EXPECT_TRUE(CRecoveryHeader::Parse(Bytes(later), nullptr, nullptr).has_value());
}

TEST(RecoveryFile, AnOrphanIsAFileWhoseProcessIsGone) {
  const CRecoveryHeader mine = CRecoveryHeader::ForThisProcess("/a.vld");
  EXPECT_FALSE(mine.IsOrphan());
  CRecoveryHeader reused = mine;  // this process id, but a process that started earlier
  reused.nStart -= 1;
  EXPECT_TRUE(reused.IsOrphan());
  CRecoveryHeader otherBoot = mine;
  otherBoot.strBoot = "00000000-0000-0000-0000-000000000000";
  EXPECT_TRUE(otherBoot.IsOrphan());
  CRecoveryHeader gone = mine;
  gone.nPid = DeadProcessId();
  EXPECT_TRUE(gone.IsOrphan());
  // A process that runs, with its own start: not an orphan.
  CRecoveryHeader parent = mine;
  parent.nPid = getppid();
  parent.nStart = recovery::ProcessStart(getppid()).value_or(0);
  EXPECT_FALSE(parent.IsOrphan());
}

TEST(RecoveryFile, WrittenThroughTheSafeWriterInPieces) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath(recovery::OwnFileName());
  EXPECT_TRUE(recovery::IsRecoveryFileName(QFileInfo(path).fileName()));
  const CRecoveryHeader h = CRecoveryHeader::ForThisProcess("/x.vld");
  const std::string a = "8Valendra", b(100000, 'b');
  const std::span<const std::uint8_t> pieces[] = {
      {reinterpret_cast<const std::uint8_t*>(a.data()), a.size()},
      {reinterpret_cast<const std::uint8_t*>(b.data()), b.size()}};
  QString reason;
  ASSERT_TRUE(recovery::Write(path, h, pieces, &reason)) << reason.toStdString();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray all = f.readAll();
  EXPECT_EQ(all.toStdString(), h.Format() + a + b);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// The writing thread does what it is asked in order: a removal after a write removes what
// the write made, and the file a write replaces goes only when the write succeeded.
TEST(RecoveryFile, TheWriterKeepsTheOrderAndRemovesAfterASuccessOnly) {
  QTemporaryDir dir;
  const QString a = dir.filePath("a.recovery"), b = dir.filePath("b.recovery"),
                old = dir.filePath("old.recovery");
  const auto touch = [](const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  };
  touch(old);
  const std::string big(300000, 'x');
  CRecoveryWriter::CRuns runs = {
      std::make_shared<const CRecoveryWriter::CRun>(CRecoveryWriter::CRun{CStoredRecord::Make(
          std::span(reinterpret_cast<const std::uint8_t*>(big.data()), big.size()))})};
  const CRecoveryHeader h = CRecoveryHeader::ForThisProcess("/x.vld");
  int nTold = 0;
  {
    CRecoveryWriter writer;
    writer.m_fnWritten = [&nTold] { ++nTold; };
    writer.Write(a, h, runs);
    writer.Remove(a);
    writer.Write(b, h, runs, old);
    writer.Wait();
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(QFile(b).size(), qint64(h.Format().size() + big.size()));
    EXPECT_FALSE(QFile::exists(old));
    const auto results = writer.TakeResults();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].bOk && results[1].bOk);
    EXPECT_EQ(results[1].strPath, b);

    touch(old);
    CSafeFile::SetFault(CSafeFile::Fault{CSafeFile::Step::Rename, 1, ENOSPC});
    writer.Write(a, h, runs, old);
    writer.Wait();
    CSafeFile::SetFault(std::nullopt);
    const auto failed = writer.TakeResults();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_FALSE(failed[0].bOk);
    EXPECT_EQ(failed[0].strReason, QString::fromLocal8Bit(strerror(ENOSPC)));
    EXPECT_TRUE(QFile::exists(old));
    EXPECT_FALSE(QFile::exists(a));
    // Work still queued when the writer goes is done first.
    writer.Remove(b);
  }
  EXPECT_FALSE(QFile::exists(b));
  EXPECT_EQ(nTold, 3);
}

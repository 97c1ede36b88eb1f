#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/shell/FileSizeLimit.h"
#include "tests/shell/ProgramRun.h"

namespace {

using ToolRun = ProgramRun;

// The document tools must not need a window.
ToolRun RunTool(const QString& folder, const QStringList& args) {
  return RunProgramWithoutDisplay(folder, args);
}

void Write(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

QByteArray Int32(qint32 v) {
  QByteArray b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((static_cast<quint32>(v) >> (8 * i)) & 0xFF);
  return b;
}

}  // namespace

TEST(DocumentToolsProgram, ConvertAndInfoOnAnOldFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A "KvillDoc" stream with one dot of the old code 3: no selection count, no colour.
  QByteArray old = QByteArray("KvillDoc", 8) + QByteArray(2, '\0');
  old += Int32(3) + QByteArray("\0\0\0\0\0\0\xF0\x3F", 8);
  for (qint32 v : {-30, 30, 30, -30, 0, 0}) old += Int32(v);
  old += Int32(10);
  Write(dir.filePath(QStringLiteral("old.kvl")), old);

  const ToolRun convert =
      RunTool(dir.path(),
              {QStringLiteral("--convert"), QStringLiteral("old.kvl"), QStringLiteral("new.vld")});
  EXPECT_EQ(convert.exitCode, 0) << convert.err.toStdString();
  QFile converted(dir.filePath(QStringLiteral("new.vld")));
  ASSERT_TRUE(converted.open(QIODevice::ReadOnly));
  const QByteArray bytes = converted.readAll();
  EXPECT_EQ(bytes.size(), 14 + 44 + 4);
  EXPECT_EQ(bytes.left(10), QByteArray("8Valendra\0", 10));

  const ToolRun info = RunTool(dir.path(), {QStringLiteral("--info"), QStringLiteral("old.kvl")});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_TRUE(info.out.startsWith("magic: KvillDoc (KvillDoc family)\n")) << info.out.toStdString();
  EXPECT_TRUE(info.out.contains("  dot (8): 1, 0\n")) << info.out.toStdString();
}

TEST(DocumentToolsProgram, IncompatibleFileIsReportedOnStderr) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Write(dir.filePath(QStringLiteral("junk.vld")), QByteArray(600, 'j'));
  for (const QStringList& args :
       {QStringList{QStringLiteral("--convert"), QStringLiteral("junk.vld"),
                    QStringLiteral("out.vld")},
        QStringList{QStringLiteral("--info"), QStringLiteral("junk.vld")}}) {
    const ToolRun run = RunTool(dir.path(), args);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.exitCode, -1);  // it ended by itself
    EXPECT_EQ(run.err, QByteArray("Error: Incompatible file.\n"));
    EXPECT_TRUE(run.out.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.vld"))));
}

TEST(DocumentToolsProgram, ConvertThatCannotFinishKeepsTheOldFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A drawing of twenty junctions: its converted stream is far longer than 100 bytes.
  QByteArray in = QByteArray("8Valendra", 9) + QByteArray(1, '\0') + Int32(0);
  for (int i = 0; i < 20; ++i) {
    in += Int32(8) + Int32(0) + QByteArray("\0\0\0\0\0\0\xF0\x3F", 8);
    for (qint32 v : {i * 100, 30, i * 100 + 60, -30, i * 100 + 30, 0}) in += Int32(v);
    in += Int32(0);
  }
  in += Int32(10);
  Write(dir.filePath(QStringLiteral("in.vld")), in);
  const QByteArray old = "the previous drawing";
  Write(dir.filePath(QStringLiteral("out.vld")), old);

  // The disk "fills up" after 100 bytes for the program.
  ToolRun run;
  {
    FileSizeLimit limit(100);
    ASSERT_TRUE(limit.IsSet());
    run = RunTool(dir.path(), {QStringLiteral("--convert"), QStringLiteral("in.vld"),
                               QStringLiteral("out.vld")});
  }

  EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
  EXPECT_TRUE(run.err.startsWith("Error: cannot write out.vld: ")) << run.err.toStdString();
  QFile kept(dir.filePath(QStringLiteral("out.vld")));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), old);
  // No half-written file is left beside it.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{QStringLiteral("in.vld"), QStringLiteral("out.vld")}));
}

TEST(DocumentToolsProgram, ConvertAndExportFailCleanlyOnEveryFaultOfTheEnvironment) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QByteArray in = QByteArray("8Valendra", 9) + QByteArray(1, '\0') + Int32(0);
  in += Int32(8) + Int32(0) + QByteArray("\0\0\0\0\0\0\xF0\x3F", 8);
  for (qint32 v : {0, 30, 60, -30, 30, 0}) in += Int32(v);
  in += Int32(0) + Int32(10);
  Write(dir.filePath(QStringLiteral("in.vld")), in);
  const struct {
    const char* fault;
    const char* reason;
  } faults[] = {{"write:1:EIO", "Input/output error"},
                {"fsync:ENOSPC", "No space left on device"},
                {"dirsync:EDQUOT", "Disk quota exceeded"},
                {"rename:EIO", "Input/output error"}};
  for (const char* out : {"out.vld", "out.svg", "out.png", "out.pdf"}) {
    for (const auto& f : faults) {
      SCOPED_TRACE(std::string(out) + " " + f.fault);
      Write(dir.filePath(out), "old");
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.remove(QStringLiteral("DISPLAY"));
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
      env.insert(QStringLiteral("VALENDRA_SAFE_FILE_FAULT"), QString::fromLatin1(f.fault));
      const QString tool = QString(out).endsWith(".vld") ? "--convert" : "--export";
      const ToolRun run = RunProgram(dir.path(), {tool, QStringLiteral("in.vld"), out}, env);
      EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
      EXPECT_TRUE(run.err.contains(QByteArray("cannot write out.") + (out + 4)))
          << run.err.toStdString();
      EXPECT_TRUE(run.err.contains(f.reason)) << run.err.toStdString();
      QFile kept(dir.filePath(out));
      ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
      EXPECT_EQ(kept.readAll(), "old");
      EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
      QFile::remove(dir.filePath(out));
    }
  }
}

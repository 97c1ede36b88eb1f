// Which processes count as instances of the program, and ending only those.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "platform/CProcessControl.h"

TEST(ProcessControl, OnlyARunningInstanceOfTheSameProgramCounts) {
  const QString sleepPath = QStandardPaths::findExecutable(QStringLiteral("sleep"));
  ASSERT_FALSE(sleepPath.isEmpty());
  QProcess p;
  p.start(sleepPath, {QStringLiteral("30")});
  ASSERT_TRUE(p.waitForStarted());
  const std::int64_t pid = p.processId();

  // The same executable file: an instance of that program.
  EXPECT_TRUE(CProcessControl::IsValendraInstance(pid, sleepPath));
  EXPECT_EQ(QFileInfo(CProcessControl::ExecutableOf(pid)).canonicalFilePath(),
            QFileInfo(sleepPath).canonicalFilePath());
  // Another program (by default this one): not an instance, and it is not ended.
  EXPECT_FALSE(CProcessControl::IsValendraInstance(pid));
  EXPECT_FALSE(CProcessControl::TerminateInstance(pid));
  EXPECT_FALSE(p.waitForFinished(200));
  EXPECT_EQ(p.state(), QProcess::Running);

  // This process itself, identifiers that name no process, and nonsense are never taken.
  EXPECT_FALSE(CProcessControl::IsValendraInstance(CProcessControl::CurrentProcessId()));
  EXPECT_FALSE(CProcessControl::IsValendraInstance(0));
  EXPECT_FALSE(CProcessControl::IsValendraInstance(-5));
  EXPECT_FALSE(CProcessControl::IsValendraInstance(0x7fffffffLL + 1));

  // Ending it when it is the program named.
  EXPECT_TRUE(CProcessControl::TerminateInstance(pid, sleepPath));
  EXPECT_TRUE(p.waitForFinished(5000));
  EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
  // Gone: no longer an instance of anything.
  EXPECT_FALSE(CProcessControl::IsValendraInstance(pid, sleepPath));
}

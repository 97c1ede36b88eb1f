#include "platform/CProcessControl.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

std::int64_t CProcessControl::CurrentProcessId() { return QCoreApplication::applicationPid(); }

bool CProcessControl::StartNewInstance(const QStringList& args) {
  return QProcess::startDetached(QCoreApplication::applicationFilePath(), args);
}

QString CProcessControl::ExecutableOf(std::int64_t nPid) {
  if (nPid <= 0) return {};
  const QFileInfo exe(QStringLiteral("/proc/%1/exe").arg(nPid));
  return exe.symLinkTarget();
}

bool CProcessControl::IsValendraInstance(std::int64_t nPid, const QString& strProgram) {
  if (nPid <= 0 || nPid > 0x7fffffff || nPid == CurrentProcessId()) return false;
  struct stat st {};
  const QByteArray proc = QStringLiteral("/proc/%1").arg(nPid).toLocal8Bit();
  if (::stat(proc.constData(), &st) != 0 || st.st_uid != ::getuid()) return false;
  const QString exe = ExecutableOf(nPid);
  if (exe.isEmpty()) return false;
  const QFileInfo own(strProgram.isEmpty() ? QCoreApplication::applicationFilePath() : strProgram);
  // The same file, or an executable of the same name (another build of the program).
  return exe == own.canonicalFilePath() || QFileInfo(exe).fileName() == own.fileName();
}

bool CProcessControl::TerminateInstance(std::int64_t nPid, const QString& strProgram) {
  if (!IsValendraInstance(nPid, strProgram)) return false;
  return ::kill(static_cast<pid_t>(nPid), SIGTERM) == 0;
}

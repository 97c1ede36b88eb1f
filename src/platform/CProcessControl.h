#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Starting and ending instances of the program.
class CProcessControl {
 public:
  // The identifier of this process.
  static std::int64_t CurrentProcessId();

  // Starts the running executable again, detached, with the given arguments. False when the
  // process could not be started.
  static bool StartNewInstance(const QStringList& args = {});

  // True only when the process exists, belongs to the same user, is not this process, and
  // runs this program's executable (the same file, or a file of the same name), so that an
  // identifier that a restart has handed to an unrelated program is never taken for ours.
  // strProgram names the program's executable (this process's by default).
  static bool IsValendraInstance(std::int64_t nPid, const QString& strProgram = {});

  // Terminates a process that IsValendraInstance accepts; false otherwise.
  static bool TerminateInstance(std::int64_t nPid, const QString& strProgram = {});

  // The executable a process runs, or an empty string when it cannot be told.
  static QString ExecutableOf(std::int64_t nPid);
};

#pragma once

// Runs the program as a separate process: with no display and no Qt platform chosen for
// it, as it runs on a machine without a desktop, or with an environment of the test's.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ProgramRun {
  int exitCode = -1;  // -1 also when the program crashed or did not finish in time
  QByteArray out;
  QByteArray err;
};

// Runs the program in a folder with the given environment.
inline ProgramRun RunProgram(const QString& folder, const QStringList& args,
                             const QProcessEnvironment& env) {
  QProcess process;
  process.setWorkingDirectory(folder);
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(VALENDRA_BINARY), args);
  ProgramRun run;
  if (!process.waitForFinished(120000)) return run;
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}

inline ProgramRun RunProgramWithoutDisplay(const QString& folder, const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  return RunProgram(folder, args, env);
}

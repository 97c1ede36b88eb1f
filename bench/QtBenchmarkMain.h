// The main() of the benchmarks that need a Qt application (painting, pictures, the
// clipboard). Without a display they paint off screen, as the tests do, instead of
// stopping at Qt's missing platform plugin.
#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QtGlobal>

inline int RunQtBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

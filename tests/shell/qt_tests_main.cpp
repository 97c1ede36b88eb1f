// The Qt tests run inside one QApplication (widgets, fonts, images), offscreen by default.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Recovery files of the editors the tests start (in this process and as programs) go to
  // a folder of this run's own, never to the user's.
  QTemporaryDir state;
  if (state.isValid()) qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

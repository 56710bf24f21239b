// main() of the window tests: an off-screen QApplication whose dialogs are
// Qt's own widgets (a test can answer those), and a settings store in a
// folder of its own, never the user's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "TrendFixture.h"

int main(int argc, char** argv) {
  morvelle::test::TempFolder config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

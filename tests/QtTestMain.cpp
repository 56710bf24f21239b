// main() of the window tests: an off-screen QApplication on a laptop's
// screen whose dialogs are Qt's own widgets (a test can answer those), and
// a settings store in a folder of its own, never the user's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <fstream>
#include <string>

#include "TrendFixture.h"

int main(int argc, char** argv) {
  morvelle::test::TempFolder config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  // 1280 x 800, where the main and help windows do not fit side by side.
  // Another platform, a real screen, is left as it is.
  const char* platform = getenv("QT_QPA_PLATFORM");
  if (!platform || std::string(platform) == "offscreen") {
    const std::string screen = config.File("screen.json");
    std::ofstream(screen) << R"({"screens": [{"name": "laptop", "x": 0,)"
                             R"( "y": 0, "width": 1280, "height": 800}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
  }
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

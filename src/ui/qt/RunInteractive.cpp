// The program started without values: the window, until it closes.
#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "app/AppInfo.h"
#include "app/BatchMode.h"
#include "app/Interactive.h"
#include "ui/qt/frmMain.h"

namespace morvelle {
namespace {

// Qt aborts when it finds no display; say what to do instead.
bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int RunInteractive(int argc, char** argv) {
  if (!HasDisplay()) {
    std::cerr << "Morvelle's window needs a desktop session, and there is "
                 "none here (no DISPLAY).\nTo rename a trend from the "
                 "command line, give it three values:\n\n"
              << UsageText();
    return kExitUsage;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  frmMain window;
  window.show();
  return app.exec();
}

}  // namespace morvelle

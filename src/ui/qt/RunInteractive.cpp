// The program started without values: the window, until it closes.
#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>

#include "app/AppInfo.h"
#include "app/BatchMode.h"
#include "app/Interactive.h"
#include "app/Messages.h"
#include "ui/qt/frmMain.h"
#include "ui/qt/frmManyTrends.h"

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

// Shows the window `make` creates until the last window closes.
int RunWindow(int argc, char** argv,
              const std::function<std::unique_ptr<QWidget>()>& make) {
  if (!HasDisplay()) {
    std::cerr << UsageErrorText(
        "the window: needs a desktop session, and there is none here (no "
        "DISPLAY)");
    return kExitUsage;
  }
  // Before the first window: the window manager's class of every window
  // ("Morvelle") is read from the name once, and the desktop file names the
  // icon a Wayland shell shows.
  QApplication::setApplicationName(kApplicationTitle);
  QGuiApplication::setDesktopFileName("morvelle");
  QApplication app(argc, argv);
  QApplication::setWindowIcon(QIcon(":/morvelle.png"));
  std::unique_ptr<QWidget> window = make();
  window->show();
  return app.exec();
}

}  // namespace

int RunInteractive(int argc, char** argv) {
  return RunWindow(argc, argv, [] { return std::make_unique<frmMain>(); });
}

int RunManyTrends(int argc, char** argv, const std::string& folder) {
  return RunWindow(argc, argv, [&folder] {
    return std::make_unique<frmManyTrends>(QString::fromStdString(folder));
  });
}

}  // namespace morvelle

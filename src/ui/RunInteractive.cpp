// The program started without values: the window, until it closes.
#include <QApplication>

#include "app/AppInfo.h"
#include "app/Interactive.h"
#include "ui/frmMain.h"

namespace morvelle {

int RunInteractive(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  frmMain window;
  window.show();
  return app.exec();
}

}  // namespace morvelle

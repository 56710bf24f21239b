#include "ui/CloseApplication.h"

#include <QApplication>

namespace morvelle {

void CloseApplication() {
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

}  // namespace morvelle

// Draws the two windows for the README, off screen, into PNG files:
//   morvelle_screenshots docs
// The main window shows the example trend just after Browse, with new
// values typed in.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <cstdlib>
#include <iostream>

#include "ExampleTrend.h"
#include "app/Settings.h"
#include "ui/qt/frmHelp.h"
#include "ui/qt/frmMain.h"

namespace {

bool Save(QWidget& window, const QString& file) {
  window.show();
  QApplication::processEvents();
  bool saved = window.grab().save(file);
  if (!saved) std::cerr << "cannot write " << file.toStdString() << "\n";
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace morvelle;
  if (argc != 2) {
    std::cerr << "usage: morvelle_screenshots FOLDER\n";
    return 2;
  }
  // Never the user's own settings, never a real screen.
  testing::TempFolder scratch;
  setenv("XDG_CONFIG_HOME", scratch.File("config").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  // The folder the README has the user copy the example into, so that the
  // picture shows what the user will see.
  const std::filesystem::path trends = "/tmp/trends";
  std::filesystem::create_directories(trends);
  QString hst = QString::fromStdString(testing::WriteExampleTrend(trends));

  frmMain::Services services;
  services.showOpenDialog = [&](const OpenDialogRequest&) {
    return OpenDialogResult{hst.toStdString(), false};
  };
  services.showMessage = [](QWidget*, MessageLook, const QString& text) {
    std::cerr << text.toStdString() << "\n";
  };
  frmMain window(services);
  window.cmdBrowse->click();
  window.txtTagNew->setText("Trend1A");
  window.txtPathNew->setText("C:\\Ostrel\\Data\\Trend1A");
  frmHelp help;
  QDir folder(QString::fromLocal8Bit(argv[1]));
  bool ok = Save(window, folder.filePath("main-window.png")) &&
            Save(help, folder.filePath("help-window.png"));
  return ok ? 0 : 1;
}

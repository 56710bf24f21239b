// Draws the two windows for the README, off screen, into PNG files:
//   morvelle_screenshots docs
// The main window shows the example trend just after Browse, with new
// values typed in; the "Many trends" window a folder of 200 trends after
// the folder prefix and the tag prefix were replaced in every row, with
// one row refused.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <iostream>

#include "ExampleTrend.h"
#include "app/Settings.h"
#include "ui/qt/frmHelp.h"
#include "ui/qt/frmMain.h"
#include "ui/qt/frmManyTrends.h"

namespace {

bool Save(QWidget& window, const QString& file) {
  window.show();
  QApplication::processEvents();
  bool saved = window.grab().save(file);
  if (!saved) std::cerr << "cannot write " << file.toStdString() << "\n";
  return saved;
}

bool SaveManyTrends(const std::filesystem::path& trends, const QString& file) {
  using namespace morvelle;
  std::filesystem::remove_all(trends);
  std::filesystem::create_directories(trends);
  test::WritePlantTrends(trends, 200);
  frmManyTrends::Services services;
  services.showMessage = [](QWidget*, MessageLook, const QString&) {};
  frmManyTrends window(QString::fromStdString(trends.string()), services);
  window.grdTrends->selectAll();
  for (auto [find, replace] : {std::pair{"C:\\OldPlant\\", "D:\\NewPlant\\"},
                               std::pair{"OLD_", "NEW_"}}) {
    window.txtFind->setText(find);
    window.txtReplace->setText(replace);
    window.cmdReplace->click();
  }
  // One row bound for another's name.
  window.grdTrends->item(3, static_cast<int>(ManyColumn::kNewPath))
      ->setText("D:\\NewPlant\\Data\\Flow\\Flow001");
  if (!QTest::qWaitFor([&] { return !window.busy(); }, 10000)) return false;
  window.grdTrends->clearSelection();
  // The size it opens at on a 1280 x 800 screen.
  window.resize(1200, 640);
  return Save(window, file);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace morvelle;
  if (argc != 2) {
    std::cerr << "usage: morvelle_screenshots FOLDER\n";
    return 2;
  }
  // Never the user's own settings, never a real screen.
  test::TempFolder scratch;
  setenv("XDG_CONFIG_HOME", scratch.File("config").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  // The folder the README has the user copy the example into, so that the
  // picture shows what the user will see.
  const std::filesystem::path trends = "/tmp/trends";
  std::filesystem::create_directories(trends);
  QString hst = QString::fromStdString(test::WriteExampleTrend(trends));

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
            Save(help, folder.filePath("help-window.png")) &&
            SaveManyTrends("/tmp/trends-many",
                           folder.filePath("many-trends-window.png"));
  return ok ? 0 : 1;
}

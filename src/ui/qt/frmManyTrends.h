// The "Many trends" window on Qt: a thin view of ManyTrends, which holds
// its rules. Planning, renaming, undoing and recovering run on a worker
// thread, one job at a time, so that the window stays responsive; their
// results come back to the window's thread as queued calls.
#pragma once

#include <QWidget>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/RenameRuns.h"
#include "ui/ManyTrends.h"
#include "ui/MessageBoxes.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QLabel;

namespace morvelle {

class Env;

// What the window asks the user for a path: a folder of trends, a list to
// import, a new file to export to.
enum class PathQuestion { kFolder, kImport, kExport };

class frmManyTrends final : public QWidget {
 public:
  // What the window reaches outside itself. A test hands in its own, so
  // that no dialog and no message box ever waits for a user.
  struct Services {
    Services();
    Env* env;
    // Where runs keep their lists and undo lists; made when missing.
    QString runFolder;
    // The path the user picks, or "" when the user cancels.
    std::function<QString(QWidget* parent, PathQuestion question)> askPath;
    std::function<void(QWidget* parent, MessageLook look, const QString& text)>
        showMessage;
  };

  // Creates the window, hidden, showing the trends of `folder` when it is
  // not empty.
  explicit frmManyTrends(const QString& folder, Services services = Services());
  // Stops a run in progress after its trend and waits for the worker.
  ~frmManyTrends() override;

  QLineEdit* txtFolder;
  QPushButton* cmdBrowse;
  QPushButton* cmdRecover;
  QTableWidget* grdTrends;
  QLineEdit* txtFind;
  QLineEdit* txtReplace;
  QComboBox* cboReplaceIn;
  QCheckBox* chkMatchCase;
  QPushButton* cmdReplace;
  QLabel* lblStatus;
  QProgressBar* prgRun;
  QPushButton* cmdCancel;
  QPushButton* cmdImport;
  QPushButton* cmdExport;
  QPushButton* cmdUndo;
  QPushButton* cmdRename;
  QPushButton* cmdClose;

  // True while a plan or a run is on the worker.
  bool busy() const { return worker_.joinable(); }

 protected:
  // A run in progress stops at its trend.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void ConnectHandlers();
  void LoadFolder(const QString& folder);
  void FillTable();
  void ShowStates();
  void CellEdited(int row, int column);
  void ReplaceClicked();
  void ImportClicked();
  void ExportClicked();
  void StartRun(bool undo);
  void StartRecover();
  void RunDone(const RunResult& result);
  void RequestPlan();
  void PlanDone(std::uint64_t generation, std::vector<RowStatus> states);
  // Runs `job` on the worker, then `done` on the window's thread.
  void StartWorker(std::function<std::function<void()>()> job);
  void EnableControls();
  void ShowMessage(MessageLook look, const std::string& text);

  Services services_;
  ManyTrends model_;
  std::thread worker_;
  bool running_ = false;     // a rename, undo or recovery is on the worker
  bool recovering_ = false;  // that run is a recovery, which cannot stop
  bool planAgain_ = false;   // the rows changed while a plan was made
  bool filling_ = false;     // the table is being filled, not edited
  std::atomic<bool> stop_{false};
};

}  // namespace morvelle

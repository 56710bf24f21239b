// The "Many trends" window on Qt: a thin view of ManyTrendsForm, which
// holds its rules. The New values are edited in the table's cells; what
// the form's worker brings back comes to the window's thread as queued
// calls.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "ui/ManyTrendsForm.h"

class QCheckBox;
class QCloseEvent;
class QEvent;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QLabel;

namespace morvelle {

class Env;

class frmManyTrends final : public QWidget,
                            private ManyView,
                            private ManyPaths {
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
    // True when the user answers Yes.
    std::function<bool(QWidget* parent, const QString& question)> askYesNo;
    // Returns once the user has closed the report.
    std::function<void(QWidget* parent, const RunReport& report)> showReport;
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
  QCheckBox* chkProblems;
  QLabel* lblStatus;
  QProgressBar* prgRun;
  QPushButton* cmdCancel;
  QPushButton* cmdImport;
  QPushButton* cmdExport;
  QPushButton* cmdUndo;
  QPushButton* cmdRename;
  QPushButton* cmdClose;

  // True while a plan or a run is on the worker.
  bool busy() const { return form_.busy(); }
  // True when the window may close: no edits wait to be run, or the user
  // says to lose them.
  bool QueryClose() { return form_.Form_QueryUnload(); }

 protected:
  // Edits not yet run are lost only when the user says so, at the close
  // box or Close; a close the program asks for, as when the main window
  // closes, asks nothing. A run in progress stops at its trend.
  void closeEvent(QCloseEvent* event) override;
  // The columns sized again to the table's new width.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void ConnectHandlers();
  void CellEdited(int row, int column);
  void ReplaceClicked();
  void HeaderClicked(int column);
  void NextProblem();
  void SizeColumns();
  QWidget* ControlOf(ManyControl control) const;

  void Post(std::function<void()> task) override;
  void SetFolderText(const std::string& folder) override;
  void ShowTable(const ManyTable& cells) override;
  void SetCell(std::size_t row, ManyColumn column,
               const std::string& text) override;
  void ShowState(std::size_t row, const std::string& text,
                 std::optional<Colour> colour, const std::string& tip) override;
  void SetStatusText(const std::string& text) override;
  void SelectRow(std::size_t row) override;
  void SetEnabled(ManyControl control, bool enabled) override;
  void ClearProgress() override;
  void SetProgress(std::size_t done, std::size_t total) override;
  void ShowMessage(MessageLook look, const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  void ShowReport(const RunReport& report) override;
  std::string AskPath(PathQuestion question) override;
  std::string RunFolder() override;

  Services services_;
  ManyTrendsForm form_;
  bool filling_ = false;  // the form is setting cells, the user is not
  ManyTable cells_;       // as last shown, for sizing the columns
};

}  // namespace morvelle

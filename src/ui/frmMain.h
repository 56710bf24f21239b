// The main window: pick a history file, compare the trend's original tag
// and path with editable copies, watch their lengths against the field
// widths, and save. Closing it, however it is closed, stores the File Set
// box and closes every window of the program.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "ui/CommonDialog.h"
#include "ui/MessageBoxes.h"

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace morvelle {

class Env;
class frmHelp;

class frmMain final : public QWidget {
 public:
  // What the window reaches outside itself. A test hands in its own, so
  // that no dialog and no message box ever waits for a user.
  struct Services {
    Services();
    Env* env;  // the file system of the trend operations
    std::function<OpenDialogResult(const QString& title,
                                   const QString& initialFile,
                                   const QString& filter, int flags)>
        showOpenDialog;
    std::function<void(QWidget* parent, MessageLook look, const QString& text)>
        showMessage;
  };

  // Creates the window, hidden, and runs Form_Load.
  explicit frmMain(Services services = Services());
  ~frmMain() override;

  // Restores the File Set box. Nothing is read from the trend until Browse.
  void Form_Load();
  // The one way out: SavePaths, then CloseApplication. Never refuses.
  void Form_QueryUnload();
  // txtFileSet from the stored FileSet (empty when there is none).
  void LoadPaths();
  // The text of txtFileSet stored as FileSet.
  void SavePaths();

  // Asks for a history file and shows what entry 0 of its table holds.
  // A cancelled dialog empties txtFileSet and changes nothing else.
  void cmdBrowse_Click();
  // Renames the trend under the wait cursor: the File Set, new path and new
  // tag texts, as they stand. "Done" follows only a rename that succeeded.
  void cmdSave_Click();
  void cmdClose_Click();
  // Shows the help window beside this one, not modal; loads it anew when it
  // was closed.
  void cmdHelp_Click();
  // The length of the new value, red once it is longer than its limit.
  void txtPathNew_Change();
  void txtTagNew_Change();

  QLabel* Label1;
  QLineEdit* txtFileSet;
  QPushButton* cmdBrowse;
  QGroupBox* Frame1;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label2;
  QLineEdit* txtTagOriginal;
  QLineEdit* txtTagNew;
  QLabel* lblTagLength;
  QLabel* Label3;
  QLineEdit* txtPathOriginal;
  QLineEdit* txtPathNew;
  QLabel* lblPathLength;
  QPushButton* cmdHelp;
  QPushButton* cmdClose;
  QPushButton* cmdSave;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void SetTabOrder();
  void ShowMessage(MessageLook look, const QString& text);

  Services services_;
  std::unique_ptr<frmHelp> help_;
  // Largest lengths of the new path and tag still shown in black; set by
  // Browse from the field widths (the path's less 4, for "." and the
  // extension).
  std::int32_t PathLimit = 0;
  std::int32_t TagLimit = 0;
};

}  // namespace morvelle

// The main window on Qt: a thin view of MainForm, which holds its rules.
// Its controls are laid out in a client area of the design's size under
// the menu bar, so that the menu takes nothing from them. Closing it,
// however it is closed, stores the File Set box and closes every window of
// the program.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "ui/MainForm.h"

class QAction;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace morvelle {

class Env;
class SettingsStore;
class frmHelp;
class frmManyTrends;

class frmMain final : public QWidget, private MainView {
 public:
  // What the window reaches outside itself. A test hands in its own, so
  // that no dialog and no message box ever waits for a user.
  struct Services {
    Services();
    Env* env;                 // the file system of the trend operations
    SettingsStore* settings;  // where FileSet is remembered
    std::function<OpenDialogResult(const OpenDialogRequest&)> showOpenDialog;
    std::function<void(QWidget* parent, MessageLook look, const QString& text)>
        showMessage;
  };

  // Creates the window, hidden, and runs the form's Form_Load.
  explicit frmMain(Services services = Services());
  ~frmMain() override;

  QMenuBar* menuBar;
  QMenu* mnuTools;
  // Opens the "Many trends" window on the folder of the File Set box; in
  // the window's context menu too.
  QAction* mnuManyTrends;
  // Holds the controls, under the menu bar.
  QWidget* client;
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
  // The help window while it is open; null otherwise.
  frmHelp* help() const;
  // The menu bar and, under it, the client area that holds the controls;
  // the window is fixed to the size of the two.
  void CreateMenuBar();
  void CreateControls();
  QWidget* CreateControl(const ControlLayout& layout);
  void SetTabOrder();
  void ConnectHandlers();
  // The "Many trends" window, on the folder of the File Set box.
  void ShowManyTrends();

  std::string Text(Control control) const override;
  void SetText(Control control, const std::string& text) override;
  void SetTextColour(Control control, Colour colour) override;
  void SetToolTip(Control control, const std::string& tip) override;
  OpenDialogResult AskForFile(const OpenDialogRequest& request) override;
  void ShowMessage(MessageLook look, const std::string& text) override;
  void SetWaitCursor(bool on) override;
  void ShowHelp() override;
  void CloseMainWindow() override;
  void CloseApplication() override;

  Services services_;
  MainForm form_;
  std::map<Control, QWidget*> controls_;
  std::unique_ptr<frmHelp> help_;
  std::unique_ptr<frmManyTrends> many_;
};

}  // namespace morvelle

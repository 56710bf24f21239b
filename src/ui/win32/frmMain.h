// The main window on Win32: a thin view of MainForm, which holds its
// rules. Laid out in twips at the DPI of its monitor, in the fonts of the
// design, with the menu bar above the client area, outside it; Tab and the
// access keys work as in a dialog (IsDialogMessage), and Alt and a letter
// that no control has open the menu.
// Closing it, however it is closed, stores the File Set box and closes
// every window of the program.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "ui/MainForm.h"
#include "ui/win32/Controls.h"
#include "ui/win32/frmHelp.h"
#include "ui/win32/frmManyTrends.h"

namespace morvelle {

class Env;
class SettingsStore;

class frmMain final : private MainView {
 public:
  frmMain(Env& env, SettingsStore& settings);
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Creates the window and its controls, runs the form's Form_Load and
  // shows the window with `showCommand` (ShowWindow's). False when
  // Windows cannot create it.
  bool Create(int showCommand);

  // Handles `message` when it is the window's dialog navigation (Tab, an
  // access key); the message loop then dispatches nothing more.
  bool TranslateDialogKeys(MSG* message);

  // The window's messages, from its window procedure.
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  void CreateToolTips();
  void LayOut(UINT dpi);
  void OnCommand(int id, int code);
  // The "Many trends" window, on the folder of the File Set box.
  void ShowManyTrends();
  LRESULT OnControlColour(HWND window, HDC dc, HWND control, UINT message,
                          WPARAM wParam, LPARAM lParam);
  HWND ControlWindow(Control control) const;

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

  MainForm form_;
  HWND window_ = nullptr;
  HWND toolTip_ = nullptr;
  // By the index of the control in kMainControls.
  std::array<HWND, kMainControls.size()> controls_{};
  std::map<Control, COLORREF> textColours_;
  WindowFonts fonts_;
  frmHelp help_;
  Env& env_;
  std::unique_ptr<frmManyTrends> many_;
  bool waiting_ = false;
};

}  // namespace morvelle

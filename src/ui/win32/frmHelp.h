// The help window on Win32: a static page of instructions with the version
// line on top. The user closes it with its close box; closing the main
// window closes it too.
#pragma once

#include <windows.h>

#include <array>
#include <vector>

#include "ui/win32/Controls.h"

namespace morvelle {

class frmHelp final {
 public:
  frmHelp() = default;
  ~frmHelp();
  frmHelp(const frmHelp&) = delete;
  frmHelp& operator=(const frmHelp&) = delete;

  // Loads the window beside `mainWindow` where HelpWindowPlace puts it,
  // never over the `keepClear` controls, and shows it; when it is open
  // already, brings it to the front.
  void Show(HWND mainWindow, const std::vector<HWND>& keepClear);
  bool IsOpen() const { return window_ != nullptr; }
  void Close();

  // The window's messages, from its window procedure.
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Form_Load();
  void LayOut(UINT dpi);

  HWND window_ = nullptr;
  std::array<HWND, kHelpLabels.size()> labels_{};
  WindowFonts fonts_;
};

}  // namespace morvelle

// The report of a Rename, an Undo last run or a Recover on Win32: a thin
// view of RunReport. The heading and the counts on top, the lists below
// them, the log of every trend in a box that scrolls, and Copy, Save as
// and Close. The window is never larger than the monitor's work area, may
// be resized, and is modal to its owner; Esc closes it.
#pragma once

#include <windows.h>

#include <string>

#include "ui/RunReport.h"
#include "ui/win32/Controls.h"

namespace morvelle {

class frmRunReport final {
 public:
  explicit frmRunReport(const RunReport& report);
  frmRunReport(const frmRunReport&) = delete;
  frmRunReport& operator=(const frmRunReport&) = delete;

  // Shows the window over `owner`, which is disabled meanwhile, and
  // returns once the user has closed it.
  void ShowModal(HWND owner);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  void LayOut();
  // The window's size: what its text asks for, within the work area.
  SIZE WantedSize() const;
  void Copy();
  void SaveAs();
  void Unsaved(const std::string& path) const;
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  const RunReport& report_;
  std::string text_;  // the whole report, for Copy and Save as
  HWND window_ = nullptr;
  WindowFonts fonts_;
};

}  // namespace morvelle

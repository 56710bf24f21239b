// The "Many trends" window on Win32: a thin view of ManyTrendsForm, which
// holds its rules. The trends are a list view; the New values of the
// focused row are edited in two boxes below it and set with Set. What the
// form's worker brings back is queued here and run as the window handles
// the message that the worker posts with it.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ui/ManyTrendsForm.h"
#include "ui/win32/Controls.h"

namespace morvelle {

class Env;

class frmManyTrends final : private ManyView, private ManyPaths {
 public:
  explicit frmManyTrends(Env& env);
  // Stops a run in progress after its trend and waits for the worker.
  ~frmManyTrends() override;
  frmManyTrends(const frmManyTrends&) = delete;
  frmManyTrends& operator=(const frmManyTrends&) = delete;

  // Creates the window, owned by `owner` (may be null), showing the
  // trends of `folder` when it is not empty. `quitOnClose`: closing it
  // ends the message loop, as when it is the program's only window.
  bool Create(HWND owner, const std::string& folder, bool quitOnClose);
  bool TranslateDialogKeys(MSG* message);
  // True while the window exists.
  bool IsOpen() const { return window_ != nullptr; }
  // Brings the window to the front.
  void Activate() const;
  // True when the window may close: no edits wait to be run, or the user
  // says to lose them.
  bool QueryClose() { return form_.Form_QueryUnload(); }
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  void LayOut();
  void OnCommand(int id);
  // The State cells in their colours.
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw) const;
  // The place of the focused row in the table, if any.
  std::optional<std::size_t> FocusedRow() const;
  void ShowFocusedRow();
  void SetFocusedRow();
  void NextProblem();
  void SortOn(int column);
  void RowTip(NMLVGETINFOTIPW* tip) const;
  // Each column's width from the cells and the list's width.
  void SizeColumns();
  void Replace();
  // The oldest task the worker posted.
  void RunPosted();
  HWND Control(int id) const { return GetDlgItem(window_, id); }

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

  // Written on the window's thread under `postedMutex_`, which the worker
  // reads it under.
  HWND window_ = nullptr;
  bool quitOnClose_ = false;
  WindowFonts fonts_;
  // The text colour of each row's State cell; CLR_DEFAULT: the list's own.
  std::vector<COLORREF> stateColours_;
  // The tooltip of each row's State cell: every problem of a damaged trend.
  std::vector<std::string> stateTips_;
  ManyTable cells_;  // as shown, for the widths, the tips and the boxes
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
  // Last: its worker posts to the members above until it is joined.
  ManyTrendsForm form_;
};

}  // namespace morvelle

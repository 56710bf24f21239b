// The "Many trends" window on Win32: a thin view of ManyTrends, which
// holds its rules. The trends are a list view; the New values of the
// focused row are edited in two boxes below it and set with Set. Planning,
// renaming, undoing and recovering run on a worker thread, one job at a
// time, so that the window stays responsive; the worker posts its end to
// the window.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/RenameRuns.h"
#include "ui/ManyTrends.h"
#include "ui/win32/Controls.h"

namespace morvelle {

class Env;

class frmManyTrends final {
 public:
  explicit frmManyTrends(Env& env);
  // Stops a run in progress after its trend and waits for the worker.
  ~frmManyTrends();
  frmManyTrends(const frmManyTrends&) = delete;
  frmManyTrends& operator=(const frmManyTrends&) = delete;

  // Creates the window, owned by `owner` (may be null), showing the
  // trends of `folder` when it is not empty. `quitOnClose`: closing it
  // ends the message loop, as when it is the program's only window.
  bool Create(HWND owner, const std::string& folder, bool quitOnClose);
  bool TranslateDialogKeys(MSG* message);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  void LayOut();
  void OnCommand(int id);
  void LoadFolder(const std::string& folder);
  void FillList();
  void ShowStates();
  void ShowFocusedRow();
  void SetFocusedRow();
  void Replace();
  void Import();
  void Export();
  void StartRun(bool undo);
  void StartRecover();
  // The end of a rename, undo or recovery: its text, then the folder anew.
  void RunDone(const RunResult& result);
  void RequestPlan();
  // Runs `job` on the worker; the function it returns then runs on the
  // window's thread.
  void StartWorker(std::function<std::function<void()>()> job);
  void WorkerDone();
  void EnableControls();
  void ShowMessage(UINT icon, const std::string& text);
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  Env& env_;
  ManyTrends model_;
  HWND window_ = nullptr;
  bool quitOnClose_ = false;
  WindowFonts fonts_;
  std::thread worker_;
  std::function<void()> workerDone_;  // set by the worker before it posts
  bool running_ = false;     // a rename, undo or recovery is on the worker
  bool recovering_ = false;  // that run is a recovery, which cannot stop
  bool planAgain_ = false;
  std::atomic<bool> stop_{false};
};

}  // namespace morvelle

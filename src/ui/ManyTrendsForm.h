// The rules of the "Many trends" window, whatever toolkit draws it: loading
// a folder and its messages, planning on a worker thread and planning
// again when the rows changed meanwhile, Rename, Undo last run and
// Recover with their progress, Cancel and end, which controls are enabled
// when, and the text and colour of each row's state. A view (the Qt window
// on Linux, the Win32 window on Windows) draws the controls, passes the
// user's actions to the handlers below and carries out what they ask of
// it through ManyView. The table's own rules (rows, find and replace,
// planning a row) are the model's, ManyTrends.
//
// The form is used from the window's thread only. One job at a time runs
// on its worker (a plan, a run or a recovery); what the job brings back is
// handed to the window's thread through ManyView::Post.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/RenameRuns.h"
#include "ui/MainForm.h"
#include "ui/ManyTrends.h"
#include "ui/MessageBoxes.h"
#include "ui/RunReport.h"

namespace morvelle {

class Env;

// The controls whose enabling the form decides.
enum class ManyControl {
  txtFolder,
  cmdBrowse,
  // The table and whatever edits its New values.
  grdTrends,
  cmdReplace,
  cmdImport,
  cmdExport,
  cmdUndo,
  cmdRename,
  cmdRecover,
  cmdCancel,
};

// What the window asks the user for a path: a folder of trends, a list to
// import, a new file to export to.
enum class PathQuestion { kFolder, kImport, kExport };

// What the form asks of the window that shows it. Texts are UTF-8; rows
// are counted from 0 in the order the table shows them, which the form
// maps to the model's rows (ShownRows).
class ManyView {
 public:
  virtual ~ManyView() = default;

  // Runs `task` on the window's thread once the events before it are
  // handled. Called from the worker; never runs `task` at once. A task
  // still waiting when the window is gone is dropped.
  virtual void Post(std::function<void()> task) = 0;

  virtual void SetFolderText(const std::string& folder) = 0;
  // The table anew, every cell in the table's own colour.
  virtual void ShowTable(const ManyTable& cells) = 0;
  // The text of one cell of the rows shown.
  virtual void SetCell(std::size_t row, ManyColumn column,
                       const std::string& text) = 0;
  // The State cell of `row`, its text in `colour`, or in the table's own
  // when there is none; `tip` is its tooltip, the text whole or, for a
  // damaged trend, every problem, one to a line.
  virtual void ShowState(std::size_t row, const std::string& text,
                         std::optional<Colour> colour,
                         const std::string& tip) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // Selects `row` alone, makes it the current row and scrolls it into
  // sight.
  virtual void SelectRow(std::size_t row) = 0;
  virtual void SetEnabled(ManyControl control, bool enabled) = 0;
  // The progress bar back at its start, its range as it was.
  virtual void ClearProgress() = 0;
  virtual void SetProgress(std::size_t done, std::size_t total) = 0;
  // A modal message box titled "Morvelle", owned by the window.
  virtual void ShowMessage(MessageLook look, const std::string& text) = 0;
  // A modal question titled "Morvelle", owned by the window, with Yes and
  // No, No the default; true when the user answers Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
  // The report of a run that has ended, in a modal window owned by this
  // one that is never larger than the screen; returns once it is closed.
  virtual void ShowReport(const RunReport& report) = 0;
};

// The paths the window reaches outside itself: those the user picks in
// the toolkit's dialogs, and the folder where runs keep their lists. A
// test gives its own, so that no dialog waits for a user and no run
// writes into the user's folders.
class ManyPaths {
 public:
  virtual ~ManyPaths() = default;
  // The path the user picks for `question`, or "" when the user cancels;
  // a folder as ManyTrends::Load takes it.
  virtual std::string AskPath(PathQuestion question) = 0;
  // The folder of the runs' lists and undo lists, made when missing, with
  // its separator at its end.
  virtual std::string RunFolder() = 0;
};

class ManyTrendsForm {
 public:
  // `view`, `paths` and `env` outlive the form.
  ManyTrendsForm(ManyView& view, ManyPaths& paths, Env& env);
  // Stops a run in progress after its trend and waits for the worker.
  ~ManyTrendsForm();
  ManyTrendsForm(const ManyTrendsForm&) = delete;
  ManyTrendsForm& operator=(const ManyTrendsForm&) = delete;

  // The window was created: shows the trends of `folder` (as
  // ManyTrends::Load takes it) when it is not empty, and enables the
  // controls.
  void Form_Load(const std::string& folder);
  // The user asks to close the window: true when it may close. Edits not
  // yet run are lost only when the user says so; a run in progress is
  // stopped by the close and asks nothing.
  bool Form_QueryUnload();
  // The window is closing: a run in progress stops at its trend.
  void Form_Unload();

  // Asks for a folder and shows its trends; a cancelled dialog changes
  // nothing.
  void cmdBrowse_Click();
  // The user pressed Enter in the Folder box, which holds `folder`: shows
  // its trends as Browse does; an empty box changes nothing.
  void txtFolder_Entered(const std::string& folder);
  // The user typed `value` into a New cell of `row`; `column` is kNewTag
  // or kNewPath.
  void grdTrends_CellEdited(std::size_t row, ManyColumn column,
                            const std::string& value);
  // Both New values of `row` set at once, as the view's boxes under the
  // table set them.
  void cmdSet_Click(std::size_t row, const std::string& newTag,
                    const std::string& newPath);
  // Find and replace over the `selected` rows; says so when none is
  // selected or nothing was found.
  void cmdReplace_Click(const std::vector<std::size_t>& selected,
                        const Replacement& r);
  // A click on the title of `column`: the rows sorted on it, ascending,
  // or the other way when they already are.
  void grdTrends_HeaderClick(ManyColumn column);
  // "Show problems only" checked or cleared.
  void chkProblems_Click(bool problemsOnly);
  // The key that selects the next problem row after the `current` row
  // (none: from the top), going round to the top.
  void grdTrends_NextProblem(std::optional<std::size_t> current);
  void cmdImport_Click();
  void cmdExport_Click();
  // Start a run of the changed rows, or of the newest undo list, once the
  // user has said yes to its count and folder, unless a job is on the
  // worker.
  void cmdRename_Click();
  void cmdUndo_Click();
  // Puts back what interrupted runs left in the folder, unless a job is
  // on the worker.
  void cmdRecover_Click();
  // The run in progress stops at its trend.
  void cmdCancel_Click();

  // True while a plan, a run or a recovery is on the worker, until its
  // end has been handled on the window's thread.
  bool busy() const { return worker_.joinable(); }
  const ManyTrends& model() const { return model_; }
  // How the table shows the rows now, for the view's sort mark.
  const RowOrder& order() const { return order_; }
  // The model row shown at each place of the table.
  const std::vector<std::size_t>& shownRows() const { return shown_; }

 private:
  // A message box, or for a text of more lines than a box shows on a
  // screen, a report of it.
  void Tell(MessageLook look, const std::string& text);
  bool MayDropEdits(const std::string& action);
  void OpenFolder(const std::string& folder);
  void LoadFolder(const std::string& folder);
  // Every cell anew, then a plan of the rows as they now are.
  void ShowTable();
  // The rows shown again in `order_`, every cell from the model.
  void ShowRows();
  void ShowStates();
  // The shown places of model rows, the model rows of shown places.
  std::optional<std::size_t> PlaceOf(std::size_t row) const;
  std::vector<std::size_t> RowsAt(const std::vector<std::size_t>& places) const;
  void SetNewValue(std::size_t row, ManyColumn column,
                   const std::string& value);
  // The states wait for a plan of the rows as they now are.
  void Edited();
  void StartRun(bool undo);
  // The table read again behind the run's report.
  void RunDone(const RunReport& report);
  void RequestPlan();
  void PlanDone(std::uint64_t generation, std::vector<RowStatus> states);
  // Runs `job` on the worker, then the function it returns on the
  // window's thread.
  void StartWorker(std::function<std::function<void()>()> job);
  void EnableControls();

  ManyView& view_;
  ManyPaths& paths_;
  Env& env_;
  ManyTrends model_;
  RowOrder order_;
  std::vector<std::size_t> shown_;  // the model row of each place shown
  std::thread worker_;
  bool running_ = false;     // a rename, undo or recovery is on the worker
  bool recovering_ = false;  // that run is a recovery, which cannot stop
  bool planAgain_ = false;   // the rows changed while a plan was made
  std::atomic<bool> stop_{false};
};

}  // namespace morvelle

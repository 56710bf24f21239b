#include "ui/ManyTrendsForm.h"

#include <algorithm>
#include <utility>

#include "platform/Env.h"

namespace morvelle {
namespace {

// A state the user has to act on before Rename runs.
bool IsAlert(RowState state) {
  return state == RowState::kRefused || state == RowState::kConflict ||
         state == RowState::kInterrupted;
}

const char* FieldName(ReplaceIn where) {
  switch (where) {
    case ReplaceIn::kTag:
      return "New tag";
    case ReplaceIn::kPath:
      return "New path";
    case ReplaceIn::kBoth:
      break;
  }
  return "New tag or New path";
}

// Why nothing was replaced: and where the text is, when it is only in the
// field the user did not choose.
std::string NotFoundText(const std::vector<ManyRow>& rows,
                         const std::vector<std::size_t>& selected,
                         const Replacement& r) {
  std::string text = "'" + r.find + "' is not in the " + FieldName(r.where) +
                     " of the selected rows";
  if (r.where == ReplaceIn::kBoth) return text + ".";
  Replacement other = r;
  other.where = r.where == ReplaceIn::kTag ? ReplaceIn::kPath : ReplaceIn::kTag;
  if (Occurrences(rows, selected, other) == 0) return text + ".";
  return text + "; it is in their " + FieldName(other.where) + ".";
}

}  // namespace

ManyTrendsForm::ManyTrendsForm(ManyView& view, ManyPaths& paths, Env& env)
    : view_(view), paths_(paths), env_(env), model_(env) {}

ManyTrendsForm::~ManyTrendsForm() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void ManyTrendsForm::Form_Load(const std::string& folder) {
  if (!folder.empty()) LoadFolder(folder);
  EnableControls();
}

void ManyTrendsForm::Form_Unload() { stop_ = true; }

void ManyTrendsForm::cmdBrowse_Click() {
  std::string folder = paths_.AskPath(PathQuestion::kFolder);
  if (!folder.empty()) LoadFolder(folder);
}

void ManyTrendsForm::grdTrends_CellEdited(std::size_t row, ManyColumn column,
                                          const std::string& value) {
  SetNewValue(shown_.at(row), column, value);
  Edited();
}

void ManyTrendsForm::cmdSet_Click(std::size_t row, const std::string& newTag,
                                  const std::string& newPath) {
  SetNewValue(shown_.at(row), ManyColumn::kNewTag, newTag);
  SetNewValue(shown_.at(row), ManyColumn::kNewPath, newPath);
  Edited();
}

void ManyTrendsForm::cmdReplace_Click(const std::vector<std::size_t>& selected,
                                      const Replacement& r) {
  if (selected.empty()) {
    view_.ShowMessage(
        MessageLook::kExclamation,
        "Select the rows to replace in first (Ctrl+A selects all).");
    return;
  }
  std::vector<std::size_t> rows = RowsAt(selected);
  if (model_.Replace(rows, r) > 0)
    ShowTable();
  else
    view_.ShowMessage(MessageLook::kNoIcon,
                      NotFoundText(model_.rows(), rows, r));
}

void ManyTrendsForm::grdTrends_HeaderClick(ManyColumn column) {
  order_.descending = order_.sortColumn == column && !order_.descending;
  order_.sortColumn = column;
  ShowRows();
  ShowStates();
}

void ManyTrendsForm::chkProblems_Click(bool problemsOnly) {
  order_.problemsOnly = problemsOnly;
  ShowRows();
  ShowStates();
}

void ManyTrendsForm::grdTrends_NextProblem(std::optional<std::size_t> current) {
  std::optional<std::size_t> next = NextProblem(model_, shown_, current);
  if (next) view_.SelectRow(*next);
}

void ManyTrendsForm::cmdImport_Click() {
  std::string path = paths_.AskPath(PathQuestion::kImport);
  if (path.empty()) return;
  std::vector<std::string> problems = model_.Import(path);
  ShowTable();
  std::string text;
  for (const std::string& problem : problems) text += problem + "\n";
  if (!text.empty()) view_.ShowMessage(MessageLook::kExclamation, text);
}

void ManyTrendsForm::cmdExport_Click() {
  std::string path = paths_.AskPath(PathQuestion::kExport);
  if (path.empty()) return;
  Status s = model_.Export(path);
  if (!s.ok())
    view_.ShowMessage(MessageLook::kExclamation,
                      "Could not export the list: " + s.ToString());
}

void ManyTrendsForm::cmdRename_Click() { StartRun(false); }

void ManyTrendsForm::cmdUndo_Click() { StartRun(true); }

void ManyTrendsForm::cmdCancel_Click() { stop_ = true; }

void ManyTrendsForm::LoadFolder(const std::string& folder) {
  std::string problem;
  if (!model_.Load(folder, &problem)) {
    view_.ShowMessage(MessageLook::kCritical, problem);
    return;
  }
  view_.SetFolderText(model_.folder());
  std::string unreadable;
  for (const UnreadableTrend& trend : model_.unreadable())
    unreadable += "\n" + trend.hstPath + ": " + trend.reason.ToString();
  if (!unreadable.empty())
    view_.ShowMessage(
        MessageLook::kExclamation,
        "These trends could not be read and are not shown:" + unreadable);
  ShowTable();
}

// Every cell from the model; the states follow once planned.
void ManyTrendsForm::ShowTable() {
  ShowRows();
  RequestPlan();
}

void ManyTrendsForm::ShowRows() {
  shown_ = ShownRows(model_, order_);
  ManyTable cells(shown_.size());
  for (std::size_t place = 0; place < cells.size(); ++place)
    for (int column = 0; column < kManyColumnCount; ++column)
      cells[place][column] =
          model_.Cell(shown_[place], static_cast<ManyColumn>(column));
  view_.ShowTable(cells);
}

void ManyTrendsForm::ShowStates() {
  for (std::size_t place = 0; place < shown_.size(); ++place) {
    const std::size_t row = shown_[place];
    view_.ShowState(place, model_.Cell(row, ManyColumn::kState),
                    IsAlert(model_.status(row).state)
                        ? std::optional<Colour>(kRed)
                        : std::nullopt);
  }
  EnableControls();
}

std::optional<std::size_t> ManyTrendsForm::PlaceOf(std::size_t row) const {
  auto at = std::find(shown_.begin(), shown_.end(), row);
  if (at == shown_.end()) return std::nullopt;
  return static_cast<std::size_t>(at - shown_.begin());
}

std::vector<std::size_t> ManyTrendsForm::RowsAt(
    const std::vector<std::size_t>& places) const {
  std::vector<std::size_t> rows;
  for (std::size_t place : places) rows.push_back(shown_.at(place));
  return rows;
}

void ManyTrendsForm::SetNewValue(std::size_t row, ManyColumn column,
                                 const std::string& value) {
  model_.SetNewValue(row, column, value);
  if (std::optional<std::size_t> place = PlaceOf(row))
    view_.SetCell(*place, column, model_.Cell(row, column));
}

void ManyTrendsForm::Edited() {
  ShowStates();
  RequestPlan();
}

// Rename, Undo last run and Recover: the form's only calls of RenameRuns.
void ManyTrendsForm::StartRun(bool undo) {
  if (busy()) return;
  RunFiles files;
  std::string problem;
  if (!PrepareRun(env_, paths_.RunFolder(), undo,
                  RowRequests(model_.rows(), true), &files, &problem)) {
    view_.ShowMessage(MessageLook::kExclamation, problem);
    return;
  }
  running_ = true;
  stop_ = false;
  view_.ClearProgress();
  StartWorker([this, files] {
    auto progress = [this](std::size_t done, std::size_t total) {
      view_.Post([this, done, total] { view_.SetProgress(done, total); });
    };
    RunResult result =
        ShownResult(RunListFiles(env_, files, &stop_, std::move(progress)));
    return std::function<void()>([this, result] { RunDone(result); });
  });
}

void ManyTrendsForm::cmdRecover_Click() {
  if (busy()) return;
  running_ = recovering_ = true;
  StartWorker([this, folder = model_.folder()] {
    RunResult result = ShownResult(RecoverTrends(env_, folder));
    return std::function<void()>([this, result] { RunDone(result); });
  });
}

// The end of a rename, undo or recovery: what it printed, then the folder
// anew.
void ManyTrendsForm::RunDone(const RunResult& result) {
  running_ = recovering_ = false;
  view_.ShowMessage(
      result.status == 0 ? MessageLook::kNoIcon : MessageLook::kExclamation,
      result.text);
  LoadFolder(model_.folder());
}

void ManyTrendsForm::RequestPlan() {
  if (busy()) {
    planAgain_ = true;
    return;
  }
  planAgain_ = false;
  std::uint64_t generation = model_.generation();
  StartWorker([this, generation, rows = model_.rows()] {
    std::vector<RowStatus> states = PlanRows(env_, rows);
    return std::function<void()>(
        [this, generation, states = std::move(states)]() mutable {
          PlanDone(generation, std::move(states));
        });
  });
}

void ManyTrendsForm::PlanDone(std::uint64_t generation,
                              std::vector<RowStatus> states) {
  if (model_.SetStates(generation, std::move(states))) {
    // A new plan may move rows in or out of the problems, or in an order
    // on State.
    if (ShownRows(model_, order_) != shown_) ShowRows();
    ShowStates();
  }
  if (planAgain_ || generation != model_.generation()) RequestPlan();
}

void ManyTrendsForm::StartWorker(std::function<std::function<void()>()> job) {
  worker_ = std::thread([this, job = std::move(job)] {
    std::function<void()> done = job();
    view_.Post([this, done = std::move(done)] {
      worker_.join();
      done();
      EnableControls();
    });
  });
  EnableControls();
}

void ManyTrendsForm::EnableControls() {
  const bool idle = !running_;
  for (ManyControl control :
       {ManyControl::cmdBrowse, ManyControl::grdTrends, ManyControl::cmdReplace,
        ManyControl::cmdImport, ManyControl::cmdExport, ManyControl::cmdUndo})
    view_.SetEnabled(control, idle);
  view_.SetEnabled(ManyControl::cmdRename,
                   idle && !busy() && model_.CanRename());
  view_.SetEnabled(ManyControl::cmdRecover, !busy() && model_.CanRecover());
  view_.SetEnabled(ManyControl::cmdCancel, running_ && !recovering_);
  view_.SetStatusText(!running_     ? model_.StatusLine()
                      : recovering_ ? "Recovering..."
                                    : "Renaming...");
}

}  // namespace morvelle

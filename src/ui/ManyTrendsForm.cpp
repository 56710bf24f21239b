#include "ui/ManyTrendsForm.h"

#include <algorithm>
#include <utility>

#include "platform/Env.h"

namespace morvelle {
namespace {

// The most lines a message box takes: a list longer than that (trends
// that cannot be read, problems of an imported list) is shown as a report,
// which scrolls.
constexpr std::size_t kBoxLines = 20;

// A state the user has to act on before Rename runs.
bool IsAlert(RowState state) {
  return state == RowState::kRefused || state == RowState::kConflict ||
         state == RowState::kInterrupted || state == RowState::kDamaged;
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

// `folder` as a question names it: without the separator at its end,
// unless it is a root such as D:\ or /.
std::string ShownFolder(std::string folder) {
  const bool root = folder.size() == 1 || folder.ends_with(":\\");
  if (!root && (folder.ends_with('/') || folder.ends_with('\\')))
    folder.pop_back();
  return folder;
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

bool ManyTrendsForm::Form_QueryUnload() {
  return running_ || MayDropEdits("Close");
}

void ManyTrendsForm::Form_Unload() { stop_ = true; }

void ManyTrendsForm::cmdBrowse_Click() {
  OpenFolder(paths_.AskPath(PathQuestion::kFolder));
}

void ManyTrendsForm::txtFolder_Entered(const std::string& folder) {
  OpenFolder(folder);
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
    Tell(MessageLook::kExclamation,
         "Select the rows to replace in first (Ctrl+A selects all).");
    return;
  }
  std::vector<std::size_t> rows = RowsAt(selected);
  if (model_.Replace(rows, r) > 0)
    ShowTable();
  else
    Tell(MessageLook::kNoIcon, NotFoundText(model_.rows(), rows, r));
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
  if (!text.empty()) Tell(MessageLook::kExclamation, text);
}

void ManyTrendsForm::cmdExport_Click() {
  std::string path = paths_.AskPath(PathQuestion::kExport);
  if (path.empty()) return;
  Status s = model_.Export(path);
  if (!s.ok())
    Tell(MessageLook::kExclamation,
         "Could not export the list: " + s.ToString());
}

void ManyTrendsForm::cmdRename_Click() { StartRun(false); }

void ManyTrendsForm::cmdUndo_Click() { StartRun(true); }

void ManyTrendsForm::cmdCancel_Click() { stop_ = true; }

void ManyTrendsForm::Tell(MessageLook look, const std::string& text) {
  if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) <
      kBoxLines)
    view_.ShowMessage(look, text);
  else
    view_.ShowReport(ReportOfMessage(text));
}

// True when there are no edits not yet run, or the user lets `action`
// ("Close", "Open FOLDER") drop them.
bool ManyTrendsForm::MayDropEdits(const std::string& action) {
  const std::size_t edited = model_.ChangedCount();
  return edited == 0 ||
         view_.AskYesNo("The edits of " + TrendCount(edited) +
                        " have not been run. " + action + " and lose them?");
}

// A folder the user picks or types; an empty one is a cancelled dialog or
// an empty box. Kept edits keep the folder they belong to in the box.
void ManyTrendsForm::OpenFolder(const std::string& folder) {
  if (folder.empty()) return;
  if (MayDropEdits("Open " + ShownFolder(folder)))
    LoadFolder(folder);
  else
    view_.SetFolderText(model_.folder());
}

void ManyTrendsForm::LoadFolder(const std::string& folder) {
  std::string problem;
  if (!model_.Load(folder, &problem)) {
    Tell(MessageLook::kCritical, problem);
    return;
  }
  view_.SetFolderText(model_.folder());
  std::string unreadable;
  for (const UnreadableTrend& trend : model_.unreadable())
    unreadable += "\n" + trend.hstPath + ": " + trend.reason.ToString();
  if (!unreadable.empty())
    Tell(MessageLook::kExclamation,
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
    const std::string text = model_.Cell(row, ManyColumn::kState);
    const std::string damage = model_.StateTooltip(row);
    view_.ShowState(place, text,
                    IsAlert(model_.status(row).state)
                        ? std::optional<Colour>(kRed)
                        : std::nullopt,
                    damage.empty() ? text : damage);
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
// Rename asks before it writes its list; Undo finds its list first, to
// name the trends it renames back.
void ManyTrendsForm::StartRun(bool undo) {
  if (busy()) return;
  if (!undo && !view_.AskYesNo("Rename " + TrendCount(model_.ChangedCount()) +
                               " in " + ShownFolder(model_.folder()) + "?"))
    return;
  RunFiles files;
  std::string problem;
  if (!PrepareRun(env_, paths_.RunFolder(), undo,
                  RowRequests(model_.rows(), true), &files, &problem)) {
    Tell(MessageLook::kExclamation, problem);
    return;
  }
  if (undo &&
      !view_.AskYesNo("Undo last run: rename " + TrendCount(files.trends) +
                      " in " + ShownFolder(files.trendFolder) + " back?"))
    return;
  running_ = true;
  stop_ = false;
  view_.ClearProgress();
  StartWorker([this, undo, files, table = model_.rows()] {
    auto progress = [this](std::size_t done, std::size_t total) {
      view_.Post([this, done, total] { view_.SetProgress(done, total); });
    };
    RunReport report = ReportOfRun(
        undo ? RunKind::kUndo : RunKind::kRename, files,
        RunListFiles(env_, files, &stop_, std::move(progress)), table);
    return std::function<void()>([this, report] { RunDone(report); });
  });
}

void ManyTrendsForm::cmdRecover_Click() {
  if (busy()) return;
  running_ = recovering_ = true;
  StartWorker([this, folder = model_.folder()] {
    RunReport report = ReportOfRecovery(RecoverTrends(env_, folder));
    return std::function<void()>([this, report] { RunDone(report); });
  });
}

void ManyTrendsForm::RunDone(const RunReport& report) {
  running_ = recovering_ = false;
  LoadFolder(model_.folder());
  view_.ShowReport(report);
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
       {ManyControl::txtFolder, ManyControl::cmdBrowse, ManyControl::grdTrends,
        ManyControl::cmdReplace, ManyControl::cmdImport, ManyControl::cmdExport,
        ManyControl::cmdUndo})
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

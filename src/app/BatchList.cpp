#include "app/BatchList.h"

#include <ostream>
#include <sstream>

#include "app/BatchMode.h"
#include "app/Messages.h"
#include "app/PlanText.h"
#include "app/ProgressBar.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/Journal.h"

namespace morvelle {
namespace {

RowTally Count(const std::vector<RowResult>& rows) {
  RowTally tally;
  for (const RowResult& row : rows) {
    switch (row.outcome) {
      case RowOutcome::kRenamed:
        ++tally.renamed;
        break;
      case RowOutcome::kRefused:
        ++tally.refused;
        break;
      case RowOutcome::kFailed:
        ++tally.failed;
        break;
      case RowOutcome::kNotRun:
        ++tally.notRun;
        break;
    }
  }
  return tally;
}

std::string SummaryLine(const RowTally& tally, bool changed) {
  return "Summary: " + std::to_string(tally.renamed) + " renamed, " +
         std::to_string(tally.refused) + " refused, " +
         std::to_string(tally.failed) + " failed, " +
         std::to_string(tally.notRun) + " not run." +
         (changed ? "" : " Nothing was changed.") + "\n";
}

std::string Shown(const std::string& text) {
  return EscapeControlCharacters(text);
}

// A trend whose file name stays (only its tag or the folder of its path
// changed) is not said to be renamed to itself.
std::string RenamedMessage(const RenamePlan& plan) {
  std::size_t data_files = plan.files.size() - 1;
  const std::string count =
      std::to_string(data_files) + " data file" + (data_files == 1 ? "" : "s");
  const std::string newName = FileNameOf(plan.files.front().newPath);
  if (newName == FileNameOf(plan.hstPath))
    return "rewrote '" + Shown(plan.hstPath) + "' and its " + count +
           ", their names kept";
  return "renamed '" + Shown(plan.hstPath) + "' to '" + Shown(newName) +
         "' with " + count;
}

class StreamOutput final : public BatchListOutput {
 public:
  StreamOutput(const std::string& listPath, std::ostream& out,
               std::ostream& err)
      : listPath_(listPath), out_(out), err_(err) {}

  void Line(const std::string& text, bool error) override {
    if (error)
      err_ << ErrorText(text);
    else
      out_ << text;
  }
  void RowEnded(const RowResult& row) override {
    Line(RowLine(listPath_, row), row.outcome != RowOutcome::kRenamed);
  }

 private:
  const std::string& listPath_;
  std::ostream& out_;
  std::ostream& err_;
};

const char* OutcomeName(RowOutcome outcome) {
  switch (outcome) {
    case RowOutcome::kRenamed:
      return "renamed";
    case RowOutcome::kRefused:
      return "refused";
    case RowOutcome::kFailed:
      return "failed";
    case RowOutcome::kNotRun:
      break;
  }
  return "notRun";
}

// The "row" record of `row`; `outcome` names how it ended.
JsonObject RowJson(const RowResult& row, std::string_view outcome) {
  const RenameRequest& request = row.row.request;
  JsonObject record = JsonRecord("row");
  record.Number("line", row.row.line)
      .String("historyFile", request.hstPath)
      .String("newTag", request.newTag)
      .String("newPath", request.newPath)
      .String("outcome", outcome)
      .String("message", row.message);
  return record;
}

// JSON Lines on standard output; standard error as StreamOutput has it.
class JsonOutput final : public BatchListOutput {
 public:
  JsonOutput(const std::string& listPath, bool dryRun, std::ostream& out,
             std::ostream& err)
      : listPath_(listPath), dryRun_(dryRun), out_(out), err_(err) {}

  // The text for standard output is told as records instead.
  void Line(const std::string& text, bool error) override {
    if (error) err_ << ErrorText(text);
  }
  void RowEnded(const RowResult& row) override {
    out_ << JsonLine(RowJson(row, OutcomeName(row.outcome)));
    if (row.outcome != RowOutcome::kRenamed)
      err_ << ErrorText(RowLine(listPath_, row));
  }
  void RowRefused(const RowResult& row, const std::string& line) override {
    out_ << JsonLine(RowJson(row, OutcomeName(row.outcome)));
    err_ << ErrorText(line);
  }
  void RowPlanned(const RowResult& row, const RenamePlan& plan,
                  const std::string&) override {
    JsonObject plan_fields;
    AddPlanFields(plan, &plan_fields);
    out_ << JsonLine(RowJson(row, "planned").Raw("plan", plan_fields.Text()));
  }
  void Summary(const RowTally& tally, bool changed, const std::string&,
               bool) override {
    JsonObject record = JsonRecord("summary");
    record.Number("renamed", tally.renamed)
        .Number("refused", tally.refused)
        .Number("failed", tally.failed)
        .Number("notRun", tally.notRun)
        .Bool("dryRun", dryRun_)
        .Bool("changed", changed);
    out_ << JsonLine(record);
  }

 private:
  const std::string& listPath_;
  const bool dryRun_;
  std::ostream& out_;
  std::ostream& err_;
};

class BatchListRun {
 public:
  // The progress bar is drawn on `progress` when the options ask for it
  // and it is not null.
  BatchListRun(Env& env, const BatchListOptions& options,
               BatchListOutput& output, std::ostream* progress)
      : env_(env),
        options_(options),
        output_(output),
        progress_(options.progress ? progress : nullptr) {}

  BatchListResult Run() {
    RowTally unsound;
    if (!ReadList(&unsound)) return NothingChanged(unsound);
    if (!UndoListIsFree()) return NothingChanged();
    std::vector<RenameRequest> requests;
    for (const RowResult& row : result_.rows)
      requests.push_back(row.row.request);
    std::vector<PlannedRename> plans = PlanRenames(env_, requests);
    if (!CheckPlans(plans) || !UndoListNameIsFree(plans))
      return NothingChanged();
    if (options_.dryRun) return ShowPlans(plans);
    return RenameAll(&plans);
  }

 private:
  std::string Where(const ListRow& row) const {
    return ListPlace(options_.listPath, row.line);
  }

  // A line for standard error: why nothing or not all was done, or a
  // warning.
  void TellError(const std::string& line) { output_.Line(line, true); }

  bool StopRequested() const {
    return options_.stop != nullptr && options_.stop->load();
  }

  // Ends a run that changed nothing; the summary goes with the messages
  // that said why.
  BatchListResult NothingChanged(const RowTally& tally) {
    output_.Summary(tally, false, SummaryLine(tally, false), true);
    result_.status = kExitNotRenamed;
    return std::move(result_);
  }
  BatchListResult NothingChanged() {
    return NothingChanged(Count(result_.rows));
  }

  // A list with errors counts its bad rows as refused and its good ones
  // as not run in `*tally`.
  bool ReadList(RowTally* tally) {
    RenameList list;
    Status s = ReadRenameList(env_, options_.listPath, &list);
    if (s.kind() == ErrorKind::kTooLarge) {
      TellError(
          "The list '" + Shown(options_.listPath) + "' is larger than " +
          std::to_string(kListSizeLimit >> 20) +
          " MiB, the most Morvelle reads; split it into smaller lists.\n");
      return false;
    }
    if (!s.ok()) {
      TellError("Could not read the list: " + s.ToString() + "\n");
      return false;
    }
    for (const ListError& e : list.errors)
      TellError(ListPlace(options_.listPath, e.line) + e.message + "\n");
    if (!list.errors.empty()) {
      TellError("The list is not sound.\n");
      tally->refused = list.errors.size();
      tally->notRun = list.rows.size();
      return false;
    }
    if (list.rows.empty()) {
      TellError("The list '" + Shown(options_.listPath) +
                "' holds no trend.\n");
      return false;
    }
    for (ListRow& row : list.rows)
      result_.rows.push_back({std::move(row), RowOutcome::kNotRun, ""});
    return true;
  }

  bool UndoListIsFree() {
    if (options_.undoListPath.empty()) return true;
    FileInfo info;
    Status s = env_.GetFileInfo(options_.undoListPath, &info);
    if (s.kind() == ErrorKind::kNotFound) return true;
    TellError((s.ok() ? "The undo list '" + Shown(options_.undoListPath) +
                            "' exists already; Morvelle does not overwrite it."
                      : "Could not check the undo list: " + s.ToString()) +
              "\n");
    return false;
  }

  // The undo list must not have a name a row gives a file, or the run
  // would stop at that file, or a trend would lose its name to the list.
  // Names are compared as the file systems of the trends compare them.
  bool UndoListNameIsFree(const std::vector<PlannedRename>& plans) {
    if (options_.undoListPath.empty()) return true;
    std::string undo;
    Status s = env_.AbsolutePath(options_.undoListPath, &undo);
    if (!s.ok()) {
      TellError("Could not check the undo list: " + s.ToString() + "\n");
      return false;
    }
    const std::string folded = FoldCase(undo);
    for (std::size_t i = 0; i < plans.size(); ++i) {
      for (const FileChange& file : plans[i].plan.files) {
        for (const std::string* name : {&file.path, &file.newPath}) {
          if (FoldCase(*name) != folded) continue;
          TellError(Where(result_.rows[i].row) + "the undo list '" +
                    Shown(options_.undoListPath) +
                    "' would take the name of the trend file '" + Shown(*name) +
                    "'; choose another name for the undo list\n");
          return false;
        }
      }
    }
    return true;
  }

  // Tells every refusal, warning and undo-list problem; true when every
  // row may run.
  bool CheckPlans(const std::vector<PlannedRename>& plans) {
    bool all_run = true;
    for (std::size_t i = 0; i < plans.size(); ++i) {
      const PlannedRename& plan = plans[i];
      RowResult& row = result_.rows[i];
      if (plan.outcome != RenameOutcome::kRenamed) {
        row.outcome = plan.outcome == RenameOutcome::kFailed
                          ? RowOutcome::kFailed
                          : RowOutcome::kRefused;
        row.message = plan.failure.ToString();
        if (plan.conflictsWith != kNoRequest)
          row.message +=
              " (line " +
              std::to_string(result_.rows[plan.conflictsWith].row.line) + ")";
        output_.RowRefused(row, RowLine(options_.listPath, row));
        all_run = false;
        continue;
      }
      if (!options_.dryRun)
        for (const std::string& warning : plan.plan.warnings)
          TellError(Where(row.row) + "warning: " + warning + "\n");
      if (!options_.undoListPath.empty()) WarnAboutUndo(row.row, plan.plan);
    }
    return all_run;
  }

  // Warns when the undo list's row for this trend would be refused when it
  // is run (the old values break a rule for new ones), or would not give
  // back every byte.
  void WarnAboutUndo(const ListRow& row, const RenamePlan& plan) {
    Status inexact;
    RenameRequest undo = UndoRequest(plan, &inexact);
    Status refused = CheckNewValues(undo.newPath, undo.newTag);
    if (!refused.ok())
      TellError(Where(row) +
                "warning: the undo list cannot rename this trend back: " +
                refused.ToString() + "\n");
    else if (!inexact.ok())
      TellError(Where(row) +
                "warning: the undo list cannot restore this trend exactly: " +
                inexact.ToString() + "\n");
  }

  BatchListResult ShowPlans(const std::vector<PlannedRename>& plans) {
    for (std::size_t i = 0; i < plans.size(); ++i) {
      const RenamePlan& plan = plans[i].plan;
      std::ostringstream text;
      DescribePlan(plan, text);
      for (const std::string& warning : plan.warnings)
        text << "  Warning: " << warning << "\n";
      output_.RowPlanned(result_.rows[i], plan, text.str());
    }
    output_.Line("Dry run: " + std::to_string(plans.size()) + " trend" +
                     (plans.size() == 1 ? "" : "s") + " would be renamed.\n",
                 false);
    const RowTally tally = Count(result_.rows);
    output_.Summary(tally, false, SummaryLine(tally, false), false);
    result_.status = kExitRenamed;
    return std::move(result_);
  }

  BatchListResult RenameAll(std::vector<PlannedRename>* plans) {
    std::vector<RowResult>& rows = result_.rows;
    RunJournal journal(env_);
    if (!BeginJournal(journal, *plans)) return NothingChanged();
    UndoListFile undo(env_);
    bool keep_undo = !options_.undoListPath.empty();
    if (keep_undo) {
      Status s = undo.Create(options_.undoListPath);
      if (!s.ok()) {
        TellError("Could not create the undo list: " + s.ToString() + "\n");
        journal.Finish(false, false);
        return NothingChanged();
      }
    }
    ProgressBar bar(progress_, rows.size());
    FolderListings folders(env_);
    const std::string folder = FolderOf(plans->front().plan.hstPath);
    bool go_on = true, undo_failed = false;
    for (std::size_t i = 0; i < rows.size() && go_on; ++i) {
      if (StopRequested()) {
        TellError("Stopped on request before line " +
                  std::to_string(rows[i].row.line) +
                  "; the rows from it on were not run.\n");
        break;
      }
      bar.Show(i);
      if (options_.onProgress) options_.onProgress(i, rows.size());
      RenameReport report = ExecuteRenamePlan(
          folders, journal, std::move((*plans)[i].plan), options_.stop);
      bar.Hide();
      ++result_.started;
      undo_failed = report.outcome == RenameOutcome::kUndoFailed;
      go_on = RowDone(report, keep_undo ? &undo : nullptr, &rows[i]);
      if (!go_on) TellError("The rows after it were not run.\n");
    }
    bar.Hide();
    if (options_.onProgress) options_.onProgress(rows.size(), rows.size());
    Status closed = keep_undo ? undo.Close() : Status::Ok();
    if (!closed.ok())
      TellError("Could not write the undo list: " + closed.ToString() +
                "; it may lack trends that were renamed.\n");
    bool flushed = EndJournal(journal, undo_failed, folder);
    const RowTally tally = Count(rows);
    output_.Summary(tally, true, SummaryLine(tally, true), false);
    bool all_done =
        tally.renamed == rows.size() && go_on && closed.ok() && flushed;
    result_.status = StopRequested() ? kExitInterrupted
                     : all_done      ? kExitRenamed
                                     : kExitNotRenamed;
    return std::move(result_);
  }

  bool BeginJournal(RunJournal& journal,
                    const std::vector<PlannedRename>& plans) {
    std::vector<const RenamePlan*> journaled;
    journaled.reserve(plans.size());
    for (const PlannedRename& plan : plans) journaled.push_back(&plan.plan);
    // Recovery completes the undo list from the journal, so it names the
    // list by its whole path and holds each trend's row.
    UndoListRows undo;
    Status s = options_.undoListPath.empty()
                   ? Status::Ok()
                   : env_.AbsolutePath(options_.undoListPath, &undo.path);
    for (std::size_t i = 0; s.ok() && !undo.path.empty() && i < plans.size();
         ++i)
      undo.rows.push_back(ListRowText(UndoRequest(plans[i].plan)));
    if (s.ok())
      s = journal.Begin(journaled, undo.path.empty() ? nullptr : &undo);
    if (!s.ok())
      TellError("Could not write the run's journal: " + s.ToString() + "\n");
    return s.ok();
  }

  // Flushes the run's changes and removes its journal; false when the
  // changes may not survive a power cut.
  bool EndJournal(RunJournal& journal, bool undoFailed,
                  const std::string& trendFolder) {
    const RunJournal::End end = journal.Finish(undoFailed, true);
    const std::string folder = "'" + Shown(trendFolder) + "'";
    if (!end.flush.ok())
      TellError(FlushFailed(end.flush, folder).ToString() + "\n");
    else if (!end.removal.ok())
      TellError("warning: " + JournalLeft(end.removal, folder).ToString() +
                "\n");
    return end.flush.ok();
  }

  // Records and tells how `row` ran, its undo row written before anything
  // about it is told. False when the run must stop after it: a row not
  // renamed, or a renamed trend the undo list lacks, which could not be
  // renamed back from it. A row stopped on request was put back as it
  // was, so it counts as not run.
  bool RowDone(const RenameReport& report, UndoListFile* undo, RowResult* row) {
    if (!report.ok()) {
      row->outcome =
          report.outcome == RenameOutcome::kStopped   ? RowOutcome::kNotRun
          : report.outcome == RenameOutcome::kRefused ? RowOutcome::kRefused
                                                      : RowOutcome::kFailed;
      row->message = report.failure.ToString();
      output_.RowEnded(*row);
      return false;
    }
    row->outcome = RowOutcome::kRenamed;
    Status s = undo ? undo->Add(UndoRequest(report.plan)) : Status::Ok();
    row->message = RenamedMessage(report.plan);
    output_.RowEnded(*row);
    if (!s.ok())
      TellError(Where(row->row) +
                "renamed, but the undo list lacks it: " + s.ToString() + "\n");
    return s.ok();
  }

  Env& env_;
  const BatchListOptions& options_;
  BatchListOutput& output_;
  std::ostream* progress_;
  BatchListResult result_;
};

}  // namespace

void BatchListOutput::RowRefused(const RowResult&, const std::string& line) {
  Line(line, true);
}

void BatchListOutput::RowPlanned(const RowResult&, const RenamePlan&,
                                 const std::string& text) {
  Line(text, false);
}

void BatchListOutput::Summary(const RowTally&, bool, const std::string& line,
                              bool error) {
  Line(line, error);
}

std::string RowLine(const std::string& listPath, const RowResult& row) {
  return ListPlace(listPath, row.row.line) + row.message + "\n";
}

BatchListResult RunBatchList(Env& env, const BatchListOptions& options,
                             BatchListOutput& output) {
  return BatchListRun(env, options, output, nullptr).Run();
}

int RunBatchList(Env& env, const BatchListOptions& options, std::ostream& out,
                 std::ostream& err) {
  StreamOutput text(options.listPath, out, err);
  JsonOutput json(options.listPath, options.dryRun, out, err);
  BatchListOutput& output =
      options.json ? static_cast<BatchListOutput&>(json) : text;
  return BatchListRun(env, options, output, &err).Run().status;
}

}  // namespace morvelle

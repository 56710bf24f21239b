#include "app/BatchList.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include "app/BatchMode.h"
#include "app/PlanText.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/Journal.h"

namespace morvelle {
namespace {

constexpr std::size_t kValuesPerRow = 3;

// The first line of every undo list starts with this. Its rows are written
// whole, each ending in a line break, so a marked list whose last row has
// none was cut short while it was written.
constexpr std::string_view kUndoListMarker = "# Morvelle undo list";

class ListParser {
 public:
  explicit ListParser(std::string_view text) : text_(text) {}

  RenameList Parse() {
    RenameList list;
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    const bool undo_list = text_.substr(pos_).starts_with(kUndoListMarker);
    std::size_t nul = text_.find('\0');
    if (nul != std::string_view::npos) {
      list.errors.push_back(
          {LineOf(nul), "holds a NUL byte; save the list as UTF-8 text"});
      return list;
    }
    while (!AtEnd()) {
      if (SkipIgnoredLine()) continue;
      ListRow row;
      row.line = line_;
      std::vector<std::string> values;
      std::string error;
      if (!ReadValues(&values, &error)) {
        list.errors.push_back({row.line, error});
        if (unclosed_) break;
        continue;
      }
      if (undo_list && AtEnd() && text_.back() != '\n') {
        list.errors.push_back(
            {row.line,
             "has no line end: this undo list was cut short while it was "
             "written, so the row may lack the end of a value; restore its "
             "trend by hand"});
        continue;
      }
      if (values.size() != kValuesPerRow) {
        list.errors.push_back(
            {row.line, "has " + std::to_string(values.size()) +
                           " values; a row has three: history file, new "
                           "tag, new path"});
        continue;
      }
      row.request = {values[0], values[1], values[2]};
      list.rows.push_back(std::move(row));
    }
    return list;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }

  std::size_t LineOf(std::size_t pos) const {
    std::string_view before = text_.substr(0, pos);
    return 1 + static_cast<std::size_t>(
                   std::count(before.begin(), before.end(), '\n'));
  }

  void SkipLine() {
    std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
  }

  // Skips the line at `pos_` when it is blank (spaces and tabs only) or a
  // comment.
  bool SkipIgnoredLine() {
    std::size_t first = text_.find_first_not_of(" \t\r", pos_);
    bool blank = first == std::string_view::npos || text_[first] == '\n';
    if (!blank && text_[pos_] != '#') return false;
    SkipLine();
    return true;
  }

  // One quoted value, `pos_` at its opening quote.
  bool ReadQuoted(std::string* value, std::string* error) {
    ++pos_;
    for (;;) {
      if (AtEnd()) {
        *error = "a quoted value is not closed";
        unclosed_ = true;
        return false;
      }
      char c = text_[pos_++];
      if (c == '"') {
        if (AtEnd() || text_[pos_] != '"') break;
        ++pos_;
      }
      if (c == '\n') ++line_;
      *value += c;
    }
    if (text_.substr(pos_, 2) == "\r\n") ++pos_;
    if (!AtEnd() && text_[pos_] != ',' && text_[pos_] != '\n') {
      *error = "text follows the closing double quote of a value";
      SkipLine();
      return false;
    }
    return true;
  }

  bool ReadPlain(std::string* value, std::string* error) {
    std::size_t end = std::min(text_.find_first_of(",\n", pos_), text_.size());
    *value = std::string(text_.substr(pos_, end - pos_));
    pos_ = end;
    if (!value->empty() && value->back() == '\r' &&
        (AtEnd() || text_[pos_] == '\n'))
      value->pop_back();
    if (value->find('"') != std::string::npos) {
      *error =
          "a value holds a double quote but does not start with one; quote "
          "the whole value and double the quotes inside";
      SkipLine();
      return false;
    }
    return true;
  }

  // The values of the row at `pos_`, up to the end of its line.
  bool ReadValues(std::vector<std::string>* values, std::string* error) {
    for (;;) {
      std::string value;
      bool read = !AtEnd() && text_[pos_] == '"' ? ReadQuoted(&value, error)
                                                 : ReadPlain(&value, error);
      if (!read) return false;
      values->push_back(std::move(value));
      if (AtEnd()) return true;
      if (text_[pos_++] == '\n') {
        ++line_;
        return true;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  bool unclosed_ = false;  // the rest of the text is inside a quoted value
};

class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool shown, std::size_t total)
      : err_(err), shown_(shown && total > 1), total_(total) {}

  void Show(std::size_t done) {
    std::size_t percent = done * 100 / total_;
    if (!shown_ || percent == percent_) return;
    percent_ = percent;
    std::size_t filled = done * kWidth / total_;
    line_ = "[" + std::string(filled, '#') + std::string(kWidth - filled, '.') +
            "] " + std::to_string(done) + "/" + std::to_string(total_) +
            " trends";
    err_ << "\r" << line_ << std::flush;
  }

  // Takes the bar off the line, so that other output starts clean.
  void Hide() {
    if (!shown_ || line_.empty()) return;
    err_ << "\r" << std::string(line_.size(), ' ') << "\r" << std::flush;
    percent_ = kNone;
  }

 private:
  static constexpr std::size_t kWidth = 30;
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::ostream& err_;
  bool shown_;
  std::size_t total_;
  std::size_t percent_ = kNone;
  std::string line_;
};

// Written through the Env like the trend files, so that its name reaches
// the file system as the user gave it on every platform.
// One whole row of an undo list.
std::string UndoRow(const RenameRequest& undo) {
  return CsvValue(undo.hstPath) + "," + CsvValue(undo.newTag) + "," +
         CsvValue(undo.newPath) + "\n";
}

class UndoList {
 public:
  explicit UndoList(Env& env) : env_(env) {}

  // Creates the file, failing when it exists already, and writes its
  // first lines. When they cannot be written the file is removed again, so
  // that a failed start leaves nothing behind.
  Status Create(const std::string& path) {
    Status s = env_.CreateNewFile(path, &file_);
    if (!s.ok()) return s;
    s = Put(std::string(kUndoListMarker) +
            ": renames the trends back.\n"
            "# Run it with: morvelle --batch THIS-FILE\n");
    if (s.ok()) return s;
    file_.reset();
    Status removed = env_.RemoveFile(path);
    if (removed.ok()) return s;
    return Status::Error(
        s.kind(), s.operation(), s.path(),
        s.detail() + "; nor could the file be removed: " + removed.ToString());
  }

  Status Add(const RenameRequest& undo) { return Put(UndoRow(undo)); }

  Status Close() {
    Status s = file_->Close();
    file_.reset();
    return s;
  }

 private:
  // Each row reaches the operating system at once and whole, so that the
  // list holds exactly the trends renamed however the run ends: a write
  // that fails is cut back to the rows before it. Should the cut fail too,
  // the row is left without its line end, and the list is refused as cut
  // short when it is run.
  Status Put(const std::string& text) {
    Status s = file_->WriteAt(size_, text);
    if (s.ok())
      size_ += text.size();
    else
      file_->Truncate(size_);
    return s;
  }

  Env& env_;
  std::unique_ptr<File> file_;
  std::uint64_t size_ = 0;
};

struct Tally {
  std::size_t renamed = 0, refused = 0, failed = 0, notRun = 0;
};

void PrintSummary(const Tally& tally, bool changed, std::ostream& out) {
  out << "Summary: " << tally.renamed << " renamed, " << tally.refused
      << " refused, " << tally.failed << " failed, " << tally.notRun
      << " not run." << (changed ? "" : " Nothing was changed.") << "\n";
}

class BatchListRun {
 public:
  BatchListRun(Env& env, const BatchListOptions& options, std::ostream& out,
               std::ostream& err)
      : env_(env), options_(options), out_(out), err_(err) {}

  int Run() {
    std::vector<ListRow> rows;
    Tally tally;
    if (!ReadList(&rows, &tally)) return NothingChanged(tally);
    tally.notRun = rows.size();
    if (!UndoListIsFree()) return NothingChanged(tally);
    std::vector<RenameRequest> requests;
    for (const ListRow& row : rows) requests.push_back(row.request);
    std::vector<PlannedRename> plans = PlanRenames(env_, requests);
    if (!CheckPlans(rows, plans, &tally) || !UndoListNameIsFree(rows, plans))
      return NothingChanged(tally);
    if (options_.dryRun) return ShowPlans(plans, tally);
    return RenameAll(rows, &plans);
  }

 private:
  std::string Where(const ListRow& row) const {
    return Shown(options_.listPath) + ":" + std::to_string(row.line) + ": ";
  }

  static std::string Shown(const std::string& text) {
    return EscapeControlCharacters(text);
  }

  bool StopRequested() const {
    return options_.stop != nullptr && options_.stop->load();
  }

  // Ends a run that changed nothing; the summary goes with the messages
  // that said why.
  int NothingChanged(const Tally& tally) {
    PrintSummary(tally, false, err_);
    return kExitNotRenamed;
  }

  // A list with errors counts its bad rows as refused and its good ones
  // as not run.
  bool ReadList(std::vector<ListRow>* rows, Tally* tally) {
    std::string text;
    Status s = env_.ReadTextFile(options_.listPath, kListSizeLimit, &text);
    if (s.kind() == ErrorKind::kTooLarge) {
      err_ << "The list '" << Shown(options_.listPath) << "' is larger than "
           << (kListSizeLimit >> 20)
           << " MiB, the most Morvelle reads; split it into smaller lists.\n";
      return false;
    }
    if (!s.ok()) {
      err_ << "Could not read the list: " << s.ToString() << "\n";
      return false;
    }
    RenameList list = ParseRenameList(text);
    for (const ListError& e : list.errors)
      err_ << Shown(options_.listPath) << ":" << e.line << ": " << e.message
           << "\n";
    if (!list.errors.empty()) {
      err_ << "The list is not sound.\n";
      tally->refused = list.errors.size();
      tally->notRun = list.rows.size();
      return false;
    }
    if (list.rows.empty()) {
      err_ << "The list '" << Shown(options_.listPath) << "' holds no trend.\n";
      return false;
    }
    *rows = std::move(list.rows);
    return true;
  }

  bool UndoListIsFree() {
    if (options_.undoListPath.empty()) return true;
    FileInfo info;
    Status s = env_.GetFileInfo(options_.undoListPath, &info);
    if (s.kind() == ErrorKind::kNotFound) return true;
    err_ << (s.ok() ? "The undo list '" + Shown(options_.undoListPath) +
                          "' exists already; Morvelle does not overwrite it."
                    : "Could not check the undo list: " + s.ToString())
         << "\n";
    return false;
  }

  // The undo list must not have a name a row gives a file, or the run
  // would stop at that file, or a trend would lose its name to the list.
  // Names are compared as the file systems of the trends compare them.
  bool UndoListNameIsFree(const std::vector<ListRow>& rows,
                          const std::vector<PlannedRename>& plans) {
    if (options_.undoListPath.empty()) return true;
    std::string undo;
    Status s = env_.AbsolutePath(options_.undoListPath, &undo);
    if (!s.ok()) {
      err_ << "Could not check the undo list: " << s.ToString() << "\n";
      return false;
    }
    const std::string folded = FoldCase(undo);
    for (std::size_t i = 0; i < plans.size(); ++i) {
      for (const FileChange& file : plans[i].plan.files) {
        for (const std::string* name : {&file.path, &file.newPath}) {
          if (FoldCase(*name) != folded) continue;
          err_ << Where(rows[i]) << "the undo list '"
               << Shown(options_.undoListPath)
               << "' would take the name of the trend file '" << Shown(*name)
               << "'; choose another name for the undo list\n";
          return false;
        }
      }
    }
    return true;
  }

  // Tells every refusal, warning and undo-list problem; true when every
  // row may run.
  bool CheckPlans(const std::vector<ListRow>& rows,
                  const std::vector<PlannedRename>& plans, Tally* tally) {
    for (std::size_t i = 0; i < plans.size(); ++i) {
      const PlannedRename& plan = plans[i];
      if (plan.outcome != RenameOutcome::kRenamed) {
        err_ << Where(rows[i]) << plan.failure.ToString();
        if (plan.conflictsWith != kNoRequest)
          err_ << " (line " << rows[plan.conflictsWith].line << ")";
        err_ << "\n";
        ++(plan.outcome == RenameOutcome::kFailed ? tally->failed
                                                  : tally->refused);
        continue;
      }
      if (!options_.dryRun)
        for (const std::string& warning : plan.plan.warnings)
          err_ << Where(rows[i]) << "warning: " << warning << "\n";
      if (!options_.undoListPath.empty()) WarnAboutUndo(rows[i], plan.plan);
    }
    tally->notRun = plans.size() - tally->refused - tally->failed;
    return tally->refused + tally->failed == 0;
  }

  // Warns when the undo list's row for this trend would be refused when it
  // is run (the old values break a rule for new ones), or would not give
  // back every byte.
  void WarnAboutUndo(const ListRow& row, const RenamePlan& plan) {
    Status inexact;
    RenameRequest undo = UndoRequest(plan, &inexact);
    Status refused = CheckNewValues(undo.newPath, undo.newTag);
    if (!refused.ok())
      err_ << Where(row)
           << "warning: the undo list cannot rename this trend back: "
           << refused.ToString() << "\n";
    else if (!inexact.ok())
      err_ << Where(row)
           << "warning: the undo list cannot restore this trend exactly: "
           << inexact.ToString() << "\n";
  }

  int ShowPlans(const std::vector<PlannedRename>& plans, const Tally& tally) {
    for (const PlannedRename& plan : plans) {
      DescribePlan(plan.plan, out_);
      for (const std::string& warning : plan.plan.warnings)
        out_ << "  Warning: " << warning << "\n";
    }
    out_ << "Dry run: " << plans.size() << " trend"
         << (plans.size() == 1 ? "" : "s") << " would be renamed.\n";
    PrintSummary(tally, false, out_);
    return kExitRenamed;
  }

  int RenameAll(const std::vector<ListRow>& rows,
                std::vector<PlannedRename>* plans) {
    Tally tally;
    tally.notRun = rows.size();
    RunJournal journal(env_);
    if (!BeginJournal(journal, *plans)) return NothingChanged(tally);
    UndoList undo(env_);
    bool keep_undo = !options_.undoListPath.empty();
    if (keep_undo) {
      Status s = undo.Create(options_.undoListPath);
      if (!s.ok()) {
        err_ << "Could not create the undo list: " << s.ToString() << "\n";
        journal.Finish(false, false);
        return NothingChanged(tally);
      }
    }
    ProgressBar bar(err_, options_.progress, rows.size());
    FolderListings folders(env_);
    const std::string folder = FolderOf(plans->front().plan.hstPath);
    bool go_on = true, undo_failed = false;
    for (std::size_t i = 0; i < rows.size() && go_on; ++i) {
      if (StopRequested()) {
        err_ << "Stopped on request before line " << rows[i].line
             << "; the rows from it on were not run.\n";
        break;
      }
      bar.Show(i);
      if (options_.onProgress) options_.onProgress(i, rows.size());
      RenameReport report = ExecuteRenamePlan(
          folders, journal, std::move((*plans)[i].plan), options_.stop);
      bar.Hide();
      undo_failed = report.outcome == RenameOutcome::kUndoFailed;
      go_on = RowDone(rows[i], report, keep_undo ? &undo : nullptr, &tally);
      if (!go_on) err_ << "The rows after it were not run.\n";
    }
    bar.Hide();
    if (options_.onProgress) options_.onProgress(rows.size(), rows.size());
    Status closed = keep_undo ? undo.Close() : Status::Ok();
    if (!closed.ok())
      err_ << "Could not write the undo list: " << closed.ToString()
           << "; it may lack trends that were renamed.\n";
    bool flushed = EndJournal(journal, undo_failed, folder);
    PrintSummary(tally, true, out_);
    if (StopRequested()) return kExitInterrupted;
    bool all_done =
        tally.renamed == rows.size() && go_on && closed.ok() && flushed;
    return all_done ? kExitRenamed : kExitNotRenamed;
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
      undo.rows.push_back(UndoRow(UndoRequest(plans[i].plan)));
    if (s.ok())
      s = journal.Begin(journaled, undo.path.empty() ? nullptr : &undo);
    if (!s.ok())
      err_ << "Could not write the run's journal: " << s.ToString() << "\n";
    return s.ok();
  }

  // Flushes the run's changes and removes its journal; false when the
  // changes may not survive a power cut.
  bool EndJournal(RunJournal& journal, bool undoFailed,
                  const std::string& trendFolder) {
    const RunJournal::End end = journal.Finish(undoFailed, true);
    const std::string folder = "'" + Shown(trendFolder) + "'";
    if (!end.flush.ok())
      err_ << FlushFailed(end.flush, folder).ToString() << "\n";
    else if (!end.removal.ok())
      err_ << "warning: " << JournalLeft(end.removal, folder).ToString()
           << "\n";
    return end.flush.ok();
  }

  // Counts and reports the row `report` ran, its undo row written before
  // anything about it is printed. False when the run must stop after it: a
  // row not renamed, or a renamed trend the undo list lacks, which could
  // not be renamed back from it. A row stopped on request was put back as
  // it was, so it counts as not run.
  bool RowDone(const ListRow& row, const RenameReport& report, UndoList* undo,
               Tally* tally) {
    if (!report.ok()) {
      err_ << Where(row) << report.failure.ToString() << "\n";
      if (report.outcome == RenameOutcome::kStopped) return false;
      --tally->notRun;
      ++(report.outcome == RenameOutcome::kRefused ? tally->refused
                                                   : tally->failed);
      return false;
    }
    --tally->notRun;
    ++tally->renamed;
    Status s = undo ? undo->Add(UndoRequest(report.plan)) : Status::Ok();
    PrintRenamed(row, report.plan);
    if (!s.ok())
      err_ << Where(row)
           << "renamed, but the undo list lacks it: " << s.ToString() << "\n";
    return s.ok();
  }

  void PrintRenamed(const ListRow& row, const RenamePlan& plan) {
    std::size_t data_files = plan.files.size() - 1;
    out_ << Where(row) << "renamed '" << EscapeControlCharacters(plan.hstPath)
         << "' to '"
         << EscapeControlCharacters(FileNameOf(plan.files.front().newPath))
         << "' with " << data_files << " data file"
         << (data_files == 1 ? "" : "s") << "\n";
  }

  Env& env_;
  const BatchListOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

RenameList ParseRenameList(std::string_view text) {
  return ListParser(text).Parse();
}

std::string CsvValue(std::string_view value) {
  bool quote = value.find_first_of(",\"\r\n") != std::string_view::npos ||
               (!value.empty() && value.front() == '#');
  if (!quote) return std::string(value);
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

int RunBatchList(Env& env, const BatchListOptions& options, std::ostream& out,
                 std::ostream& err) {
  return BatchListRun(env, options, out, err).Run();
}

}  // namespace morvelle

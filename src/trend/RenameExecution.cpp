// Running a rename plan: all of it, or, after a failure, none of it.
#include <optional>

#include "trend/FileTools.h"
#include "trend/HistoryFile.h"
#include "trend/Journal.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

// What a person finishing a rename by hand needs to know about one file.
std::string DescribeStage(const FileChange& file, bool history) {
  const char* bytes = history ? "the table" : "the tag";
  switch (file.stage) {
    case FileStage::kUntouched:
      return "as it was";
    case FileStage::kWriting:
      return std::string("under its old name; ") + bytes +
             " may be partly rewritten: restore the file from a backup";
    case FileStage::kRewritten:
      return std::string("under its old name, with the new ") +
             (history ? "table" : "tag");
    case FileStage::kRenamed:
      return "renamed to " + Quoted(FileNameOf(file.newPath)) + ", with the " +
             (history ? "new table" : "new tag");
  }
  return {};
}

class RenameRun {
 public:
  RenameRun(FolderListings& folders, RunJournal& journal, bool syncAtEnd,
            RenamePlan& plan, const std::atomic<bool>* stop)
      : folders_(folders),
        journal_(journal),
        syncAtEnd_(syncAtEnd),
        plan_(plan),
        stop_(stop) {}

  RenameOutcome Run(Status* failure) {
    RenameOutcome outcome = LockHistory(failure);
    if (outcome != RenameOutcome::kRenamed) return outcome;
    std::optional<std::size_t> stopped_at;
    Status s = RewriteAndRename(&stopped_at);
    if (s.ok() && !stopped_at) s = CloseHistory();
    // A run that is the whole of its journal's run is complete only once
    // its changes are on stable storage; a failure to get them there is
    // undone as any other.
    if (s.ok() && !stopped_at && syncAtEnd_) s = journal_.SyncChanges();
    if (s.ok() && !stopped_at) return RenameOutcome::kRenamed;
    bool undone = UndoAll();
    Status closed = CloseHistory();
    if (!closed.ok() && plan_.files.front().undoError.ok())
      plan_.files.front().undoError = closed;
    undone = undone && closed.ok();
    *failure = Headline(s, undone ? "Every change was undone: the trend is "
                                    "as it was."
                                  : UndoFailedText());
    if (!undone) {
      // Without this account, which may fail like the undo did, recovery
      // still finds every file; only a data file it cannot tell from one
      // the run wrote is then left to its bytes.
      journal_.AddLeftChanged(plan_);
      return RenameOutcome::kUndoFailed;
    }
    return s.ok() ? RenameOutcome::kStopped : RenameOutcome::kRolledBack;
  }

 private:
  // Holds the history file for the whole run, and makes sure nothing
  // changed it since it was planned.
  RenameOutcome LockHistory(Status* failure) {
    Status s = folders_.Open(FolderOf(plan_.hstPath), &folder_);
    if (s.ok())
      s = folder_->OpenFile(plan_.hstPath, OpenMode::kLocked, &history_);
    const std::string& table = plan_.files.front().oldBytes;
    std::string now;
    if (s.ok())
      s = ReadRecord(*history_, 0, kHstHeaderSize + table.size(), &now);
    const std::string_view header = plan_.header.bytes;
    if (s.ok() && std::string_view(now).substr(0, header.size()) == header &&
        std::string_view(now).substr(header.size()) == table)
      return RenameOutcome::kRenamed;
    if (history_) CloseHistory();
    const std::string trend = "Cannot rename trend " + Quoted(plan_.hstPath);
    if (s.ok()) {
      *failure = Status::Message(
          ErrorKind::kOther, trend +
                                 ": its history file changed after it was "
                                 "checked. Nothing was changed; try again.");
      return RenameOutcome::kRefused;
    }
    if (s.kind() == ErrorKind::kInUse) {
      *failure = s.WithContext(trend + ": ",
                               " (another Morvelle run or the Ostrel runtime "
                               "may be using it). Nothing was changed.");
      return RenameOutcome::kRefused;
    }
    *failure = s.WithContext(trend + ": ", ". Nothing was changed.");
    return RenameOutcome::kFailed;
  }

  // The history file (unless its table stays), then RenameDataFiles. Sets
  // `*stoppedAt` when a stop was asked for before a file.
  Status RewriteAndRename(std::optional<std::size_t>* stoppedAt) {
    if (!plan_.rewritesTable) return RenameDataFiles(stoppedAt);
    FileChange& history = plan_.files.front();
    history.stage = FileStage::kWriting;
    Status s = history_->WriteAt(history.offset, plan_.newTable);
    if (s.ok()) history.stage = FileStage::kRewritten;
    if (s.ok()) s = RenameFile(history);
    if (!s.ok()) {
      history.error = s;
      return s;
    }
    return RenameDataFiles(stoppedAt);
  }

  // Data files whose old Tag the journal foresees are done in one pass.
  // The others are left for a second, once their old Tags are journaled,
  // so that however many there are the journal is flushed once more.
  Status RenameDataFiles(std::optional<std::size_t>* stoppedAt) {
    std::vector<std::size_t> unforeseen;
    for (std::size_t i = 1; i < plan_.files.size(); ++i) {
      if (stop_ && stop_->load()) {
        *stoppedAt = i;
        return Status::Ok();
      }
      FileChange& file = plan_.files[i];
      std::unique_ptr<File> opened;
      Status s = OpenDataFile(file, &opened, &file.oldBytes);
      if (s.ok() && !journal_.Foresees(plan_, file.oldBytes)) {
        s = CloseKeepingError(std::move(opened), s);
        if (s.ok()) unforeseen.push_back(i);
      } else if (s.ok()) {
        s = WriteDataFile(file, std::move(opened));
      }
      if (!s.ok()) return FailAt(file, s);
    }
    return RenameUnforeseen(unforeseen, stoppedAt);
  }

  Status RenameUnforeseen(const std::vector<std::size_t>& files,
                          std::optional<std::size_t>* stoppedAt) {
    if (files.empty()) return Status::Ok();
    Status s = journal_.AddOldBytes(plan_, files);
    if (!s.ok()) return FailAt(plan_.files[files.front()], s);
    for (std::size_t i : files) {
      if (stop_ && stop_->load()) {
        *stoppedAt = i;
        return Status::Ok();
      }
      FileChange& file = plan_.files[i];
      std::unique_ptr<File> opened;
      std::string now;
      s = OpenDataFile(file, &opened, &now);
      if (s.ok() && now != file.oldBytes)
        s = CloseKeepingError(
            std::move(opened),
            Status::Error(ErrorKind::kOther, "read", file.path,
                          "The file changed while the trend was renamed"));
      if (s.ok()) s = WriteDataFile(file, std::move(opened));
      if (!s.ok()) return FailAt(file, s);
    }
    return Status::Ok();
  }

  Status FailAt(FileChange& file, const Status& s) {
    file.error = s;
    return s;
  }

  // Opens a data file and reads the bytes its new Tag replaces. Checked
  // here, on what the open learnt, rather than asked of the file system
  // while planning: a file refused now is put back with the rest.
  Status OpenDataFile(const FileChange& file, std::unique_ptr<File>* opened,
                      std::string* oldBytes) {
    Status s = folder_->OpenFile(file.path, OpenMode::kReadWrite, opened);
    if (!s.ok()) return s;
    s = CheckFileToRewrite(**opened, file.path, plan_.layout.dataHeaderSize);
    if (s.ok())
      s = ReadWholeRecord(**opened, file.path, file.offset,
                          plan_.dataTagBytes.size(), oldBytes);
    if (!s.ok()) return CloseKeepingError(std::move(*opened), s);
    return s;
  }

  // Writes the new Tag into the opened file, closes and renames it.
  Status WriteDataFile(FileChange& file, std::unique_ptr<File> opened) {
    file.stage = FileStage::kWriting;
    Status s = opened->WriteAt(file.offset, plan_.dataTagBytes);
    s = CloseKeepingError(std::move(opened), s);
    if (!s.ok()) return s;
    file.stage = FileStage::kRewritten;
    return RenameFile(file);
  }

  Status RenameFile(FileChange& file) {
    Status s = file.renamed()
                   ? folder_->RenameNoReplace(file.path, file.newPath)
                   : Status::Ok();
    if (s.ok()) file.stage = FileStage::kRenamed;
    return s;
  }

  // Walks every file back, the last first. A file whose undo fails keeps
  // its stage and the error; the others are still undone.
  bool UndoAll() {
    bool all = true;
    for (std::size_t i = plan_.files.size(); i-- > 0;) {
      FileChange& file = plan_.files[i];
      file.undoError = Undo(file, i == 0);
      all = all && file.undoError.ok();
    }
    return all;
  }

  Status Undo(FileChange& file, bool history) {
    if (file.stage == FileStage::kRenamed && file.renamed()) {
      Status s = folder_->RenameNoReplace(file.newPath, file.path);
      if (!s.ok()) return s;
    }
    if (file.stage == FileStage::kRenamed) file.stage = FileStage::kRewritten;
    if (file.stage == FileStage::kUntouched) return Status::Ok();
    file.stage = FileStage::kWriting;
    Status s = WriteBack(file, history);
    if (s.ok()) file.stage = FileStage::kUntouched;
    return s;
  }

  // The old bytes, through the held history file or a new open of a data
  // file (under its old name again by now), where they differ from what
  // the file holds: a write cut short (a full disk, a file-size limit)
  // changed a part only, and writing back that part alone cannot meet the
  // same limit.
  Status WriteBack(const FileChange& file, bool history) {
    if (history && history_) return WriteDifference(*history_, file);
    std::unique_ptr<File> opened;
    Status s = folder_->OpenFile(file.path, OpenMode::kReadWrite, &opened);
    if (!s.ok()) return s;
    s = WriteDifference(*opened, file);
    return CloseKeepingError(std::move(opened), s);
  }

  static Status WriteDifference(File& opened, const FileChange& file) {
    std::string now;
    Status s = opened.ReadAt(file.offset, file.oldBytes.size(), &now);
    if (!s.ok()) return s;
    const std::string_view old = file.oldBytes;
    std::size_t first = 0, end = old.size();
    while (first < end && first < now.size() && old[first] == now[first])
      ++first;
    while (end > first && end <= now.size() && old[end - 1] == now[end - 1])
      --end;
    if (first == end) return Status::Ok();
    return opened.WriteAt(file.offset + first, old.substr(first, end - first));
  }

  Status CloseHistory() {
    if (!history_) return Status::Ok();
    return CloseKeepingError(std::move(history_), Status::Ok());
  }

  // The run's failure `s` (OK: it was stopped) as the first line, then
  // `then` on the next.
  Status Headline(const Status& s, const std::string& then) const {
    const std::string trend = "Renaming trend " + Quoted(plan_.hstPath);
    if (s.ok())
      return Status::Message(
          ErrorKind::kCancelled,
          trend + " was stopped before it was complete.\n" + then);
    return s.WithContext(trend + " failed: ", ".\n" + then);
  }

  // What the trend was before the run. A repair's table was already as
  // the rename leaves it, and stays so.
  std::string PartlyDoneText() const {
    if (!plan_.rewritesTable)
      return "Undoing the changes failed too, so the repair is partly done; "
             "the history file is as it was.";
    const FileChange& table = plan_.files.front();
    std::string_view entry(table.oldBytes.data(), plan_.layout.entrySize);
    return "Undoing the changes failed too, so the trend is partly renamed. "
           "Its old tag is " +
           Quoted(FieldDisplayText(ReadField(entry, plan_.layout.EntryTag()))) +
           " and its old path " +
           Quoted(FieldDisplayText(PathFieldWithoutExtension(
               ReadField(entry, plan_.layout.EntryPath())))) +
           ".";
  }

  std::string UndoFailedText() const {
    std::string text = PartlyDoneText() + " Files not as they were:\n";
    for (std::size_t i = 0; i < plan_.files.size(); ++i) {
      const FileChange& file = plan_.files[i];
      if (file.stage == FileStage::kUntouched) continue;
      text += "  " + Quoted(file.path) + ": " + DescribeStage(file, i == 0);
      if (!file.undoError.ok()) text += " (" + file.undoError.ToString() + ")";
      text += "\n";
    }
    return text +
           "Every other file of the trend is as it was. Its journal is kept: "
           "once the cause is mended, morvelle --recover " +
           Quoted(FolderOf(plan_.hstPath)) + " puts the trend back.";
  }

  FolderListings& folders_;
  RunJournal& journal_;
  const bool syncAtEnd_;
  RenamePlan& plan_;
  const std::atomic<bool>* stop_;
  Folder* folder_ = nullptr;       // the trend's, held for the whole run
  std::unique_ptr<File> history_;  // held, and locked, for the whole run
};

// Ends the run of `report` alone: the journal is kept when the trend was
// left partly renamed. Changes that could not be flushed fail a renamed
// trend; a journal that could not be removed is only warned about.
void FinishRun(RunJournal& journal, RenameReport* report, bool sync) {
  const bool undo_failed = report->outcome == RenameOutcome::kUndoFailed;
  const RunJournal::End end = journal.Finish(undo_failed, sync);
  if (undo_failed) return;
  const std::string folder = Quoted(FolderOf(report->plan.hstPath));
  if (!end.flush.ok()) {
    const Status flush = FlushFailed(end.flush, folder);
    // A run that failed already says so first, and keeps its own fields.
    report->failure =
        report->ok() ? flush
                     : report->failure.WithContext("", "\n" + flush.ToString());
    if (report->ok()) report->outcome = RenameOutcome::kFailed;
  } else if (!end.removal.ok()) {
    // The trend is whole on disk; only the journal is left over.
    report->plan.warnings.push_back(
        JournalLeft(end.removal, folder).ToString());
  }
}

}  // namespace

RenameReport ExecuteRenamePlan(Env& env, RenamePlan plan,
                               const std::atomic<bool>* stop) {
  FolderListings folders(env);
  return ExecuteRenamePlan(folders, std::move(plan), stop);
}

RenameReport ExecuteRenamePlan(FolderListings& folders, RenamePlan plan,
                               const std::atomic<bool>* stop) {
  RunJournal journal(folders.env());
  Status s = journal.Begin({&plan});
  RenameReport report;
  if (!s.ok()) {
    report.outcome = RenameOutcome::kFailed;
    report.failure = JournalFailed(plan, s);
    report.plan = std::move(plan);
    return report;
  }
  report.plan = std::move(plan);
  report.outcome =
      RenameRun(folders, journal, true, report.plan, stop).Run(&report.failure);
  // A renamed trend is on stable storage already; anything else may have
  // put files back since the last flush.
  FinishRun(journal, &report, !report.ok());
  return report;
}

RenameReport ExecuteRenamePlan(FolderListings& folders, RunJournal& journal,
                               RenamePlan plan, const std::atomic<bool>* stop) {
  RenameReport report;
  report.plan = std::move(plan);
  report.outcome = RenameRun(folders, journal, false, report.plan, stop)
                       .Run(&report.failure);
  return report;
}

Status JournalFailed(const RenamePlan& plan, const Status& s) {
  return s.WithContext("Cannot rename trend " + Quoted(plan.hstPath) +
                           ": its journal could not be written: ",
                       ". Nothing was changed.");
}

Status FlushFailed(const Status& s, const std::string& folder) {
  return s.WithContext("The changes could not be flushed to disk (",
                       "), so they may not survive a power cut. The journal "
                       "is kept: morvelle --recover " +
                           folder + " settles the trends.");
}

Status JournalLeft(const Status& s, const std::string& folder) {
  return s.WithContext("The run's journal could not be removed (",
                       "); morvelle --recover " + folder + " clears it");
}

bool IsUserCorrectable(RenameOutcome outcome) {
  return outcome == RenameOutcome::kNotFound ||
         outcome == RenameOutcome::kRefused;
}

bool IsUserCorrectable(const Status& inspection) {
  // TrendNotFound names no call: a call that failed is the file system's.
  return inspection.kind() == ErrorKind::kNotFound &&
         inspection.operation().empty();
}

RenameReport RenameTrend(Env& env, const std::string& hstPath,
                         const std::string& newPath, const std::string& newTag,
                         const std::atomic<bool>* stop) {
  FolderListings listings(env);  // the folder is opened once for both
  // The run itself finds a file it cannot write and puts the trend back.
  RenameReport report =
      PlanRename(env, listings, hstPath, newPath, newTag, false);
  if (!report.ok()) return report;
  return ExecuteRenamePlan(listings, std::move(report.plan), stop);
}

RenameReport RepairTrend(Env& env, const std::string& hstPath,
                         const std::atomic<bool>* stop) {
  FolderListings listings(env);
  RenameReport report = PlanRepair(env, listings, hstPath);
  if (!report.ok()) return report;
  return ExecuteRenamePlan(listings, std::move(report.plan), stop);
}

}  // namespace morvelle

// Noticing interrupted runs, and putting their trends back.
#include <algorithm>

#include "trend/FileTools.h"
#include "trend/HistoryFile.h"
#include "trend/Journal.h"

namespace morvelle {
namespace {

// How a file's bytes at the journaled offset compare with the run's.
enum class Bytes { kOld, kNew, kMixed, kForeign };

Bytes Compare(std::string_view found, const JournalFile& file) {
  if (found == file.oldBytes) return Bytes::kOld;
  if (found == file.newBytes) return Bytes::kNew;
  if (found.size() != file.newBytes.size() ||
      file.oldBytes.size() != file.newBytes.size())
    return Bytes::kForeign;
  // A write cut short leaves some of the new bytes over the old ones.
  for (std::size_t i = 0; i < found.size(); ++i)
    if (found[i] != file.oldBytes[i] && found[i] != file.newBytes[i])
      return Bytes::kForeign;
  return Bytes::kMixed;
}

std::vector<const FolderEntry*> Journals(const FolderIndex& listing) {
  std::vector<const FolderEntry*> journals;
  for (const FolderEntry* entry : listing.Candidates(""))
    if (IsJournalName(entry->name)) journals.push_back(entry);
  return journals;
}

Status ReadJournal(File& file, Journal* journal) {
  std::string bytes;
  Status s = file.ReadAt(0, file.OpenedInfo().size, &bytes);
  if (s.ok()) *journal = DecodeJournal(bytes);
  return s;
}

bool NamesHistoryFile(const Journal& journal, const std::string& name) {
  for (const JournalTrend& trend : journal.trends) {
    const JournalFile& history = trend.files.front();
    if (EqualsIgnoringCase(history.oldName, name) ||
        EqualsIgnoringCase(history.newName, name))
      return true;
  }
  return false;
}

// Where one file of a trend was found, and in what state.
struct FoundFile {
  std::string path;  // under the name it has now
  bool atNewName = false;
  Bytes bytes = Bytes::kOld;
  // Its bytes are the run's in neither state, or cut short, whatever
  // `bytes` was then taken to be: the run's new Tag would not fit them.
  bool foreign = false;
};

class TrendRecoverer {
 public:
  TrendRecoverer(Env& env, const FolderIndex& listing, std::string folder,
                 const JournalTrend& trend)
      : env_(env),
        listing_(listing),
        folder_(std::move(folder)),
        trend_(trend) {}

  TrendRecovery Recover() {
    result_.historyFile = folder_ + trend_.files.front().oldName;
    if (!FindAll()) return Finish();
    if (AllAre(true, Bytes::kNew))
      return Done(RecoveryOutcome::kCompleted,
                  "was renamed completely before the run was interrupted; "
                  "left renamed");
    if (AllAre(false, Bytes::kOld))
      return Done(RecoveryOutcome::kUntouched,
                  "had not been changed; left as it is");
    bool guess = false, forward_fits = true;
    for (std::size_t i = 1; i < found_.size(); ++i) {
      guess = guess || OldTagUnknown(i);
      forward_fits = forward_fits && !found_[i].foreign;
    }
    return guess && forward_fits ? PutForward() : PutBack();
  }

 private:
  // True for a data file under its old name that holds the new Tag, or
  // the foreseen and the new Tag mixed, and whose old Tag is not
  // journaled: the run may have written it, or it held those bytes before
  // the run, which had not reached it yet. Putting it back would be a
  // guess; renaming it needs no old bytes. Only where a data file holds
  // bytes of its own (one the run refused, say) must the guess be made.
  bool OldTagUnknown(std::size_t i) const {
    return i > 0 && !found_[i].atNewName && !trend_.files[i].oldKnown &&
           !trend_.accounted &&
           (found_[i].bytes == Bytes::kNew || found_[i].bytes == Bytes::kMixed);
  }

  // Rolls every file back, the last first, as the run's undo does.
  TrendRecovery PutBack() {
    std::vector<std::size_t> order;
    for (std::size_t i = found_.size(); i-- > 0;) order.push_back(i);
    return PutAll(order, false, "could not be put back: ",
                  "was put back as it was before the run (");
  }

  // Finishes the rename: the files whose old state is known first, so that
  // a recovery stopped on the way still finds a file whose old Tag it
  // cannot tell, and goes on forward.
  TrendRecovery PutForward() {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < found_.size(); ++i) order.push_back(i);
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t i) { return !OldTagUnknown(i); });
    return PutAll(order, true, "could not be renamed completely: ",
                  "was renamed completely, for a data file's tag from before "
                  "the run cannot be told from the new one (");
  }

  // Puts the files, in `order`, in their state from before the run or,
  // when `forward`, in the one the run was to leave.
  TrendRecovery PutAll(const std::vector<std::size_t>& order, bool forward,
                       const char* failed, const char* done) {
    const std::size_t changed = Changed(forward);
    for (std::size_t i : order) {
      Status s = Put(trend_.files[i], found_[i], i == 0, forward);
      if (!s.ok())
        return Failed(RecoveryOutcome::kFailed,
                      s.WithContext(failed,
                                    "; the journal is kept, run the recovery "
                                    "again"));
    }
    return Done(
        forward ? RecoveryOutcome::kCompleted : RecoveryOutcome::kRestored,
        done + std::to_string(changed) + " of " +
            std::to_string(found_.size()) + " files " +
            (forward ? "finished)" : "restored)"));
  }

  TrendRecovery Done(RecoveryOutcome outcome, std::string done) {
    result_.outcome = outcome;
    result_.done = std::move(done);
    return Finish();
  }

  TrendRecovery Failed(RecoveryOutcome outcome, Status why) {
    result_.outcome = outcome;
    result_.failure = std::move(why);
    return Finish();
  }

  TrendRecovery Finish() {
    if (history_) CloseKeepingError(std::move(history_), Status::Ok());
    return result_;
  }

  bool Refuse(RecoveryOutcome outcome, const Status& why) {
    result_.outcome = outcome;
    result_.failure =
        why.WithContext("", "; nothing was changed and the journal is kept");
    return false;
  }

  bool FindAll() {
    for (std::size_t i = 0; i < trend_.files.size(); ++i) {
      FoundFile found;
      if (!Find(trend_.files[i], i == 0, &found)) return false;
      found_.push_back(std::move(found));
    }
    return true;
  }

  bool IsRegular(const std::string& name) const {
    const FolderEntry* entry = listing_.Find(name);
    return entry && entry->type == EntryType::kRegular;
  }

  bool Find(const JournalFile& file, bool history, FoundFile* found) {
    const bool renamed = file.newName != file.oldName;
    const bool at_old = IsRegular(file.oldName);
    const bool at_new = renamed && IsRegular(file.newName);
    if (!at_old && !at_new)
      return Refuse(
          RecoveryOutcome::kRefused,
          Status::Message(ErrorKind::kNotFound,
                          Quoted(folder_ + file.oldName) + " is missing" +
                              (renamed ? ", nor is it under its new name " +
                                             Quoted(folder_ + file.newName)
                                       : std::string())));
    // Where another program made a file under the other name, the trend's
    // is the one that holds the run's bytes.
    Status s;
    if (at_new) s = Examine(file, history, true, found);
    if (at_old && (!at_new || (s.ok() && found->bytes == Bytes::kForeign)))
      s = Examine(file, history, false, found);
    if (s.kind() == ErrorKind::kInUse)
      return Refuse(RecoveryOutcome::kInProgress, s);
    if (!s.ok()) return Refuse(RecoveryOutcome::kFailed, s);
    if (found->bytes != Bytes::kForeign) return true;
    return Refuse(RecoveryOutcome::kRefused,
                  Status::Message(ErrorKind::kOther,
                                  Quoted(found->path) +
                                      " holds neither its bytes from before "
                                      "the run nor those the run wrote: "
                                      "another program has changed it"));
  }

  Status Examine(const JournalFile& file, bool history, bool atNewName,
                 FoundFile* found) {
    found->atNewName = atNewName;
    found->path = folder_ + (atNewName ? file.newName : file.oldName);
    std::string bytes;
    Status s = ReadBytes(file, history, found->path, &bytes);
    if (!s.ok()) return s;
    found->bytes = Compare(bytes, file);
    found->foreign = found->bytes == Bytes::kForeign;
    // A data file the run did not foresee is written only once its Tag is
    // journaled: one without, under its old name, was never written. Nor
    // was a file, under its old name, that the account of a failed undo
    // does not name, whatever its Tag looks like. Nor, without an account,
    // was one while the history file is found as it was: the run changes
    // that first and puts it back last. This matters for a Tag the run did
    // not foresee that reads, byte by byte, as the foreseen and the new
    // Tag mixed: it is not a write cut short.
    const bool untouched =
        !atNewName &&
        ((trend_.accounted && !file.leftChanged) ||
         (!file.oldKnown && (found->bytes == Bytes::kForeign ||
                             (!trend_.accounted && HistoryAsBefore()))));
    if (untouched) found->bytes = Bytes::kOld;
    return s;
  }

  // True once the history file, which the run changes, was found under its
  // old name with its old bytes.
  bool HistoryAsBefore() const {
    const JournalFile& history = trend_.files.front();
    const bool changes = history.oldName != history.newName ||
                         history.oldBytes != history.newBytes;
    return changes && !found_.empty() && !found_.front().atNewName &&
           found_.front().bytes == Bytes::kOld;
  }

  // The history file is held locked to the end, so that no run starts on
  // the trend meanwhile.
  Status ReadBytes(const JournalFile& file, bool history,
                   const std::string& path, std::string* bytes) {
    std::unique_ptr<File> opened;
    Status s = env_.OpenFile(
        path, history ? OpenMode::kLocked : OpenMode::kRead, &opened);
    if (s.ok()) s = opened->ReadAt(file.offset, file.newBytes.size(), bytes);
    if (history && s.ok()) {
      if (history_) CloseKeepingError(std::move(history_), Status::Ok());
      history_ = std::move(opened);
      return s;
    }
    return opened ? CloseKeepingError(std::move(opened), s) : s;
  }

  bool AllAre(bool atNewName, Bytes bytes) const {
    for (std::size_t i = 0; i < found_.size(); ++i) {
      const JournalFile& file = trend_.files[i];
      // A name or bytes the run keeps are in either state.
      bool name_ok =
          found_[i].atNewName == atNewName || file.oldName == file.newName;
      bool bytes_ok =
          found_[i].bytes == bytes || file.oldBytes == file.newBytes;
      if (!name_ok || !bytes_ok) return false;
    }
    return true;
  }

  // How many files are not yet in the state they are put in.
  std::size_t Changed(bool forward) const {
    std::size_t changed = 0;
    for (std::size_t i = 0; i < found_.size(); ++i) {
      const JournalFile& file = trend_.files[i];
      const bool name_stays = file.oldName == file.newName;
      changed += (found_[i].atNewName != forward && !name_stays) ||
                 found_[i].bytes != (forward ? Bytes::kNew : Bytes::kOld);
    }
    return changed;
  }

  Status Put(const JournalFile& file, const FoundFile& found, bool history,
             bool forward) {
    const std::string& bytes = forward ? file.newBytes : file.oldBytes;
    if (found.bytes != (forward ? Bytes::kNew : Bytes::kOld)) {
      Status s = history ? history_->WriteAt(file.offset, bytes)
                         : WriteAt(found.path, file.offset, bytes);
      if (!s.ok()) return s;
    }
    if (found.atNewName == forward || file.oldName == file.newName)
      return Status::Ok();
    return env_.RenameNoReplace(
        found.path, folder_ + (forward ? file.newName : file.oldName));
  }

  Status WriteAt(const std::string& path, std::uint64_t offset,
                 const std::string& bytes) {
    std::unique_ptr<File> opened;
    Status s = env_.OpenFile(path, OpenMode::kReadWrite, &opened);
    if (!s.ok()) return s;
    s = opened->WriteAt(offset, bytes);
    return CloseKeepingError(std::move(opened), s);
  }

  Env& env_;
  const FolderIndex& listing_;
  const std::string folder_;
  const JournalTrend& trend_;
  std::vector<FoundFile> found_;
  std::unique_ptr<File> history_;
  TrendRecovery result_;
};

// Adds to the run's undo list the row of each trend the run had renamed
// completely that the list lacks: the run writes a trend's row just after
// the trend, so a stop between the two leaves it out. A last row cut short
// (a power cut) goes first.
Status CompleteUndoList(Env& env, const Journal& journal,
                        const std::vector<TrendRecovery>& trends) {
  std::vector<const std::string*> rows;
  for (std::size_t i = 0; i < trends.size(); ++i)
    if (trends[i].outcome == RecoveryOutcome::kCompleted &&
        !journal.trends[i].undoRow.empty())
      rows.push_back(&journal.trends[i].undoRow);
  if (journal.undoListPath.empty() || rows.empty()) return Status::Ok();
  std::unique_ptr<File> file;
  Status s = env.OpenFile(journal.undoListPath, OpenMode::kReadWrite, &file);
  std::string text;
  if (s.ok()) s = file->ReadAt(0, file->OpenedInfo().size, &text);
  if (!s.ok()) return file ? CloseKeepingError(std::move(file), s) : s;
  const std::size_t end = text.rfind('\n') + 1;  // 0 when there is none
  const std::string lines = "\n" + text.substr(0, end);
  std::string missing;
  for (const std::string* row : rows)
    if (lines.find("\n" + *row) == std::string::npos) missing += *row;
  if (end < text.size()) s = file->Truncate(end);
  if (s.ok() && !missing.empty()) s = file->WriteAt(end, missing);
  if (s.ok()) s = file->Sync();
  return CloseKeepingError(std::move(file), s);
}

bool IsWhole(RecoveryOutcome outcome) {
  return outcome == RecoveryOutcome::kRestored ||
         outcome == RecoveryOutcome::kCompleted ||
         outcome == RecoveryOutcome::kUntouched;
}

// Recovers the trends of the journal `name`, held locked meanwhile, and
// removes it when every one is whole.
JournalRecovery RecoverJournal(Env& env, const std::string& folder,
                               const std::string& name,
                               const std::string& historyName) {
  JournalRecovery recovery;
  recovery.journalPath = folder + name;
  std::unique_ptr<File> file;
  Status s = env.OpenFile(recovery.journalPath, OpenMode::kLocked, &file);
  Journal journal;
  if (s.ok()) s = ReadJournal(*file, &journal);
  if (s.kind() == ErrorKind::kInUse) {
    recovery.problem = Status::Message(
        ErrorKind::kInUse,
        "a Morvelle run is using it now: that run is not interrupted");
    return recovery;
  }
  if (s.ok() && !historyName.empty() &&
      !NamesHistoryFile(journal, historyName)) {
    recovery.journalPath.clear();  // not this trend's
    return recovery;
  }
  recovery.cutShort = s.ok() && !journal.whole;
  bool whole = s.ok();
  for (const JournalTrend& trend : journal.trends) {
    // Listed again for each trend: the one before may have renamed files.
    std::vector<FolderEntry> entries;
    if (s.ok()) s = env.ListFolder(folder, &entries);
    if (!s.ok()) break;
    FolderIndex listing(std::move(entries));
    recovery.trends.push_back(
        TrendRecoverer(env, listing, folder, trend).Recover());
    whole = whole && IsWhole(recovery.trends.back().outcome);
  }
  if (whole && !recovery.cutShort)
    s = CompleteUndoList(env, journal, recovery.trends);
  if (whole && !recovery.cutShort && s.ok()) s = env.SyncFileSystem(folder);
  if (file) s = CloseKeepingError(std::move(file), s);
  if (whole && s.ok()) s = env.RemoveFile(recovery.journalPath);
  recovery.removed = whole && s.ok();
  recovery.problem = s;
  return recovery;
}

}  // namespace

Status CheckNoPendingRun(Env& env, const FolderIndex& listing,
                         const std::string& folder,
                         const std::string& historyName) {
  for (const FolderEntry* entry : Journals(listing)) {
    const std::string path = folder + entry->name;
    std::unique_ptr<File> file;
    Journal journal;
    Status s = env.OpenFile(path, OpenMode::kRead, &file);
    if (s.ok()) {
      Status read = ReadJournal(*file, &journal);
      s = CloseKeepingError(std::move(file), read);
    }
    if (s.ok() && !NamesHistoryFile(journal, historyName)) continue;
    // A journal that cannot be read is taken to name the trend: better a
    // refusal too many than a rename over an interrupted one.
    std::unique_ptr<File> probe;
    Status held = env.OpenFile(path, OpenMode::kLocked, &probe);
    if (held.kind() == ErrorKind::kInUse)
      return Status::Message(ErrorKind::kInUse,
                             "Another Morvelle run is renaming trend " +
                                 Quoted(folder + historyName) +
                                 " now (its journal is " + Quoted(path) +
                                 "); wait until it has ended");
    return Status::Message(
        ErrorKind::kOther,
        "Trend " + Quoted(folder + historyName) +
            " may be partly renamed: a Morvelle run renaming it was "
            "interrupted (its journal is " +
            Quoted(path) + "). Put it back first with: morvelle --recover " +
            Quoted(folder));
  }
  return Status::Ok();
}

Status RecoverFolder(Env& env, const std::string& folder,
                     const std::string& historyName,
                     std::vector<JournalRecovery>* recoveries) {
  std::vector<FolderEntry> entries;
  Status s = env.ListFolder(folder, &entries);
  if (!s.ok()) return s.WithContext("Could not list the folder: ");
  FolderIndex listing(std::move(entries));
  for (const FolderEntry* entry : Journals(listing)) {
    JournalRecovery recovery =
        RecoverJournal(env, folder, entry->name, historyName);
    if (!recovery.journalPath.empty())
      recoveries->push_back(std::move(recovery));
  }
  return Status::Ok();
}

}  // namespace morvelle

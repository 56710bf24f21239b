// The intent journal of a run: what it is about to change, written to
// stable storage before the first change, so that a run stopped at any
// point (killed, the machine losing power) can be put back by the next
// Morvelle that meets the trend.
//
// One journal per folder and run, in the folder of the trends it names, so
// that it travels with them. Its name, ".morvelle-journal-N", has an empty
// base, so no trend's pattern NAME.* ever takes it; it is hidden on both
// kinds of system. Names inside it are bare names in that folder.
//
// A journal is a run of frames:
//   offset 0  u32  n, the length of the payload
//   offset 4  u32  CRC-32 of the payload
//   offset 8  payload[n]
// Each frame is flushed before any change it makes possible, so a frame cut
// short or failing its checksum was never relied on. The first frame is the
// plan; without it whole, nothing was changed. Later frames hold the old
// Tag of data files the plan did not foresee; without one, the files it
// names were not written.
//
// Plan payload:
//   "MVJPLAN1", str undo list path (empty: none), u32 trend count, then
//   per trend:
//     str the trend's row of the undo list,
//     str old history name, str new history name,
//     u64 table offset, str old table, str new table,
//     u64 data Tag offset, str new data Tag, str foreseen old data Tag,
//     u32 data file count, then per data file: str old name, str new name
// Old Tag payload:
//   "MVJOLD01", u32 trend number, u32 count, then per data file:
//     u32 file number (1 is the first data file), str old Tag
// str: u32 length, then its bytes. Numbers are little-endian.
//
// The foreseen old Tag of the data files is entry 0's Tag in the old table,
// which is what the runtime writes into both. A run meets a data file with
// another Tag only when it opens it, and then journals that Tag before it
// writes the file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Env.h"
#include "trend/FolderIndex.h"
#include "trend/TrendTools.h"

namespace morvelle {

inline constexpr std::string_view kJournalPrefix = ".morvelle-journal-";

// True for the name of a journal.
bool IsJournalName(std::string_view name);

// One file of a journaled trend.
struct JournalFile {
  std::string oldName, newName;  // bare; equal when the name stays
  std::uint64_t offset = 0;      // where the bytes below go
  // The bytes before and after the run. A data file's old bytes are the
  // trend's foreseen Tag unless `oldKnown`.
  std::string oldBytes, newBytes;
  bool oldKnown = true;
  // Named by the run's account of an undo that failed: the file may hold
  // the run's bytes. Every file it does not name was left as it was.
  bool leftChanged = false;
};

struct JournalTrend {
  std::string undoRow;             // empty when the run keeps no undo list
  std::vector<JournalFile> files;  // the history file, then its data files
  // The run lived to tell which files its failed undo left changed
  // (JournalFile::leftChanged); without it, a data file the run did not
  // foresee may look written when it was never reached.
  bool accounted = false;
};

struct Journal {
  // False when the plan frame is cut short or damaged: the run that wrote
  // it had not changed anything yet.
  bool whole = false;
  // The run's undo list, which must hold the row of every trend the run
  // renamed completely; empty when it kept none.
  std::string undoListPath;
  std::vector<JournalTrend> trends;
};

// The undo list a run keeps: its path and, in the order of the plans, the
// row that renames each trend back.
struct UndoListRows {
  std::string path;
  std::vector<std::string> rows;
};

// The journal held in `bytes`.
Journal DecodeJournal(std::string_view bytes);

// The plan frame for `plans`, all in one folder, with `rows` (one per
// plan, or none) of the undo list at `undoListPath`.
std::string EncodePlanFrame(const std::vector<const RenamePlan*>& plans,
                            const std::string& undoListPath = {},
                            const std::vector<std::string>& rows = {});

// A run's journals, one in each folder its plans touch.
class RunJournal {
 public:
  explicit RunJournal(Env& env) : env_(env) {}
  ~RunJournal();

  // Writes the journal of `plans` into each of their folders and brings it
  // to stable storage (the file, then the folder's names). With `undo`,
  // recovery makes sure its list holds the row of each trend the run
  // renamed. On failure no journal is left and nothing may be changed.
  Status Begin(const std::vector<const RenamePlan*>& plans,
               const UndoListRows* undo = nullptr);

  // True when the journal foresees `oldBytes` as the old Tag of a data file
  // of `plan`: the file may be written without AddOldBytes.
  bool Foresees(const RenamePlan& plan, std::string_view oldBytes) const;

  // Journals the old Tags the plan did not foresee, by file number in
  // `plan.files`, and brings them to stable storage: afterwards those files
  // may be written.
  Status AddOldBytes(const RenamePlan& plan,
                     const std::vector<std::size_t>& files);

  // Journals which files of `plan` an undo that failed left changed (those
  // whose stage is not kUntouched), so that recovery touches no other, and
  // brings it to stable storage.
  Status AddLeftChanged(const RenamePlan& plan);

  // Brings every change of the run to stable storage: one flush of the
  // file system of each journal's folder, however many files changed.
  Status SyncChanges();

  // How ending the run went: a flush that failed keeps the journals, for
  // the changes may not survive a power cut; a removal that failed leaves
  // a whole run's journal, which --recover clears.
  struct End {
    Status flush, removal;
  };

  // Ends the run: SyncChanges when `sync`, then closes the journals and
  // removes them, unless `keep` (a trend left partly renamed keeps them
  // for --recover) or the flush failed.
  End Finish(bool keep, bool sync);

 private:
  struct FolderJournal {
    std::string path;
    std::unique_ptr<File> file;
    std::uint64_t size = 0;
  };
  struct TrendPlace {
    std::size_t journal, trend;
  };

  Status Create(const std::string& folder,
                const std::vector<const RenamePlan*>& plans,
                const std::string& undoListPath,
                const std::vector<std::string>& rows);
  void RemoveAll();
  // Adds a frame to the journal of `plan`'s folder and flushes it.
  Status Append(const RenamePlan& plan, std::string_view payload);

  Env& env_;
  std::vector<FolderJournal> journals_;
  std::map<std::string, TrendPlace> trends_;  // by the history file's path
};

// ---- Noticing and recovering -------------------------------------------

// Why the trend whose history file is `historyName` in `folder` must not
// be changed, or OK: a journal in `listing` names it, under its old or its
// new name, because a run renaming it was interrupted (kOther, with how to
// put it right) or is still going on (kInUse). Asks the file system only
// when the listing holds a journal.
Status CheckNoPendingRun(Env& env, const FolderIndex& listing,
                         const std::string& folder,
                         const std::string& historyName);

enum class RecoveryOutcome {
  kRestored,    // put back as it was before the run
  kCompleted,   // renamed completely, by the run or by the recovery
  kUntouched,   // the run had not changed it
  kRefused,     // a file is in neither state: nothing changed
  kInProgress,  // another run holds it: nothing changed
  kFailed,      // the file system failed; see the message
};

struct TrendRecovery {
  std::string historyFile;  // absolute, its name before the run
  RecoveryOutcome outcome = RecoveryOutcome::kFailed;
  std::string done;  // what was done, when the trend is whole
  Status failure;    // why not, when it is not; OK when it is

  // What became of the trend, as a person reads it after its name.
  std::string Text() const { return failure.ok() ? done : failure.ToString(); }
};

struct JournalRecovery {
  std::string journalPath;
  bool cutShort = false;  // the run had changed nothing
  bool removed = false;   // every trend is whole: the journal is gone
  Status problem;         // why the journal itself could not be dealt with
  std::vector<TrendRecovery> trends;
};

// Finds the journals in `folder` and puts each trend they name back as it
// was before its run, working from the state each file is found in:
// under its old or its new name, with its old or new bytes, or a mix of the
// two where a write was cut short. A trend the run had completed stays
// renamed, and its row is added to the run's undo list where it is
// missing. So does a trend whose putting back would need an old data-file
// Tag the journal lacks and the file's bytes cannot tell: its rename is
// finished instead. When a file is in neither state (another program changed
// it, or it is gone), that trend is left as it is and its journal kept. Only
// the journal's own files are touched, and no rename replaces a file. A
// journal is removed once every trend it names is whole and on stable
// storage. With `historyName`, only the journals that name that history
// file (under its old or new name) are dealt with. Fails when the folder
// cannot be listed.
Status RecoverFolder(Env& env, const std::string& folder,
                     const std::string& historyName,
                     std::vector<JournalRecovery>* recoveries);

}  // namespace morvelle

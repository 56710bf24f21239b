// The two operations on a trend: rename and inspection.
//
// Both take plain UTF-8 strings and reach the file system only through the
// Env they are given. What fails is returned as a Status (Status.h), never
// printed: the caller shows it. What a call keeps between calls is in the
// FolderListings it is given (the folders' listings, and the one folder
// it holds open), and nothing else. Inspection has at most one trend file open
// at a time. A rename holds the history file open and locked for its whole run,
// its journal (Journal.h) open from before the first change to the end,
// and beside them one data file at a time.
//
// Threads: a call and the FolderListings and RunJournal it is given are
// for one thread at a time; calls on different threads with their own
// FolderListings may share an Env that allows it (Env.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Env.h"
#include "platform/Status.h"
#include "trend/FolderIndex.h"
#include "trend/TrendDefinitions.h"

namespace morvelle {

// ---- Inspection -----------------------------------------------------------

struct TrendInfo {
  std::string path;  // raw Path of entry 0 (field bytes), StripExtension'd
  std::int32_t pathWidth = 0;  // 144 or 272
  std::string tag;             // raw Tag of entry 0, all of its width
  std::int32_t tagWidth = 0;   // 32, 64 or 80
};

// What entry 0 of `hstPath`'s file table holds, and the widths of its
// fields. Reads only; a file shorter than the header and entry 0 reads as
// if zeros followed. Fails for a missing file (kNotFound, "Trend '...' not
// found"), a path that is not a regular file (a folder, a link, a device:
// kNotARegularFile), a Version outside 0-6 (kCorrupt, "Invalid Trend
// Version n") or a read error ("Could not read the trend: ...").
Result<TrendInfo> ReadTrendInfo(Env& env, const std::string& hstPath);

// The same, also giving the header it read (all zeros when none was) and,
// when `size` is given, the file's length.
Result<TrendInfo> ReadTrendInfo(Env& env, const std::string& hstPath,
                                HstHeader* header,
                                std::uint64_t* size = nullptr);

// A raw field value as the user sees it: up to its first NUL, decoded from
// the field code page to UTF-8.
std::string FieldDisplayText(std::string_view raw);

// ---- Finding a trend's files ------------------------------------------------

struct SkippedFile {
  std::string name;    // bare name in the trend's folder
  std::string reason;  // "not a data file name", "a folder", ...
};

struct TrendFiles {
  // Bare names, in the order the folder listing holds them: the order in
  // which a rename reaches them fastest.
  std::vector<std::string> dataFiles;
  std::vector<SkippedFile> skipped;  // sorted by name
  // Data file names that could belong to this trend or to another whose
  // base differs in letter case only; sorted.
  std::vector<std::string> ambiguous;
};

// Sorts the entries of the trend's folder. Candidates are the names the
// Windows pattern `baseName`.* matches, the base compared without regard to
// letter case. A data file is a regular file named base + "." + digits; any
// name whose extension is "HST" in any case is a history file and never a
// data file; `historyName` itself is not listed at all; every other
// candidate (other extensions, folders, links) is skipped with its reason.
// Where the folder also holds a history file whose base differs from
// `baseName` in letter case only (two trends on a case-sensitive file
// system), a data file belongs to the trend whose base it matches exactly:
// one of the other trend's is skipped, one matching neither is ambiguous.
TrendFiles FindTrendFiles(const std::vector<FolderEntry>& folder,
                          std::string_view baseName,
                          std::string_view historyName);

// The same, from an indexed listing: costs the candidates, not the folder.
TrendFiles FindTrendFiles(const FolderIndex& folder, std::string_view baseName,
                          std::string_view historyName);

// What a person inspecting a trend wants to see: what ReadTrendInfo sees,
// the header it read, and the trend's files.
struct TrendInspection {
  std::string hstPath;  // absolute
  HstHeader header;
  TrendInfo info;
  // Why a rename refuses the file table (TableProblem), or empty.
  std::string tableProblem;
  bool tableValid = false;  // tableProblem is empty
  TrendFiles files;         // the data files sorted by name
  // Why the trend may be partly renamed (a journal of an interrupted run
  // names it: CheckNoPendingRun), or OK.
  Status interrupted;
};

// Reads the trend as ReadTrendInfo does and lists its folder, noting in
// `interrupted` a journal of an interrupted run that names it. Fails as
// ReadTrendInfo does, or when the folder cannot be listed; `interrupted`
// is still set where the folder was listed, as a journal may hold a trend
// that is missing under its new name.
Status InspectTrend(Env& env, const std::string& hstPath,
                    TrendInspection* inspection);

// The same for the trend of `historyName` in `folder` (absolute, with its
// separator), whose listing is `listing`: the trends of one folder cost
// one listing.
Status InspectListedTrend(Env& env, const FolderIndex& listing,
                          const std::string& folder,
                          const std::string& historyName,
                          TrendInspection* inspection);

// Why a rename refuses the table of a history file of `size` bytes that
// begins with `header`, or empty: "too short: ..." for a file shorter
// than its header, "invalid counts" (TableCountsValid), "cut short: ..."
// for a file that ends inside its table. `header` has a known Version.
std::string TableProblem(const HstHeader& header, std::uint64_t size);

// A rename accepts a table of at least one entry and no negative count.
// (A negative EntryCount would rewrite nothing while claiming to.)
bool TableCountsValid(const HstHeader& header);

// ---- Rename ----------------------------------------------------------------

// Why the new values cannot be stored or be a Windows file name
// (kInvalidArgument, a sentence of its own), or OK when a rename may take
// them: an empty file name or tag; a character a Windows file name cannot
// hold, a trailing space or dot, a device name; a character the trend's
// text fields cannot hold.
Status CheckNewValues(const std::string& newPath, const std::string& newTag);

// How far a rename has taken one file. The stages follow each other in
// this order, and an undo walks them back.
enum class FileStage {
  kUntouched,  // old name, old bytes
  kWriting,    // a write of the new bytes was begun and may be partly done
  kRewritten,  // old name, new bytes
  kRenamed,    // new name, new bytes
};

// One file of a rename, and everything needed to do or undo its part of
// it. Plain data, so that a record of it can be kept outside the process.
struct FileChange {
  std::string path;     // full path before the rename
  std::string newPath;  // full path after it; `path` when it keeps it
  // Where the new bytes go: the plan's `newTable` for the history file,
  // its `dataTagBytes` for every data file.
  std::uint64_t offset = 0;
  // What the new bytes replace: the table as planned, or a data file's Tag
  // as read when the run reaches it.
  std::string oldBytes;
  FileStage stage = FileStage::kUntouched;
  Status error;      // the failure that stopped the run at this file
  Status undoError;  // the failure that stopped its undo

  bool renamed() const { return newPath != path; }
};

// Everything a rename will do, worked out and checked before any of it is
// done.
struct RenamePlan {
  std::string hstPath;  // absolute
  HstHeader header;
  TrendLayout layout{};
  std::string pathField;     // the new path as field bytes
  std::string tagField;      // the new tag as field bytes
  std::string newTable;      // the history file's table as rewritten
  std::string dataTagBytes;  // the Tag field written into each data file
  // The history file (its table at offset 176), then the data files (the
  // Tag of their header) in the folder listing's order: the order they are
  // done in.
  std::vector<FileChange> files;
  // False for a plan that finishes the data files of a trend whose table is
  // already as a rename leaves it (PlanRepair): the history file is held
  // and checked but not written, and its `newTable` is its table.
  bool rewritesTable = true;
  std::vector<SkippedFile> skipped;
  std::vector<std::string> warnings;  // values cut to their field width
  // The width a new value was cut to, in characters; 0 when it fits.
  std::int32_t pathCutTo = 0;
  std::int32_t tagCutTo = 0;
};

enum class RenameOutcome {
  kRenamed,       // every file renamed and rewritten
  kNotFound,      // no history file; nothing changed
  kRefused,       // a new value or name was refused; nothing changed
  kInvalidTrend,  // the history file cannot be this tool's; nothing changed
  kFailed,        // the file system failed before any change
  kRolledBack,    // a step failed; every change was undone
  kStopped,       // a stop was asked for; every change was undone
  kUndoFailed,    // a step failed and so did its undo: see `plan.files`
};

// What became of a rename, or of planning one: kRenamed then means that it
// may go ahead.
struct RenameReport {
  RenameOutcome outcome = RenameOutcome::kRefused;
  // Why not, whole sentences ready to show; OK when renamed. It keeps the
  // kind and the paths of the file-system failure behind it, if any.
  Status failure;
  RenamePlan plan;  // each file carries its stage

  bool ok() const { return outcome == RenameOutcome::kRenamed; }
};

// The look of a report that is not ok(): true for what the user can put
// right (no history file, a refused value or name), false for what is
// wrong with the trend or the file system.
bool IsUserCorrectable(RenameOutcome outcome);

// The same for a failure of inspection: true for a history file not found.
bool IsUserCorrectable(const Status& inspection);

// Reads the trend and checks the rename without changing anything:
// no journal of an interrupted run naming the trend (Journal.h), history
// file present, regular (a link is refused, not followed), named
// *.HST in any case and without other names (hard links); new values
// storable and a valid Windows file name; Version 0-6; table counts valid
// and the whole table inside the file; every file to rewrite, with its
// folder, writable; every new name within the file system's length limits;
// no new name that exists already or that two files would share; no file
// that would join the renamed trend (named like its data files or history
// file but not one of its own); and, where another history file's base
// differs from this one's in letter case only, no data file that could
// belong to either. Whether a data file has other names or is shorter
// than a header, ExecuteRenamePlan finds on opening it. So a rename never
// changes a file's length or a file that is not the trend's own. Returns
// kRenamed with the plan filled in when the rename may go ahead; otherwise
// the outcome and why not.
RenameReport PlanRename(Env& env, const std::string& hstPath,
                        const std::string& newPath, const std::string& newTag);

// The same, with the trend's folder taken from `listings`, so that the
// plans of many trends in one folder list it once. A new name is checked
// against that listing and asked of the file system only when the listing
// holds it under some spelling. Without `eachFileWritable`, only the
// folder's writability is asked: a run about to start finds a file it
// cannot write as it opens it, and puts the trend back, for one call per
// file less.
RenameReport PlanRename(Env& env, FolderListings& listings,
                        const std::string& hstPath, const std::string& newPath,
                        const std::string& newTag,
                        bool eachFileWritable = true);

// Plans the completion of a rename of the trend of `hstPath` that was left
// half-done (TrendRepair.h): the data files FindHalfDoneFiles finds under
// the old base get the Tag of the table's entry 0 and the history file's
// base with their own extension; the history file is left as it is. Those
// data files must carry one old tag (or the table's already). The same
// checks as PlanRename are made of the history file, of the new names and
// of every file to rewrite. Returns kRenamed with the plan (for
// ExecuteRenamePlan) when the repair may go ahead; kRefused with why not
// when the files admit no single explanation; else as PlanRename.
RenameReport PlanRepair(Env& env, FolderListings& listings,
                        const std::string& hstPath);

// What the table rewrite of `plan` changes, entry by entry, as raw field
// bytes.
struct EntryChange {
  std::string oldPath, newPath, oldTag, newTag;
};
std::vector<EntryChange> PlannedEntryChanges(const RenamePlan& plan);

// Runs `plan`: all of it, or none of it. The history file is held locked
// for the whole run (a second run on the trend is refused) and its table
// must still be as planned. Then file by file: the history file's table
// is rewritten and the file renamed, then each data file's Tag rewritten
// and the file renamed; a data file with other names (hard links) or
// shorter than a header fails its step. When a step fails, or `*stop` is found
// set before a file, every step done is undone in reverse order: kRolledBack or
// kStopped, the trend as it was. When an undo fails too, the others are
// still undone and the report (kUndoFailed) tells, file by file, where
// each stands, with the old tag and path. A rename never replaces an
// existing file.
RenameReport ExecuteRenamePlan(Env& env, RenamePlan plan,
                               const std::atomic<bool>* stop = nullptr);

// The same, with the trend's folder held open by `folders`, so that the
// runs of many trends in one folder open it once. Both write the run's
// journal (Journal.h) before the first change and remove it once the
// changes are on stable storage; a run whose undo failed keeps it. A
// journal that cannot be written fails the run (kFailed) before any
// change; changes that cannot be flushed make a renamed trend kFailed.
RenameReport ExecuteRenamePlan(FolderListings& folders, RenamePlan plan,
                               const std::atomic<bool>* stop = nullptr);

class RunJournal;

// Runs `plan`, which `journal` journaled with the plans of the other
// trends of the run, and leaves the journal to the caller, who calls
// FinishRun once every trend of the run is done.
RenameReport ExecuteRenamePlan(FolderListings& folders, RunJournal& journal,
                               RenamePlan plan,
                               const std::atomic<bool>* stop = nullptr);

// Why a run cannot start: `s`, the failure of writing its journal, in a
// sentence naming the trend of `plan`.
Status JournalFailed(const RenamePlan& plan, const Status& s);

// `s` in the sentence a run says when RunJournal::Finish could not flush
// its changes, or could not remove its journal, in `folder` (quoted).
Status FlushFailed(const Status& s, const std::string& folder);
Status JournalLeft(const Status& s, const std::string& folder);

// Renames the trend whose history file is `hstPath`: rewrites Path and Tag
// in the first EntryCount entries of its table, the Tag of every data
// file's header, and renames the history file to FileNameOf(newPath) +
// ".HST" and every data file to FileNameOf(newPath) + "." + its extension,
// all in the folder they are in. `newPath` has no extension.
RenameReport RenameTrend(Env& env, const std::string& hstPath,
                         const std::string& newPath, const std::string& newTag,
                         const std::atomic<bool>* stop = nullptr);

// Completes the rename of the trend of `hstPath` that was left half-done:
// PlanRepair, then ExecuteRenamePlan, with its journal and its undo.
RenameReport RepairTrend(Env& env, const std::string& hstPath,
                         const std::atomic<bool>* stop = nullptr);

// Gives one table entry `newPath` + "." + its own old extension as Path
// (see PathFieldExtension) and `newTag` as Tag (both field bytes,
// NUL-padded, cut to the width).
void RewriteEntry(std::string* entry, std::string_view newPath,
                  std::string_view newTag, const TrendLayout& layout);

}  // namespace morvelle

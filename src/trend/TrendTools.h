// The two operations on a trend: rename and inspection.
//
// Both take plain UTF-8 strings, keep nothing between calls and reach the
// file system only through the Env they are given. At most one trend file
// is open at any time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Env.h"
#include "trend/FolderIndex.h"
#include "trend/Reporter.h"
#include "trend/TrendDefinitions.h"

namespace morvelle {

// ---- Inspection -----------------------------------------------------------

struct TrendInfo {
  std::string path;  // raw Path of entry 0 (field bytes), StripExtension'd
  std::int32_t pathWidth = 0;  // 144 or 272; 0 when the trend is unreadable
  std::string tag;             // raw Tag of entry 0, all of its width
  std::int32_t tagWidth = 0;   // 32, 64 or 80; 0 when the trend is unreadable
};

// What entry 0 of `hstPath`'s file table holds, and the widths of its
// fields. Reads only; a file shorter than the header and entry 0 reads as
// if zeros followed. A missing file, a path that is not a regular file (a
// folder, a link, a device), a Version outside 0-6 or a read error is
// reported through `reporter` ("Trend '...' not found", "Invalid Trend
// Version n") and yields empty values and zero widths.
TrendInfo ReadTrendInfo(Env& env, Reporter& reporter,
                        const std::string& hstPath);

// The same, also giving the header it read (all zeros when none was).
TrendInfo ReadTrendInfo(Env& env, Reporter& reporter,
                        const std::string& hstPath, HstHeader* header);

// A raw field value as the user sees it: up to its first NUL, decoded from
// the field code page to UTF-8.
std::string FieldDisplayText(std::string_view raw);

// ---- Finding a trend's files ------------------------------------------------

struct SkippedFile {
  std::string name;    // bare name in the trend's folder
  std::string reason;  // "not a data file name", "a folder", ...
};

struct TrendFiles {
  std::vector<std::string> dataFiles;  // bare names, sorted
  std::vector<SkippedFile> skipped;    // sorted by name
};

// Sorts the entries of the trend's folder. Candidates are the names the
// Windows pattern `baseName`.* matches, the base compared without regard to
// letter case. A data file is a regular file named base + "." + digits; any
// name whose extension is "HST" in any case is a history file and never a
// data file; `historyName` itself is not listed at all; every other
// candidate (other extensions, folders, links) is skipped with its reason.
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
  bool tableValid = false;  // counts a rename accepts (TableCountsValid)
  TrendFiles files;
};

// Reads the trend as ReadTrendInfo does (reporting what it reports) and
// lists its folder. False when the trend cannot be shown: no history
// file, a Version outside 0-6 or a file-system error, each told to
// `reporter`.
bool InspectTrend(Env& env, Reporter& reporter, const std::string& hstPath,
                  TrendInspection* inspection);

// A rename accepts a table of at least one entry and no negative count.
bool TableCountsValid(const HstHeader& header);

// ---- Rename
// -------------------------------------------------------------------

enum class StepKind {
  kRewriteTable,   // Path and Tag of entries 0..EntryCount-1 of the table
  kRewriteHeader,  // Tag of a data file's header
  kRename,         // a file's name, in its own folder
};

enum class StepState { kPending, kDone, kFailed };

struct RenameStep {
  StepKind kind = StepKind::kRename;
  std::string path;     // the file, full path
  std::string newPath;  // kRename: the new full path
  StepState state = StepState::kPending;
  Status error;  // kFailed: why
};

// Everything a rename will do, worked out and checked before any of it is
// done.
struct RenamePlan {
  std::string hstPath;  // absolute
  HstHeader header;
  TrendLayout layout{};
  std::string pathField;          // the new path as field bytes
  std::string tagField;           // the new tag as field bytes
  std::string table;              // the file table as read while planning
  std::vector<RenameStep> steps;  // the history file's, then the data files'
  std::size_t firstDataStep = 0;
  std::vector<SkippedFile> skipped;
  std::vector<std::string> warnings;  // values cut to their field width
};

enum class RenameOutcome {
  kRenamed,       // every step done
  kNotFound,      // no history file; nothing changed
  kRefused,       // a new value or name was refused; nothing changed
  kInvalidTrend,  // the history file cannot be this tool's; nothing changed
  kFailed,        // the file system failed; steps before the failure stay done
};

struct RenameReport {
  RenameOutcome outcome = RenameOutcome::kRefused;
  std::string message;  // what was reported; empty when renamed
  RenamePlan plan;      // steps carry their state

  bool ok() const { return outcome == RenameOutcome::kRenamed; }
};

// Reads the trend and checks the rename without changing anything:
// history file present and regular (a link is refused, not followed), new
// values storable and a valid Windows file name, Version 0-6, table counts
// valid and the whole table inside the file, every data file at least a
// header long, every file to rewrite without other names (hard links), and
// no new name that exists already or that two files would share. So a
// rename never changes a file's length or a file outside the folder.
// Returns kRenamed with `*plan` filled when the rename may go ahead;
// otherwise the outcome and, in `*message`, why not.
RenameOutcome PlanRename(Env& env, const std::string& hstPath,
                         const std::string& newPath, const std::string& newTag,
                         RenamePlan* plan, std::string* message);

// The same, with the trend's folder taken from `listings`, so that the
// plans of many trends in one folder list it once. A new name is checked
// against that listing and asked of the file system only when the listing
// holds it under some spelling.
RenameOutcome PlanRename(Env& env, FolderListings& listings,
                         const std::string& hstPath, const std::string& newPath,
                         const std::string& newTag, RenamePlan* plan,
                         std::string* message);

// What the table rewrite of `plan` changes, entry by entry, as raw field
// bytes: the same values UpdateFileEntries writes.
struct EntryChange {
  std::string oldPath, newPath, oldTag, newTag;
};
std::vector<EntryChange> PlannedEntryChanges(const RenamePlan& plan);

// Runs the steps of `plan` in order and stops at the first that fails,
// leaving the steps before it done: there is no rollback. A rename never
// replaces an existing file, so a name taken after the plan was checked
// stops the run there.
RenameReport ExecuteRenamePlan(Env& env, RenamePlan plan);

// Renames the trend whose history file is `hstPath`: rewrites Path and Tag
// in the first EntryCount entries of its table, the Tag of every data
// file's header, and renames the history file to FileNameOf(newPath) +
// ".HST" and every data file to FileNameOf(newPath) + "." + its extension,
// all in the folder they are in. `newPath` has no extension. A refusal or
// failure is also told to `reporter`.
RenameReport RenameTrend(Env& env, Reporter& reporter,
                         const std::string& hstPath, const std::string& newPath,
                         const std::string& newTag);

// Rewrites the file table of an open history file: entries 0 to
// `entryCount` - 1 get `newPath` + "." + their own old extension as Path
// and `newTag` as Tag (both field bytes); the `extraCount` entries after
// them are written back as read. Fails, writing nothing, when the file ends
// inside the table.
Status UpdateFileEntries(File& file, std::string_view newPath,
                         std::string_view newTag, const TrendLayout& layout,
                         int entryCount, int extraCount);

// Gives one table entry `newPath` + "." + its own old extension as Path
// and `newTag` as Tag (both field bytes, NUL-padded, cut to the width).
void RewriteEntry(std::string* entry, std::string_view newPath,
                  std::string_view newTag, const TrendLayout& layout);

// Runs the data-file steps of `plan`: for each data file, the header
// rewrite and then the rename. Returns false at the first failure, which is
// recorded in its step.
bool RenameDataFiles(Env& env, RenamePlan* plan);

// A line for a step: "rename '/t/Trend1.000' to 'Trend1A.000'".
std::string DescribeStep(const RenameStep& step);

}  // namespace morvelle

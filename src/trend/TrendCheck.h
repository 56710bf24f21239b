// Checking trends: reading every file of a trend, changing none, and
// telling what keeps it from being whole. A whole trend is what the
// runtime writes and a complete rename leaves: a history file with a sound
// header and table, every table entry carrying one tag and a path named
// like the history file, one data file per extension the first EntryCount
// entries name, each with the table's tag in its header, and no other
// numbered file of that name.
//
// Healthy trends cost one listing of their folder and one read of each
// history file's header and table and of each data file's header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Env.h"
#include "platform/Status.h"
#include "trend/TrendDefinitions.h"

namespace morvelle {

enum class ProblemKind {
  kHistoryUnreadable,   // cannot be opened or read; not a regular file
  kHistoryTooShort,     // shorter than its header
  kUnknownVersion,      // Version outside 0-6
  kInvalidCounts,       // counts a rename refuses
  kTableCut,            // the file ends inside the table its header counts
  kTagsDiffer,          // an entry's Tag differs from entry 0's
  kPathNameDiffers,     // an entry's Path names another file than the trend
  kDataFileMissing,     // an extension the table expects has no data file
  kDataFileUnlisted,    // a numbered file of the trend the table does not list
  kDataFileUnreadable,  // cannot be opened or read, or shorter than a header
  kDataTagDiffers,      // a data file's Tag differs from the table's
  kCaseVariant,         // a file named like the trend in another letter case
  kPendingRun,          // a journal of an interrupted run names the trend
  kOrphan,              // a numbered file no history file claims
  kCaseTwins,           // two history files whose names differ only in case
  kNotARegularFile,     // named *.HST but a folder, a link or a device
};

// A stable name of `kind` for scripts: "tableCut", "orphan", ...
std::string_view ProblemKindName(ProblemKind kind);

struct TrendProblem {
  ProblemKind kind;
  std::string file;   // bare name in the folder
  std::string field;  // "Version", "entry 2 Tag", ...; empty: the file
  std::string what;   // what is wrong, a sentence without its full stop
};

struct TrendCheck {
  std::string hstPath;  // absolute
  HstHeader header;     // zeros where the file holds none
  std::string path;     // entry 0's raw Path without extension; may be empty
  std::string tag;      // entry 0's raw Tag; may be empty
  std::vector<std::string> dataFiles;  // the data files found, sorted
  std::vector<TrendProblem> problems;

  bool healthy() const { return problems.empty(); }
  // True when the file table is all there and holds counts a rename
  // accepts.
  bool tableValid() const;
};

struct FolderCheck {
  std::string folder;              // absolute, with its separator
  std::vector<TrendCheck> trends;  // in HistoryNameBefore order
  // Problems of no one trend: orphans, case twins, *.HST names that are
  // no regular file.
  std::vector<TrendProblem> problems;

  bool healthy() const;
};

// True for a name that ends in ".HST" in any letter case after at least
// one character.
bool IsHistoryFileName(std::string_view name);

// The order trends of a folder are shown in: names compared without regard
// to case, then byte by byte.
bool HistoryNameBefore(const std::string& a, const std::string& b);

// Sorts `names` into HistoryNameBefore order, folding each name once rather
// than at every comparison.
void SortHistoryNames(std::vector<std::string>* names);

// Checks every trend of `folder` (each name IsHistoryFileName takes) and
// the folder as a whole. Reads only: nothing is written, renamed or
// locked. Fails only when the folder cannot be listed.
Status CheckFolder(Env& env, const std::string& folder, FolderCheck* check);

// Checks the one trend whose history file is `hstPath`: `check` gets its
// folder and that trend alone, with the history file's own problems (a
// link or a folder named so included). Fails when nothing has that name or
// the folder cannot be listed.
Status CheckTrend(Env& env, const std::string& hstPath, FolderCheck* check);

}  // namespace morvelle

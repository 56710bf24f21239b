// --check: whether the trends of a folder are whole, before and after a
// migration, for a person or, with --json, for a script.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/Status.h"

namespace morvelle {

class Env;
struct FolderCheck;
struct TrendProblem;

// Checks `target` as RunCheck does: a folder (CheckFolder) or one history
// file (CheckTrend); empty means the current folder. Fails when `target`
// cannot be found or read.
Status CheckFolderOrTrend(Env& env, const std::string& target,
                          FolderCheck* check);

// The problem objects RunCheck writes for `problems`, files under `folder`.
std::string ProblemsJson(const std::string& folder,
                         const std::vector<TrendProblem>& problems);

// Checks `target`: a folder (every trend in it, and the folder as a whole)
// or one history file; empty means the current folder. Changes nothing.
// As text, one line per problem, "FILE: FIELD: what is wrong" (FILE
// absolute, FIELD left out where the file as a whole is at fault), a line
// "HST: healthy" for each whole trend, then a summary line. With `json`,
// one JSON object:
//
//   schema      number   1
//   folder      string   the folder, absolute, with its separator
//   healthy     boolean  no problem anywhere
//   trends      array    one object per trend:
//     schema       number   1
//     historyFile  string   absolute
//     healthy      boolean
//     version, entryCount, extraCount   number   from the header
//     tableValid   boolean  the whole table is there, with counts a rename
//                           accepts
//     interrupted  boolean  a journal of an interrupted run names it
//     path, tag    string   entry 0's, as shown
//     dataFiles    array    bare names of the data files, sorted
//     problems     array    problem objects
//   problems    array    problem objects of the folder as a whole
//
// A problem object is {"problem", "file", "field", "message": string}:
// problem as ProblemKindName gives it, file absolute, field empty where the
// file as a whole is at fault. Returns kExitRenamed (0) when every trend is
// healthy, kExitNotRenamed (1) when a problem was found or `target` could
// not be read (said on `err`).
int RunCheck(Env& env, const std::string& target, bool json, std::ostream& out,
             std::ostream& err);

}  // namespace morvelle

// --info: what a trend holds, for a person or, with --json, for a script.
#pragma once

#include <iosfwd>
#include <string>

namespace morvelle {

class Env;

// Shows the trend of `hstPath` on `out`: what ReadTrendInfo reads (path
// and tag of entry 0 as shown, field widths and edit limits), the header's
// Version and counts, the data files found and the files skipped with why.
// With `json`, as one JSON object whose keys are:
//
//   historyFile    string   the history file, absolute
//   version        number   Version of the header
//   entryCount     number   EntryCount
//   extraCount     number   ExtraCount
//   tableValid     boolean  the counts are ones a rename accepts
//   interrupted    boolean  a journal of an interrupted run names it
//   path           string   entry 0's path without extension, as shown
//   tag            string   entry 0's tag, as shown
//   pathWidth      number   width of the Path field
//   tagWidth       number   width of the Tag field
//   pathEditLimit  number   longest new path that keeps a 3-digit extension
//   tagEditLimit   number   longest new tag
//   dataFiles      array    bare names of the data files, sorted
//   skipped        array    objects {"name": string, "reason": string}
//
// Strings are UTF-8; a file name that is not valid UTF-8 has U+FFFD in
// place of its bad bytes. A missing history file or one of an unknown
// version writes its message to `err` and nothing to `out`. A trend an
// interrupted run may have left partly renamed is shown, and what to do
// about it told on `err`. Returns kExitRenamed when the trend was shown
// and is not interrupted, kExitNotRenamed when not.
int RunInfo(Env& env, const std::string& hstPath, bool json, std::ostream& out,
            std::ostream& err);

}  // namespace morvelle

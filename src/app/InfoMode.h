// --info: what a trend holds, for a person or, with --json, for a script.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/Json.h"
#include "trend/TrendTools.h"

namespace morvelle {

class Env;

// Shows the trend of `hstPath` on `out`: what ReadTrendInfo reads (path
// and tag of entry 0 as shown, field widths and edit limits), the header's
// Version and counts, the data files found and the files skipped with why.
// With `json`, as one "trend" record (README, "JSON for scripts") on a line
// of its own: the fields AddTrendFields writes, then the field widths and
// edit limits and the files skipped.
//
// Strings are UTF-8; a file name that is not valid UTF-8 has U+FFFD in
// place of its bad bytes. A missing history file or one of an unknown
// version writes its message to `err` and nothing to `out`. A trend an
// interrupted run may have left partly renamed is shown, and what to do
// about it told on `err`. Returns kExitRenamed when the trend was shown
// and is not interrupted, kExitNotRenamed when not.
int RunInfo(Env& env, const std::string& hstPath, bool json, std::ostream& out,
            std::ostream& err);

// Adds what --info and --list tell of a trend to `object`: historyFile,
// tag, path (strings), version, entryCount, extraCount (numbers),
// tableValid, interrupted (booleans), dataFiles (the data files' names,
// sorted) and dataFileCount (their number).
void AddTrendFields(const TrendInspection& trend, JsonObject* object);

// The files left alone as a JSON array of {"name", "reason"} objects.
std::string SkippedJson(const std::vector<SkippedFile>& skipped);

}  // namespace morvelle

// A rename plan written out for a person, as --dry-run shows it.
#pragma once

#include <iosfwd>
#include <vector>

#include "app/Json.h"
#include "trend/TrendTools.h"

namespace morvelle {

// The files of `plan` as a person reads them: the history file, then the
// data files sorted by name (the plan holds them in the order they are
// done in).
std::vector<const FileChange*> FilesByName(const RenamePlan& plan);

// Writes what `plan` will do, without its warnings:
//
//   Trend '/t/Trend1.HST' (version 5, EntryCount 2, ExtraCount 1)
//     entry 0: 'C:\Data\Trend1.000' -> 'C:\Data\Trend1A.000',
//              tag 'Trend1' -> 'Trend1A'
//     ...
//     data-file headers: tag -> 'Trend1A'
//     Trend1.HST -> Trend1A.HST
//     Trend1.000 -> Trend1A.000
//     left untouched: Trend1.bak (not a data file name)
//
// Field values are shown as the user sees them, up to their first NUL.
void DescribePlan(const RenamePlan& plan, std::ostream& out);

// Adds what `plan` will do to `object`, as a script reads it:
//
//   historyFile  string  the history file, absolute
//   version, entryCount, extraCount  number  of its header
//   entries      array   objects {"path", "newPath", "tag", "newTag":
//                        string}, the table entries in use, in order
//   files        array   objects {"name", "newName": string}: the history
//                        file, then the data files sorted by name
//   skipped      array   objects {"name", "reason": string}
//   warnings     array   strings
void AddPlanFields(const RenamePlan& plan, JsonObject* object);

}  // namespace morvelle

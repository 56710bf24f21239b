// A rename plan written out for a person, as --dry-run shows it.
#pragma once

#include <iosfwd>
#include <vector>

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

}  // namespace morvelle

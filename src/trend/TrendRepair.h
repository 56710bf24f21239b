// Telling how a rename was left half-done. A rename renames the history
// file first and then the data files one by one, so a run stopped on the
// way (and never put back) leaves a history file whose table already names
// its new base and tag, some data files under that base and the rest still
// under the old base with the old tag. Nothing on disk records the old
// base: it is found from the files alone, and only where they admit one
// explanation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"
#include "trend/FolderIndex.h"
#include "trend/TrendDefinitions.h"

namespace morvelle {

// The data files a half-done rename of the trend of `historyName` (its
// name as `listing`, its folder's, holds it) left under the old base, as
// bare names in `*oldNames`. The old base is found from the extensions the
// first `entryCount` entries of `table` expect but the folder lacks under
// the trend's base; once found, every data file of that base is named, as
// the rename would have taken them all. Fails (kInvalidArgument, a sentence
// without its full stop) when the table's entries do not all carry one tag and
// a path naming the history file's base; when no such data file is missing; or
// when not exactly one other base holds a regular file of every missing
// extension (bases differing from the trend's in letter case only are not other
// bases) while no history file of that base, in any letter case, claims them.
Status FindHalfDoneFiles(const FolderIndex& listing,
                         std::string_view historyName, std::string_view table,
                         const TrendLayout& layout, int entryCount,
                         std::vector<std::string>* oldNames);

}  // namespace morvelle

// --repair: completes renames that were left half-done, where the files
// admit one explanation (TrendRepair.h).
#pragma once

#include <iosfwd>
#include <string>

namespace morvelle {

class Env;

// Repairs every damaged trend of `target`, a folder or one history file
// (empty: the current folder); a healthy trend is left alone. Each repair
// is planned (PlanRepair) and, unless `dryRun`, run as a rename is, with
// its journal and undo. Tells each repair on `out`:
//
//   Repaired 'Trend1A.HST':            ("Would repair" with `dryRun`)
//     'Trend1.002' -> 'Trend1A.002', tag 'Trend1A'
//
// and each trend it cannot repair on `err`, "morvelle: cannot repair
// 'X.HST': why", then a summary line on `out`. Returns kExitRenamed (0)
// when every trend was repaired (with `dryRun`: would be) or was healthy,
// kExitNotRenamed (1) when one could not be, or `target` could not be
// read.
int RunRepair(Env& env, const std::string& target, bool dryRun,
              std::ostream& out, std::ostream& err);

}  // namespace morvelle

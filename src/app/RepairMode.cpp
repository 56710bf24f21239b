#include "app/RepairMode.h"

#include <ostream>

#include "app/BatchMode.h"
#include "app/CheckMode.h"
#include "app/Messages.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/HistoryFile.h"
#include "trend/TrendCheck.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

void PrintRepair(const RenamePlan& plan, bool dryRun, std::ostream& out) {
  out << (dryRun ? "Would repair " : "Repaired ")
      << Quoted(FileNameOf(plan.hstPath)) << ":\n";
  const std::string tag = Quoted(FieldDisplayText(plan.tagField));
  for (std::size_t i = 1; i < plan.files.size(); ++i)
    out << "  " << Quoted(FileNameOf(plan.files[i].path)) << " -> "
        << Quoted(FileNameOf(plan.files[i].newPath)) << ", tag " << tag << "\n";
}

// Plans the repair of one trend and, unless `dryRun`, runs it; false when
// it cannot be repaired.
bool RepairOne(Env& env, const std::string& hstPath, bool dryRun,
               std::ostream& out, std::ostream& err) {
  FolderListings listings(env);
  RenameReport report = PlanRepair(env, listings, hstPath);
  if (report.ok() && !dryRun)
    report = ExecuteRenamePlan(listings, std::move(report.plan));
  if (!report.ok()) {
    err << ErrorText("cannot repair " + Quoted(FileNameOf(hstPath)) + ": " +
                     report.failure.ToString());
    return false;
  }
  PrintRepair(report.plan, dryRun, out);
  return true;
}

}  // namespace

int RunRepair(Env& env, const std::string& target, bool dryRun,
              std::ostream& out, std::ostream& err) {
  FolderCheck check;
  Status s = CheckFolderOrTrend(env, target, &check);
  if (!s.ok()) {
    err << ErrorText("cannot repair " + Quoted(target.empty() ? "." : target) +
                     ": " + s.ToString());
    return kExitNotRenamed;
  }
  std::size_t healthy = 0, repaired = 0;
  for (const TrendCheck& trend : check.trends)
    if (trend.healthy())
      ++healthy;
    else
      repaired += RepairOne(env, trend.hstPath, dryRun, out, err);
  const std::size_t failed = check.trends.size() - healthy - repaired;
  out << repaired << (dryRun ? " to repair, " : " repaired, ") << healthy
      << " healthy, " << failed << " not repairable in "
      << EscapeControlCharacters(check.folder) << "\n";
  if (dryRun) out << "Dry run: nothing was changed.\n";
  return failed == 0 ? kExitRenamed : kExitNotRenamed;
}

}  // namespace morvelle

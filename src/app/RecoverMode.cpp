#include "app/RecoverMode.h"

#include <ostream>

#include "app/BatchMode.h"
#include "app/Messages.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/Journal.h"

namespace morvelle {
namespace {

std::string Shown(const std::string& text) {
  return "'" + EscapeControlCharacters(text) + "'";
}

// The folder to recover, and the history file within it when one was
// named.
Status ResolveTarget(Env& env, const std::string& target, std::string* folder,
                     std::string* historyName) {
  std::string absolute;
  Status s = env.AbsolutePath(target.empty() ? "." : target, &absolute);
  if (absolute.ends_with("/.") || absolute.ends_with("\\."))
    absolute.pop_back();
  FileInfo info;
  if (s.ok()) s = env.GetFileInfo(absolute, &info);
  if (!s.ok()) return s.WithContext("Cannot recover " + Shown(target) + ": ");
  if (info.type == EntryType::kDirectory) {
    *folder = AddBackslash(
        absolute, absolute.find('\\') != std::string::npos ? '\\' : '/');
    return Status::Ok();
  }
  *folder = FolderOf(absolute);
  *historyName = FileNameOf(absolute);
  return Status::Ok();
}

struct Counts {
  std::size_t restored = 0, completed = 0, untouched = 0, kept = 0;
};

void Count(const TrendRecovery& trend, Counts* counts) {
  switch (trend.outcome) {
    case RecoveryOutcome::kRestored:
      ++counts->restored;
      break;
    case RecoveryOutcome::kCompleted:
      ++counts->completed;
      break;
    case RecoveryOutcome::kUntouched:
      ++counts->untouched;
      break;
    default:
      ++counts->kept;
      break;
  }
}

void Report(const JournalRecovery& journal, Counts* counts, std::ostream& out,
            std::ostream& err) {
  out << "Journal " << Shown(journal.journalPath) << ":\n";
  if (journal.cutShort)
    out << "  cut short while it was written: the run had changed nothing\n";
  for (const TrendRecovery& trend : journal.trends) {
    Count(trend, counts);
    const bool whole = trend.outcome == RecoveryOutcome::kRestored ||
                       trend.outcome == RecoveryOutcome::kCompleted ||
                       trend.outcome == RecoveryOutcome::kUntouched;
    const std::string line = Shown(trend.historyFile) + " " + trend.Text();
    if (whole)
      out << "  " << line << "\n";
    else
      err << ErrorText(line);
  }
  if (journal.removed)
    out << "  removed: every trend it names is whole\n";
  else
    err << ErrorText(
        "journal " + Shown(journal.journalPath) + " kept" +
        (journal.problem.ok() ? "" : ": " + journal.problem.ToString()));
}

}  // namespace

int RunRecover(Env& env, const std::string& target, std::ostream& out,
               std::ostream& err) {
  std::string folder, history_name;
  std::vector<JournalRecovery> journals;
  Status s = ResolveTarget(env, target, &folder, &history_name);
  if (s.ok()) s = RecoverFolder(env, folder, history_name, &journals);
  if (!s.ok()) {
    err << ErrorText(s.ToString());
    return kExitNotRenamed;
  }
  if (journals.empty()) {
    out << "No interrupted run in " << Shown(folder)
        << (history_name.empty() ? "" : " names " + Shown(history_name))
        << "; nothing to recover.\n";
    return kExitRenamed;
  }
  Counts counts;
  bool all_removed = true;
  for (const JournalRecovery& journal : journals) {
    Report(journal, &counts, out, err);
    all_removed = all_removed && journal.removed;
  }
  out << "Summary: " << counts.restored << " put back, " << counts.completed
      << " left renamed, " << counts.untouched << " untouched, " << counts.kept
      << " not recovered.\n";
  return all_removed ? kExitRenamed : kExitNotRenamed;
}

}  // namespace morvelle

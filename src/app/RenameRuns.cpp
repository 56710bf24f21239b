#include "app/RenameRuns.h"

#include <algorithm>
#include <cstdio>

#include "app/BatchMode.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/FileTools.h"

namespace morvelle {
namespace {

constexpr std::string_view kUndoPrefix = "undo-";
constexpr std::string_view kRunSuffix = ".csv";

std::string Stamp(const std::tm& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d",
                time.tm_year + 1900, time.tm_mon + 1, time.tm_mday,
                time.tm_hour, time.tm_min, time.tm_sec);
  return text;
}

bool Exists(Env& env, const std::string& path) {
  FileInfo info;
  return env.GetFileInfo(path, &info).kind() != ErrorKind::kNotFound;
}

// The first run of `time` whose list and undo list are both free.
RunFiles FreeRunFiles(Env& env, const std::string& folder,
                      const std::tm& time) {
  const std::string stamp = Stamp(time);
  for (int n = 1;; ++n) {
    std::string name = stamp + (n == 1 ? "" : "-" + std::to_string(n));
    RunFiles files{
        folder + "rename-" + name + std::string(kRunSuffix),
        folder + std::string(kUndoPrefix) + name + std::string(kRunSuffix)};
    if (!Exists(env, files.list) && !Exists(env, files.undoList)) return files;
  }
}

bool IsUndoList(std::string_view name) {
  return name.starts_with(kUndoPrefix) && name.ends_with(kRunSuffix);
}

// Orders the undo lists by the time of their run: STAMP, then the number a
// second run of that second got ("-2"), none being 1.
std::string RunKey(std::string_view name) {
  name.remove_prefix(kUndoPrefix.size());
  name.remove_suffix(kRunSuffix.size());
  std::size_t dash = name.find('-', name.find('-') + 1);
  std::string number =
      dash == std::string_view::npos ? "1" : std::string(name.substr(dash + 1));
  return std::string(name.substr(0, dash)) +
         std::string(10 - std::min<std::size_t>(number.size(), 10), '0') +
         number;
}

// How many trends a line of a recovery's text names: the table shows every
// trend anyway, and a box must not outgrow the screen.
constexpr std::size_t kNamesShown = 10;

std::string NameList(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
    text += (i == 0 ? "" : ", ") + names[i];
  if (names.size() > kNamesShown)
    text += " and " + std::to_string(names.size() - kNamesShown) + " more";
  return text;
}

// The trends a recovery met, by what it did with them.
struct RecoveredTrends {
  std::vector<std::string> restored, completed, untouched;
  std::vector<std::string> problems;  // a line each, with why
  std::size_t notRecovered = 0;
};

void Tally(const JournalRecovery& journal, RecoveredTrends* trends) {
  for (const TrendRecovery& trend : journal.trends) {
    std::string name = EscapeControlCharacters(FileNameOf(trend.historyFile));
    switch (trend.outcome) {
      case RecoveryOutcome::kRestored:
        trends->restored.push_back(name);
        break;
      case RecoveryOutcome::kCompleted:
        trends->completed.push_back(name);
        break;
      case RecoveryOutcome::kUntouched:
        trends->untouched.push_back(name);
        break;
      default:
        trends->problems.push_back(name + ": " + trend.Text());
        ++trends->notRecovered;
        break;
    }
  }
  if (!journal.removed && !journal.problem.ok())
    trends->problems.push_back("The journal '" +
                               EscapeControlCharacters(journal.journalPath) +
                               "' is kept: " + journal.problem.ToString());
}

// What a recovery did, short enough for a message box however many trends
// it met: the names for each outcome, then each problem, then the counts.
std::string RecoveryText(const RecoveredTrends& trends) {
  std::string text;
  const std::pair<const char*, const std::vector<std::string>*> lines[] = {
      {"Put back as before the run: ", &trends.restored},
      {"Left renamed, the run had renamed them completely: ",
       &trends.completed},
      {"Left untouched, the run had not changed them: ", &trends.untouched}};
  for (const auto& [heading, names] : lines)
    if (!names->empty()) text += heading + NameList(*names) + "\n";
  if (!trends.problems.empty()) text += "Not recovered:\n";
  for (const std::string& problem : trends.problems)
    text += "  " + problem + "\n";
  return text + "Summary: " + std::to_string(trends.restored.size()) +
         " put back, " + std::to_string(trends.completed.size()) +
         " left renamed, " + std::to_string(trends.untouched.size()) +
         " untouched, " + std::to_string(trends.notRecovered) +
         " not recovered.\n";
}

// Keeps what a run tells on either side of the rows it starts, whose
// lines are made again from their results.
class RunRecorder final : public BatchListOutput {
 public:
  explicit RunRecorder(ListRun* run) : run_(run) {}

  void Line(const std::string& text, bool) override {
    (rowEnded_ ? run_->after : run_->before) += text;
  }
  void RowEnded(const RowResult&) override { rowEnded_ = true; }

 private:
  ListRun* run_;
  bool rowEnded_ = false;
};

}  // namespace

Status PrepareRename(Env& env, const std::string& folder, const std::tm& time,
                     const std::vector<RenameRequest>& rows, RunFiles* files) {
  *files = FreeRunFiles(env, folder, time);
  return WriteNewListFile(env, files->list, ListText(rows));
}

Status PrepareUndo(Env& env, const std::string& folder, const std::tm& time,
                   RunFiles* files) {
  std::vector<FolderEntry> entries;
  Status s = env.ListFolder(folder, &entries);
  if (!s.ok()) return s;
  std::vector<std::string> names;
  for (const FolderEntry& entry : entries)
    if (entry.type == EntryType::kRegular && IsUndoList(entry.name))
      names.push_back(entry.name);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) {
              return RunKey(a) > RunKey(b);
            });
  for (const std::string& name : names) {
    RenameList list;
    if (!ReadRenameList(env, folder + name, &list).ok()) continue;
    if (list.rows.empty()) continue;
    *files = FreeRunFiles(env, folder, time);
    files->list = folder + name;
    return Status::Ok();
  }
  return Status::Error(ErrorKind::kNotFound, "find an undo list", folder,
                       "no run has renamed a trend yet");
}

bool PrepareRun(Env& env, const std::string& folder, bool undo,
                const std::vector<RenameRequest>& rows, RunFiles* files,
                std::string* message) {
  std::time_t now = std::time(nullptr);
  std::tm local = *std::localtime(&now);
  Status s = undo ? PrepareUndo(env, folder, local, files)
                  : PrepareRename(env, folder, local, rows, files);
  if (s.ok()) return true;
  *message = undo && s.kind() == ErrorKind::kNotFound
                 ? "There is no run to undo."
                 : "Could not start the run: " + s.ToString();
  return false;
}

ListRun RunListFiles(
    Env& env, const RunFiles& files, const std::atomic<bool>* stop,
    std::function<void(std::size_t done, std::size_t total)> onProgress) {
  BatchListOptions options;
  options.listPath = files.list;
  options.undoListPath = files.undoList;
  options.stop = stop;
  options.onProgress = std::move(onProgress);
  ListRun run;
  run.list = files.list;
  RunRecorder recorder(&run);
  BatchListResult result = RunBatchList(env, options, recorder);
  run.status = result.status;
  run.rows = std::move(result.rows);
  run.started = result.started;
  return run;
}

FolderRecovery RecoverTrends(Env& env, const std::string& folder) {
  FolderRecovery recovery;
  recovery.folder = folder;
  Status s = RecoverFolder(env, folder, "", &recovery.journals);
  if (!s.ok()) recovery.problem = s.ToString();
  return recovery;
}

RunResult ShownResult(const ListRun& run) {
  std::string text = run.before;
  for (std::size_t i = 0; i < run.started; ++i)
    text += RowLine(run.list, run.rows[i]);
  return {run.status, text + run.after};
}

RunResult ShownResult(const FolderRecovery& recovery) {
  if (!recovery.problem.empty()) return {kExitNotRenamed, recovery.problem};
  if (recovery.journals.empty())
    return {kExitRenamed, "No interrupted run in '" +
                              EscapeControlCharacters(recovery.folder) +
                              "'; nothing to recover.\n"};
  RecoveredTrends trends;
  bool all_removed = true;
  for (const JournalRecovery& journal : recovery.journals) {
    Tally(journal, &trends);
    all_removed = all_removed && journal.removed;
  }
  return {all_removed ? kExitRenamed : kExitNotRenamed, RecoveryText(trends)};
}

}  // namespace morvelle

#include "app/RenameRuns.h"

#include <algorithm>
#include <cstdio>

#include "platform/Env.h"
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
        folder + std::string(kUndoPrefix) + name + std::string(kRunSuffix),
        0,
        {}};
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
  files->trends = rows.size();
  if (!rows.empty()) files->trendFolder = FolderOf(rows.front().hstPath);
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
    files->trends = list.rows.size();
    files->trendFolder = FolderOf(list.rows.front().request.hstPath);
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

}  // namespace morvelle

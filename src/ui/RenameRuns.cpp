#include "ui/RenameRuns.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "app/BatchList.h"
#include "platform/Env.h"

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

}  // namespace

Status PrepareRename(Env& env, const std::string& folder, const std::tm& time,
                     const std::vector<ManyRow>& rows, RunFiles* files) {
  *files = FreeRunFiles(env, folder, time);
  return WriteNewTextFile(env, files->list, RowsAsList(rows, true));
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
    std::string text;
    if (!env.ReadTextFile(folder + name, kListSizeLimit, &text).ok()) continue;
    if (ParseRenameList(text).rows.empty()) continue;
    *files = FreeRunFiles(env, folder, time);
    files->list = folder + name;
    return Status::Ok();
  }
  return Status::Error(ErrorKind::kNotFound, "find an undo list", folder,
                       "no run has renamed a trend yet");
}

bool PrepareRun(Env& env, const std::string& folder, bool undo,
                const std::vector<ManyRow>& rows, RunFiles* files,
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

RunResult RunListFiles(
    Env& env, const RunFiles& files, const std::atomic<bool>* stop,
    std::function<void(std::size_t done, std::size_t total)> onProgress) {
  BatchListOptions options;
  options.listPath = files.list;
  options.undoListPath = files.undoList;
  options.stop = stop;
  options.onProgress = std::move(onProgress);
  std::ostringstream text;
  int status = RunBatchList(env, options, text, text);
  return {status, text.str()};
}

}  // namespace morvelle

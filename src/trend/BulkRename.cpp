#include "trend/BulkRename.h"

#include <map>
#include <tuple>

#include "trend/FileTools.h"
#include "trend/FolderIndex.h"

namespace morvelle {
namespace {

// A name in a folder, the folder by identity and the name folded to lower
// case.
struct NameKey {
  std::uint64_t device, folder;
  std::string name;
  bool operator<(const NameKey& other) const {
    return std::tie(device, folder, name) <
           std::tie(other.device, other.folder, other.name);
  }
};

NameKey KeyOf(const FileInfo& folder, const std::string& path) {
  return {folder.device, folder.index, FoldCase(FileNameOf(path))};
}

class CrossChecker {
 public:
  explicit CrossChecker(Env& env) : env_(env) {}

  // Refuses `row` when it meets an earlier row; otherwise claims its names.
  void Check(std::size_t index, PlannedRename* row) {
    FileInfo folder;
    Status s = FolderIdentity(FolderOf(row->plan.hstPath), &folder);
    if (!s.ok()) {
      row->outcome = RenameOutcome::kFailed;
      row->message = "Could not read the trend's folder: " + s.ToString();
      return;
    }
    std::vector<std::pair<std::map<NameKey, std::size_t>*, NameKey>> keys;
    for (const RenameStep& step : row->plan.steps) {
      const std::string& name =
          step.kind == StepKind::kRename ? step.newPath : step.path;
      auto& claimed = step.kind == StepKind::kRename ? targets_ : sources_;
      NameKey key = KeyOf(folder, name);
      auto it = claimed.find(key);
      if (it != claimed.end()) {
        Refuse(step, it->second, row);
        return;
      }
      keys.push_back({&claimed, std::move(key)});
    }
    for (auto& [claimed, key] : keys) claimed->emplace(std::move(key), index);
  }

 private:
  Status FolderIdentity(const std::string& folder, FileInfo* info) {
    auto it = folders_.find(folder);
    if (it != folders_.end()) {
      *info = it->second;
      return Status::Ok();
    }
    Status s = env_.GetFileInfo(folder, info);
    if (s.ok()) folders_.emplace(folder, *info);
    return s;
  }

  static void Refuse(const RenameStep& step, std::size_t other,
                     PlannedRename* row) {
    row->outcome = RenameOutcome::kRefused;
    row->conflictsWith = other;
    row->message =
        step.kind == StepKind::kRename
            ? "Cannot rename '" + step.path + "' to '" +
                  FileNameOf(step.newPath) +
                  "': another row renames a file to that name too"
            : "'" + step.path + "' is a file of another row's trend too";
  }

  Env& env_;
  std::map<std::string, FileInfo> folders_;
  std::map<NameKey, std::size_t> sources_;  // every file a row rewrites
  std::map<NameKey, std::size_t> targets_;  // every new name
};

// The name each file of `plan` has once the plan has run, by step.
std::string NameAfter(const RenamePlan& plan, std::size_t rewriteStep) {
  const std::vector<RenameStep>& steps = plan.steps;
  std::size_t next = rewriteStep + 1;
  bool renamed = next < steps.size() && steps[next].kind == StepKind::kRename &&
                 steps[next].path == steps[rewriteStep].path;
  return FileNameOf(renamed ? steps[next].newPath : steps[rewriteStep].path);
}

std::string TableProblem(const RenamePlan& plan, const std::string& oldPath,
                         const std::string& oldTag) {
  const TrendLayout& layout = plan.layout;
  if (plan.header.EntryCount() < 1)
    return "its table has no entry in use to take the old path and tag from";
  for (int i = 0; i < plan.header.EntryCount(); ++i) {
    std::string before =
        plan.table.substr(i * layout.entrySize, layout.entrySize);
    std::string entry = before;
    RewriteEntry(&entry, plan.pathField, plan.tagField, layout);
    RewriteEntry(&entry, oldPath, oldTag, layout);
    if (entry != before)
      return "entry " + std::to_string(i) +
             " of its table would not get its path and tag back exactly";
  }
  if (oldTag.empty()) return "its old tag is empty, which a rename refuses";
  return {};
}

std::string NamesProblem(const RenamePlan& plan, const std::string& oldName) {
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const RenameStep& step = plan.steps[i];
    if (step.kind == StepKind::kRename) continue;
    std::string after = NameAfter(plan, i);
    std::string back =
        oldName + "." +
        (step.kind == StepKind::kRewriteTable ? "HST" : ExtensionOf(after));
    if (back != FileNameOf(step.path))
      return "'" + FileNameOf(step.path) + "' would come back as '" + back +
             "'";
  }
  return {};
}

}  // namespace

std::vector<PlannedRename> PlanRenames(
    Env& env, const std::vector<RenameRequest>& requests) {
  FolderListings listings(env);
  CrossChecker checker(env);
  std::vector<PlannedRename> rows(requests.size());
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const RenameRequest& request = requests[i];
    PlannedRename& row = rows[i];
    row.outcome = PlanRename(env, listings, request.hstPath, request.newPath,
                             request.newTag, &row.plan, &row.message);
    if (row.outcome == RenameOutcome::kRenamed) checker.Check(i, &row);
  }
  return rows;
}

RenameRequest UndoRequest(const RenamePlan& plan, std::string* problem) {
  RenameRequest undo;
  undo.hstPath = FolderOf(plan.hstPath) + NameAfter(plan, 0);
  std::string entry = plan.table.substr(0, plan.layout.entrySize);
  std::string old_path =
      TrimAtNul(StripExtension(ReadField(entry, plan.layout.EntryPath())));
  std::string old_tag = TrimAtNul(ReadField(entry, plan.layout.EntryTag()));
  undo.newPath = FieldDisplayText(old_path);
  undo.newTag = FieldDisplayText(old_tag);
  *problem = TableProblem(plan, old_path, old_tag);
  if (problem->empty()) *problem = NamesProblem(plan, FileNameOf(undo.newPath));
  return undo;
}

}  // namespace morvelle

#include "trend/BulkRename.h"

#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>

#include "trend/FileTools.h"
#include "trend/FolderIndex.h"
#include "trend/HistoryFile.h"

namespace morvelle {
namespace {

// A name in a folder, the folder by identity and the name folded to lower
// case.
struct NameKey {
  std::uint64_t device, folder;
  std::string name;
  bool operator==(const NameKey& other) const {
    return device == other.device && folder == other.folder &&
           name == other.name;
  }
};

struct NameKeyHash {
  std::size_t operator()(const NameKey& key) const {
    std::size_t hash = std::hash<std::string>()(key.name);
    for (std::uint64_t part : {key.device, key.folder})
      hash = hash * 1099511628211ull ^ std::hash<std::uint64_t>()(part);
    return hash;
  }
};

// `path` lies in the row's folder, whose path is `folderLength` long.
NameKey KeyOf(const FileInfo& folder, std::size_t folderLength,
              const std::string& path) {
  return {folder.device, folder.index,
          FoldCase(std::string_view(path).substr(folderLength))};
}

// Checks the rows against each other. Every file a row rewrites is claimed
// as its source, every new name as its target; a row meets another when it
// claims a source again (the same trend twice, or history files whose names
// differ in letter case only) or a target again. A trend renamed onto
// another's current name, in any letter case, is refused by its own plan:
// that name is taken, or the other trend's files would join it.
class CrossChecker {
 public:
  explicit CrossChecker(Env& env) : env_(env) {}

  // True when no two of the planned `rows` can meet: no two of their
  // sources, and no two of their targets, hash alike. Two that do (a real
  // meeting, or two names that merely hash alike) leave it to the claims.
  // A row whose folder cannot be told fails here.
  bool SurelyApart(std::vector<PlannedRename>* rows) {
    std::vector<std::uint64_t> sources, targets;
    for (PlannedRename& row : *rows) {
      FileInfo folder;
      if (row.outcome != RenameOutcome::kRenamed || !RowFolder(&row, &folder))
        continue;
      const std::string folder_path = FolderOf(row.plan.hstPath);
      std::uint64_t in_folder =
          (folder.device * 1099511628211ull) ^ folder.index;
      for (const FileChange& file : row.plan.files) {
        sources.push_back(FoldedHash(
            std::string_view(file.path).substr(folder_path.size()), in_folder));
        if (file.renamed())
          targets.push_back(FoldedHash(
              std::string_view(file.newPath).substr(folder_path.size()),
              in_folder));
      }
    }
    return AllDifferent(&sources) && AllDifferent(&targets);
  }

  // Claims the sources of `row`, or refuses it when one is claimed already.
  void ClaimSources(std::size_t index, PlannedRename* row) {
    Claim(index, row, /*targets=*/false, &sources_, [](const FileChange& file) {
      return Quoted(file.path) + " is a file of another row's trend too";
    });
  }

  // Claims the targets of `row`, or refuses it when one is claimed already.
  void ClaimTargets(std::size_t index, PlannedRename* row) {
    Claim(index, row, /*targets=*/true, &targets_, [](const FileChange& file) {
      return "Cannot rename " + Quoted(file.path) + " to " +
             Quoted(FileNameOf(file.newPath)) +
             ": another row renames a file to that name too";
    });
  }

 private:
  // Every file of a row, renamed or not, lies in its history file's folder.
  bool RowFolder(PlannedRename* row, FileInfo* folder) {
    Status s = FolderIdentity(FolderOf(row->plan.hstPath), folder);
    if (s.ok()) return true;
    row->outcome = RenameOutcome::kFailed;
    row->failure = s.WithContext("Could not read the trend's folder: ");
    return false;
  }

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

  using Claims = std::unordered_map<NameKey, std::size_t, NameKeyHash>;

  // Claims the old paths of `row`'s files, or with `targets` the new paths
  // of those renamed, or refuses the row with `conflict` of the first file
  // whose name another row claimed already.
  template <typename Conflict>
  void Claim(std::size_t index, PlannedRename* row, bool targets,
             Claims* claims, Conflict conflict) {
    FileInfo folder;
    if (!RowFolder(row, &folder)) return;
    const std::size_t folder_length = FolderOf(row->plan.hstPath).size();
    std::vector<NameKey> keys;
    for (const FileChange& file : row->plan.files) {
      if (targets && !file.renamed()) continue;
      NameKey key =
          KeyOf(folder, folder_length, targets ? file.newPath : file.path);
      auto it = claims->find(key);
      if (it != claims->end()) return Refuse(it->second, conflict(file), row);
      keys.push_back(std::move(key));
    }
    for (NameKey& key : keys) claims->emplace(std::move(key), index);
  }

  static bool AllDifferent(std::vector<std::uint64_t>* hashes) {
    std::sort(hashes->begin(), hashes->end());
    return std::adjacent_find(hashes->begin(), hashes->end()) == hashes->end();
  }

  static void Refuse(std::size_t other, const std::string& message,
                     PlannedRename* row) {
    row->outcome = RenameOutcome::kRefused;
    row->conflictsWith = other;
    row->failure = Status::Message(ErrorKind::kAlreadyExists, message);
  }

  Env& env_;
  std::map<std::string, FileInfo> folders_;
  Claims sources_;  // every file a row rewrites
  Claims targets_;  // every new name
};

std::string TableProblem(const RenamePlan& plan, const std::string& oldPath,
                         const std::string& oldTag) {
  const TrendLayout& layout = plan.layout;
  if (plan.header.EntryCount() < 1)
    return "its table has no entry in use to take the old path and tag from";
  const std::string& table = plan.files.front().oldBytes;
  for (int i = 0; i < plan.header.EntryCount(); ++i) {
    std::string before = table.substr(i * layout.entrySize, layout.entrySize);
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
  for (std::size_t i = 0; i < plan.files.size(); ++i) {
    const FileChange& file = plan.files[i];
    std::string back = oldName + "." +
                       (i == 0 ? "HST" : ExtensionOf(FileNameOf(file.newPath)));
    if (back != FileNameOf(file.path))
      return Quoted(FileNameOf(file.path)) + " would come back as " +
             Quoted(back);
  }
  return {};
}

}  // namespace

std::vector<PlannedRename> PlanRenames(
    Env& env, const std::vector<RenameRequest>& requests) {
  FolderListings listings(env);
  std::vector<PlannedRename> rows(requests.size());
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const RenameRequest& request = requests[i];
    RenameReport planned = PlanRename(env, listings, request.hstPath,
                                      request.newPath, request.newTag);
    rows[i].outcome = planned.outcome;
    rows[i].failure = std::move(planned.failure);
    rows[i].plan = std::move(planned.plan);
  }
  CrossChecker checker(env);
  if (checker.SurelyApart(&rows)) return rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    PlannedRename& row = rows[i];
    if (row.outcome == RenameOutcome::kRenamed) checker.ClaimSources(i, &row);
    if (row.outcome == RenameOutcome::kRenamed) checker.ClaimTargets(i, &row);
  }
  return rows;
}

RenameRequest UndoRequest(const RenamePlan& plan, Status* inexact) {
  RenameRequest undo;
  undo.hstPath = plan.files.front().newPath;
  std::string_view entry(plan.files.front().oldBytes.data(),
                         plan.layout.entrySize);
  std::string old_path =
      PathFieldWithoutExtension(ReadField(entry, plan.layout.EntryPath()));
  std::string old_tag = TrimAtNul(ReadField(entry, plan.layout.EntryTag()));
  undo.newPath = FieldDisplayText(old_path);
  undo.newTag = FieldDisplayText(old_tag);
  if (!inexact) return undo;
  std::string problem = TableProblem(plan, old_path, old_tag);
  if (problem.empty()) problem = NamesProblem(plan, FileNameOf(undo.newPath));
  *inexact = problem.empty()
                 ? Status::Ok()
                 : Status::Message(ErrorKind::kOther, std::move(problem));
  return undo;
}

}  // namespace morvelle

// Planning a rename: every check and every change worked out before any
// file is touched.
#include <algorithm>
#include <optional>
#include <utility>

#include "trend/FileTools.h"
#include "trend/HistoryFile.h"
#include "trend/Journal.h"
#include "trend/NewValues.h"
#include "trend/TrendRepair.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

// Opens the history file read-only and reads what the plan needs: the
// header and, when the header is sound, the whole table.
RenameOutcome ReadHistory(FolderListings& listings, RenamePlan* plan,
                          std::string* table, Status* failure) {
  std::unique_ptr<File> file;
  Folder* folder = nullptr;
  Status s = listings.Open(FolderOf(plan->hstPath), &folder);
  if (s.ok()) s = folder->OpenFile(plan->hstPath, OpenMode::kRead, &file);
  Status own = s.ok() ? CheckFileToRewrite(*file, plan->hstPath, 0) : s;
  std::string head;
  if (s.ok()) s = ReadHistoryHead(*file, &head, &plan->header);
  const HstHeader& header = plan->header;
  std::optional<TrendLayout> layout = LayoutForVersion(header.Version());
  RenameOutcome outcome = RenameOutcome::kRenamed;
  const std::string counts =
      "(EntryCount " + std::to_string(header.EntryCount()) + ", ExtraCount " +
      std::to_string(header.ExtraCount()) + ")";
  if (s.ok() && !own.ok()) {
    *failure = own.WithContext("Cannot rename the trend: ");
    outcome = RenameOutcome::kRefused;
  } else if (s.ok() && !layout) {
    *failure = InvalidVersion(header.Version());
    outcome = RenameOutcome::kInvalidTrend;
  } else if (s.ok() && !TableCountsValid(header)) {
    *failure = Status::Message(
        ErrorKind::kCorrupt,
        "The file table of " + Quoted(plan->hstPath) + " is invalid " + counts);
    outcome = RenameOutcome::kInvalidTrend;
  } else if (s.ok()) {
    plan->layout = *layout;
    std::size_t size =
        TableSize(*layout, header.EntryCount(), header.ExtraCount());
    s = ReadTableAfterHead(*file, head, size, table);
    // A file that ends inside its table is refused rather than grown: the
    // zeros the write-back would add, with the new path in every missing
    // entry, would be entries the runtime never wrote (EntryCount and
    // ExtraCount of 32767 each grow a short file to 29 MB).
    if (s.ok() && table->size() < size) {
      *failure = Status::Message(
          ErrorKind::kCorrupt,
          "The file table of " + Quoted(plan->hstPath) + " is cut short: " +
              std::to_string(header.EntryCount() + header.ExtraCount()) +
              " entries " + counts + " need " +
              std::to_string(kFileTableOffset + size) +
              " bytes, the file holds " +
              std::to_string(kFileTableOffset + table->size()));
      outcome = RenameOutcome::kInvalidTrend;
    }
  }
  if (file) s = CloseKeepingError(std::move(file), s);
  if (!s.ok()) {
    *failure = s.WithContext("Could not read the trend: ");
    return RenameOutcome::kFailed;
  }
  return outcome;
}

void WarnAboutCutValues(const std::string& table, RenamePlan* plan) {
  const TrendLayout& layout = plan->layout;
  for (int i = 0; i < plan->header.EntryCount(); ++i) {
    std::string_view entry(table.data() + i * layout.entrySize,
                           layout.entrySize);
    std::optional<std::string> extension =
        PathFieldExtension(entry.substr(0, layout.pathWidth));
    std::size_t length =
        plan->pathField.size() + (extension ? extension->size() + 1 : 0);
    if (length > layout.pathWidth) {
      plan->warnings.push_back(
          "The new path with its extension is " + std::to_string(length) +
          " characters long; the Path field holds " +
          std::to_string(layout.pathWidth) + ", so it is stored cut");
      plan->pathCutTo = layout.pathWidth;
      break;
    }
  }
  if (plan->tagField.size() > layout.tagWidth) {
    plan->warnings.push_back(
        "The new tag is " + std::to_string(plan->tagField.size()) +
        " characters long; the Tag field holds " +
        std::to_string(layout.tagWidth) + ", so it is stored cut");
    plan->tagCutTo = layout.tagWidth;
  }
}

// The history file's name as its folder lists it. Where the file system
// folds letter case the user may have typed it in another case, and the
// listed spelling must not pass for another history file.
Status ListedName(Env& env, const FolderIndex& listing,
                  const std::string& folder, std::string* name) {
  if (listing.Find(*name)) return Status::Ok();
  std::vector<const FolderEntry*> spellings;
  for (const FolderEntry* entry : listing.Candidates(StripExtension(*name)))
    if (EqualsIgnoringCase(entry->name, *name)) spellings.push_back(entry);
  if (spellings.empty()) return Status::Ok();
  FileInfo history;
  Status s = env.GetFileInfo(folder + *name, &history);
  for (const FolderEntry* entry : spellings) {
    FileInfo info;
    if (s.ok()) s = env.GetFileInfo(folder + entry->name, &info);
    if (s.ok() && info.device == history.device &&
        info.index == history.index) {
      *name = entry->name;
      break;
    }
  }
  return s;
}

// The history file's record; `plan->newTable` is set.
void AddHistoryChange(std::string table, const std::string& newName,
                      RenamePlan* plan) {
  FileChange& change = plan->files.emplace_back();
  change.path = plan->hstPath;
  change.newPath = FolderOf(plan->hstPath) + newName + ".HST";
  change.offset = kFileTableOffset;
  change.oldBytes = std::move(table);
}

// The data files' records share everything but their names.
void AddDataFileChanges(const std::vector<std::string>& names,
                        const std::string& newName, RenamePlan* plan) {
  const std::string folder = FolderOf(plan->hstPath);
  const std::string new_prefix = folder + newName + ".";
  plan->dataTagBytes = PadWithNul(plan->tagField, plan->layout.tagWidth)
                           .substr(0, plan->layout.tagWidth);
  for (const std::string& name : names) {
    FileChange& change = plan->files.emplace_back();
    change.path = folder + name;
    change.newPath = new_prefix + ExtensionOf(name);
    change.offset = plan->layout.dataTagOffset;
  }
}

RenameOutcome PlanFiles(Env& env, const FolderIndex& listing,
                        const std::string& newName, std::string table,
                        RenamePlan* plan, Status* failure) {
  std::string folder = FolderOf(plan->hstPath);
  std::string history_name = FileNameOf(plan->hstPath);
  Status s = ListedName(env, listing, folder, &history_name);
  if (!s.ok()) {
    *failure = s.WithContext("Could not check the trend's folder: ");
    return RenameOutcome::kFailed;
  }
  TrendFiles files =
      FindTrendFiles(listing, StripExtension(history_name), history_name);
  if (!files.ambiguous.empty()) {
    *failure = Status::Message(
        ErrorKind::kInvalidArgument,
        Quoted(folder + files.ambiguous.front()) +
            " could be a data file of this trend or of another whose name "
            "differs in letter case only; rename it so that its name matches "
            "one history file exactly");
    return RenameOutcome::kRefused;
  }
  plan->files.reserve(files.dataFiles.size() + 1);
  plan->newTable = RewrittenTable(table, plan->pathField, plan->tagField,
                                  plan->layout, plan->header.EntryCount());
  AddHistoryChange(std::move(table), newName, plan);
  AddDataFileChanges(files.dataFiles, newName, plan);
  plan->skipped = std::move(files.skipped);
  return RenameOutcome::kRenamed;
}

// The platform says that another program holds a file open; the program
// that holds trend files is the runtime, and the hint is said here alone.
Status NotWritable(const Status& s) {
  return s.WithContext("Cannot rename the trend: ",
                       std::string(s.kind() == ErrorKind::kInUse
                                       ? " (the Ostrel runtime may be using it)"
                                       : "") +
                           ". Nothing was changed.");
}

RenameOutcome CheckWritable(Env& env, FolderListings& listings,
                            const RenamePlan& plan, bool eachFile,
                            Status* failure) {
  const std::string folder_path = FolderOf(plan.hstPath);
  Folder* folder = nullptr;
  Status s = listings.Open(folder_path, &folder);
  if (s.ok()) s = listings.CheckFolderWritable(folder_path);
  for (std::size_t i = 0; s.ok() && i < plan.files.size(); ++i) {
    if (eachFile) s = folder->CheckWritable(plan.files[i].path);
    if (s.ok() && plan.files[i].renamed())
      s = env.CheckNameFits(plan.files[i].newPath);
  }
  if (s.ok()) return RenameOutcome::kRenamed;
  *failure = NotWritable(s);
  return s.kind() == ErrorKind::kPermissionDenied ||
                 s.kind() == ErrorKind::kInUse ||
                 s.kind() == ErrorKind::kInvalidArgument
             ? RenameOutcome::kRefused
             : RenameOutcome::kFailed;
}

// A target that exists is a conflict unless it is the source itself under
// another spelling of its name, which is what a case-folding file system
// reports for a case-only rename. A name the folder's listing does not
// hold under any spelling did not exist when the folder was listed; the
// rename itself never replaces, so a file that appears since cannot be
// lost either.
RenameOutcome CheckTarget(Env& env, const FolderIndex& listing,
                          const FileChange& file, Status* failure) {
  if (!listing.HoldsNameFolded(FileNameOf(file.newPath)))
    return RenameOutcome::kRenamed;
  FileInfo target;
  Status s = env.GetFileInfo(file.newPath, &target);
  if (s.kind() == ErrorKind::kNotFound) return RenameOutcome::kRenamed;
  FileInfo source;
  if (s.ok()) s = env.GetFileInfo(file.path, &source);
  if (!s.ok()) {
    *failure = s.WithContext("Could not check the new name: ");
    return RenameOutcome::kFailed;
  }
  if (source.device == target.device && source.index == target.index &&
      EqualsIgnoringCase(file.path, file.newPath))
    return RenameOutcome::kRenamed;
  *failure = Status::Message(ErrorKind::kAlreadyExists,
                             "Cannot rename " + Quoted(file.path) + ": " +
                                 Quoted(file.newPath) + " already exists");
  return RenameOutcome::kRefused;
}

// Every file of a plan lies in the history file's folder, so two new
// paths are one when their names are.
std::optional<std::pair<const FileChange*, const FileChange*>> SharedTarget(
    const RenamePlan& plan) {
  std::vector<std::pair<std::string_view, const FileChange*>> targets;
  targets.reserve(plan.files.size());
  const std::size_t folder = FolderOf(plan.hstPath).size();
  for (const FileChange& file : plan.files)
    if (file.renamed())
      targets.emplace_back(std::string_view(file.newPath).substr(folder),
                           &file);
  std::sort(targets.begin(), targets.end());
  for (std::size_t i = 1; i < targets.size(); ++i)
    if (targets[i - 1].first == targets[i].first)
      return std::pair(targets[i - 1].second, targets[i].second);
  return std::nullopt;
}

RenameOutcome CheckTargets(Env& env, const FolderIndex& listing,
                           const RenamePlan& plan, const std::string& newName,
                           Status* failure) {
  if (auto shared = SharedTarget(plan)) {
    *failure =
        Status::Message(ErrorKind::kAlreadyExists,
                        "Cannot rename both " + Quoted(shared->first->path) +
                            " and " + Quoted(shared->second->path) + " to " +
                            Quoted(shared->first->newPath));
    return RenameOutcome::kRefused;
  }
  // Every new name is the new base, a dot and an extension: where the
  // listing holds no name of that form, none of them was taken.
  if (listing.Candidates(newName).empty()) return RenameOutcome::kRenamed;
  for (const FileChange& file : plan.files) {
    if (!file.renamed()) continue;
    RenameOutcome outcome = CheckTarget(env, listing, file, failure);
    if (outcome != RenameOutcome::kRenamed) return outcome;
  }
  return RenameOutcome::kRenamed;
}

// A file named like the renamed trend's data files or history file that is
// not one of its own would join it: the next rename, or its undo, would
// take it for one of the trend's files. Where the name stays, nothing new
// can join.
RenameOutcome CheckJoiners(const FolderIndex& listing, const RenamePlan& plan,
                           const std::string& newName, Status* failure) {
  if (newName == FileNameOf(StripExtension(plan.hstPath)))
    return RenameOutcome::kRenamed;
  std::vector<std::string_view> own;
  own.reserve(plan.files.size());
  const std::size_t folder = FolderOf(plan.hstPath).size();
  for (const FileChange& file : plan.files)
    own.push_back(std::string_view(file.path).substr(folder));
  std::sort(own.begin(), own.end());
  for (const FolderEntry* entry : listing.Candidates(newName)) {
    std::string_view extension =
        std::string_view(entry->name).substr(newName.size() + 1);
    bool joins =
        EqualsIgnoringCase(extension, "HST") ||
        (!extension.empty() &&
         extension.find_first_not_of("0123456789") == std::string_view::npos);
    if (!joins || std::binary_search(own.begin(), own.end(), entry->name))
      continue;
    *failure =
        Status::Message(ErrorKind::kAlreadyExists,
                        "Cannot rename the trend to " + Quoted(newName) + ": " +
                            Quoted(FolderOf(plan.hstPath) + entry->name) +
                            " is named like a file of that trend but is not "
                            "one of this trend's files; move or rename it "
                            "first");
    return RenameOutcome::kRefused;
  }
  return RenameOutcome::kRenamed;
}

RenameOutcome CheckHistoryName(const RenamePlan& plan, Status* failure) {
  if (EqualsIgnoringCase(ExtensionOf(FileNameOf(plan.hstPath)), "HST"))
    return RenameOutcome::kRenamed;
  *failure = Status::Message(
      ErrorKind::kInvalidArgument,
      Quoted(plan.hstPath) +
          " is not a history file: a history file's name ends in .HST");
  return RenameOutcome::kInvalidTrend;
}

// Whether the history file may be opened, with `*listing` its folder's
// listing when it may. The listing tells for a regular file without a call
// to the file system (the open checks again what it opened); anything else
// is asked of the file system, which also says why not.
Status CheckListedHistoryFile(Env& env, FolderListings& listings,
                              const std::string& path,
                              const std::string& shownPath,
                              const FolderIndex** listing) {
  Status listed = listings.Get(FolderOf(path), listing);
  if (listed.ok()) {
    const FolderEntry* entry = (*listing)->Find(FileNameOf(path));
    if (entry && entry->type == EntryType::kRegular) return Status::Ok();
  }
  Status s = CheckHistoryFile(env, path, shownPath);
  if (s.ok() && !listed.ok())
    return listed.WithContext("Could not list the trend's folder: ");
  return s;
}

// A missing history file is not found; one that is not a regular file is
// no trend, by the check's own word (a failure of the file system names
// the call that failed); anything else is the file system's failure.
RenameOutcome OutcomeOfHistoryCheck(const Status& s) {
  if (s.kind() == ErrorKind::kNotFound) return RenameOutcome::kNotFound;
  if (s.kind() == ErrorKind::kNotARegularFile && s.operation().empty())
    return RenameOutcome::kInvalidTrend;
  return RenameOutcome::kFailed;
}

// The checks of the history file any plan starts with.
RenameOutcome StartAnyPlan(Env& env, FolderListings& listings,
                           const std::string& hstPath, RenamePlan* plan,
                           const FolderIndex** listing, Status* failure) {
  if (hstPath.empty()) {
    *failure = TrendNotFound(hstPath);
    return RenameOutcome::kNotFound;
  }
  Status s = env.AbsolutePath(hstPath, &plan->hstPath);
  if (!s.ok()) {
    *failure = s.WithContext("Could not find the trend: ");
    return RenameOutcome::kFailed;
  }
  s = CheckListedHistoryFile(env, listings, plan->hstPath, hstPath, listing);
  if (!s.ok()) {
    *failure = s;
    return OutcomeOfHistoryCheck(s);
  }
  RenameOutcome outcome = CheckHistoryName(*plan, failure);
  if (outcome != RenameOutcome::kRenamed) return outcome;
  s = CheckNoPendingRun(env, **listing, FolderOf(plan->hstPath),
                        FileNameOf(plan->hstPath));
  if (s.ok()) return RenameOutcome::kRenamed;
  *failure = s;
  return RenameOutcome::kRefused;
}

RenameOutcome StartPlan(Env& env, FolderListings& listings,
                        const std::string& hstPath, const std::string& newPath,
                        const std::string& newTag, RenamePlan* plan,
                        const FolderIndex** listing, Status* failure) {
  RenameOutcome outcome =
      StartAnyPlan(env, listings, hstPath, plan, listing, failure);
  if (outcome != RenameOutcome::kRenamed) return outcome;
  Status s =
      EncodeNewValues(newPath, newTag, &plan->pathField, &plan->tagField);
  if (s.ok()) return RenameOutcome::kRenamed;
  *failure = s;
  return RenameOutcome::kRefused;
}

// The data files of a half-done rename, to be given the table's entry 0
// as it stands and `*base`, the history file's base as its folder lists it.
RenameOutcome PlanRepairFiles(Env& env, const FolderIndex& listing,
                              std::string table, RenamePlan* plan,
                              std::string* base, Status* failure) {
  std::string history_name = FileNameOf(plan->hstPath);
  Status s = ListedName(env, listing, FolderOf(plan->hstPath), &history_name);
  if (!s.ok()) {
    *failure = s.WithContext("Could not check the trend's folder: ");
    return RenameOutcome::kFailed;
  }
  std::vector<std::string> old_names;
  s = FindHalfDoneFiles(listing, history_name, table, plan->layout,
                        plan->header.EntryCount(), &old_names);
  if (!s.ok()) {
    *failure = s;
    return RenameOutcome::kRefused;
  }
  const TrendLayout& layout = plan->layout;
  const std::string_view entry(table.data(), layout.entrySize);
  plan->pathField =
      PathFieldWithoutExtension(ReadField(entry, layout.EntryPath()));
  plan->tagField = ReadField(entry, layout.EntryTag());
  plan->rewritesTable = false;
  plan->newTable = table;
  *base = StripExtension(history_name);
  plan->files.reserve(old_names.size() + 1);
  AddHistoryChange(std::move(table), *base, plan);
  plan->files.front().newPath = plan->hstPath;  // it keeps its name
  AddDataFileChanges(old_names, *base, plan);
  return RenameOutcome::kRenamed;
}

// The Tag of the data file `path`, read-only.
Status ReadDataTag(Folder& folder, const std::string& path,
                   const RenamePlan& plan, std::string* tag) {
  std::unique_ptr<File> file;
  Status s = folder.OpenFile(path, OpenMode::kRead, &file);
  if (s.ok())
    s = ReadWholeRecord(*file, path, plan.layout.dataTagOffset,
                        plan.dataTagBytes.size(), tag);
  return file ? CloseKeepingError(std::move(file), s) : s;
}

// The data files a repair takes carry the old tag, one for all of them,
// or already the table's: files of two other tags are not one trend's.
RenameOutcome CheckOldTags(FolderListings& listings, const RenamePlan& plan,
                           Status* failure) {
  Folder* folder = nullptr;
  Status s = listings.Open(FolderOf(plan.hstPath), &folder);
  std::string old_tag;
  for (std::size_t i = 1; s.ok() && i < plan.files.size(); ++i) {
    std::string tag;
    s = ReadDataTag(*folder, plan.files[i].path, plan, &tag);
    if (!s.ok() || tag == plan.dataTagBytes) continue;
    if (old_tag.empty()) old_tag = tag;
    if (tag == old_tag) continue;
    *failure = Status::Message(ErrorKind::kInvalidArgument,
                               "the data files it would take carry the tags " +
                                   Quoted(FieldDisplayText(old_tag)) + " and " +
                                   Quoted(FieldDisplayText(tag)) +
                                   ", not one old tag");
    return RenameOutcome::kRefused;
  }
  if (s.ok()) return RenameOutcome::kRenamed;
  *failure = s.WithContext("Could not read the trend: ");
  return RenameOutcome::kFailed;
}

}  // namespace

RenameReport PlanRename(Env& env, const std::string& hstPath,
                        const std::string& newPath, const std::string& newTag) {
  FolderListings listings(env);
  return PlanRename(env, listings, hstPath, newPath, newTag);
}

RenameReport PlanRename(Env& env, FolderListings& listings,
                        const std::string& hstPath, const std::string& newPath,
                        const std::string& newTag, bool eachFileWritable) {
  RenameReport report;
  RenamePlan* plan = &report.plan;
  Status* failure = &report.failure;
  const FolderIndex* listing = nullptr;
  RenameOutcome& outcome = report.outcome;
  outcome = StartPlan(env, listings, hstPath, newPath, newTag, plan, &listing,
                      failure);
  std::string table;
  if (outcome == RenameOutcome::kRenamed)
    outcome = ReadHistory(listings, plan, &table, failure);
  if (outcome != RenameOutcome::kRenamed) return report;
  WarnAboutCutValues(table, plan);
  const std::string new_name = FileNameOf(newPath);
  outcome = PlanFiles(env, *listing, new_name, std::move(table), plan, failure);
  if (outcome == RenameOutcome::kRenamed)
    outcome = CheckTargets(env, *listing, *plan, new_name, failure);
  if (outcome == RenameOutcome::kRenamed)
    outcome = CheckJoiners(*listing, *plan, new_name, failure);
  if (outcome == RenameOutcome::kRenamed)
    outcome = CheckWritable(env, listings, *plan, eachFileWritable, failure);
  return report;
}

RenameReport PlanRepair(Env& env, FolderListings& listings,
                        const std::string& hstPath) {
  RenameReport report;
  RenamePlan* plan = &report.plan;
  Status* failure = &report.failure;
  const FolderIndex* listing = nullptr;
  RenameOutcome& outcome = report.outcome;
  outcome = StartAnyPlan(env, listings, hstPath, plan, &listing, failure);
  std::string table;
  if (outcome == RenameOutcome::kRenamed)
    outcome = ReadHistory(listings, plan, &table, failure);
  std::string base;
  if (outcome == RenameOutcome::kRenamed)
    outcome =
        PlanRepairFiles(env, *listing, std::move(table), plan, &base, failure);
  if (outcome == RenameOutcome::kRenamed)
    outcome = CheckOldTags(listings, *plan, failure);
  if (outcome == RenameOutcome::kRenamed)
    outcome = CheckTargets(env, *listing, *plan, base, failure);
  if (outcome == RenameOutcome::kRenamed)
    outcome = CheckWritable(env, listings, *plan, true, failure);
  return report;
}

void RewriteEntry(std::string* entry, std::string_view newPath,
                  std::string_view newTag, const TrendLayout& layout) {
  RewriteEntryAt(entry, 0, newPath, newTag, layout);
}

std::vector<EntryChange> PlannedEntryChanges(const RenamePlan& plan) {
  const TrendLayout& layout = plan.layout;
  std::vector<EntryChange> changes;
  if (plan.files.empty()) return changes;
  const FileChange& table = plan.files.front();
  for (int i = 0; i < plan.header.EntryCount(); ++i) {
    std::string_view before(table.oldBytes.data() + i * layout.entrySize,
                            layout.entrySize);
    std::string_view after(plan.newTable.data() + i * layout.entrySize,
                           layout.entrySize);
    changes.push_back({ReadField(before, layout.EntryPath()),
                       ReadField(after, layout.EntryPath()),
                       ReadField(before, layout.EntryTag()),
                       ReadField(after, layout.EntryTag())});
  }
  return changes;
}

}  // namespace morvelle

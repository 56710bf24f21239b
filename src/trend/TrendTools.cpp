#include "trend/TrendTools.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "platform/FieldEncoding.h"
#include "trend/FileTools.h"

namespace morvelle {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
}

// Reads `size` bytes at `offset`; what lies past the end of the file reads
// as zeros, so a short file yields a whole record.
Status ReadRecord(File& file, std::uint64_t offset, std::size_t size,
                  std::string* record) {
  Status s = file.ReadAt(offset, size, record);
  record->resize(size, '\0');
  return s;
}

Status ReadHeader(File& file, HstHeader* header) {
  return ReadRecord(file, 0, kHstHeaderSize, &header->bytes);
}

// Reads a record that is to be written back. It must lie wholly inside the
// file: padding it with zeros would make the write-back grow the file.
Status ReadWholeRecord(File& file, const std::string& path,
                       std::uint64_t offset, std::size_t size,
                       std::string* record) {
  Status s = file.ReadAt(offset, size, record);
  if (s.ok() && record->size() < size)
    return Status::Error(ErrorKind::kOther, "read", path,
                         "The file ends inside the record to be rewritten");
  return s;
}

std::size_t TableSize(const TrendLayout& layout, int entryCount,
                      int extraCount) {
  return layout.entrySize * static_cast<std::size_t>(entryCount + extraCount);
}

// Closes `file` and keeps the first error of the two.
Status CloseKeepingError(std::unique_ptr<File> file, Status s) {
  Status closed = file->Close();
  return s.ok() ? closed : s;
}

std::string InvalidVersionMessage(int version) {
  return "Invalid Trend Version " + std::to_string(version);
}

std::string NotFoundMessage(const std::string& hstPath) {
  return "Trend '" + hstPath + "' not found";
}

// Whether `path` names a history file that may be opened, and if not,
// why: kNotFound, kInvalidTrend for something that is not a regular file
// (a link is refused rather than followed: renaming it would rename the
// link, not the trend), kFailed when the file system cannot tell.
RenameOutcome CheckHistoryFile(Env& env, const std::string& path,
                               const std::string& shownPath,
                               std::string* message) {
  FileInfo info;
  Status s = env.GetFileInfo(path, &info);
  if (s.kind() == ErrorKind::kNotFound) {
    *message = NotFoundMessage(shownPath);
    return RenameOutcome::kNotFound;
  }
  if (!s.ok()) {
    *message = "Could not read the trend: " + s.ToString();
    return RenameOutcome::kFailed;
  }
  const std::string quoted = "'" + shownPath + "'";
  switch (info.type) {
    case EntryType::kRegular:
      return RenameOutcome::kRenamed;
    case EntryType::kDirectory:
      *message = quoted + " is a folder, not a history file";
      break;
    case EntryType::kSymlink:
      *message =
          quoted + " is a symbolic link; choose the history file it points to";
      break;
    case EntryType::kOther:
      *message = quoted +
                 " is not a regular file (a device, a pipe or a socket), so "
                 "it cannot be a history file";
      break;
  }
  return RenameOutcome::kInvalidTrend;
}

// ---- Checks of the new values ---------------------------------------------

bool IsReservedDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* device : kDevices)
    if (EqualsIgnoringCase(stem, device)) return true;
  return stem.size() == 4 &&
         (EqualsIgnoringCase(stem.substr(0, 3), "COM") ||
          EqualsIgnoringCase(stem.substr(0, 3), "LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

// Why `name` cannot be a file name on Windows, or empty when it can.
std::string FileNameProblem(const std::string& name) {
  if (name.empty()) return "has no file name";
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20)
      return "holds a control character, which a file name cannot hold";
    if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
      return std::string("holds '") + c + "', which a file name cannot hold";
  }
  if (name.back() == ' ' || name.back() == '.')
    return "ends in a space or a dot, which Windows drops from file names";
  if (IsReservedDeviceName(name))
    return "is a name Windows reserves for a device";
  return {};
}

// Field bytes of a user's value, or a refusal in `*message`.
bool EncodeValue(const std::string& what, const std::string& value,
                 std::string* field, std::string* message) {
  std::string bad;
  std::optional<std::string> bytes = EncodeFieldText(value, &bad);
  if (!bytes) {
    *message = bad.empty()
                   ? what + " is not valid UTF-8 text"
                   : what + " holds '" + bad +
                         "', which the text fields of a trend file cannot hold";
    return false;
  }
  *field = *bytes;
  return true;
}

bool CheckNewValues(const std::string& newPath, const std::string& newTag,
                    RenamePlan* plan, std::string* message) {
  std::string name_problem = FileNameProblem(FileNameOf(newPath));
  if (!name_problem.empty()) {
    *message = "The new path '" + newPath + "' " + name_problem;
    return false;
  }
  if (newTag.empty()) {
    *message = "The new tag is empty";
    return false;
  }
  return EncodeValue("The new path", newPath, &plan->pathField, message) &&
         EncodeValue("The new tag", newTag, &plan->tagField, message);
}

// ---- Planning ---------------------------------------------------------------

// Opens the history file read-only and reads what the plan needs: the
// header and, when the header is sound, the whole table.
RenameOutcome ReadHistory(Env& env, RenamePlan* plan, std::string* message) {
  std::unique_ptr<File> file;
  Status s = env.OpenFile(plan->hstPath, OpenMode::kRead, &file);
  if (s.ok()) s = ReadHeader(*file, &plan->header);
  const HstHeader& header = plan->header;
  std::optional<TrendLayout> layout = LayoutForVersion(header.Version());
  RenameOutcome outcome = RenameOutcome::kRenamed;
  if (s.ok() && !layout) {
    *message = InvalidVersionMessage(header.Version());
    outcome = RenameOutcome::kInvalidTrend;
  } else if (s.ok() && !TableCountsValid(header)) {
    *message = "The file table of '" + plan->hstPath +
               "' is invalid (EntryCount " +
               std::to_string(header.EntryCount()) + ", ExtraCount " +
               std::to_string(header.ExtraCount()) + ")";
    outcome = RenameOutcome::kInvalidTrend;
  } else if (s.ok()) {
    plan->layout = *layout;
    std::size_t size =
        TableSize(*layout, header.EntryCount(), header.ExtraCount());
    s = file->ReadAt(kFileTableOffset, size, &plan->table);
    // A file that ends inside its table is refused rather than grown: the
    // zeros the write-back would add, with the new path in every missing
    // entry, would be entries the runtime never wrote (EntryCount and
    // ExtraCount of 32767 each grow a short file to 29 MB).
    if (s.ok() && plan->table.size() < size) {
      *message = "The file table of '" + plan->hstPath + "' is cut short: " +
                 std::to_string(header.EntryCount() + header.ExtraCount()) +
                 " entries (EntryCount " + std::to_string(header.EntryCount()) +
                 ", ExtraCount " + std::to_string(header.ExtraCount()) +
                 ") need " + std::to_string(kFileTableOffset + size) +
                 " bytes, the file holds " +
                 std::to_string(kFileTableOffset + plan->table.size());
      outcome = RenameOutcome::kInvalidTrend;
    }
  }
  if (file) s = CloseKeepingError(std::move(file), s);
  if (!s.ok()) {
    *message = "Could not read the trend: " + s.ToString();
    return RenameOutcome::kFailed;
  }
  return outcome;
}

void WarnAboutCutValues(RenamePlan* plan) {
  const TrendLayout& layout = plan->layout;
  for (int i = 0; i < plan->header.EntryCount(); ++i) {
    std::string_view entry(plan->table.data() + i * layout.entrySize,
                           layout.entrySize);
    std::size_t length =
        plan->pathField.size() + 1 +
        ExtensionOf(ReadField(entry, layout.EntryPath())).size();
    if (length > layout.pathWidth) {
      plan->warnings.push_back(
          "The new path with its extension is " + std::to_string(length) +
          " characters long; the Path field holds " +
          std::to_string(layout.pathWidth) + ", so it is stored cut");
      break;
    }
  }
  if (plan->tagField.size() > layout.tagWidth)
    plan->warnings.push_back(
        "The new tag is " + std::to_string(plan->tagField.size()) +
        " characters long; the Tag field holds " +
        std::to_string(layout.tagWidth) + ", so it is stored cut");
}

void AddStep(StepKind kind, const std::string& path, RenamePlan* plan,
             const std::string& newPath = {}) {
  RenameStep step;
  step.kind = kind;
  step.path = path;
  step.newPath = newPath;
  plan->steps.push_back(std::move(step));
}

void AddRename(const std::string& from, const std::string& to,
               RenamePlan* plan) {
  if (from != to) AddStep(StepKind::kRename, from, plan, to);
}

// The history file's name as its folder lists it. Where the file system
// folds letter case the user may have typed it in another case, and the
// listed spelling must not pass for another history file.
Status ListedName(Env& env, const FolderIndex& listing,
                  const std::string& folder, std::string* name) {
  std::vector<const FolderEntry*> spellings;
  for (const FolderEntry* entry : listing.Candidates(StripExtension(*name))) {
    if (entry->name == *name) return Status::Ok();
    if (EqualsIgnoringCase(entry->name, *name)) spellings.push_back(entry);
  }
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

Status PlanSteps(Env& env, const FolderIndex& listing,
                 const std::string& newPath, RenamePlan* plan) {
  std::string folder = FolderOf(plan->hstPath);
  std::string history_name = FileNameOf(plan->hstPath);
  std::string new_name = FileNameOf(newPath);
  Status s = ListedName(env, listing, folder, &history_name);
  if (!s.ok()) return s;
  TrendFiles files = FindTrendFiles(
      listing, FileNameOf(StripExtension(plan->hstPath)), history_name);

  AddStep(StepKind::kRewriteTable, plan->hstPath, plan);
  AddRename(plan->hstPath, folder + new_name + ".HST", plan);
  plan->firstDataStep = plan->steps.size();
  for (const std::string& name : files.dataFiles) {
    AddStep(StepKind::kRewriteHeader, folder + name, plan);
    AddRename(folder + name, folder + new_name + "." + ExtensionOf(name), plan);
  }
  plan->skipped = std::move(files.skipped);
  return Status::Ok();
}

// Every file to be rewritten must be a file of its own: one that has
// other names (hard links, perhaps in a backup folder) would change under
// those names too. And every data file must hold a whole header: a shorter
// one would grow when its header is written back, and is damaged or no
// data file of this trend.
RenameOutcome CheckFilesToRewrite(Env& env, const RenamePlan& plan,
                                  std::string* message) {
  for (const RenameStep& step : plan.steps) {
    if (step.kind == StepKind::kRename) continue;
    FileInfo info;
    Status s = env.GetFileInfo(step.path, &info);
    if (!s.ok()) {
      *message = "Could not check the file: " + s.ToString();
      return RenameOutcome::kFailed;
    }
    if (info.type != EntryType::kRegular) {
      *message = "'" + step.path + "' is no longer a regular file";
      return RenameOutcome::kRefused;
    }
    if (info.links > 1) {
      *message = "'" + step.path + "' has " + std::to_string(info.links) +
                 " names (hard links): rewriting it would change it under "
                 "every other name too; make it a copy of its own first";
      return RenameOutcome::kRefused;
    }
    if (step.kind == StepKind::kRewriteHeader &&
        info.size < plan.layout.dataHeaderSize) {
      *message = "The data file '" + step.path + "' is " +
                 std::to_string(info.size) + " bytes long, shorter than the " +
                 std::to_string(plan.layout.dataHeaderSize) +
                 "-byte header of this trend's data files; it may be damaged";
      return RenameOutcome::kInvalidTrend;
    }
  }
  return RenameOutcome::kRenamed;
}

// A target that exists is a conflict unless it is the source itself under
// another spelling of its name, which is what a case-folding file system
// reports for a case-only rename. A name the folder's listing does not
// hold under any spelling did not exist when the folder was listed; the
// rename itself never replaces, so a file that appears since cannot be
// lost either.
RenameOutcome CheckTarget(Env& env, const FolderIndex& listing,
                          const RenameStep& step, std::string* message) {
  if (!listing.HoldsNameFolded(FileNameOf(step.newPath)))
    return RenameOutcome::kRenamed;
  FileInfo target;
  Status s = env.GetFileInfo(step.newPath, &target);
  if (s.kind() == ErrorKind::kNotFound) return RenameOutcome::kRenamed;
  FileInfo source;
  if (s.ok()) s = env.GetFileInfo(step.path, &source);
  if (!s.ok()) {
    *message = "Could not check the new name: " + s.ToString();
    return RenameOutcome::kFailed;
  }
  if (source.device == target.device && source.index == target.index &&
      EqualsIgnoringCase(step.path, step.newPath))
    return RenameOutcome::kRenamed;
  *message = "Cannot rename '" + step.path + "': '" + step.newPath +
             "' already exists";
  return RenameOutcome::kRefused;
}

RenameOutcome CheckConflicts(Env& env, const FolderIndex& listing,
                             const RenamePlan& plan, std::string* message) {
  std::map<std::string, const RenameStep*> targets;
  for (const RenameStep& step : plan.steps) {
    if (step.kind != StepKind::kRename) continue;
    auto [it, inserted] = targets.emplace(step.newPath, &step);
    if (!inserted) {
      *message = "Cannot rename both '" + it->second->path + "' and '" +
                 step.path + "' to '" + step.newPath + "'";
      return RenameOutcome::kRefused;
    }
    RenameOutcome outcome = CheckTarget(env, listing, step, message);
    if (outcome != RenameOutcome::kRenamed) return outcome;
  }
  return RenameOutcome::kRenamed;
}

// ---- Execution
// ----------------------------------------------------------------

Status RewriteTable(Env& env, const RenamePlan& plan) {
  std::unique_ptr<File> file;
  Status s = env.OpenFile(plan.hstPath, OpenMode::kReadWrite, &file);
  if (!s.ok()) return s;
  s = UpdateFileEntries(*file, plan.pathField, plan.tagField, plan.layout,
                        plan.header.EntryCount(), plan.header.ExtraCount());
  return CloseKeepingError(std::move(file), s);
}

Status RewriteDataHeader(Env& env, const std::string& path,
                         const RenamePlan& plan) {
  std::unique_ptr<File> file;
  Status s = env.OpenFile(path, OpenMode::kReadWrite, &file);
  if (!s.ok()) return s;
  std::string header;
  s = ReadWholeRecord(*file, path, 0, plan.layout.dataHeaderSize, &header);
  if (s.ok()) {
    StoreField(&header, plan.layout.DataTag(), plan.tagField);
    s = file->WriteAt(0, header);
  }
  return CloseKeepingError(std::move(file), s);
}

Status RunStep(Env& env, const RenamePlan& plan, const RenameStep& step) {
  switch (step.kind) {
    case StepKind::kRewriteTable:
      return RewriteTable(env, plan);
    case StepKind::kRewriteHeader:
      return RewriteDataHeader(env, step.path, plan);
    case StepKind::kRename:
      return env.RenameNoReplace(step.path, step.newPath);
  }
  return Status::Ok();
}

bool RunSteps(Env& env, RenamePlan* plan, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i < end; ++i) {
    RenameStep& step = plan->steps[i];
    step.error = RunStep(env, *plan, step);
    step.state = step.error.ok() ? StepState::kDone : StepState::kFailed;
    if (!step.error.ok()) return false;
  }
  return true;
}

std::string FailureMessage(const RenamePlan& plan) {
  std::string done, failed, pending;
  for (const RenameStep& step : plan.steps) {
    std::string line = "  " + DescribeStep(step) + "\n";
    if (step.state == StepState::kDone) done += line;
    if (step.state == StepState::kFailed)
      failed = line + "  (" + step.error.ToString() + ")\n";
    if (step.state == StepState::kPending) pending += line;
  }
  return "Renaming trend '" + plan.hstPath +
         "' stopped at a file-system error. Nothing was undone.\n"
         "Done:\n" +
         (done.empty() ? "  nothing\n" : done) +
         "Failed (may be partly done):\n" + failed + "Not done:\n" +
         (pending.empty() ? "  nothing\n" : pending);
}

}  // namespace

// ---- Inspection -----------------------------------------------------------

TrendInfo ReadTrendInfo(Env& env, Reporter& reporter,
                        const std::string& hstPath) {
  HstHeader header;
  return ReadTrendInfo(env, reporter, hstPath, &header);
}

TrendInfo ReadTrendInfo(Env& env, Reporter& reporter,
                        const std::string& hstPath, HstHeader* headerRead) {
  std::string message;
  switch (CheckHistoryFile(env, hstPath, hstPath, &message)) {
    case RenameOutcome::kRenamed:
      break;
    case RenameOutcome::kNotFound:
      reporter.Warning(message);
      return {};
    default:
      reporter.Critical(message);
      return {};
  }
  std::unique_ptr<File> file;
  Status s = env.OpenFile(hstPath, OpenMode::kRead, &file);
  HstHeader& header = *headerRead;
  if (s.ok()) s = ReadHeader(*file, &header);
  TrendInfo info;
  std::optional<TrendLayout> layout = LayoutForVersion(header.Version());
  if (s.ok() && layout) {
    std::string entry;
    s = ReadRecord(*file, kFileTableOffset, layout->entrySize, &entry);
    info.path = StripExtension(ReadField(entry, layout->EntryPath()));
    info.pathWidth = static_cast<std::int32_t>(layout->pathWidth);
    info.tag = ReadField(entry, layout->EntryTag());
    info.tagWidth = static_cast<std::int32_t>(layout->tagWidth);
  }
  if (file) s = CloseKeepingError(std::move(file), s);
  if (!s.ok()) {
    reporter.Critical("Could not read the trend: " + s.ToString());
    return {};
  }
  if (!layout) reporter.Critical(InvalidVersionMessage(header.Version()));
  return info;
}

std::string FieldDisplayText(std::string_view raw) {
  return DecodeFieldText(TrimAtNul(raw));
}

bool InspectTrend(Env& env, Reporter& reporter, const std::string& hstPath,
                  TrendInspection* inspection) {
  *inspection = TrendInspection();
  Status s = env.AbsolutePath(hstPath, &inspection->hstPath);
  if (!s.ok()) {
    reporter.Critical("Could not find the trend: " + s.ToString());
    return false;
  }
  inspection->info =
      ReadTrendInfo(env, reporter, inspection->hstPath, &inspection->header);
  if (inspection->info.pathWidth == 0) return false;
  inspection->tableValid = TableCountsValid(inspection->header);
  std::vector<FolderEntry> listing;
  s = env.ListFolder(FolderOf(inspection->hstPath), &listing);
  if (!s.ok()) {
    reporter.Critical("Could not list the trend's folder: " + s.ToString());
    return false;
  }
  inspection->files =
      FindTrendFiles(listing, FileNameOf(StripExtension(inspection->hstPath)),
                     FileNameOf(inspection->hstPath));
  return true;
}

bool TableCountsValid(const HstHeader& header) {
  return header.EntryCount() + header.ExtraCount() >= 1 &&
         header.ExtraCount() >= 0;
}

// ---- Finding a trend's files ------------------------------------------------

TrendFiles FindTrendFiles(const std::vector<FolderEntry>& folder,
                          std::string_view baseName,
                          std::string_view historyName) {
  return FindTrendFiles(FolderIndex(folder), baseName, historyName);
}

TrendFiles FindTrendFiles(const FolderIndex& folder, std::string_view baseName,
                          std::string_view historyName) {
  TrendFiles files;
  for (const FolderEntry* candidate : folder.Candidates(baseName)) {
    const FolderEntry& entry = *candidate;
    std::string_view name = entry.name;
    if (name == historyName) continue;
    std::string_view extension = name.substr(baseName.size() + 1);
    const char* reason = nullptr;
    if (entry.type == EntryType::kDirectory)
      reason = "a folder";
    else if (entry.type == EntryType::kSymlink)
      reason = "a symbolic link";
    else if (entry.type != EntryType::kRegular)
      reason = "not a regular file";
    else if (EqualsIgnoringCase(extension, "HST"))
      reason = "another history file";
    else if (!AllDigits(extension))
      reason = "not a data file name";
    if (reason)
      files.skipped.push_back({entry.name, reason});
    else
      files.dataFiles.push_back(entry.name);
  }
  std::sort(files.dataFiles.begin(), files.dataFiles.end());
  std::sort(files.skipped.begin(), files.skipped.end(),
            [](const SkippedFile& a, const SkippedFile& b) {
              return a.name < b.name;
            });
  return files;
}

// ---- Rename
// -------------------------------------------------------------------

RenameOutcome PlanRename(Env& env, const std::string& hstPath,
                         const std::string& newPath, const std::string& newTag,
                         RenamePlan* plan, std::string* message) {
  FolderListings listings(env);
  return PlanRename(env, listings, hstPath, newPath, newTag, plan, message);
}

RenameOutcome PlanRename(Env& env, FolderListings& listings,
                         const std::string& hstPath, const std::string& newPath,
                         const std::string& newTag, RenamePlan* plan,
                         std::string* message) {
  *plan = RenamePlan();
  if (hstPath.empty()) {
    *message = NotFoundMessage(hstPath);
    return RenameOutcome::kNotFound;
  }
  Status s = env.AbsolutePath(hstPath, &plan->hstPath);
  if (!s.ok()) {
    *message = "Could not find the trend: " + s.ToString();
    return RenameOutcome::kFailed;
  }
  RenameOutcome outcome =
      CheckHistoryFile(env, plan->hstPath, hstPath, message);
  if (outcome != RenameOutcome::kRenamed) return outcome;
  if (!CheckNewValues(newPath, newTag, plan, message))
    return RenameOutcome::kRefused;
  outcome = ReadHistory(env, plan, message);
  if (outcome != RenameOutcome::kRenamed) return outcome;
  WarnAboutCutValues(plan);
  const FolderIndex* listing = nullptr;
  s = listings.Get(FolderOf(plan->hstPath), &listing);
  if (!s.ok()) {
    *message = "Could not list the trend's folder: " + s.ToString();
    return RenameOutcome::kFailed;
  }
  s = PlanSteps(env, *listing, newPath, plan);
  if (!s.ok()) {
    *message = "Could not check the trend's folder: " + s.ToString();
    return RenameOutcome::kFailed;
  }
  outcome = CheckConflicts(env, *listing, *plan, message);
  if (outcome != RenameOutcome::kRenamed) return outcome;
  return CheckFilesToRewrite(env, *plan, message);
}

RenameReport ExecuteRenamePlan(Env& env, RenamePlan plan) {
  RenameReport report;
  bool ok = RunSteps(env, &plan, 0, plan.firstDataStep) &&
            RenameDataFiles(env, &plan);
  report.outcome = ok ? RenameOutcome::kRenamed : RenameOutcome::kFailed;
  if (!ok) report.message = FailureMessage(plan);
  report.plan = std::move(plan);
  return report;
}

RenameReport RenameTrend(Env& env, Reporter& reporter,
                         const std::string& hstPath, const std::string& newPath,
                         const std::string& newTag) {
  RenameReport report;
  report.outcome =
      PlanRename(env, hstPath, newPath, newTag, &report.plan, &report.message);
  if (report.outcome == RenameOutcome::kRenamed)
    report = ExecuteRenamePlan(env, std::move(report.plan));
  switch (report.outcome) {
    case RenameOutcome::kRenamed:
      break;
    case RenameOutcome::kNotFound:
    case RenameOutcome::kRefused:
      reporter.Warning(report.message);
      break;
    case RenameOutcome::kInvalidTrend:
    case RenameOutcome::kFailed:
      reporter.Critical(report.message);
      break;
  }
  return report;
}

Status UpdateFileEntries(File& file, std::string_view newPath,
                         std::string_view newTag, const TrendLayout& layout,
                         int entryCount, int extraCount) {
  std::string table;
  Status s = ReadWholeRecord(file, {}, kFileTableOffset,
                             TableSize(layout, entryCount, extraCount), &table);
  if (!s.ok()) return s;
  for (int i = 0; i < entryCount; ++i) {
    std::string entry = table.substr(i * layout.entrySize, layout.entrySize);
    RewriteEntry(&entry, newPath, newTag, layout);
    table.replace(i * layout.entrySize, layout.entrySize, entry);
  }
  return file.WriteAt(kFileTableOffset, table);
}

void RewriteEntry(std::string* entry, std::string_view newPath,
                  std::string_view newTag, const TrendLayout& layout) {
  // Each entry keeps its own extension: take it before the field changes.
  std::string extension = ExtensionOf(ReadField(*entry, layout.EntryPath()));
  StoreField(entry, layout.EntryPath(), std::string(newPath) + "." + extension);
  StoreField(entry, layout.EntryTag(), newTag);
}

std::vector<EntryChange> PlannedEntryChanges(const RenamePlan& plan) {
  const TrendLayout& layout = plan.layout;
  std::vector<EntryChange> changes;
  for (int i = 0; i < plan.header.EntryCount(); ++i) {
    std::string entry =
        plan.table.substr(i * layout.entrySize, layout.entrySize);
    EntryChange change;
    change.oldPath = ReadField(entry, layout.EntryPath());
    change.oldTag = ReadField(entry, layout.EntryTag());
    RewriteEntry(&entry, plan.pathField, plan.tagField, layout);
    change.newPath = ReadField(entry, layout.EntryPath());
    change.newTag = ReadField(entry, layout.EntryTag());
    changes.push_back(std::move(change));
  }
  return changes;
}

bool RenameDataFiles(Env& env, RenamePlan* plan) {
  return RunSteps(env, plan, plan->firstDataStep, plan->steps.size());
}

std::string DescribeStep(const RenameStep& step) {
  switch (step.kind) {
    case StepKind::kRewriteTable:
      return "rewrite the path and tag in the file table of '" + step.path +
             "'";
    case StepKind::kRewriteHeader:
      return "rewrite the tag in the header of '" + step.path + "'";
    case StepKind::kRename:
      return "rename '" + step.path + "' to '" + FileNameOf(step.newPath) + "'";
  }
  return {};
}

}  // namespace morvelle

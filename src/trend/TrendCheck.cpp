#include "trend/TrendCheck.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "trend/FileTools.h"
#include "trend/FolderIndex.h"
#include "trend/HistoryFile.h"
#include "trend/Journal.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

constexpr std::string_view kKindNames[] = {
    "historyUnreadable",  "historyTooShort", "unknownVersion",
    "invalidCounts",      "tableCut",        "tagsDiffer",
    "pathNameDiffers",    "dataFileMissing", "dataFileUnlisted",
    "dataFileUnreadable", "dataTagDiffers",  "caseVariant",
    "pendingRun",         "orphan",          "caseTwins",
    "notARegularFile"};

std::string Shown(std::string_view raw) {
  return Quoted(FieldDisplayText(raw));
}

// A trend's base name and the folder it is read in.
struct Place {
  Env& env;
  FolderListings& listings;
  const FolderIndex& index;
  const std::string& folder;
};

class TrendReader {
 public:
  TrendReader(const Place& place, const std::string& name, TrendCheck* check)
      : place_(place),
        name_(name),
        base_(StripExtension(name)),
        check_(*check) {
    check_.hstPath = place.folder + name;
  }

  // Checks the trend; returns the names of its folder it claims as its
  // data files.
  std::vector<std::string> Run() {
    std::string table;
    std::optional<TrendLayout> layout = ReadHistory(&table);
    TrendFiles files = FindTrendFiles(place_.index, base_, name_);
    check_.dataFiles = files.dataFiles;
    std::sort(check_.dataFiles.begin(), check_.dataFiles.end());
    if (layout) {
      CheckTable(*layout, table);
      CheckDataFiles(*layout, files.dataFiles);
    }
    CheckNames();
    Status pending =
        CheckNoPendingRun(place_.env, place_.index, place_.folder, name_);
    if (!pending.ok())
      Add(ProblemKind::kPendingRun, name_, "", pending.ToString());
    std::vector<std::string> claimed = std::move(files.dataFiles);
    claimed.insert(claimed.end(), files.ambiguous.begin(),
                   files.ambiguous.end());
    return claimed;
  }

 private:
  void Add(ProblemKind kind, std::string file, std::string field,
           std::string what) {
    check_.problems.push_back(
        {kind, std::move(file), std::move(field), std::move(what)});
  }

  // Reads the header and as much of the table as the file holds; the
  // layout when the header is sound and its counts valid.
  std::optional<TrendLayout> ReadHistory(std::string* table) {
    Folder* folder = nullptr;
    std::unique_ptr<File> file;
    Status s = place_.listings.Open(place_.folder, &folder);
    if (s.ok()) s = folder->OpenFile(check_.hstPath, OpenMode::kRead, &file);
    std::optional<TrendLayout> layout;
    if (s.ok()) layout = ReadHeaderAndTable(*file, table, &s);
    if (file) s = CloseKeepingError(std::move(file), s);
    if (!s.ok()) {
      Add(ProblemKind::kHistoryUnreadable, name_, "", s.ToString());
      return std::nullopt;
    }
    return layout;
  }

  std::optional<TrendLayout> ReadHeaderAndTable(File& file, std::string* table,
                                                Status* s) {
    const std::uint64_t size = file.OpenedInfo().size;
    const HstHeader& header = check_.header;
    std::string head;
    *s = ReadHistoryHead(file, &head, &check_.header);
    if (!s->ok()) return std::nullopt;
    if (size < kHstHeaderSize) {
      Add(ProblemKind::kHistoryTooShort, name_, "",
          "too short: " + std::to_string(size) + " bytes, shorter than the " +
              std::to_string(kHstHeaderSize) + "-byte header");
      return std::nullopt;
    }
    std::optional<TrendLayout> layout = LayoutForVersion(header.Version());
    if (!layout) {
      Add(ProblemKind::kUnknownVersion, name_, "Version",
          "unknown version " + std::to_string(header.Version()) +
              " (0 to 6 are known)");
      return std::nullopt;
    }
    if (!TableCountsValid(header)) {
      Add(ProblemKind::kInvalidCounts, name_,
          header.EntryCount() < 0 ? "EntryCount" : "ExtraCount",
          "invalid counts (EntryCount " + std::to_string(header.EntryCount()) +
              ", ExtraCount " + std::to_string(header.ExtraCount()) +
              "): a table needs one entry or more and no negative count");
      return std::nullopt;
    }
    const std::size_t wanted =
        TableSize(*layout, header.EntryCount(), header.ExtraCount());
    *s = ReadTableAfterHead(
        file, head, std::min<std::uint64_t>(wanted, size - kHstHeaderSize),
        table);
    if (!s->ok()) return std::nullopt;
    const std::size_t whole = table->size() / layout->entrySize;
    tableCut_ = table->size() < wanted;
    if (tableCut_)
      Add(ProblemKind::kTableCut, name_,
          whole < static_cast<std::size_t>(header.EntryCount()) ? "EntryCount"
                                                                : "ExtraCount",
          "the table is cut short: the file holds " + std::to_string(whole) +
              " whole entries of the " +
              std::to_string(header.EntryCount() + header.ExtraCount()) +
              " its header counts");
    table->resize(whole * layout->entrySize);
    return layout;
  }

  static std::string_view EntryAt(const std::string& table,
                                  const TrendLayout& layout, std::size_t i) {
    return std::string_view(table).substr(i * layout.entrySize,
                                          layout.entrySize);
  }

  void CheckTable(const TrendLayout& layout, const std::string& table) {
    const std::size_t entries = table.size() / layout.entrySize;
    const std::size_t rewritten = std::min<std::size_t>(
        entries, static_cast<std::size_t>(check_.header.EntryCount()));
    if (entries > 0) {
      check_.path = PathFieldWithoutExtension(
          ReadField(EntryAt(table, layout, 0), layout.EntryPath()));
      check_.tag = ReadField(EntryAt(table, layout, 0), layout.EntryTag());
    }
    std::map<std::string, std::size_t> expected;  // extension: first entry
    for (std::size_t i = 0; i < entries; ++i) {
      std::string_view entry = EntryAt(table, layout, i);
      std::string raw_path = ReadField(entry, layout.EntryPath());
      std::optional<std::string> extension = PathFieldExtension(raw_path);
      if (extension) listed_.insert(*extension);
      if (i >= rewritten) continue;
      const std::string field = "entry " + std::to_string(i) + " ";
      std::string tag = ReadField(entry, layout.EntryTag());
      if (TrimAtNul(tag) != TrimAtNul(check_.tag))
        Add(ProblemKind::kTagsDiffer, name_, field + "Tag",
            Shown(tag) + " differs from entry 0's " + Shown(check_.tag));
      std::string named = FileNameOf(PathFieldWithoutExtension(raw_path));
      if (named != base_)
        Add(ProblemKind::kPathNameDiffers, name_, field + "Path",
            "names the file " + Shown(named) + ", not " + Quoted(base_) +
                " as the history file");
      if (extension) expected.emplace(*extension, i);
    }
    for (const auto& [extension, entry] : expected) {
      std::string name = base_ + "." + extension;
      if (!std::binary_search(check_.dataFiles.begin(), check_.dataFiles.end(),
                              name))
        Add(ProblemKind::kDataFileMissing, name,
            "entry " + std::to_string(entry) + " Path",
            "missing: the table expects this data file");
    }
  }

  // `names` in the listing's order, which the file system reads fastest.
  void CheckDataFiles(const TrendLayout& layout,
                      const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      bool own_base = name.compare(0, base_.size(), base_) == 0;
      if (own_base && !tableCut_ &&
          !listed_.count(name.substr(base_.size() + 1)))
        Add(ProblemKind::kDataFileUnlisted, name, "",
            "a numbered file of this trend that its table does not list");
      std::string header;
      Status s = ReadDataHeader(name, layout, &header);
      if (!s.ok()) {
        // The line names the file already; a refusal needs no more.
        Add(ProblemKind::kDataFileUnreadable, name, "",
            s.operation() == "check" ? s.detail() : s.ToString());
        continue;
      }
      std::string tag = ReadField(header, layout.DataTag());
      if (TrimAtNul(tag) != TrimAtNul(check_.tag))
        Add(ProblemKind::kDataTagDiffers, name, "Tag",
            Shown(tag) + " differs from the table's " + Shown(check_.tag));
    }
  }

  Status ReadDataHeader(const std::string& name, const TrendLayout& layout,
                        std::string* header) {
    Folder* folder = nullptr;
    std::unique_ptr<File> file;
    const std::string path = place_.folder + name;
    Status s = place_.listings.Open(place_.folder, &folder);
    if (s.ok()) s = folder->OpenFile(path, OpenMode::kRead, &file);
    if (s.ok()) s = CheckFileToRewrite(*file, path, layout.dataHeaderSize);
    if (s.ok()) s = ReadRecord(*file, 0, layout.dataHeaderSize, header);
    return file ? CloseKeepingError(std::move(file), s) : s;
  }

  // Files named like the trend in another letter case. History files are
  // left to the check of case twins, and so are the data files of a twin:
  // that trend is checked on its own.
  void CheckNames() {
    std::vector<const FolderEntry*> candidates = place_.index.Candidates(base_);
    std::set<std::string> twins;
    for (const FolderEntry* entry : candidates)
      if (IsHistoryFileName(entry->name) && entry->name.size() == name_.size())
        twins.insert(entry->name.substr(0, base_.size()));
    for (const FolderEntry* entry : candidates) {
      const std::string& name = entry->name;
      std::string base = name.substr(0, base_.size());
      if (base == base_ || twins.count(base)) continue;
      Add(ProblemKind::kCaseVariant, name, "",
          "named like the trend " + Quoted(name_) + " in another letter case");
    }
  }

  const Place& place_;
  const std::string& name_;
  const std::string base_;
  TrendCheck& check_;
  std::set<std::string> listed_;  // extensions of every table entry
  // The file ends inside its table, which may list files it lacks.
  bool tableCut_ = false;
};

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
}

void AddFolderProblem(FolderCheck* check, ProblemKind kind, std::string file,
                      std::string what) {
  check->problems.push_back({kind, std::move(file), "", std::move(what)});
}

// The folder's orphans: numbered files not among `claimed`.
void CheckOrphans(const FolderIndex& index,
                  const std::set<std::string>& claimed, FolderCheck* check) {
  for (const FolderEntry& entry : index.entries()) {
    std::size_t dot = entry.name.rfind('.');
    if (entry.type != EntryType::kRegular || dot == 0 ||
        dot == std::string::npos || IsJournalName(entry.name) ||
        !AllDigits(std::string_view(entry.name).substr(dot + 1)) ||
        claimed.count(entry.name))
      continue;
    AddFolderProblem(check, ProblemKind::kOrphan, entry.name,
                     "a numbered file that no history file claims");
  }
}

// History files whose bases differ in letter case only; `names` sorted.
void CheckCaseTwins(const std::vector<std::string>& names, FolderCheck* check) {
  std::map<std::string, std::string> first;  // folded base: first name
  for (const std::string& name : names) {
    auto [it, added] = first.emplace(FoldCase(StripExtension(name)), name);
    if (!added)
      AddFolderProblem(check, ProblemKind::kCaseTwins, name,
                       "its name differs from " + Quoted(it->second) +
                           " in letter case only: two trends no Windows "
                           "folder can hold together");
  }
}

Status FolderPlace(Env& env, const std::string& folder, std::string* absolute) {
  Status s = env.AbsolutePath(folder, absolute);
  if (!s.ok()) return s.WithContext("Could not list the folder: ");
  std::size_t last = absolute->find_last_of("\\/");
  *absolute = AddBackslash(*absolute,
                           last == std::string::npos ? '/' : (*absolute)[last]);
  return Status::Ok();
}

void AddNotRegular(const FolderEntry& entry, std::vector<TrendProblem>* to) {
  to->push_back({ProblemKind::kNotARegularFile, entry.name, "",
                 std::string("named like a history file but ") +
                     EntryTypeName(entry.type)});
}

}  // namespace

std::string_view ProblemKindName(ProblemKind kind) {
  return kKindNames[static_cast<std::size_t>(kind)];
}

bool TrendCheck::tableValid() const {
  return std::none_of(
      problems.begin(), problems.end(),
      [](const TrendProblem& p) { return p.kind <= ProblemKind::kTableCut; });
}

bool FolderCheck::healthy() const {
  return problems.empty() &&
         std::all_of(trends.begin(), trends.end(),
                     [](const TrendCheck& t) { return t.healthy(); });
}

bool IsHistoryFileName(std::string_view name) {
  return name.size() > 4 &&
         EqualsIgnoringCase(name.substr(name.size() - 4), ".hst");
}

bool HistoryNameBefore(const std::string& a, const std::string& b) {
  std::string folded_a = FoldCase(a), folded_b = FoldCase(b);
  return folded_a != folded_b ? folded_a < folded_b : a < b;
}

void SortHistoryNames(std::vector<std::string>* names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names->size());
  for (std::string& name : *names)
    keyed.emplace_back(FoldCase(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < keyed.size(); ++i)
    (*names)[i] = std::move(keyed[i].second);
}

Status CheckFolder(Env& env, const std::string& folder, FolderCheck* check) {
  *check = FolderCheck();
  Status s = FolderPlace(env, folder, &check->folder);
  FolderListings listings(env);
  const FolderIndex* index = nullptr;
  if (s.ok()) s = listings.Get(check->folder, &index);
  if (!s.ok()) return s.WithContext("Could not list the folder: ");
  std::vector<std::string> names;
  for (const FolderEntry& entry : index->entries()) {
    if (!IsHistoryFileName(entry.name)) continue;
    if (entry.type == EntryType::kRegular)
      names.push_back(entry.name);
    else
      AddNotRegular(entry, &check->problems);
  }
  SortHistoryNames(&names);
  Place place{env, listings, *index, check->folder};
  std::set<std::string> claimed;
  check->trends.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    for (std::string& name :
         TrendReader(place, names[i], &check->trends[i]).Run())
      claimed.insert(std::move(name));
  CheckOrphans(*index, claimed, check);
  CheckCaseTwins(names, check);
  return Status::Ok();
}

Status CheckTrend(Env& env, const std::string& hstPath, FolderCheck* check) {
  *check = FolderCheck();
  std::string absolute;
  Status s = env.AbsolutePath(hstPath, &absolute);
  if (!s.ok()) return s.WithContext("Could not find the trend: ");
  check->folder = FolderOf(absolute);
  const std::string name = FileNameOf(absolute);
  FolderListings listings(env);
  const FolderIndex* index = nullptr;
  s = listings.Get(check->folder, &index);
  if (!s.ok()) return s.WithContext("Could not list the trend's folder: ");
  const FolderEntry* entry = index->Find(name);
  if (!entry) return TrendNotFound(hstPath);
  check->trends.resize(1);
  TrendCheck& trend = check->trends[0];
  if (entry->type != EntryType::kRegular) {
    trend.hstPath = absolute;
    AddNotRegular(*entry, &trend.problems);
    return Status::Ok();
  }
  Place place{env, listings, *index, check->folder};
  TrendReader(place, name, &trend).Run();
  std::vector<std::string> histories;
  for (const FolderEntry* other : index->Candidates(StripExtension(name)))
    if (other->type == EntryType::kRegular && IsHistoryFileName(other->name) &&
        other->name.size() == name.size())
      histories.push_back(other->name);
  SortHistoryNames(&histories);
  CheckCaseTwins(histories, check);
  return Status::Ok();
}

}  // namespace morvelle

// Reading a trend: what it holds, and which files of its folder are its own.
#include <algorithm>
#include <map>
#include <optional>

#include "platform/FieldEncoding.h"
#include "trend/FileTools.h"
#include "trend/HistoryFile.h"
#include "trend/Journal.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
}

// Why a candidate of the folder is not a data file, or null when it is one.
const char* SkipReason(const FolderEntry& entry, std::string_view extension) {
  if (entry.type != EntryType::kRegular) return EntryTypeName(entry.type);
  if (EqualsIgnoringCase(extension, "HST")) return "another history file";
  if (!AllDigits(extension)) return "not a data file name";
  return nullptr;
}

// The other history files among `candidates` whose base differs from
// `baseName` in letter case only, by base.
std::map<std::string, std::string> CaseTwins(
    const std::vector<const FolderEntry*>& candidates,
    std::string_view baseName, std::string_view historyName) {
  std::map<std::string, std::string> twins;
  for (const FolderEntry* entry : candidates) {
    std::string_view name = entry->name;
    std::string_view base = name.substr(0, baseName.size());
    if (base != baseName && name != historyName &&
        EqualsIgnoringCase(name.substr(baseName.size() + 1), "HST"))
      twins.emplace(base, entry->name);
  }
  return twins;
}

}  // namespace

Result<TrendInfo> ReadTrendInfo(Env& env, const std::string& hstPath) {
  HstHeader header;
  return ReadTrendInfo(env, hstPath, &header);
}

Result<TrendInfo> ReadTrendInfo(Env& env, const std::string& hstPath,
                                HstHeader* headerRead, std::uint64_t* size) {
  Status s = CheckHistoryFile(env, hstPath, hstPath);
  if (!s.ok()) return s;
  std::unique_ptr<File> file;
  s = env.OpenFile(hstPath, OpenMode::kRead, &file);
  if (s.ok() && size) *size = file->OpenedInfo().size;
  HstHeader& header = *headerRead;
  if (s.ok()) s = ReadHeader(*file, &header);
  TrendInfo info;
  std::optional<TrendLayout> layout = LayoutForVersion(header.Version());
  if (s.ok() && layout) {
    std::string entry;
    s = ReadRecord(*file, kFileTableOffset, layout->entrySize, &entry);
    info.path =
        PathFieldWithoutExtension(ReadField(entry, layout->EntryPath()));
    info.pathWidth = static_cast<std::int32_t>(layout->pathWidth);
    info.tag = ReadField(entry, layout->EntryTag());
    info.tagWidth = static_cast<std::int32_t>(layout->tagWidth);
  }
  if (file) s = CloseKeepingError(std::move(file), s);
  if (!s.ok()) return s.WithContext("Could not read the trend: ");
  if (!layout) return InvalidVersion(header.Version());
  return info;
}

std::string FieldDisplayText(std::string_view raw) {
  return DecodeFieldText(TrimAtNul(raw));
}

Status InspectTrend(Env& env, const std::string& hstPath,
                    TrendInspection* inspection) {
  std::string absolute;
  Status s = env.AbsolutePath(hstPath, &absolute);
  if (!s.ok()) {
    *inspection = TrendInspection();
    return s.WithContext("Could not find the trend: ");
  }
  const std::string folder = FolderOf(absolute);
  std::vector<FolderEntry> entries;
  s = env.ListFolder(folder, &entries);
  FolderIndex listing(std::move(entries));
  Status read = InspectListedTrend(env, listing, folder, FileNameOf(absolute),
                                   inspection);
  if (!s.ok()) inspection->interrupted = Status::Ok();
  if (!read.ok()) return read;
  if (!s.ok()) return s.WithContext("Could not list the trend's folder: ");
  return Status::Ok();
}

Status InspectListedTrend(Env& env, const FolderIndex& listing,
                          const std::string& folder,
                          const std::string& historyName,
                          TrendInspection* inspection) {
  *inspection = TrendInspection();
  inspection->hstPath = folder + historyName;
  std::uint64_t size = 0;
  Result<TrendInfo> info =
      ReadTrendInfo(env, inspection->hstPath, &inspection->header, &size);
  inspection->interrupted =
      CheckNoPendingRun(env, listing, folder, historyName);
  if (!info.ok()) return info.status();
  inspection->info = std::move(*info);
  inspection->tableProblem = TableProblem(inspection->header, size);
  inspection->tableValid = inspection->tableProblem.empty();
  TrendFiles& files = inspection->files;
  files = FindTrendFiles(listing, FileNameOf(StripExtension(historyName)),
                         historyName);
  std::sort(files.dataFiles.begin(), files.dataFiles.end());
  for (const std::string& name : files.ambiguous)
    files.skipped.push_back(
        {name,
         "could be a data file of another trend named alike; a rename "
         "refuses it"});
  return Status::Ok();
}

std::string TableProblem(const HstHeader& header, std::uint64_t size) {
  if (size < kHstHeaderSize)
    return "too short: " + std::to_string(size) + " bytes, shorter than the " +
           std::to_string(kHstHeaderSize) + "-byte header";
  if (!TableCountsValid(header)) return "invalid counts";
  const std::uint64_t needed =
      kFileTableOffset + TableSize(*LayoutForVersion(header.Version()),
                                   header.EntryCount(), header.ExtraCount());
  if (size < needed)
    return "cut short: the table needs " + std::to_string(needed) +
           " bytes, the file holds " + std::to_string(size);
  return {};
}

bool TableCountsValid(const HstHeader& header) {
  return header.EntryCount() >= 0 && header.ExtraCount() >= 0 &&
         header.EntryCount() + header.ExtraCount() >= 1;
}

TrendFiles FindTrendFiles(const std::vector<FolderEntry>& folder,
                          std::string_view baseName,
                          std::string_view historyName) {
  return FindTrendFiles(FolderIndex(folder), baseName, historyName);
}

TrendFiles FindTrendFiles(const FolderIndex& folder, std::string_view baseName,
                          std::string_view historyName) {
  TrendFiles files;
  std::vector<const FolderEntry*> candidates = folder.Candidates(baseName);
  std::vector<const FolderEntry*> data_files;
  std::map<std::string, std::string> twins =
      CaseTwins(candidates, baseName, historyName);
  for (const FolderEntry* candidate : candidates) {
    const FolderEntry& entry = *candidate;
    std::string_view name = entry.name;
    if (name == historyName) continue;
    std::string base(name.substr(0, baseName.size()));
    if (const char* reason = SkipReason(entry, name.substr(base.size() + 1))) {
      files.skipped.push_back({entry.name, reason});
    } else if (twins.empty() || base == baseName) {
      data_files.push_back(candidate);
    } else if (auto twin = twins.find(base); twin != twins.end()) {
      files.skipped.push_back(
          {entry.name, "a data file of the trend " + twin->second});
    } else {
      files.ambiguous.push_back(entry.name);
    }
  }
  // The entries lie in the listing's order, which is the order the file
  // system finds them fastest in.
  std::sort(data_files.begin(), data_files.end());
  files.dataFiles.reserve(data_files.size());
  for (const FolderEntry* entry : data_files)
    files.dataFiles.push_back(entry->name);
  std::sort(files.ambiguous.begin(), files.ambiguous.end());
  std::sort(files.skipped.begin(), files.skipped.end(),
            [](const SkippedFile& a, const SkippedFile& b) {
              return a.name < b.name;
            });
  return files;
}

}  // namespace morvelle

#include "app/FolderList.h"

#include <algorithm>
#include <ostream>

#include "app/BatchMode.h"
#include "app/InfoMode.h"
#include "app/Json.h"
#include "app/Messages.h"
#include "app/RenameList.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/FolderIndex.h"
#include "trend/Journal.h"

namespace morvelle {
namespace {

bool IsHistoryFile(const FolderEntry& entry) {
  const std::string& name = entry.name;
  return entry.type == EntryType::kRegular && name.size() > 4 &&
         EqualsIgnoringCase(std::string_view(name).substr(name.size() - 4),
                            ".hst");
}

bool ByName(const std::string& a, const std::string& b) {
  std::string folded_a = FoldCase(a), folded_b = FoldCase(b);
  return folded_a != folded_b ? folded_a < folded_b : a < b;
}

// The trend of `name` in the folder of `index`, or why not.
Status ReadTrend(Env& env, const FolderIndex& index, const std::string& folder,
                 const std::string& name, TrendInspection* trend) {
  trend->hstPath = folder + name;
  Result<TrendInfo> info = ReadTrendInfo(env, trend->hstPath, &trend->header);
  if (!info.ok()) return info.status();
  trend->info = std::move(*info);
  trend->tableValid = TableCountsValid(trend->header);
  trend->files = FindTrendFiles(index, StripExtension(name), name);
  // By name, as InspectTrend gives them: the listing's order is the file
  // system's.
  std::sort(trend->files.dataFiles.begin(), trend->files.dataFiles.end());
  trend->interrupted = CheckNoPendingRun(env, index, folder, name);
  return Status::Ok();
}

void PrintText(const FolderTrends& trends, std::ostream& out) {
  std::vector<RenameRequest> rows;
  for (const TrendInspection& trend : trends.trends)
    rows.push_back({trend.hstPath, FieldDisplayText(trend.info.tag),
                    FieldDisplayText(trend.info.path)});
  out << "# Morvelle: the trends of " << EscapeControlCharacters(trends.folder)
      << "\n"
      << ListText(rows);
}

JsonObject FolderJson(const FolderTrends& trends) {
  std::vector<std::string> read, unreadable;
  for (const TrendInspection& trend : trends.trends) {
    JsonObject object;
    AddTrendFields(trend, &object);
    read.push_back(object.Text());
  }
  for (const UnreadableTrend& trend : trends.unreadable)
    unreadable.push_back(JsonObject()
                             .String("historyFile", trend.hstPath)
                             .String("reason", trend.reason.ToString())
                             .Text());
  JsonObject record = JsonRecord("folder");
  record.String("folder", trends.folder)
      .Raw("trends", JsonArray(read))
      .Raw("unreadable", JsonArray(unreadable));
  return record;
}

}  // namespace

Status ReadFolderTrends(Env& env, const std::string& folder,
                        FolderTrends* trends) {
  *trends = FolderTrends();
  std::vector<FolderEntry> entries;
  Status s = env.AbsolutePath(folder, &trends->folder);
  if (s.ok()) s = env.ListFolder(trends->folder, &entries);
  if (!s.ok()) return s.WithContext("Could not list the folder: ");
  // The separator the platform gave the absolute path.
  const std::string& absolute = trends->folder;
  std::size_t last = absolute.find_last_of("\\/");
  trends->folder =
      AddBackslash(absolute, last == std::string::npos ? '/' : absolute[last]);
  std::vector<std::string> names;
  for (const FolderEntry& entry : entries)
    if (IsHistoryFile(entry)) names.push_back(entry.name);
  std::sort(names.begin(), names.end(), ByName);
  FolderIndex index(std::move(entries));
  for (const std::string& name : names) {
    TrendInspection trend;
    Status read = ReadTrend(env, index, trends->folder, name, &trend);
    if (read.ok())
      trends->trends.push_back(std::move(trend));
    else
      trends->unreadable.push_back({trends->folder + name, std::move(read)});
  }
  return Status::Ok();
}

int RunList(Env& env, const std::string& folder, bool json, std::ostream& out,
            std::ostream& err) {
  FolderTrends trends;
  Status s = ReadFolderTrends(env, folder, &trends);
  if (!s.ok()) {
    err << ErrorText(s.ToString());
    return kExitNotRenamed;
  }
  if (json)
    out << JsonLine(FolderJson(trends));
  else
    PrintText(trends, out);
  for (const UnreadableTrend& trend : trends.unreadable)
    err << ErrorText("Could not read '" +
                     EscapeControlCharacters(trend.hstPath) +
                     "': " + trend.reason.ToString());
  bool interrupted = false;
  for (const TrendInspection& trend : trends.trends) {
    if (trend.interrupted.ok()) continue;
    err << ErrorText(trend.interrupted.ToString());
    interrupted = true;
  }
  return trends.unreadable.empty() && !interrupted ? kExitRenamed
                                                   : kExitNotRenamed;
}

}  // namespace morvelle

#include "app/FolderList.h"

#include <algorithm>
#include <ostream>
#include <string_view>
#include <unordered_map>

#include "app/BatchMode.h"
#include "app/CheckMode.h"
#include "app/InfoMode.h"
#include "app/Json.h"
#include "app/Messages.h"
#include "app/RenameList.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/FolderIndex.h"
#include "trend/HistoryFile.h"
#include "trend/Journal.h"
#include "trend/TrendCheck.h"

namespace morvelle {
namespace {

// Why the trend of `name` cannot be listed, or OK. A history file shorter
// than its header holds no tag or path to list.
Status ReadTrend(Env& env, const FolderIndex& index, const std::string& folder,
                 const std::string& name, TrendInspection* trend) {
  Status s = InspectListedTrend(env, index, folder, name, trend);
  if (s.ok() && trend->tableProblem.starts_with("too short"))
    return Status::Message(ErrorKind::kCorrupt,
                           "The history file is " + trend->tableProblem);
  return s;
}

// The damaged trends of `check`, a comment line each.
std::string DamagedLines(const FolderCheck& check) {
  std::string lines;
  for (const TrendCheck& trend : check.trends) {
    if (trend.healthy()) continue;
    const TrendProblem& first = trend.problems[0];
    lines += "# Damaged: " + EscapeControlCharacters(trend.hstPath) + " (" +
             std::to_string(trend.problems.size()) + " problem" +
             (trend.problems.size() == 1 ? "" : "s") + "; morvelle --check " +
             "tells them): " + EscapeControlCharacters(first.file) + ": " +
             (first.field.empty() ? "" : first.field + ": ") + first.what +
             "\n";
  }
  return lines;
}

void PrintText(const FolderTrends& trends, const FolderCheck& check,
               std::ostream& out) {
  std::vector<RenameRequest> rows;
  for (const TrendInspection& trend : trends.trends)
    rows.push_back({trend.hstPath, FieldDisplayText(trend.info.tag),
                    FieldDisplayText(trend.info.path)});
  out << "# Morvelle: the trends of " << EscapeControlCharacters(trends.folder)
      << "\n"
      << DamagedLines(check) << ListText(rows);
}

JsonObject FolderJson(const FolderTrends& trends, const FolderCheck& check) {
  // Each trend's damage as --check tells it, by history file; none where
  // the check did not find the trend.
  std::unordered_map<std::string_view, const std::vector<TrendProblem>*> damage;
  for (const TrendCheck& checked : check.trends)
    damage.emplace(checked.hstPath, &checked.problems);
  const std::vector<TrendProblem> none;
  std::vector<std::string> read, unreadable;
  for (const TrendInspection& trend : trends.trends) {
    auto found = damage.find(trend.hstPath);
    const std::vector<TrendProblem>& problems =
        found == damage.end() ? none : *found->second;
    JsonObject object;
    AddTrendFields(trend, &object);
    object.Bool("healthy", problems.empty())
        .Raw("problems", ProblemsJson(check.folder, problems));
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
  for (const FolderEntry& entry : entries) {
    if (!IsHistoryFileName(entry.name)) continue;
    if (entry.type == EntryType::kRegular)
      names.push_back(entry.name);
    else
      trends->unreadable.push_back(
          {trends->folder + entry.name,
           Status::Message(ErrorKind::kNotARegularFile,
                           std::string("named like a history file but ") +
                               EntryTypeName(entry.type))});
  }
  SortHistoryNames(&names);
  FolderIndex index(std::move(entries));
  for (const std::string& name : names) {
    TrendInspection trend;
    Status read = ReadTrend(env, index, trends->folder, name, &trend);
    if (read.ok())
      trends->trends.push_back(std::move(trend));
    else
      trends->unreadable.push_back({trends->folder + name, std::move(read)});
  }
  std::sort(trends->unreadable.begin(), trends->unreadable.end(),
            [](const UnreadableTrend& a, const UnreadableTrend& b) {
              return HistoryNameBefore(a.hstPath, b.hstPath);
            });
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
  FolderCheck check;
  // A folder the check cannot list again says no trend is damaged.
  if (!CheckFolder(env, trends.folder, &check).ok()) check = FolderCheck();
  if (json)
    out << JsonLine(FolderJson(trends, check));
  else
    PrintText(trends, check, out);
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

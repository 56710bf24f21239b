#include "app/FolderList.h"

#include <algorithm>
#include <ostream>

#include "app/BatchMode.h"
#include "app/InfoMode.h"
#include "app/RenameList.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/FolderIndex.h"
#include "trend/Journal.h"

namespace morvelle {
namespace {

// Keeps what the trend operations tell, so that it can be said together
// with the trend it is about.
class RecordingReporter final : public Reporter {
 public:
  void Warning(const std::string& message) override { Add(message); }
  void Critical(const std::string& message) override { Add(message); }
  const std::string& text() const { return text_; }

 private:
  void Add(const std::string& message) {
    text_ += (text_.empty() ? "" : "; ") + message;
  }
  std::string text_;
};

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

// The trend of `name` in the folder of `index`, or false with why not.
bool ReadTrend(Env& env, const FolderIndex& index, const std::string& folder,
               const std::string& name, TrendInspection* trend,
               std::string* reason) {
  RecordingReporter reporter;
  trend->hstPath = folder + name;
  trend->info = ReadTrendInfo(env, reporter, trend->hstPath, &trend->header);
  if (trend->info.pathWidth == 0) {
    *reason = reporter.text();
    return false;
  }
  trend->tableValid = TableCountsValid(trend->header);
  trend->files = FindTrendFiles(index, StripExtension(name), name);
  trend->interrupted = PendingRunProblem(env, index, folder, name).value_or("");
  return true;
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

void PrintJson(const FolderTrends& trends, std::ostream& out) {
  out << "{\n  \"folder\": " << JsonString(trends.folder)
      << ",\n  \"trends\": [";
  const char* separator = "";
  for (const TrendInspection& trend : trends.trends) {
    out << separator << "\n    {\"historyFile\": " << JsonString(trend.hstPath)
        << ", \"tag\": " << JsonString(FieldDisplayText(trend.info.tag))
        << ", \"path\": " << JsonString(FieldDisplayText(trend.info.path))
        << ", \"version\": " << trend.header.Version()
        << ", \"entryCount\": " << trend.header.EntryCount()
        << ", \"extraCount\": " << trend.header.ExtraCount()
        << ", \"tableValid\": " << (trend.tableValid ? "true" : "false")
        << ", \"interrupted\": "
        << (trend.interrupted.empty() ? "false" : "true")
        << ", \"dataFiles\": " << trend.files.dataFiles.size() << "}";
    separator = ",";
  }
  out << (trends.trends.empty() ? "" : "\n  ") << "],\n  \"unreadable\": [";
  separator = "";
  for (const UnreadableTrend& trend : trends.unreadable) {
    out << separator << "\n    {\"historyFile\": " << JsonString(trend.hstPath)
        << ", \"reason\": " << JsonString(trend.reason) << "}";
    separator = ",";
  }
  out << (trends.unreadable.empty() ? "" : "\n  ") << "]\n}\n";
}

}  // namespace

bool ReadFolderTrends(Env& env, const std::string& folder, FolderTrends* trends,
                      std::string* problem) {
  *trends = FolderTrends();
  std::vector<FolderEntry> entries;
  Status s = env.AbsolutePath(folder, &trends->folder);
  if (s.ok()) s = env.ListFolder(trends->folder, &entries);
  if (!s.ok()) {
    *problem = "Could not list the folder: " + s.ToString();
    return false;
  }
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
    std::string reason;
    if (ReadTrend(env, index, trends->folder, name, &trend, &reason))
      trends->trends.push_back(std::move(trend));
    else
      trends->unreadable.push_back({trends->folder + name, reason});
  }
  return true;
}

int RunList(Env& env, const std::string& folder, bool json, std::ostream& out,
            std::ostream& err) {
  FolderTrends trends;
  std::string problem;
  if (!ReadFolderTrends(env, folder, &trends, &problem)) {
    err << problem << "\n";
    return kExitNotRenamed;
  }
  if (json)
    PrintJson(trends, out);
  else
    PrintText(trends, out);
  for (const UnreadableTrend& trend : trends.unreadable)
    err << "Could not read '" << EscapeControlCharacters(trend.hstPath)
        << "': " << trend.reason << "\n";
  bool interrupted = false;
  for (const TrendInspection& trend : trends.trends) {
    if (trend.interrupted.empty()) continue;
    err << trend.interrupted << "\n";
    interrupted = true;
  }
  return trends.unreadable.empty() && !interrupted ? kExitRenamed
                                                   : kExitNotRenamed;
}

}  // namespace morvelle

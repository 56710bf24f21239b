#include "ui/RunReport.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <set>
#include <sstream>
#include <string_view>
#include <utility>

#include "app/BatchMode.h"
#include "platform/Text.h"
#include "trend/FileTools.h"

namespace morvelle {
namespace {

// The trends of one outcome, under a heading: "Failed", "Renamed".
struct Group {
  const char* heading;
  std::vector<std::string> lines;
};

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The groups that are not empty, each as its heading with its count and
// then its lines.
std::vector<std::string> GroupLines(const std::vector<Group>& groups) {
  std::vector<std::string> log;
  for (const Group& group : groups) {
    if (group.lines.empty()) continue;
    log.push_back(std::string(group.heading) + " (" +
                  std::to_string(group.lines.size()) + "):");
    for (const std::string& line : group.lines) {
      // A message of more than one line goes on indented under its trend.
      std::string indent = "  ";
      for (const std::string& part : Lines(line)) {
        log.push_back(indent + part);
        indent = "    ";
      }
    }
  }
  return log;
}

std::string Counts(const std::vector<std::pair<std::size_t, const char*>>& c) {
  std::string text;
  for (const auto& [count, what] : c)
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + what;
  return text;
}

std::string Shown(std::string_view text) {
  return EscapeControlCharacters(text);
}

// What the run told around its rows, without what the report shows
// already: the rows' own lines and the summary.
std::vector<std::string> RunMessages(const ListRun& run) {
  std::set<std::string> rowLines;
  for (const RowResult& row : run.rows)
    for (const std::string& line : Lines(RowLine(run.list, row)))
      rowLines.insert(line);
  std::vector<std::string> messages;
  for (const std::string& line : Lines(run.before + run.after))
    if (!rowLines.contains(line) && !line.starts_with("Summary: "))
      messages.push_back(line);
  return messages;
}

// The rows of `table` that `run` does not name.
std::size_t Unchanged(const ListRun& run, const std::vector<ManyRow>& table) {
  std::set<std::string> named;
  for (const RowResult& row : run.rows) named.insert(row.row.request.hstPath);
  return static_cast<std::size_t>(std::count_if(
      table.begin(), table.end(),
      [&](const ManyRow& row) { return !named.contains(row.hstPath); }));
}

std::string RunHeading(RunKind kind, const ListRun& run, std::size_t renamed) {
  const std::string title = kind == RunKind::kUndo ? "Undo last run" : "Rename";
  if (run.status == kExitInterrupted) return title + ": stopped on request.";
  if (run.status == kExitRenamed)
    return title + (kind == RunKind::kUndo ? ": every trend was renamed back."
                                           : ": every trend was renamed.");
  return title + (renamed == 0 ? ": nothing was renamed."
                               : ": not every trend was renamed.");
}

}  // namespace

std::string RunReport::Top() const {
  return counts.empty() ? heading : heading + "\n" + counts;
}

std::string RunReport::Text() const {
  std::string text = Top() + "\n";
  for (const std::vector<std::string>* part : {&paths, &log, &messages}) {
    if (part->empty()) continue;
    text += "\n";
    for (const std::string& line : *part) text += line + "\n";
  }
  return text;
}

RunReport ReportOfRun(RunKind kind, const RunFiles& files, const ListRun& run,
                      const std::vector<ManyRow>& table) {
  // In the order the log shows them: what went wrong first.
  std::array<Group, 4> groups{
      {{"Failed", {}}, {"Refused", {}}, {"Not run", {}}, {"Renamed", {}}}};
  for (const RowResult& row : run.rows) {
    const std::size_t group = row.outcome == RowOutcome::kFailed    ? 0
                              : row.outcome == RowOutcome::kRefused ? 1
                              : row.outcome == RowOutcome::kNotRun  ? 2
                                                                    : 3;
    groups[group].lines.push_back(
        Shown(FileNameOf(row.row.request.hstPath)) + ": " +
        (row.message.empty() ? std::string("not run") : row.message));
  }
  const std::size_t renamed = groups[3].lines.size();
  RunReport report;
  report.caption = std::string("Morvelle - ") +
                   (kind == RunKind::kUndo ? "Undo last run" : "Rename");
  report.heading = RunHeading(kind, run, renamed);
  report.ok = run.status == kExitRenamed;
  report.counts = Counts({{renamed, "renamed"},
                          {Unchanged(run, table), "unchanged"},
                          {groups[1].lines.size(), "refused"},
                          {groups[0].lines.size(), "failed"},
                          {groups[2].lines.size(), "not run"}});
  report.paths = {"List run: " + Shown(files.list),
                  "Undo list: " + (renamed == 0 ? "none, nothing was renamed"
                                                : Shown(files.undoList))};
  report.log = GroupLines({groups.begin(), groups.end()});
  report.messages = RunMessages(run);
  return report;
}

RunReport ReportOfRecovery(const FolderRecovery& recovery) {
  std::array<Group, 4> groups{{{"Not recovered", {}},
                               {"Put back", {}},
                               {"Left renamed", {}},
                               {"Untouched", {}}}};
  RunReport report;
  for (const JournalRecovery& journal : recovery.journals) {
    for (const TrendRecovery& trend : journal.trends) {
      const std::size_t group =
          trend.outcome == RecoveryOutcome::kRestored    ? 1
          : trend.outcome == RecoveryOutcome::kCompleted ? 2
          : trend.outcome == RecoveryOutcome::kUntouched ? 3
                                                         : 0;
      groups[group].lines.push_back(Shown(FileNameOf(trend.historyFile)) +
                                    ": " + trend.Text());
    }
    if (!journal.removed && !journal.problem.ok())
      report.messages.push_back("The journal '" + Shown(journal.journalPath) +
                                "' is kept: " + journal.problem.ToString());
  }
  const bool all_removed = std::all_of(
      recovery.journals.begin(), recovery.journals.end(),
      [](const JournalRecovery& journal) { return journal.removed; });
  report.caption = "Morvelle - Recover";
  report.ok = recovery.problem.empty() && all_removed;
  report.heading = !recovery.problem.empty() ? "Recover: " + recovery.problem
                   : recovery.journals.empty()
                       ? "Recover: no interrupted run; nothing to recover."
                   : report.ok
                       ? "Recover: every interrupted run was dealt with."
                       : "Recover: not every trend was recovered.";
  report.counts = Counts({{groups[1].lines.size(), "put back"},
                          {groups[2].lines.size(), "left renamed"},
                          {groups[3].lines.size(), "untouched"},
                          {groups[0].lines.size(), "not recovered"}});
  report.paths = {"Folder: " + Shown(recovery.folder)};
  report.log = GroupLines({groups.begin(), groups.end()});
  return report;
}

RunReport ReportOfMessage(const std::string& text) {
  std::vector<std::string> lines = Lines(text);
  RunReport report;
  report.caption = "Morvelle";
  if (!lines.empty()) report.heading = lines.front();
  if (lines.size() > 1) report.log.assign(lines.begin() + 1, lines.end());
  return report;
}

}  // namespace morvelle

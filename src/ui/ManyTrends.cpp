#include "ui/ManyTrends.h"

#include <algorithm>
#include <map>

#include "app/RenameList.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/TrendCheck.h"

namespace morvelle {
namespace {

RowStatus StatusOf(const PlannedRename& planned,
                   const std::vector<std::size_t>& rowOfRequest) {
  RowStatus status;
  if (planned.outcome == RenameOutcome::kRenamed) {
    status.state = RowState::kWillRename;
    status.warnings = planned.plan.warnings;
    return status;
  }
  status.reason = planned.failure.ToString();
  status.state = RowState::kRefused;
  if (planned.conflictsWith != kNoRequest) {
    status.state = RowState::kConflict;
    status.conflictsWith = rowOfRequest[planned.conflictsWith];
  }
  return status;
}

}  // namespace

std::string StateText(const RowStatus& status) {
  switch (status.state) {
    case RowState::kPlanning:
      return "Planning...";
    case RowState::kUnchanged:
      return "Unchanged";
    case RowState::kRefused:
      return "Refused: " + status.reason;
    case RowState::kConflict:
      return "In conflict with row " +
             std::to_string(status.conflictsWith + 1) + ": " + status.reason;
    case RowState::kInterrupted:
      return "Interrupted: run Recover";
    case RowState::kDamaged:
      return "Damaged: " + status.reason;
    case RowState::kWillRename:
      break;
  }
  std::string text = "Will rename";
  for (const std::string& warning : status.warnings)
    text += "; warning: " + warning;
  return text;
}

bool IsProblem(const RowStatus& status) {
  return status.state == RowState::kRefused ||
         status.state == RowState::kConflict ||
         status.state == RowState::kInterrupted ||
         status.state == RowState::kDamaged || !status.warnings.empty();
}

std::vector<RowStatus> PlanRows(Env& env, const std::vector<ManyRow>& rows) {
  std::vector<RenameRequest> requests;
  std::vector<std::size_t> row_of_request;
  std::vector<RowStatus> states(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool interrupted = !rows[i].interrupted.empty();
    const bool damaged = !interrupted && !rows[i].damage.empty();
    states[i].state = interrupted ? RowState::kInterrupted
                      : damaged   ? RowState::kDamaged
                                  : RowState::kUnchanged;
    if (damaged) states[i].reason = rows[i].damage[0];
    if (interrupted || damaged || !rows[i].changed()) continue;
    requests.push_back(rows[i].request());
    row_of_request.push_back(i);
  }
  std::vector<PlannedRename> plans = PlanRenames(env, requests);
  for (std::size_t i = 0; i < plans.size(); ++i)
    states[row_of_request[i]] = StatusOf(plans[i], row_of_request);
  return states;
}

std::vector<RenameRequest> RowRequests(const std::vector<ManyRow>& rows,
                                       bool changedOnly) {
  std::vector<RenameRequest> requests;
  for (const ManyRow& row : rows)
    if (row.changed() || !changedOnly) requests.push_back(row.request());
  return requests;
}

std::size_t ReplaceAll(std::string* text, const Replacement& r) {
  if (r.find.empty()) return 0;
  // Folding keeps every byte where it is, so positions found in the folded
  // text are positions in the text.
  std::string haystack = r.matchCase ? *text : FoldCase(*text);
  std::string needle = r.matchCase ? r.find : FoldCase(r.find);
  std::string result;
  std::size_t count = 0, from = 0;
  for (std::size_t at; (at = haystack.find(needle, from)) != std::string::npos;
       from = at + needle.size(), ++count)
    result += text->substr(from, at - from) + r.replace;
  if (count > 0) *text = result + text->substr(from);
  return count;
}

std::string TrendCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " trend" : " trends");
}

ManyTrends::ManyTrends(Env& env) : env_(env) {}

bool ManyTrends::Load(const std::string& folder, std::string* problem) {
  FolderTrends trends;
  Status s = ReadFolderTrends(env_, folder, &trends);
  if (!s.ok()) {
    *problem = s.ToString();
    return false;
  }
  trends_ = std::move(trends);
  FolderCheck check;
  std::map<std::string, std::vector<std::string>> damage;
  if (CheckFolder(env_, trends_.folder, &check).ok())
    for (const TrendCheck& trend : check.trends)
      for (const TrendProblem& p : trend.problems)
        damage[trend.hstPath].push_back(
            p.file + ": " + (p.field.empty() ? "" : p.field + ": ") + p.what);
  rows_.clear();
  for (const TrendInspection& trend : trends_.trends) {
    std::string tag = FieldDisplayText(trend.info.tag);
    std::string path = FieldDisplayText(trend.info.path);
    rows_.push_back({trend.hstPath, tag, path, tag, path,
                     trend.interrupted.ok() ? "" : trend.interrupted.ToString(),
                     damage[trend.hstPath]});
  }
  Touch();
  return true;
}

std::string ManyTrends::Cell(std::size_t row, ManyColumn column) const {
  const ManyRow& r = rows_[row];
  switch (column) {
    case ManyColumn::kFile:
      return FileNameOf(r.hstPath);
    case ManyColumn::kTag:
      return r.tag;
    case ManyColumn::kPath:
      return r.path;
    case ManyColumn::kNewTag:
      return r.newTag;
    case ManyColumn::kNewPath:
      return r.newPath;
    case ManyColumn::kState:
      break;
  }
  return StateText(states_[row]);
}

void ManyTrends::SetNewValue(std::size_t row, ManyColumn column,
                             std::string value) {
  std::string& target =
      column == ManyColumn::kNewTag ? rows_[row].newTag : rows_[row].newPath;
  if (target == value) return;
  target = std::move(value);
  Touch();
}

std::size_t Occurrences(const std::vector<ManyRow>& rows,
                        const std::vector<std::size_t>& selected,
                        const Replacement& r) {
  std::size_t count = 0;
  for (std::size_t row : selected) {
    ManyRow copy = rows[row];
    if (r.where != ReplaceIn::kPath) count += ReplaceAll(&copy.newTag, r);
    if (r.where != ReplaceIn::kTag) count += ReplaceAll(&copy.newPath, r);
  }
  return count;
}

std::size_t ManyTrends::Replace(const std::vector<std::size_t>& selected,
                                const Replacement& r) {
  std::size_t count = 0;
  for (std::size_t row : selected) {
    if (r.where != ReplaceIn::kPath) count += ReplaceAll(&rows_[row].newTag, r);
    if (r.where != ReplaceIn::kTag) count += ReplaceAll(&rows_[row].newPath, r);
  }
  if (count > 0) Touch();
  return count;
}

bool ManyTrends::SetStates(std::uint64_t generation,
                           std::vector<RowStatus> states) {
  if (generation != generation_ || states.size() != rows_.size()) return false;
  states_ = std::move(states);
  return true;
}

std::size_t ManyTrends::ChangedCount() const {
  std::size_t count = 0;
  for (const ManyRow& row : rows_) count += row.changed() ? 1 : 0;
  return count;
}

std::string ManyTrends::StatusLine() const {
  std::size_t refused = 0, interrupted = 0;
  for (const RowStatus& status : states_)
    refused += status.state == RowState::kRefused ||
                       status.state == RowState::kConflict
                   ? 1
                   : 0;
  for (const ManyRow& row : rows_)
    interrupted += row.interrupted.empty() ? 0 : 1;
  std::string line = TrendCount(rows_.size()) + ", " +
                     std::to_string(ChangedCount()) + " changed, " +
                     std::to_string(refused) + " refused or in conflict";
  if (interrupted > 0)
    line += ", " + std::to_string(interrupted) + " interrupted";
  if (!trends_.unreadable.empty())
    line += ", " + std::to_string(trends_.unreadable.size()) +
            " that could not be read";
  return line;
}

bool ManyTrends::CanRename() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const RowState state = states_[i].state;
    const bool ready =
        state == RowState::kWillRename || state == RowState::kUnchanged ||
        ((state == RowState::kInterrupted || state == RowState::kDamaged) &&
         !rows_[i].changed());
    if (!ready) return false;
  }
  return ChangedCount() > 0;
}

std::string ManyTrends::StateTooltip(std::size_t row) const {
  std::string text;
  for (const std::string& line : rows_[row].damage)
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

bool ManyTrends::CanRecover() const {
  for (const ManyRow& row : rows_)
    if (!row.interrupted.empty()) return true;
  return false;
}

Status ManyTrends::Export(const std::string& path) const {
  return WriteNewListFile(env_, path, ListText(RowRequests(rows_, false)));
}

std::vector<std::string> ManyTrends::Import(const std::string& path) {
  RenameList list;
  Status s = ReadRenameList(env_, path, &list);
  if (!s.ok()) return {"Could not read the list: " + s.ToString()};
  std::vector<std::string> problems;
  for (const ListError& e : list.errors)
    problems.push_back(ListPlace(path, e.line) + e.message);
  if (!problems.empty()) return problems;
  std::map<std::string, std::size_t> row_of, row_of_folded;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    row_of[rows_[i].hstPath] = i;
    row_of_folded[FoldCase(rows_[i].hstPath)] = i;
  }
  for (const ListRow& row : list.rows) {
    std::string absolute;
    Status found = env_.AbsolutePath(row.request.hstPath, &absolute);
    auto exact = row_of.find(absolute);
    auto folded = row_of_folded.find(FoldCase(absolute));
    if (!found.ok() || folded == row_of_folded.end()) {
      problems.push_back(ListPlace(path, row.line) + "'" +
                         EscapeControlCharacters(row.request.hstPath) +
                         "' is not a trend of this folder");
      continue;
    }
    ManyRow& target =
        rows_[exact != row_of.end() ? exact->second : folded->second];
    target.newTag = row.request.newTag;
    target.newPath = row.request.newPath;
  }
  Touch();
  return problems;
}

void ManyTrends::Touch() {
  ++generation_;
  states_.assign(rows_.size(), RowStatus());
}

std::vector<std::size_t> ShownRows(const ManyTrends& model,
                                   const RowOrder& order) {
  std::vector<std::size_t> shown;
  for (std::size_t row = 0; row < model.rows().size(); ++row)
    if (!order.problemsOnly || IsProblem(model.status(row)))
      shown.push_back(row);
  if (!order.sortColumn) return shown;
  std::vector<std::string> keys(model.rows().size());
  for (std::size_t row : shown)
    keys[row] = FoldCase(model.Cell(row, *order.sortColumn));
  std::stable_sort(
      shown.begin(), shown.end(), [&](std::size_t a, std::size_t b) {
        return order.descending ? keys[b] < keys[a] : keys[a] < keys[b];
      });
  return shown;
}

std::optional<std::size_t> NextProblem(const ManyTrends& model,
                                       const std::vector<std::size_t>& shown,
                                       std::optional<std::size_t> from) {
  const std::size_t count = shown.size();
  const std::size_t start = from ? *from + 1 : 0;
  for (std::size_t step = 0; step < count; ++step) {
    std::size_t place = (start + step) % count;
    if (IsProblem(model.status(shown[place]))) return place;
  }
  return std::nullopt;
}

std::array<int, kManyColumnCount> ColumnWidths(
    const ManyTable& cells, int width,
    const std::function<int(const std::string&)>& textWidth, int padding) {
  constexpr int kFile = static_cast<int>(ManyColumn::kFile);
  constexpr int kPath = static_cast<int>(ManyColumn::kPath);
  constexpr int kNewPath = static_cast<int>(ManyColumn::kNewPath);
  constexpr int kState = static_cast<int>(ManyColumn::kState);
  // The share of the width, in hundredths, that File and the tags may take
  // when not all fit, State no more than its least, until the paths have
  // theirs; then State takes the rest.
  constexpr int kShare[] = {12, 15, 0, 15, 0, 0};
  constexpr int kGiveBack[] = {kState, kFile};
  std::array<int, kManyColumnCount> wanted{}, least{}, widths{};
  for (int column = 0; column < kManyColumnCount; ++column) {
    least[column] = textWidth(kManyColumnTitles[column]) + padding;
    // The states that carry no reason are always read whole.
    if (column == kState)
      for (RowState state : {RowState::kPlanning, RowState::kUnchanged,
                             RowState::kWillRename, RowState::kInterrupted}) {
        RowStatus status;
        status.state = state;
        least[column] =
            std::max(least[column], textWidth(StateText(status)) + padding);
      }
    wanted[column] = least[column];
    for (const auto& row : cells)
      wanted[column] =
          std::max(wanted[column], textWidth(row[column]) + padding);
  }
  int left = width;
  for (int column = 0; column < kManyColumnCount; ++column) {
    if (column == kPath || column == kNewPath) continue;
    widths[column] = std::max(
        least[column], std::min(wanted[column], width * kShare[column] / 100));
    left -= widths[column];
  }
  // The paths share what is left, the shorter one no more than it needs.
  const int shorter = wanted[kPath] <= wanted[kNewPath] ? kPath : kNewPath;
  const int longer = shorter == kPath ? kNewPath : kPath;
  widths[shorter] =
      std::max(least[shorter], std::min(wanted[shorter], left / 2));
  widths[longer] =
      std::max(least[longer], std::min(wanted[longer], left - widths[shorter]));
  left -= widths[shorter] + widths[longer];
  for (int column : kGiveBack) {
    int more =
        std::clamp(wanted[column] - widths[column], 0, std::max(left, 0));
    widths[column] += more;
    left -= more;
  }
  if (left > 0) widths[kState] += left;
  return widths;
}

}  // namespace morvelle

// The rules of the "Many trends" window, whatever toolkit draws it: the
// trends of a folder in a table (file, current tag and path, New tag and
// New path), find and replace over the New values, and each row's state
// from the whole-list planner that --batch uses, so that the window and the
// command line never disagree. Renaming, undoing and recovering the trends
// of interrupted runs are in app/RenameRuns.h.
//
// The model is used from the user-interface thread only. Planning reaches
// the file system and may take a while, so it is a plain function
// (PlanRows) that a view runs on a worker thread on a copy of the rows,
// handing the result back with SetStates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/FolderList.h"
#include "trend/BulkRename.h"

namespace morvelle {

class Env;

// The columns, in the order the views show them.
enum class ManyColumn { kFile, kTag, kPath, kNewTag, kNewPath, kState };
inline constexpr const char* kManyColumnTitles[] = {
    "File", "Tag", "Path", "New tag", "New path", "State"};
inline constexpr int kManyColumnCount = 6;
// Every cell of a table, row by row, in the order of ManyColumn.
using ManyTable = std::vector<std::array<std::string, kManyColumnCount>>;
inline constexpr const char* kManyTrendsTitle = "Morvelle - Many trends";
// The item that opens the window from the main window's menu.
inline constexpr const char* kManyTrendsMenuItem = "&Many trends...";

// The captions of the window's controls, for every view. "&" marks the
// access key.
struct ManyCaptions {
  static constexpr const char* kFolder = "&Folder:";
  static constexpr const char* kBrowse = "&Browse...";
  static constexpr const char* kRecover = "Rec&over";
  static constexpr const char* kFind = "F&ind:";
  static constexpr const char* kReplaceWith = "Replace &with:";
  static constexpr const char* kIn[] = {"in the tag", "in the path",
                                        "in tag and path"};
  static constexpr const char* kMatchCase = "Match &case";
  static constexpr const char* kReplace = "Re&place in selected rows";
  static constexpr const char* kProblemsOnly = "S&how problems only";
  // The key that selects the next problem row, named in the check box's
  // tooltip.
  static constexpr const char* kNextProblemTip =
      "F8 selects the next problem row";
  static constexpr const char* kImport = "I&mport CSV...";
  static constexpr const char* kExport = "&Export CSV...";
  static constexpr const char* kUndo = "&Undo last run";
  static constexpr const char* kRename = "&Rename";
  static constexpr const char* kCancel = "Cancel";
  static constexpr const char* kClose = "Close";
};

// "1 trend", "2 trends".
std::string TrendCount(std::size_t count);

struct ManyRow {
  std::string hstPath;    // absolute
  std::string tag, path;  // as the main window shows them as Original
  std::string newTag, newPath;
  // Why a journal of an interrupted run names the trend, or empty.
  std::string interrupted;
  // What a check finds wrong with its files (CheckFolder), a line each
  // ("FILE: FIELD: what"); empty when the trend is whole.
  std::vector<std::string> damage;

  // The rows a rename runs: the others keep every name and byte.
  bool changed() const { return newTag != tag || newPath != path; }
  // The row as a --batch row: history file, New tag, New path.
  RenameRequest request() const { return {hstPath, newTag, newPath}; }
};

enum class RowState {
  kPlanning,    // edited since it was last planned
  kUnchanged,   // New values as they are: nothing to do
  kWillRename,  // planned and checked; may carry warnings
  kRefused,     // its own checks refuse it
  kConflict,    // it and an earlier row cannot both run
  // An interrupted run may have left it partly renamed: not planned, and
  // Rename waits for Recover while it has New values.
  kInterrupted,
  // Its files are damaged (`ManyRow::damage`): not planned, and Rename
  // refuses to run while it has New values.
  kDamaged,
};

struct RowStatus {
  RowState state = RowState::kPlanning;
  std::string reason;  // kRefused, kConflict: why; kDamaged: first problem
  std::size_t conflictsWith = kNoRequest;  // kConflict: that row, from 0
  std::vector<std::string> warnings;       // kWillRename: values cut
};

// What the State column shows: "Will rename", "Unchanged", "Refused: why",
// "In conflict with row N: why" (N counted from 1), "Planning...",
// "Interrupted: run Recover", "Damaged: first problem", and for a row that will
// rename with a value cut to its field, "Will rename; warning: ..." for each
// cut.
std::string StateText(const RowStatus& status);

// A row the user has to look at: refused, in conflict, interrupted, or
// renaming with a value cut to its field.
bool IsProblem(const RowStatus& status);

// Plans every changed row of `rows` as --batch plans the rows of a list
// (PlanRenames, the rows against each other included); unchanged rows are
// not planned at all, as running them would change nothing, nor are
// interrupted ones, which the planner refuses. Changes nothing; safe on a
// worker thread over its own copy of the rows.
std::vector<RowStatus> PlanRows(Env& env, const std::vector<ManyRow>& rows);

// The rows as the rows of a --batch list (history file, New tag, New
// path): every row, or with `changedOnly` those a rename runs.
std::vector<RenameRequest> RowRequests(const std::vector<ManyRow>& rows,
                                       bool changedOnly);

enum class ReplaceIn { kTag, kPath, kBoth };

struct Replacement {
  std::string find, replace;  // plain text, not a pattern
  ReplaceIn where = ReplaceIn::kBoth;
  bool matchCase = false;  // else ASCII letters match in either case
};

// Replaces every occurrence of `r.find` in `*text`, left to right, none of
// them overlapping; returns how many. An empty `find` matches nothing.
std::size_t ReplaceAll(std::string* text, const Replacement& r);

// How many occurrences ManyTrends::Replace would replace in the `selected`
// rows of `rows`; changes nothing.
std::size_t Occurrences(const std::vector<ManyRow>& rows,
                        const std::vector<std::size_t>& selected,
                        const Replacement& r);

class ManyTrends {
 public:
  // `env` outlives the model.
  explicit ManyTrends(Env& env);

  // Reads the trends of `folder` (ReadFolderTrends); every New value
  // starts as the current one. False, with `*problem`, when the folder
  // cannot be listed. Trends that cannot be read are in unreadable().
  bool Load(const std::string& folder, std::string* problem);

  const std::string& folder() const { return trends_.folder; }
  const std::vector<UnreadableTrend>& unreadable() const {
    return trends_.unreadable;
  }
  const std::vector<ManyRow>& rows() const { return rows_; }
  const RowStatus& status(std::size_t row) const { return states_[row]; }
  // The text of a cell, for the view.
  std::string Cell(std::size_t row, ManyColumn column) const;

  // A New value typed by the user; `column` is kNewTag or kNewPath.
  void SetNewValue(std::size_t row, ManyColumn column, std::string value);
  // Find and replace over the `selected` rows; returns how many
  // occurrences were replaced.
  std::size_t Replace(const std::vector<std::size_t>& selected,
                      const Replacement& r);

  // Every change of a New value starts a new generation, and the rows'
  // states are kPlanning until a plan of that generation is set.
  std::uint64_t generation() const { return generation_; }
  // The states PlanRows gave for the rows of `generation`; false, and
  // ignored, when the rows have changed since.
  bool SetStates(std::uint64_t generation, std::vector<RowStatus> states);

  std::size_t ChangedCount() const;
  // One line about the table: "3 trends, 1 changed, 1 refused or in
  // conflict", and how many are interrupted and how many could not be
  // read, when any.
  std::string StatusLine() const;
  // True when Rename may run: a current plan, at least one changed row, and
  // every changed row will rename. A refused row renames nothing, as in
  // --batch; an interrupted row that is not changed is not in the run.
  bool CanRename() const;

  // The State cell's tooltip: every problem of a damaged row, a line
  // each; empty for a whole one.
  std::string StateTooltip(std::size_t row) const;
  // True when Recover has something to put back: an interrupted row.
  bool CanRecover() const;

  // Writes every row as a --batch list (RowRequests) to a new file at
  // `path`; never overwrites one.
  Status Export(const std::string& path) const;
  // Sets the New values of the rows a --batch list names (by history
  // file, made absolute: as spelled, else without regard to case, as a list
  // edited on Windows may spell it). Returns the
  // problems, each "LIST:LINE: why": a row that is not sound or names a
  // trend not in the table. Nothing is changed when the list cannot be
  // read or is not sound.
  std::vector<std::string> Import(const std::string& path);

 private:
  void Touch();

  Env& env_;
  FolderTrends trends_;
  std::vector<ManyRow> rows_;
  std::vector<RowStatus> states_;
  std::uint64_t generation_ = 0;
};

// How the table shows the model's rows: in folder order or sorted on a
// column, and perhaps only the problems (IsProblem).
struct RowOrder {
  std::optional<ManyColumn> sortColumn;
  bool descending = false;
  bool problemsOnly = false;
};

// The model's rows in the order the table shows them: sorted on the text
// of `order.sortColumn` (ASCII letters in either case), rows of equal text
// in folder order either way.
std::vector<std::size_t> ShownRows(const ManyTrends& model,
                                   const RowOrder& order);

// The place in `shown` (as ShownRows gives it) of the first problem row
// after the place `from`, going round to the top; from the top when `from`
// is none. None when no row shown is a problem.
std::optional<std::size_t> NextProblem(const ManyTrends& model,
                                       const std::vector<std::size_t>& shown,
                                       std::optional<std::size_t> from);

// The widths of the table's columns, in pixels, for a table `width` wide:
// each column as wide as its title and its widest cell (`textWidth` of the
// text plus `padding`) where all fit. Where they do not, File, the tags and
// State are held to a share of the width each, so that the paths keep the
// room for their ends; State is never narrower than the states that carry
// no reason ("Interrupted: run Recover" the widest), and takes the room
// left over.
std::array<int, kManyColumnCount> ColumnWidths(
    const ManyTable& cells, int width,
    const std::function<int(const std::string&)>& textWidth, int padding);

}  // namespace morvelle

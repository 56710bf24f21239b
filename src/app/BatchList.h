// --batch: renaming every trend of a list.
//
// The list is CSV text: one row per trend with three values, the history
// file, the new tag and the new path, in the order of the batch-mode
// command line. Values are separated by commas; a value that holds a
// comma, a double quote or a line break is written in double quotes, with
// each double quote inside doubled. Blank lines and lines that start with
// "#" are ignored. The text is UTF-8 (a byte-order mark at the start is
// dropped); lines may end in CRLF. Rows are named by the line they start
// on.
#pragma once

#include <atomic>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "trend/BulkRename.h"

namespace morvelle {

class Env;

struct ListRow {
  std::size_t line = 0;  // where the row starts, from 1
  RenameRequest request;
};

struct ListError {
  std::size_t line = 0;
  std::string message;
};

struct RenameList {
  std::vector<ListRow> rows;
  std::vector<ListError> errors;  // a list with errors is not run at all
};

RenameList ParseRenameList(std::string_view text);

// `value` as a CSV value: as it is, or quoted when it must be.
std::string CsvValue(std::string_view value);

struct BatchListOptions {
  std::string listPath;
  std::string undoListPath;  // empty: no undo list
  bool dryRun = false;
  bool progress = false;  // draw a progress bar on `err` while renaming
  // Checked before each row; once true, the rows left are not run. May be
  // null.
  const std::atomic<bool>* stop = nullptr;
};

// Reads the list and plans every row before any file is touched: a list
// that cannot be read or parsed, or any row that is refused (its own
// checks, or a conflict with another row), renames nothing. With
// `dryRun` the plans are written to `out` and nothing is changed. Else the
// rows run in order, each reported on `out`; a file-system failure stops
// the run at that row, whose steps done stay done, and the rows after it
// are not run. The undo list (when asked for) must not exist yet: it is
// created before the first rename and gets one row per renamed trend, each
// written as soon as that trend is renamed, so that it matches the files
// however the run ends; a row it cannot take stops the run after that
// trend, which is named. A summary ends the run. Returns kExitRenamed only
// when every row was renamed (with `dryRun`: would be).
int RunBatchList(Env& env, const BatchListOptions& options, std::ostream& out,
                 std::ostream& err);

}  // namespace morvelle

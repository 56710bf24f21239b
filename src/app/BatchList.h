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
//
// An undo list is such a list whose first line starts with
// "# Morvelle undo list". Its rows are written whole, each ending in a line
// break, so a marked list whose last row has none was cut short.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
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

// The comment that heads the lists Morvelle writes, naming the columns.
inline constexpr std::string_view kListColumnsComment =
    "# history file, new tag, new path\n";

// A list is read whole before any row is planned; a longer one is refused
// rather than exhausting memory. A million rows of long paths fit.
inline constexpr std::size_t kListSizeLimit = std::size_t{64} << 20;

// The rows of `text` and the errors that keep it from being run, a last
// row without its line end in an undo list among them.
RenameList ParseRenameList(std::string_view text);

// `value` as a CSV value: as it is, or quoted when it must be.
std::string CsvValue(std::string_view value);

struct BatchListOptions {
  std::string listPath;
  std::string undoListPath;  // empty: no undo list
  bool dryRun = false;
  bool progress = false;  // draw a progress bar on `err` while renaming
  // Once true, the row in progress is finished or put back as it was and
  // the rows left are not run. May be null.
  const std::atomic<bool>* stop = nullptr;
  // Called on the run's own thread before each row is renamed, with the
  // rows done so far and their number, and once more (done == total) when
  // the run is over, however it ended. May be empty.
  std::function<void(std::size_t done, std::size_t total)> onProgress;
};

// Reads the list (a file, a link or a pipe, up to 64 MiB) and plans every
// row before any file is touched: a list that cannot be read or parsed,
// or any row that is refused (its own checks, or a conflict with another
// row), renames nothing. With `dryRun` the plans are written to `out` and
// nothing is changed. Else the rows run in order, each reported on `out`;
// a row that fails is put back as it was (or, when that fails too,
// reported file by file) and the rows after it are not run. The undo list
// (when asked for) must not exist yet nor be named like a file of any row,
// in any letter case. It is created before the first rename, or removed
// again when its first lines cannot be written, and gets one whole row per
// renamed trend, written as soon as that trend is renamed and before
// anything is printed about it, so that it matches the files however the
// run ends; a row it cannot take is cut back off, and stops the run after
// that trend, which is named. A row that the undo run would refuse or
// could not restore byte for byte is warned about before any change. A
// summary line ends every run. Returns kExitRenamed only when every row
// was renamed (with `dryRun`: would be), kExitInterrupted when `stop` was
// seen.
int RunBatchList(Env& env, const BatchListOptions& options, std::ostream& out,
                 std::ostream& err);

}  // namespace morvelle

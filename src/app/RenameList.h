// The list of trends to rename that --batch reads, and that --list, the
// undo lists and the Many trends window's export and run files are.
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

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Env.h"
#include "trend/BulkRename.h"

namespace morvelle {

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

// The first lines of every undo list; the first is its marker.
inline constexpr std::string_view kUndoListHeader =
    "# Morvelle undo list: renames the trends back.\n"
    "# Run it with: morvelle --batch THIS-FILE\n";

// A list is read whole before any row is planned; a longer one is refused
// rather than exhausting memory. A million rows of long paths fit.
inline constexpr std::size_t kListSizeLimit = std::size_t{64} << 20;

// The rows of `text` and the errors that keep it from being run, a last
// row without its line end in an undo list among them.
RenameList ParseRenameList(std::string_view text);

// The name that stands for standard input where a list is read.
inline constexpr std::string_view kStandardInputName = "-";

// Reads the list at `path` (a file, a link or a pipe; standard input for
// kStandardInputName) and parses it. kTooLarge when it is longer than
// kListSizeLimit; `*list` is then empty.
Status ReadRenameList(Env& env, const std::string& path, RenameList* list);

// `value` as a CSV value: as it is, or quoted when it must be (a leading
// "#" too, which would make the row a comment).
std::string CsvValue(std::string_view value);

// One row of a list: the three values of `row` and a line break.
std::string ListRowText(const RenameRequest& row);

// `rows` as a list after the column comment.
std::string ListText(const std::vector<RenameRequest>& rows);

// Writes `text` to a new file at `path`; never replaces one.
Status WriteNewListFile(Env& env, const std::string& path,
                        std::string_view text);

// Where a message about line `line` of the list at `path` starts:
// "LIST:LINE: ", the path with its control characters escaped, or
// "(standard input):LINE: ".
std::string ListPlace(std::string_view path, std::size_t line);

// An undo list being written: each row reaches the operating system at
// once and whole, so that the list holds exactly the trends renamed
// however the run that writes it ends. Written through the Env like the
// trend files, so that its name reaches the file system as the user gave
// it on every platform.
class UndoListFile {
 public:
  explicit UndoListFile(Env& env) : env_(env) {}

  // Creates the file, failing when it exists already, and writes
  // kUndoListHeader. When that cannot be written the file is removed
  // again, so that a failed start leaves nothing behind.
  Status Create(const std::string& path);

  // Appends the row of `undo`. A row that cannot be written is cut back
  // off; should the cut fail too, the row is left without its line end,
  // and the list is refused as cut short when it is run.
  Status Add(const RenameRequest& undo);

  Status Close();

 private:
  Status Put(std::string_view text);

  Env& env_;
  std::unique_ptr<File> file_;
  std::uint64_t size_ = 0;
};

}  // namespace morvelle

// --batch: renaming every trend of a list (RenameList.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/RenameList.h"

namespace morvelle {

class Env;

// How a row of a --batch run ended, as its summary counts it.
enum class RowOutcome {
  kRenamed,
  kRefused,  // its checks refused it, before the run or as it ran
  kFailed,   // the file system failed; the trend was put back, or its
             // files are reported one by one
  kNotRun,   // not started, or stopped on request and put back as it was
};

// A row of a run, how it ended and what the run said about it.
struct RowResult {
  ListRow row;
  RowOutcome outcome = RowOutcome::kNotRun;
  // What the run told about the row after its place in the list: why it
  // was refused or failed, or what it was renamed to. Empty for a row the
  // run did not get to.
  std::string message;
};

// The line a run tells about a row it started, once the row has ended:
// the row's ListPlace in `listPath`, then its message.
std::string RowLine(const std::string& listPath, const RowResult& row);

// How many rows of a run ended each way.
struct RowTally {
  std::size_t renamed = 0, refused = 0, failed = 0, notRun = 0;
};

// Where a run tells what it does, as it does it.
class BatchListOutput {
 public:
  virtual ~BatchListOutput() = default;
  // A whole line, its line break included, for standard output or, with
  // `error`, standard error: about the list, the run as a whole, or a row
  // before the run starts any (why it is refused, its warnings).
  virtual void Line(const std::string& text, bool error) = 0;
  // A row the run started has ended. Its RowLine belongs on standard
  // output when it was renamed, else on standard error. The started rows
  // end one after another: no Line comes between two of them.
  virtual void RowEnded(const RowResult& row) = 0;
  // Before the run starts: `row` was refused or failed its checks, and
  // `line` (its RowLine) tells why. This default: Line(line, true).
  virtual void RowRefused(const RowResult& row, const std::string& line);
  // A dry run: `plan` is what `row` would do, `text` says so for a person.
  // This default: Line(text, false).
  virtual void RowPlanned(const RowResult& row, const RenamePlan& plan,
                          const std::string& text);
  // The run is over: `tally` counts its rows, `line` is its summary line,
  // for standard error with `error`. This default: Line(line, error).
  virtual void Summary(const RowTally& tally, bool changed,
                       const std::string& line, bool error);
};

struct BatchListOptions {
  std::string listPath;
  std::string undoListPath;  // empty: no undo list
  bool dryRun = false;
  // Standard output gets JSON Lines: a "row" record for each row that was
  // refused, planned or run, as it ends, then a "summary" record.
  // Standard error is as without.
  bool json = false;
  bool progress = false;  // draw a progress bar on `err` while renaming
  // Once true, the row in progress is finished or put back as it was and
  // the rows left are not run. May be null.
  const std::atomic<bool>* stop = nullptr;
  // Called on the run's own thread before each row is renamed, with the
  // rows done so far and their number, and once more (done == total) when
  // the run is over, however it ended. May be empty.
  std::function<void(std::size_t done, std::size_t total)> onProgress;
};

struct BatchListResult {
  int status = 0;  // as RunBatchList returns it
  // Every row of the list, in its order; none when the list cannot be
  // read or is not sound.
  std::vector<RowResult> rows;
  std::size_t started = 0;  // how many rows, from the first, the run started
};

// Reads the list (a file, a link or a pipe, up to 64 MiB) and plans every
// row before any file is touched: a list that cannot be read or parsed,
// or any row that is refused (its own checks, or a conflict with another
// row), renames nothing. With `dryRun` the plans are told and nothing is
// changed. Else the rows run in order, each told as it ends; a row that
// fails is put back as it was (or, when that fails too, reported file by
// file) and the rows after it are not run. The undo list (when asked for)
// must not exist yet nor be named like a file of any row, in any letter
// case. It is created before the first rename, or removed again when its
// first lines cannot be written, and gets one whole row per renamed
// trend, written as soon as that trend is renamed and before anything is
// told about it, so that it matches the files however the run ends; a row
// it cannot take is cut back off, and stops the run after that trend,
// which is named. A row that the undo run would refuse or could not
// restore byte for byte is warned about before any change. A summary line
// ends every run. The status is kExitRenamed only when every row was
// renamed (with `dryRun`: would be), kExitInterrupted when `stop` was
// seen, else kExitNotRenamed. `progress` is not drawn.
BatchListResult RunBatchList(Env& env, const BatchListOptions& options,
                             BatchListOutput& output);

// RunBatchList with its lines written to `out` and `err` as they are told,
// and the progress bar on `err` when asked for; returns the status.
int RunBatchList(Env& env, const BatchListOptions& options, std::ostream& out,
                 std::ostream& err);

}  // namespace morvelle

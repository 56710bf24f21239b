// What the "Many trends" window shows when a Rename, an Undo last run or a
// Recover has ended, whatever toolkit draws it: the counts first, the
// lists the run read and wrote, then a line for every trend with the ones
// that went wrong first, and whatever else the run told. It is made from
// the run's own results, row by row, so that a run of any length reads
// the same, in a window that scrolls rather than in a message box that
// outgrows the screen.
#pragma once

#include <string>
#include <vector>

#include "app/RenameRuns.h"
#include "ui/ManyTrends.h"

namespace morvelle {

enum class RunKind { kRename, kUndo, kRecover };

struct RunReport {
  std::string caption;  // of the report's window: "Morvelle - Rename"
  // How the run ended, in a sentence: "Rename: every trend was renamed."
  std::string heading;
  bool ok = false;  // everything the run set out to do was done
  // "2 renamed, 0 unchanged, 0 refused, 0 failed, 0 not run"; a recovery
  // counts "1 put back, 0 left renamed, 0 untouched, 0 not recovered". A
  // message counts nothing: empty.
  std::string counts;
  // "List run: PATH" and "Undo list: PATH", or the folder recovered.
  std::vector<std::string> paths;
  // A heading for each outcome met, with its count ("Failed (1):"), the
  // trends that went wrong first, each trend under it on a line of its own
  // starting with two spaces (the further lines of its message with
  // four).
  std::vector<std::string> log;
  // What the run told besides its rows and its summary: problems of the
  // list or the undo list, warnings, why it stopped.
  std::vector<std::string> messages;

  // The heading, and the counts under it when there are any.
  std::string Top() const;
  // Everything above, line by line, each line ended: what Copy and Save
  // as give.
  std::string Text() const;
};

// The report of a Rename (`kind` kRename) or an Undo last run (kUndo) of
// `files`, which ended as `run`. `table` holds the rows the window showed
// when it started: those the run did not name count as unchanged.
RunReport ReportOfRun(RunKind kind, const RunFiles& files, const ListRun& run,
                      const std::vector<ManyRow>& table);

// The report of a Recover.
RunReport ReportOfRecovery(const FolderRecovery& recovery);

// A message of more lines than a message box shows on a screen, as a
// report titled "Morvelle": its first line as the heading, no counts, and
// every other line in the log.
RunReport ReportOfMessage(const std::string& text);

}  // namespace morvelle

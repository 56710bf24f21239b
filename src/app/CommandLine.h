// The command line: which mode the program runs in, and its values.
//
//   morvelle                                   the window
//   morvelle HST NEWTAG NEWPATH                rename one trend
//   morvelle --dry-run [--json] HST NEWTAG NEWPATH
//                                              show that rename's plan
//   morvelle --info [--json] HST               show what a trend holds
//   morvelle --list FOLDER [--json]            list the trends of a folder
//   morvelle --recover [FOLDER | HST]          put back interrupted runs
//   morvelle --check [FOLDER | HST] [--json]   tell which trends are damaged
//   morvelle --repair [--dry-run] [FOLDER | HST]
//                                              finish half-done renames
//   morvelle --many [FOLDER]                   the "Many trends" window
//   morvelle --batch LIST [--dry-run] [--json] [--undo-list FILE]
//                                              rename every trend of a list
//   morvelle --help | --version
//
// Options come before the values; "--" ends them, for a history file whose
// name starts with "--". After the first value everything is a value, so
// a tag may start with "--".
#pragma once

#include <atomic>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/BatchMode.h"
#include "platform/Status.h"

namespace morvelle {

class Env;

enum class CommandKind {
  kHelp,
  kVersion,
  kRename,
  kInfo,
  kBatchList,
  kList,
  kRecover,
  kCheck,
  kRepair,
  kManyTrends
};

struct Command {
  CommandKind kind = CommandKind::kHelp;
  bool dryRun = false;   // kRename, kBatchList, kRepair: plan only
  bool json = false;     // kInfo, kList, kCheck, kBatchList, kRename (dry run)
  BatchValues values;    // kRename
  std::string hstPath;   // kInfo
  std::string listPath;  // kBatchList
  std::string undoListPath;  // kBatchList; empty when none is asked for
  // kList, kManyTrends, kRecover, kCheck, kRepair (may be empty; for the
  // last three also a history file)
  std::string folder;
};

// How the three values of a rename are taken from the values after the
// options: ParseBatchArguments, or the platform's own reading of the raw
// command line (StartUp.h).
using BatchValuesReader =
    std::optional<BatchValues> (*)(const std::vector<std::string>& values);

// The command for the arguments after the program name (at least one), or
// why they make no sense (kInvalidArgument).
Result<Command> ParseCommandLine(
    const std::vector<std::string>& args,
    BatchValuesReader readValues = ParseBatchArguments);

// True when `command` renames trends (not a dry run, not --info): such a
// run is stopped between steps, never in the middle of one.
bool ChangesFiles(const Command& command);

// Runs `command` and returns the exit status. kManyTrends opens a window,
// which is the program's to do: here it is a usage error. `progress`: standard
// error is a terminal, so a long list may draw a progress bar on `err`. `stop`
// (may be null): once it is true, the trend being renamed is finished or
// put back as it was, a list runs no further row, and the result is
// kExitInterrupted.
int RunCommand(Env& env, const Command& command, bool progress,
               const std::atomic<bool>* stop, std::ostream& out,
               std::ostream& err);

}  // namespace morvelle

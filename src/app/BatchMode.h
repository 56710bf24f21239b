// Batch mode: one rename from three values on the command line, no window.
//
//   morvelle "C:\Temp\Trend1.HST", "Trend1A", "C:\Ostrel\Data\Trend1A"
//
// The values are the history file, the new tag and the new path and file
// name (without extension). Written as on Windows, the values are quoted
// and separated by ", ". On Windows the program gets that text as it was
// typed and splits it at the quotes. A POSIX shell hands over the values
// as arguments of their own, with the quotes removed and the separating
// commas left on the first two.
#pragma once

#include <atomic>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvelle {

class Env;

struct BatchValues {
  std::string hstPath;
  std::string newTag;
  std::string newPath;
};

// Exit statuses of the program.
inline constexpr int kExitRenamed = 0;
inline constexpr int kExitNotRenamed = 1;
inline constexpr int kExitUsage = 2;
// A stop was requested (Ctrl+C, SIGTERM) and the run ended early, as
// shells report a program that SIGINT ended.
inline constexpr int kExitInterrupted = 130;

// Splits a command line at every double quote into pieces 0, 1, 2, ...;
// piece 1 is the history file, piece 3 the new tag, piece 5 the new path,
// and whatever stands between or after them is ignored. Nothing when there
// are fewer than six pieces.
std::optional<BatchValues> SplitAtQuotes(std::string_view commandLine);

// The text after the program name of a Windows command line, from its
// first character that is neither a space nor a tab. The program name
// ends at the first space or tab outside double quotes; its quotes escape
// nothing, as the C runtime reads it.
std::string_view TextAfterProgramName(std::string_view commandLine);

// The three values from the POSIX arguments after the program name. Three
// arguments are the three values as given, except that when the first two
// both end in "," (the Windows form typed into a POSIX shell) that one
// comma is removed from each: a value of its own may end in a comma. One
// argument is a whole Windows command line, split with SplitAtQuotes.
// Nothing for any other number of arguments.
std::optional<BatchValues> ParseBatchArguments(
    const std::vector<std::string>& args);

// Renames the trend. Messages go to `err`, a summary of what became of
// each file to `out` on success. Once `stop` (may be null) is true the
// rename is put back as it was, if it was not complete: kExitInterrupted.
// Else returns kExitRenamed or kExitNotRenamed. Never touches the settings
// store.
int RunBatch(Env& env, const BatchValues& values, const std::atomic<bool>* stop,
             std::ostream& out, std::ostream& err);

// Plans the rename without changing anything: the plan goes to `out`, as
// text or, with `json`, as one "plan" record (AddPlanFields) on a line of
// its own; a refusal goes to `err`. Returns kExitRenamed when the rename
// would go ahead, kExitNotRenamed when it would not.
int RunDryRun(Env& env, const BatchValues& values, bool json, std::ostream& out,
              std::ostream& err);

// The text --help prints.
std::string UsageText();

}  // namespace morvelle

// What start-up needs from the platform: the command line and a place for
// batch mode's text. CommandLinePosix.cpp and CommandLineWindows.cpp
// implement it; CMake picks one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/BatchMode.h"

namespace morvelle {

// The arguments after the program name, as UTF-8. Empty means the window.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The three values of a batch run. POSIX: ParseBatchArguments(args).
// Windows: the raw command line, the text after the program name split
// with SplitAtQuotes; `args` are not used. The C runtime's argument
// splitting would read the backslash of "C:\Data\" as escaping the quote
// after it.
std::optional<BatchValues> BatchValuesOfCommandLine(
    const std::vector<std::string>& args);

// What a batch run has to tell.
struct BatchText {
  std::string out;  // the answer: a rename's summary, the usage, the version
  std::string err;  // warnings and errors
  // The answer was asked for (--help, --version). Where there is no
  // console it is shown all the same; a rename's summary is not, so that a
  // run from a scheduled task never waits for a click.
  bool outAskedFor = false;
};

// POSIX: standard output and standard error. Windows: the handles the
// parent process redirected, else the console the program was started
// from, else a message box titled "Morvelle".
void ShowBatchText(const BatchText& text);

}  // namespace morvelle

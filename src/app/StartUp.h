// What start-up needs from the platform: the command line and where batch
// mode's text goes. StartUpPosix.cpp and StartUpWindows.cpp implement it;
// CMake picks one.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/BatchMode.h"

namespace morvelle {

// Called first. POSIX: opens /dev/null on each of the descriptors 0, 1 and
// 2 that the program was started with closed (as `>&-` leaves them), so
// that no file it opens (an undo list, a trend file) becomes its standard
// input, output or error and has text written over it. False when one
// could not be opened; the program then ends before it opens anything.
// Windows: nothing, true: files are reached through handles, and opening
// one never changes the standard handles.
bool OpenStandardDescriptors();

// POSIX (glibc): a memory block of 128 KiB or more goes back to the system
// when it is freed. glibc does so only until it first sees such a block
// freed; after that it keeps them, and what a rename needed only while it
// was planned (the folder's listing, the lists the plan is checked with)
// would stay in the run's memory to its end. Windows: nothing.
void ReturnLargeBlocksWhenFreed();

// The arguments after the program name, as UTF-8. Empty means the window.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The three values of a rename. POSIX: ParseBatchArguments(args).
// Windows: the raw command line, the text after the program name split
// with SplitAtQuotes; `args` are not used. The C runtime's argument
// splitting would read the backslash of "C:\Data\" as escaping the quote
// after it.
std::optional<BatchValues> BatchValuesOfCommandLine(
    const std::vector<std::string>& args);

// Where batch mode writes its answer (a summary, a plan, the usage, the
// version) and its warnings and errors. POSIX: standard output and
// standard error as they are written. Windows: held until ShowBatchText.
std::ostream& BatchOut();
std::ostream& BatchErr();

// True when BatchErr reaches a terminal, where a progress bar may be drawn.
bool BatchErrIsTerminal();

// Delivers what was written to BatchOut and BatchErr. Windows: to the
// handles the parent process redirected, else the console the program was
// started from, else a message box titled "Morvelle". `outAskedFor`: the
// answer was asked for (--help, --version) and is shown even where there
// is no console; a rename's summary is not, so that a run from a
// scheduled task never waits for a click. False when a write failed (a
// closed pipe, a full disk), so that the run ends with an error.
bool ShowBatchText(bool outAskedFor);

}  // namespace morvelle

// Stopping a run from the command line cleanly: a request to stop (Ctrl+C,
// SIGTERM, closing the terminal or the console) is noted in a flag rather than
// ending the program at once, so that the trend being renamed is finished or
// put back as it was, its undo row written and the summary printed first.
#pragma once

#include <atomic>

namespace morvelle {

// The process-wide stop flag. False until a stop is requested, then true
// for the rest of the run. Lock-free, so a signal handler may set it.
const std::atomic<bool>& StopRequested();

// Sets the stop flag. Safe to call from a signal handler or from the
// thread Windows runs a console control handler on.
void RequestStop();

// Sets up the signals of a run from the command line (not the window's).
// SIGPIPE and SIGXFSZ are ignored (POSIX), so that a reader going away or
// a write past the file size limit (`ulimit -f`) makes the write fail,
// which the run reports and a rename puts back, instead of ending the
// program between two steps of a rename. With `stoppable` (the run changes
// files), the signals that ask a program to end (SIGHUP, SIGINT, SIGQUIT,
// SIGTERM, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF; Windows:
// Ctrl+C, Ctrl+Break, closing the console, logging off, shutting down) call
// RequestStop instead of ending the program; a signal the program was
// started with ignored stays ignored. Without, they end it as usual: a run
// that only reads may end anywhere.
// StartUpPosix.cpp and StartUpWindows.cpp implement it.
void InstallStopHandlers(bool stoppable);

}  // namespace morvelle

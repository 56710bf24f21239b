// Starting a program on Windows with an exact command line. Windows hands
// a program its command line as one string, which the program splits
// itself; this passes the string on untouched.
#pragma once

#include <windows.h>

#include <string>

namespace morvelle::test {

// Runs `commandLine` (UTF-8; the program is the name at its head) with
// `out` and `err` as its standard output and error, and waits for it.
// Returns its exit status, or -1 when it could not be started.
int RunCommandLine(const std::string& commandLine, HANDLE out, HANDLE err);

}  // namespace morvelle::test

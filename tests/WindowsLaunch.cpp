// morvelle_launch: reads one command line from standard input and starts
// it exactly as written, with this program's standard output and error;
// exits with its exit status. Under Wine a Unix shell cannot hand a
// Windows program an exact command line: Wine quotes the arguments anew.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "WindowsProcess.h"

int main() {
  std::string commandLine(std::istreambuf_iterator<char>(std::cin), {});
  while (!commandLine.empty() &&
         (commandLine.back() == '\n' || commandLine.back() == '\r'))
    commandLine.pop_back();
  int status = morvelle::test::RunCommandLine(commandLine,
                                              GetStdHandle(STD_OUTPUT_HANDLE),
                                              GetStdHandle(STD_ERROR_HANDLE));
  if (status == -1) {
    std::fprintf(stderr, "morvelle_launch: cannot start %s (error %lu)\n",
                 commandLine.c_str(), GetLastError());
    return 125;
  }
  return status;
}

#include <unistd.h>

#include <iostream>

#include "app/StartUp.h"

namespace morvelle {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::optional<BatchValues> BatchValuesOfCommandLine(
    const std::vector<std::string>& args) {
  return ParseBatchArguments(args);
}

std::ostream& BatchOut() { return std::cout; }
std::ostream& BatchErr() { return std::cerr; }

bool BatchErrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

void ShowBatchText(bool) {
  std::cerr.flush();
  std::cout.flush();
}

}  // namespace morvelle

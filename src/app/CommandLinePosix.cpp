#include <iostream>

#include "app/CommandLine.h"

namespace morvelle {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::optional<BatchValues> BatchValuesOfCommandLine(
    const std::vector<std::string>& args) {
  return ParseBatchArguments(args);
}

void ShowBatchText(const BatchText& text) {
  std::cerr << text.err << std::flush;
  std::cout << text.out << std::flush;
}

}  // namespace morvelle

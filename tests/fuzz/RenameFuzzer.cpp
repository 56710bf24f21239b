// libFuzzer target: arbitrary bytes as a history file and the entries
// beside it (layout in RenameFuzzCase.h), inspected and renamed in memory,
// with a fault injected where the input says. Any broken promise aborts.
#include <cstdio>
#include <cstdlib>

#include "fuzz/RenameFuzzCase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::vector<std::string> problems =
      morvelle::test::RunFuzzCase(
          morvelle::test::DecodeFuzzCase(data, size))
          .problems;
  for (const std::string& problem : problems)
    std::fprintf(stderr, "broken: %s\n", problem.c_str());
  if (!problems.empty()) std::abort();
  return 0;
}

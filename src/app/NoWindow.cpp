// Stands in for the window in a build that leaves it out.
#include <iostream>

#include "app/BatchMode.h"
#include "app/Interactive.h"
#include "app/Messages.h"

namespace morvelle {

int RunManyTrends(int argc, char** argv, const std::string&) {
  return RunInteractive(argc, argv);
}

int RunInteractive(int, char**) {
  std::cerr << UsageErrorText(
      "the window: this build of Morvelle has none; use the command line");
  return kExitUsage;
}

}  // namespace morvelle

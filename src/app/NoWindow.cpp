// Stands in for the window in a build that leaves it out.
#include <iostream>

#include "app/BatchMode.h"
#include "app/Interactive.h"

namespace morvelle {

int RunManyTrends(int argc, char** argv, const std::string&) {
  return RunInteractive(argc, argv);
}

int RunInteractive(int, char**) {
  std::cerr << "This build of Morvelle has no window; use batch mode.\n\n"
            << UsageText();
  return kExitUsage;
}

}  // namespace morvelle

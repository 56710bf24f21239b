// Start-up: with values on the command line Morvelle renames one trend and
// ends without a window (and without a GUI application object, so it runs
// where there is no display); without, it opens the window.
#include <iostream>
#include <string>
#include <vector>

#include "app/AppInfo.h"
#include "app/BatchMode.h"
#include "app/Interactive.h"
#include "platform/Env.h"

int main(int argc, char** argv) {
  using namespace morvelle;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return RunInteractive(argc, argv);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << UsageText();
    return kExitRenamed;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::cout << VersionText() << "\n";
    return kExitRenamed;
  }
  std::optional<BatchValues> values = ParseBatchArguments(args);
  if (!values) {
    std::cerr << "Morvelle needs three values: history file, new tag, new "
                 "path.\n\n"
              << UsageText();
    return kExitUsage;
  }
  return RunBatch(Env::Default(), *values, std::cout, std::cerr);
}

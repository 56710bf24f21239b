// Start-up: with values on the command line Morvelle renames, plans or
// shows trends and ends without a window (and without a GUI application
// object, so it runs where there is no display); without, it opens the
// window.
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define MORVELLE_ISATTY _isatty
#else
#include <unistd.h>
#define MORVELLE_ISATTY isatty
#endif

#include "app/BatchMode.h"
#include "app/CommandLine.h"
#include "app/Interactive.h"
#include "platform/Env.h"

int main(int argc, char** argv) {
  using namespace morvelle;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return RunInteractive(argc, argv);
  std::string problem;
  std::optional<Command> command = ParseCommandLine(args, &problem);
  if (!command) {
    std::cerr << problem << "\n\n" << UsageText();
    return kExitUsage;
  }
  return RunCommand(Env::Default(), *command, MORVELLE_ISATTY(2) != 0,
                    std::cout, std::cerr);
}

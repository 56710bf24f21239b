// Start-up: with values on the command line Morvelle renames, plans or
// shows trends and ends without a window (and without a GUI application
// object, so it runs where there is no display); without, it opens the
// window.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/BatchMode.h"
#include "app/CommandLine.h"
#include "app/Interactive.h"
#include "app/StartUp.h"
#include "platform/Env.h"

int main(int argc, char** argv) {
  using namespace morvelle;
  std::vector<std::string> args = ProgramArguments(argc, argv);
  if (args.empty()) return RunInteractive(argc, argv);
  std::string problem;
  std::optional<Command> command =
      ParseCommandLine(args, &problem, BatchValuesOfCommandLine);
  int status = kExitUsage;
  if (command)
    status = RunCommand(Env::Default(), *command, BatchErrIsTerminal(),
                        BatchOut(), BatchErr());
  else
    BatchErr() << problem << "\n\n" << UsageText();
  ShowBatchText(command && (command->kind == CommandKind::kHelp ||
                            command->kind == CommandKind::kVersion));
  return status;
}

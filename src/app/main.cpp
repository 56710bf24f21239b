// Start-up: with values on the command line Morvelle renames, plans or
// shows trends and ends without a window (and without a GUI application
// object, so it runs where there is no display); without, it opens the
// window.
#include <ostream>
#include <string>
#include <vector>

#include "app/BatchMode.h"
#include "app/CommandLine.h"
#include "app/Interactive.h"
#include "app/Messages.h"
#include "app/StartUp.h"
#include "app/StopRequest.h"
#include "platform/Env.h"

int main(int argc, char** argv) {
  using namespace morvelle;
  if (!OpenStandardDescriptors()) return kExitNotRenamed;
  std::vector<std::string> args = ProgramArguments(argc, argv);
  if (args.empty()) return RunInteractive(argc, argv);
  Result<Command> command = ParseCommandLine(args, BatchValuesOfCommandLine);
  if (command.ok() && command->kind == CommandKind::kManyTrends)
    return RunManyTrends(argc, argv, command->folder);
  ReturnLargeBlocksWhenFreed();
  bool stoppable = command.ok() && ChangesFiles(*command);
  InstallStopHandlers(stoppable);
  int status = kExitUsage;
  if (command.ok())
    status = RunCommand(Env::Default(), *command, BatchErrIsTerminal(),
                        &StopRequested(), BatchOut(), BatchErr());
  else
    BatchErr() << UsageErrorText(command.status().ToString());
  bool shown =
      ShowBatchText(command.ok() && (command->kind == CommandKind::kHelp ||
                                     command->kind == CommandKind::kVersion));
  // Checked once the output is written: a run asked to stop says so
  // whatever it got done, even when the request came while it wrote; output
  // that could not be written makes a success a failure.
  if (stoppable && StopRequested()) return kExitInterrupted;
  if (!shown && status == kExitRenamed) return kExitNotRenamed;
  return status;
}

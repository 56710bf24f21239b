// Start-up: with values on the command line Morvelle renames one trend and
// ends without a window (and without a GUI application object, so it runs
// where there is no display); without, it opens the window.
#include <sstream>
#include <string>
#include <vector>

#include "app/AppInfo.h"
#include "app/BatchMode.h"
#include "app/CommandLine.h"
#include "app/Interactive.h"
#include "platform/Env.h"

namespace {

using namespace morvelle;

// Help, version or a rename; what it has to tell goes to `*text`.
int RunCommandLine(const std::vector<std::string>& args, BatchText* text) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    text->out = UsageText();
    text->outAskedFor = true;
    return kExitRenamed;
  }
  if (args.size() == 1 && args[0] == "--version") {
    text->out = VersionText() + "\n";
    text->outAskedFor = true;
    return kExitRenamed;
  }
  std::optional<BatchValues> values = BatchValuesOfCommandLine(args);
  if (!values) {
    text->err =
        "Morvelle needs three values: history file, new tag, new path.\n\n" +
        UsageText();
    return kExitUsage;
  }
  std::ostringstream out, err;
  int status = RunBatch(Env::Default(), *values, out, err);
  text->out = out.str();
  text->err = err.str();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = ProgramArguments(argc, argv);
  if (args.empty()) return RunInteractive(argc, argv);
  BatchText text;
  int status = RunCommandLine(args, &text);
  ShowBatchText(text);
  return status;
}

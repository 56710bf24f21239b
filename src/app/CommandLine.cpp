#include "app/CommandLine.h"

#include <ostream>

#include "app/AppInfo.h"
#include "app/BatchList.h"
#include "app/FolderList.h"
#include "app/InfoMode.h"
#include "app/RecoverMode.h"
#include "platform/Text.h"

namespace morvelle {
namespace {

struct Options {
  bool help = false, version = false, info = false, json = false,
       dryRun = false, many = false, recover = false;
  std::optional<std::string> batch, undoList, list;
  std::vector<std::string> values;
};

bool IsOption(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-';
}

// Splits `args` into options and values; false with `*problem` for an
// option that is unknown or lacks its file.
bool ReadOptions(const std::vector<std::string>& args, Options* options,
                 std::string* problem) {
  std::size_t i = 0;
  for (; i < args.size() && IsOption(args[i]); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--version") {
      options->version = true;
    } else if (arg == "--info") {
      options->info = true;
    } else if (arg == "--json") {
      options->json = true;
    } else if (arg == "--dry-run") {
      options->dryRun = true;
    } else if (arg == "--many") {
      options->many = true;
    } else if (arg == "--recover") {
      options->recover = true;
    } else if (arg == "--batch" || arg == "--undo-list" || arg == "--list") {
      if (i + 1 == args.size()) {
        *problem = arg + (arg == "--list" ? " needs a folder."
                                          : " needs a file name.");
        return false;
      }
      (arg == "--batch"  ? options->batch
       : arg == "--list" ? options->list
                         : options->undoList) = args[++i];
    } else {
      *problem = "Unknown option '" + EscapeControlCharacters(arg) + "'.";
      return false;
    }
  }
  options->values.assign(args.begin() + static_cast<std::ptrdiff_t>(i),
                         args.end());
  return true;
}

std::optional<Command> Refuse(const std::string& why, std::string* problem) {
  *problem = why;
  return std::nullopt;
}

}  // namespace

std::optional<Command> ParseCommandLine(const std::vector<std::string>& args,
                                        std::string* problem,
                                        BatchValuesReader readValues) {
  Options options;
  if (!ReadOptions(args, &options, problem)) return std::nullopt;
  Command command;
  if (options.help || options.version) {
    if (args.size() != 1) return Refuse(args[0] + " stands alone.", problem);
    command.kind = options.help ? CommandKind::kHelp : CommandKind::kVersion;
    return command;
  }
  if (options.json && !options.info && !options.list)
    return Refuse("--json goes with --info or --list.", problem);
  if (options.undoList && !options.batch)
    return Refuse("--undo-list goes with --batch.", problem);
  if (options.info) {
    if (options.batch || options.dryRun)
      return Refuse(
          "--info shows one trend and changes nothing; it takes "
          "no other option but --json.",
          problem);
    if (options.values.size() != 1)
      return Refuse("--info needs one value: the history file.", problem);
    command.kind = CommandKind::kInfo;
    command.json = options.json;
    command.hstPath = options.values[0];
    return command;
  }
  if (options.recover) {
    if (args.size() > 2 || options.values.size() != args.size() - 1)
      return Refuse(
          "--recover takes one value at most: the folder or the history "
          "file.",
          problem);
    command.kind = CommandKind::kRecover;
    command.folder = options.values.empty() ? "" : options.values[0];
    return command;
  }
  if (options.many) {
    if (args.size() > 2 || options.values.size() != args.size() - 1)
      return Refuse("--many takes one value at most: the folder of trends.",
                    problem);
    command.kind = CommandKind::kManyTrends;
    command.folder = options.values.empty() ? "" : options.values[0];
    return command;
  }
  if (options.list) {
    if (options.batch || options.dryRun || options.undoList ||
        !options.values.empty())
      return Refuse(
          "--list shows the trends of one folder and changes nothing; it "
          "takes no other option but --json.",
          problem);
    command.kind = CommandKind::kList;
    command.json = options.json;
    command.folder = *options.list;
    return command;
  }
  command.dryRun = options.dryRun;
  if (options.batch) {
    if (!options.values.empty())
      return Refuse(
          "--batch takes its trends from the list, not from "
          "values on the command line.",
          problem);
    command.kind = CommandKind::kBatchList;
    command.listPath = *options.batch;
    command.undoListPath = options.undoList.value_or("");
    return command;
  }
  std::optional<BatchValues> values = readValues(options.values);
  if (!values)
    return Refuse(
        "Morvelle needs three values: history file, new tag, new path.",
        problem);
  command.kind = CommandKind::kRename;
  command.values = *values;
  return command;
}

bool ChangesFiles(const Command& command) {
  return command.kind == CommandKind::kRecover ||
         (!command.dryRun && (command.kind == CommandKind::kRename ||
                              command.kind == CommandKind::kBatchList));
}

int RunCommand(Env& env, const Command& command, bool progress,
               const std::atomic<bool>* stop, std::ostream& out,
               std::ostream& err) {
  switch (command.kind) {
    case CommandKind::kHelp:
      out << UsageText();
      return kExitRenamed;
    case CommandKind::kVersion:
      out << VersionText() << "\n";
      return kExitRenamed;
    case CommandKind::kRename:
      return command.dryRun ? RunDryRun(env, command.values, out, err)
                            : RunBatch(env, command.values, stop, out, err);
    case CommandKind::kInfo:
      return RunInfo(env, command.hstPath, command.json, out, err);
    case CommandKind::kList:
      return RunList(env, command.folder, command.json, out, err);
    case CommandKind::kRecover:
      return RunRecover(env, command.folder, out, err);
    case CommandKind::kManyTrends:
      break;  // a window, which the program opens itself
    case CommandKind::kBatchList: {
      BatchListOptions options;
      options.listPath = command.listPath;
      options.undoListPath = command.undoListPath;
      options.dryRun = command.dryRun;
      options.progress = progress;
      options.stop = stop;
      return RunBatchList(env, options, out, err);
    }
  }
  return kExitUsage;
}

}  // namespace morvelle

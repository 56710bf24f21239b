#include "app/CommandLine.h"

#include <ostream>

#include "app/AppInfo.h"
#include "app/BatchList.h"
#include "app/CheckMode.h"
#include "app/FolderList.h"
#include "app/InfoMode.h"
#include "app/RecoverMode.h"
#include "app/RenameList.h"
#include "app/RepairMode.h"
#include "platform/Text.h"

namespace morvelle {
namespace {

struct Options {
  bool help = false, version = false, info = false, json = false,
       dryRun = false, many = false, recover = false, check = false,
       repair = false;
  std::optional<std::string> batch, undoList, list;
  std::string checkTarget;  // the value right after --check, if any
  std::vector<std::string> values;
};

// "/?" is how Windows programs are asked for help.
bool IsOption(const std::string& arg) {
  return (arg.size() > 1 && arg[0] == '-') || arg == "/?";
}

Status Usage(std::string why) {
  return Status::Message(ErrorKind::kInvalidArgument, std::move(why));
}

// Splits `args` into options and values; fails for an option that is
// unknown or lacks its file.
Status ReadOptions(const std::vector<std::string>& args, Options* options) {
  std::size_t i = 0;
  for (; i < args.size() && IsOption(args[i]); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--help" || arg == "-h" || arg == "/?") {
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
    } else if (arg == "--check") {
      // Its value may come before --json, as --list's does.
      options->check = true;
      if (i + 1 < args.size() && !IsOption(args[i + 1]))
        options->checkTarget = args[++i];
    } else if (arg == "--repair") {
      options->repair = true;
    } else if (arg == "--batch" || arg == "--undo-list" || arg == "--list") {
      if (i + 1 == args.size())
        return Usage(arg + (arg == "--list" ? ": needs a folder"
                                            : ": needs a file name"));
      (arg == "--batch"  ? options->batch
       : arg == "--list" ? options->list
                         : options->undoList) = args[++i];
    } else {
      return Usage(EscapeControlCharacters(arg) + ": no such option");
    }
  }
  options->values.assign(args.begin() + static_cast<std::ptrdiff_t>(i),
                         args.end());
  return Status::Ok();
}

// Refuses a "-" for `value`, which `what` names: standard input is read
// for a list only.
Status NotStandardInput(const std::string& value, const std::string& what) {
  if (value != kStandardInputName) return Status::Ok();
  return Usage(what + " '-': only --batch reads standard input");
}

// The values of `command` that name a file, a folder or a tag, each
// refused when it is "-".
Status NoStandardInputValue(const Command& command) {
  const BatchValues& values = command.values;
  Status s;
  for (const auto& [value, what] :
       {std::pair{&command.hstPath, "the history file"},
        std::pair{&values.hstPath, "the history file"},
        std::pair{&values.newTag, "the new tag"},
        std::pair{&values.newPath, "the new path"},
        std::pair{&command.folder, "the folder"},
        std::pair{&command.undoListPath, "the undo list"}})
    if (s.ok()) s = NotStandardInput(*value, what);
  return s;
}

Result<Command> ReadCommand(const std::vector<std::string>& args,
                            BatchValuesReader readValues) {
  Options options;
  Status s = ReadOptions(args, &options);
  if (!s.ok()) return s;
  Command command;
  if (options.help || options.version) {
    if (args.size() != 1)
      return Usage(args[0] + ": takes no other option or value");
    command.kind = options.help ? CommandKind::kHelp : CommandKind::kVersion;
    return command;
  }
  if (options.json && !options.info && !options.list && !options.check &&
      !options.dryRun && !options.batch)
    return Usage(
        "--json: goes with --info, --list, --check, --dry-run or --batch");
  if (options.undoList && !options.batch)
    return Usage("--undo-list: goes with --batch");
  if (options.info) {
    if (options.batch || options.dryRun)
      return Usage("--info: takes no other option but --json");
    if (options.values.size() != 1)
      return Usage("--info: needs one value, the history file");
    command.kind = CommandKind::kInfo;
    command.json = options.json;
    command.hstPath = options.values[0];
    return command;
  }
  if (options.repair) {
    if (options.values.size() > 1 || options.json || options.check ||
        options.batch || options.list || options.recover || options.many)
      return Usage(
          "--repair: takes one value at most, the folder or the history "
          "file, and no other option but --dry-run");
    command.kind = CommandKind::kRepair;
    command.dryRun = options.dryRun;
    command.folder = options.values.empty() ? "" : options.values[0];
    return command;
  }
  if (options.check) {
    std::vector<std::string>& values = options.values;
    if (!options.checkTarget.empty())
      values.insert(values.begin(), options.checkTarget);
    if (values.size() > 1 || options.info || options.batch || options.dryRun ||
        options.list || options.recover || options.many)
      return Usage(
          "--check: takes one value at most, the folder or the history "
          "file, and no other option but --json");
    command.kind = CommandKind::kCheck;
    command.json = options.json;
    command.folder = values.empty() ? "" : values[0];
    return command;
  }
  if (options.recover) {
    if (args.size() > 2 || options.values.size() != args.size() - 1)
      return Usage(
          "--recover: takes one value at most, the folder or the history "
          "file");
    command.kind = CommandKind::kRecover;
    command.folder = options.values.empty() ? "" : options.values[0];
    return command;
  }
  if (options.many) {
    if (args.size() > 2 || options.values.size() != args.size() - 1)
      return Usage("--many: takes one value at most, the folder of trends");
    command.kind = CommandKind::kManyTrends;
    command.folder = options.values.empty() ? "" : options.values[0];
    return command;
  }
  if (options.list) {
    if (options.batch || options.dryRun || options.undoList ||
        !options.values.empty())
      return Usage("--list: takes no value and no other option but --json");
    command.kind = CommandKind::kList;
    command.json = options.json;
    command.folder = *options.list;
    return command;
  }
  command.dryRun = options.dryRun;
  command.json = options.json;
  if (options.batch) {
    if (!options.values.empty())
      return Usage(
          "--batch: takes its trends from the list, not from values on the "
          "command line");
    command.kind = CommandKind::kBatchList;
    command.listPath = *options.batch;
    command.undoListPath = options.undoList.value_or("");
    return command;
  }
  std::optional<BatchValues> values = readValues(options.values);
  if (!values)
    return Usage(
        "a rename needs three values: history file, new tag, new path");
  command.kind = CommandKind::kRename;
  command.values = *values;
  return command;
}

}  // namespace

Result<Command> ParseCommandLine(const std::vector<std::string>& args,
                                 BatchValuesReader readValues) {
  Result<Command> command = ReadCommand(args, readValues);
  if (!command.ok()) return command;
  Status s = NoStandardInputValue(*command);
  if (!s.ok()) return s;
  return command;
}

bool ChangesFiles(const Command& command) {
  return command.kind == CommandKind::kRecover ||
         (!command.dryRun && (command.kind == CommandKind::kRename ||
                              command.kind == CommandKind::kBatchList ||
                              command.kind == CommandKind::kRepair));
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
      return command.dryRun
                 ? RunDryRun(env, command.values, command.json, out, err)
                 : RunBatch(env, command.values, stop, out, err);
    case CommandKind::kInfo:
      return RunInfo(env, command.hstPath, command.json, out, err);
    case CommandKind::kList:
      return RunList(env, command.folder, command.json, out, err);
    case CommandKind::kRecover:
      return RunRecover(env, command.folder, out, err);
    case CommandKind::kCheck:
      return RunCheck(env, command.folder, command.json, out, err);
    case CommandKind::kRepair:
      return RunRepair(env, command.folder, command.dryRun, out, err);
    case CommandKind::kManyTrends:
      break;  // a window, which the program opens itself
    case CommandKind::kBatchList: {
      BatchListOptions options;
      options.listPath = command.listPath;
      options.undoListPath = command.undoListPath;
      options.dryRun = command.dryRun;
      options.json = command.json;
      options.progress = progress;
      options.stop = stop;
      return RunBatchList(env, options, out, err);
    }
  }
  return kExitUsage;
}

}  // namespace morvelle

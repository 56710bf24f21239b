#include "app/BatchMode.h"

#include <ostream>

#include "app/Messages.h"
#include "app/PlanText.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

void PrintSummary(const RenameReport& report, std::ostream& out) {
  const RenamePlan& plan = report.plan;
  out << "Renamed trend '" << EscapeControlCharacters(plan.hstPath) << "':\n";
  for (const FileChange* file : FilesByName(plan))
    if (file->renamed())
      out << "  " << EscapeControlCharacters(FileNameOf(file->path)) << " -> "
          << EscapeControlCharacters(FileNameOf(file->newPath)) << "\n";
  std::size_t headers = plan.files.size() - 1;
  // A table with no entry in use is written back as it was.
  out << (plan.header.EntryCount() > 0
              ? "Rewrote the file table and "
              : "Left the file table as it was (no entry in use) and rewrote ")
      << headers << " data-file header" << (headers == 1 ? "" : "s") << ".\n";
  if (plan.skipped.empty()) return;
  out << "Left untouched:\n";
  for (const SkippedFile& file : plan.skipped)
    out << "  " << EscapeControlCharacters(file.name) << " (" << file.reason
        << ")\n";
}

bool EndsWithComma(const std::string& value) {
  return !value.empty() && value.back() == ',';
}

}  // namespace

std::optional<BatchValues> SplitAtQuotes(std::string_view commandLine) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    std::size_t quote = commandLine.find('"', start);
    pieces.push_back(commandLine.substr(start, quote - start));
    if (quote == std::string_view::npos) break;
    start = quote + 1;
  }
  if (pieces.size() < 6) return std::nullopt;
  return BatchValues{std::string(pieces[1]), std::string(pieces[3]),
                     std::string(pieces[5])};
}

std::string_view TextAfterProgramName(std::string_view commandLine) {
  bool quoted = false;
  std::size_t end = 0;
  for (; end < commandLine.size(); ++end) {
    char c = commandLine[end];
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ' ' || c == '\t')) break;
  }
  std::size_t start = commandLine.find_first_not_of(" \t", end);
  return start == std::string_view::npos ? std::string_view()
                                         : commandLine.substr(start);
}

std::optional<BatchValues> ParseBatchArguments(
    const std::vector<std::string>& args) {
  if (args.size() == 1) return SplitAtQuotes(args[0]);
  if (args.size() != 3) return std::nullopt;
  BatchValues values{args[0], args[1], args[2]};
  if (EndsWithComma(values.hstPath) && EndsWithComma(values.newTag)) {
    values.hstPath.pop_back();
    values.newTag.pop_back();
  }
  return values;
}

int RunBatch(Env& env, const BatchValues& values, const std::atomic<bool>* stop,
             std::ostream& out, std::ostream& err) {
  RenameReport report =
      RenameTrend(env, values.hstPath, values.newPath, values.newTag, stop);
  if (!report.ok()) err << ErrorText(report.failure.ToString());
  for (const std::string& warning : report.plan.warnings)
    err << ErrorText("warning: " + warning);
  if (report.outcome == RenameOutcome::kStopped) return kExitInterrupted;
  if (!report.ok()) return kExitNotRenamed;
  PrintSummary(report, out);
  return kExitRenamed;
}

int RunDryRun(Env& env, const BatchValues& values, bool json, std::ostream& out,
              std::ostream& err) {
  RenameReport planned =
      PlanRename(env, values.hstPath, values.newPath, values.newTag);
  if (!planned.ok()) {
    err << ErrorText(planned.failure.ToString());
    return kExitNotRenamed;
  }
  if (json) {
    JsonObject record = JsonRecord("plan");
    AddPlanFields(planned.plan, &record);
    out << JsonLine(record);
    return kExitRenamed;
  }
  DescribePlan(planned.plan, out);
  for (const std::string& warning : planned.plan.warnings)
    out << "Warning: " << warning << "\n";
  out << "Dry run: nothing was changed.\n";
  return kExitRenamed;
}

std::string UsageText() {
  return "Usage:\n"
         "  morvelle                                  open the window\n"
         "  morvelle HST NEWTAG NEWPATH               rename a trend\n"
         "  morvelle --dry-run [--json] HST NEWTAG NEWPATH\n"
         "                                            show the plan, change "
         "nothing\n"
         "  morvelle --info [--json] HST              show what a trend "
         "holds\n"
         "  morvelle --list FOLDER [--json]           list a folder's trends "
         "as a LIST\n"
         "  morvelle --recover [FOLDER | HST]         put back trends a "
         "stopped run\n"
         "                                            left partly renamed\n"
         "  morvelle --check [FOLDER | HST] [--json]  tell which trends are "
         "damaged\n"
         "  morvelle --repair [--dry-run] [FOLDER | HST]\n"
         "                                            finish renames left "
         "half-done\n"
         "  morvelle --many [FOLDER]                  rename many trends in "
         "a window\n"
         "  morvelle --batch LIST [--dry-run] [--json] [--undo-list FILE]\n"
         "                                            rename every trend of "
         "a list\n"
         "  morvelle --help | -h | --version          on Windows /? is help "
         "too\n"
         "\n"
         "HST      the trend's history file, for example /data/Trend1.HST\n"
         "NEWTAG   the new tag name\n"
         "NEWPATH  the new path and file name, without extension\n"
         "LIST     a CSV file, one row per trend: HST,NEWTAG,NEWPATH (blank "
         "lines\n"
         "         and lines starting with # are ignored); - is standard "
         "input\n"
         "FILE     where to write the list that renames every trend back\n"
         "Options go before the values; -- ends them.\n"
         "\n"
         "The Windows form works too; on Windows it is the only one:\n"
         "  morvelle \"C:\\Temp\\Trend1.HST\", \"Trend1A\", "
         "\"C:\\Ostrel\\Data\\Trend1A\"\n"
         "A POSIX shell turns it into three values, and the comma after "
         "each of the\n"
         "first two is dropped when both have one. Given as one argument, "
         "the whole\n"
         "line is split at its double quotes.\n"
         "\n"
         "Errors go to standard error as 'morvelle: WHAT: WHY', one line "
         "each.\n"
         "\n"
         "Exit status:\n"
         "  0    done (with --dry-run: would be done; --info, --list: "
         "shown;\n"
         "       --check: every trend healthy; --repair: every trend "
         "repaired or\n"
         "       healthy)\n"
         "  1    failed or refused (see the message); --check: a problem "
         "found\n"
         "  2    usage: the command line makes no sense\n"
         "  130  stopped on request (Ctrl+C, a stop signal) with every trend "
         "whole\n";
}

}  // namespace morvelle

#include "app/CheckMode.h"

#include <ostream>

#include "app/BatchMode.h"
#include "app/InfoMode.h"
#include "platform/Env.h"
#include "platform/Text.h"
#include "trend/TrendCheck.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

bool Interrupted(const TrendCheck& trend) {
  for (const TrendProblem& problem : trend.problems)
    if (problem.kind == ProblemKind::kPendingRun) return true;
  return false;
}

void PrintProblemLines(const std::string& folder,
                       const std::vector<TrendProblem>& problems,
                       std::ostream& out) {
  for (const TrendProblem& problem : problems) {
    out << EscapeControlCharacters(folder + problem.file) << ": ";
    if (!problem.field.empty()) out << problem.field << ": ";
    out << problem.what << "\n";
  }
}

void PrintText(const FolderCheck& check, std::ostream& out) {
  std::size_t healthy = 0, problems = check.problems.size();
  for (const TrendCheck& trend : check.trends) {
    if (trend.healthy()) {
      ++healthy;
      out << EscapeControlCharacters(trend.hstPath) << ": healthy\n";
    }
    problems += trend.problems.size();
    PrintProblemLines(check.folder, trend.problems, out);
  }
  PrintProblemLines(check.folder, check.problems, out);
  std::size_t trends = check.trends.size();
  out << "Checked " << trends << (trends == 1 ? " trend" : " trends") << " in "
      << EscapeControlCharacters(check.folder) << ": " << healthy
      << " healthy, " << trends - healthy << " damaged; " << problems
      << (problems == 1 ? " problem" : " problems") << " in all\n";
}

const char* Bool(bool b) { return b ? "true" : "false"; }

void PrintJsonProblems(const std::string& folder,
                       const std::vector<TrendProblem>& problems,
                       const char* indent, std::ostream& out) {
  out << "[";
  const char* separator = "";
  for (const TrendProblem& problem : problems) {
    out << separator << "\n"
        << indent << "  {\"kind\": \"" << ProblemKindName(problem.kind)
        << "\", \"file\": " << JsonString(folder + problem.file)
        << ", \"field\": " << JsonString(problem.field)
        << ", \"message\": " << JsonString(problem.what) << "}";
    separator = ",";
  }
  out << (problems.empty() ? "" : "\n") << (problems.empty() ? "" : indent)
      << "]";
}

void PrintJsonTrend(const std::string& folder, const TrendCheck& trend,
                    std::ostream& out) {
  out << "    {\"schema\": 1, \"historyFile\": " << JsonString(trend.hstPath)
      << ", \"healthy\": " << Bool(trend.healthy())
      << ", \"version\": " << trend.header.Version()
      << ", \"entryCount\": " << trend.header.EntryCount()
      << ", \"extraCount\": " << trend.header.ExtraCount()
      << ", \"tableValid\": " << Bool(trend.tableValid())
      << ", \"interrupted\": " << Bool(Interrupted(trend))
      << ", \"path\": " << JsonString(FieldDisplayText(trend.path))
      << ", \"tag\": " << JsonString(FieldDisplayText(trend.tag))
      << ", \"dataFiles\": [";
  const char* separator = "";
  for (const std::string& name : trend.dataFiles) {
    out << separator << JsonString(name);
    separator = ", ";
  }
  out << "],\n     \"problems\": ";
  PrintJsonProblems(folder, trend.problems, "     ", out);
  out << "}";
}

void PrintJson(const FolderCheck& check, std::ostream& out) {
  out << "{\n  \"schema\": 1,\n  \"folder\": " << JsonString(check.folder)
      << ",\n  \"healthy\": " << Bool(check.healthy()) << ",\n  \"trends\": [";
  const char* separator = "\n";
  for (const TrendCheck& trend : check.trends) {
    out << separator;
    PrintJsonTrend(check.folder, trend, out);
    separator = ",\n";
  }
  out << (check.trends.empty() ? "" : "\n  ") << "],\n  \"problems\": ";
  PrintJsonProblems(check.folder, check.problems, "  ", out);
  out << "\n}\n";
}

}  // namespace

Status CheckFolderOrTrend(Env& env, const std::string& target,
                          FolderCheck* check) {
  std::string absolute;
  FileInfo info;
  Status s = env.AbsolutePath(target.empty() ? "." : target, &absolute);
  if (s.ok()) s = env.GetFileInfo(absolute, &info);
  if (!s.ok()) return s;
  return info.type == EntryType::kDirectory ? CheckFolder(env, absolute, check)
                                            : CheckTrend(env, absolute, check);
}

int RunCheck(Env& env, const std::string& target, bool json, std::ostream& out,
             std::ostream& err) {
  FolderCheck check;
  Status s = CheckFolderOrTrend(env, target, &check);
  if (!s.ok()) {
    err << "morvelle: cannot check '"
        << EscapeControlCharacters(target.empty() ? "." : target)
        << "': " << s.ToString() << "\n";
    return kExitNotRenamed;
  }
  if (json)
    PrintJson(check, out);
  else
    PrintText(check, out);
  return check.healthy() ? kExitRenamed : kExitNotRenamed;
}

}  // namespace morvelle

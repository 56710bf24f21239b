#include "app/CheckMode.h"

#include <ostream>

#include "app/BatchMode.h"
#include "app/InfoMode.h"
#include "app/Json.h"
#include "app/Messages.h"
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

std::string TrendJson(const std::string& folder, const TrendCheck& trend) {
  return JsonObject()
      .String("historyFile", trend.hstPath)
      .Bool("healthy", trend.healthy())
      .Number("version", trend.header.Version())
      .Number("entryCount", trend.header.EntryCount())
      .Number("extraCount", trend.header.ExtraCount())
      .Bool("tableValid", trend.tableValid())
      .Bool("interrupted", Interrupted(trend))
      .String("path", FieldDisplayText(trend.path))
      .String("tag", FieldDisplayText(trend.tag))
      .Raw("dataFiles", JsonStrings(trend.dataFiles))
      .Number("dataFileCount", trend.dataFiles.size())
      .Raw("problems", ProblemsJson(folder, trend.problems))
      .Text();
}

// One "check" record: the folder, each trend with its problems, and the
// problems of the folder itself.
void PrintJson(const FolderCheck& check, std::ostream& out) {
  std::vector<std::string> trends;
  for (const TrendCheck& trend : check.trends)
    trends.push_back(TrendJson(check.folder, trend));
  out << JsonLine(
      JsonRecord("check")
          .String("folder", check.folder)
          .Bool("healthy", check.healthy())
          .Raw("trends", JsonArray(trends))
          .Raw("problems", ProblemsJson(check.folder, check.problems)));
}

}  // namespace

std::string ProblemsJson(const std::string& folder,
                         const std::vector<TrendProblem>& problems) {
  std::vector<std::string> objects;
  for (const TrendProblem& problem : problems)
    objects.push_back(JsonObject()
                          .String("problem", ProblemKindName(problem.kind))
                          .String("file", folder + problem.file)
                          .String("field", problem.field)
                          .String("message", problem.what)
                          .Text());
  return JsonArray(objects);
}

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
    err << ErrorText("cannot check '" +
                     EscapeControlCharacters(target.empty() ? "." : target) +
                     "': " + s.ToString());
    return kExitNotRenamed;
  }
  if (json)
    PrintJson(check, out);
  else
    PrintText(check, out);
  return check.healthy() ? kExitRenamed : kExitNotRenamed;
}

}  // namespace morvelle

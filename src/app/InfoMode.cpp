#include "app/InfoMode.h"

#include <ostream>

#include "app/BatchMode.h"
#include "app/Json.h"
#include "app/Messages.h"
#include "platform/Text.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

std::size_t PathEditLimit(const TrendInspection& trend) {
  return LayoutForVersion(trend.header.Version())->PathEditLimit();
}

std::string ShownField(std::string_view raw) {
  return EscapeControlCharacters(FieldDisplayText(raw));
}

void PrintText(const TrendInspection& trend, std::ostream& out) {
  const TrendInfo& info = trend.info;
  out << "History file:  " << EscapeControlCharacters(trend.hstPath) << "\n"
      << "Version:       " << trend.header.Version() << "\n"
      << "EntryCount:    " << trend.header.EntryCount() << "\n"
      << "ExtraCount:    " << trend.header.ExtraCount() << "\n";
  if (!trend.tableValid)
    out << "File table:    invalid counts; a rename refuses this trend\n";
  if (!trend.interrupted.ok())
    out << "Interrupted:   a run renaming this trend was stopped; run "
           "morvelle --recover\n";
  out << "Path:          " << ShownField(info.path) << "\n"
      << "Tag:           " << ShownField(info.tag) << "\n"
      << "Path field:    " << info.pathWidth << " characters; new paths up to "
      << PathEditLimit(trend) << " keep a 3-digit extension\n"
      << "Tag field:     " << info.tagWidth << " characters\n"
      << "Data files:    " << trend.files.dataFiles.size() << "\n";
  for (const std::string& name : trend.files.dataFiles)
    out << "  " << EscapeControlCharacters(name) << "\n";
  out << "Skipped:       " << trend.files.skipped.size() << "\n";
  for (const SkippedFile& file : trend.files.skipped)
    out << "  " << EscapeControlCharacters(file.name) << " (" << file.reason
        << ")\n";
}

void PrintJson(const TrendInspection& trend, std::ostream& out) {
  const TrendInfo& info = trend.info;
  out << "{\n"
      << "  \"historyFile\": " << JsonString(trend.hstPath) << ",\n"
      << "  \"version\": " << trend.header.Version() << ",\n"
      << "  \"entryCount\": " << trend.header.EntryCount() << ",\n"
      << "  \"extraCount\": " << trend.header.ExtraCount() << ",\n"
      << "  \"tableValid\": " << (trend.tableValid ? "true" : "false") << ",\n"
      << "  \"interrupted\": " << (trend.interrupted.ok() ? "false" : "true")
      << ",\n"
      << "  \"path\": " << JsonString(FieldDisplayText(info.path)) << ",\n"
      << "  \"tag\": " << JsonString(FieldDisplayText(info.tag)) << ",\n"
      << "  \"pathWidth\": " << info.pathWidth << ",\n"
      << "  \"tagWidth\": " << info.tagWidth << ",\n"
      << "  \"pathEditLimit\": " << PathEditLimit(trend) << ",\n"
      << "  \"tagEditLimit\": " << info.tagWidth << ",\n"
      << "  \"dataFiles\": [";
  const char* separator = "";
  for (const std::string& name : trend.files.dataFiles) {
    out << separator << "\n    " << JsonString(name);
    separator = ",";
  }
  out << (trend.files.dataFiles.empty() ? "" : "\n  ") << "],\n"
      << "  \"skipped\": [";
  separator = "";
  for (const SkippedFile& file : trend.files.skipped) {
    out << separator << "\n    {\"name\": " << JsonString(file.name)
        << ", \"reason\": " << JsonString(file.reason) << "}";
    separator = ",";
  }
  out << (trend.files.skipped.empty() ? "" : "\n  ") << "]\n}\n";
}

}  // namespace

int RunInfo(Env& env, const std::string& hstPath, bool json, std::ostream& out,
            std::ostream& err) {
  TrendInspection trend;
  Status s = InspectTrend(env, hstPath, &trend);
  if (!s.ok())
    err << ErrorText(s.ToString());
  else if (json)
    PrintJson(trend, out);
  else
    PrintText(trend, out);
  if (!trend.interrupted.ok()) err << ErrorText(trend.interrupted.ToString());
  return s.ok() && trend.interrupted.ok() ? kExitRenamed : kExitNotRenamed;
}

}  // namespace morvelle

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

JsonObject InfoJson(const TrendInspection& trend) {
  JsonObject record = JsonRecord("trend");
  AddTrendFields(trend, &record);
  record.Number("pathWidth", trend.info.pathWidth)
      .Number("tagWidth", trend.info.tagWidth)
      .Number("pathEditLimit", PathEditLimit(trend))
      .Number("tagEditLimit", trend.info.tagWidth)
      .Raw("skipped", SkippedJson(trend.files.skipped));
  return record;
}

void PrintText(const TrendInspection& trend, std::ostream& out) {
  const TrendInfo& info = trend.info;
  out << "History file:  " << EscapeControlCharacters(trend.hstPath) << "\n"
      << "Version:       " << trend.header.Version() << "\n"
      << "EntryCount:    " << trend.header.EntryCount() << "\n"
      << "ExtraCount:    " << trend.header.ExtraCount() << "\n";
  if (!trend.tableValid)
    out << "File table:    " << trend.tableProblem
        << "; a rename refuses this trend\n";
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

}  // namespace

std::string SkippedJson(const std::vector<SkippedFile>& skipped) {
  std::vector<std::string> files;
  for (const SkippedFile& file : skipped)
    files.push_back(JsonObject()
                        .String("name", file.name)
                        .String("reason", file.reason)
                        .Text());
  return JsonArray(files);
}

void AddTrendFields(const TrendInspection& trend, JsonObject* object) {
  object->String("historyFile", trend.hstPath)
      .String("tag", FieldDisplayText(trend.info.tag))
      .String("path", FieldDisplayText(trend.info.path))
      .Number("version", trend.header.Version())
      .Number("entryCount", trend.header.EntryCount())
      .Number("extraCount", trend.header.ExtraCount())
      .Bool("tableValid", trend.tableValid)
      .Bool("interrupted", !trend.interrupted.ok())
      .Raw("dataFiles", JsonStrings(trend.files.dataFiles))
      .Number("dataFileCount", trend.files.dataFiles.size());
}

int RunInfo(Env& env, const std::string& hstPath, bool json, std::ostream& out,
            std::ostream& err) {
  TrendInspection trend;
  Status s = InspectTrend(env, hstPath, &trend);
  if (!s.ok())
    err << ErrorText(s.ToString());
  else if (json)
    out << JsonLine(InfoJson(trend));
  else
    PrintText(trend, out);
  if (!trend.interrupted.ok()) err << ErrorText(trend.interrupted.ToString());
  return s.ok() && trend.interrupted.ok() ? kExitRenamed : kExitNotRenamed;
}

}  // namespace morvelle

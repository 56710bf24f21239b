#include "app/PlanText.h"

#include <algorithm>
#include <ostream>

#include "app/InfoMode.h"
#include "platform/Text.h"
#include "trend/FileTools.h"

namespace morvelle {
namespace {

std::string Shown(const std::string& raw) {
  return "'" + EscapeControlCharacters(FieldDisplayText(raw)) + "'";
}

}  // namespace

std::vector<const FileChange*> FilesByName(const RenamePlan& plan) {
  std::vector<const FileChange*> files;
  files.reserve(plan.files.size());
  for (const FileChange& file : plan.files) files.push_back(&file);
  if (!files.empty())
    std::sort(files.begin() + 1, files.end(),
              [](const FileChange* a, const FileChange* b) {
                return a->path < b->path;
              });
  return files;
}

void DescribePlan(const RenamePlan& plan, std::ostream& out) {
  out << "Trend '" << EscapeControlCharacters(plan.hstPath) << "' (version "
      << plan.header.Version() << ", EntryCount " << plan.header.EntryCount()
      << ", ExtraCount " << plan.header.ExtraCount() << ")\n";
  std::vector<EntryChange> changes = PlannedEntryChanges(plan);
  for (std::size_t i = 0; i < changes.size(); ++i)
    out << "  entry " << i << ": " << Shown(changes[i].oldPath) << " -> "
        << Shown(changes[i].newPath) << ",\n           tag "
        << Shown(changes[i].oldTag) << " -> " << Shown(changes[i].newTag)
        << "\n";
  if (changes.empty())
    out << "  no table entry in use: the table is written back unchanged\n";
  if (plan.files.size() > 1)
    out << "  data-file headers: tag -> "
        << Shown(plan.tagField.substr(0, plan.layout.tagWidth)) << "\n";
  for (const FileChange* file : FilesByName(plan))
    out << "  " << EscapeControlCharacters(FileNameOf(file->path))
        << (file->renamed()
                ? " -> " + EscapeControlCharacters(FileNameOf(file->newPath))
                : " (keeps its name)")
        << "\n";
  for (const SkippedFile& file : plan.skipped)
    out << "  left untouched: " << EscapeControlCharacters(file.name) << " ("
        << file.reason << ")\n";
}

void AddPlanFields(const RenamePlan& plan, JsonObject* object) {
  std::vector<std::string> entries, files;
  for (const EntryChange& change : PlannedEntryChanges(plan))
    entries.push_back(JsonObject()
                          .String("path", FieldDisplayText(change.oldPath))
                          .String("newPath", FieldDisplayText(change.newPath))
                          .String("tag", FieldDisplayText(change.oldTag))
                          .String("newTag", FieldDisplayText(change.newTag))
                          .Text());
  for (const FileChange* file : FilesByName(plan))
    files.push_back(JsonObject()
                        .String("name", FileNameOf(file->path))
                        .String("newName", FileNameOf(file->newPath))
                        .Text());
  object->String("historyFile", plan.hstPath)
      .Number("version", plan.header.Version())
      .Number("entryCount", plan.header.EntryCount())
      .Number("extraCount", plan.header.ExtraCount())
      .Raw("entries", JsonArray(entries))
      .Raw("files", JsonArray(files))
      .Raw("skipped", SkippedJson(plan.skipped))
      .Raw("warnings", JsonStrings(plan.warnings));
}

}  // namespace morvelle

#include "app/PlanText.h"

#include <ostream>

#include "app/ShownText.h"
#include "trend/FileTools.h"

namespace morvelle {
namespace {

std::string Shown(const std::string& raw) {
  return "'" + EscapeControlCharacters(FieldDisplayText(raw)) + "'";
}

}  // namespace

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
  if (plan.steps.size() > plan.firstDataStep)
    out << "  data-file headers: tag -> "
        << Shown(plan.tagField.substr(0, plan.layout.tagWidth)) << "\n";
  const std::vector<RenameStep>& steps = plan.steps;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].kind == StepKind::kRename) continue;
    out << "  " << FileNameOf(steps[i].path);
    bool renamed =
        i + 1 < steps.size() && steps[i + 1].kind == StepKind::kRename;
    out << (renamed ? " -> " + FileNameOf(steps[i + 1].newPath)
                    : " (keeps its name)")
        << "\n";
  }
  for (const SkippedFile& file : plan.skipped)
    out << "  left untouched: " << EscapeControlCharacters(file.name) << " ("
        << file.reason << ")\n";
}

}  // namespace morvelle

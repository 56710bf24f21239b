#include "RenameAudit.h"

#include <cstdint>
#include <map>
#include <set>

namespace morvelle::testing {
namespace {

constexpr std::size_t kHeaderSize = 176;

// A 16-bit signed value; bytes past the end read as zeros.
int Int16At(const std::string& bytes, std::size_t offset) {
  if (bytes.size() < offset + 2) return 0;
  auto lo = static_cast<unsigned char>(bytes[offset]);
  auto hi = static_cast<unsigned char>(bytes[offset + 1]);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | hi << 8));
}

// Writes `value` at `offset` when it fits inside `bytes`.
void PutInside(std::string* bytes, std::size_t offset,
               const std::string& value) {
  if (offset + value.size() <= bytes->size())
    bytes->replace(offset, value.size(), value);
}

// The extension a rewritten Path keeps: what follows the last dot of the
// whole raw field, up to the first NUL.
std::string KeptExtension(const std::string& raw) {
  std::size_t dot = raw.rfind('.');
  if (dot == std::string::npos) return {};
  std::string extension = raw.substr(dot + 1);
  return extension.substr(0, extension.find('\0'));
}

std::string RewrittenHistory(const std::string& old, const RenameRun& run) {
  FixtureLayout layout = FixtureLayoutFor(Int16At(old, 138));
  std::string bytes = old;
  for (int i = 0; i < Int16At(old, 150); ++i) {
    std::size_t entry = kHeaderSize + i * layout.entrySize;
    if (entry + layout.entrySize > old.size()) break;
    std::string path = old.substr(entry, layout.pathWidth);
    PutInside(&bytes, entry,
              Field(run.newPath + "." + KeptExtension(path), layout.pathWidth));
    PutInside(&bytes, entry + layout.entryTagOffset,
              Field(run.newTag, layout.tagWidth));
  }
  return bytes;
}

std::string RewrittenDataFile(const std::string& old, int version,
                              const RenameRun& run) {
  FixtureLayout layout = FixtureLayoutFor(version);
  std::string bytes = old;
  if (old.size() >= layout.dataHeaderSize)
    PutInside(&bytes, layout.dataTagOffset, Field(run.newTag, layout.tagWidth));
  return bytes;
}

// The bare name of `path` when it lies directly in `folder`, else empty.
std::string NameIn(const std::string& folder, const std::string& path) {
  if (path.size() <= folder.size() || path.compare(0, folder.size(), folder))
    return {};
  std::string name = path.substr(folder.size());
  return name.find('/') == std::string::npos ? name : std::string();
}

const char* StateName(StepState state) {
  switch (state) {
    case StepState::kDone:
      return "done";
    case StepState::kFailed:
      return "failed";
    case StepState::kPending:
      return "pending";
  }
  return "?";
}

void AuditStates(const RenameReport& report,
                 std::vector<std::string>* problems) {
  bool stopped = false;  // a failed or pending step was seen
  bool failed = false;
  for (const RenameStep& step : report.plan.steps) {
    std::string line = DescribeStep(step) + " is " + StateName(step.state);
    if (step.state == StepState::kDone && stopped)
      problems->push_back(line + " after a step that was not done");
    if (step.state == StepState::kFailed && stopped)
      problems->push_back(line + ", the second step to stop the run");
    if ((step.state == StepState::kFailed) == step.error.ok())
      problems->push_back(line + " with error '" + step.error.ToString() + "'");
    if (report.outcome == RenameOutcome::kRenamed &&
        step.state != StepState::kDone)
      problems->push_back(line + ", yet the trend is reported renamed");
    if (report.outcome != RenameOutcome::kFailed &&
        report.outcome != RenameOutcome::kRenamed &&
        step.state != StepState::kPending)
      problems->push_back(line + ", yet the rename was refused");
    failed |= step.state == StepState::kFailed;
    stopped |= step.state != StepState::kDone;
  }
  if (report.outcome == RenameOutcome::kFailed && !failed &&
      !report.plan.steps.empty() &&
      report.plan.steps.front().state == StepState::kDone)
    problems->push_back("the run is reported failed, but no step failed");
}

std::string ContentProblem(const std::string& name, const std::string& actual,
                           const std::string& old, const std::string& rewritten,
                           StepState state) {
  if (actual.size() != old.size())
    return name + " changed its length from " + std::to_string(old.size()) +
           " to " + std::to_string(actual.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    bool as_old = actual[i] == old[i];
    bool as_new = actual[i] == rewritten[i];
    bool fine = state == StepState::kDone      ? as_new
                : state == StepState::kPending ? as_old
                                               : as_old || as_new;
    if (!fine)
      return name + ": byte " + std::to_string(i) + " is wrong for a " +
             StateName(state) + " rewrite";
  }
  return {};
}

struct FileSteps {
  const RenameStep* rewrite = nullptr;
  const RenameStep* rename = nullptr;
  std::string newName;
};

}  // namespace

std::vector<std::string> AuditRename(const RenameRun& run,
                                     const RenameReport& report) {
  std::vector<std::string> problems;
  AuditStates(report, &problems);

  const std::string& hst = report.plan.hstPath;
  std::string folder = hst.substr(0, hst.rfind('/') + 1);
  std::string history_name = NameIn(folder, hst);
  auto history = run.before.find(history_name);
  int version = history == run.before.end() ? 0 : Int16At(history->second, 138);

  std::map<std::string, FileSteps> steps;
  for (const RenameStep& step : report.plan.steps) {
    std::string name = NameIn(folder, step.path);
    if (name.empty()) {
      problems.push_back("a step outside the trend's folder: " +
                         DescribeStep(step));
      continue;
    }
    if (step.kind != StepKind::kRename) {
      if ((step.kind == StepKind::kRewriteTable) != (name == history_name))
        problems.push_back("a rewrite of the wrong kind: " +
                           DescribeStep(step));
      steps[name].rewrite = &step;
      continue;
    }
    steps[name].rename = &step;
    steps[name].newName = NameIn(folder, step.newPath);
    if (steps[name].newName.empty())
      problems.push_back("a rename out of the trend's folder: " +
                         DescribeStep(step));
  }

  std::set<std::string> accounted;
  for (const auto& [name, old] : run.before) {
    const FileSteps& file = steps[name];
    StepState state = file.rewrite ? file.rewrite->state : StepState::kPending;
    std::string rewritten = !file.rewrite ? old
                            : name == history_name
                                ? RewrittenHistory(old, run)
                                : RewrittenDataFile(old, version, run);
    bool moved = file.rename && file.rename->state == StepState::kDone;
    std::string at = moved ? file.newName : name;
    accounted.insert(at);
    auto found = run.after.find(at);
    if (found == run.after.end()) {
      problems.push_back(name + " is gone: it should be there as " + at);
      continue;
    }
    std::string problem =
        ContentProblem(name, found->second, old, rewritten, state);
    if (!problem.empty()) problems.push_back(problem);
  }
  for (const auto& [name, bytes] : run.planted) {
    auto found = run.after.find(name);
    if (found == run.after.end() || found->second != bytes)
      problems.push_back(name + ", made by another program, was replaced");
    accounted.insert(name);
  }
  for (const auto& entry : run.after)
    if (!accounted.count(entry.first))
      problems.push_back(entry.first + " appeared");
  return problems;
}

}  // namespace morvelle::testing

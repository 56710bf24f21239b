#include "RenameAudit.h"

#include <cstdint>
#include <map>
#include <set>

namespace morvelle::test {
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

// A rewritten Path: the new path, and the extension of the old value up to
// its first NUL when its last dot follows its last separator.
std::string RewrittenPath(const std::string& raw, const std::string& newPath) {
  std::string value = raw.substr(0, raw.find('\0'));
  std::size_t dot = value.rfind('.');
  std::size_t separator = value.find_last_of("\\/");
  if (dot == std::string::npos ||
      (separator != std::string::npos && separator > dot))
    return newPath;
  return newPath + value.substr(dot);
}

std::string RewrittenHistory(const std::string& old, const RenameRun& run) {
  FixtureLayout layout = FixtureLayoutFor(Int16At(old, 138));
  std::string bytes = old;
  for (int i = 0; i < Int16At(old, 150); ++i) {
    std::size_t entry = kHeaderSize + i * layout.entrySize;
    if (entry + layout.entrySize > old.size()) break;
    std::string path = old.substr(entry, layout.pathWidth);
    PutInside(&bytes, entry,
              Field(RewrittenPath(path, run.newPath), layout.pathWidth));
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

const char* StageName(FileStage stage) {
  switch (stage) {
    case FileStage::kUntouched:
      return "untouched";
    case FileStage::kWriting:
      return "being written";
    case FileStage::kRewritten:
      return "rewritten";
    case FileStage::kRenamed:
      return "renamed";
  }
  return "?";
}

// A renamed trend has every file renamed; one reported as it was, none
// touched; only a failed undo leaves files in between, each with the error
// that stopped it or another file's undo.
void AuditStages(const RenameReport& report,
                 std::vector<std::string>* problems) {
  bool undo_failed = false;
  for (const FileChange& file : report.plan.files) {
    std::string line = file.path + " is " + StageName(file.stage);
    undo_failed |= !file.undoError.ok();
    if (report.outcome == RenameOutcome::kRenamed &&
        file.stage != FileStage::kRenamed)
      problems->push_back(line + ", yet the trend is reported renamed");
    if (report.outcome != RenameOutcome::kRenamed &&
        report.outcome != RenameOutcome::kUndoFailed &&
        file.stage != FileStage::kUntouched)
      problems->push_back(line + ", yet the trend is reported as it was");
  }
  if ((report.outcome == RenameOutcome::kUndoFailed) != undo_failed)
    problems->push_back(std::string("an undo error is ") +
                        (undo_failed ? "recorded" : "missing") +
                        " for the outcome reported");
}

std::string ContentProblem(const std::string& name, const std::string& actual,
                           const std::string& old, const std::string& rewritten,
                           FileStage stage) {
  if (actual.size() != old.size())
    return name + " changed its length from " + std::to_string(old.size()) +
           " to " + std::to_string(actual.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    bool as_old = actual[i] == old[i];
    bool as_new = actual[i] == rewritten[i];
    bool fine = stage == FileStage::kUntouched ? as_old
                : stage == FileStage::kWriting ? as_old || as_new
                                               : as_new;
    if (!fine)
      return name + ": byte " + std::to_string(i) + " is wrong for a " +
             StageName(stage) + " file";
  }
  return {};
}

}  // namespace

std::vector<std::string> AuditRename(const RenameRun& run,
                                     const RenameReport& report) {
  std::vector<std::string> problems;
  AuditStages(report, &problems);

  const std::string& hst = report.plan.hstPath;
  std::string folder = hst.substr(0, hst.rfind('/') + 1);
  std::string history_name = NameIn(folder, hst);
  auto history = run.before.find(history_name);
  int version = history == run.before.end() ? 0 : Int16At(history->second, 138);

  std::map<std::string, const FileChange*> changes;
  for (const FileChange& file : report.plan.files) {
    std::string name = NameIn(folder, file.path);
    if (name.empty() || NameIn(folder, file.newPath).empty())
      problems.push_back("a file outside the trend's folder: " + file.path +
                         " -> " + file.newPath);
    else
      changes[name] = &file;
  }

  std::set<std::string> accounted;
  for (const auto& [name, old] : run.before) {
    auto change = changes.find(name);
    const FileChange* file = change == changes.end() ? nullptr : change->second;
    FileStage stage = file ? file->stage : FileStage::kUntouched;
    std::string rewritten = !file ? old
                            : name == history_name
                                ? RewrittenHistory(old, run)
                                : RewrittenDataFile(old, version, run);
    std::string at =
        stage == FileStage::kRenamed ? NameIn(folder, file->newPath) : name;
    accounted.insert(at);
    auto found = run.after.find(at);
    if (found == run.after.end()) {
      problems.push_back(name + " is gone: it should be there as " + at);
      continue;
    }
    std::string problem =
        ContentProblem(name, found->second, old, rewritten, stage);
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

}  // namespace morvelle::test

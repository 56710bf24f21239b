#include "fuzz/RenameFuzzCase.h"

#include <string_view>

#include "FailingEnv.h"
#include "MemEnv.h"
#include "MessageLog.h"
#include "RenameAudit.h"
#include "platform/FieldEncoding.h"
#include "trend/TrendTools.h"

namespace morvelle::test {
namespace {

constexpr const char* kFolder = "/t";
constexpr const char* kHistory = "/t/Trend1.HST";

struct NewValues {
  std::string path, tag;
};

// Plain renames, a name that stays, values cut to their fields, a
// case-only change, a bare name, a name with a dot, code-page text, a
// "/" separator, and refusals of every kind.
const NewValues& NewValuesAt(int index) {
  static const NewValues kNewValues[16] = {
      {"C:\\Ostrel\\Data\\Trend1A", "Trend1A"},
      {"D:\\Elsewhere\\Trend1", "Tag"},
      {"C:\\" + std::string(300, 'p'), std::string(100, 't')},
      {"C:\\D\\TREND1", "T"},
      {"Trend1B", "Trend1B"},
      {"C:\\D\\Trend1A.x", "A"},
      {"C:\\D\\CON", "x"},
      {"C:\\D\\Trend1A", ""},
      {"C:\\D\\K\xC3\xBChler", "K\xC3\xBChler"},
      {"C:\\D\\Pump\xCE\xA9", "x"},
      {"C:\\D\\Bad\xFF", "x"},
      {"C:\\D\\Tr\x01nd", "x"},
      {"C:\\D\\Trend1A.", "x"},
      {"C:\\D\\LPT1.old", "x"},
      {"/unix/style/Trend1C", "Trend1C"},
      {"C:\\D\\Trend1A", std::string(80, 'x')},
  };
  return kNewValues[index & 15];
}

// Data files, names that only look like them, other history files, the
// new names of some of the trend's files, and two names that differ in
// case only (both would take one new name).
const char* const kEntryNames[16] = {
    "Trend1.000",  "Trend1.001",  "Trend1.002", "Trend1.0421",
    "TREND1.003",  "Trend1.hst",  "Trend1.Hst", "Trend1.bak",
    "Trend1A.000", "Trend1A.HST", "Trend1.",    "Trend1.HST.old",
    "Other.000",   "Trend10.000", "trend1.004", "Trend1.99999",
};

bool AddEntry(MemEnv& env, const std::string& path, int type,
              const std::string& bytes) {
  switch (type & 3) {
    case 0:
      return env.AddFile(path, bytes);
    case 1:
      return env.AddFolder(path);
    case 2:
      return env.AddSymlink(path);
    default:
      return env.AddDevice(path);
  }
}

void LayOut(const FuzzCase& fuzzCase, MemEnv* env) {
  AddEntry(*env, kHistory, fuzzCase.historyType, fuzzCase.history);
  for (const FuzzEntry& entry : fuzzCase.entries)
    AddEntry(*env, std::string(kFolder) + "/" + kEntryNames[entry.name & 15],
             entry.type, entry.bytes);
}

// The fault the input asks for, placed among the calls, writes or renames
// that an unhindered rename of the same folder makes.
Fault PlaceFault(const FuzzCase& fuzzCase) {
  Fault fault;
  int kind = fuzzCase.faultKind & 3;
  if (kind == 0) return fault;
  MemEnv scratch;
  LayOut(fuzzCase, &scratch);
  FailingEnv counter(scratch);
  const NewValues& values = NewValuesAt(fuzzCase.newValues);
  RenameTrend(counter, kHistory, values.path, values.tag);
  fault.kind = static_cast<FaultKind>(kind - 1);
  int places = fault.kind == FaultKind::kFail         ? counter.calls()
               : fault.kind == FaultKind::kShortWrite ? counter.writes()
                                                      : counter.renames();
  if (places > 0) fault.at = 1 + fuzzCase.faultAt * places / 256;
  return fault;
}

bool RoundTrips(const std::string& raw) {
  std::optional<std::string> back = EncodeFieldText(DecodeFieldText(raw));
  return back && *back == raw;
}

// Inspection opens one file at a time; a rename holds its journal and the
// history file and opens one data file at a time beside them.
void CheckUse(const MemEnv& env, const char* operation, int mostOpen,
              std::vector<std::string>* problems) {
  if (env.openFiles() != 0)
    problems->push_back(std::string(operation) + " left a file open");
  if (env.mostOpenAtOnce() > mostOpen)
    problems->push_back(std::string(operation) + " had " +
                        std::to_string(env.mostOpenAtOnce()) +
                        " files open at once");
  if (env.misuses() != 0)
    problems->push_back(std::string(operation) + " used a closed file");
}

void CheckInspection(MemEnv& env, std::vector<std::string>* problems) {
  auto tree = env.Tree();
  Result<TrendInfo> read = ReadTrendInfo(env, kHistory);
  if (!read.ok() && read.status().detail().empty())
    problems->push_back("inspection failed without saying why");
  const TrendInfo info = read.ok() ? *read : TrendInfo();
  std::pair<int, int> widths{info.pathWidth, info.tagWidth};
  if (read.ok() && widths != std::pair{144, 32} &&
      widths != std::pair{272, 64} && widths != std::pair{144, 80} &&
      widths != std::pair{272, 80})
    problems->push_back("inspection gave widths " +
                        std::to_string(info.pathWidth) + ", " +
                        std::to_string(info.tagWidth));
  if (info.tag.size() != static_cast<std::size_t>(info.tagWidth) ||
      info.path.size() > static_cast<std::size_t>(info.pathWidth))
    problems->push_back("inspection gave values wider than their fields");
  if (!RoundTrips(info.path) || !RoundTrips(info.tag))
    problems->push_back("a field's text does not survive decoding");
  // The fuller inspection sees the same and lists only trend files.
  TrendInspection inspection;
  bool shown = InspectTrend(env, kHistory, &inspection).ok();
  if (shown != read.ok() || inspection.info.path != info.path ||
      inspection.info.tag != info.tag)
    problems->push_back("the fuller inspection disagrees");
  for (const std::string& name : inspection.files.dataFiles)
    if (env.Bytes(std::string(kFolder) + "/" + name) == nullptr)
      problems->push_back("inspection lists " + name + " as a data file");
  if (env.Tree() != tree) problems->push_back("inspection changed a file");
  CheckUse(env, "inspection", 1, problems);
}

// Links, folders and devices are never renamed or removed, and nothing
// outside the trend's folder changes.
void CheckOtherEntries(const std::map<std::string, EntryType>& before,
                       const std::map<std::string, EntryType>& after,
                       std::vector<std::string>* problems) {
  auto others = [](const std::map<std::string, EntryType>& tree) {
    std::map<std::string, EntryType> kept;
    for (const auto& [path, type] : tree)
      if (type != EntryType::kRegular ||
          path.rfind(std::string(kFolder) + "/", 0) != 0)
        kept.emplace(path, type);
    return kept;
  };
  if (others(before) != others(after))
    problems->push_back("a link, folder, device or outside entry changed");
}

// What a run left behind, recovered as the next Morvelle would: no journal
// is left and the folder is `whole`. A file another program put in the way
// of a rename that is undone is never replaced: recovery keeps its journal
// and names the file, and once that file is moved aside it finishes, with
// the folder as it was `before` the run.
void CheckRecovery(MemEnv& env, FolderImage whole, const RenameRun& run,
                   std::vector<std::string>* problems) {
  std::string report;
  bool recovered = RecoverAll(env, std::string(kFolder) + "/", &report);
  for (const auto& [name, bytes] : run.planted) {
    std::string path = std::string(kFolder) + "/" + name;
    if (recovered || report.find("'" + path + "'") == std::string::npos)
      continue;
    env.RemoveFile(path);
    whole = run.before;
    report.clear();
    recovered = RecoverAll(env, std::string(kFolder) + "/", &report);
  }
  if (!recovered) problems->push_back("recovery left a journal: " + report);
  int journals = 0;
  if (WithoutJournals(env.Image(kFolder), &journals) != whole)
    problems->push_back("recovery did not give the trend back whole: " +
                        report);
}

RenameOutcome CheckRename(const FuzzCase& fuzzCase, MemEnv& env,
                          std::vector<std::string>* problems) {
  const NewValues& values = NewValuesAt(fuzzCase.newValues);
  RenameRun run;
  run.before = env.Image(kFolder);
  // The audit compares field bytes.
  run.newPath = EncodeFieldText(values.path).value_or(values.path);
  run.newTag = EncodeFieldText(values.tag).value_or(values.tag);
  auto tree = env.Tree();

  Fault fault = PlaceFault(fuzzCase);
  fault.createFile = [&](const std::string& path) {
    std::string bytes = "made by another program";
    if (env.AddFile(path, bytes))
      run.planted[path.substr(path.rfind('/') + 1)] = bytes;
  };
  FailingEnv failing(env, fault);
  RenameReport report = RenameTrend(failing, kHistory, values.path, values.tag);

  int journals = 0;
  run.after = WithoutJournals(env.Image(kFolder), &journals);
  std::vector<std::string> found = AuditRename(run, report);
  problems->insert(problems->end(), found.begin(), found.end());
  CheckOtherEntries(tree, env.Tree(), problems);
  CheckUse(env, "the rename", 3, problems);
  bool struck = !failing.failedCall().empty();
  // A data file that is short or has other names is found as the run
  // opens it, and rolled back: no failure of the file system.
  bool refused_on_open = false;
  for (const FileChange& file : report.plan.files)
    refused_on_open |= file.error.operation() == "check";
  if (!struck &&
      (report.outcome == RenameOutcome::kFailed ||
       (report.outcome == RenameOutcome::kRolledBack && !refused_on_open)))
    problems->push_back("failed with no fault injected: " +
                        report.failure.ToString());
  // One fault cannot stop the undo too: the trend is renamed or as it was.
  // Only where the run rolled back on its own (a file refused on open) may
  // the fault land in the undo; the audit has checked that the report then
  // tells what the disk holds.
  FolderImage as_it_was = run.before;
  for (const auto& [name, bytes] : run.planted) as_it_was[name] = bytes;
  bool fault_in_undo =
      refused_on_open && report.outcome == RenameOutcome::kUndoFailed;
  if (!report.ok() && run.after != as_it_was && !fault_in_undo)
    problems->push_back("the trend is neither renamed nor as it was");
  // Only the close and the removal of a finished run's journal may fail
  // unseen: its bytes were flushed as they were written.
  const bool journal_call =
      failing.failedCall() == "remove" ||
      (failing.failedCall() == "close" &&
       failing.failedPath().find(".morvelle-journal-") != std::string::npos);
  if (struck && report.ok() && !journal_call)
    problems->push_back("renamed although a fault was injected in " +
                        failing.failedCall());
  CheckRecovery(env, report.ok() ? run.after : as_it_was, run, problems);
  if (report.ok() != report.failure.ok() ||
      (!report.ok() && report.failure.detail().empty()))
    problems->push_back("the rename's failure does not match its outcome");
  return report.outcome;
}

}  // namespace

FuzzCase DecodeFuzzCase(const std::uint8_t* data, std::size_t size) {
  FuzzCase fuzzCase;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return fuzzCase;
  auto options = static_cast<unsigned char>(input[0]);
  fuzzCase.newValues = options & 15;
  fuzzCase.faultKind = (options >> 4) & 3;
  fuzzCase.historyType = (options >> 6) & 3;
  fuzzCase.faultAt = static_cast<unsigned char>(input[1]);
  input.remove_prefix(2);
  std::string_view separator = kFuzzSeparator;
  std::size_t end = input.find(separator);
  fuzzCase.history = std::string(input.substr(0, end));
  while (end != std::string_view::npos) {
    input.remove_prefix(end + separator.size());
    end = input.find(separator);
    std::string_view entry = input.substr(0, end);
    if (entry.empty()) continue;
    auto control = static_cast<unsigned char>(entry[0]);
    fuzzCase.entries.push_back(
        {control & 15, (control >> 4) & 3, std::string(entry.substr(1))});
  }
  return fuzzCase;
}

std::string EncodeFuzzCase(const FuzzCase& fuzzCase) {
  std::string bytes;
  bytes += static_cast<char>((fuzzCase.newValues & 15) |
                             (fuzzCase.faultKind & 3) << 4 |
                             (fuzzCase.historyType & 3) << 6);
  bytes += static_cast<char>(fuzzCase.faultAt);
  bytes += fuzzCase.history;
  for (const FuzzEntry& entry : fuzzCase.entries) {
    bytes += kFuzzSeparator;
    bytes += static_cast<char>((entry.name & 15) | (entry.type & 3) << 4);
    bytes += entry.bytes;
  }
  return bytes;
}

FuzzResult RunFuzzCase(const FuzzCase& fuzzCase) {
  MemEnv env;
  LayOut(fuzzCase, &env);
  FuzzResult result;
  CheckInspection(env, &result.problems);
  result.outcome = CheckRename(fuzzCase, env, &result.problems);
  return result;
}

}  // namespace morvelle::test

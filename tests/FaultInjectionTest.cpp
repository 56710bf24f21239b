// A rename stopped by a fault at any file-system call, by a short write or
// by a name taken after the checks loses nothing and reports exactly what
// it did. Each trend is first renamed cleanly to count its calls; then a
// fault is injected at every one of them in turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "FailingEnv.h"
#include "MemEnv.h"
#include "MessageLog.h"
#include "RenameAudit.h"
#include "TrendFixture.h"

namespace morvelle {
namespace {

using test::Fault;
using test::FaultKind;
using test::FolderImage;
using test::TrendRecipe;

using test::kNewPath;
using test::kNewTag;

// Files beside the trend that the rename must leave alone; the first two
// share its base name.
const char* const kUnrelatedFiles[] = {"Trend1.bak", "Trend1.HST.old",
                                       "Trend10.000", "Other.000"};

// A trend and the rename asked of it.
struct Shape {
  TrendRecipe recipe;
  std::string newPath = kNewPath;
  std::string newTag = kNewTag;
};

Shape ShapeFor(int version) {
  Shape shape;
  shape.recipe.version = version;
  shape.recipe.entryCount = 3;
  shape.recipe.extraCount = 2;
  shape.recipe.dataExtensions = {"000", "001", "002", "0421"};
  shape.recipe.dataBodySize = 64;
  shape.recipe.seed = 300 + version;
  return shape;
}

// Where the trend lies: a temporary folder on disk, or a MemEnv, which is
// a hundred times faster and so can run more shapes.
class TrendFolder {
 public:
  virtual ~TrendFolder() = default;
  virtual Env& env() = 0;
  // Writes the trend and the unrelated files; returns the history path.
  virtual std::string Write(const TrendRecipe& recipe) = 0;
  virtual void Plant(const std::string& path, const std::string& bytes) = 0;
  virtual FolderImage Image() const = 0;
  // The folder's path, with its separator.
  virtual std::string Path() const = 0;
};

class DiskFolder final : public TrendFolder {
 public:
  Env& env() override { return Env::Default(); }
  std::string Write(const TrendRecipe& recipe) override {
    for (const char* name : kUnrelatedFiles)
      test::WriteFile(temp_.path() / name,
                      std::string("not the trend's ") + name);
    return test::WriteTrend(temp_.path(), recipe);
  }
  void Plant(const std::string& path, const std::string& bytes) override {
    test::WriteFile(path, bytes);
  }
  FolderImage Image() const override { return test::ReadFolder(temp_.path()); }
  std::string Path() const override { return temp_.File(""); }

 private:
  test::TempFolder temp_;
};

class MemoryFolder final : public TrendFolder {
 public:
  Env& env() override { return env_; }
  std::string Write(const TrendRecipe& recipe) override {
    for (const char* name : kUnrelatedFiles)
      env_.AddFile(std::string("/t/") + name,
                   std::string("not the trend's ") + name);
    for (std::size_t i = 0; i < recipe.dataExtensions.size(); ++i)
      env_.AddFile("/t/" + recipe.name + "." + recipe.dataExtensions[i],
                   test::DataFileBytes(recipe, i));
    std::string hst = "/t/" + recipe.name + "." + recipe.historyExtension;
    env_.AddFile(hst, test::HistoryBytes(recipe));
    return hst;
  }
  void Plant(const std::string& path, const std::string& bytes) override {
    env_.AddFile(path, bytes);
  }
  FolderImage Image() const override { return env_.Image("/t"); }
  std::string Path() const override { return "/t/"; }
  test::MemEnv& mem() { return env_; }

 private:
  test::MemEnv env_;
};

struct Attempt {
  RenameReport report;
  test::MessageLog shown;
  test::RenameRun files;
  std::vector<std::string> problems;
  FolderImage expectedClean;  // the folder after an unhindered rename
  int calls = 0, writes = 0, renames = 0;
  std::string failedCall;
  // Where the clean run made its last flush, so that a fault there undoes
  // every file.
  int lastFlush = 0;
  // A journal the run left behind, and the folder once it was recovered.
  int journalsLeft = 0;
  bool recovered = false;
  std::string recovery;
  FolderImage afterRecovery;
};

void Recover(TrendFolder& folder, Attempt* run);

void RenameWithFault(TrendFolder& folder, const Shape& shape, Fault fault,
                     Attempt* run) {
  std::string hst = folder.Write(shape.recipe);
  run->files.before = folder.Image();
  run->files.newPath = shape.newPath;
  run->files.newTag = shape.newTag;
  run->expectedClean = test::ExpectedAfterRename(
      shape.recipe, run->files.before, shape.newPath, shape.newTag);
  fault.createFile = [run, &folder](const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    run->files.planted[name] = "made by another program as " + name;
    folder.Plant(path, run->files.planted[name]);
  };

  test::FailingEnv env(folder.env(), fault);
  run->report =
      run->shown.Tell(RenameTrend(env, hst, shape.newPath, shape.newTag));

  run->files.after = test::WithoutJournals(folder.Image(), &run->journalsLeft);
  run->problems = test::AuditRename(run->files, run->report);
  run->calls = env.calls();
  run->writes = env.writes();
  run->renames = env.renames();
  run->failedCall = env.failedCall();
  run->lastFlush = env.lastCallOf("flush file system", "");
  Recover(folder, run);
}

// Settles what a run left: recovery on the folder's own Env, as the next
// Morvelle would do it.
void Recover(TrendFolder& folder, Attempt* run) {
  run->recovered =
      test::RecoverAll(folder.env(), folder.Path(), &run->recovery);
  int journals = 0;
  run->afterRecovery = test::WithoutJournals(folder.Image(), &journals);
  run->recovered = run->recovered && journals == 0;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text;
}

using FolderMaker = std::function<std::unique_ptr<TrendFolder>()>;

// The folder as it was before the run, with what another program made
// during it.
FolderImage AsItWas(const Attempt& run) {
  FolderImage image = run.files.before;
  for (const auto& [name, bytes] : run.files.planted) image[name] = bytes;
  return image;
}

// Runs the rename with fault `kind` at `k`; returns whether it survived:
// the trend is either renamed or byte for byte as it was, and the report
// says which.
bool Survives(const FolderMaker& make, const Shape& shape, FaultKind kind,
              int k) {
  Attempt run;
  RenameWithFault(*make(), shape, Fault{.kind = kind, .at = k}, &run);
  bool struck = !run.failedCall.empty();
  EXPECT_TRUE(struck) << "no fault was injected";
  EXPECT_TRUE(run.problems.empty()) << Lines(run.problems);
  const FolderImage& expected =
      run.report.ok() ? run.expectedClean : AsItWas(run);
  bool whole = run.files.after == expected;
  EXPECT_TRUE(whole) << run.report.failure.ToString();
  // A journal left over (its removal failed) is cleared without a change.
  bool settled = run.recovered && run.afterRecovery == expected;
  EXPECT_TRUE(settled) << run.recovery;
  whole = whole && settled;
  std::size_t messages = run.shown.criticals.size() + run.shown.warnings.size();
  EXPECT_EQ(messages, run.report.ok() ? 0u : 1u);
  // A name taken after the checks is found by the rename itself.
  bool stopped_right =
      kind != FaultKind::kTargetAppears ||
      (run.report.outcome == RenameOutcome::kRolledBack &&
       run.report.failure.ToString().find("exists") != std::string::npos);
  EXPECT_TRUE(stopped_right) << run.report.failure.ToString();
  return struck && run.problems.empty() && whole &&
         messages == (run.report.ok() ? 0u : 1u) && stopped_right;
}

// The places a fault was injected at, and how many of them the rename
// survived.
struct Tally {
  int points = 0;
  int survived = 0;
  void Add(const Tally& other) {
    points += other.points;
    survived += other.survived;
  }
};

// Renames `shape` cleanly to count its calls, then once with every fault
// at every place.
Tally Sweep(const FolderMaker& make, const Shape& shape) {
  Attempt clean;
  RenameWithFault(*make(), shape, Fault{}, &clean);
  EXPECT_TRUE(clean.report.ok()) << clean.report.failure.ToString();
  EXPECT_TRUE(clean.problems.empty()) << Lines(clean.problems);
  EXPECT_EQ(clean.files.after, clean.expectedClean);
  // The journal, the table and each data file are written once, the files
  // renamed once.
  std::size_t files = 1 + shape.recipe.dataExtensions.size();
  EXPECT_EQ(clean.writes, static_cast<int>(files) + 1);
  bool same_name =
      shape.newPath.substr(shape.newPath.rfind('\\') + 1) == shape.recipe.name;
  EXPECT_EQ(clean.renames, same_name ? 0 : static_cast<int>(files));

  const std::pair<FaultKind, int> faults[] = {
      {FaultKind::kFail, clean.calls},
      {FaultKind::kShortWrite, clean.writes},
      {FaultKind::kTargetAppears, clean.renames},
  };
  Tally tally;
  for (auto [kind, count] : faults)
    for (int k = 1; k <= count; ++k) {
      SCOPED_TRACE("fault kind " + std::to_string(static_cast<int>(kind)) +
                   " at " + std::to_string(k));
      tally.survived += Survives(make, shape, kind, k);
      ++tally.points;
    }
  return tally;
}

// One trend of each of the four layouts, on disk.
TEST(FaultInjectionTest, EveryCallWriteAndRenameOfEveryLayoutOnDisk) {
  Tally tally;
  for (int version : {2, 4, 5, 6}) {
    SCOPED_TRACE("version " + std::to_string(version));
    tally.Add(Sweep([] { return std::make_unique<DiskFolder>(); },
                    ShapeFor(version)));
  }
  std::printf("[ figures  ] %d injection points run on disk, %d survived\n",
              tally.points, tally.survived);
  EXPECT_GT(tally.points, 4 * 40);
  EXPECT_EQ(tally.survived, tally.points);
}

// Every version, and renames of other shapes: a table with no entry to
// rewrite, values cut to their fields, a new name equal to the old one.
TEST(FaultInjectionTest, EveryCallWriteAndRenameOfManyShapesInMemory) {
  auto make = [] { return std::make_unique<MemoryFolder>(); };
  Tally tally;
  for (int version = 0; version <= 6; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    Shape shape = ShapeFor(version);
    tally.Add(Sweep(make, shape));

    Shape none_rewritten = shape;
    none_rewritten.recipe.entryCount = 0;
    none_rewritten.recipe.extraCount = 1;
    tally.Add(Sweep(make, none_rewritten));

    Shape cut = shape;
    cut.newPath = "C:\\" + std::string(60, 'd') + "\\" + std::string(250, 'p');
    cut.newTag = std::string(100, 't');
    tally.Add(Sweep(make, cut));

    Shape same_name = shape;
    same_name.newPath = "D:\\Elsewhere\\Trend1";
    tally.Add(Sweep(make, same_name));
  }
  std::printf("[ figures  ] %d injection points run in memory, %d survived\n",
              tally.points, tally.survived);
  EXPECT_GT(tally.points, 7 * 4 * 30);
  EXPECT_EQ(tally.survived, tally.points);
}

// A repair of `half` run with `fault`: whether it left the folder either
// `repaired` or as it was, and so did the recovery of any journal it left.
struct RepairAttempt {
  bool ok = false, survived = false, struck = false;
  int calls = 0, writes = 0;
};

RepairAttempt RepairWithFault(const FolderImage& half,
                              const FolderImage& repaired, Fault fault) {
  test::MemEnv mem;
  test::AddImage(mem, "/t/", half);
  test::FailingEnv env(mem, fault);
  RenameReport report = RepairTrend(env, "/t/Trend1A.HST");
  RepairAttempt run{report.ok(), false, !env.failedCall().empty(), env.calls(),
                    env.writes()};
  int journals = 0, left = 0;
  const FolderImage& expected = report.ok() ? repaired : half;
  bool whole = test::WithoutJournals(mem.Image("/t"), &journals) == expected;
  std::string recovery;
  bool recovered = test::RecoverAll(mem, "/t/", &recovery);
  bool settled = recovered &&
                 test::WithoutJournals(mem.Image("/t"), &left) == expected &&
                 left == 0;
  EXPECT_TRUE(whole) << report.failure.ToString();
  EXPECT_TRUE(settled) << recovery;
  run.survived = whole && settled;
  return run;
}

// A repair runs as a rename does: a fault at any call or write of it
// leaves the folder repaired or byte for byte as it was.
TEST(FaultInjectionTest, EveryCallAndWriteOfARepairInMemory) {
  Tally tally;
  for (int version : {0, 3, 5, 6}) {
    SCOPED_TRACE("version " + std::to_string(version));
    test::RenamedInMemory whole =
        test::RenameInMemory(ShapeFor(version).recipe);
    const FolderImage half =
        test::HalfDone(whole.before, whole.renamed, "Trend1", "Trend1A",
                       {"001", "002", "0421"});
    RepairAttempt clean = RepairWithFault(half, whole.renamed, Fault{});
    EXPECT_TRUE(clean.ok);
    for (auto [kind, count] : {std::pair(FaultKind::kFail, clean.calls),
                               std::pair(FaultKind::kShortWrite, clean.writes)})
      for (int k = 1; k <= count; ++k) {
        SCOPED_TRACE("fault kind " + std::to_string(static_cast<int>(kind)) +
                     " at " + std::to_string(k));
        RepairAttempt run =
            RepairWithFault(half, whole.renamed, Fault{.kind = kind, .at = k});
        EXPECT_TRUE(run.struck);
        tally.survived += run.survived && run.struck;
        ++tally.points;
      }
  }
  std::printf("[ figures  ] %d injection points of a repair run, %d survived\n",
              tally.points, tally.survived);
  EXPECT_GT(tally.points, 4 * 20);
  EXPECT_EQ(tally.survived, tally.points);
}

// A repair whose undo fails too says so without claiming another tag for
// the trend, and keeps the journal that puts the folder back.
TEST(FaultInjectionTest, AFailedUndoOfARepairIsReportedAndRecovered) {
  test::RenamedInMemory whole = test::RenameInMemory(ShapeFor(5).recipe);
  const FolderImage half = test::HalfDone(whole.before, whole.renamed, "Trend1",
                                          "Trend1A", {"001", "002"});
  test::MemEnv mem;
  test::AddImage(mem, "/t/", half);
  int last_flush = 0;
  {
    test::MemEnv counted;
    test::AddImage(counted, "/t/", half);
    test::FailingEnv counting(counted);
    ASSERT_TRUE(RepairTrend(counting, "/t/Trend1A.HST").ok());
    last_flush = counting.lastCallOf("flush file system", "");
  }
  test::FailingEnv env(mem, Fault{.at = last_flush, .alsoAt = last_flush + 1});
  RenameReport report = RepairTrend(env, "/t/Trend1A.HST");
  EXPECT_EQ(report.outcome, RenameOutcome::kUndoFailed);
  EXPECT_NE(report.failure.ToString().find("the repair is partly done; the "
                                           "history file is as it was"),
            std::string::npos)
      << report.failure.ToString();
  std::string recovery;
  EXPECT_TRUE(test::RecoverAll(mem, "/t/", &recovery)) << recovery;
  int journals = 0;
  EXPECT_TRUE(test::WithoutJournals(mem.Image("/t"), &journals) == half);
  EXPECT_EQ(journals, 0);
}

// A fault of each kind the platform reports, in the middle of the data
// files, leaves the same coherent state.
TEST(FaultInjectionTest, EveryErrorKindPartWay) {
  Shape shape = ShapeFor(4);
  Attempt clean;
  RenameWithFault(*std::make_unique<DiskFolder>(), shape, Fault{}, &clean);
  for (ErrorKind error :
       {ErrorKind::kNotFound, ErrorKind::kAlreadyExists,
        ErrorKind::kPermissionDenied, ErrorKind::kInUse, ErrorKind::kNoSpace,
        ErrorKind::kNotARegularFile, ErrorKind::kOther}) {
    SCOPED_TRACE(static_cast<int>(error));
    Attempt run;
    RenameWithFault(*std::make_unique<DiskFolder>(), shape,
                    Fault{.at = clean.calls - 3, .error = error}, &run);
    EXPECT_EQ(run.report.outcome, RenameOutcome::kRolledBack);
    EXPECT_TRUE(run.problems.empty()) << Lines(run.problems);
    EXPECT_EQ(run.files.after, run.files.before);
    ASSERT_EQ(run.shown.criticals.size(), 1u);
    EXPECT_NE(run.shown.criticals[0].find("the trend is as it was"),
              std::string::npos);
  }
}

// A second fault in the undo of a run stopped by the first: the report
// tells, file by file, what the disk holds, with the old tag and path, and
// the journal kept lets a recovery put the trend back. The first fault
// comes at the run's last step (flushing its changes), so that every file
// has to be walked back, or at a short write of the last data file.
TEST(FaultInjectionTest, AFailedUndoIsReportedAsTheDiskHoldsIt) {
  auto make = [] { return std::make_unique<MemoryFolder>(); };
  Tally tally;
  for (int version : {0, 4, 6}) {
    Shape shape = ShapeFor(version);
    Attempt clean;
    RenameWithFault(*make(), shape, Fault{}, &clean);
    for (Fault first :
         {Fault{.at = clean.lastFlush},
          Fault{.kind = FaultKind::kShortWrite, .at = clean.writes}}) {
      Attempt undone;
      RenameWithFault(*make(), shape, first, &undone);
      ASSERT_EQ(undone.report.outcome, RenameOutcome::kRolledBack);
      // The undo's calls, before the flush and removal of the journal.
      const int undo_from =
          first.kind == FaultKind::kFail
              ? clean.lastFlush
              : undone.calls - (clean.calls - clean.lastFlush);
      for (int k = undo_from + 1; k <= undone.lastFlush - 1; ++k) {
        SCOPED_TRACE("version " + std::to_string(version) + ", undo fault at " +
                     std::to_string(k));
        Attempt run;
        first.alsoAt = k;
        RenameWithFault(*make(), shape, first, &run);
        ++tally.points;
        EXPECT_EQ(run.report.outcome, RenameOutcome::kUndoFailed);
        EXPECT_TRUE(run.problems.empty()) << Lines(run.problems);
        EXPECT_NE(run.report.failure.ToString().find("old tag is 'Trend1'"),
                  std::string::npos)
            << run.report.failure.ToString();
        EXPECT_EQ(run.journalsLeft, 1);
        EXPECT_TRUE(run.recovered) << run.recovery;
        EXPECT_EQ(run.afterRecovery, run.files.before);
        tally.survived += run.problems.empty() &&
                          run.report.outcome == RenameOutcome::kUndoFailed &&
                          run.recovered &&
                          run.afterRecovery == run.files.before;
      }
    }
  }
  std::printf("[ figures  ] %d undo faults run, %d reported as on disk\n",
              tally.points, tally.survived);
  EXPECT_GE(tally.points, 3 * 2 * 10);
  EXPECT_EQ(tally.survived, tally.points);
}

// The audit itself must see damage: a run whose report or files were
// tampered with afterwards is caught.
TEST(FaultInjectionTest, AuditCatchesDamage) {
  Attempt run;
  DiskFolder folder;
  RenameWithFault(folder, ShapeFor(5), Fault{}, &run);
  ASSERT_TRUE(run.problems.empty()) << Lines(run.problems);
  const test::RenameRun& files = run.files;
  struct Case {
    const char* what;
    std::function<void(test::RenameRun*, RenameReport*)> damage;
    const char* expected;
  } cases[] = {
      {"a byte outside the fields",
       [](test::RenameRun* f, RenameReport*) {
         f->after["Trend1A.001"][300] ^= 1;
       },
       "Trend1.001: byte 300 is wrong for a renamed file"},
      {"a file gone",
       [](test::RenameRun* f, RenameReport*) { f->after.erase("Trend1A.000"); },
       "Trend1.000 is gone"},
      {"a file grown",
       [](test::RenameRun* f, RenameReport*) {
         f->after["Trend1A.HST"] += '\0';
       },
       "changed its length"},
      {"an unrelated file touched",
       [](test::RenameRun* f, RenameReport*) { f->after["Trend1.bak"] = "x"; },
       "Trend1.bak changed its length"},
      {"a file appeared",
       [](test::RenameRun* f, RenameReport*) { f->after["Trend1A.bak"]; },
       "Trend1A.bak appeared"},
      {"a file reported untouched",
       [](test::RenameRun*, RenameReport* r) {
         // The plan holds the files in the folder's own order.
         FileChange& file =
             *std::find_if(r->plan.files.begin(), r->plan.files.end(),
                           [](const FileChange& f) {
                             return f.path.ends_with("/Trend1.0421");
                           });
         r->outcome = RenameOutcome::kUndoFailed;
         file.stage = FileStage::kUntouched;
         file.undoError =
             Status::Error(ErrorKind::kIoError, "rename", "x", "y");
       },
       "Trend1.0421 is gone"},
      {"an undo failure not reported",
       [](test::RenameRun*, RenameReport* r) {
         r->outcome = RenameOutcome::kUndoFailed;
       },
       "an undo error is missing"},
      {"an intruder replaced",
       [](test::RenameRun* f, RenameReport*) {
         f->planted["Trend1A.0421"] = "another program's file";
       },
       "Trend1A.0421, made by another program, was replaced"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::RenameRun damaged = files;
    RenameReport report = run.report;
    c.damage(&damaged, &report);
    std::string found = Lines(test::AuditRename(damaged, report));
    EXPECT_NE(found.find(c.expected), std::string::npos) << found;
  }
}

}  // namespace
}  // namespace morvelle

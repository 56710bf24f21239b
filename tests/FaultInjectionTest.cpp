// A rename stopped by a fault at any file-system call, by a short write or
// by a name taken after the checks loses nothing and reports exactly what
// it did. Each trend is first renamed cleanly to count its calls; then a
// fault is injected at every one of them in turn.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "FailingEnv.h"
#include "RecordingReporter.h"
#include "RenameAudit.h"
#include "TrendFixture.h"

namespace morvelle {
namespace {

using testing::Fault;
using testing::FaultKind;
using testing::FolderImage;
using testing::TrendRecipe;

constexpr const char* kNewPath = "C:\\Ostrel\\Data\\Trend1A";
constexpr const char* kNewTag = "Trend1A";

// Files beside the trend that the rename must leave alone; the first two
// share its base name.
const char* const kUnrelatedFiles[] = {"Trend1.bak", "Trend1.HST.old",
                                       "Trend10.000", "Other.000"};

TrendRecipe RecipeFor(int version) {
  TrendRecipe recipe;
  recipe.version = version;
  recipe.entryCount = 3;
  recipe.extraCount = 2;
  recipe.dataExtensions = {"000", "001", "002", "0421"};
  recipe.dataBodySize = 64;
  recipe.seed = 300 + version;
  return recipe;
}

struct Attempt {
  RenameReport report;
  testing::RecordingReporter reporter;
  testing::RenameRun files;
  std::vector<std::string> problems;
  FolderImage expectedClean;  // the folder after an unhindered rename
  int calls = 0, writes = 0, renames = 0;
  std::string failedCall;
};

void RenameWithFault(const TrendRecipe& recipe, Fault fault, Attempt* run) {
  testing::TempFolder folder;
  std::string hst = testing::WriteTrend(folder.path(), recipe);
  for (const char* name : kUnrelatedFiles)
    testing::WriteFile(folder.path() / name,
                       std::string("not the trend's ") + name);
  run->files.before = testing::ReadFolder(folder.path());
  run->files.newPath = kNewPath;
  run->files.newTag = kNewTag;
  run->expectedClean = testing::ExpectedAfterRename(recipe, run->files.before,
                                                    kNewPath, kNewTag);
  fault.createFile = [run](const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    run->files.planted[name] = "made by another program as " + name;
    testing::WriteFile(path, run->files.planted[name]);
  };

  testing::FailingEnv env(Env::Default(), fault);
  run->report = RenameTrend(env, run->reporter, hst, kNewPath, kNewTag);

  run->files.after = testing::ReadFolder(folder.path());
  run->problems = testing::AuditRename(run->files, run->report);
  run->calls = env.calls();
  run->writes = env.writes();
  run->renames = env.renames();
  run->failedCall = env.failedCall();
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text;
}

// Runs the rename with fault `kind` at `k` and checks that it survived.
void ExpectSurvived(const TrendRecipe& recipe, FaultKind kind, int k) {
  Attempt run;
  RenameWithFault(recipe, Fault{.kind = kind, .at = k}, &run);
  ASSERT_FALSE(run.failedCall.empty()) << "no fault was injected";
  EXPECT_TRUE(run.problems.empty()) << Lines(run.problems);
  EXPECT_NE(run.report.outcome, RenameOutcome::kRenamed);
  ASSERT_EQ(run.reporter.criticals.size() + run.reporter.warnings.size(), 1u);
  if (kind == FaultKind::kTargetAppears) {
    // The taken name stops the run at that rename and nowhere else.
    std::size_t failed = 0;
    for (const RenameStep& step : run.report.plan.steps)
      if (step.state == StepState::kFailed) {
        ++failed;
        EXPECT_EQ(step.kind, StepKind::kRename);
        EXPECT_EQ(step.error.kind(), ErrorKind::kAlreadyExists);
      }
    EXPECT_EQ(failed, 1u);
  }
}

TEST(FaultInjectionTest, EveryCallWriteAndRenameOfEveryLayout) {
  int points = 0;
  for (int version = 0; version <= 6; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    TrendRecipe recipe = RecipeFor(version);
    Attempt clean;
    RenameWithFault(recipe, Fault{}, &clean);
    ASSERT_TRUE(clean.report.ok()) << clean.report.message;
    EXPECT_TRUE(clean.problems.empty()) << Lines(clean.problems);
    EXPECT_EQ(clean.files.after, clean.expectedClean);
    // The table, four data files: five rewrites and five renames.
    ASSERT_EQ(clean.writes, 5);
    ASSERT_EQ(clean.renames, 5);

    const std::pair<FaultKind, int> faults[] = {
        {FaultKind::kFail, clean.calls},
        {FaultKind::kShortWrite, clean.writes},
        {FaultKind::kTargetAppears, clean.renames},
    };
    for (auto [kind, count] : faults)
      for (int k = 1; k <= count; ++k) {
        SCOPED_TRACE("fault kind " + std::to_string(static_cast<int>(kind)) +
                     " at " + std::to_string(k));
        ExpectSurvived(recipe, kind, k);
        ++points;
      }
  }
  std::printf("[ figures  ] %d injection points run, all survived\n", points);
  EXPECT_GT(points, 7 * 40);
}

// A fault of each kind the platform reports, in the middle of the data
// files, leaves the same coherent state.
TEST(FaultInjectionTest, EveryErrorKindPartWay) {
  TrendRecipe recipe = RecipeFor(4);
  Attempt clean;
  RenameWithFault(recipe, Fault{}, &clean);
  for (ErrorKind error :
       {ErrorKind::kNotFound, ErrorKind::kAlreadyExists,
        ErrorKind::kPermissionDenied, ErrorKind::kInUse, ErrorKind::kNoSpace,
        ErrorKind::kNotARegularFile, ErrorKind::kOther}) {
    SCOPED_TRACE(static_cast<int>(error));
    Attempt run;
    RenameWithFault(recipe, Fault{.at = clean.calls - 3, .error = error}, &run);
    EXPECT_EQ(run.report.outcome, RenameOutcome::kFailed);
    EXPECT_TRUE(run.problems.empty()) << Lines(run.problems);
    ASSERT_EQ(run.reporter.criticals.size(), 1u);
    EXPECT_NE(run.reporter.criticals[0].find("Nothing was undone"),
              std::string::npos);
  }
}

// The audit itself must see damage: a run whose report or files were
// tampered with afterwards is caught.
TEST(FaultInjectionTest, AuditCatchesDamage) {
  Attempt run;
  RenameWithFault(RecipeFor(5), Fault{}, &run);
  ASSERT_TRUE(run.problems.empty()) << Lines(run.problems);
  const testing::RenameRun& files = run.files;
  struct Case {
    const char* what;
    std::function<void(testing::RenameRun*, RenameReport*)> damage;
    const char* expected;
  } cases[] = {
      {"a byte outside the fields",
       [](testing::RenameRun* f, RenameReport*) {
         f->after["Trend1A.001"][300] ^= 1;
       },
       "Trend1.001: byte 300 is wrong for a done rewrite"},
      {"a file gone",
       [](testing::RenameRun* f, RenameReport*) {
         f->after.erase("Trend1A.000");
       },
       "Trend1.000 is gone"},
      {"a file grown",
       [](testing::RenameRun* f, RenameReport*) {
         f->after["Trend1A.HST"] += '\0';
       },
       "changed its length"},
      {"an unrelated file touched",
       [](testing::RenameRun* f, RenameReport*) {
         f->after["Trend1.bak"] = "x";
       },
       "Trend1.bak changed its length"},
      {"a file appeared",
       [](testing::RenameRun* f, RenameReport*) { f->after["Trend1A.bak"]; },
       "Trend1A.bak appeared"},
      {"a rename reported pending",
       [](testing::RenameRun*, RenameReport* r) {
         r->outcome = RenameOutcome::kFailed;
         r->plan.steps.back().state = StepState::kPending;
       },
       "Trend1.0421 is gone"},
      {"an intruder replaced",
       [](testing::RenameRun* f, RenameReport*) {
         f->planted["Trend1A.0421"] = "another program's file";
       },
       "Trend1A.0421, made by another program, was replaced"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::RenameRun damaged = files;
    RenameReport report = run.report;
    c.damage(&damaged, &report);
    std::string found = Lines(testing::AuditRename(damaged, report));
    EXPECT_NE(found.find(c.expected), std::string::npos) << found;
  }
}

}  // namespace
}  // namespace morvelle

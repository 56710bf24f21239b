// A run stopped at any call, as a kill or a power cut stops it, leaves
// trends that the next Morvelle's recovery puts back whole: each as it was
// before the run, or renamed. The crash comes at every call of a clean run
// in turn: every call from there on fails and does nothing. A power cut
// then also drops what the run had not flushed; a disk may have written
// some of that, bytes or names, so both halves are tried as well.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <sstream>

#include "FailingEnv.h"
#include "MemEnv.h"
#include "MessageLog.h"
#include "TrendFixture.h"
#include "app/BatchList.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

using test::Fault;
using test::FaultKind;
using test::FolderImage;
using test::MemEnv;
using test::TrendRecipe;
using Unflushed = MemEnv::Unflushed;

constexpr char kFolder[] = "/t/";

// How a crash ends: the process killed (what it did stays), or the
// machine losing power with what it had not flushed lost, or kept in part.
struct Crash {
  const char* what;
  bool powerCut;
  Unflushed survives;
};
const Crash kCrashes[] = {
    {"killed", false, Unflushed::kLost},
    {"power cut", true, Unflushed::kLost},
    {"power cut, unflushed bytes written", true, Unflushed::kBytesKept},
    {"power cut, unflushed names written", true, Unflushed::kNamesKept},
};

struct Trend {
  TrendRecipe recipe;
  std::string newTag, newPath;
};

Trend TrendNamed(const std::string& name, int version) {
  Trend trend;
  trend.recipe.name = name;
  trend.recipe.version = version;
  trend.recipe.entryCount = 3;
  trend.recipe.extraCount = 1;
  trend.recipe.dataExtensions = {"000", "001", "002", "0421"};
  trend.recipe.dataBodySize = 32;
  trend.recipe.seed = 40 + static_cast<std::uint32_t>(version);
  trend.newTag = "New " + name;
  trend.newPath = "C:\\Moved\\New" + name;
  return trend;
}

std::string HistoryPath(const Trend& trend) {
  return kFolder + trend.recipe.name + ".HST";
}

// Other files by whole path, such as a list, outside the trends' folder.
using Files = std::map<std::string, std::string>;

void Write(const std::vector<Trend>& trends, const Files& others, MemEnv* env) {
  for (const auto& [path, bytes] : others) env->AddFile(path, bytes);
  for (const Trend& trend : trends) {
    const TrendRecipe& recipe = trend.recipe;
    for (std::size_t i = 0; i < recipe.dataExtensions.size(); ++i)
      env->AddFile(kFolder + recipe.name + "." + recipe.dataExtensions[i],
                   test::DataFileBytes(recipe, i));
    env->AddFile(HistoryPath(trend), test::HistoryBytes(recipe));
  }
  env->MarkAllDurable();
}

// The files of `trend` alone in `image`.
FolderImage FilesOf(const FolderImage& image, const std::string& base) {
  FolderImage files;
  for (const auto& [name, bytes] : image)
    if (name.starts_with(base + ".")) files[name] = bytes;
  return files;
}

// Whether every trend of `trends` is whole in `now`: as in `before`, or as
// a clean rename leaves it. Counts the renamed ones.
bool EachWhole(const std::vector<Trend>& trends, const FolderImage& before,
               const FolderImage& now, int* renamed) {
  bool whole = now.size() == before.size();
  for (const Trend& trend : trends) {
    FolderImage old_files = FilesOf(before, trend.recipe.name);
    FolderImage after = test::ExpectedAfterRename(trend.recipe, old_files,
                                                  trend.newPath, trend.newTag);
    const std::string new_base =
        trend.newPath.substr(trend.newPath.rfind('\\') + 1);
    FolderImage found = FilesOf(now, trend.recipe.name);
    for (const auto& file : FilesOf(now, new_base)) found.insert(file);
    *renamed += found == after;
    whole = whole && (found == old_files || found == after);
  }
  return whole;
}

// Runs `run` on an Env that crashes at call `k` (0: never), then recovers
// on the disk as it is found; returns what went wrong, or nothing.
using Run = std::function<void(Env& env)>;

std::string CrashAndRecover(const std::vector<Trend>& trends,
                            const Files& others, const Run& run,
                            const Crash& crash, int k, int* renamed,
                            int* calls = nullptr) {
  MemEnv env;
  Write(trends, others, &env);
  const FolderImage before = env.Image(kFolder);
  {
    test::FailingEnv failing(env, Fault{.kind = FaultKind::kCrash, .at = k});
    run(failing);
    if (calls) *calls = failing.calls();
  }
  if (crash.powerCut) env.PowerCut(crash.survives);
  std::string report;
  if (!test::RecoverAll(env, kFolder, &report))
    return "a journal is left: " + report;
  int journals = 0;
  const FolderImage now = test::WithoutJournals(env.Image(kFolder), &journals);
  if (!EachWhole(trends, before, now, renamed))
    return "a trend is not whole after recovery: " + report;
  return {};
}

// Crashes `run` in each way at every call it makes; prints the figures.
// `cleanRenames`: how many trends the run renames when nothing stops it.
void Sweep(const char* what, const std::vector<Trend>& trends, const Run& run,
           int cleanRenames, const Files& others = {}) {
  int calls = 0, renamed = 0;
  ASSERT_EQ(
      CrashAndRecover(trends, others, run, kCrashes[0], 0, &renamed, &calls),
      "");
  ASSERT_EQ(renamed, cleanRenames) << "the clean run";
  int points = 0, whole = 0;
  renamed = 0;
  for (const Crash& crash : kCrashes)
    for (int k = 1; k <= calls; ++k) {
      SCOPED_TRACE(std::string(crash.what) + " at call " + std::to_string(k));
      std::string problem =
          CrashAndRecover(trends, others, run, crash, k, &renamed);
      EXPECT_EQ(problem, "");
      ++points;
      whole += problem.empty();
    }
  std::printf(
      "[ figures  ] %s: %d crash points, %d whole after recovery, "
      "%d trends renamed\n",
      what, points, whole, renamed);
  EXPECT_EQ(whole, points);
}

Run RenameOf(const Trend& trend) {
  return [trend](Env& env) {
    RenameTrend(env, HistoryPath(trend), trend.newPath, trend.newTag);
  };
}

TEST(CrashRecoveryTest, ARenameStoppedAtAnyCall) {
  for (int version : {0, 4, 5, 6}) {
    SCOPED_TRACE("version " + std::to_string(version));
    Sweep("rename", {TrendNamed("Trend1", version)},
          RenameOf(TrendNamed("Trend1", version)), 1);
  }
  // Data files whose Tag the table does not foresee are journaled as the
  // run meets them; a tag-only rename keeps every name.
  Trend unforeseen = TrendNamed("Trend1", 4);
  unforeseen.recipe.dataTag = "Another tag";
  Sweep("rename, data tags unforeseen", {unforeseen}, RenameOf(unforeseen), 1);
  unforeseen.recipe.dataTag = unforeseen.newTag;
  Sweep("rename, data tags new already", {unforeseen}, RenameOf(unforeseen), 1);
  Trend same_name = TrendNamed("Trend1", 6);
  same_name.newPath = "D:\\Other\\Trend1";
  Sweep("rename keeping the name", {same_name}, RenameOf(same_name), 1);
}

// A repair stopped at any call, by a kill or a power cut, is recovered to
// the half-done folder it found or to the repaired one.
TEST(CrashRecoveryTest, ARepairStoppedAtAnyCall) {
  const test::RenamedInMemory whole =
      test::RenameInMemory(TrendNamed("Trend1", 5).recipe);
  const FolderImage half = test::HalfDone(whole.before, whole.renamed, "Trend1",
                                          "Trend1A", {"001", "002", "0421"});
  auto recovered_whole = [&](const Crash& crash, int k, int* calls) {
    MemEnv env;
    test::AddImage(env, kFolder, half);
    env.MarkAllDurable();
    {
      test::FailingEnv failing(env, Fault{.kind = FaultKind::kCrash, .at = k});
      RepairTrend(failing, "/t/Trend1A.HST");
      if (calls) *calls = failing.calls();
    }
    if (crash.powerCut) env.PowerCut(crash.survives);
    std::string report;
    int journals = 0;
    bool recovered = test::RecoverAll(env, kFolder, &report);
    FolderImage now = test::WithoutJournals(env.Image(kFolder), &journals);
    return recovered && (now == half || now == whole.renamed);
  };
  int calls = 0, points = 0, survived = 0;
  ASSERT_TRUE(recovered_whole(kCrashes[0], 0, &calls));
  for (const Crash& crash : kCrashes)
    for (int k = 1; k <= calls; ++k, ++points) {
      bool ok = recovered_whole(crash, k, nullptr);
      EXPECT_TRUE(ok) << crash.what << " at call " << k;
      survived += ok;
    }
  std::printf("[ figures  ] repair: %d crash points, %d whole after recovery\n",
              points, survived);
  EXPECT_GT(points, 4 * 20);
}

// A run that fails at its last step walks every file back; a crash
// anywhere in that walk is recovered too.
TEST(CrashRecoveryTest, ARollbackStoppedAtAnyCall) {
  const Trend trend = TrendNamed("Trend1", 5);
  int last_flush = 0;
  {
    MemEnv env;
    Write({trend}, {}, &env);
    test::FailingEnv counting(env);
    RenameOf(trend)(counting);
    last_flush = counting.lastCallOf("flush file system", "");
  }
  ASSERT_GT(last_flush, 0);
  Sweep(
      "rollback", {trend},
      [&](Env& env) {
        test::FailingEnv failing_flush(env, last_flush);
        RenameOf(trend)(failing_flush);
      },
      0);
}

TEST(CrashRecoveryTest, ABatchOfThreeStoppedAtAnyCall) {
  const std::vector<Trend> trends = {TrendNamed("A", 4), TrendNamed("B", 5),
                                     TrendNamed("C", 6)};
  std::string list;
  for (const Trend& trend : trends)
    list += HistoryPath(trend) + "," + trend.newTag + "," +
            CsvValue(trend.newPath) + "\n";
  Sweep("--batch of three", trends,
        [](Env& env) {
          BatchListOptions options;
          options.listPath = "/l/list.csv";
          std::ostringstream out, err;
          RunBatchList(env, options, out, err);
        },
        3, {{"/l/list.csv", list}});
}

}  // namespace
}  // namespace morvelle

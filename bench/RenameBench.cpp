// Times Morvelle against the floor program and prints a table. Not a test:
// it asserts nothing, it measures.
//
//   1. one trend of N data files: batch mode against the floor;
//   2. K trends of 5 data files in a folder that also holds 20,000 other
//      files: one --batch run, the floor, and K separate runs;
//   3. one trend with 1 KiB and with 64 MiB data files;
//   4. peak memory (resident set) of every run.
//
// Each program renames the trend forth and the next one back, so every
// run finds the folder in the same state. Times are the best of a few
// rounds, in milliseconds of wall-clock time.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TrendFixture.h"
#include "platform/Env.h"
#include "ui/ManyTrends.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using morvelle::testing::TrendRecipe;

struct Measured {
  double ms = 0;
  long peakKiB = 0;
};

// Runs `args` with output thrown away; exits the benchmark if it fails.
Measured Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) !=
      0) {
    std::perror(argv[0]);
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", argv[0], status);
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(end - start).count(),
          usage.ru_maxrss};
}

// Runs `work` in a child process, so that the memory it takes never
// counts in this process: a spawned program's peak starts from it.
template <typename Work>
void InChild(Work work) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    work();
    std::fflush(nullptr);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
}

Measured Best(const std::vector<Measured>& runs) {
  Measured best = runs[0];
  for (const Measured& run : runs) {
    best.ms = std::min(best.ms, run.ms);
    best.peakKiB = std::max(best.peakKiB, run.peakKiB);
  }
  return best;
}

TrendRecipe Recipe(const std::string& name, int dataFiles,
                   std::size_t bodySize) {
  TrendRecipe recipe;
  recipe.name = name;
  recipe.entryPath = "C:\\Bench\\" + name;
  recipe.tag = name;
  recipe.entryCount = std::min(dataFiles, 1000);
  recipe.dataBodySize = bodySize;
  recipe.dataExtensions.clear();
  int digits = dataFiles > 1000 ? 5 : 3;
  for (int i = 0; i < dataFiles; ++i) {
    char extension[16];
    std::snprintf(extension, sizeof extension, "%0*d", digits, i);
    recipe.dataExtensions.push_back(extension);
  }
  return recipe;
}

struct Programs {
  std::string morvelle, floor;
};

// One trend renamed T -> U by Morvelle and back by the floor, `rounds`
// times.
std::pair<Measured, Measured> TimeOneTrend(const Programs& p,
                                           const fs::path& folder, int rounds) {
  std::vector<Measured> morvelle, floor;
  for (int r = 0; r < rounds; ++r) {
    morvelle.push_back(
        Spawn({p.morvelle, (folder / "T.HST").string(), "U", "C:\\Bench\\U"}));
    floor.push_back(
        Spawn({p.floor, folder.string(), "U", "C:\\Bench\\T", "T"}));
  }
  return {Best(morvelle), Best(floor)};
}

void CaseOne(const Programs& p) {
  std::printf(
      "1. One trend of N data files (1 KiB each): batch mode vs the floor\n"
      "   %8s %12s %10s %7s %14s %12s\n",
      "N", "morvelle ms", "floor ms", "ratio", "morvelle peak", "floor peak");
  for (int n : {10, 1000, 10000}) {
    morvelle::testing::TempFolder folder;
    InChild([&] {
      morvelle::testing::WriteTrend(folder.path(), Recipe("T", n, 1024));
    });
    auto [m, f] = TimeOneTrend(p, folder.path(), n >= 10000 ? 5 : 9);
    std::printf("   %8d %12.1f %10.1f %7.2f %11ld KiB %8ld KiB\n", n, m.ms,
                f.ms, m.ms / f.ms, m.peakKiB, f.peakKiB);
  }
}

void CaseTwo(const Programs& p) {
  const int kTrends = 1000, kOthers = 20000;
  morvelle::testing::TempFolder folder;
  InChild([&] {
    for (int i = 0; i < kOthers; ++i)
      morvelle::testing::WriteFile(
          folder.path() / ("Other" + std::to_string(i) + ".dat"), "");
    for (int i = 0; i < kTrends; ++i)
      morvelle::testing::WriteTrend(folder.path(),
                                    Recipe("T" + std::to_string(i), 5, 1024));
  });
  std::string forth;
  std::vector<std::string> floor_back = {p.floor, folder.path().string()};
  for (int i = 0; i < kTrends; ++i) {
    std::string t = "T" + std::to_string(i), u = "U" + std::to_string(i);
    forth += (folder.path() / (t + ".HST")).string() + "," + u +
             ",C:\\Bench\\" + u + "\n";
    floor_back.insert(floor_back.end(), {u, "C:\\Bench\\" + t, t});
  }
  std::string list = (folder.path() / "forth.list").string();
  morvelle::testing::WriteFile(list, forth);

  std::vector<Measured> batch, floor;
  for (int r = 0; r < 5; ++r) {
    batch.push_back(Spawn({p.morvelle, "--batch", list}));
    floor.push_back(Spawn(floor_back));
  }
  Measured b = Best(batch), f = Best(floor);
  auto start = std::chrono::steady_clock::now();
  long separate_peak = 0;
  for (int i = 0; i < kTrends; ++i) {
    std::string t = "T" + std::to_string(i), u = "U" + std::to_string(i);
    separate_peak =
        std::max(separate_peak,
                 Spawn({p.morvelle, (folder.path() / (t + ".HST")).string(), u,
                        "C:\\Bench\\" + u})
                     .peakKiB);
  }
  double separate = std::chrono::duration<double, std::milli>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  std::printf(
      "\n2. %d trends of 5 data files in a folder with %d other files\n"
      "   %-28s %10.1f ms  peak %ld KiB\n"
      "   %-28s %10.1f ms  peak %ld KiB\n"
      "   %-28s %10.1f ms  peak %ld KiB\n"
      "   --batch / floor: %.2f    separate runs / --batch: %.1f\n",
      kTrends, kOthers, "morvelle --batch", b.ms, b.peakKiB, "floor", f.ms,
      f.peakKiB, "1000 separate morvelle runs", separate, separate_peak,
      b.ms / f.ms, separate / b.ms);
}

void CaseThree(const Programs& p) {
  std::printf(
      "\n3. One trend of 10 data files, small and large data\n"
      "   %10s %12s %10s %14s\n",
      "data file", "morvelle ms", "floor ms", "morvelle peak");
  for (std::size_t size : {std::size_t{1024}, std::size_t{64} << 20}) {
    morvelle::testing::TempFolder folder;
    InChild([&] {
      morvelle::testing::WriteTrend(folder.path(), Recipe("T", 10, size));
    });
    auto [m, f] = TimeOneTrend(p, folder.path(), 9);
    std::printf("   %10s %12.1f %10.1f %11ld KiB\n",
                size == 1024 ? "1 KiB" : "64 MiB", m.ms, f.ms, m.peakKiB);
  }
}

// The "Many trends" window: reading a folder of 1,000 trends and planning
// all of them renamed, as a New path edited in every row does. Target:
// planning under a second.
void CaseManyTrendsWindow() {
  constexpr int kTrends = 1000;
  morvelle::testing::TempFolder folder;
  InChild([&] {
    for (int i = 0; i < kTrends; ++i)
      morvelle::testing::WriteTrend(folder.path(),
                                    Recipe("T" + std::to_string(i), 5, 1024));
  });
  double load_ms = 1e9, plan_ms = 1e9;
  for (int r = 0; r < 3; ++r) {
    morvelle::ManyTrends model(morvelle::Env::Default());
    std::string problem;
    auto start = std::chrono::steady_clock::now();
    model.Load(folder.path().string(), &problem);
    auto loaded = std::chrono::steady_clock::now();
    std::vector<std::size_t> all(model.rows().size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    model.Replace(all, {"\\Bench\\", "\\Moved\\X"});
    auto planning = std::chrono::steady_clock::now();
    morvelle::PlanRows(morvelle::Env::Default(), model.rows());
    auto planned = std::chrono::steady_clock::now();
    using Ms = std::chrono::duration<double, std::milli>;
    load_ms = std::min(load_ms, Ms(loaded - start).count());
    plan_ms = std::min(plan_ms, Ms(planned - planning).count());
  }
  std::printf(
      "\n5. Many trends window, %d trends of 5 data files\n"
      "   %-28s %10.1f ms\n   %-28s %10.1f ms  (target < 1000 ms)\n",
      kTrends, "read the folder", load_ms, "plan every row renamed", plan_ms);
}

}  // namespace

int main() {
  Programs programs{MORVELLE_EXE, FLOOR_EXE};
  std::printf("Morvelle rename benchmark (best of several rounds)\n\n");
  CaseOne(programs);
  CaseTwo(programs);
  CaseThree(programs);
  std::printf(
      "\n4. Peak memory: the peak columns above (resident set, case 1 at N ="
      "\n   10000). A spawned program's peak cannot read below this "
      "benchmark's\n   own, %ld KiB.\n",
      [] {
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        return self.ru_maxrss;
      }());
  // In process, so after every spawned run has been measured.
  CaseManyTrendsWindow();
  return 0;
}

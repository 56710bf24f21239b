// Times Morvelle against the floor program and prints tables. Not a test:
// it asserts nothing, it measures.
//
//   1. one trend of N data files, N = 1,000 / 10,000 / 100,000 on tmpfs
//      and up to 10,000 in a disk folder: batch mode against the floor, the
//      time per data file, and the peak memory of each;
//   2. start-up: --help, --version, --info and a run that ends at once
//      (no such history file) against a C program that does nothing;
//   3. K trends of 5 data files in a folder that also holds 20,000 other
//      files: one --batch run, the floor, and K / 10 separate runs;
//   4. one trend with 1 KiB and with 64 MiB data files;
//   5. planning 1,000 trends in the Many trends window's model, in process;
//   6. --check of 1,000 trends among 20,000 files against the floor's
//      listing and header reads (alone: morvelle_bench --check-only).
//
// Each program renames the trend forth and the next one back, so every
// run finds the folder in the same state, and the two take turns, so that
// a disturbance from outside falls on both. Times are medians, in
// milliseconds of wall-clock time.
//
//   morvelle_bench [MORVELLE]   MORVELLE: another build to measure
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
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "TrendFixture.h"
#include "platform/Env.h"
#include "trend/Journal.h"
#include "trend/TrendTools.h"
#include "ui/ManyTrends.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using morvelle::test::TrendRecipe;

struct Measured {
  double ms = 0;
  long peakKiB = 0;
};

// Runs `args` with output thrown away; exits the benchmark unless it ends
// with `expected`.
Measured Spawn(const std::vector<std::string>& args, int expected = 0) {
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
  if (!WIFEXITED(status) || WEXITSTATUS(status) != expected) {
    std::fprintf(stderr, "%s %s failed (status %d)\n", argv[0],
                 args.size() > 1 ? argv[1] : "", status);
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

// The median time and the highest peak of `runs`.
Measured Median(std::vector<Measured> runs) {
  std::sort(runs.begin(), runs.end(),
            [](const Measured& a, const Measured& b) { return a.ms < b.ms; });
  Measured median = runs[runs.size() / 2];
  for (const Measured& run : runs)
    median.peakKiB = std::max(median.peakKiB, run.peakKiB);
  return median;
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
  std::string morvelle, floor, exitAtOnce;
};

// Where the trends are made: tmpfs and a folder on disk.
struct Place {
  const char* label;
  const char* folder;
};
const Place kPlaces[] = {{"tmpfs", "/dev/shm"}, {"disk", "/var/tmp"}};

// A new empty folder in `place`, removed when it goes.
class PlaceFolder {
 public:
  explicit PlaceFolder(const Place& place) {
    setenv("TMPDIR", place.folder, 1);
    folder_.emplace();
  }
  const fs::path& path() const { return folder_->path(); }

 private:
  std::optional<morvelle::test::TempFolder> folder_;
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
  return {Median(morvelle), Median(floor)};
}

// The journal on its own: writing it, flushing it and its folder, then
// flushing the file system and removing it, as a run does around its
// changes, for the plan of the trend in `folder`. Milliseconds, median.
double JournalMs(const fs::path& folder) {
  morvelle::RenamePlan plan =
      morvelle::PlanRename(morvelle::Env::Default(),
                           (folder / "T.HST").string(), "C:\\Bench\\U", "U")
          .plan;
  std::vector<double> times;
  for (int r = 0; r < 5; ++r) {
    auto start = std::chrono::steady_clock::now();
    morvelle::RunJournal journal(morvelle::Env::Default());
    if (!journal.Begin({&plan}).ok()) std::exit(1);
    journal.Finish(false, true);
    times.push_back(std::chrono::duration<double, std::milli>(
                        std::chrono::steady_clock::now() - start)
                        .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void CaseOne(const Programs& p) {
  std::printf(
      "1. One trend of N data files (1 KiB each): batch mode vs the floor\n"
      "   %-6s %7s %11s %9s %6s %13s %13s %9s %9s\n",
      "place", "N", "morvelle ms", "floor ms", "ratio", "morvelle us/f",
      "floor us/f", "m. peak", "f. peak");
  std::printf(
      "   (journal ms: the journal's own calls, part of morvelle ms)\n");
  for (const Place& place : kPlaces) {
    for (int n : {1000, 10000, 100000}) {
      // 100,000 files on disk would take minutes to make and remove.
      if (n > 10000 && &place != &kPlaces[0]) continue;
      PlaceFolder folder(place);
      InChild([&] {
        morvelle::test::WriteTrend(folder.path(), Recipe("T", n, 1024));
      });
      int rounds = n >= 100000 ? 3 : n >= 10000 ? 5 : 11;
      auto [m, f] = TimeOneTrend(p, folder.path(), rounds);
      std::printf(
          "   %-6s %7d %11.1f %9.1f %6.2f %13.2f %13.2f %5ld KiB %5ld KiB\n",
          place.label, n, m.ms, f.ms, m.ms / f.ms, m.ms * 1000 / n,
          f.ms * 1000 / n, m.peakKiB, f.peakKiB);
      std::printf("   %-6s %7d journal ms %.2f\n", place.label, n,
                  JournalMs(folder.path()));
      std::fflush(stdout);
    }
  }
}

void CaseStartUp(const Programs& p) {
  PlaceFolder folder(kPlaces[0]);
  InChild(
      [&] { morvelle::test::WriteTrend(folder.path(), Recipe("T", 3, 1024)); });
  const std::string hst = (folder.path() / "T.HST").string();
  const std::string missing = (folder.path() / "None.HST").string();
  struct Run {
    const char* label;
    std::vector<std::string> args;
    int status;
  };
  const Run runs[] = {
      {"C program that exits at once", {p.exitAtOnce}, 0},
      {"morvelle --help", {p.morvelle, "--help"}, 0},
      {"morvelle --version", {p.morvelle, "--version"}, 0},
      {"morvelle --info T.HST", {p.morvelle, "--info", hst}, 0},
      {"morvelle, no such trend", {p.morvelle, missing, "U", "U"}, 1},
  };
  const int kRounds = 51;
  std::vector<std::vector<Measured>> times(std::size(runs));
  for (int r = 0; r < kRounds; ++r)
    for (std::size_t i = 0; i < std::size(runs); ++i)
      times[i].push_back(Spawn(runs[i].args, runs[i].status));
  std::printf("\n2. Start-up (median of %d runs)\n", kRounds);
  double base = Median(times[0]).ms;
  for (std::size_t i = 0; i < std::size(runs); ++i) {
    Measured m = Median(times[i]);
    std::printf("   %-32s %7.2f ms  %5.2f x  peak %ld KiB\n", runs[i].label,
                m.ms, m.ms / base, m.peakKiB);
  }
}

// `trends` trends T0, T1, ... of 5 data files, and `others` empty files
// beside them.
void WriteManyTrends(const PlaceFolder& folder, int trends, int others) {
  InChild([&] {
    for (int i = 0; i < others; ++i)
      morvelle::test::WriteFile(
          folder.path() / ("Other" + std::to_string(i) + ".dat"), "");
    for (int i = 0; i < trends; ++i)
      morvelle::test::WriteTrend(folder.path(),
                                 Recipe("T" + std::to_string(i), 5, 1024));
  });
}

void CaseMany(const Programs& p, const Place& place, bool separate) {
  const int kTrends = 1000, kOthers = 20000;
  PlaceFolder folder(place);
  WriteManyTrends(folder, kTrends, kOthers);
  std::string forth;
  std::vector<std::string> floor_back = {p.floor, folder.path().string()};
  for (int i = 0; i < kTrends; ++i) {
    std::string t = "T" + std::to_string(i), u = "U" + std::to_string(i);
    forth += (folder.path() / (t + ".HST")).string() + "," + u +
             ",C:\\Bench\\" + u + "\n";
    floor_back.insert(floor_back.end(), {u, "C:\\Bench\\" + t, t});
  }
  std::string list = (folder.path() / "forth.list").string();
  morvelle::test::WriteFile(list, forth);

  std::vector<Measured> batch, floor;
  for (int r = 0; r < 5; ++r) {
    batch.push_back(Spawn({p.morvelle, "--batch", list}));
    floor.push_back(Spawn(floor_back));
  }
  Measured b = Median(batch), f = Median(floor);
  std::printf("   %-6s %-26s %9.1f ms  peak %ld KiB\n", place.label,
              "morvelle --batch", b.ms, b.peakKiB);
  std::printf("   %-6s %-26s %9.1f ms  peak %ld KiB   ratio %.2f\n",
              place.label, "floor", f.ms, f.peakKiB, b.ms / f.ms);
  if (!separate) return;
  // A tenth of the trends, one run each, is enough to compare per trend.
  const int kSeparate = kTrends / 10;
  auto start = std::chrono::steady_clock::now();
  long separate_peak = 0;
  for (int i = 0; i < kSeparate; ++i) {
    std::string t = "T" + std::to_string(i), u = "U" + std::to_string(i);
    separate_peak =
        std::max(separate_peak,
                 Spawn({p.morvelle, (folder.path() / (t + ".HST")).string(), u,
                        "C:\\Bench\\" + u})
                     .peakKiB);
  }
  double ms = std::chrono::duration<double, std::milli>(
                  std::chrono::steady_clock::now() - start)
                  .count();
  std::printf(
      "   %-6s %-26s %9.1f ms  peak %ld KiB   per trend %.1f x --batch\n",
      place.label, "100 separate runs", ms, separate_peak,
      ms / kSeparate / (b.ms / kTrends));
}

void CaseLarge(const Programs& p) {
  std::printf(
      "\n4. One trend of 10 data files, small and large data (tmpfs)\n"
      "   %10s %12s %10s %14s\n",
      "data file", "morvelle ms", "floor ms", "morvelle peak");
  for (std::size_t size : {std::size_t{1024}, std::size_t{64} << 20}) {
    PlaceFolder folder(kPlaces[0]);
    InChild([&] {
      morvelle::test::WriteTrend(folder.path(), Recipe("T", 10, size));
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
  morvelle::test::TempFolder folder;
  InChild([&] {
    for (int i = 0; i < kTrends; ++i)
      morvelle::test::WriteTrend(folder.path(),
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

// --check of 1,000 trends of 5 data files among 14,000 other files (20,000
// files in all) against the floor's listing and header reads. Target: at
// most 1.5 times the floor.
void CaseCheck(const Programs& p) {
  const int kTrends = 1000, kOthers = 14000;
  PlaceFolder folder(kPlaces[0]);
  WriteManyTrends(folder, kTrends, kOthers);
  std::vector<Measured> check, floor;
  for (int r = 0; r < 21; ++r) {  // a run is short: many, for a steady median
    check.push_back(Spawn({p.morvelle, "--check", folder.path().string()}));
    floor.push_back(Spawn({p.floor, "--read", folder.path().string()}));
  }
  Measured c = Median(check), f = Median(floor);
  std::printf(
      "\n6. --check of %d trends, 20000 files (tmpfs)\n"
      "   %-26s %9.1f ms  peak %ld KiB\n"
      "   %-26s %9.1f ms  peak %ld KiB   ratio %.2f (target <= 1.5)\n",
      kTrends, "morvelle --check", c.ms, c.peakKiB, "floor --read", f.ms,
      f.peakKiB, c.ms / f.ms);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--check-only") {
    CaseCheck({MORVELLE_EXE, FLOOR_EXE, EXIT_AT_ONCE_EXE});
    return 0;
  }
  Programs programs{argc > 1 ? argv[1] : MORVELLE_EXE, FLOOR_EXE,
                    EXIT_AT_ONCE_EXE};
  std::printf("Morvelle rename benchmark: %s (medians)\n\n",
              programs.morvelle.c_str());
  CaseOne(programs);
  CaseStartUp(programs);
  std::printf("\n3. 1000 trends of 5 data files among 20000 other files\n");
  CaseMany(programs, kPlaces[0], false);
  CaseMany(programs, kPlaces[1], true);
  CaseLarge(programs);
  std::printf(
      "\nPeak memory is the resident set. A spawned program's peak cannot "
      "read\nbelow this benchmark's own, %ld KiB.\n",
      [] {
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        return self.ru_maxrss;
      }());
  CaseCheck(programs);
  // In process, so after every spawned run has been measured.
  CaseManyTrendsWindow();
  return 0;
}

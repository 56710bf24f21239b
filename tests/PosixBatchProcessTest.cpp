// The built program run as a POSIX shell runs it: arguments after the
// shell's quoting, the settings store under XDG_CONFIG_HOME.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "TrendFixture.h"
#include "app/BatchMode.h"
#include "app/RenameList.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::TrendRecipe;

struct ProcessResult {
  int status = -1;
  std::string out, err;
};

// What the program starts with besides its descriptors: a signal it
// starts with ignored (0: none), as from nohup, the most bytes a file it
// writes may reach, as `ulimit -f` sets it, and standard descriptors it
// starts with closed, as `>&-` leaves them.
struct Inherited {
  int ignoredSignal = 0;
  rlim_t fileSizeLimit = RLIM_INFINITY;
  std::vector<int> closed;
};

// Starts the built program with `args`, its settings store under
// `config`, no display, its output on the descriptors `out` and `err` and
// its input on `in` (-1: none). It starts with the default action for
// every signal but the one `inherited` ignores. Returns its process id.
pid_t StartMorvelle(const std::vector<std::string>& args,
                    const fs::path& config, int out, int err, int in = -1,
                    const Inherited& inherited = {}) {
  std::vector<std::string> strings = {MORVELLE_EXE};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv, envp;
  for (std::string& arg : strings) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::string home = "XDG_CONFIG_HOME=" + config.string();
  envp = {home.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (in < 0)
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  else
    posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  for (int fd : inherited.closed)
    posix_spawn_file_actions_addclose(&actions, fd);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigfillset(&defaults);
  // An ignored signal and the file size limit are inherited; this process
  // holds them only while it starts the program.
  const int ignored = inherited.ignoredSignal;
  struct sigaction ignore = {}, old_action;
  ignore.sa_handler = SIG_IGN;
  if (ignored != 0) {
    sigdelset(&defaults, ignored);
    sigaction(ignored, &ignore, &old_action);
  }
  struct rlimit old_limit, limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  limit = old_limit;
  limit.rlim_cur = inherited.fileSizeLimit;
  setrlimit(RLIMIT_FSIZE, &limit);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  int started = posix_spawn(&pid, MORVELLE_EXE, &actions, &attributes,
                            argv.data(), envp.data());
  setrlimit(RLIMIT_FSIZE, &old_limit);
  if (ignored != 0) sigaction(ignored, &old_action, nullptr);
  EXPECT_EQ(started, 0);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return pid;
}

// The exit status of `pid`, or -1 when a signal ended it.
int ExitStatus(pid_t pid) {
  int raw = 0;
  EXPECT_EQ(waitpid(pid, &raw, 0), pid);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// A descriptor open for writing on `path`, which is created or emptied.
int OpenForOutput(const fs::path& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  EXPECT_GE(fd, 0) << path;
  return fd;
}

// Runs the built program with `args`; its output goes to `out` (a file),
// its input comes from `in` (a descriptor, -1 for none).
ProcessResult RunMorvelle(const std::vector<std::string>& args,
                          const fs::path& config, const fs::path& scratch,
                          const fs::path& out = "", int in = -1,
                          const Inherited& inherited = {}) {
  fs::path out_path = out.empty() ? scratch / "out" : out;
  int out_fd = OpenForOutput(out_path), err_fd = OpenForOutput(scratch / "err");
  ProcessResult run;
  run.status =
      ExitStatus(StartMorvelle(args, config, out_fd, err_fd, in, inherited));
  close(out_fd);
  close(err_fd);
  if (out.empty()) run.out = test::ReadFile(out_path);
  run.err = test::ReadFile(scratch / "err");
  return run;
}

class BatchProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(config_.path() / "Morvelle");
    test::WriteFile(settings(), "[Settings]\nFileSet=/remembered/T.HST\n");
  }
  fs::path settings() const {
    return config_.path() / "Morvelle" / "Morvelle.conf";
  }
  ProcessResult Morvelle(const std::vector<std::string>& args,
                         const fs::path& out = "", int in = -1,
                         const Inherited& inherited = {}) {
    ProcessResult run =
        RunMorvelle(args, config_.path(), scratch_.path(), out, in, inherited);
    EXPECT_EQ(test::ReadFile(settings()),
              "[Settings]\nFileSet=/remembered/T.HST\n");
    return run;
  }

  test::TempFolder trend_, config_, scratch_;
};

TEST_F(BatchProcessTest, RenamesAndSummarises) {
  TrendRecipe recipe;
  recipe.dataExtensions = {"000", "001"};
  std::string hst = test::WriteTrend(trend_.path(), recipe);
  test::FolderImage before = test::ReadFolder(trend_.path());

  ProcessResult run =
      Morvelle({hst + ",", "Trend1A,", "C:\\Ostrel\\Data\\Trend1A"});

  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "Renamed trend '" + hst +
                         "':\n"
                         "  Trend1.HST -> Trend1A.HST\n"
                         "  Trend1.000 -> Trend1A.000\n"
                         "  Trend1.001 -> Trend1A.001\n"
                         "Rewrote the file table and 2 data-file headers.\n");
  EXPECT_EQ(test::ReadFolder(trend_.path()),
            test::ExpectedAfterRename(recipe, before,
                                      "C:\\Ostrel\\Data\\Trend1A", "Trend1A"));
}

TEST_F(BatchProcessTest, FailuresExitOneWithTheirMessage) {
  TrendRecipe bad_version;
  bad_version.name = "Bad";
  bad_version.version = 7;
  std::string bad = test::WriteTrend(trend_.path(), bad_version);
  std::string missing = trend_.File("Missing.HST");
  test::FolderImage before = test::ReadFolder(trend_.path());

  ProcessResult not_found = Morvelle({missing, "T", "/d/T"});
  EXPECT_EQ(not_found.status, 1);
  EXPECT_EQ(not_found.err, "morvelle: Trend '" + missing + "' not found\n");
  EXPECT_EQ(not_found.out, "");

  ProcessResult invalid = Morvelle({bad, "T", "/d/T"});
  EXPECT_EQ(invalid.status, 1);
  EXPECT_EQ(invalid.err, "morvelle: Invalid Trend Version 7\n");

  ProcessResult refused = Morvelle({bad, "", "/d/T"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "morvelle: The new tag is empty\n");
  EXPECT_EQ(test::ReadFolder(trend_.path()), before);
}

TEST_F(BatchProcessTest, CutValuesAreWarnedAbout) {
  std::string hst = test::WriteTrend(trend_.path(), TrendRecipe());
  ProcessResult run = Morvelle({hst, std::string(81, 't'), "/d/T"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "morvelle: warning: The new tag is 81 characters long; the Tag "
            "field holds 80, so it is stored cut\n");
}

TEST_F(BatchProcessTest, UsageHelpAndVersion) {
  std::string hst = test::WriteTrend(trend_.path(), TrendRecipe());
  test::FolderImage before = test::ReadFolder(trend_.path());
  // A usage error is one line and where to read more; only help prints the
  // usage.
  const std::string more = "Try 'morvelle --help' for more information.\n";
  ProcessResult two_values = Morvelle({"\"" + hst + "\",", "\"Trend1A\""});
  EXPECT_EQ(two_values.status, 2);
  EXPECT_EQ(two_values.err,
            "morvelle: a rename needs three values: history file, new tag, "
            "new path\n" +
                more);
  EXPECT_EQ(two_values.out, "");
  EXPECT_EQ(test::ReadFolder(trend_.path()), before);

  for (const char* asked : {"--help", "-h", "/?"}) {
    ProcessResult help = Morvelle({asked});
    EXPECT_EQ(help.status, 0) << asked;
    EXPECT_EQ(help.out, UsageText()) << asked;
  }
  ProcessResult version = Morvelle({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Morvelle version 1.00.003\n");

  // The window without a desktop: how to do without it, not an abort. It
  // is the window program beside the batch program that says so.
  ProcessResult no_display = Morvelle({});
  EXPECT_EQ(no_display.status, 2);
  EXPECT_EQ(no_display.err,
            "morvelle: the window: needs a desktop session, and there is none "
            "here (no DISPLAY)\n" +
                more);
}

TEST_F(BatchProcessTest, NoSettingsFileIsCreated) {
  fs::remove(settings());
  std::string hst = test::WriteTrend(trend_.path(), TrendRecipe());
  ProcessResult run =
      RunMorvelle({hst, "T", "/d/T"}, config_.path(), scratch_.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(settings()));
  test::WriteFile(settings(), "[Settings]\nFileSet=/remembered/T.HST\n");
}

TEST_F(BatchProcessTest, ListDryRunAndInfoRunThroughTheProgram) {
  std::string hst = test::WriteTrend(trend_.path(), TrendRecipe());
  test::FolderImage before = test::ReadFolder(trend_.path());
  std::string list = scratch_.File("list.csv");
  test::WriteFile(list, hst + ",Trend1A,C:\\Ostrel\\Data\\Trend1A\n");

  ProcessResult info = Morvelle({"--info", "--json", hst});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("\"dataFiles\":[\"Trend1.000\","), std::string::npos);
  // A list is the user's file, not a trend file: read through a link, and
  // from a pipe as "-".
  fs::create_symlink(list, scratch_.path() / "link.csv");
  ProcessResult dry =
      Morvelle({"--dry-run", "--batch", scratch_.File("link.csv")});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("  Trend1.HST -> Trend1A.HST\n"), std::string::npos);
  EXPECT_EQ(test::ReadFolder(trend_.path()), before);

  int pipe_fds[2];
  ASSERT_EQ(pipe2(pipe_fds, O_CLOEXEC), 0);
  std::string list_text = test::ReadFile(list);
  ASSERT_EQ(write(pipe_fds[1], list_text.data(), list_text.size()),
            static_cast<ssize_t>(list_text.size()));
  close(pipe_fds[1]);
  ProcessResult run = Morvelle({"--batch", "-"}, "", pipe_fds[0]);
  close(pipe_fds[0]);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.rfind("(standard input):1: renamed '" + hst + "'", 0), 0u)
      << run.out;
  EXPECT_EQ(test::ReadFolder(trend_.path()),
            test::ExpectedAfterRename(TrendRecipe(), before,
                                      "C:\\Ostrel\\Data\\Trend1A", "Trend1A"));
  ProcessResult again = Morvelle({"--batch", list});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("not found"), std::string::npos);
}

}  // namespace
}  // namespace morvelle

namespace morvelle {
namespace {

// Output that cannot be written (a full disk, a reader gone) fails the run
// once the files are as they will stay, rather than ending it between two
// steps of a rename or claiming a summary was seen.
TEST_F(BatchProcessTest, OutputThatCannotBeWrittenFailsTheRun) {
  std::string hst = test::WriteTrend(trend_.path(), TrendRecipe());
  test::FolderImage before = test::ReadFolder(trend_.path());
  EXPECT_EQ(Morvelle({"--info", "--json", hst}, "/dev/full").status, 1);
  EXPECT_EQ(Morvelle({"--help"}, "/dev/full").status, 1);
  EXPECT_EQ(Morvelle({hst, "Trend1A"}, "/dev/full").status, 2);

  int pipe_fds[2];
  ASSERT_EQ(pipe2(pipe_fds, O_CLOEXEC), 0);
  close(pipe_fds[0]);
  int err = OpenForOutput(scratch_.path() / "err");
  pid_t pid = StartMorvelle({hst, "Trend1A", "C:\\Ostrel\\Data\\Trend1A"},
                            config_.path(), pipe_fds[1], err);
  close(pipe_fds[1]);
  close(err);
  EXPECT_EQ(ExitStatus(pid), 1) << "not ended by SIGPIPE";
  EXPECT_EQ(test::ReadFolder(trend_.path()),
            test::ExpectedAfterRename(TrendRecipe(), before,
                                      "C:\\Ostrel\\Data\\Trend1A", "Trend1A"));
}

// Under a file size limit (`ulimit -f`) a write past it fails rather than
// ends the program: a rename whose table reaches past the limit is put
// back byte for byte, and output that cannot be written to a file fails
// the run. The table of the trend runs from byte 176 to 1328: the limit
// stops its write at once, or part-way.
TEST_F(BatchProcessTest, FileSizeLimitFailsTheRunWithNothingLost) {
  std::string hst = test::WriteTrend(trend_.path(), TrendRecipe());
  test::FolderImage before = test::ReadFolder(trend_.path());
  ASSERT_EQ(test::ReadFile(hst).size(), 1328u);
  for (rlim_t limit : {176, 1024}) {
    SCOPED_TRACE(limit);
    ProcessResult run = Morvelle({hst, "Trend1A", "C:\\Ostrel\\Data\\Trend1A"},
                                 "", -1, {0, limit, {}});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(std::strerror(EFBIG)), std::string::npos) << run.err;
    // The journal meets the limit first, or an undo writes back only what
    // the cut write changed.
    EXPECT_EQ(run.err.find("Undoing the changes failed"), std::string::npos)
        << run.err;
    EXPECT_EQ(test::ReadFolder(trend_.path()), before);
  }
  ProcessResult info = Morvelle({"--info", "--json", hst}, "", -1, {0, 16, {}});
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.out.size(), 16u);
}

// Started with standard descriptors closed, a run opens no file in their
// place. The report of a long list fills the output buffer, so it is
// written while the run holds the undo list and trend files open: neither
// may be written over, and the undo list renames every trend back.
TEST_F(BatchProcessTest, ClosedStandardDescriptorsTakeNoFilesPlace) {
  const std::string long_name(120, 'n');
  std::string list_text;
  const int kTrends = 64;
  for (int i = 0; i < kTrends; ++i) {
    TrendRecipe recipe;
    recipe.name = "T" + std::to_string(i) + long_name;
    recipe.entryPath = "C:\\D\\" + recipe.name;
    list_text += test::WriteTrend(trend_.path(), recipe) + ",Tag,C:\\D\\N" +
                 std::to_string(i) + long_name + "\n";
  }
  test::FolderImage before = test::ReadFolder(trend_.path());
  std::string list = scratch_.File("list.csv"), undo = scratch_.File("undo");
  test::WriteFile(list, list_text);
  for (const std::vector<int>& closed :
       std::vector<std::vector<int>>{{1}, {0, 1, 2}}) {
    SCOPED_TRACE(::testing::PrintToString(closed));
    fs::remove(undo);
    ProcessResult run = Morvelle({"--batch", list, "--undo-list", undo}, "", -1,
                                 {0, RLIM_INFINITY, closed});
    EXPECT_EQ(run.status, 0) << run.err;
    RenameList undo_list = ParseRenameList(test::ReadFile(undo));
    EXPECT_TRUE(undo_list.errors.empty());
    EXPECT_EQ(undo_list.rows.size(), static_cast<std::size_t>(kTrends));
    ProcessResult back = Morvelle({"--batch", undo});
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(test::ReadFolder(trend_.path()), before);
  }
}

// A pipe whose buffer is already full, so that the first write to it
// blocks until the reader drains it. Returns the junk that fills it.
std::size_t FillPipe(int writeEnd) {
  int flags = fcntl(writeEnd, F_GETFL);
  fcntl(writeEnd, F_SETFL, flags | O_NONBLOCK);
  std::size_t filled = 0;
  const std::string junk(4096, 'x');
  for (ssize_t n; (n = write(writeEnd, junk.data(), junk.size())) > 0;)
    filled += static_cast<std::size_t>(n);
  fcntl(writeEnd, F_SETFL, flags);
  return filled;
}

std::string ReadToEnd(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

// A signal that asks the program to end, sent part-way through a list of
// two large trends: the trend in progress is finished or put back byte for
// byte, the rows after it are not run, the undo list holds exactly the
// trends renamed, and the summary ends the output. A signal the program was
// started with ignored changes nothing: every row is run. Standard output
// is a full pipe, so the program cannot end before the signal is sent,
// however late it comes.
TEST_F(BatchProcessTest, StopSignalsEndTheRunWithEveryTrendWhole) {
  TrendRecipe recipe;
  recipe.dataBodySize = 8;
  recipe.dataExtensions.clear();
  for (int i = 0; i < 400; ++i) {
    char extension[8];
    std::snprintf(extension, sizeof extension, "%04d", i);
    recipe.dataExtensions.push_back(extension);
  }
  struct Case {
    int signal;
    bool ignored;
  } cases[] = {
      {SIGINT, false},  {SIGTERM, false},   {SIGHUP, false},  {SIGQUIT, false},
      {SIGALRM, false}, {SIGUSR1, false},   {SIGUSR2, false}, {SIGXCPU, false},
      {SIGPROF, false}, {SIGVTALRM, false}, {SIGHUP, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(strsignal(c.signal) +
                 std::string(c.ignored ? " ignored" : ""));
    fs::path run_folder = trend_.path() / std::to_string(&c - cases);
    const fs::path folders[] = {run_folder / "1", run_folder / "2"};
    std::string list_text, hst[2];
    test::FolderImage before[2];
    for (int i = 0; i < 2; ++i) {
      fs::create_directories(folders[i]);
      hst[i] = test::WriteTrend(folders[i], recipe);
      before[i] = test::ReadFolder(folders[i]);
      list_text += hst[i] + ",Trend1A,C:\\Ostrel\\Data\\Trend1A\n";
    }
    std::string list = scratch_.File("list.csv"), undo = scratch_.File("undo");
    fs::remove(undo);
    test::WriteFile(list, list_text);
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    std::size_t junk = FillPipe(out[1]);
    int err = OpenForOutput(scratch_.path() / "err");
    pid_t pid = StartMorvelle({"--batch", list, "--undo-list", undo},
                              config_.path(), out[1], err, -1,
                              {c.ignored ? c.signal : 0, RLIM_INFINITY, {}});
    close(out[1]);
    close(err);
    // Once a name of the first trend has changed, its rename is under way.
    int raw = 0;
    while (fs::exists(hst[0]) && !fs::exists(folders[0] / "Trend1A.HST"))
      ASSERT_EQ(waitpid(pid, &raw, WNOHANG), 0) << "ended before the signal";
    ASSERT_EQ(kill(pid, c.signal), 0);
    std::string output = ReadToEnd(out[0]).substr(junk);
    close(out[0]);
    EXPECT_EQ(ExitStatus(pid), c.ignored ? kExitRenamed : kExitInterrupted);

    std::size_t renamed = 0;
    for (int i = 0; i < 2; ++i) {
      test::FolderImage now = test::ReadFolder(folders[i]);
      bool done =
          now == test::ExpectedAfterRename(
                     recipe, before[i], "C:\\Ostrel\\Data\\Trend1A", "Trend1A");
      EXPECT_TRUE(done || now == before[i]) << i;
      EXPECT_TRUE(!done || renamed == static_cast<std::size_t>(i))
          << "renamed in order";
      renamed += done;
    }
    EXPECT_TRUE(!c.ignored || renamed == 2) << renamed;
    EXPECT_EQ(ParseRenameList(test::ReadFile(undo)).rows.size(), renamed);
    EXPECT_TRUE(output.ends_with("Summary: " + std::to_string(renamed) +
                                 " renamed, 0 refused, 0 failed, " +
                                 std::to_string(2 - renamed) + " not run.\n"))
        << output;
  }
  EXPECT_EQ(test::ReadFile(settings()),
            "[Settings]\nFileSet=/remembered/T.HST\n");
}

}  // namespace
}  // namespace morvelle

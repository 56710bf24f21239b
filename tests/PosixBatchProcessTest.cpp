// The built program run as a POSIX shell runs it: arguments after the
// shell's quoting, the settings store under XDG_CONFIG_HOME.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "TrendFixture.h"
#include "app/BatchMode.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using testing::TrendRecipe;

// Runs the built program with `args` in a folder of its own whose settings
// store is `config`, with no display; returns the exit status.
struct ProcessResult {
  int status = -1;
  std::string out, err;
};

std::string ShellQuote(const std::string& s) {
  std::string quoted = "'";
  for (char c : s)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ProcessResult RunMorvelle(const std::vector<std::string>& args,
                          const fs::path& config, const fs::path& scratch) {
  std::string command =
      "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME=" +
      ShellQuote(config.string()) + " " + ShellQuote(MORVELLE_EXE);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote((scratch / "out").string()) + " 2>" +
             ShellQuote((scratch / "err").string()) + " </dev/null";
  ProcessResult run;
  int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = testing::ReadFile(scratch / "out");
  run.err = testing::ReadFile(scratch / "err");
  return run;
}

class BatchProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(config_.path() / "Morvelle");
    testing::WriteFile(settings(), "[Settings]\nFileSet=/remembered/T.HST\n");
  }
  fs::path settings() const {
    return config_.path() / "Morvelle" / "Morvelle.conf";
  }
  ProcessResult Morvelle(const std::vector<std::string>& args) {
    ProcessResult run = RunMorvelle(args, config_.path(), scratch_.path());
    EXPECT_EQ(testing::ReadFile(settings()),
              "[Settings]\nFileSet=/remembered/T.HST\n");
    return run;
  }

  testing::TempFolder trend_, config_, scratch_;
};

TEST_F(BatchProcessTest, RenamesAndSummarises) {
  TrendRecipe recipe;
  recipe.dataExtensions = {"000", "001"};
  std::string hst = testing::WriteTrend(trend_.path(), recipe);
  testing::FolderImage before = testing::ReadFolder(trend_.path());

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
  EXPECT_EQ(testing::ReadFolder(trend_.path()),
            testing::ExpectedAfterRename(
                recipe, before, "C:\\Ostrel\\Data\\Trend1A", "Trend1A"));
}

TEST_F(BatchProcessTest, FailuresExitOneWithTheirMessage) {
  TrendRecipe bad_version;
  bad_version.name = "Bad";
  bad_version.version = 7;
  std::string bad = testing::WriteTrend(trend_.path(), bad_version);
  std::string missing = trend_.File("Missing.HST");
  testing::FolderImage before = testing::ReadFolder(trend_.path());

  ProcessResult not_found = Morvelle({missing, "T", "/d/T"});
  EXPECT_EQ(not_found.status, 1);
  EXPECT_EQ(not_found.err, "Trend '" + missing + "' not found\n");
  EXPECT_EQ(not_found.out, "");

  ProcessResult invalid = Morvelle({bad, "T", "/d/T"});
  EXPECT_EQ(invalid.status, 1);
  EXPECT_EQ(invalid.err, "Invalid Trend Version 7\n");

  ProcessResult refused = Morvelle({bad, "", "/d/T"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "The new tag is empty\n");
  EXPECT_EQ(testing::ReadFolder(trend_.path()), before);
}

TEST_F(BatchProcessTest, CutValuesAreWarnedAbout) {
  std::string hst = testing::WriteTrend(trend_.path(), TrendRecipe());
  ProcessResult run = Morvelle({hst, std::string(81, 't'), "/d/T"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "Warning: The new tag is 81 characters long; the Tag field holds "
            "80, so it is stored cut\n");
}

TEST_F(BatchProcessTest, UsageHelpAndVersion) {
  std::string hst = testing::WriteTrend(trend_.path(), TrendRecipe());
  testing::FolderImage before = testing::ReadFolder(trend_.path());
  ProcessResult two_values = Morvelle({"\"" + hst + "\",", "\"Trend1A\""});
  EXPECT_EQ(two_values.status, 2);
  EXPECT_NE(two_values.err.find("Usage:"), std::string::npos);
  EXPECT_EQ(testing::ReadFolder(trend_.path()), before);

  ProcessResult help = Morvelle({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, UsageText());
  ProcessResult version = Morvelle({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Morvelle version 1.00.003\n");

  // The window without a desktop: how to do without it, not an abort.
  ProcessResult no_display = Morvelle({});
  EXPECT_EQ(no_display.status, 2);
  EXPECT_NE(no_display.err.find("Usage:"), std::string::npos);
}

TEST_F(BatchProcessTest, NoSettingsFileIsCreated) {
  fs::remove(settings());
  std::string hst = testing::WriteTrend(trend_.path(), TrendRecipe());
  ProcessResult run =
      RunMorvelle({hst, "T", "/d/T"}, config_.path(), scratch_.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(settings()));
  testing::WriteFile(settings(), "[Settings]\nFileSet=/remembered/T.HST\n");
}

TEST_F(BatchProcessTest, ListDryRunAndInfoRunThroughTheProgram) {
  std::string hst = testing::WriteTrend(trend_.path(), TrendRecipe());
  testing::FolderImage before = testing::ReadFolder(trend_.path());
  std::string list = scratch_.File("list.csv");
  testing::WriteFile(list, hst + ",Trend1A,C:\\Ostrel\\Data\\Trend1A\n");

  ProcessResult info = Morvelle({"--info", "--json", hst});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("\"dataFiles\": [\n    \"Trend1.000\","),
            std::string::npos);
  ProcessResult dry = Morvelle({"--dry-run", "--batch", list});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("  Trend1.HST -> Trend1A.HST\n"), std::string::npos);
  EXPECT_EQ(testing::ReadFolder(trend_.path()), before);

  ProcessResult run = Morvelle({"--batch", list});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(testing::ReadFolder(trend_.path()),
            testing::ExpectedAfterRename(
                TrendRecipe(), before, "C:\\Ostrel\\Data\\Trend1A", "Trend1A"));
  ProcessResult again = Morvelle({"--batch", list});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("not found"), std::string::npos);
}

}  // namespace
}  // namespace morvelle

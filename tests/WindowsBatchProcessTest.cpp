// The built program started as Windows starts it: with one command line,
// exactly as written, which the program splits at its double quotes.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "TrendFixture.h"
#include "WindowsProcess.h"
#include "app/BatchMode.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::FolderImage;
using test::TrendRecipe;

using test::kNewPath;

struct ProcessResult {
  int status = -1;
  std::string out, err;
};

// The program beside this test program.
std::string ProgramPath() {
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  fs::path folder = fs::path(std::wstring(self, length)).parent_path();
  return test::Utf8Of(folder / "morvelle.exe");
}

HANDLE CreateOutput(const fs::path& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                     CREATE_ALWAYS, 0, nullptr);
}

class WindowsBatchProcessTest : public ::testing::Test {
 protected:
  // Runs `commandLine`, program name included.
  ProcessResult RunLine(const std::string& commandLine) {
    HANDLE out = CreateOutput(scratch_.path() / "out");
    HANDLE err = CreateOutput(scratch_.path() / "err");
    ProcessResult run;
    run.status = test::RunCommandLine(commandLine, out, err);
    CloseHandle(out);
    CloseHandle(err);
    run.out = test::ReadFile(scratch_.path() / "out");
    run.err = test::ReadFile(scratch_.path() / "err");
    return run;
  }
  // Runs the program with `text` after its quoted name.
  ProcessResult Run(const std::string& text) {
    return RunLine("\"" + ProgramPath() + "\" " + text);
  }
  std::string Quoted(const std::string& value) { return "\"" + value + "\""; }
  FolderImage Image() const { return test::ReadFolder(trend_.path()); }

  test::TempFolder trend_, scratch_;
};

TEST_F(WindowsBatchProcessTest, TheExampleCommandLineRenames) {
  TrendRecipe recipe;
  recipe.dataExtensions = {"000", "001"};
  std::string hst = test::WriteTrend(trend_.path(), recipe);
  FolderImage before = Image();

  ProcessResult run =
      Run(Quoted(hst) + ", \"Trend1A\", \"C:\\Ostrel\\Data\\Trend1A\"");

  EXPECT_EQ(run.status, kExitRenamed) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "Renamed trend '" + hst +
                         "':\n"
                         "  Trend1.HST -> Trend1A.HST\n"
                         "  Trend1.000 -> Trend1A.000\n"
                         "  Trend1.001 -> Trend1A.001\n"
                         "Rewrote the file table and 2 data-file headers.\n");
  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, "Trend1A"));
}

// The C runtime would read `\"` as a quote inside the value; split at the
// quotes, the backslash stays in its value and the next value stays whole.
TEST_F(WindowsBatchProcessTest, BackslashBeforeAClosingQuoteStaysInItsValue) {
  TrendRecipe recipe;
  std::string hst = test::WriteTrend(trend_.path(), recipe);
  FolderImage before = Image();

  ProcessResult folder_only =
      Run(Quoted(hst) + ", \"Trend1A\", \"C:\\Ostrel\\Data\\\"");
  EXPECT_EQ(folder_only.status, kExitNotRenamed);
  EXPECT_EQ(folder_only.err,
            "morvelle: The new path 'C:\\Ostrel\\Data\\' has no file name\n");
  EXPECT_EQ(Image(), before);

  ProcessResult tag = Run(Quoted(hst) + ", \"Pump\\\", " + Quoted(kNewPath));
  EXPECT_EQ(tag.status, kExitRenamed) << tag.err;
  EXPECT_EQ(Image(),
            test::ExpectedAfterRename(recipe, before, kNewPath, "Pump\\"));
}

TEST_F(WindowsBatchProcessTest, SeparatorsMayBeAnythingWithoutAQuote) {
  const char* separators[][2] = {
      {", ", ", "}, {";;", " and "}, {"", ""}, {"\t", "\\\\"}, {" ", " "}};
  for (const auto& separator : separators) {
    SCOPED_TRACE(std::string(separator[0]) + "|" + separator[1]);
    test::TempFolder folder;
    TrendRecipe recipe;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    FolderImage before = test::ReadFolder(folder.path());
    ProcessResult run =
        Run(Quoted(hst) + separator[0] + "\"Trend1A\"" + separator[1] +
            Quoted(kNewPath) + " tail \"ignored\" \"too\"");
    EXPECT_EQ(run.status, kExitRenamed) << run.err;
    EXPECT_EQ(test::ReadFolder(folder.path()),
              test::ExpectedAfterRename(recipe, before, kNewPath, "Trend1A"));
  }
}

TEST_F(WindowsBatchProcessTest, FewerThanSixPiecesAreRefused) {
  std::string hst = test::WriteTrend(trend_.path(), TrendRecipe());
  FolderImage before = Image();
  const std::string lines[] = {
      Quoted(hst) + ", \"Trend1A\"",
      Quoted(hst) + ", \"Trend1A\", C:\\Ostrel\\Data\\Trend1A",
      hst + " Trend1A C:\\Ostrel\\Data\\Trend1A",  // no quotes, no pieces
      Quoted(hst),
      "\"\"",
  };
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    ProcessResult run = Run(line);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.err.rfind("morvelle: a rename needs three values", 0), 0u)
        << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Image(), before);
  }
}

TEST_F(WindowsBatchProcessTest, ProgramNameWithSpacesOrWithoutQuotes) {
  fs::path tools = scratch_.path() / "My Tools";
  fs::create_directory(tools);
  fs::copy_file(test::PathOf(ProgramPath()), tools / "morvelle.exe");
  std::string values = ", \"Trend1A\", " + Quoted(kNewPath);
  TrendRecipe recipe;
  struct Case {
    std::string program;
  } cases[] = {{Quoted(test::Utf8Of(tools / "morvelle.exe"))},
               {"morvelle.exe"}};  // found beside this test program
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    test::TempFolder folder;
    std::string hst = test::WriteTrend(folder.path(), recipe);
    FolderImage before = test::ReadFolder(folder.path());
    ProcessResult run = RunLine(c.program + " " + Quoted(hst) + values);
    EXPECT_EQ(run.status, kExitRenamed) << run.err;
    EXPECT_EQ(test::ReadFolder(folder.path()),
              test::ExpectedAfterRename(recipe, before, kNewPath, "Trend1A"));
  }
}

TEST_F(WindowsBatchProcessTest, NamesOutsideAsciiOnTheCommandLine) {
  fs::path where = trend_.path() / test::PathOf(
                                       "Pr\xC3\xBC"
                                       "fstand");
  fs::create_directory(where);
  TrendRecipe recipe;
  recipe.name = "K\xC3\xBChlung";
  std::string hst = test::WriteTrend(where, recipe);

  ProcessResult run =
      Run(Quoted(hst) + ", \"Trend1A\", \"C:\\Daten\\Pumpe \xC3\xBC\"");

  EXPECT_EQ(run.status, kExitRenamed) << run.err;
  EXPECT_NE(run.out.find("  K\xC3\xBChlung.000 -> Pumpe \xC3\xBC.000\n"),
            std::string::npos)
      << run.out;
  std::string history =
      test::ReadFile(where / test::PathOf("Pumpe \xC3\xBC.HST"));
  EXPECT_EQ(history.substr(176, 144),
            test::Field("C:\\Daten\\Pumpe \xFC.000", 144));
}

TEST_F(WindowsBatchProcessTest, HelpAndVersionAnswerOnStandardOutput) {
  for (const char* asked : {"--help", "/?", "-h"}) {
    ProcessResult help = Run(asked);
    EXPECT_EQ(help.status, kExitRenamed) << asked;
    EXPECT_EQ(help.out, UsageText()) << asked;
  }
  ProcessResult version = Run("--version");
  EXPECT_EQ(version.status, kExitRenamed);
  EXPECT_EQ(version.out, "Morvelle version 1.00.003\n");
  EXPECT_EQ(version.err, "");
}

}  // namespace
}  // namespace morvelle

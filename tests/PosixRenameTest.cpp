// Renames among what only a POSIX file system holds: symbolic links that
// tests can make, names that differ in case only, names ending in a dot.
// Also the file-system layer on links.
#include <gtest/gtest.h>

#include <filesystem>

#include "MessageLog.h"
#include "TrendFixture.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using test::FolderImage;
using test::TrendRecipe;

using test::kNewPath;
using test::kNewTag;

TEST(PosixRenameTest, LinksAndNamesWindowsCannotHoldAreLeftAlone) {
  test::TempFolder folder;
  TrendRecipe recipe;
  recipe.dataExtensions = {"000", "001"};
  std::string hst = test::WriteTrend(folder.path(), recipe);
  fs::create_symlink(folder.path() / "Trend1.000",
                     folder.path() / "Trend1.003");
  test::WriteFile(folder.path() / "Trend1.", "other");
  FolderImage before = test::ReadFolder(folder.path());
  test::MessageLog shown;

  RenameReport report =
      shown.Tell(RenameTrend(Env::Default(), hst, kNewPath, kNewTag));

  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  EXPECT_EQ(test::ReadFolder(folder.path()),
            test::ExpectedAfterRename(recipe, before, kNewPath, kNewTag));
  EXPECT_TRUE(fs::is_symlink(folder.path() / "Trend1.003"));
  EXPECT_EQ(test::SkippedLines(report.plan),
            (std::vector<std::string>{
                "Trend1.: not a data file name",
                "Trend1.003: a symbolic link",
            }));
}

TEST(PosixRenameTest, HistoryFileThatIsALinkIsRefused) {
  test::TempFolder folder;
  std::string hst = test::WriteTrend(folder.path(), TrendRecipe());
  fs::create_symlink(hst, folder.path() / "Link.HST");
  FolderImage before = test::ReadFolder(folder.path());
  test::MessageLog shown;

  RenameReport report = shown.Tell(
      RenameTrend(Env::Default(), folder.File("Link.HST"), kNewPath, kNewTag));

  EXPECT_EQ(report.outcome, RenameOutcome::kInvalidTrend);
  EXPECT_EQ(test::ReadFolder(folder.path()), before);
  EXPECT_TRUE(fs::is_symlink(folder.path() / "Link.HST"));
}

TEST(PosixRenameTest, HistoryFileIsRecognisedInAnyCase) {
  test::TempFolder folder;
  TrendRecipe recipe;
  recipe.historyExtension = "hst";
  std::string hst = test::WriteTrend(folder.path(), recipe);
  // A second history file that differs only in case is another trend's.
  test::WriteFile(folder.path() / "Trend1.Hst", "another history file");
  // Data files copied from Windows may differ from the base in case.
  test::WriteFile(folder.path() / "TREND1.005", std::string(400, 'd'));
  FolderImage before = test::ReadFolder(folder.path());
  test::MessageLog shown;

  RenameReport report =
      shown.Tell(RenameTrend(Env::Default(), hst, kNewPath, kNewTag));

  ASSERT_TRUE(report.ok()) << report.failure.ToString();
  FolderImage after = test::ReadFolder(folder.path());
  EXPECT_EQ(after.at("Trend1.Hst"), "another history file");
  EXPECT_EQ(after.count("Trend1.hst"), 0u);
  std::string expected_data = before.at("TREND1.005");
  expected_data.replace(144, 80, test::Field(kNewTag, 80));
  EXPECT_EQ(after.at("Trend1A.005"), expected_data);
  // The history file kept its counts: it was never written as a data file.
  EXPECT_EQ(after.at("Trend1A.HST").substr(0, 176),
            before.at("Trend1.hst").substr(0, 176));
}

// Both would go to Trend1A.001.
TEST(PosixRenameTest, SameExtensionInAnotherCaseIsAConflict) {
  test::TempFolder folder;
  std::string hst = test::WriteTrend(folder.path(), TrendRecipe());
  test::WriteFile(folder.path() / "TREND1.001", "precious");
  FolderImage before = test::ReadFolder(folder.path());
  test::MessageLog shown;

  RenameReport report =
      shown.Tell(RenameTrend(Env::Default(), hst, kNewPath, kNewTag));

  EXPECT_EQ(report.outcome, RenameOutcome::kRefused);
  EXPECT_EQ(test::ReadFolder(folder.path()), before);
  ASSERT_EQ(shown.warnings.size(), 1u);
  EXPECT_NE(shown.warnings[0].find("to '"), std::string::npos)
      << shown.warnings[0];
}

// A link, even one to nothing, is a name taken: creating a file there
// neither replaces the link nor makes the file it points to.
TEST(PosixEnvTest, CreateNewFileDoesNotFollowALink) {
  test::TempFolder folder;
  fs::create_symlink(folder.path() / "target", folder.path() / "link");
  std::unique_ptr<File> file;

  Status s = Env::Default().CreateNewFile(folder.File("link"), &file);

  EXPECT_EQ(s.kind(), ErrorKind::kAlreadyExists) << s.ToString();
  EXPECT_FALSE(fs::exists(folder.path() / "target"));
  EXPECT_TRUE(fs::is_symlink(folder.path() / "link"));
}

}  // namespace
}  // namespace morvelle

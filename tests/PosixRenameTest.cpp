// Renames among symbolic links, which only POSIX tests can make.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingReporter.h"
#include "TrendFixture.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

namespace fs = std::filesystem;
using testing::FolderImage;
using testing::TrendSpec;

constexpr const char* kNewPath = "C:\\Ostrel\\Data\\Trend1A";
constexpr const char* kNewTag = "Trend1A";

TEST(PosixRenameTest, SymbolicLinksAreLeftAlone) {
  testing::TempFolder folder;
  TrendSpec spec;
  spec.dataExtensions = {"000", "001"};
  std::string hst = testing::WriteTrend(folder.path(), spec);
  fs::create_symlink(folder.path() / "Trend1.000",
                     folder.path() / "Trend1.003");
  FolderImage before = testing::ReadFolder(folder.path());
  testing::RecordingReporter reporter;

  RenameReport report =
      RenameTrend(Env::Default(), reporter, hst, kNewPath, kNewTag);

  ASSERT_TRUE(report.ok()) << report.message;
  EXPECT_EQ(testing::ReadFolder(folder.path()),
            testing::ExpectedAfterRename(spec, before, kNewPath, kNewTag));
  EXPECT_TRUE(fs::is_symlink(folder.path() / "Trend1.003"));
  ASSERT_EQ(report.plan.skipped.size(), 1u);
  EXPECT_EQ(report.plan.skipped[0].name + ": " + report.plan.skipped[0].reason,
            "Trend1.003: a symbolic link");
}

TEST(PosixRenameTest, HistoryFileThatIsALinkIsRefused) {
  testing::TempFolder folder;
  std::string hst = testing::WriteTrend(folder.path(), TrendSpec());
  fs::create_symlink(hst, folder.path() / "Link.HST");
  FolderImage before = testing::ReadFolder(folder.path());
  testing::RecordingReporter reporter;

  RenameReport report = RenameTrend(Env::Default(), reporter,
                                    folder.File("Link.HST"), kNewPath, kNewTag);

  EXPECT_EQ(report.outcome, RenameOutcome::kInvalidTrend);
  EXPECT_EQ(testing::ReadFolder(folder.path()), before);
  EXPECT_TRUE(fs::is_symlink(folder.path() / "Link.HST"));
}

}  // namespace
}  // namespace morvelle

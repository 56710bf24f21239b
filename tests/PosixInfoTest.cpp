// --info on names only a POSIX file system holds: bytes that are not UTF-8
// and control characters, which Windows keeps out of file names.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "TrendFixture.h"
#include "app/CheckMode.h"
#include "app/FolderList.h"
#include "app/InfoMode.h"
#include "platform/Env.h"

namespace morvelle {
namespace {

TEST(PosixInfoTest, NameThatIsNotUtf8StaysValidJson) {
  test::TempFolder folder;
  std::string hst = test::WriteTrend(folder.path(), test::TrendRecipe());
  test::WriteFile(folder.path() / "Trend1.\xFF\n", "x");
  std::ostringstream out, err;

  ASSERT_EQ(RunInfo(Env::Default(), hst, true, out, err), 0) << err.str();

  // The parse throws on invalid UTF-8.
  nlohmann::json json = nlohmann::json::parse(out.str());
  const nlohmann::json& skipped = json.at("skipped");
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].at("name"), "Trend1.\xEF\xBF\xBD\n");
  EXPECT_EQ(skipped[0].at("reason"), "not a data file name");
}

// A FIFO or a link named like a history file is no trend: --list and
// --check name it and exit 1 rather than pass over it.
TEST(PosixInfoTest, FifoAndLinkNamedLikeHistoryFilesAreTold) {
  test::TempFolder folder;
  test::WriteTrend(folder.path(), test::TrendRecipe());
  ASSERT_EQ(mkfifo(folder.File("Pipe.HST").c_str(), 0600), 0);
  std::filesystem::create_symlink("Trend1.HST", folder.path() / "Link.hst");
  std::ostringstream out, err, checked, none;
  EXPECT_EQ(RunList(Env::Default(), folder.File(""), false, out, err), 1);
  EXPECT_EQ(err.str(), "morvelle: Could not read '" + folder.File("Link.hst") +
                           "': named like a history file but a symbolic "
                           "link\nmorvelle: Could not read '" +
                           folder.File("Pipe.HST") +
                           "': named like a history file but not a regular "
                           "file\n");
  EXPECT_EQ(RunCheck(Env::Default(), folder.File(""), false, checked, none), 1);
  EXPECT_NE(checked.str().find(folder.File("Pipe.HST") +
                               ": named like a history file but not a "
                               "regular file\n"),
            std::string::npos)
      << checked.str();
  EXPECT_NE(checked.str().find(folder.File("Link.hst") +
                               ": named like a history file but a symbolic "
                               "link\n"),
            std::string::npos);
}

}  // namespace
}  // namespace morvelle

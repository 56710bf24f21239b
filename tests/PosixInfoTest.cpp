// --info on names only a POSIX file system holds: bytes that are not UTF-8
// and control characters, which Windows keeps out of file names.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "TrendFixture.h"
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

}  // namespace
}  // namespace morvelle

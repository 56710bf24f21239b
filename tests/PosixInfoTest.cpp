// --info on names only a POSIX file system holds: bytes that are not UTF-8
// and control characters, which Windows keeps out of file names.
#include <gtest/gtest.h>

#include <sstream>

#include "JsonChecker.h"
#include "TrendFixture.h"
#include "app/InfoMode.h"
#include "platform/Env.h"

namespace morvelle {
namespace {

TEST(PosixInfoTest, NameThatIsNotUtf8StaysValidJson) {
  testing::TempFolder folder;
  std::string hst = testing::WriteTrend(folder.path(), testing::TrendRecipe());
  testing::WriteFile(folder.path() / "Trend1.\xFF\n", "x");
  std::ostringstream out, err;

  ASSERT_EQ(RunInfo(Env::Default(), hst, true, out, err), 0) << err.str();

  std::string error;
  std::optional<testing::JsonValue> json =
      testing::ParseJson(out.str(), &error);
  ASSERT_TRUE(json) << error << "\n" << out.str();
  const auto& skipped = json->object.at("skipped").array;
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].object.at("name").string, "Trend1.\xEF\xBF\xBD\n");
  EXPECT_EQ(skipped[0].object.at("reason").string, "not a data file name");
}

}  // namespace
}  // namespace morvelle

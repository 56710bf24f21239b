#include <gtest/gtest.h>

#include "ExampleTrend.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

TEST(ExampleTrendTest, CommittedFilesAreWhatTheFixtureBuilderMakes) {
  test::TempFolder made;
  test::WriteExampleTrend(made.path());
  test::FolderImage committed = test::ReadFolder(MORVELLE_EXAMPLES_DIR);
  EXPECT_EQ(committed.size(), 4u);
  EXPECT_TRUE(committed == test::ReadFolder(made.path()))
      << "examples/ is stale: rebuild it with tools/MakeExample";
}

}  // namespace
}  // namespace morvelle

#include <gtest/gtest.h>

#include "ExampleTrend.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

TEST(ExampleTrendTest, CommittedFilesAreWhatTheFixtureBuilderMakes) {
  testing::TempFolder made;
  testing::WriteExampleTrend(made.path());
  testing::FolderImage committed = testing::ReadFolder(MORVELLE_EXAMPLES_DIR);
  EXPECT_EQ(committed.size(), 4u);
  EXPECT_TRUE(committed == testing::ReadFolder(made.path()))
      << "examples/ is stale: rebuild it with tools/MakeExample";
}

}  // namespace
}  // namespace morvelle

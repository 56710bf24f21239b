#include <gtest/gtest.h>
#include <stdlib.h>

#include "TrendFixture.h"
#include "app/Settings.h"

namespace morvelle {
namespace {

// The store's location is fixed when Qt first looks it up, so the test
// gets a folder of its own before anything else runs.
test::TempFolder* config = nullptr;

TEST(SettingsTest, FileSetIsStoredWhereTheUserExpectsIt) {
  SettingsStore& store = UserSettings();
  EXPECT_EQ(store.LoadFileSet(), "");
  store.SaveFileSet("/data/Trend \xC3\xBC.HST");
  EXPECT_EQ(store.LoadFileSet(), "/data/Trend \xC3\xBC.HST");
  std::string file =
      test::ReadFile(config->path() / "Morvelle" / "Morvelle.conf");
  EXPECT_NE(file.find("[Settings]"), std::string::npos) << file;
  EXPECT_NE(file.find("FileSet="), std::string::npos) << file;
  store.SaveFileSet("");
  EXPECT_EQ(store.LoadFileSet(), "");
}

}  // namespace
}  // namespace morvelle

int main(int argc, char** argv) {
  morvelle::test::TempFolder folder;
  morvelle::config = &folder;
  setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

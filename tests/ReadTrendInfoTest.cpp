#include <gtest/gtest.h>

#include "MessageLog.h"
#include "TrendFixture.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

using namespace std::string_literals;
using test::TrendRecipe;

class ReadTrendInfoTest : public ::testing::Test {
 protected:
  TrendInfo Read(const TrendRecipe& recipe) {
    return shown_.Tell(ReadTrendInfo(Env::Default(),
                                     test::WriteTrend(folder_.path(), recipe)));
  }
  test::TempFolder folder_;
  test::MessageLog shown_;
};

TEST_F(ReadTrendInfoTest, WidthsAndValuesOfEveryVersion) {
  struct Case {
    int version, pathWidth, tagWidth;
  } cases[] = {{0, 144, 32}, {1, 144, 32}, {2, 144, 32}, {3, 144, 32},
               {4, 272, 64}, {5, 144, 80}, {6, 272, 80}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    TrendRecipe recipe;
    recipe.version = c.version;
    recipe.entryPath = "C:\\Ostrel\\v" + std::to_string(c.version) + "\\Trend1";
    recipe.tag = "Tag" + std::to_string(c.version);
    recipe.dataExtensions = {"007"};
    TrendInfo info = Read(recipe);
    EXPECT_EQ(info.pathWidth, c.pathWidth);
    EXPECT_EQ(info.tagWidth, c.tagWidth);
    // The dot and digits are gone, and with them the NUL fill after them.
    EXPECT_EQ(info.path, recipe.entryPath);
    EXPECT_EQ(info.tag, test::Field(recipe.tag, c.tagWidth));
    EXPECT_EQ(FieldDisplayText(info.tag), recipe.tag);
  }
  EXPECT_TRUE(shown_.criticals.empty());
}

// The extension is what follows the last dot of the value up to its NUL,
// and only when that dot follows the last separator: neither a dot in a
// folder name nor one among bytes another writer left after the NUL
// counts.
TEST_F(ReadTrendInfoTest, OriginalPathLosesOnlyItsOwnExtension) {
  struct Case {
    std::string field, path;
  } cases[] = {
      {"C:\\Data\\Trend1.000", "C:\\Data\\Trend1"},
      {"C:\\Ostrel.Data\\Trend1", "C:\\Ostrel.Data\\Trend1"},
      {"/data.old/Trend1", "/data.old/Trend1"},
      {"C:\\Data\\Trend1.000" + std::string(3, '\0') + "junk.xyz",
       "C:\\Data\\Trend1"},
      {"C:\\Data\\Trend1" + std::string(3, '\0') + "x.old\\y",
       "C:\\Data\\Trend1"},
      {"C:\\Data\\Trend1.", "C:\\Data\\Trend1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TrendRecipe recipe;
    recipe.dataExtensions = {"000"};
    std::string hst = test::WriteTrend(folder_.path(), recipe);
    std::string bytes = test::ReadFile(hst);
    bytes.replace(176, 144, test::Field(c.field, 144));
    test::WriteFile(hst, bytes);
    EXPECT_EQ(shown_.Tell(ReadTrendInfo(Env::Default(), hst)).path, c.path);
  }
}

TEST_F(ReadTrendInfoTest, StoredTextIsShownDecoded) {
  TrendRecipe recipe;
  recipe.tag = "K\xFChlung \x80";  // Windows-1252 bytes
  EXPECT_EQ(FieldDisplayText(Read(recipe).tag), "K\xC3\xBChlung \xE2\x82\xAC");
}

TEST_F(ReadTrendInfoTest, UnknownVersionIsReportedWithEmptyResults) {
  for (int version : {7, -1}) {
    TrendRecipe recipe;
    recipe.version = version;
    TrendInfo info = Read(recipe);
    EXPECT_EQ(info.path, "");
    EXPECT_EQ(info.tag, "");
    EXPECT_EQ(info.pathWidth, 0);
    EXPECT_EQ(info.tagWidth, 0);
  }
  EXPECT_EQ(shown_.criticals,
            (std::vector<std::string>{"Invalid Trend Version 7",
                                      "Invalid Trend Version -1"}));
}

TEST_F(ReadTrendInfoTest, EmptyFileReadsAsVersionZero) {
  test::WriteFile(folder_.path() / "Empty.HST", "");
  TrendInfo info =
      shown_.Tell(ReadTrendInfo(Env::Default(), folder_.File("Empty.HST")));
  EXPECT_EQ(info.pathWidth, 144);
  EXPECT_EQ(info.tagWidth, 32);
  EXPECT_EQ(info.path, "");
  EXPECT_EQ(FieldDisplayText(info.tag), "");
  EXPECT_TRUE(shown_.criticals.empty());
}

TEST_F(ReadTrendInfoTest, MissingFileIsReported) {
  TrendInfo info =
      shown_.Tell(ReadTrendInfo(Env::Default(), folder_.File("None.HST")));
  EXPECT_EQ(info.tagWidth, 0);
  EXPECT_EQ(shown_.warnings,
            std::vector<std::string>{"Trend '" + folder_.File("None.HST") +
                                     "' not found"});
}

}  // namespace
}  // namespace morvelle

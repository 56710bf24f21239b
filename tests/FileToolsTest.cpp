#include <gtest/gtest.h>

#include <string>

#include "TrendFixture.h"
#include "platform/Env.h"
#include "trend/FileTools.h"

namespace morvelle {
namespace {

using namespace std::string_literals;

struct PathCase {
  std::string path;
  std::string folder, name, stripped, extension;
};

// Windows paths, POSIX paths, and raw field values with their NUL fill.
const PathCase kPathCases[] = {
    {"C:\\Temp\\Trend1.HST", "C:\\Temp\\", "Trend1.HST", "C:\\Temp\\Trend1",
     "HST"},
    {"/data/trends/Trend1.000", "/data/trends/", "Trend1.000",
     "/data/trends/Trend1", "000"},
    {"C:\\Temp\\", "C:\\", "", "C:\\Temp\\", ""},  // final separator ignored
    {"C:\\a.b\\Trend1", "C:\\a.b\\", "Trend1", "C:\\a.b\\Trend1", "b\\Trend1"},
    {"Trend1.HST", "", "Trend1.HST", "Trend1", "HST"},
    {".HST", "", ".HST", "", "HST"},
    {"C:/mixed\\seps/T.001", "C:/mixed\\seps/", "T.001", "C:/mixed\\seps/T",
     "001"},
    {"C:\\Temp\\\\T.000", "C:\\Temp\\", "T.000", "C:\\Temp\\\\T", "000"},
    {"C:\\x\\T1.000\0\0\0"s, "C:\\x\\", "T1.000\0\0\0"s, "C:\\x\\T1", "000"},
    // A dot in the fill after the NUL is still the last dot.
    {"C:\\x\\T1.000\0.junk\0"s, "C:\\x\\", "T1.000\0.junk\0"s,
     "C:\\x\\T1.000\0"s, "junk"},
    {"C:\\x\\T1\0\0\0"s, "C:\\x\\", "T1\0\0\0"s, "C:\\x\\T1\0\0\0"s, ""},
};

TEST(FileToolsTest, HelpersFollowTheirTable) {
  for (const PathCase& c : kPathCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FolderOf(c.path), c.folder);
    EXPECT_EQ(FileNameOf(c.path), c.name);
    EXPECT_EQ(StripExtension(c.path), c.stripped);
    EXPECT_EQ(ExtensionOf(c.path), c.extension);
  }
}

TEST(FileToolsTest, AddBackslashKeepsAnExistingSeparator) {
  EXPECT_EQ(AddBackslash("C:\\Temp"), "C:\\Temp\\");
  EXPECT_EQ(AddBackslash("C:\\Temp\\"), "C:\\Temp\\");
  EXPECT_EQ(AddBackslash("/tmp/"), "/tmp/");
  EXPECT_EQ(AddBackslash("/tmp", '/'), "/tmp/");
  EXPECT_EQ(AddBackslash(""), "\\");
}

TEST(FileToolsTest, FileExistsOnlyForRegularFiles) {
  testing::TempFolder folder;
  testing::WriteFile(folder.path() / "T.HST", "x");
  std::filesystem::create_directory(folder.path() / "D.HST");
  Env& env = Env::Default();
  EXPECT_TRUE(FileExists(env, folder.File("T.HST")));
  EXPECT_FALSE(FileExists(env, folder.File("D.HST")));
  EXPECT_FALSE(FileExists(env, folder.File("missing.HST")));
  EXPECT_FALSE(FileExists(env, ""));
}

}  // namespace
}  // namespace morvelle

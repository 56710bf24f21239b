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
  // As a table entry's Path value: its extension ("-" for none) and the
  // value without it.
  std::string fieldExtension, fieldWithout;
};

// Windows paths, POSIX paths, and raw field values with their NUL fill.
const PathCase kPathCases[] = {
    {"C:\\Temp\\Trend1.HST", "C:\\Temp\\", "Trend1.HST", "C:\\Temp\\Trend1",
     "HST", "HST", "C:\\Temp\\Trend1"},
    {"/data/trends/Trend1.000", "/data/trends/", "Trend1.000",
     "/data/trends/Trend1", "000", "000", "/data/trends/Trend1"},
    {"C:\\Temp\\", "C:\\", "", "C:\\Temp\\", "", "-",
     "C:\\Temp\\"},  // final separator ignored
    {"C:\\a.b\\Trend1", "C:\\a.b\\", "Trend1", "C:\\a.b\\Trend1", "b\\Trend1",
     "-", "C:\\a.b\\Trend1"},
    {"Trend1.HST", "", "Trend1.HST", "Trend1", "HST", "HST", "Trend1"},
    {".HST", "", ".HST", "", "HST", "HST", ""},
    {"C:/mixed\\seps/T.001", "C:/mixed\\seps/", "T.001", "C:/mixed\\seps/T",
     "001", "001", "C:/mixed\\seps/T"},
    {"C:\\Temp\\\\T.000", "C:\\Temp\\", "T.000", "C:\\Temp\\\\T", "000", "000",
     "C:\\Temp\\\\T"},
    {"C:\\x\\T1.000\0\0\0"s, "C:\\x\\", "T1.000\0\0\0"s, "C:\\x\\T1", "000",
     "000", "C:\\x\\T1"},
    // A dot in the fill after the NUL is still the last dot.
    // ... except in a table entry's Path, which ends at its NUL.
    {"C:\\x\\T1.000\0.junk\0"s, "C:\\x\\", "T1.000\0.junk\0"s,
     "C:\\x\\T1.000\0"s, "junk", "000", "C:\\x\\T1"},
    {"C:\\x\\T1\0\0\0"s, "C:\\x\\", "T1\0\0\0"s, "C:\\x\\T1\0\0\0"s, "", "-",
     "C:\\x\\T1"},
    {"C:\\x\\T1\0a.b\\c"s, "C:\\x\\T1\0a.b\\"s, "c", "C:\\x\\T1\0a.b\\c"s,
     "b\\c", "-", "C:\\x\\T1"},
};

TEST(FileToolsTest, HelpersFollowTheirTable) {
  for (const PathCase& c : kPathCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FolderOf(c.path), c.folder);
    EXPECT_EQ(FileNameOf(c.path), c.name);
    EXPECT_EQ(StripExtension(c.path), c.stripped);
    EXPECT_EQ(ExtensionOf(c.path), c.extension);
    EXPECT_EQ(PathFieldExtension(c.path).value_or("-"), c.fieldExtension);
    EXPECT_EQ(PathFieldWithoutExtension(c.path), c.fieldWithout);
  }
}

TEST(FileToolsTest, CaseFoldingAndShownNamesIgnoreTheLocale) {
  EXPECT_EQ(FoldCase("Trend1.HST \xC4\xD6"), "trend1.hst \xC4\xD6");
  EXPECT_TRUE(EqualsIgnoringCase("TREND1.hst", "trend1.HST"));
  EXPECT_FALSE(EqualsIgnoringCase("Trend1", "Trend1 "));
  EXPECT_EQ(EscapeControlCharacters("a\nb\x1B[31m\x7F\tc\\d\xC3\xA9"),
            "a\\x0Ab\\x1B[31m\\x7F\\x09c\\d\xC3\xA9");
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

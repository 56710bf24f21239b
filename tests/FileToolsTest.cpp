#include <gtest/gtest.h>

#include <string>

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

// Names are equal where NTFS's upcase table makes them equal: ASCII,
// Latin, Greek, Cyrillic and Armenian letters, one character to one.
TEST(FileToolsTest, CaseFoldingAndShownNamesIgnoreTheLocale) {
  struct Case {
    std::string a, b;
    bool equal;
  } cases[] = {
      {"TREND1.hst", "trend1.HST", true},
      {"Trend1", "Trend1 ", false},
      {"\xC3\x96l", "\xC3\xB6L", true},  // Öl, öL
      {"\xC3\x97", "\xC3\xB7", false},   // ×, ÷
      {"\xC3\xBF", "\xC5\xB8", true},    // ÿ, Ÿ
      {"\xC5\x81\xC3\xB3\xC5\xBA", "\xC5\x82\xC3\x93\xC5\xB9", true},  // Łóź
      {"\xCE\xA3\xCE\xAC", "\xCF\x82\xCE\x86", true},  // Σά, ςΆ
      {"\xCF\x83", "\xCF\x82", true},                  // σ, ς
      {"\xC2\xB5", "\xCE\xBC", true},                  // µ, μ
      {"\xD0\x81\xD0\xB6", "\xD1\x91\xD0\x96", true},  // Ёж, ёЖ
      {"\xD4\xB1", "\xD5\xA1", true},                  // Armenian ayb
      {"\xC4\xB1", "I", false},                        // dotless ı
      {"\xC4\xB0", "i", false},                        // İ
      {"\xC5\xBF", "s", false},                        // long ſ
      {"\xC3\x9F", "ss", false},                       // ß
      {"\xE2\x84\xAA", "k", false},                    // Kelvin sign
      {"\xC3\x41", "\xC3\x61", true},                  // a lead byte, A, a
      {"\x96", "\xB6", false},                         // lone continuations
      {"\xC3\xB6", "\xC3\xD6", false},                 // ö, not UTF-8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " " + c.b);
    EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal);
    EXPECT_EQ(EqualsIgnoringCase(c.b, c.a), c.equal);
    EXPECT_EQ(FoldCase(c.a) == FoldCase(c.b), c.equal);
    if (c.equal) {
      EXPECT_EQ(FoldedHash(c.a), FoldedHash(c.b));
    }
  }
  // Every two-byte character folds to one that folds to itself, in the
  // same number of bytes, and a hash may go on from the stem's.
  for (int c = 0x80; c < 0x800; ++c) {
    const std::string s = {static_cast<char>(0xC0 | c >> 6),
                           static_cast<char>(0x80 | (c & 0x3F))};
    const std::string folded = FoldCase(s);
    ASSERT_EQ(folded.size(), 2u) << std::hex << c;
    EXPECT_EQ(FoldCase(folded), folded) << std::hex << c;
    EXPECT_TRUE(EqualsIgnoringCase(s, folded)) << std::hex << c;
    EXPECT_EQ(FoldedHash(".HST", FoldedHash(s)), FoldedHash(folded + ".hst"));
  }
  EXPECT_EQ(FoldCase("Trend1.HST \xC4\xD6 \xC3\xB6"),
            "trend1.hst \xC4\xD6 \xC3\x96");
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

}  // namespace
}  // namespace morvelle

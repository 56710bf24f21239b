#include <gtest/gtest.h>

#include "TrendFixture.h"
#include "trend/TrendDefinitions.h"

namespace morvelle {
namespace {

using namespace std::string_literals;

TEST(TrendDefinitionsTest, LayoutsMatchTheFormatTables) {
  for (int version = 0; version <= 6; ++version) {
    SCOPED_TRACE(version);
    std::optional<TrendLayout> layout = LayoutForVersion(version);
    ASSERT_TRUE(layout);
    test::FixtureLayout expected = test::FixtureLayoutFor(version);
    EXPECT_EQ(layout->entrySize, expected.entrySize);
    EXPECT_EQ(layout->pathWidth, expected.pathWidth);
    EXPECT_EQ(layout->entryTagOffset, expected.entryTagOffset);
    EXPECT_EQ(layout->tagWidth, expected.tagWidth);
    EXPECT_EQ(layout->dataHeaderSize, expected.dataHeaderSize);
    EXPECT_EQ(layout->dataTagOffset, expected.dataTagOffset);
    EXPECT_EQ(layout->PathEditLimit(), expected.pathWidth - 4);
  }
  for (int version : {-32768, -1, 7, 8, 255, 32767})
    EXPECT_FALSE(LayoutForVersion(version)) << version;
}

TEST(TrendDefinitionsTest, CountsAreSignedLittleEndian) {
  HstHeader header;
  header.bytes[138] = '\x05';
  header.bytes[150] = '\xFF';
  header.bytes[151] = '\xFF';
  header.bytes[154] = '\x01';
  header.bytes[155] = '\x80';
  EXPECT_EQ(header.Version(), 5);
  EXPECT_EQ(header.EntryCount(), -1);
  EXPECT_EQ(header.ExtraCount(), -32767);
}

TEST(TrendDefinitionsTest, PadAndTrim) {
  EXPECT_EQ(PadWithNul("abc", 5), "abc\0\0"s);
  EXPECT_EQ(PadWithNul("abcdef", 5), "abcdef");
  EXPECT_EQ(PadWithNul("", 2), "\0\0"s);
  EXPECT_EQ(TrimAtNul("abc\0def"s), "abc");
  EXPECT_EQ(TrimAtNul("abc"), "abc");
  EXPECT_EQ(TrimAtNul("\0abc"s), "");
}

TEST(TrendDefinitionsTest, StoreFieldPadsCutsAndLeavesNeighbours) {
  std::string record(20, 'x');
  StoreField(&record, {4, 8}, "abc");
  EXPECT_EQ(record, "xxxxabc\0\0\0\0\0xxxxxxxx"s);
  StoreField(&record, {4, 8}, "0123456789");
  EXPECT_EQ(record, "xxxx01234567xxxxxxxx");
  EXPECT_EQ(ReadField(record, {4, 8}), "01234567");
}

TEST(TrendDefinitionsTest, ThirteenCharactersInA144WidePath) {
  std::string record(240, '\0');
  StoreField(&record, LayoutForVersion(2)->EntryPath(), "C:\\T\\Tr1.000");
  std::string raw = ReadField(record, LayoutForVersion(2)->EntryPath());
  EXPECT_EQ(raw.size(), 144u);
  EXPECT_EQ(TrimAtNul(raw), "C:\\T\\Tr1.000");
}

}  // namespace
}  // namespace morvelle

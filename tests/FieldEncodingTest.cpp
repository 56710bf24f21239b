#include <gtest/gtest.h>

#include "platform/FieldEncoding.h"
#include "platform/Utf8.h"

namespace morvelle {
namespace {

TEST(FieldEncodingTest, EveryByteSurvivesDecodeThenEncode) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::optional<std::string> back = EncodeFieldText(DecodeFieldText(all));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, all);
}

TEST(FieldEncodingTest, Windows1252Characters) {
  struct Case {
    const char* utf8;
    const char* bytes;
  } cases[] = {
      {"Trend1", "Trend1"},     {"K\xC3\xBChlung", "K\xFChlung"},  // ü
      {"\xE2\x82\xAC", "\x80"},                                    // €
      {"\xE2\x80\x93", "\x96"},                                    // en dash
      {"\xC5\xB8", "\x9F"},                                        // Ÿ
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeFieldText(c.utf8), std::string(c.bytes)) << c.utf8;
    EXPECT_EQ(DecodeFieldText(c.bytes), c.utf8);
  }
}

TEST(FieldEncodingTest, RefusesWhatTheCodePageCannotHold) {
  std::string bad;
  EXPECT_FALSE(EncodeFieldText("Pump \xCE\xA9", &bad));  // Ω
  EXPECT_EQ(bad, "\xCE\xA9");
  EXPECT_FALSE(EncodeFieldText("\xF0\x9F\x98\x80", &bad));  // emoji
  EXPECT_EQ(bad, "\xF0\x9F\x98\x80");
  for (const char* invalid :
       {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "a\xFFz", "\xE2\x82"}) {
    EXPECT_FALSE(EncodeFieldText(invalid, &bad)) << invalid;
    EXPECT_EQ(bad, "");
  }
}

TEST(Utf8Test, DecodesWellFormedSequencesAndWritesThemBack) {
  struct Case {
    std::string bytes;
    char32_t value;
    std::size_t length;  // 0: rejected
  } cases[] = {
      // The first and last code point of each length, and around the
      // surrogates; only the first sequence is read.
      {"A", 0x41, 1},
      {"\x7F", 0x7F, 1},
      {"\xC2\x80", 0x80, 2},
      {"\xDF\xBFz", 0x7FF, 2},
      {"\xE0\xA0\x80", 0x800, 3},
      {"\xED\x9F\xBF", 0xD7FF, 3},
      {"\xEE\x80\x80", 0xE000, 3},
      {"\xEF\xBF\xBF", 0xFFFF, 3},
      {"\xF0\x90\x80\x80", 0x10000, 4},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
      // Empty, stray, cut short, overlong, surrogates, beyond U+10FFFF.
      {"", 0, 0},
      {"\x80", 0, 0},
      {"\xC3", 0, 0},
      {"\xE2\x82z", 0, 0},
      {"\xC1\xBF", 0, 0},
      {"\xE0\x9F\xBF", 0, 0},
      {"\xF0\x8F\xBF\xBF", 0, 0},
      {"\xED\xA0\x80", 0, 0},
      {"\xED\xBF\xBF", 0, 0},
      {"\xF4\x90\x80\x80", 0, 0},
      {"\xF5\x80\x80\x80", 0, 0},
  };
  for (const Case& c : cases) {
    std::optional<Utf8CodePoint> decoded = DecodeUtf8(c.bytes);
    ASSERT_EQ(decoded.has_value(), c.length != 0) << c.bytes;
    if (!decoded) continue;
    EXPECT_EQ(decoded->value, c.value) << c.bytes;
    EXPECT_EQ(decoded->length, c.length) << c.bytes;
    std::string written;
    AppendUtf8(c.value, &written);
    EXPECT_EQ(written, c.bytes.substr(0, c.length));
  }
}

}  // namespace
}  // namespace morvelle

#include <gtest/gtest.h>

#include "platform/FieldEncoding.h"

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

}  // namespace
}  // namespace morvelle

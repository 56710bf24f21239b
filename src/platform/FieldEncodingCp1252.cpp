// Windows-1252 without the help of iconv: bytes 0x00-0x7F and 0xA0-0xFF
// are the Unicode code points of the same value; 0x80-0x9F hold the
// typographic characters below. The five bytes Windows leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value,
// as Windows itself maps them, so every byte survives a round trip.
#include <array>
#include <cstdint>

#include "platform/FieldEncoding.h"
#include "platform/Utf8.h"

namespace morvelle {
namespace {

constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<unsigned char> ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

char32_t CodePointOf(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

}  // namespace

std::optional<std::string> EncodeFieldText(std::string_view utf8,
                                           std::string* unencodable) {
  std::string bytes;
  bytes.reserve(utf8.size());
  while (!utf8.empty()) {
    std::optional<Utf8CodePoint> c = DecodeUtf8(utf8);
    if (!c) {
      if (unencodable) unencodable->clear();
      return std::nullopt;
    }
    std::optional<unsigned char> byte = ByteOf(c->value);
    if (!byte) {
      if (unencodable) *unencodable = std::string(utf8.substr(0, c->length));
      return std::nullopt;
    }
    bytes.push_back(static_cast<char>(*byte));
    utf8.remove_prefix(c->length);
  }
  return bytes;
}

std::string DecodeFieldText(std::string_view bytes) {
  std::string utf8;
  utf8.reserve(bytes.size());
  for (char b : bytes)
    AppendUtf8(CodePointOf(static_cast<unsigned char>(b)), &utf8);
  return utf8;
}

}  // namespace morvelle

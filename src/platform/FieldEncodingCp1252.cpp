// Windows-1252 without the help of iconv: bytes 0x00-0x7F and 0xA0-0xFF
// are the Unicode code points of the same value; 0x80-0x9F hold the
// typographic characters below. The five bytes Windows leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value,
// as Windows itself maps them, so every byte survives a round trip.
#include <array>
#include <cstdint>

#include "platform/FieldEncoding.h"

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

// Decodes one UTF-8 sequence at `*pos`, advancing it; nothing when the
// sequence is malformed, overlong or a surrogate.
std::optional<char32_t> NextCodePoint(std::string_view s, std::size_t* pos) {
  auto lead = static_cast<unsigned char>(s[*pos]);
  int extra = lead < 0x80   ? 0
              : lead < 0xC2 ? -1
              : lead < 0xE0 ? 1
              : lead < 0xF0 ? 2
              : lead < 0xF5 ? 3
                            : -1;
  if (extra < 0 || s.size() - *pos <= static_cast<std::size_t>(extra))
    return std::nullopt;
  char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    auto next = static_cast<unsigned char>(s[*pos + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    return std::nullopt;
  *pos += extra + 1;
  return c;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::optional<std::string> EncodeFieldText(std::string_view utf8,
                                           std::string* unencodable) {
  std::string bytes;
  bytes.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t start = pos;
    std::optional<char32_t> c = NextCodePoint(utf8, &pos);
    if (!c) {
      if (unencodable) unencodable->clear();
      return std::nullopt;
    }
    std::optional<unsigned char> byte = ByteOf(*c);
    if (!byte) {
      if (unencodable)
        *unencodable = std::string(utf8.substr(start, pos - start));
      return std::nullopt;
    }
    bytes.push_back(static_cast<char>(*byte));
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

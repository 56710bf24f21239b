#include "platform/Utf8.h"

namespace morvelle {

std::optional<Utf8CodePoint> DecodeUtf8(std::string_view s) {
  if (s.empty()) return std::nullopt;
  auto lead = static_cast<unsigned char>(s[0]);
  // 0x80-0xBF continue a sequence; 0xC0, 0xC1 and 0xF5-0xFF start only
  // overlong forms or code points above U+10FFFF.
  std::size_t length = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
  if (length == 0 || length > s.size()) return std::nullopt;
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    auto next = static_cast<unsigned char>(s[i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  // The smallest code point that needs `length` bytes.
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    return std::nullopt;
  return Utf8CodePoint{c, length};
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
    return;
  }
  // The lead byte marks the length; six bits follow in each further byte.
  static constexpr unsigned char kLeadMark[] = {0, 0, 0xC0, 0xE0, 0xF0};
  std::size_t length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  out->push_back(
      static_cast<char>(kLeadMark[length] | (c >> (6 * (length - 1)))));
  for (std::size_t i = length - 1; i > 0; --i)
    out->push_back(static_cast<char>(0x80 | ((c >> (6 * (i - 1))) & 0x3F)));
}

}  // namespace morvelle

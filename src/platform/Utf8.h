// UTF-8, the program's own text encoding: one reader and one writer, so
// that every part of the program agrees on what is well formed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace morvelle {

struct Utf8CodePoint {
  char32_t value;
  std::size_t length;  // bytes of its UTF-8 sequence, 1 to 4
};

// The code point whose UTF-8 sequence starts `s`, or nothing when `s` is
// empty or does not start with a well-formed sequence: a stray
// continuation byte, a sequence cut short, an overlong form, a surrogate
// (U+D800-U+DFFF) or a code point above U+10FFFF.
std::optional<Utf8CodePoint> DecodeUtf8(std::string_view s);

// Appends the UTF-8 sequence of `c` to `*out`. `c` must be a code point
// that DecodeUtf8 accepts.
void AppendUtf8(char32_t c, std::string* out);

}  // namespace morvelle

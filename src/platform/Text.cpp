#include "platform/Text.h"

namespace morvelle {
namespace {

// Lower-case letters first, first + step, ... last, whose upper cases are
// each the letter + `delta`, all in the two-byte range.
struct CaseRun {
  char16_t first, last;
  std::uint8_t step;
  std::int16_t delta;
};

// The characters U+0080 up to kEnd, each as its upper case (itself when
// it has none), built once by the compiler.
constexpr char16_t kFirst = 0x80, kEnd = 0x600;
struct UpperCases {
  char16_t of[kEnd - kFirst];
};

constexpr UpperCases MakeUpperCases() {
  constexpr CaseRun kRuns[] = {
      // Latin-1 Supplement: the micro sign is the Greek mu.
      {0x00B5, 0x00B5, 1, 743},
      {0x00E0, 0x00F6, 1, -32},
      {0x00F8, 0x00FE, 1, -32},
      {0x00FF, 0x00FF, 1, 121},
      // Latin Extended-A: pairs, the capital first.
      {0x0101, 0x012F, 2, -1},
      {0x0133, 0x0137, 2, -1},
      {0x013A, 0x0148, 2, -1},
      {0x014B, 0x0177, 2, -1},
      {0x017A, 0x017E, 2, -1},
      // Greek and Coptic, with the symbol forms of the letters.
      {0x0371, 0x0373, 2, -1},
      {0x0377, 0x0377, 1, -1},
      {0x037B, 0x037D, 1, 130},
      {0x03AC, 0x03AC, 1, -38},
      {0x03AD, 0x03AF, 1, -37},
      {0x03B1, 0x03C1, 1, -32},
      {0x03C2, 0x03C2, 1, -31},
      {0x03C3, 0x03CB, 1, -32},
      {0x03CC, 0x03CC, 1, -64},
      {0x03CD, 0x03CE, 1, -63},
      {0x03D0, 0x03D0, 1, -62},
      {0x03D1, 0x03D1, 1, -57},
      {0x03D5, 0x03D5, 1, -47},
      {0x03D6, 0x03D6, 1, -54},
      {0x03D7, 0x03D7, 1, -8},
      {0x03D9, 0x03EF, 2, -1},
      {0x03F0, 0x03F0, 1, -86},
      {0x03F1, 0x03F1, 1, -80},
      {0x03F2, 0x03F2, 1, 7},
      {0x03F3, 0x03F3, 1, -116},
      {0x03F5, 0x03F5, 1, -96},
      {0x03F8, 0x03F8, 1, -1},
      {0x03FB, 0x03FB, 1, -1},
      // Cyrillic and Cyrillic Supplement.
      {0x0430, 0x044F, 1, -32},
      {0x0450, 0x045F, 1, -80},
      {0x0461, 0x0481, 2, -1},
      {0x048B, 0x04BF, 2, -1},
      {0x04C2, 0x04CE, 2, -1},
      {0x04CF, 0x04CF, 1, -15},
      {0x04D1, 0x052F, 2, -1},
      // Armenian.
      {0x0561, 0x0586, 1, -48},
  };
  UpperCases upper{};
  for (int c = kFirst; c < kEnd; ++c) upper.of[c - kFirst] = char16_t(c);
  for (const CaseRun& run : kRuns)
    for (int c = run.first; c <= run.last; c += run.step)
      upper.of[c - kFirst] = char16_t(c + run.delta);
  return upper;
}

constexpr UpperCases kUpper = MakeUpperCases();

constexpr unsigned char FoldAscii(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// The two bytes of the character that starts at s[i] when it is one of
// two bytes, folded, as lead byte * 256 + continuation byte; 0 when it is
// not (s[i] is not a lead byte, or no continuation byte follows).
std::uint16_t FoldedPair(std::string_view s, std::size_t i) {
  auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0xC2 || lead > 0xDF || i + 1 == s.size()) return 0;
  auto next = static_cast<unsigned char>(s[i + 1]);
  if ((next & 0xC0) != 0x80) return 0;
  char16_t c = char16_t((lead & 0x1F) << 6 | (next & 0x3F));
  if (c < kEnd) c = kUpper.of[c - kFirst];
  return std::uint16_t((0xC0 | c >> 6) << 8 | 0x80 | (c & 0x3F));
}

// Calls `put` with each byte of `s` folded.
template <typename Put>
void ForEachFoldedByte(std::string_view s, Put put) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      put(FoldAscii(c));
      continue;
    }
    std::uint16_t pair = FoldedPair(s, i);
    if (pair == 0) {
      put(c);
      continue;
    }
    put(static_cast<unsigned char>(pair >> 8));
    put(static_cast<unsigned char>(pair & 0xFF));
    ++i;
  }
}

}  // namespace

std::string FoldCase(std::string_view s) {
  std::string folded;
  folded.reserve(s.size());
  ForEachFoldedByte(s,
                    [&](unsigned char c) { folded += static_cast<char>(c); });
  return folded;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x < 0x80 || y < 0x80) {
      if (FoldAscii(x) != FoldAscii(y)) return false;
      continue;
    }
    // Folding keeps lengths, so the texts are equal only where both hold
    // a two-byte character, or both a byte that starts none.
    std::uint16_t pair = FoldedPair(a, i);
    if (pair != FoldedPair(b, i) || (pair == 0 && x != y)) return false;
    i += pair != 0;
  }
  return true;
}

std::uint64_t FoldedHash(std::string_view s, std::uint64_t hash) {
  ForEachFoldedByte(s, [&](unsigned char c) {
    hash ^= c;
    hash *= 1099511628211ull;
  });
  return hash;
}

std::string EscapeControlCharacters(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
      continue;
    }
    shown += "\\x";
    shown += kHex[byte >> 4];
    shown += kHex[byte & 0xF];
  }
  return shown;
}

}  // namespace morvelle

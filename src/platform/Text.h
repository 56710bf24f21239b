// Small text rules shared by every layer: how names are compared without
// regard to letter case, and how they are shown to a person.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvelle {

// `c` in lower case when it is an ASCII letter. The one case folding of
// the program: names are compared as the file systems the trends come from
// compare them, whatever the process locale (which Qt changes).
constexpr char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `s` with every character folded.
std::string FoldCase(std::string_view s);

// True when `a` and `b` are equal once folded.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// A hash of `s` folded (FNV-1a, 64 bits), continuing from `hash`: equal
// for texts EqualsIgnoringCase holds equal.
std::uint64_t FoldedHash(std::string_view s,
                         std::uint64_t hash = 14695981039346656037ull);

// `text` with control characters (bytes below 0x20, and 0x7F) written as
// \xNN, for names and values shown to a person: a file name holding a
// line break or an escape sequence must not forge or garble a message.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace morvelle

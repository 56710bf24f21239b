// Small text rules shared by every layer: how names are compared without
// regard to letter case, and how they are shown to a person.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvelle {

// The one case folding of the program: names are compared as NTFS, where
// the trends come from, compares them, whatever the process locale (which
// Qt changes). NTFS upper-cases each character through its upcase table, a
// mapping of one character to one. Folding maps ASCII letters to lower
// case and the letters whose UTF-8 takes two bytes (Latin-1 Supplement,
// Latin Extended-A, Greek, Cyrillic, Armenian) to upper case; dotless i and
// long s, whose upper cases are ASCII, stay themselves, so that a folded
// text keeps every character at its place and length. Other characters,
// and bytes that are not UTF-8, stay as they are.
std::string FoldCase(std::string_view s);

// True when `a` and `b` are equal once folded.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// A hash of `s` folded (FNV-1a, 64 bits), continuing from `hash`: equal
// for texts EqualsIgnoringCase holds equal. A text may be hashed in parts
// split between two characters.
std::uint64_t FoldedHash(std::string_view s,
                         std::uint64_t hash = 14695981039346656037ull);

// `text` with control characters (bytes below 0x20, and 0x7F) written as
// \xNN, for names and values shown to a person: a file name holding a
// line break or an escape sequence must not forge or garble a message.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace morvelle

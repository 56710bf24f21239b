// File-name helpers. Paths come from Windows hosts and from this one, so
// both "\" and "/" count as separators. Positions in the comments are as a
// user counts them: "last" means right-most.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace morvelle {

bool IsPathSeparator(char c);

// The folder of `p` with a trailing separator: the text before the last
// separator that is not `p`'s final character, followed by that separator
// unless it already ends in one. Empty when there is no such separator;
// callers make paths absolute first, so that never happens to them.
std::string FolderOf(std::string_view p);

// The text after the last separator of `p`; all of `p` when it has none.
std::string FileNameOf(std::string_view p);

// `s` followed by `separator`, unless `s` already ends in a separator.
std::string AddBackslash(std::string_view s, char separator = '\\');

// `p` without the text from its last "." on, when that dot comes after the
// last separator; otherwise `p`. Works on raw field values: the dot may lie
// in the NUL fill, and then the fill after it goes too.
std::string StripExtension(std::string_view p);

// The text after the last "." of `p`, cut at its first NUL; empty when `p`
// has no dot. The dot is searched in all of `p`, separators included.
std::string ExtensionOf(std::string_view p);

// The extension of a table entry's Path value: the text after the last "."
// of the value up to its first NUL, when that dot follows the last
// separator; nothing otherwise. Bytes after the NUL, which another writer
// may have left there, never count: a dot among them would otherwise give
// every entry a stray extension.
std::optional<std::string> PathFieldExtension(std::string_view raw);

// A table entry's Path value up to its first NUL, without the extension
// PathFieldExtension finds and its dot.
std::string PathFieldWithoutExtension(std::string_view raw);

}  // namespace morvelle

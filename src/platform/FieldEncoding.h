// Text of the fixed-width fields of trend files is single bytes in the
// host's ANSI code page. The rest of the program holds text as UTF-8; these
// two functions are the only crossing between the two. On POSIX the code
// page is Windows-1252, the code page of the Windows hosts the files come
// from; on Windows it is the host's own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvelle {

// The field bytes for `utf8`, or nothing when `utf8` is not valid UTF-8 or
// holds a character the code page cannot hold. `*unencodable` (when given)
// then receives that character, or is left empty for invalid UTF-8.
std::optional<std::string> EncodeFieldText(std::string_view utf8,
                                           std::string* unencodable = nullptr);

// The UTF-8 text of field bytes. Every byte decodes to something; NUL
// bytes are kept (cut them first with TrimAtNul for display).
std::string DecodeFieldText(std::string_view bytes);

}  // namespace morvelle

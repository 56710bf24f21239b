// Text from files and users, made safe to show on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace morvelle {

// `text` with every control byte (below 0x20, and 0x7F) written as "\xNN"
// in upper-case hex, so that a name holding a line break or an escape
// sequence can neither forge a line of output nor drive the terminal.
// Every other byte, a backslash included (Windows paths are full of them),
// is kept as it is.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace morvelle

// The Windows code holds text as UTF-8 like the rest of the program and
// hands Win32 UTF-16; these are the only two crossings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvelle {

// `utf8` as UTF-16; nothing when it is not valid UTF-8.
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);

// `wide` as UTF-8. An unpaired surrogate, which NTFS allows in names,
// becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace morvelle

// Field text in the host's ANSI code page, the one the Ostrel runtime on
// the same host writes its fields in. A character is encoded on its own so
// that one the code page cannot hold can be named. WC_NO_BEST_FIT_CHARS
// keeps Windows from storing a look-alike ("A" for "Ā"); the default
// character flag and a decode of the result catch the rest.
#include <windows.h>

#include <climits>

#include "platform/FieldEncoding.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

// The code-page bytes of the one character `c` (one UTF-16 unit or a
// surrogate pair), or nothing when the code page has no exact byte form.
std::optional<std::string> AnsiBytesOf(std::wstring_view c) {
  // A host set to UTF-8 as its ANSI code page takes neither the flag nor
  // the default-character test; the decode below still checks.
  bool utf8 = GetACP() == CP_UTF8;
  char bytes[8];
  BOOL used_default = FALSE;
  int n = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, c.data(),
                              static_cast<int>(c.size()), bytes, sizeof bytes,
                              nullptr, utf8 ? nullptr : &used_default);
  if (n <= 0 || used_default) return std::nullopt;
  wchar_t back[4];
  int m = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n, back, 4);
  if (std::wstring_view(back, m > 0 ? m : 0) != c) return std::nullopt;
  return std::string(bytes, n);
}

}  // namespace

std::optional<std::string> EncodeFieldText(std::string_view utf8,
                                           std::string* unencodable) {
  std::optional<std::wstring> wide = WideFromUtf8(utf8);
  if (!wide) {
    if (unencodable) unencodable->clear();
    return std::nullopt;
  }
  std::string bytes;
  for (std::size_t i = 0; i < wide->size();) {
    std::size_t units =
        IS_HIGH_SURROGATE((*wide)[i]) && i + 1 < wide->size() ? 2 : 1;
    std::wstring_view c(wide->data() + i, units);
    std::optional<std::string> encoded = AnsiBytesOf(c);
    if (!encoded) {
      if (unencodable) *unencodable = Utf8FromWide(c);
      return std::nullopt;
    }
    bytes += *encoded;
    i += units;
  }
  return bytes;
}

std::string DecodeFieldText(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  int size = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
  return Utf8FromWide(wide);
}

}  // namespace morvelle

#include "platform/Status.h"

#include <utility>

namespace morvelle {

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

Status Status::Error(ErrorKind kind, std::string operation, std::string path,
                     std::string detail) {
  Status s;
  s.kind_ = kind;
  s.operation_ = std::move(operation);
  s.path_ = std::move(path);
  s.detail_ = std::move(detail);
  return s;
}

std::string Status::ToString() const {
  if (ok()) return "OK";
  std::string text = operation_;
  if (!path_.empty()) text += " '" + EscapeControlCharacters(path_) + "'";
  return text + ": " + detail_;
}

}  // namespace morvelle

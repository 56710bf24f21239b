#include "platform/Status.h"

#include <utility>

#include "platform/Text.h"

namespace morvelle {

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

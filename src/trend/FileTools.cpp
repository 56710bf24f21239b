#include "trend/FileTools.h"

#include "trend/TrendDefinitions.h"

namespace morvelle {
namespace {

std::size_t LastSeparator(std::string_view p, std::size_t before) {
  return p.substr(0, before).find_last_of("\\/");
}

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string FolderOf(std::string_view p) {
  if (p.empty()) return {};
  std::size_t sep = LastSeparator(p, p.size() - 1);
  if (sep == std::string_view::npos) return {};
  return AddBackslash(p.substr(0, sep), p[sep]);
}

std::string FileNameOf(std::string_view p) {
  std::size_t sep = LastSeparator(p, p.size());
  return std::string(sep == std::string_view::npos ? p : p.substr(sep + 1));
}

std::string AddBackslash(std::string_view s, char separator) {
  std::string out(s);
  if (out.empty() || !IsPathSeparator(out.back())) out += separator;
  return out;
}

std::string StripExtension(std::string_view p) {
  std::size_t dot = p.rfind('.');
  std::size_t sep = LastSeparator(p, p.size());
  bool has_extension = dot != std::string_view::npos &&
                       (sep == std::string_view::npos || sep < dot);
  return std::string(has_extension ? p.substr(0, dot) : p);
}

std::string ExtensionOf(std::string_view p) {
  std::size_t dot = p.rfind('.');
  if (dot == std::string_view::npos) return {};
  return TrimAtNul(p.substr(dot + 1));
}

std::optional<std::string> PathFieldExtension(std::string_view raw) {
  std::string_view value = raw.substr(0, raw.find('\0'));
  std::size_t dot = value.rfind('.');
  std::size_t sep = LastSeparator(value, value.size());
  if (dot == std::string_view::npos ||
      (sep != std::string_view::npos && sep > dot))
    return std::nullopt;
  return std::string(value.substr(dot + 1));
}

std::string PathFieldWithoutExtension(std::string_view raw) {
  std::string value = TrimAtNul(raw);
  std::optional<std::string> extension = PathFieldExtension(value);
  if (extension) value.resize(value.size() - extension->size() - 1);
  return value;
}

}  // namespace morvelle

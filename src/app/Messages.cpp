#include "app/Messages.h"

namespace morvelle {

std::string ErrorText(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  std::string lines;
  for (;;) {
    std::size_t end = text.find('\n');
    lines += "morvelle: ";
    lines.append(text.substr(0, end));
    lines += '\n';
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + 1);
  }
}

std::string UsageErrorText(std::string_view why) {
  return ErrorText(why) + "Try 'morvelle --help' for more information.\n";
}

}  // namespace morvelle

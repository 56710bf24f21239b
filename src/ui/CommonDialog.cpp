#include "ui/CommonDialog.h"

namespace morvelle {

std::string ConvertFilter(const std::string& filter) {
  std::string converted = filter;
  if (!converted.ends_with('|')) converted += "||";
  if (!converted.ends_with("||")) converted += '|';
  for (char& c : converted)
    if (c == '|') c = '\0';
  return converted;
}

std::vector<FilterPair> FilterPairs(const std::string& converted) {
  std::vector<std::string> strings(1);
  for (char c : converted) {
    if (c == '\0')
      strings.emplace_back();
    else
      strings.back() += c;
  }
  std::vector<FilterPair> pairs;
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (strings[i].empty() || strings[i + 1].empty()) break;
    pairs.push_back({strings[i], strings[i + 1]});
  }
  return pairs;
}

}  // namespace morvelle

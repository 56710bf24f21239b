#include "trend/FolderIndex.h"

#include <utility>

namespace morvelle {

std::string FoldCase(std::string_view s) {
  std::string folded(s);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

FolderIndex::FolderIndex(std::vector<FolderEntry> entries)
    : entries_(std::move(entries)) {
  foldedNames_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    std::string folded = FoldCase(entries_[i].name);
    // A dot at the very end leaves nothing after the base: "Trend1." is
    // still a candidate of "Trend1" (with an empty extension), so every
    // dot counts.
    for (std::size_t dot = folded.find('.'); dot != std::string::npos;
         dot = folded.find('.', dot + 1))
      byBase_[folded.substr(0, dot)].push_back(i);
    foldedNames_.insert(std::move(folded));
  }
}

std::vector<const FolderEntry*> FolderIndex::Candidates(
    std::string_view baseName) const {
  std::vector<const FolderEntry*> found;
  auto it = byBase_.find(FoldCase(baseName));
  if (it == byBase_.end()) return found;
  found.reserve(it->second.size());
  for (std::size_t i : it->second) found.push_back(&entries_[i]);
  return found;
}

bool FolderIndex::HoldsNameFolded(std::string_view name) const {
  return foldedNames_.count(FoldCase(name)) != 0;
}

Status FolderListings::Get(const std::string& folder,
                           const FolderIndex** index) {
  auto it = folders_.find(folder);
  if (it == folders_.end()) {
    std::vector<FolderEntry> entries;
    Status s = env_.ListFolder(folder, &entries);
    if (!s.ok()) return s;
    it = folders_.emplace(folder, FolderIndex(std::move(entries))).first;
  }
  *index = &it->second;
  return Status::Ok();
}

}  // namespace morvelle

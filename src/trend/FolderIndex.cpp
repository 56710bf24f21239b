#include "trend/FolderIndex.h"

#include <algorithm>
#include <utility>

namespace morvelle {

FolderIndex::FolderIndex(std::vector<FolderEntry> entries)
    : entries_(std::move(entries)) {
  folded_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i)
    folded_.push_back({FoldCase(entries_[i].name), i});
  std::sort(
      folded_.begin(), folded_.end(),
      [](const FoldedName& a, const FoldedName& b) { return a.name < b.name; });
}

std::vector<FolderIndex::FoldedName>::const_iterator
FolderIndex::FirstNotBefore(const std::string& key) const {
  return std::lower_bound(
      folded_.begin(), folded_.end(), key,
      [](const FoldedName& a, const std::string& k) { return a.name < k; });
}

std::vector<const FolderEntry*> FolderIndex::Candidates(
    std::string_view baseName) const {
  std::string prefix = FoldCase(baseName) + ".";
  std::vector<const FolderEntry*> found;
  for (auto it = FirstNotBefore(prefix);
       it != folded_.end() && it->name.compare(0, prefix.size(), prefix) == 0;
       ++it)
    found.push_back(&entries_[it->entry]);
  return found;
}

bool FolderIndex::HoldsNameFolded(std::string_view name) const {
  std::string key = FoldCase(name);
  auto it = FirstNotBefore(key);
  return it != folded_.end() && it->name == key;
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

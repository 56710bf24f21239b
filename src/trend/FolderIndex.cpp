#include "trend/FolderIndex.h"

#include <utility>

#include "platform/Text.h"

namespace morvelle {

namespace {

std::string_view WholeName(std::string_view name) { return name; }

// The text before the first dot: what every name base.* shares with base.
std::string_view Stem(std::string_view name) {
  return name.substr(0, name.find('.'));
}

bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() &&
         EqualsIgnoringCase(name.substr(0, prefix.size()), prefix);
}

}  // namespace

void FolderIndex::Chains::Build(const std::vector<FolderEntry>& entries,
                                std::string_view (*key)(std::string_view)) {
  std::size_t slots = 16;
  while (slots < 2 * entries.size()) slots *= 2;
  first.assign(slots, kEnd);
  next.assign(entries.size(), kEnd);
  // Backwards, each entry put first in its chain, so chains run forwards.
  for (std::size_t i = entries.size(); i-- > 0;) {
    std::uint32_t& head = first[FoldedHash(key(entries[i].name)) & (slots - 1)];
    next[i] = head;
    head = static_cast<std::uint32_t>(i);
  }
}

std::uint32_t FolderIndex::Chains::Head(std::string_view key) const {
  if (first.empty()) return kEnd;
  return first[FoldedHash(key) & (first.size() - 1)];
}

FolderIndex::FolderIndex(std::vector<FolderEntry> entries)
    : entries_(std::move(entries)) {
  byStem_.Build(entries_, Stem);
  byName_.Build(entries_, WholeName);
}

std::vector<const FolderEntry*> FolderIndex::Candidates(
    std::string_view baseName) const {
  std::vector<const FolderEntry*> found;
  for (std::uint32_t i = byStem_.Head(Stem(baseName)); i != Chains::kEnd;
       i = byStem_.next[i]) {
    std::string_view name = entries_[i].name;
    if (name.size() > baseName.size() && name[baseName.size()] == '.' &&
        StartsWithIgnoringCase(name, baseName))
      found.push_back(&entries_[i]);
  }
  return found;
}

bool FolderIndex::HoldsNameFolded(std::string_view name) const {
  for (std::uint32_t i = byName_.Head(name); i != Chains::kEnd;
       i = byName_.next[i])
    if (EqualsIgnoringCase(entries_[i].name, name)) return true;
  return false;
}

const FolderEntry* FolderIndex::Find(std::string_view name) const {
  for (std::uint32_t i = byName_.Head(name); i != Chains::kEnd;
       i = byName_.next[i])
    if (entries_[i].name == name) return &entries_[i];
  return nullptr;
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

Status FolderListings::Open(const std::string& folder, Folder** opened) {
  if (!held_ || heldPath_ != folder) {
    held_.reset();
    Status s = env_.OpenFolder(folder, &held_);
    if (!s.ok()) return s;
    heldPath_ = folder;
  }
  *opened = held_.get();
  return Status::Ok();
}

}  // namespace morvelle

#include "trend/FolderIndex.h"

#include <utility>

#include "platform/Text.h"

namespace morvelle {

namespace {

// The text before the first dot: what every name base.* shares with base.
std::string_view Stem(std::string_view name) {
  return name.substr(0, name.find('.'));
}

bool StartsWithIgnoringCase(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() &&
         EqualsIgnoringCase(name.substr(0, prefix.size()), prefix);
}

}  // namespace

void FolderIndex::Chains::Reset(std::size_t entries) {
  std::size_t slots = 16;
  while (slots < 2 * entries) slots *= 2;
  first.assign(slots, kEnd);
  next.assign(entries, kEnd);
}

void FolderIndex::Chains::Add(std::size_t entry, std::uint64_t hash) {
  std::uint32_t& head = first[hash & (first.size() - 1)];
  next[entry] = head;
  head = static_cast<std::uint32_t>(entry);
}

std::uint32_t FolderIndex::Chains::Head(std::uint64_t hash) const {
  if (first.empty()) return kEnd;
  return first[hash & (first.size() - 1)];
}

FolderIndex::FolderIndex(std::vector<FolderEntry> entries)
    : entries_(std::move(entries)) {
  byStem_.Reset(entries_.size());
  byName_.Reset(entries_.size());
  // Backwards, each entry put first in its chains, so chains run forwards.
  // The hash of a name goes on from the hash of its stem.
  for (std::size_t i = entries_.size(); i-- > 0;) {
    std::string_view name = entries_[i].name;
    std::string_view stem = Stem(name);
    std::uint64_t stem_hash = FoldedHash(stem);
    byStem_.Add(i, stem_hash);
    byName_.Add(i, FoldedHash(name.substr(stem.size()), stem_hash));
  }
}

std::vector<const FolderEntry*> FolderIndex::Candidates(
    std::string_view baseName) const {
  std::vector<const FolderEntry*> found;
  for (std::uint32_t i = byStem_.Head(FoldedHash(Stem(baseName)));
       i != Chains::kEnd; i = byStem_.next[i]) {
    std::string_view name = entries_[i].name;
    if (name.size() > baseName.size() && name[baseName.size()] == '.' &&
        StartsWithIgnoringCase(name, baseName))
      found.push_back(&entries_[i]);
  }
  return found;
}

bool FolderIndex::HoldsNameFolded(std::string_view name) const {
  for (std::uint32_t i = byName_.Head(FoldedHash(name)); i != Chains::kEnd;
       i = byName_.next[i])
    if (EqualsIgnoringCase(entries_[i].name, name)) return true;
  return false;
}

const FolderEntry* FolderIndex::Find(std::string_view name) const {
  for (std::uint32_t i = byName_.Head(FoldedHash(name)); i != Chains::kEnd;
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
    heldWritable_ = false;
  }
  *opened = held_.get();
  return Status::Ok();
}

Status FolderListings::CheckFolderWritable(const std::string& folder) {
  bool held = held_ && heldPath_ == folder;
  if (held && heldWritable_) return Status::Ok();
  Status s = env_.CheckWritable(folder);
  if (held) heldWritable_ = s.ok();
  return s;
}

}  // namespace morvelle

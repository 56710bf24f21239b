// A folder's listing indexed by the trend base names its entries could
// belong to, so that finding the files of many trends in one folder reads
// the listing once: K trends in a folder of F entries cost one pass over
// the listing and, per trend, the entries it matches, not K * F.
//
// A trend's files are the names the Windows pattern base.* matches, the
// base compared without regard to letter case (ASCII letters only, as the
// pattern matching of the file systems the trends come from does for these
// names). Every such name shares its stem, the text before its first dot,
// with the base, whatever the dots in the base or after it:
// "Trend1.old.001" has the stem "trend1", as have "Trend1" and
// "Trend1.old". So the index is two hash tables of entry numbers, one by
// folded stem and one by folded whole name. They are arrays, built in one
// pass without a copy of any name: a look-up hashes the key and walks the
// entries that share its slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Env.h"
#include "trend/FileTools.h"

namespace morvelle {

class FolderIndex {
 public:
  FolderIndex() = default;
  explicit FolderIndex(std::vector<FolderEntry> entries);

  const std::vector<FolderEntry>& entries() const { return entries_; }

  // The entries named `baseName` + "." + anything (nothing included), the
  // base compared without regard to case; in the listing's order.
  std::vector<const FolderEntry*> Candidates(std::string_view baseName) const;

  // True when an entry is named `name`, compared without regard to case.
  bool HoldsNameFolded(std::string_view name) const;

  // The entry named exactly `name`, or null.
  const FolderEntry* Find(std::string_view name) const;

 private:
  // Entry numbers chained by the slot their key hashes to: `first[slot]`
  // starts a chain, `next[entry]` continues it, kEnd ends it. Chains keep
  // the listing's order.
  struct Chains {
    static constexpr std::uint32_t kEnd = ~std::uint32_t{0};
    std::vector<std::uint32_t> first, next;

    void Reset(std::size_t entries);
    void Add(std::size_t entry, std::uint64_t hash);
    std::uint32_t Head(std::uint64_t hash) const;
  };

  std::vector<FolderEntry> entries_;
  Chains byStem_, byName_;
};

// Listings for planning many renames: each folder is listed once, on first
// use, and kept as it was then. Also holds the folder of the trend at hand
// open, for planning and for the run. For one thread at a time.
class FolderListings {
 public:
  explicit FolderListings(Env& env) : env_(env) {}

  Env& env() const { return env_; }

  // The index of `folder` (a folder path as FolderOf gives it). On success
  // `*index` points into this object and stays valid as long as it lives.
  // A folder that cannot be listed is asked again on the next call.
  Status Get(const std::string& folder, const FolderIndex** index);

  // `folder` held open for the calls on its files. One folder is held at a
  // time, so that a plan of trends in many folders holds no descriptor per
  // folder; `*opened` stays valid until the next call.
  Status Open(const std::string& folder, Folder** opened);

  // Env::CheckWritable on `folder`, asked once while it is the one held.
  Status CheckFolderWritable(const std::string& folder);

 private:
  Env& env_;
  std::map<std::string, FolderIndex> folders_;
  std::string heldPath_;
  std::unique_ptr<Folder> held_;
  bool heldWritable_ = false;
};

}  // namespace morvelle

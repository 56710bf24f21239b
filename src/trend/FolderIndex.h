// A folder's listing indexed by the trend base names its entries could
// belong to, so that finding the files of many trends in one folder reads
// the listing once: K trends in a folder of F entries cost one sort of the
// listing and, per trend, a binary search and the entries it matches, not
// K * F.
//
// A trend's files are the names the Windows pattern base.* matches, the
// base compared without regard to letter case. The index keeps the names
// folded to lower case (ASCII letters only, as the pattern matching of the
// file systems the trends come from does for these names) and sorted, so
// the names that start with a base and a dot lie side by side whatever the
// dots in the base or after it: "Trend1.old.001" is found for "Trend1" and
// for "Trend1.old". Building costs one sort of the listing; a look-up, a
// binary search and the names it finds.
#pragma once

#include <cstddef>
#include <map>
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
  // base compared without regard to case; in the order of their folded
  // names.
  std::vector<const FolderEntry*> Candidates(std::string_view baseName) const;

  // True when an entry is named `name`, compared without regard to case.
  bool HoldsNameFolded(std::string_view name) const;

 private:
  struct FoldedName {
    std::string name;
    std::size_t entry;
  };
  std::vector<FoldedName>::const_iterator FirstNotBefore(
      const std::string& key) const;

  std::vector<FolderEntry> entries_;
  std::vector<FoldedName> folded_;  // sorted by name
};

// Listings for planning many renames: each folder is listed once, on first
// use, and kept as it was then.
class FolderListings {
 public:
  explicit FolderListings(Env& env) : env_(env) {}

  // The index of `folder` (a folder path as FolderOf gives it). On success
  // `*index` points into this object and stays valid as long as it lives.
  // A folder that cannot be listed is asked again on the next call.
  Status Get(const std::string& folder, const FolderIndex** index);

 private:
  Env& env_;
  std::map<std::string, FolderIndex> folders_;
};

}  // namespace morvelle

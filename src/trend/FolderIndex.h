// A folder's listing indexed by the trend base names its entries could
// belong to, so that finding the files of many trends in one folder reads
// the listing once: K trends in a folder of F entries cost O(F + the
// entries they match), not K * F.
//
// A trend's files are the names the Windows pattern base.* matches, the
// base compared without regard to letter case. Base names may hold dots
// themselves, so an entry is indexed under every prefix of its name that
// ends before a dot: "Trend1.old.001" under "trend1" and "trend1.old".
// Keys are folded to lower case (ASCII letters only, as the pattern
// matching of the file systems the trends come from does for these names).
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/Env.h"

namespace morvelle {

// `s` with ASCII letters in lower case.
std::string FoldCase(std::string_view s);

class FolderIndex {
 public:
  FolderIndex() = default;
  explicit FolderIndex(std::vector<FolderEntry> entries);

  const std::vector<FolderEntry>& entries() const { return entries_; }

  // The entries named `baseName` + "." + anything (nothing included), the
  // base compared without regard to case; in listing order.
  std::vector<const FolderEntry*> Candidates(std::string_view baseName) const;

  // True when an entry is named `name`, compared without regard to case.
  bool HoldsNameFolded(std::string_view name) const;

 private:
  std::vector<FolderEntry> entries_;
  std::unordered_map<std::string, std::vector<std::size_t>> byBase_;
  std::unordered_set<std::string> foldedNames_;
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

#include "trend/TrendRepair.h"

#include <algorithm>
#include <map>
#include <optional>

#include "platform/Text.h"
#include "trend/FileTools.h"
#include "trend/HistoryFile.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

Status Why(const std::string& what) {
  return Status::Message(ErrorKind::kInvalidArgument, what);
}

bool HasHistoryFile(const FolderIndex& listing, const std::string& base) {
  for (const FolderEntry* entry : listing.Candidates(base))
    if (entry->name.size() == base.size() + 4 &&
        EqualsIgnoringCase(ExtensionOf(entry->name), "HST"))
      return true;
  return false;
}

std::string QuotedList(const std::vector<std::string>& names,
                       const char* last) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i)
    text += (i == 0                  ? ""
             : i + 1 == names.size() ? last
                                     : ", ") +
            Quoted(names[i]);
  return text;
}

// The extensions the table expects that no data file of `files` has, in
// table order; or why the table is not one a rename left.
Status MissingExtensions(const TrendFiles& files, const std::string& base,
                         std::string_view table, const TrendLayout& layout,
                         int entryCount, std::vector<std::string>* missing) {
  std::vector<std::string> present;
  for (const std::string& name : files.dataFiles)
    present.push_back(ExtensionOf(name));
  std::string tag;
  for (int i = 0; i < entryCount; ++i) {
    std::string_view entry =
        table.substr(i * layout.entrySize, layout.entrySize);
    std::string raw_path = ReadField(entry, layout.EntryPath());
    if (i == 0) tag = ReadField(entry, layout.EntryTag());
    if (ReadField(entry, layout.EntryTag()) != tag)
      return Why("its table's entries carry different tags");
    if (FileNameOf(PathFieldWithoutExtension(raw_path)) != base)
      return Why("its table's entry " + std::to_string(i) +
                 " names another file than the history file");
    std::optional<std::string> extension = PathFieldExtension(raw_path);
    if (extension &&
        std::find(present.begin(), present.end(), *extension) ==
            present.end() &&
        std::find(missing->begin(), missing->end(), *extension) ==
            missing->end())
      missing->push_back(*extension);
  }
  if (missing->empty()) return Why("no data file its table expects is missing");
  return Status::Ok();
}

}  // namespace

Status FindHalfDoneFiles(const FolderIndex& listing,
                         std::string_view historyName, std::string_view table,
                         const TrendLayout& layout, int entryCount,
                         std::vector<std::string>* oldNames) {
  const std::string base = StripExtension(std::string(historyName));
  std::vector<std::string> missing;
  Status s = MissingExtensions(FindTrendFiles(listing, base, historyName), base,
                               table, layout, entryCount, &missing);
  if (!s.ok()) return s;
  // How many of the missing extensions each other base holds.
  std::map<std::string, std::size_t> supplied;
  for (const FolderEntry& entry : listing.entries()) {
    const std::size_t dot = entry.name.rfind('.');
    if (entry.type != EntryType::kRegular || dot == 0 ||
        dot == std::string::npos)
      continue;
    const std::string other = entry.name.substr(0, dot);
    if (std::find(missing.begin(), missing.end(), entry.name.substr(dot + 1)) !=
            missing.end() &&
        !EqualsIgnoringCase(other, base))
      ++supplied[other];
  }
  std::vector<std::string> unclaimed, claimed;
  for (const auto& [other, count] : supplied)
    if (count == missing.size())
      (HasHistoryFile(listing, other) ? claimed : unclaimed).push_back(other);
  if (unclaimed.size() > 1)
    return Why("its missing data files could come from " +
               QuotedList(unclaimed, " or "));
  if (unclaimed.size() == 1) {
    // The rename would have taken every numbered file of the old base.
    const std::string& old_base = unclaimed.front();
    *oldNames = FindTrendFiles(listing, old_base, old_base + ".HST").dataFiles;
    return Status::Ok();
  }
  if (!claimed.empty())
    return Why("its missing data files are named " +
               QuotedList(claimed, " or ") +
               ", whose history file claims them");
  for (std::string& extension : missing) extension = base + "." + extension;
  return Why("no other name holds all of its missing data files " +
             QuotedList(missing, " and "));
}

}  // namespace morvelle

// Reading the records of trend files, shared by inspection, planning and
// the rename itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Env.h"
#include "trend/TrendDefinitions.h"

namespace morvelle {

// Reads `size` bytes at `offset`; what lies past the end of the file reads
// as zeros, so a short file yields a whole record.
Status ReadRecord(File& file, std::uint64_t offset, std::size_t size,
                  std::string* record);

Status ReadHeader(File& file, HstHeader* header);

// The first read of a history file: the header and, after it, as much as
// holds the table of a trend of a few dozen entries, but no more than the
// file holds, so that a small trend costs one read and no second one that
// finds the end. `header` gets the header, zeros past the end of a short
// file (and of a failed read).
Status ReadHistoryHead(File& file, std::string* head, HstHeader* header);

// The `size` bytes of the table after the header: taken from `head` (what
// ReadHistoryHead read) when it holds them or the file ended inside it, read
// otherwise. Fewer where the file ends inside the table.
Status ReadTableAfterHead(File& file, const std::string& head, std::size_t size,
                          std::string* table);

// Reads a record that is to be written back. It must lie wholly inside the
// file: padding it with zeros would make the write-back grow the file.
Status ReadWholeRecord(File& file, const std::string& path,
                       std::uint64_t offset, std::size_t size,
                       std::string* record);

// The bytes of a table of `entryCount` + `extraCount` entries.
std::size_t TableSize(const TrendLayout& layout, int entryCount,
                      int extraCount);

// RewriteEntry on the entry that starts at byte `at` of `table`, in place.
void RewriteEntryAt(std::string* table, std::size_t at,
                    std::string_view newPath, std::string_view newTag,
                    const TrendLayout& layout);

// `table` with entries 0 to `entryCount` - 1 rewritten by RewriteEntry.
std::string RewrittenTable(std::string table, std::string_view newPath,
                           std::string_view newTag, const TrendLayout& layout,
                           int entryCount);

// Why the open `file` at `path` must not be rewritten, or Ok. A file with
// other names (hard links, perhaps in a backup folder) would change under
// those names too. A data file shorter than `headerSize` bytes would grow
// when its header is written back, and is damaged or no data file of this
// trend. Asks the file system nothing: the open described the file.
Status CheckFileToRewrite(const File& file, const std::string& path,
                          std::uint64_t headerSize);

// Closes `file` and keeps the first error of the two.
Status CloseKeepingError(std::unique_ptr<File> file, Status s);

// What a folder entry that is no regular file is: "a folder", "a symbolic
// link" or "not a regular file".
const char* EntryTypeName(EntryType type);

// "Invalid Trend Version 7" (kCorrupt).
Status InvalidVersion(int version);
// "Trend '...' not found" (kNotFound).
Status TrendNotFound(const std::string& hstPath);

// `name` in quotes, its control characters escaped, for messages.
std::string Quoted(const std::string& name);

// Whether `path` names a history file that may be opened: OK, or why not,
// naming it `shownPath`: TrendNotFound when nothing (or a hidden or system
// file) has that name; kNotARegularFile for a folder, a device or a link
// (a link is refused rather than followed: renaming it would rename the
// link, not the trend); the file system's failure, within "Could not read
// the trend: ", when it cannot tell.
Status CheckHistoryFile(Env& env, const std::string& path,
                        const std::string& shownPath);

}  // namespace morvelle

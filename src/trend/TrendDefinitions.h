// The on-disk records of a trend, as exact byte images.
//
// History file (NAME.HST):
//   offset 0    HstHeader, 176 bytes
//   offset 176  file table: EntryCount + ExtraCount HstFileEntry records of
//               the size the header's Version selects, back to back
// Data file (NAME.000, NAME.001, ...):
//   offset 0    DataFileHeader of the size the owning history file's
//               Version selects; the data that follows is never read.
//
// Numbers are little-endian. Text fields are fixed-width runs of single
// bytes: a shorter value is followed by NULs up to the width, a value as
// wide as the field has no terminator. Only three fields are ever changed:
// Path and Tag of a file-table entry, and Tag of a data-file header. Every
// other byte is carried as it was read, so the records are kept as byte
// strings and those fields reached through the offsets of TrendLayout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvelle {

// A fixed-width text field inside a record.
struct FieldSpan {
  std::size_t offset;
  std::size_t width;
};

// HstHeader, read and never written:
//   0 text[128] | 128 text[8] | 136 u16 | 138 i16 Version
//   140 text[4]  | 144 u32 | 148 u16 | 150 i16 EntryCount | 152 u16
//   154 i16 ExtraCount | 156 text[20]
// Fields without a name are not interpreted.
constexpr std::size_t kHstHeaderSize = 176;
constexpr std::size_t kVersionOffset = 138;
constexpr std::size_t kEntryCountOffset = 150;
constexpr std::size_t kExtraCountOffset = 154;
constexpr std::size_t kFileTableOffset = kHstHeaderSize;

struct HstHeader {
  std::string bytes = std::string(kHstHeaderSize, '\0');

  std::int16_t Version() const { return ReadInt16(kVersionOffset); }
  std::int16_t EntryCount() const { return ReadInt16(kEntryCountOffset); }
  std::int16_t ExtraCount() const { return ReadInt16(kExtraCountOffset); }

 private:
  std::int16_t ReadInt16(std::size_t offset) const;
};

// The "." and three-digit extension every table entry's path ends in.
inline constexpr std::size_t kExtensionRoom = 4;

// What differs between the four layouts. HstFileEntry and DataFileHeader
// begin and end with fields that are not interpreted; Path is always at
// offset 0 of an entry.
//
// | Version | entry | Path | entry Tag at, width | data header | its Tag at |
// | 0-3     | 240   | 144  | 160, 32             | 224         | 144        |
// | 4       | 432   | 272  | 304, 64             | 288         | 160        |
// | 5       | 288   | 144  | 160, 80             | 272         | 144        |
// | 6       | 448   | 272  | 304, 80             | 304         | 160        |
struct TrendLayout {
  std::size_t entrySize;
  std::size_t pathWidth;
  std::size_t entryTagOffset;
  std::size_t tagWidth;
  std::size_t dataHeaderSize;
  std::size_t dataTagOffset;

  // The longest new path the window shows in black: room is left for the
  // "." and three-digit extension every entry's path ends in.
  std::size_t PathEditLimit() const { return pathWidth - kExtensionRoom; }

  FieldSpan EntryPath() const { return {0, pathWidth}; }
  FieldSpan EntryTag() const { return {entryTagOffset, tagWidth}; }
  FieldSpan DataTag() const { return {dataTagOffset, tagWidth}; }
};

// The layout of `version` 0-6; nothing for any other value.
std::optional<TrendLayout> LayoutForVersion(int version);

// `text` followed by NULs up to `width`; `text` itself when not shorter.
std::string PadWithNul(std::string_view text, std::size_t width);

// The part of `text` before its first NUL; all of it when there is none.
std::string TrimAtNul(std::string_view text);

// The raw value of a field: all of its width, NULs and what follows them.
std::string ReadField(std::string_view record, FieldSpan field);

// Stores `value` NUL-padded to the field's width, cut to it when longer.
// A record too short for the field is first grown with NULs.
void StoreField(std::string* record, FieldSpan field, std::string_view value);

}  // namespace morvelle

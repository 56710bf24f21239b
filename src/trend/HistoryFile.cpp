#include "trend/HistoryFile.h"

#include <algorithm>
#include <optional>

#include "trend/FileTools.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

constexpr std::size_t kFirstRead = 16 * 1024;

Status NotAHistoryFile(std::string message) {
  return Status::Message(ErrorKind::kNotARegularFile, std::move(message));
}

}  // namespace

Status ReadRecord(File& file, std::uint64_t offset, std::size_t size,
                  std::string* record) {
  Status s = file.ReadAt(offset, size, record);
  record->resize(size, '\0');
  return s;
}

Status ReadHeader(File& file, HstHeader* header) {
  return ReadRecord(file, 0, kHstHeaderSize, &header->bytes);
}

Status ReadHistoryHead(File& file, std::string* head, HstHeader* header) {
  Status s = file.ReadAt(
      0, std::min<std::uint64_t>(kFirstRead, file.OpenedInfo().size), head);
  header->bytes = head->substr(0, kHstHeaderSize);
  header->bytes.resize(kHstHeaderSize, '\0');
  return s;
}

Status ReadTableAfterHead(File& file, const std::string& head, std::size_t size,
                          std::string* table) {
  if (head.size() < kFirstRead || kHstHeaderSize + size <= head.size()) {
    *table = head.substr(std::min(head.size(), kHstHeaderSize), size);
    return Status::Ok();
  }
  return file.ReadAt(kFileTableOffset, size, table);
}

Status ReadWholeRecord(File& file, const std::string& path,
                       std::uint64_t offset, std::size_t size,
                       std::string* record) {
  Status s = file.ReadAt(offset, size, record);
  if (s.ok() && record->size() < size)
    return Status::Error(ErrorKind::kOther, "read", path,
                         "The file ends inside the record to be rewritten");
  return s;
}

std::size_t TableSize(const TrendLayout& layout, int entryCount,
                      int extraCount) {
  return layout.entrySize * static_cast<std::size_t>(entryCount + extraCount);
}

void RewriteEntryAt(std::string* table, std::size_t at,
                    std::string_view newPath, std::string_view newTag,
                    const TrendLayout& layout) {
  FieldSpan path = layout.EntryPath(), tag = layout.EntryTag();
  path.offset += at;
  tag.offset += at;
  // Each entry keeps its own extension: take it before the field changes.
  std::optional<std::string> extension = PathFieldExtension(
      std::string_view(*table).substr(path.offset, path.width));
  if (extension) {
    std::string value;
    value.reserve(newPath.size() + 1 + extension->size());
    value.append(newPath).append(".").append(*extension);
    StoreField(table, path, value);
  } else {
    StoreField(table, path, newPath);
  }
  StoreField(table, tag, newTag);
}

std::string RewrittenTable(std::string table, std::string_view newPath,
                           std::string_view newTag, const TrendLayout& layout,
                           int entryCount) {
  for (int i = 0; i < entryCount; ++i)
    RewriteEntryAt(&table, i * layout.entrySize, newPath, newTag, layout);
  return table;
}

Status CheckFileToRewrite(const File& file, const std::string& path,
                          std::uint64_t headerSize) {
  const FileInfo& info = file.OpenedInfo();
  if (info.links > 1)
    return Status::Error(
        ErrorKind::kInvalidArgument, "check", path,
        "the file has " + std::to_string(info.links) +
            " names (hard links): rewriting it would change it under every "
            "other name too; make it a copy of its own first");
  if (info.size < headerSize)
    return Status::Error(
        ErrorKind::kInvalidArgument, "check", path,
        "the data file is " + std::to_string(info.size) +
            " bytes long, shorter than the " + std::to_string(headerSize) +
            "-byte header of this trend's data files; it may be damaged");
  return Status::Ok();
}

Status CloseKeepingError(std::unique_ptr<File> file, Status s) {
  Status closed = file->Close();
  return s.ok() ? closed : s;
}

const char* EntryTypeName(EntryType type) {
  if (type == EntryType::kDirectory) return "a folder";
  if (type == EntryType::kSymlink) return "a symbolic link";
  return "not a regular file";
}

Status InvalidVersion(int version) {
  return Status::Message(ErrorKind::kCorrupt,
                         "Invalid Trend Version " + std::to_string(version));
}

Status TrendNotFound(const std::string& hstPath) {
  return Status::Message(ErrorKind::kNotFound,
                         "Trend " + Quoted(hstPath) + " not found");
}

std::string Quoted(const std::string& name) {
  return "'" + EscapeControlCharacters(name) + "'";
}

Status CheckHistoryFile(Env& env, const std::string& path,
                        const std::string& shownPath) {
  FileInfo info;
  Status s = env.GetFileInfo(path, &info);
  // A hidden or system file is no normal file: the trend is not there.
  if (s.kind() == ErrorKind::kNotFound || (s.ok() && info.hidden))
    return TrendNotFound(shownPath);
  if (!s.ok()) return s.WithContext("Could not read the trend: ");
  const std::string quoted = Quoted(shownPath);
  switch (info.type) {
    case EntryType::kRegular:
      return Status::Ok();
    case EntryType::kDirectory:
      return NotAHistoryFile(quoted + " is a folder, not a history file");
    case EntryType::kSymlink:
      return NotAHistoryFile(
          quoted + " is a symbolic link; choose the history file it points to");
    case EntryType::kOther:
      break;
  }
  return NotAHistoryFile(quoted +
                         " is not a regular file (a device, a pipe or a "
                         "socket), so it cannot be a history file");
}

}  // namespace morvelle

#include "trend/HistoryFile.h"

#include "trend/FileTools.h"
#include "trend/TrendTools.h"

namespace morvelle {

Status ReadRecord(File& file, std::uint64_t offset, std::size_t size,
                  std::string* record) {
  Status s = file.ReadAt(offset, size, record);
  record->resize(size, '\0');
  return s;
}

Status ReadHeader(File& file, HstHeader* header) {
  return ReadRecord(file, 0, kHstHeaderSize, &header->bytes);
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

std::string RewrittenTable(std::string table, std::string_view newPath,
                           std::string_view newTag, const TrendLayout& layout,
                           int entryCount) {
  for (int i = 0; i < entryCount; ++i) {
    std::string entry = table.substr(i * layout.entrySize, layout.entrySize);
    RewriteEntry(&entry, newPath, newTag, layout);
    table.replace(i * layout.entrySize, layout.entrySize, entry);
  }
  return table;
}

Status CloseKeepingError(std::unique_ptr<File> file, Status s) {
  Status closed = file->Close();
  return s.ok() ? closed : s;
}

std::string InvalidVersionMessage(int version) {
  return "Invalid Trend Version " + std::to_string(version);
}

std::string NotFoundMessage(const std::string& hstPath) {
  return "Trend '" + EscapeControlCharacters(hstPath) + "' not found";
}

std::string Quoted(const std::string& name) {
  return "'" + EscapeControlCharacters(name) + "'";
}

HistoryCheck CheckHistoryFile(Env& env, const std::string& path,
                              const std::string& shownPath,
                              std::string* message) {
  FileInfo info;
  Status s = env.GetFileInfo(path, &info);
  if (s.kind() == ErrorKind::kNotFound) {
    *message = NotFoundMessage(shownPath);
    return HistoryCheck::kNotFound;
  }
  if (!s.ok()) {
    *message = "Could not read the trend: " + s.ToString();
    return HistoryCheck::kFailed;
  }
  const std::string quoted = Quoted(shownPath);
  switch (info.type) {
    case EntryType::kRegular:
      return HistoryCheck::kRegularFile;
    case EntryType::kDirectory:
      *message = quoted + " is a folder, not a history file";
      break;
    case EntryType::kSymlink:
      *message =
          quoted + " is a symbolic link; choose the history file it points to";
      break;
    case EntryType::kOther:
      *message = quoted +
                 " is not a regular file (a device, a pipe or a socket), so "
                 "it cannot be a history file";
      break;
  }
  return HistoryCheck::kNotAFile;
}

}  // namespace morvelle

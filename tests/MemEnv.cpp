#include "MemEnv.h"

#include <algorithm>
#include <functional>

namespace morvelle::test {
namespace {

std::string ParentOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

Status Missing(const char* operation, const std::string& path) {
  return Status::Error(ErrorKind::kNotFound, operation, path,
                       "No such file or directory");
}

class MemFile final : public File {
 public:
  using KeepBytes = std::function<void(std::uint64_t, const std::string&)>;

  MemFile(std::shared_ptr<std::string> bytes, std::string path,
          const FileInfo& info, bool writable, std::shared_ptr<bool> lock,
          std::shared_ptr<int> openFiles, std::shared_ptr<int> misuses,
          KeepBytes keep)
      : keep_(std::move(keep)),
        bytes_(std::move(bytes)),
        path_(std::move(path)),
        info_(info),
        writable_(writable),
        lock_(std::move(lock)),
        openFiles_(std::move(openFiles)),
        misuses_(std::move(misuses)) {
    if (lock_) *lock_ = true;
  }
  ~MemFile() override {
    if (!closed_) Release();
  }

  Status ReadAt(std::uint64_t offset, std::size_t n,
                std::string* out) override {
    if (closed_) return Misuse("read");
    out->clear();
    if (offset < bytes_->size())
      out->assign(*bytes_, static_cast<std::size_t>(offset), n);
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, std::string_view data) override {
    if (closed_) return Misuse("write");
    if (!writable_)
      return Status::Error(ErrorKind::kPermissionDenied, "write", path_,
                           "Bad file descriptor");
    std::size_t end = static_cast<std::size_t>(offset) + data.size();
    if (bytes_->size() < end) bytes_->resize(end, '\0');
    bytes_->replace(static_cast<std::size_t>(offset), data.size(), data);
    return Status::Ok();
  }

  Status Truncate(std::uint64_t size) override {
    if (closed_) return Misuse("truncate");
    if (!writable_)
      return Status::Error(ErrorKind::kPermissionDenied, "truncate", path_,
                           "Bad file descriptor");
    if (size < bytes_->size()) bytes_->resize(static_cast<std::size_t>(size));
    return Status::Ok();
  }

  const FileInfo& OpenedInfo() const override { return info_; }

  Status Sync() override {
    if (closed_) return Misuse("flush");
    if (keep_) keep_(info_.index, *bytes_);
    return Status::Ok();
  }

  Status Close() override {
    if (closed_) return Misuse("close");
    Release();
    return Status::Ok();
  }

 private:
  void Release() {
    closed_ = true;
    --*openFiles_;
    if (lock_) *lock_ = false;
  }

  Status Misuse(const char* call) {
    ++*misuses_;
    return Status::Error(ErrorKind::kInvalidArgument, call, path_,
                         "File already closed");
  }

  KeepBytes keep_;
  std::shared_ptr<std::string> bytes_;
  std::string path_;
  FileInfo info_;
  bool writable_;
  std::shared_ptr<bool> lock_;  // null unless opened with kLocked
  bool closed_ = false;
  std::shared_ptr<int> openFiles_;
  std::shared_ptr<int> misuses_;
};

}  // namespace

MemEnv::MemEnv(std::string currentFolder)
    : currentFolder_(WithoutTrailingSlash(std::move(currentFolder))) {
  nodes_["/"] = {EntryType::kDirectory, nextIndex_++, nullptr};
  MakeFolders(currentFolder_);
}

void MemEnv::MakeFolders(const std::string& path) {
  if (nodes_.count(path)) return;
  MakeFolders(ParentOf(path));
  nodes_[path] = {EntryType::kDirectory, nextIndex_++, nullptr};
}

bool MemEnv::Add(const std::string& path, EntryType type, std::string bytes) {
  if (nodes_.count(path)) return false;
  MakeFolders(ParentOf(path));
  nodes_[path] = {type, nextIndex_++,
                  type == EntryType::kRegular
                      ? std::make_shared<std::string>(std::move(bytes))
                      : nullptr};
  return true;
}

bool MemEnv::AddFile(const std::string& path, std::string bytes) {
  return Add(path, EntryType::kRegular, std::move(bytes));
}
bool MemEnv::AddFolder(const std::string& path) {
  return Add(path, EntryType::kDirectory, {});
}
bool MemEnv::AddSymlink(const std::string& path) {
  return Add(path, EntryType::kSymlink, {});
}
bool MemEnv::AddDevice(const std::string& path) {
  return Add(path, EntryType::kOther, {});
}
void MemEnv::MakeReadOnly(const std::string& path) {
  nodes_.at(path).readOnly = true;
}

const std::string* MemEnv::Bytes(const std::string& path) const {
  auto it = nodes_.find(path);
  return it == nodes_.end() || !it->second.bytes ? nullptr
                                                 : it->second.bytes.get();
}

FolderImage MemEnv::Image(const std::string& folder) const {
  std::string parent = WithoutTrailingSlash(folder);
  FolderImage image;
  for (const auto& [path, node] : nodes_)
    if (node.bytes && path != "/" && ParentOf(path) == parent)
      image[path.substr(path.rfind('/') + 1)] = *node.bytes;
  return image;
}

std::map<std::string, EntryType> MemEnv::Tree() const {
  std::map<std::string, EntryType> tree;
  for (const auto& [path, node] : nodes_) tree[path] = node.type;
  return tree;
}

Status MemEnv::ListFolder(const std::string& folder,
                          std::vector<FolderEntry>* entries) {
  std::string parent = WithoutTrailingSlash(folder);
  auto it = nodes_.find(parent);
  if (it == nodes_.end()) return Missing("list folder", folder);
  if (it->second.type != EntryType::kDirectory)
    return Status::Error(ErrorKind::kNotFound, "list folder", folder,
                         "Not a directory");
  for (const auto& [path, node] : nodes_)
    if (path != "/" && ParentOf(path) == parent)
      entries->push_back({path.substr(path.rfind('/') + 1), node.type});
  return Status::Ok();
}

Status MemEnv::OpenFile(const std::string& path, OpenMode mode,
                        std::unique_ptr<File>* file) {
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return Missing("open", path);
  if (it->second.type != EntryType::kRegular)
    return Status::Error(ErrorKind::kNotARegularFile, "open", path,
                         "Not a regular file");
  const Node& node = it->second;
  if (mode != OpenMode::kRead && node.readOnly)
    return Status::Error(ErrorKind::kPermissionDenied, "open", path,
                         "Permission denied");
  if (mode == OpenMode::kLocked && *node.locked)
    return Status::Error(ErrorKind::kInUse, "lock", path,
                         "Resource temporarily unavailable");
  *file = Open(path, node, mode);
  return Status::Ok();
}

Status MemEnv::CreateNewFile(const std::string& path,
                             std::unique_ptr<File>* file) {
  auto parent = nodes_.find(ParentOf(path));
  if (parent == nodes_.end() || parent->second.type != EntryType::kDirectory)
    return Missing("create", path);
  if (nodes_.count(path))
    return Status::Error(ErrorKind::kAlreadyExists, "create", path,
                         "File exists");
  Add(path, EntryType::kRegular, {});
  *file = Open(path, nodes_.at(path), OpenMode::kLocked);
  return Status::Ok();
}

std::unique_ptr<File> MemEnv::Open(const std::string& path, const Node& node,
                                   OpenMode mode) {
  *mostOpen_ = std::max(*mostOpen_, ++*openFiles_);
  FileInfo info;
  GetFileInfo(path, &info);
  return std::make_unique<MemFile>(
      node.bytes, path, info, mode != OpenMode::kRead,
      mode == OpenMode::kLocked ? node.locked : nullptr, openFiles_, misuses_,
      [durable = durable_](std::uint64_t index, const std::string& bytes) {
        if (durable) durable->bytes[index] = bytes;
      });
}

void MemEnv::MarkAllDurable() {
  durable_ = std::make_shared<Durable>();
  SyncFileSystem("/");
}

void MemEnv::PowerCut(Unflushed survives) {
  std::map<std::uint64_t, std::string> bytes = durable_->bytes;
  if (survives == Unflushed::kBytesKept)
    for (const auto& [path, node] : nodes_)
      if (node.bytes) bytes[node.index] = *node.bytes;
  if (survives != Unflushed::kNamesKept) nodes_ = durable_->names;
  for (auto& [path, node] : nodes_) {
    node.locked = std::make_shared<bool>(false);
    if (node.type != EntryType::kRegular) continue;
    auto kept = bytes.find(node.index);
    node.bytes = std::make_shared<std::string>(
        kept == bytes.end() ? std::string() : kept->second);
  }
}

Status MemEnv::SyncFolder(const std::string& folder) {
  if (!durable_) return Status::Ok();
  std::string parent = WithoutTrailingSlash(folder);
  std::erase_if(durable_->names, [&](const auto& entry) {
    return entry.first != "/" && ParentOf(entry.first) == parent;
  });
  for (const auto& [path, node] : nodes_)
    if (path != "/" && ParentOf(path) == parent) durable_->names[path] = node;
  return Status::Ok();
}

Status MemEnv::SyncFileSystem(const std::string&) {
  if (!durable_) return Status::Ok();
  durable_->names = nodes_;
  for (const auto& [path, node] : nodes_)
    if (node.bytes) durable_->bytes[node.index] = *node.bytes;
  return Status::Ok();
}

Status MemEnv::RenameNoReplace(const std::string& from, const std::string& to) {
  auto source = nodes_.find(from);
  if (source == nodes_.end() || from == "/") return Missing("rename", from);
  auto parent = nodes_.find(ParentOf(to));
  if (parent == nodes_.end() || parent->second.type != EntryType::kDirectory)
    return Missing("rename", to);
  if (from == to) return Status::Ok();  // leaves the file as it is
  if (nodes_.count(to))
    return Status::Error(ErrorKind::kAlreadyExists, "rename", from, to,
                         "File exists");
  if (source->second.type == EntryType::kDirectory &&
      std::any_of(nodes_.begin(), nodes_.end(), [&](const auto& node) {
        return ParentOf(node.first) == from;
      }))
    return Status::Error(
        ErrorKind::kInvalidArgument, "rename", from,
        "Renaming a folder that holds entries is not modelled");
  Node node = source->second;
  nodes_.erase(source);
  nodes_[to] = node;
  return Status::Ok();
}

Status MemEnv::RemoveFile(const std::string& path) {
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return Missing("remove", path);
  if (it->second.type != EntryType::kRegular)
    return Status::Error(ErrorKind::kNotARegularFile, "remove", path,
                         "Not a regular file");
  nodes_.erase(it);
  return Status::Ok();
}

Status MemEnv::CheckWritable(const std::string& path) {
  auto it = nodes_.find(WithoutTrailingSlash(path));
  if (it == nodes_.end()) return Missing("check for writing", path);
  if (it->second.readOnly)
    return Status::Error(ErrorKind::kPermissionDenied, "check for writing",
                         path, "Permission denied");
  return Status::Ok();
}

Status MemEnv::CheckNameFits(const std::string& path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = std::min(path.find('/', start), path.size());
    if (end - start > 255)
      return Status::Error(ErrorKind::kInvalidArgument, "check name", path,
                           "File name too long");
    start = end + 1;
  }
  return Status::Ok();
}

// `bytes` into `*text`, as a read of `path` stopped past `limit` reads it.
Status ReadUpTo(const std::string& bytes, const std::string& path,
                std::size_t limit, std::string* text) {
  *text = bytes.substr(0, limit + 1);
  if (text->size() > limit)
    return Status::Error(ErrorKind::kTooLarge, "read", path,
                         "The file is larger than the limit");
  return Status::Ok();
}

Status MemEnv::ReadTextFile(const std::string& path, std::size_t limit,
                            std::string* text) {
  const std::string* bytes = Bytes(path);
  if (!bytes) return Missing("open", path);
  return ReadUpTo(*bytes, path, limit, text);
}

Status MemEnv::ReadStandardInput(std::size_t limit, std::string* text) {
  if (!standardInput_) return Missing("read", "standard input");
  return ReadUpTo(*standardInput_, "standard input", limit, text);
}

Status MemEnv::GetFileInfo(const std::string& path, FileInfo* info) {
  // A folder may be named with its separator, as the POSIX calls take it.
  auto it = nodes_.find(WithoutTrailingSlash(path));
  if (it == nodes_.end()) return Missing("stat", path);
  info->type = it->second.type;
  info->size = it->second.bytes ? it->second.bytes->size() : 0;
  info->device = 1;
  info->index = it->second.index;
  return Status::Ok();
}

Status MemEnv::AbsolutePath(const std::string& path, std::string* absolute) {
  *absolute = !path.empty() && path.front() == '/'
                  ? path
                  : currentFolder_ + (currentFolder_ == "/" ? "" : "/") + path;
  return Status::Ok();
}

}  // namespace morvelle::test

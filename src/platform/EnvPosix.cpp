// Env for Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Env.h"
#include "platform/Text.h"

namespace morvelle {
namespace {

ErrorKind KindOfErrno(int error) {
  ErrorKind kind = ErrorKind::kOther;
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      kind = ErrorKind::kNotFound;
      break;
    case EEXIST:
    case ENOTEMPTY:
      kind = ErrorKind::kAlreadyExists;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      kind = ErrorKind::kPermissionDenied;
      break;
    case EBUSY:
    case ETXTBSY:
      kind = ErrorKind::kInUse;
      break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      kind = ErrorKind::kNoSpace;
      break;
    case ELOOP:
    case EISDIR:
      kind = ErrorKind::kNotARegularFile;
      break;
    case EINVAL:
    case ENAMETOOLONG:
      kind = ErrorKind::kInvalidArgument;
      break;
    case EIO:
      kind = ErrorKind::kIoError;
      break;
    default:
      break;
  }
  return kind;
}

// The one place where errno becomes a Status: of a call on `path`, or of
// a rename of `path` to `target`.
Status PosixError(const std::string& operation, const std::string& path,
                  int error, const std::string& target = {}) {
  return Status::Error(KindOfErrno(error), operation, path, target,
                       std::strerror(error));
}

EntryType TypeOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryType::kRegular;
  if (S_ISDIR(mode)) return EntryType::kDirectory;
  if (S_ISLNK(mode)) return EntryType::kSymlink;
  return EntryType::kOther;
}

FileInfo InfoOfStat(const struct stat& st) {
  FileInfo info;
  info.type = TypeOfMode(st.st_mode);
  info.size = static_cast<std::uint64_t>(st.st_size);
  info.links = static_cast<std::uint64_t>(st.st_nlink);
  info.device = static_cast<std::uint64_t>(st.st_dev);
  info.index = static_cast<std::uint64_t>(st.st_ino);
  return info;
}

// A file this process has just created.
FileInfo NewFileInfo() {
  FileInfo info;
  info.type = EntryType::kRegular;
  return info;
}

EntryType TypeOfDirent(int folder_fd, const dirent& entry) {
  switch (entry.d_type) {
    case DT_REG:
      return EntryType::kRegular;
    case DT_DIR:
      return EntryType::kDirectory;
    case DT_LNK:
      return EntryType::kSymlink;
    case DT_UNKNOWN: {
      // Some file systems leave the type out of the listing.
      struct stat st;
      if (fstatat(folder_fd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryType::kOther;
      return TypeOfMode(st.st_mode);
    }
    default:
      return EntryType::kOther;
  }
}

class PosixFile final : public File {
 public:
  PosixFile(int fd, std::string path, const FileInfo& info)
      : fd_(fd), path_(std::move(path)), info_(info) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  Status ReadAt(std::uint64_t offset, std::size_t n,
                std::string* out) override {
    out->resize(n);
    std::size_t done = 0;
    while (done < n) {
      ssize_t got = ::pread(fd_, out->data() + done, n - done,
                            static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        out->resize(done);
        return PosixError("read", path_, errno);
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    out->resize(done);
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, std::string_view data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      ssize_t put = ::pwrite(fd_, data.data() + done, data.size() - done,
                             static_cast<off_t>(offset + done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return PosixError("write", path_, errno);
      done += static_cast<std::size_t>(put);
    }
    return Status::Ok();
  }

  Status Truncate(std::uint64_t size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return PosixError("truncate", path_, errno);
    if (static_cast<std::uint64_t>(st.st_size) <= size) return Status::Ok();
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
      return PosixError("truncate", path_, errno);
    return Status::Ok();
  }

  const FileInfo& OpenedInfo() const override { return info_; }

  Status Sync() override {
    if (::fdatasync(fd_) != 0) return PosixError("flush", path_, errno);
    return Status::Ok();
  }

  Status Close() override {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return PosixError("close", path_, errno);
    return Status::Ok();
  }

 private:
  int fd_;
  std::string path_;
  FileInfo info_;
};

// The calls on one file, made relative to the folder descriptor `at`
// (AT_FDCWD for a whole path) on `name`; `path`, the whole path, is what
// errors name.
Status OpenAt(int at, const char* name, const std::string& path, OpenMode mode,
              std::unique_ptr<File>* file);
Status RenameAt(int at, const char* from, const char* to,
                const std::string& fromPath, const std::string& toPath);
Status CheckWritableAt(int at, const char* name, const std::string& path);

Status SyncFolderAt(int fd, const std::string& path) {
  if (::fsync(fd) != 0) return PosixError("flush folder", path, errno);
  return Status::Ok();
}

Status SyncFileSystemAt(int fd, const std::string& path) {
  if (::syncfs(fd) != 0) return PosixError("flush file system", path, errno);
  return Status::Ok();
}

// Runs `sync` on the descriptor of `folder`, opened for the call.
Status WithFolder(const std::string& folder,
                  Status (*sync)(int, const std::string&)) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return PosixError("open folder", folder, errno);
  Status s = sync(fd, folder);
  ::close(fd);
  return s;
}

// A folder held by its descriptor.
class PosixFolder final : public Folder {
 public:
  PosixFolder(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFolder() override { ::close(fd_); }

  Status OpenFile(const std::string& path, OpenMode mode,
                  std::unique_ptr<File>* file) override {
    return OpenAt(At(path), NameIn(path), path, mode, file);
  }
  Status RenameNoReplace(const std::string& from,
                         const std::string& to) override {
    if (At(from) != fd_ || At(to) != fd_)
      return RenameAt(AT_FDCWD, from.c_str(), to.c_str(), from, to);
    return RenameAt(fd_, NameIn(from), NameIn(to), from, to);
  }
  Status CheckWritable(const std::string& path) override {
    return CheckWritableAt(At(path), NameIn(path), path);
  }
  Status Sync() override { return SyncFolderAt(fd_, path_); }
  Status SyncFileSystem() override { return SyncFileSystemAt(fd_, path_); }

 private:
  bool Holds(const std::string& path) const {
    return path.size() > path_.size() &&
           path.compare(0, path_.size(), path_) == 0 &&
           path.find('/', path_.size()) == std::string::npos;
  }
  int At(const std::string& path) const { return Holds(path) ? fd_ : AT_FDCWD; }
  const char* NameIn(const std::string& path) const {
    return path.c_str() + (Holds(path) ? path_.size() : 0);
  }

  int fd_;
  std::string path_;
};

class PosixEnv final : public Env {
 public:
  Status ListFolder(const std::string& folder,
                    std::vector<FolderEntry>* entries) override {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return PosixError("list folder", folder, errno);
    int folder_fd = ::dirfd(dir);
    errno = 0;
    while (dirent* entry = ::readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 &&
          std::strcmp(entry->d_name, "..") != 0)
        entries->push_back({entry->d_name, TypeOfDirent(folder_fd, *entry)});
      errno = 0;
    }
    int error = errno;
    ::closedir(dir);
    if (error != 0) return PosixError("list folder", folder, error);
    return Status::Ok();
  }

  Status OpenFile(const std::string& path, OpenMode mode,
                  std::unique_ptr<File>* file) override {
    return OpenAt(AT_FDCWD, path.c_str(), path, mode, file);
  }

  Status SyncFolder(const std::string& folder) override {
    return WithFolder(folder, SyncFolderAt);
  }
  Status SyncFileSystem(const std::string& folder) override {
    return WithFolder(folder, SyncFileSystemAt);
  }

  Status OpenFolder(const std::string& folder,
                    std::unique_ptr<Folder>* opened) override {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return PosixError("open folder", folder, errno);
    *opened = std::make_unique<PosixFolder>(fd, folder);
    return Status::Ok();
  }

  Status CreateNewFile(const std::string& path,
                       std::unique_ptr<File>* file) override {
    // With O_EXCL an existing name fails, a link included, which is not
    // followed.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return PosixError("create", path, errno);
    // No one else can hold a file nobody could open before: this cannot
    // block.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      Status s = PosixError("lock", path, errno);
      ::close(fd);
      ::unlink(path.c_str());
      return s;
    }
    *file = std::make_unique<PosixFile>(fd, path, NewFileInfo());
    return Status::Ok();
  }

  Status RenameNoReplace(const std::string& from,
                         const std::string& to) override {
    return RenameAt(AT_FDCWD, from.c_str(), to.c_str(), from, to);
  }

  Status RemoveFile(const std::string& path) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
      return PosixError("remove", path, errno);
    if (!S_ISREG(st.st_mode))
      return Status::Error(ErrorKind::kNotARegularFile, "remove", path,
                           "Not a regular file");
    if (::unlink(path.c_str()) != 0) return PosixError("remove", path, errno);
    return Status::Ok();
  }

  Status CheckWritable(const std::string& path) override {
    return CheckWritableAt(AT_FDCWD, path.c_str(), path);
  }

  Status CheckNameFits(const std::string& path) override {
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = std::min(path.find('/', start), path.size());
      if (end - start > NAME_MAX)
        return Status::Error(ErrorKind::kInvalidArgument, "check name", path,
                             "A name in the path is " +
                                 std::to_string(end - start) +
                                 " bytes long; the file system takes at most " +
                                 std::to_string(NAME_MAX));
      start = end + 1;
    }
    return Status::Ok();
  }

  Status ReadTextFile(const std::string& path, std::size_t limit,
                      std::string* text) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PosixError("open", path, errno);
    Status s = ReadToEnd(fd, path, limit, text);
    ::close(fd);
    return s;
  }

  Status ReadStandardInput(std::size_t limit, std::string* text) override {
    return ReadToEnd(STDIN_FILENO, "standard input", limit, text);
  }

  Status GetFileInfo(const std::string& path, FileInfo* info) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return PosixError("stat", path, errno);
    *info = InfoOfStat(st);
    return Status::Ok();
  }

  Status AbsolutePath(const std::string& path, std::string* absolute) override {
    if (!path.empty() && path.front() == '/') {
      *absolute = path;
      return Status::Ok();
    }
    std::string cwd(4096, '\0');
    while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
      if (errno != ERANGE) return PosixError("get current folder", path, errno);
      cwd.resize(cwd.size() * 2);
    }
    cwd.resize(std::strlen(cwd.c_str()));
    if (cwd.back() != '/') cwd += '/';
    *absolute = cwd + path;
    return Status::Ok();
  }

 private:
  static Status ReadToEnd(int fd, const std::string& path, std::size_t limit,
                          std::string* text) {
    constexpr std::size_t kChunk = 1 << 16;
    text->clear();
    for (;;) {
      std::size_t size = text->size();
      std::size_t want = std::min(kChunk, limit + 1 - size);
      text->resize(size + want);
      ssize_t got = ::read(fd, text->data() + size, want);
      int error = errno;
      text->resize(size + static_cast<std::size_t>(got > 0 ? got : 0));
      if (got < 0 && error == EINTR) continue;
      if (got < 0) return PosixError("read", path, error);
      if (text->size() > limit)
        return Status::Error(
            ErrorKind::kTooLarge, "read", path,
            "The file is larger than " + std::to_string(limit) + " bytes");
      if (got == 0) return Status::Ok();
    }
  }
};

// A trend file must be a regular file (O_NONBLOCK keeps a fifo from
// hanging the open), and a locked one must not be held by another run:
// flock() locks are shared by every descriptor of one open, so a second
// open of our own is refused too. `*info` describes the file.
Status CheckOpened(int fd, OpenMode mode, const std::string& path,
                   FileInfo* info) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return PosixError("open", path, errno);
  *info = InfoOfStat(st);
  if (!S_ISREG(st.st_mode))
    return Status::Error(ErrorKind::kNotARegularFile, "open", path,
                         "Not a regular file");
  if (mode == OpenMode::kLocked && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) return PosixError("lock", path, errno);
    return Status::Error(ErrorKind::kInUse, "lock", path,
                         "Another Morvelle run is renaming this trend");
  }
  return Status::Ok();
}

Status OpenAt(int at, const char* name, const std::string& path, OpenMode mode,
              std::unique_ptr<File>* file) {
  // O_NONBLOCK keeps a fifo that took a data file's name from hanging us;
  // CheckOpened then refuses it.
  int flags = (mode == OpenMode::kRead ? O_RDONLY : O_RDWR) | O_NOFOLLOW |
              O_NONBLOCK | O_CLOEXEC;
  int fd = ::openat(at, name, flags);
  if (fd < 0) return PosixError("open", path, errno);
  FileInfo info;
  Status s = CheckOpened(fd, mode, path, &info);
  if (!s.ok()) {
    ::close(fd);
    return s;
  }
  *file = std::make_unique<PosixFile>(fd, path, info);
  return Status::Ok();
}

// For file systems that do not know RENAME_NOREPLACE: link() never
// replaces, so link then unlink gives the same guarantee.
Status RenameByLink(int at, const char* from, const char* to,
                    const std::string& fromPath, const std::string& toPath) {
  if (::linkat(at, from, at, to, 0) != 0)
    return PosixError("rename", fromPath, errno, toPath);
  if (::unlinkat(at, from, 0) != 0)
    return PosixError("rename (remove old name)", fromPath, errno);
  return Status::Ok();
}

bool IsCaseOnlyRenameOfOneFile(int at, const char* from, const char* to) {
  if (!EqualsIgnoringCase(from, to)) return false;
  struct stat a, b;
  return ::fstatat(at, from, &a, AT_SYMLINK_NOFOLLOW) == 0 &&
         ::fstatat(at, to, &b, AT_SYMLINK_NOFOLLOW) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Status RenameAt(int at, const char* from, const char* to,
                const std::string& fromPath, const std::string& toPath) {
  if (::renameat2(at, from, at, to, RENAME_NOREPLACE) == 0) return Status::Ok();
  int error = errno;
  if (error == EINVAL || error == ENOSYS)
    return RenameByLink(at, from, to, fromPath, toPath);
  if (error == EEXIST && IsCaseOnlyRenameOfOneFile(at, from, to)) {
    // A case-folding file system sees the new spelling as the file
    // itself; replacing it with itself loses nothing.
    if (::renameat(at, from, at, to) == 0) return Status::Ok();
    error = errno;
  }
  return PosixError("rename", fromPath, error, toPath);
}

Status CheckWritableAt(int at, const char* name, const std::string& path) {
  // access() answers for the permission bits, a read-only mount and an
  // immutable file alike; a rename needs the same of the folder.
  if (::faccessat(at, name, W_OK, 0) != 0)
    return PosixError("check for writing", path, errno);
  return Status::Ok();
}

}  // namespace

Env& Env::Default() {
  static PosixEnv env;
  return env;
}

}  // namespace morvelle

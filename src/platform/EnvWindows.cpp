// Env for Windows: the wide-character Win32 calls. Paths arrive as UTF-8
// and are converted to UTF-16 here; names go back as UTF-8.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwctype>
#include <string>
#include <string_view>

#include "platform/Env.h"
#include "platform/Text.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

ErrorKind KindOfError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ErrorKind::kNotFound;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return ErrorKind::kAlreadyExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return ErrorKind::kPermissionDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return ErrorKind::kInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return ErrorKind::kNoSpace;
    case ERROR_DIRECTORY:
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_CANT_RESOLVE_FILENAME:
      return ErrorKind::kNotARegularFile;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NOT_SAME_DEVICE:
      return ErrorKind::kInvalidArgument;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
    case ERROR_NOT_READY:
    case ERROR_SEM_TIMEOUT:
      return ErrorKind::kIoError;
    default:
      return ErrorKind::kOther;
  }
}

// The system's own text for `error`, without its closing period.
std::string DescribeError(DWORD error) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", text ? length : 0);
  LocalFree(text);
  while (!message.empty() &&
         (std::iswspace(message.back()) || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return "Windows error " + std::to_string(error);
  return Utf8FromWide(message);
}

// The one place where a Win32 error code becomes a Status: of a call on
// `path`, or of a rename of `path` to `target`.
Status WindowsError(const std::string& operation, const std::string& path,
                    DWORD error, const std::string& target = {}) {
  return Status::Error(KindOfError(error), operation, path, target,
                       DescribeError(error));
}

Status LastError(const std::string& operation, const std::string& path,
                 const std::string& target = {}) {
  return WindowsError(operation, path, GetLastError(), target);
}

// `path` for Win32. A NUL inside it would silently cut the name short.
Status WidePath(const std::string& operation, const std::string& path,
                std::wstring* wide) {
  std::optional<std::wstring> converted = WideFromUtf8(path);
  if (!converted || converted->find(L'\0') != std::wstring::npos)
    return Status::Error(ErrorKind::kInvalidArgument, operation, path,
                         "The path is not valid UTF-8 text");
  *wide = std::move(*converted);
  return Status::Ok();
}

Status NotRegular(const std::string& operation, const std::string& path) {
  return Status::Error(ErrorKind::kNotARegularFile, operation, path,
                       "Not a normal file");
}

bool IsFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The last error of a call that takes `path` to be a file. Win32 answers
// "access denied" when asked to open or delete a folder as a file.
Status FileCallError(const std::string& operation, const std::string& path,
                     const std::wstring& wide) {
  DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED && IsFolder(wide))
    return NotRegular(operation, path);
  return WindowsError(operation, path, error);
}

// True when the last component of `path` starts with a dot: a name that
// POSIX hides by that dot alone, and that CreateNewFile hides here too.
bool IsDotName(std::string_view path) {
  std::size_t separator = path.find_last_of("\\/");
  return path.substr(separator == std::string_view::npos ? 0 : separator + 1)
      .starts_with('.');
}

// What a search for normal files leaves out: system files, and hidden
// files whose name does not start with a dot. On a dot name the hidden
// attribute says no more than the dot says on POSIX, where such a file is
// as regular as any (a run's journal is one), so it counts for nothing.
bool HiddenFromSearch(DWORD attributes, std::string_view path) {
  if (attributes & FILE_ATTRIBUTE_SYSTEM) return true;
  return (attributes & FILE_ATTRIBUTE_HIDDEN) && !IsDotName(path);
}

// A regular file here is what Windows calls a normal file: no folder, no
// reparse point, no device and not hidden from a search for normal files.
// Links and junctions are the reparse points that name another file; the
// rest (deduplicated, cloud-backed files) hold their data behind a filter,
// so they are not written here either.
EntryType TypeOfAttributes(DWORD attributes, DWORD reparseTag,
                           std::string_view path) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return IsReparseTagNameSurrogate(reparseTag) ? EntryType::kSymlink
                                                 : EntryType::kOther;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::kDirectory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) ||
      HiddenFromSearch(attributes, path))
    return EntryType::kOther;
  return EntryType::kRegular;
}

// What the open handle `h` is: its type, and the volume serial number and
// file index that are the same for every name of one file.
Status DescribeHandle(HANDLE h, const std::string& operation,
                      const std::string& path, FileInfo* info) {
  if (GetFileType(h) != FILE_TYPE_DISK) {  // a device: CON, NUL, a pipe
    *info = FileInfo();
    return Status::Ok();
  }
  BY_HANDLE_FILE_INFORMATION data;
  if (!GetFileInformationByHandle(h, &data)) return LastError(operation, path);
  DWORD tag = 0;
  FILE_ATTRIBUTE_TAG_INFO tag_info;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
      GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag_info,
                                   sizeof tag_info))
    tag = tag_info.ReparseTag;
  info->type = TypeOfAttributes(data.dwFileAttributes, tag, path);
  info->hidden = HiddenFromSearch(data.dwFileAttributes, path);
  info->size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  info->links = data.nNumberOfLinks;
  info->device = data.dwVolumeSerialNumber;
  info->index = (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow;
  return Status::Ok();
}

// The entry a folder search found, under its name in UTF-8.
FolderEntry EntryOf(const WIN32_FIND_DATAW& data) {
  std::string name = Utf8FromWide(data.cFileName);
  EntryType type =
      TypeOfAttributes(data.dwFileAttributes, data.dwReserved0, name);
  return {std::move(name), type};
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// One ReadFile or WriteFile moves at most this much.
constexpr std::size_t kChunk = std::size_t{1} << 30;

DWORD ChunkOf(std::size_t left) {
  return static_cast<DWORD>(std::min(left, kChunk));
}

class WindowsFile final : public File {
 public:
  WindowsFile(HANDLE handle, std::string path, const FileInfo& info)
      : handle_(handle), path_(std::move(path)), info_(info) {}
  ~WindowsFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  Status ReadAt(std::uint64_t offset, std::size_t n,
                std::string* out) override {
    out->resize(n);
    std::size_t done = 0;
    while (done < n) {
      OVERLAPPED at = At(offset + done);
      DWORD got = 0;
      if (!ReadFile(handle_, out->data() + done, ChunkOf(n - done), &got,
                    &at)) {
        DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        out->resize(done);
        return WindowsError("read", path_, error);
      }
      if (got == 0) break;
      done += got;
    }
    out->resize(done);
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, std::string_view data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      OVERLAPPED at = At(offset + done);
      DWORD put = 0;
      if (!WriteFile(handle_, data.data() + done, ChunkOf(data.size() - done),
                     &put, &at))
        return LastError("write", path_);
      if (put == 0) return WindowsError("write", path_, ERROR_WRITE_FAULT);
      done += put;
    }
    return Status::Ok();
  }

  // Past the end there is nothing to cut, and the file is left as it is.
  Status Truncate(std::uint64_t size) override {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(handle_, &length)) return LastError("truncate", path_);
    if (static_cast<std::uint64_t>(length.QuadPart) <= size)
      return Status::Ok();
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end,
                                    sizeof end))
      return LastError("truncate", path_);
    return Status::Ok();
  }

  const FileInfo& OpenedInfo() const override { return info_; }

  Status Sync() override {
    if (!FlushFileBuffers(handle_)) return LastError("flush", path_);
    return Status::Ok();
  }

  Status Close() override {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle)) return LastError("close", path_);
    return Status::Ok();
  }

 private:
  HANDLE handle_;
  std::string path_;
  FileInfo info_;
};

// What an open asks for and what it lets others do meanwhile. Writing
// takes the file for this program alone, so a trend file that the Ostrel
// runtime holds open is refused (kInUse) rather than changed under its
// feet. A locked file shares deletion only: that is the access a rename
// asks for, so this program can still rename the file it holds, while
// every other open, for reading included, is refused. Reading lets others
// read and write.
struct Sharing {
  DWORD access;
  DWORD share;
};

Sharing SharingFor(OpenMode mode) {
  switch (mode) {
    case OpenMode::kReadWrite:
      return {GENERIC_READ | GENERIC_WRITE, 0};
    case OpenMode::kLocked:
      return {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE};
    case OpenMode::kRead:
      break;
  }
  return {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE};
}

std::size_t LastSeparator(std::wstring_view path) {
  return path.find_last_of(L"\\/");
}

bool IsCaseOnlyChange(const std::wstring& from, const std::wstring& to) {
  return from != to && from.size() <= INT_MAX && to.size() <= INT_MAX &&
         CompareStringOrdinal(from.c_str(), static_cast<int>(from.size()),
                              to.c_str(), static_cast<int>(to.size()),
                              TRUE) == CSTR_EQUAL;
}

// The spelling the file system keeps for the last component of `path`,
// which a rename from `from` to `to` has just made.
Status NameOnDisk(const std::wstring& path, const std::string& from,
                  const std::string& to, std::wstring* name) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return LastError("rename", from, to);
  FindClose(find);
  *name = data.cFileName;
  return Status::Ok();
}

// Some file systems (Wine's view of a Unix folder, some network shares)
// accept a rename that changes letter case only and keep the old
// spelling. Going through a name of its own gets the new spelling there;
// should the second step fail, the file goes back to its old name.
Status RenameThroughTemporaryName(const std::wstring& from,
                                  const std::wstring& to,
                                  const std::string& fromPath,
                                  const std::string& toPath) {
  std::size_t separator = LastSeparator(to);
  std::wstring temporary =
      (separator == std::wstring::npos ? L"" : to.substr(0, separator + 1)) +
      L"~morvelle-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
      std::to_wstring(GetTickCount64()) + L".tmp";
  if (!MoveFileExW(from.c_str(), temporary.c_str(), 0))
    return LastError("rename", fromPath, toPath);
  if (MoveFileExW(temporary.c_str(), to.c_str(), 0)) return Status::Ok();
  DWORD error = GetLastError();
  Status failed = WindowsError("rename", fromPath, error, toPath);
  if (MoveFileExW(temporary.c_str(), from.c_str(), 0)) return failed;
  return failed.WithContext(
      "", "; the file is now '" +
              EscapeControlCharacters(Utf8FromWide(temporary)) + "'");
}

constexpr std::wstring_view kLongPathPrefix = L"\\\\?\\";

// NTFS and FAT hold names of up to 255 UTF-16 units. A path without the
// "\\?\" prefix, which hands it to the file system as it stands, must
// also fit in MAX_PATH units with its terminating NUL.
Status CheckLengths(std::wstring_view wide, const std::string& path) {
  constexpr std::size_t kLongestName = 255;
  for (std::size_t begin = 0; begin <= wide.size();) {
    std::size_t end = std::min(wide.find_first_of(L"\\/", begin), wide.size());
    if (end - begin > kLongestName)
      return Status::Error(ErrorKind::kInvalidArgument, "check name", path,
                           "A name in the path is longer than 255 characters");
    begin = end + 1;
  }
  if (wide.size() >= MAX_PATH && !wide.starts_with(kLongPathPrefix))
    return Status::Error(ErrorKind::kInvalidArgument, "check name", path,
                         "The path is longer than 259 characters");
  return Status::Ok();
}

// Reads `h` to its end into `*text`, `limit` bytes at most: the one byte
// asked for beyond them tells a longer file from one that fits exactly.
// A pipe whose writer is gone has ended.
Status ReadToEnd(HANDLE h, const std::string& path, std::size_t limit,
                 std::string* text) {
  constexpr std::size_t kTextChunk = std::size_t{64} << 10;
  const std::size_t most = std::min(limit, SIZE_MAX - 1) + 1;
  std::string read;
  while (read.size() < most) {
    std::size_t done = read.size();
    read.resize(done + std::min(kTextChunk, most - done));
    DWORD got = 0;
    BOOL ok = ReadFile(h, read.data() + done,
                       static_cast<DWORD>(read.size() - done), &got, nullptr);
    read.resize(done + got);
    if (!ok) {
      DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) break;
      return WindowsError("read", path, error);
    }
    if (got == 0) break;
  }
  if (read.size() > limit)
    return Status::Error(
        ErrorKind::kTooLarge, "read", path,
        "The file holds more than " + std::to_string(limit) + " bytes");
  *text = std::move(read);
  return Status::Ok();
}

// ---- Flushing what is not an open file --------------------------------
//
// A flush (FlushFileBuffers) of a folder or a volume asks for writing
// access to it. Where the file system offers no such flush, or this
// process may not open the folder or volume for it, there is nothing more
// to be had from it: these errors say so rather than that the disk failed.
bool FlushNotOffered(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_NOT_SUPPORTED;
}

HANDLE OpenForFlush(const std::wstring& path, DWORD flags) {
  return CreateFileW(path.c_str(), FILE_WRITE_DATA,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, flags, nullptr);
}

// Flushes and closes `h`: the flush's error, ERROR_SUCCESS for none.
DWORD FlushAndClose(HANDLE h) {
  DWORD error = FlushFileBuffers(h) ? ERROR_SUCCESS : GetLastError();
  CloseHandle(h);
  return error;
}

// Folder::Sync. NTFS and ReFS log every create, rename and removal, and a
// flush of any handle on the volume commits that log up to where it is;
// FAT writes a file's directory entry when the file is flushed. So the
// name of a file already flushed (File::Sync) is kept without this call.
// The flush of the folder is for the names changed since the last flush
// of a file: it commits the log again, and costs one open and one flush
// of the disk's cache. Where the file system does not flush folders, or
// this process may not open the folder for writing (so it made no names
// in it), the flushes of the files are all there is, and this succeeds.
Status FlushFolder(const std::wstring& folder, const std::string& path) {
  HANDLE h = OpenForFlush(folder, FILE_FLAG_BACKUP_SEMANTICS);
  DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : FlushAndClose(h);
  if (error == ERROR_SUCCESS || FlushNotOffered(error)) return Status::Ok();
  return WindowsError("flush folder", path, error);
}

// The device name of the volume that holds `folder`, "\\?\Volume{...}"
// without the closing backslash that would name its root folder instead;
// the same for a drive letter and a volume mounted on a folder. False
// where there is none, as for a network share.
bool VolumeOf(const std::wstring& folder, std::wstring* volume) {
  std::wstring mount(folder.size() + 2, L'\0');
  if (!GetVolumePathNameW(folder.c_str(), mount.data(),
                          static_cast<DWORD>(mount.size())))
    return false;
  wchar_t name[64];
  if (!GetVolumeNameForVolumeMountPointW(mount.c_str(), name, 64)) return false;
  *volume = name;
  if (volume->ends_with(L'\\')) volume->pop_back();
  return true;
}

// Env::SyncFileSystem: one call per run for every change on the volume of
// `folder`, the data written to files already closed included. A flush of
// the volume gives exactly that: the file system writes out everything it
// holds cached for the volume and commits its log. It costs what the whole
// volume has pending, other programs' writes included, then one flush of
// the disk's cache.
//
// Opening a volume for it takes administrator rights. Without them
// (ERROR_ACCESS_DENIED), and where the volume cannot be opened or flushed
// as a whole (a network share; Wine refuses the flush), the folder is
// flushed instead: on NTFS it commits the log, so every create, rename
// and removal of the run is kept. The data written to files already closed
// is not made to reach the disk by this call; that is why the trend files
// are opened for writing with FILE_FLAG_WRITE_THROUGH (OpenFile), so their
// bytes are on the disk when the write returns.
Status FlushFileSystem(const std::wstring& folder, const std::string& path) {
  std::wstring volume;
  HANDLE h = VolumeOf(folder, &volume) ? OpenForFlush(volume, 0)
                                       : INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) return FlushFolder(folder, path);
  DWORD error = FlushAndClose(h);
  if (error == ERROR_SUCCESS) return Status::Ok();
  if (FlushNotOffered(error)) return FlushFolder(folder, path);
  return WindowsError("flush file system", path, error);
}

class WindowsEnv final : public Env {
 public:
  Status ListFolder(const std::string& folder,
                    std::vector<FolderEntry>* entries) override {
    std::wstring pattern;
    Status s = WidePath("list folder", folder, &pattern);
    if (!s.ok()) return s;
    if (pattern.empty() || LastSeparator(pattern) != pattern.size() - 1)
      pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      // A drive's root folder has no "." entry: empty, it matches nothing.
      if (error == ERROR_FILE_NOT_FOUND) return Status::Ok();
      return WindowsError("list folder", folder, error);
    }
    do {
      std::wstring_view name = data.cFileName;
      if (name != L"." && name != L"..") entries->push_back(EntryOf(data));
    } while (FindNextFileW(find, &data));
    DWORD error = GetLastError();
    FindClose(find);
    if (error != ERROR_NO_MORE_FILES)
      return WindowsError("list folder", folder, error);
    return Status::Ok();
  }

  Status OpenFile(const std::string& path, OpenMode mode,
                  std::unique_ptr<File>* file) override {
    std::wstring wide;
    Status s = WidePath("open", path, &wide);
    if (!s.ok()) return s;
    Sharing sharing = SharingFor(mode);
    // A write to a trend file goes through to the disk before it returns.
    // Without administrator rights no single call flushes the files a run
    // has closed (see SyncFileSystem), and a run must not report a rename
    // whose Tags are still in the cache: this costs a disk write per file
    // instead of a flush per file.
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT |
                        (mode == OpenMode::kRead ? 0 : FILE_FLAG_WRITE_THROUGH);
    HANDLE h = CreateFileW(wide.c_str(), sharing.access, sharing.share, nullptr,
                           OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FileCallError("open", path, wide);
    FileInfo info;
    s = DescribeHandle(h, "open", path, &info);
    if (s.ok() && info.type != EntryType::kRegular)
      s = NotRegular("open", path);
    if (!s.ok()) {
      CloseHandle(h);
      return s;
    }
    *file = std::make_unique<WindowsFile>(h, path, info);
    return Status::Ok();
  }

  Status CreateNewFile(const std::string& path,
                       std::unique_ptr<File>* file) override {
    std::wstring wide;
    Status s = WidePath("create", path, &wide);
    if (!s.ok()) return s;
    // CREATE_NEW fails on any existing name. Sharing reading alone, the
    // file is held as a locked open holds it: others may read it while it
    // is written, but an open that asks to write, a locked one included,
    // is refused with a sharing violation (kInUse) until it is closed.
    const DWORD attributes =
        IsDotName(path) ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
    HANDLE h =
        CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                    nullptr, CREATE_NEW, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError("create", path);
    FileInfo created;  // new: empty, one name
    created.type = EntryType::kRegular;
    *file = std::make_unique<WindowsFile>(h, path, created);
    return Status::Ok();
  }

  Status RenameNoReplace(const std::string& from,
                         const std::string& to) override {
    std::wstring wide_from, wide_to;
    Status s = WidePath("rename", from, &wide_from);
    if (s.ok()) s = WidePath("rename", to, &wide_to);
    if (!s.ok()) return s;
    // Without MOVEFILE_REPLACE_EXISTING an existing target fails the call
    // with ERROR_ALREADY_EXISTS and nothing changes; only a target that is
    // the file itself under another spelling is let through.
    if (!MoveFileExW(wide_from.c_str(), wide_to.c_str(), 0))
      return LastError("rename", from, to);
    if (!IsCaseOnlyChange(wide_from, wide_to)) return Status::Ok();
    std::wstring on_disk;
    s = NameOnDisk(wide_to, from, to, &on_disk);
    if (!s.ok()) return s;
    std::size_t separator = LastSeparator(wide_to);
    std::wstring_view wanted = std::wstring_view(wide_to).substr(
        separator == std::wstring::npos ? 0 : separator + 1);
    if (on_disk == wanted) return Status::Ok();
    return RenameThroughTemporaryName(wide_from, wide_to, from, to);
  }

  Status GetFileInfo(const std::string& path, FileInfo* info) override {
    std::wstring wide;
    Status s = WidePath("stat", path, &wide);
    if (!s.ok()) return s;
    // Asking for attributes only passes every sharing mode, so a file that
    // another program holds open can still be described.
    HANDLE h = CreateFileW(
        wide.c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError("stat", path);
    s = DescribeHandle(h, "stat", path, info);
    CloseHandle(h);
    return s;
  }

  Status RemoveFile(const std::string& path) override {
    std::wstring wide;
    Status s = WidePath("remove", path, &wide);
    if (!s.ok()) return s;
    // A link is removed as a name; what it points to is left alone.
    if (!DeleteFileW(wide.c_str())) return FileCallError("remove", path, wide);
    return Status::Ok();
  }

  Status CheckWritable(const std::string& path) override {
    std::wstring wide;
    Status s = WidePath("check access", path, &wide);
    if (!s.ok()) return s;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
      return LastError("check access", path);
    // A folder's read-only attribute only tells the shell that the folder
    // is customized: files in it are still created and renamed.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Status::Ok();
    if (attributes & FILE_ATTRIBUTE_READONLY)
      return Status::Error(ErrorKind::kPermissionDenied, "check access", path,
                           "The file is read-only");
    // The open a rewrite makes, tried and closed at once. It fails while
    // any other handle is open on the file, whatever that handle shares.
    HANDLE h =
        CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return Status::Ok();
    }
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION)
      return Status::Error(ErrorKind::kInUse, "check access", path,
                           "Another program holds the file open");
    return WindowsError("check access", path, error);
  }

  Status CheckNameFits(const std::string& path) override {
    std::wstring wide;
    Status s = WidePath("check name", path, &wide);
    return s.ok() ? CheckLengths(wide, path) : s;
  }

  Status ReadTextFile(const std::string& path, std::size_t limit,
                      std::string* text) override {
    std::wstring wide;
    Status s = WidePath("open", path, &wide);
    if (!s.ok()) return s;
    // A file the user named: links are followed, and others may go on
    // reading and writing it meanwhile.
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FileCallError("open", path, wide);
    s = ReadToEnd(h, path, limit, text);
    CloseHandle(h);
    return s;
  }

  // A pipe or a file the parent process gave, or the console the program
  // runs in; a window program started from Explorer has none.
  Status ReadStandardInput(std::size_t limit, std::string* text) override {
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    if (h == nullptr || h == INVALID_HANDLE_VALUE)
      return Status::Error(ErrorKind::kNotFound, "read", "standard input",
                           "The program was started without one");
    return ReadToEnd(h, "standard input", limit, text);
  }

  Status SyncFolder(const std::string& folder) override {
    std::wstring wide;
    Status s = WidePath("flush folder", folder, &wide);
    return s.ok() ? FlushFolder(wide, folder) : s;
  }

  Status SyncFileSystem(const std::string& folder) override {
    std::wstring wide;
    Status s = WidePath("flush file system", folder, &wide);
    return s.ok() ? FlushFileSystem(wide, folder) : s;
  }

  Status AbsolutePath(const std::string& path, std::string* absolute) override {
    std::wstring wide;
    Status s = WidePath("get full path", path, &wide);
    if (!s.ok()) return s;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
      DWORD length = GetFullPathNameW(
          wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
      if (length == 0) return LastError("get full path", path);
      if (length < full.size()) {
        full.resize(length);
        break;
      }
      full.resize(length);
    }
    *absolute = Utf8FromWide(full);
    return Status::Ok();
  }
};

}  // namespace

Env& Env::Default() {
  static WindowsEnv env;
  return env;
}

}  // namespace morvelle

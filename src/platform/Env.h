// The only door from the trend core to the file system. Everything the
// core does to files goes through an Env, so that a platform supplies one
// implementation (EnvPosix.cpp, EnvWindows.cpp; CMake picks which) and a
// test can hand in an Env that fails wherever it likes.
//
// Paths are in the platform's own encoding (UTF-8 on POSIX and at the edge
// of the Windows implementation). No call follows a symbolic link at the
// last component: a link is reported as a link, never opened or replaced.
//
// Threads: Env::Default() keeps nothing between calls (each is its own
// system calls, and errno and GetLastError() are per thread), so any
// threads may call it at the same time; the Many trends window plans on a
// worker thread while its own thread reads files. A File or a Folder is
// for one thread at a time, which may hand it on to another. The program
// never changes its current folder, so AbsolutePath may run beside any
// call. An Env of another kind (the tests' Envs) may keep state between
// calls and is for one thread at a time unless it says otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"

namespace morvelle {

enum class EntryType { kRegular, kDirectory, kSymlink, kOther };

struct FolderEntry {
  std::string name;  // bare name, no folder
  EntryType type;
};

// What the core needs to know about a path that exists: what it is, its
// length, how many names (hard links) the file has, and an identity that is
// equal for two names of the same file (device and inode, or volume and
// file index).
struct FileInfo {
  EntryType type = EntryType::kOther;
  std::uint64_t size = 0;   // bytes; meaningful for a regular file only
  std::uint64_t links = 1;  // names of the file, this one included
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  // Windows: a hidden or system file, which a search for normal files does
  // not find (its type is then kOther). A hidden file with a name that
  // starts with a dot is not one: the dot hides it on POSIX as well, where
  // it is a regular file. Never set on POSIX.
  bool hidden = false;
};

// kLocked: for reading and writing, and held for this process alone until
// it is closed, so that a second run on the same trend is refused (kInUse)
// rather than interleaved with this one. POSIX: an exclusive, non-blocking
// flock(); Windows: an open that shares nothing but deletion. The file may
// be renamed while it is held, and the File goes on reaching it under its
// new name.
enum class OpenMode { kRead, kReadWrite, kLocked };

// An open file. Every call names the path it was opened with in its errors.
class File {
 public:
  virtual ~File() = default;

  // Reads up to `n` bytes at `offset` into `*out` (resized to what was
  // read). Fewer bytes than asked, none included, means the end of the file
  // was reached; that is not an error.
  virtual Status ReadAt(std::uint64_t offset, std::size_t n,
                        std::string* out) = 0;

  // Writes all of `data` at `offset`, growing the file when needed. An
  // error may leave part of `data` written.
  virtual Status WriteAt(std::uint64_t offset, std::string_view data) = 0;

  // Cuts the file to `size` bytes; a file no longer than that is left as
  // it is.
  virtual Status Truncate(std::uint64_t size) = 0;

  // What the file was when it was opened: its size, its names (hard links)
  // and its identity. The open learns this anyway to make sure it opened a
  // regular file, so asking makes no further call to the file system. A
  // file CreateNewFile made is described as new: empty, one name, identity
  // zero.
  virtual const FileInfo& OpenedInfo() const = 0;

  // Returns once what was written to the file, and its length, is on
  // stable storage and survives a power cut (POSIX: fdatasync; Windows:
  // FlushFileBuffers). Its name is not: see Folder::Sync.
  virtual Status Sync() = 0;

  // Closes the file. Called at most once; after it no other call is made.
  // Destroying an open File closes it and drops any error.
  virtual Status Close() = 0;
};

// A folder held open for the calls a rename makes on the files in it. A
// path handed to it names an entry of this folder: the folder's path as it
// was opened, then a bare name. The calls keep the contracts of the Env's
// calls of the same names. POSIX makes them relative to the folder's
// descriptor, so that the kernel looks up the name alone rather than every
// folder on the path again; a path outside the folder is reached by its
// whole path.
class Folder {
 public:
  virtual ~Folder() = default;

  virtual Status OpenFile(const std::string& path, OpenMode mode,
                          std::unique_ptr<File>* file) = 0;
  virtual Status RenameNoReplace(const std::string& from,
                                 const std::string& to) = 0;
  virtual Status CheckWritable(const std::string& path) = 0;

  // Returns once the names in this folder (files created, renamed or
  // removed) are on stable storage. POSIX: fsync of the folder. Windows: a
  // flush of the folder where the file system offers one; NTFS keeps a
  // name already when a file is synced after it was made (see
  // EnvWindows.cpp).
  virtual Status Sync() = 0;

  // Returns once everything written to the file system this folder is on,
  // by this process or any other, is on stable storage: one call however
  // many files a run changed. POSIX: syncfs; Windows: see EnvWindows.cpp.
  virtual Status SyncFileSystem() = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // The process's Env for the platform it was built for. Never null.
  static Env& Default();

  // Appends every entry of `folder` except "." and ".." to `*entries`.
  virtual Status ListFolder(const std::string& folder,
                            std::vector<FolderEntry>* entries) = 0;

  // Opens an existing regular file; never creates one and never follows a
  // link. On success `*file` is set; on failure it is left empty.
  virtual Status OpenFile(const std::string& path, OpenMode mode,
                          std::unique_ptr<File>* file) = 0;

  // Creates `path` as a new, empty regular file and opens it for reading
  // and writing, held as kLocked holds a file: until it is closed, a
  // kLocked open of it is refused (kInUse). Fails with kAlreadyExists,
  // changing nothing, when anything has that name already, a link
  // included: never replaces a file and never follows a link. A name that
  // starts with a dot is hidden on Windows as it is on POSIX. On success
  // `*file` is set; on failure it is left empty.
  virtual Status CreateNewFile(const std::string& path,
                               std::unique_ptr<File>* file) = 0;

  // Renames `from` to `to`. Fails with kAlreadyExists, changing nothing,
  // when `to` already exists; never replaces a file. Where the file system
  // folds letter case, `to` may differ from `from` in case only.
  virtual Status RenameNoReplace(const std::string& from,
                                 const std::string& to) = 0;

  // Describes `path` without following a link at its last component.
  // Fails with kNotFound when nothing has that name.
  virtual Status GetFileInfo(const std::string& path, FileInfo* info) = 0;

  // Removes the regular file `path`. Used only for a file this program
  // created itself and must not leave behind; never follows a link.
  virtual Status RemoveFile(const std::string& path) = 0;

  // Fails, changing nothing, when `path` (a file or a folder) cannot be
  // written or renamed by this process: kPermissionDenied for a read-only
  // or immutable file or a folder without write permission (POSIX:
  // access() for writing), kInUse for a file another program holds open
  // (Windows: a trial exclusive open).
  virtual Status CheckWritable(const std::string& path) = 0;

  // Fails with kInvalidArgument, changing nothing, when a file could not
  // be given the name `path` for its length: a name component of more than
  // 255 bytes (POSIX) or UTF-16 units (Windows), or, on Windows, a whole
  // path beyond MAX_PATH that does not start with "\\?\".
  virtual Status CheckNameFits(const std::string& path) = 0;

  // Reads the whole of `path` into `*text`, following links and reading
  // pipes and devices such as /dev/stdin to their end: for files the user
  // names, never for trend files. Fails with kTooLarge, after reading at
  // most `limit` + 1 bytes, when it holds more than `limit` bytes.
  virtual Status ReadTextFile(const std::string& path, std::size_t limit,
                              std::string* text) = 0;

  // Reads the process's standard input to its end, as ReadTextFile reads
  // a pipe, a file or a console; its errors name it "standard input".
  // Fails with kTooLarge as ReadTextFile does, and with kNotFound when the
  // process was given none.
  virtual Status ReadStandardInput(std::size_t limit, std::string* text) = 0;

  // Folder::Sync and Folder::SyncFileSystem of `folder`, without holding
  // it open.
  virtual Status SyncFolder(const std::string& folder) = 0;
  virtual Status SyncFileSystem(const std::string& folder) = 0;

  // Opens `folder` (ending in a separator, as the folder of a path is
  // given) for the calls of a Folder. This default reaches the files by
  // their whole paths through this Env's own calls.
  virtual Status OpenFolder(const std::string& folder,
                            std::unique_ptr<Folder>* opened);

  // `path` made absolute against the current folder; unchanged when it
  // already is, except that Windows puts it in the form every Win32 call
  // reads it in ("/" as "\", "." and ".." resolved, trailing dots and
  // spaces dropped). Does not ask whether it exists.
  virtual Status AbsolutePath(const std::string& path,
                              std::string* absolute) = 0;
};

// An Env that passes every call on to `target`: the base of an Env that
// changes a few calls and does the rest as `target` does. OpenFolder is
// not passed on: the Folder it opens reaches its files through this Env's
// own calls, so that what a derived Env changes applies to them as well.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}

  Env& target() const { return target_; }

  Status ListFolder(const std::string& folder,
                    std::vector<FolderEntry>* entries) override {
    return target_.ListFolder(folder, entries);
  }
  Status OpenFile(const std::string& path, OpenMode mode,
                  std::unique_ptr<File>* file) override {
    return target_.OpenFile(path, mode, file);
  }
  Status CreateNewFile(const std::string& path,
                       std::unique_ptr<File>* file) override {
    return target_.CreateNewFile(path, file);
  }
  Status RenameNoReplace(const std::string& from,
                         const std::string& to) override {
    return target_.RenameNoReplace(from, to);
  }
  Status GetFileInfo(const std::string& path, FileInfo* info) override {
    return target_.GetFileInfo(path, info);
  }
  Status RemoveFile(const std::string& path) override {
    return target_.RemoveFile(path);
  }
  Status CheckWritable(const std::string& path) override {
    return target_.CheckWritable(path);
  }
  Status CheckNameFits(const std::string& path) override {
    return target_.CheckNameFits(path);
  }
  Status ReadTextFile(const std::string& path, std::size_t limit,
                      std::string* text) override {
    return target_.ReadTextFile(path, limit, text);
  }
  Status ReadStandardInput(std::size_t limit, std::string* text) override {
    return target_.ReadStandardInput(limit, text);
  }
  Status SyncFolder(const std::string& folder) override {
    return target_.SyncFolder(folder);
  }
  Status SyncFileSystem(const std::string& folder) override {
    return target_.SyncFileSystem(folder);
  }
  Status AbsolutePath(const std::string& path, std::string* absolute) override {
    return target_.AbsolutePath(path, absolute);
  }

 private:
  Env& target_;
};

}  // namespace morvelle

// An Env that keeps a whole file system in memory: POSIX-style absolute
// paths with "/" separators, case-sensitive names, and the same promises as
// the real Env (no call follows a link, a rename never replaces). Fast and
// free of side effects, so a fuzzer can build a fresh trend for every input
// and a test can make entries a disk cannot easily hold, such as a device.
//
// It also watches how it is used: open files are counted, and a call on a
// closed File is recorded as a misuse.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TrendFixture.h"
#include "platform/Env.h"

namespace morvelle::test {

class MemEnv final : public Env {
 public:
  // `currentFolder` is where relative paths are resolved; it is created.
  explicit MemEnv(std::string currentFolder = "/work");

  // Each Add creates the missing folders above `path` and returns false,
  // changing nothing, when `path` exists already.
  bool AddFile(const std::string& path, std::string bytes);
  bool AddFolder(const std::string& path);
  bool AddSymlink(const std::string& path);
  bool AddDevice(const std::string& path);
  // Makes `path` refuse writing, as a read-only or immutable file or a
  // folder without write permission does.
  void MakeReadOnly(const std::string& path);

  // What ReadStandardInput reads; none (kNotFound) until this is called.
  void SetStandardInput(std::string text) { standardInput_ = std::move(text); }

  // The bytes of the regular file `path`, or nullptr.
  const std::string* Bytes(const std::string& path) const;
  // Every regular file directly inside `folder`, by bare name.
  FolderImage Image(const std::string& folder) const;
  // Every path and its type, folders included.
  std::map<std::string, EntryType> Tree() const;

  // Power cuts. MarkAllDurable takes everything as it is now to be on
  // stable storage; from then on a File's Sync keeps its bytes, SyncFolder
  // the names in a folder and SyncFileSystem everything. PowerCut drops
  // what was not kept so, as a machine losing power does, and lets go of
  // every lock: the Files still open must not be used after it. A disk
  // may have written some of the rest in any order; `survives` says which.
  enum class Unflushed { kLost, kBytesKept, kNamesKept };
  void MarkAllDurable();
  void PowerCut(Unflushed survives = Unflushed::kLost);

  int openFiles() const { return *openFiles_; }
  int mostOpenAtOnce() const { return *mostOpen_; }
  // Calls made on a File after its Close.
  int misuses() const { return *misuses_; }

  Status ListFolder(const std::string& folder,
                    std::vector<FolderEntry>* entries) override;
  Status OpenFile(const std::string& path, OpenMode mode,
                  std::unique_ptr<File>* file) override;
  Status CreateNewFile(const std::string& path,
                       std::unique_ptr<File>* file) override;
  Status RenameNoReplace(const std::string& from,
                         const std::string& to) override;
  Status RemoveFile(const std::string& path) override;
  Status CheckWritable(const std::string& path) override;
  Status CheckNameFits(const std::string& path) override;
  Status ReadTextFile(const std::string& path, std::size_t limit,
                      std::string* text) override;
  Status ReadStandardInput(std::size_t limit, std::string* text) override;
  Status SyncFolder(const std::string& folder) override;
  Status SyncFileSystem(const std::string& folder) override;
  Status GetFileInfo(const std::string& path, FileInfo* info) override;
  Status AbsolutePath(const std::string& path, std::string* absolute) override;

 private:
  struct Node {
    EntryType type;
    std::uint64_t index;
    std::shared_ptr<std::string> bytes;  // regular files only
    bool readOnly = false;
    // Held by the File that has it open with kLocked.
    std::shared_ptr<bool> locked = std::make_shared<bool>(false);
  };

  // What survives a power cut: the names, and the bytes of each file by
  // its index. Shared with the open Files, whose Sync keeps their bytes.
  struct Durable {
    std::map<std::string, Node> names;
    std::map<std::uint64_t, std::string> bytes;
  };

  bool Add(const std::string& path, EntryType type, std::string bytes);
  std::unique_ptr<File> Open(const std::string& path, const Node& node,
                             OpenMode mode);
  void MakeFolders(const std::string& path);

  std::string currentFolder_;
  std::optional<std::string> standardInput_;
  std::map<std::string, Node> nodes_;
  std::uint64_t nextIndex_ = 1;
  std::shared_ptr<Durable> durable_;  // null until MarkAllDurable
  // Shared with the open Files, which may outlive a call.
  std::shared_ptr<int> openFiles_ = std::make_shared<int>(0);
  std::shared_ptr<int> mostOpen_ = std::make_shared<int>(0);
  std::shared_ptr<int> misuses_ = std::make_shared<int>(0);
};

}  // namespace morvelle::test

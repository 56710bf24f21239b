// An Env that passes every call to another one and injects one fault, so a
// test can stop a rename at any step:
//  - kFail: call number `at` (Env and File calls counted together, from 1)
//    fails and does nothing;
//  - kShortWrite: write number `at` writes the first half of its bytes and
//    then fails, as a full disk does;
//  - kTargetAppears: right before rename number `at`, `createFile` makes a
//    file under the rename's new name, as another program may do after the
//    rename was checked;
//  - kCrash: call number `at` and every call after it fail and do nothing,
//    as if the process had been killed there; the state the Env is left
//    in is what a recovery finds;
// and, besides that one, a plain failure of call number `alsoAt`, so that a
// test can fail the undo of a run stopped by the first fault.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Env.h"

namespace morvelle::test {

enum class FaultKind { kFail, kShortWrite, kTargetAppears, kCrash };

struct Fault {
  FaultKind kind = FaultKind::kFail;
  int at = 0;  // 0 never injects
  ErrorKind error = ErrorKind::kIoError;
  std::function<void(const std::string& path)> createFile =
      {};          // kTargetAppears
  int alsoAt = 0;  // a second, plain failure; 0 never
};

class FailingEnv final : public EnvWrapper {
 public:
  // Fails call number `failAt` with `kind`; 0 never fails.
  explicit FailingEnv(Env& base, int failAt = 0,
                      ErrorKind kind = ErrorKind::kIoError);
  FailingEnv(Env& base, Fault fault);

  // What was passed on or failed so far: every call, the writes, the
  // renames. A clean run's figures are the number of places to inject at.
  int calls() const { return calls_; }
  int writes() const { return writes_; }
  int renames() const { return renames_; }
  // The name of the call the fault hit, empty while none has.
  const std::string& failedCall() const { return failedCall_; }
  // The path of that call.
  const std::string& failedPath() const { return failedPath_; }
  // Calls of one name ("stat", "open", ...) passed on or failed so far.
  int callsOf(const std::string& call) const;
  // The number (from 1) of the last call named `call` on a path ending in
  // `pathEnd`; 0 when there was none.
  int lastCallOf(const std::string& call, const std::string& pathEnd) const;
  // True when call number `k` was named `call`, on a path ending in
  // `pathEnd`.
  bool callWas(int k, const std::string& call,
               const std::string& pathEnd) const;

  // Runs before every counted call, so a test can look at the state the
  // call is made in.
  std::function<void()> onCall;

  // Counts one call; returns the error when it is the one to fail.
  Status Count(const char* call, const std::string& path);
  // Counts one write and passes it to `base`, cut short when it is the one.
  Status Write(File& base, const std::string& path, std::uint64_t offset,
               std::string_view data);

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
  Status ReadTextFile(const std::string& path, std::size_t limit,
                      std::string* text) override;
  Status SyncFolder(const std::string& folder) override;
  Status SyncFileSystem(const std::string& folder) override;
  Status GetFileInfo(const std::string& path, FileInfo* info) override;
  Status AbsolutePath(const std::string& path, std::string* absolute) override;

 private:
  Fault fault_;
  int calls_ = 0;
  int writes_ = 0;
  int renames_ = 0;
  std::string failedCall_;
  std::string failedPath_;
  std::map<std::string, int> callsByName_;
  std::vector<std::pair<std::string, std::string>> log_;  // call, path
};

}  // namespace morvelle::test

// An Env that passes every call to a real one and fails the k-th call
// (Env and File calls counted together, from 1), so a test can stop a
// rename at any step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Env.h"

namespace morvelle::testing {

class FailingEnv final : public Env {
 public:
  // Fails call number `failAt` with `kind`; 0 never fails.
  explicit FailingEnv(Env& base, int failAt = 0,
                      ErrorKind kind = ErrorKind::kIoError)
      : base_(base), failAt_(failAt), kind_(kind) {}

  int calls() const { return calls_; }
  // The name of the call that failed, empty while none has.
  const std::string& failedCall() const { return failedCall_; }

  // Runs before every counted call, so a test can look at the state the
  // call is made in.
  std::function<void()> onCall;

  // Counts one call; returns the error when it is the one to fail.
  Status Count(const char* call, const std::string& path);

  Status ListFolder(const std::string& folder,
                    std::vector<FolderEntry>* entries) override;
  Status OpenFile(const std::string& path, OpenMode mode,
                  std::unique_ptr<File>* file) override;
  Status CreateNewFile(const std::string& path,
                       std::unique_ptr<File>* file) override;
  Status RenameNoReplace(const std::string& from,
                         const std::string& to) override;
  Status GetFileInfo(const std::string& path, FileInfo* info) override;
  Status AbsolutePath(const std::string& path, std::string* absolute) override;

 private:
  Env& base_;
  int failAt_;
  ErrorKind kind_;
  int calls_ = 0;
  std::string failedCall_;
};

}  // namespace morvelle::testing

// Errors as values. A Status is either OK or carries what went wrong (a
// kind a caller can branch on), the file-system call that failed and the
// path it was given, so a message can name both without the caller keeping
// track of them.
#pragma once

#include <memory>
#include <string>

namespace morvelle {

enum class ErrorKind {
  kNone,
  kNotFound,
  kAlreadyExists,
  kPermissionDenied,
  kInUse,  // locked or held open by another program
  kNoSpace,
  kTooLarge,  // more than the caller accepts
  kNotARegularFile,
  kInvalidArgument,
  kIoError,
  kOther,
};

class Status {
 public:
  Status() = default;  // OK
  Status(const Status& other);
  Status& operator=(const Status& other);
  Status(Status&&) noexcept = default;
  Status& operator=(Status&&) noexcept = default;

  static Status Ok() { return Status(); }
  // `operation` is the call that failed ("open", "rename", ...); `path` the
  // file it was asked about; `detail` the platform's own description.
  static Status Error(ErrorKind kind, std::string operation, std::string path,
                      std::string detail);

  bool ok() const { return state_ == nullptr; }
  ErrorKind kind() const { return state_ ? state_->kind : ErrorKind::kNone; }
  // Empty when ok().
  const std::string& operation() const;
  const std::string& path() const;
  const std::string& detail() const;

  // "open '/data/Trend1.000': Permission denied"; "OK" when ok(). The path
  // has its control characters escaped.
  std::string ToString() const;

 private:
  struct State {
    ErrorKind kind;
    std::string operation;
    std::string path;
    std::string detail;
  };
  // Null when OK, so that an OK Status, which every file of a rename keeps
  // two of, is one pointer.
  std::unique_ptr<State> state_;
};

}  // namespace morvelle

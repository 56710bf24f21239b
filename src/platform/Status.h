// Errors as values. A Status is either OK or carries what went wrong (a
// kind a caller can branch on), the file-system call that failed and the
// path it was given, so a message can name both without the caller keeping
// track of them.
#pragma once

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

  static Status Ok() { return Status(); }
  // `operation` is the call that failed ("open", "rename", ...); `path` the
  // file it was asked about; `detail` the platform's own description.
  static Status Error(ErrorKind kind, std::string operation, std::string path,
                      std::string detail);

  bool ok() const { return kind_ == ErrorKind::kNone; }
  ErrorKind kind() const { return kind_; }
  const std::string& operation() const { return operation_; }
  const std::string& path() const { return path_; }
  const std::string& detail() const { return detail_; }

  // "open '/data/Trend1.000': Permission denied"; "OK" when ok(). The path
  // has its control characters escaped.
  std::string ToString() const;

 private:
  ErrorKind kind_ = ErrorKind::kNone;
  std::string operation_;
  std::string path_;
  std::string detail_;
};

}  // namespace morvelle

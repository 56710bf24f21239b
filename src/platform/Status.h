// Errors as values, the one way a failure travels from the file system to
// the caller that shows it. A Status is either OK or carries what went
// wrong: a kind a caller can branch on, the file-system call that failed
// and the path it was given (and, for a rename, the path it was to get),
// so a message can name them without the caller keeping track of them. A
// check that refuses without asking the file system carries its sentence
// instead of a call. Each layer it passes may set it in a sentence of its
// own (WithContext) without losing those fields.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

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
  kCorrupt,    // a file's bytes are not what they must be
  kCancelled,  // a stop was asked for
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
  // The same for a call on two paths: a rename from `path` to `target`.
  static Status Error(ErrorKind kind, std::string operation, std::string path,
                      std::string target, std::string detail);
  // A refusal that asked the file system nothing: `message` is the whole
  // sentence ToString gives.
  static Status Message(ErrorKind kind, std::string message);

  bool ok() const { return state_ == nullptr; }
  ErrorKind kind() const { return state_ ? state_->kind : ErrorKind::kNone; }
  // Empty when ok(), and the operation and paths of a Message.
  const std::string& operation() const;
  const std::string& path() const;
  const std::string& target() const;
  // The platform's description, or a Message's sentence.
  const std::string& detail() const;

  // This failure set in a sentence: ToString gives `before`, what it gave
  // so far, then `after`. The kind and the fields stay. OK stays OK.
  Status WithContext(const std::string& before,
                     const std::string& after = {}) const;

  // "open '/data/Trend1.000': Permission denied", "rename 'A' to 'B': File
  // exists", a Message's sentence, each within its context; "OK" when
  // ok(). Paths have their control characters escaped.
  std::string ToString() const;

 private:
  struct State {
    ErrorKind kind;
    std::string operation;
    std::string path;
    std::string target;
    std::string detail;
    std::string before, after;  // the context
  };
  // Null when OK, so that an OK Status, which every file of a rename keeps
  // two of, is one pointer.
  std::unique_ptr<State> state_;
};

// A value, or the Status of why there is none: what a function returns
// when it yields something or fails.
template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit
  // `status` must not be OK.
  Result(Status status) : status_(std::move(status)) {}  // NOLINT: implicit

  bool ok() const { return value_.has_value(); }
  // OK when there is a value.
  const Status& status() const { return status_; }

  // Only when ok().
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace morvelle

#include "platform/Status.h"

#include <utility>

#include "platform/Text.h"

namespace morvelle {

Status::Status(const Status& other)
    : state_(other.state_ ? std::make_unique<State>(*other.state_) : nullptr) {}

Status& Status::operator=(const Status& other) {
  if (this != &other)
    state_ = other.state_ ? std::make_unique<State>(*other.state_) : nullptr;
  return *this;
}

Status Status::Error(ErrorKind kind, std::string operation, std::string path,
                     std::string detail) {
  return Error(kind, std::move(operation), std::move(path), {},
               std::move(detail));
}

Status Status::Error(ErrorKind kind, std::string operation, std::string path,
                     std::string target, std::string detail) {
  Status s;
  s.state_ = std::make_unique<State>(State{kind,
                                           std::move(operation),
                                           std::move(path),
                                           std::move(target),
                                           std::move(detail),
                                           {},
                                           {}});
  return s;
}

Status Status::Message(ErrorKind kind, std::string message) {
  return Error(kind, {}, {}, {}, std::move(message));
}

namespace {
const std::string kNothing;
}  // namespace

const std::string& Status::operation() const {
  return state_ ? state_->operation : kNothing;
}
const std::string& Status::path() const {
  return state_ ? state_->path : kNothing;
}
const std::string& Status::target() const {
  return state_ ? state_->target : kNothing;
}
const std::string& Status::detail() const {
  return state_ ? state_->detail : kNothing;
}

Status Status::WithContext(const std::string& before,
                           const std::string& after) const {
  Status s(*this);
  if (s.state_) {
    s.state_->before.insert(0, before);
    s.state_->after += after;
  }
  return s;
}

std::string Status::ToString() const {
  if (ok()) return "OK";
  const State& s = *state_;
  std::string text = s.before;
  if (s.operation.empty()) return text + s.detail + s.after;
  text += s.operation;
  if (!s.path.empty()) text += " '" + EscapeControlCharacters(s.path) + "'";
  if (!s.target.empty())
    text += " to '" + EscapeControlCharacters(s.target) + "'";
  return text + ": " + s.detail + s.after;
}

}  // namespace morvelle

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
  Status s;
  s.state_ = std::make_unique<State>(
      State{kind, std::move(operation), std::move(path), std::move(detail)});
  return s;
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
const std::string& Status::detail() const {
  return state_ ? state_->detail : kNothing;
}

std::string Status::ToString() const {
  if (ok()) return "OK";
  std::string text = state_->operation;
  if (!state_->path.empty())
    text += " '" + EscapeControlCharacters(state_->path) + "'";
  return text + ": " + state_->detail;
}

}  // namespace morvelle

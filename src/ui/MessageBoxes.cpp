#include "ui/MessageBoxes.h"

namespace morvelle {

void MessageBoxReporter::Warning(const std::string& message) {
  show_(MessageLook::kExclamation, message);
}

void MessageBoxReporter::Critical(const std::string& message) {
  show_(MessageLook::kCritical, message);
}

void DeferredReporter::Warning(const std::string& message) {
  messages_.emplace_back(MessageLook::kExclamation, message);
}

void DeferredReporter::Critical(const std::string& message) {
  messages_.emplace_back(MessageLook::kCritical, message);
}

void DeferredReporter::ShowAll(const ShowMessageFn& show) {
  auto messages = std::move(messages_);
  messages_.clear();
  for (const auto& [look, text] : messages) show(look, text);
}

}  // namespace morvelle

// The window's message boxes: modal, titled "Morvelle", one OK button and
// one of three looks. Each view shows them with its toolkit's box.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "trend/Reporter.h"

namespace morvelle {

enum class MessageLook {
  kExclamation,  // something the user can put right
  kCritical,     // something is wrong with the trend or the file system
  kNoIcon,       // "Done"
};

using ShowMessageFn = std::function<void(MessageLook, const std::string&)>;

// Tells the trend core's messages to a ShowMessageFn as they come.
class MessageBoxReporter final : public Reporter {
 public:
  explicit MessageBoxReporter(ShowMessageFn show) : show_(std::move(show)) {}
  void Warning(const std::string& message) override;
  void Critical(const std::string& message) override;

 private:
  ShowMessageFn show_;
};

// Keeps the trend core's messages until ShowAll: a rename runs under the
// wait cursor, and its messages are shown after the cursor is back.
class DeferredReporter final : public Reporter {
 public:
  void Warning(const std::string& message) override;
  void Critical(const std::string& message) override;
  // Shows the kept messages in the order they came, and forgets them.
  void ShowAll(const ShowMessageFn& show);

 private:
  std::vector<std::pair<MessageLook, std::string>> messages_;
};

}  // namespace morvelle

// The window's message boxes: modal, titled "Morvelle", one OK button and
// one of three looks. They are reached through a ShowMessageFn so that a
// test can answer them instead of a user.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "trend/Reporter.h"

class QMessageBox;
class QWidget;

namespace morvelle {

enum class MessageLook {
  kExclamation,  // something the user can put right
  kCritical,     // something is wrong with the trend or the file system
  kNoIcon,       // "Done"
};

using ShowMessageFn = std::function<void(MessageLook, const QString&)>;

// The box for `text`, not yet shown. Plain text: a file name may hold "<".
std::unique_ptr<QMessageBox> NewMessageBox(QWidget* parent, MessageLook look,
                                           const QString& text);

// Shows the box and waits until the user has closed it.
void ShowMessageBox(QWidget* parent, MessageLook look, const QString& text);

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
  std::vector<std::pair<MessageLook, QString>> messages_;
};

}  // namespace morvelle

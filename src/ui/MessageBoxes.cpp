#include "ui/MessageBoxes.h"

#include <QMessageBox>

#include "app/AppInfo.h"

namespace morvelle {
namespace {

QMessageBox::Icon IconOf(MessageLook look) {
  switch (look) {
    case MessageLook::kExclamation:
      return QMessageBox::Warning;
    case MessageLook::kCritical:
      return QMessageBox::Critical;
    case MessageLook::kNoIcon:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

std::unique_ptr<QMessageBox> NewMessageBox(QWidget* parent, MessageLook look,
                                           const QString& text) {
  auto box = std::make_unique<QMessageBox>(IconOf(look), kApplicationTitle,
                                           text, QMessageBox::Ok, parent);
  box->setTextFormat(Qt::PlainText);
  return box;
}

void ShowMessageBox(QWidget* parent, MessageLook look, const QString& text) {
  NewMessageBox(parent, look, text)->exec();
}

void MessageBoxReporter::Warning(const std::string& message) {
  show_(MessageLook::kExclamation, QString::fromStdString(message));
}

void MessageBoxReporter::Critical(const std::string& message) {
  show_(MessageLook::kCritical, QString::fromStdString(message));
}

void DeferredReporter::Warning(const std::string& message) {
  messages_.emplace_back(MessageLook::kExclamation,
                         QString::fromStdString(message));
}

void DeferredReporter::Critical(const std::string& message) {
  messages_.emplace_back(MessageLook::kCritical,
                         QString::fromStdString(message));
}

void DeferredReporter::ShowAll(const ShowMessageFn& show) {
  auto messages = std::move(messages_);
  messages_.clear();
  for (const auto& [look, text] : messages) show(look, text);
}

}  // namespace morvelle

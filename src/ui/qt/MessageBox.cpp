#include "ui/qt/MessageBox.h"

#include <QLabel>
#include <QMessageBox>

#include "app/AppInfo.h"

namespace morvelle {
namespace {

// Room for the title "Morvelle" and the window's buttons beside it, which
// a box as narrow as "Done" would cut.
constexpr int kTextMinimumWidth = 160;

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
  if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
    label->setWordWrap(false);
    label->setMinimumWidth(kTextMinimumWidth);
  }
  return box;
}

void ShowMessageBox(QWidget* parent, MessageLook look, const QString& text) {
  NewMessageBox(parent, look, text)->exec();
}

}  // namespace morvelle

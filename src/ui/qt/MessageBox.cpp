#include "ui/qt/MessageBox.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

#include "app/AppInfo.h"

namespace morvelle {
namespace {

// Room for the title "Morvelle" and the window's buttons beside it, which
// a box as narrow as "Done" would cut.
constexpr int kTextMinimumWidth = 160;
// What a window's frame may add to a box's width.
constexpr int kFrameRoom = 40;

// The widest a box may be on `screen`: QMessageBox's own limit, beyond
// which its text wraps, with room left for the window's frame.
int WidestBox(const QScreen& screen) {
  const int width = screen.availableGeometry().width();
  const int limit = width <= 1024 ? width : std::min(width - 480, 1000);
  return std::min(limit, width - kFrameRoom);
}

// What a box needs besides its text's lines: the window's frame, the
// margins and the buttons, and the details box when it is open.
constexpr int kHeightRoom = 320;

// A text of more lines than the screen holds is shown cut to those that
// fit, and whole under "Show Details...", which scrolls.
void KeepOnScreen(QMessageBox& box, QLabel& label, const QString& text) {
  const int lines_room =
      (box.screen()->availableGeometry().height() - kHeightRoom) /
      label.fontMetrics().lineSpacing();
  const QStringList lines = text.split('\n');
  if (lines.size() <= lines_room) return;
  const int shown = std::max(1, lines_room - 1);
  box.setText(lines.mid(0, shown).join('\n') + "\n... and " +
              QString::number(lines.size() - shown) +
              " more lines, whole under Show Details.");
  box.setDetailedText(text);
}

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

// A box of `buttons` titled "Morvelle", sized to its text.
std::unique_ptr<QMessageBox> SizedBox(QWidget* parent, QMessageBox::Icon icon,
                                      const QString& text,
                                      QMessageBox::StandardButtons buttons) {
  auto box = std::make_unique<QMessageBox>(icon, kApplicationTitle, text,
                                           buttons, parent);
  box->setTextFormat(Qt::PlainText);
  if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
    KeepOnScreen(*box, *label, text);
    label->setWordWrap(false);
    // The box is as wide as its longest line, up to its widest: QMessageBox
    // sizes it from the label's minimum width.
    const int text = label->sizeHint().width();
    const int around = box->sizeHint().width() - text;  // icon, margins
    label->setMinimumWidth(std::clamp(
        text, kTextMinimumWidth,
        std::max(kTextMinimumWidth, WidestBox(*box->screen()) - around)));
  }
  return box;
}

}  // namespace

std::unique_ptr<QMessageBox> NewMessageBox(QWidget* parent, MessageLook look,
                                           const QString& text) {
  return SizedBox(parent, IconOf(look), text, QMessageBox::Ok);
}

void ShowMessageBox(QWidget* parent, MessageLook look, const QString& text) {
  NewMessageBox(parent, look, text)->exec();
}

std::unique_ptr<QMessageBox> NewQuestionBox(QWidget* parent,
                                            const QString& question) {
  auto box = SizedBox(parent, QMessageBox::Question, question,
                      QMessageBox::Yes | QMessageBox::No);
  box->setDefaultButton(QMessageBox::No);
  return box;
}

bool AskYesNoBox(QWidget* parent, const QString& question) {
  return NewQuestionBox(parent, question)->exec() == QMessageBox::Yes;
}

}  // namespace morvelle

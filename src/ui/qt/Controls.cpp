#include "ui/qt/Controls.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace morvelle {
namespace {

// Qt's device-independent pixels.
constexpr int kQtDpi = 96;
// Below this a stand-in face is no longer worth shrinking.
constexpr int kSmallestPixelSize = 8;

}  // namespace

QRect PixelRect(const TwipsRect& twips) {
  return QRect(PixelsAt(twips.left, kQtDpi), PixelsAt(twips.top, kQtDpi),
               PixelsAt(twips.width, kQtDpi), PixelsAt(twips.height, kQtDpi));
}

QFont WindowFont() {
  QFont font;
  // Windows keeps MS Sans Serif as a bitmap face that not every font
  // engine draws; Microsoft Sans Serif is its outline twin. Elsewhere
  // DejaVu Sans, which Debian's desktops all have, is the one stand-in.
  font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "DejaVu Sans"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  return font;
}

QLabel* NewLabel(QWidget* parent, const char* name, const std::string& caption,
                 const QRect& geometry) {
  auto* label =
      new QLabel(QString::fromStdString(ShownCaption(caption)), parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(geometry);
  return label;
}

bool TextFitsLabel(const QLabel& label, const QFont& font) {
  int flags = label.wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
  QRect room = label.contentsRect();
  QRect needed = QFontMetrics(font).boundingRect(
      QRect(0, 0, room.width(), std::numeric_limits<int>::max() / 2),
      flags | Qt::AlignLeft | Qt::AlignTop, label.text());
  return needed.width() <= room.width() && needed.height() <= room.height();
}

QFont FontThatFits(QFont font, std::initializer_list<QLabel*> labels) {
  auto all_fit = [&] {
    return std::all_of(labels.begin(), labels.end(), [&](QLabel* label) {
      return TextFitsLabel(*label, font);
    });
  };
  int pixels = QFontInfo(font).pixelSize();
  while (pixels > kSmallestPixelSize && !all_fit()) font.setPixelSize(--pixels);
  return font;
}

void FitWindowFont(QWidget* window, std::initializer_list<QLabel*> labels) {
  QFont fitted = FontThatFits(window->font(), labels);
  window->setFont(fitted);
  // Given to each control, since a platform theme may give buttons or
  // edit boxes a font of their own that a window's font does not reach.
  for (QWidget* control : window->findChildren<QWidget*>()) {
    QFont own = fitted;
    own.setWeight(control->font().weight());
    control->setFont(own);
  }
}

}  // namespace morvelle

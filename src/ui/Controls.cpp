#include "ui/Controls.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <limits>

namespace morvelle {
namespace {

// Below this a stand-in face is no longer worth shrinking.
constexpr int kSmallestPixelSize = 8;

QFont MsSansSerif() {
  QFont font;
  // Windows keeps MS Sans Serif as a bitmap face that not every font
  // engine draws; Microsoft Sans Serif is its outline twin.
  font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  return font;
}

}  // namespace

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

QFont WindowFont() { return MsSansSerif(); }

QFont BoldLabelFont() {
  QFont font = MsSansSerif();
  font.setWeight(QFont::Bold);
  return font;
}

QString ShownCaption(const QString& caption) {
  QString shown;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&')
      shown += caption[i];
    else if (i + 1 < caption.size() && caption[i + 1] == '&')
      shown += caption[++i];
  }
  return shown;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption,
                 const QRect& geometry) {
  auto* label = new QLabel(ShownCaption(caption), parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(geometry);
  return label;
}

QLineEdit* NewEditBox(QWidget* parent, const char* name,
                      const QRect& geometry) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setGeometry(geometry);
  return box;
}

QPushButton* NewButton(QWidget* parent, const char* name,
                       const QString& caption, const QRect& geometry) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  return button;
}

bool TextFitsLabel(const QLabel& label, const QFont& font) {
  int flags = label.wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
  QRect room = label.contentsRect();
  QRect needed = QFontMetrics(font).boundingRect(
      QRect(0, 0, room.width(), std::numeric_limits<int>::max() / 2),
      flags | Qt::AlignLeft | Qt::AlignTop, label.text());
  return needed.width() <= room.width() && needed.height() <= room.height();
}

void FitTextToLabels(std::initializer_list<QLabel*> labels) {
  if (labels.size() == 0) return;
  QFont font = (*labels.begin())->font();
  auto all_fit = [&] {
    return std::all_of(labels.begin(), labels.end(), [&](QLabel* label) {
      return TextFitsLabel(*label, font);
    });
  };
  int pixels = QFontInfo(font).pixelSize();
  if (all_fit()) return;
  while (pixels > kSmallestPixelSize && !all_fit()) font.setPixelSize(--pixels);
  for (QLabel* label : labels) label->setFont(font);
}

}  // namespace morvelle

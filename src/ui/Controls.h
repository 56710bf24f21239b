// Building blocks of the two windows. Their layouts are drawn in twips, 15
// to a pixel at 96 dots per inch, and placed absolutely; Qt's
// device-independent pixels then scale them with the screen.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <initializer_list>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace morvelle {

inline constexpr int kTwipsPerPixel = 15;

// `twips` in pixels, rounded to the nearest.
constexpr int Pixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// A rectangle given in twips, in pixels.
QRect TwipsRect(int left, int top, int width, int height);

// The windows' own font, MS Sans Serif 8.25 pt, for which the layouts were
// drawn. Where it is missing the nearest sans-serif face stands in.
QFont WindowFont();

// The bold labels' font: MS Sans Serif 8.25 pt, weight 700.
QFont BoldLabelFont();

// A caption as a label shows it: "&&" is a single "&". A lone "&" would
// mark an access key, which a label without a buddy has not; it is
// dropped.
QString ShownCaption(const QString& caption);

// Controls at a fixed place in `parent`, named `name` (the object name).
// Labels show plain text, never rich text: a caption or a path may hold
// "<".
QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption,
                 const QRect& geometry);
QLineEdit* NewEditBox(QWidget* parent, const char* name, const QRect& geometry);
QPushButton* NewButton(QWidget* parent, const char* name,
                       const QString& caption, const QRect& geometry);

// True when the label's text, wrapped when the label wraps, fits inside
// the label.
bool TextFitsLabel(const QLabel& label, const QFont& font);

// Shrinks the labels' font, a pixel at a time and alike for all of them,
// until every label's text fits its fixed rectangle. A stand-in face wider
// than MS Sans Serif would otherwise cut captions off; with the real face
// nothing changes.
void FitTextToLabels(std::initializer_list<QLabel*> labels);

}  // namespace morvelle

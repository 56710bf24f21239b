// Building blocks of the Qt windows. The layouts are drawn in twips and
// placed absolutely in Qt's device-independent pixels (96 to the inch),
// which Qt then scales with the screen.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <initializer_list>

#include "ui/FormLayout.h"

class QLabel;
class QWidget;

namespace morvelle {

// A rectangle given in twips, in device-independent pixels.
QRect PixelRect(const TwipsRect& twips);

// The windows' own font, MS Sans Serif 8.25 pt, for which the layouts were
// drawn. Where it is missing one sans-serif face stands in for it, in
// every control alike.
QFont WindowFont();

// A label at a fixed place in `parent`, named `name` (the object name),
// showing `caption` as ShownCaption has it. Plain text, never rich text: a
// caption or a path may hold "<".
QLabel* NewLabel(QWidget* parent, const char* name, const std::string& caption,
                 const QRect& geometry);

// True when the label's text, wrapped when the label wraps, fits inside
// the label in `font`.
bool TextFitsLabel(const QLabel& label, const QFont& font);

// `font`, made smaller a pixel at a time until the text of every label
// fits its fixed rectangle. A stand-in face wider than MS Sans Serif
// would otherwise cut captions off; with the real face nothing changes.
// The caller gives the result to the whole window, so that all its plain
// text has one size.
QFont FontThatFits(QFont font, std::initializer_list<QLabel*> labels);

// Gives `window` and every control in it FontThatFits(window's font),
// each control keeping its weight.
void FitWindowFont(QWidget* window, std::initializer_list<QLabel*> labels);

}  // namespace morvelle

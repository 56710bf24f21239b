// The message boxes as QMessageBox.
#pragma once

#include <QString>
#include <memory>

#include "ui/MessageBoxes.h"

class QMessageBox;
class QWidget;

namespace morvelle {

// The box for `text`, not yet shown: plain text (a file name may hold
// "<"), wide enough for its title, and as wide as its longest line, so that
// each line of the text is kept whole, since a report lists file names one
// to a line; only a line wider than the screen allows is wrapped. A text
// of more lines than the screen holds shows those that fit and is whole
// under "Show Details...".
std::unique_ptr<QMessageBox> NewMessageBox(QWidget* parent, MessageLook look,
                                           const QString& text);

// Shows the box and waits until the user has closed it.
void ShowMessageBox(QWidget* parent, MessageLook look, const QString& text);

// The question box for `question`, not yet shown: sized as NewMessageBox
// sizes a box, with Yes and No, No the default.
std::unique_ptr<QMessageBox> NewQuestionBox(QWidget* parent,
                                            const QString& question);

// Shows the question and waits for the answer: true for Yes.
bool AskYesNoBox(QWidget* parent, const QString& question);

}  // namespace morvelle

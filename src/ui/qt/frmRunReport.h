// The report of a Rename, an Undo last run or a Recover on Qt: a thin view
// of RunReport. The heading and the counts on top, the lists below them,
// the log of every trend in a box that scrolls, and Copy, Save as and
// Close. The window is never larger than the screen's work area; Esc
// closes it.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "ui/RunReport.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace morvelle {

class frmRunReport final : public QDialog {
 public:
  // The path the user picks to save the report to, "" when cancelled.
  using AskSavePath = std::function<QString(QWidget* parent)>;

  // Creates the window, hidden, modal to `parent`.
  frmRunReport(const RunReport& report, QWidget* parent,
               AskSavePath askSavePath = AskSavePathWithDialog);

  // The toolkit's save dialog, asking before it replaces a file.
  static QString AskSavePathWithDialog(QWidget* parent);

  QLabel* lblHeading;  // the heading and the counts
  QLabel* lblPaths;
  QPlainTextEdit* txtLog;  // the log and what else the run told
  QPushButton* cmdCopy;
  QPushButton* cmdSave;
  QPushButton* cmdClose;

 private:
  void CreateControls(const RunReport& report);
  // The window's size: what its text asks for, within the work area.
  void FitToScreen();
  void SaveClicked();

  QString text_;  // the whole report, for Copy and Save as
  AskSavePath askSavePath_;
};

// Shows the report and waits until the user has closed it.
void ShowRunReport(QWidget* parent, const RunReport& report);

}  // namespace morvelle

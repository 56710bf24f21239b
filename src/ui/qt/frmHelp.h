// The help window: a static page of instructions with the version line on
// top. No buttons and no input; the user closes it with its close box, and
// closing the main window closes it too.
#pragma once

#include <QWidget>

class QLabel;

namespace morvelle {

class frmHelp final : public QWidget {
 public:
  // Creates the window, hidden, and runs Form_Load.
  frmHelp();

  // Writes the version line: "Morvelle version 1.00.003 " and the credit.
  void Form_Load();

  // The labels, top to bottom. Each wraps its text within its width.
  QLabel* lblVersion;
  QLabel* Label1;
  QLabel* Label3;
  QLabel* Label2;
  QLabel* Label4;
  QLabel* Label5;
};

}  // namespace morvelle

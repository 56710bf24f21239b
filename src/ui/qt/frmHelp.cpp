#include "ui/qt/frmHelp.h"

#include <QLabel>

#include "ui/qt/Controls.h"

namespace morvelle {

frmHelp::frmHelp() {
  setWindowTitle(kHelpCaption);
  setFont(WindowFont());
  QRect client = PixelRect({0, 0, kHelpClient.width, kHelpClient.height});
  setFixedSize(client.size());
  QLabel** const labels[] = {&lblVersion, &Label1, &Label3,
                             &Label2,     &Label4, &Label5};
  for (std::size_t i = 0; i < kHelpLabels.size(); ++i) {
    const HelpLabel& row = kHelpLabels[i];
    QLabel* label = NewLabel(
        this, row.name, row.text,
        PixelRect({kHelpLabelLeft, row.top, kHelpLabelWidth, row.height}));
    label->setWordWrap(true);
    *labels[i] = label;
  }
  Form_Load();
  FitWindowFont(this, {lblVersion, Label1, Label3, Label2, Label4, Label5});
}

void frmHelp::Form_Load() {
  lblVersion->setText(QString::fromStdString(HelpVersionLine()));
}

}  // namespace morvelle

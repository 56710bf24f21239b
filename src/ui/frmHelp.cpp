#include "ui/frmHelp.h"

#include <QLabel>

#include "app/AppInfo.h"
#include "ui/Controls.h"

namespace morvelle {
namespace {

struct HelpLabel {
  QLabel* frmHelp::*control;
  const char* name;
  int top, height;  // twips
  const char* text;
};

// Top to bottom, which is also the tab order.
const HelpLabel kLabels[] = {
    {&frmHelp::lblVersion, "lblVersion", 120, 255, "<Version info>"},
    {&frmHelp::Label1, "Label1", 480, 1095,
     "This utility allows the path, filename, and trend tag name stored in "
     "trend data files to be edited. This allows trends to be renamed and "
     "moved to different folders. Either 2-byte or 8-byte periodic or event "
     "trends from any Ostrel version up to v7.10 or higher may be used. For "
     "v5.31 and above, it is not necessary to change the path before moving "
     "the files. See Ostrel Knowledge Base article Q2143."},
    {&frmHelp::Label3, "Label3", 1560, 1455,
     "Make a backup copy of the trends before using this utility, and do not "
     "try to edit files that are currently being used by the Ostrel runtime. "
     "Click Browse to select a trend tag. The current trend tag name and "
     "path\\filename will be displayed. Enter the new values and click Save. "
     "The HST and numbered data files for the selected trend will be edited. "
     "The file names will be updated, but they will stay in the current "
     "folder. The user must then edit the trend tag definition in the Ostrel "
     "project to match and move the trend files to the new directory if it "
     "was changed."},
    {&frmHelp::Label2, "Label2", 3000, 855,
     "The current length of the tag name and path are displayed below the "
     "text. The number will turn red if the maximum length is exceeded. "
     "Hover the mouse over the length value to see the maximum length, which "
     "is different for each trend file version. Check your project's "
     "Trend.dbf file as it's fields may not be as big as the trend files "
     "allow."},
    {&frmHelp::Label4, "Label4", 3880, 615,
     "Morvelle also allows the path and name to be specified through the "
     "command line. Use the following syntax: \"<HST path and filename>\", "
     "\"<New Trend Tag>\", \"<New path and filename>\" For example:"},
    {&frmHelp::Label5, "Label5", 4600, 255,
     "Morvelle.exe \"C:\\Temp\\Trend1.HST\", \"Trend1A\", "
     "\"C:\\Ostrel\\Data\\Trend1A\""},
};

constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 6375;

}  // namespace

frmHelp::frmHelp() {
  setWindowTitle("Help");
  setFont(WindowFont());
  setFixedSize(Pixels(6585), Pixels(4920));
  for (const HelpLabel& help_label : kLabels) {
    QLabel* label = NewLabel(
        this, help_label.name, help_label.text,
        TwipsRect(kLabelLeft, help_label.top, kLabelWidth, help_label.height));
    label->setWordWrap(true);
    this->*help_label.control = label;
  }
  Form_Load();
  FitTextToLabels({lblVersion, Label1, Label3, Label2, Label4, Label5});
}

void frmHelp::Form_Load() {
  lblVersion->setText(QString::fromStdString(VersionText()) + " " +
                      kVersionComments);
}

}  // namespace morvelle

#include "ui/FormLayout.h"

#include <algorithm>

#include "app/AppInfo.h"

namespace morvelle {

const std::array<ControlLayout, 17> kMainControls = {{
    {Control::Label1,
     "Label1",
     ControlKind::kLabel,
     "File Set",
     {240, 240, 525, 195},
     0,
     false},
    {Control::txtFileSet,
     "txtFileSet",
     ControlKind::kEditBox,
     "",
     {960, 240, 10575, 285},
     1,
     false},
    {Control::cmdBrowse,
     "cmdBrowse",
     ControlKind::kButton,
     "&Browse",
     {11640, 240, 855, 255},
     4,
     false},
    {Control::Frame1,
     "Frame1",
     ControlKind::kFrame,
     "",
     {240, 720, 12255, 2295},
     6,
     false},
    {Control::Label4,
     "Label4",
     ControlKind::kBoldLabel,
     "Original",
     {1440, 240, 1215, 195},
     15,
     true},
    {Control::Label5,
     "Label5",
     ControlKind::kBoldLabel,
     "New",
     {6840, 240, 1215, 195},
     16,
     true},
    {Control::Label2,
     "Label2",
     ControlKind::kLabel,
     "Tag Name",
     {120, 480, 1215, 195},
     13,
     true},
    {Control::txtTagOriginal,
     "txtTagOriginal",
     ControlKind::kOriginalBox,
     "",
     {1440, 480, 5175, 555},
     7,
     true},
    {Control::txtTagNew,
     "txtTagNew",
     ControlKind::kEditBox,
     "",
     {6840, 480, 5175, 555},
     9,
     true},
    {Control::lblTagLength,
     "lblTagLength",
     ControlKind::kCountLabel,
     "",
     {11520, 1080, 495, 255},
     11,
     true},
    {Control::Label3,
     "Label3",
     ControlKind::kLabel,
     "Path && Filename",
     {120, 1320, 1140, 195},
     14,
     true},
    {Control::txtPathOriginal,
     "txtPathOriginal",
     ControlKind::kOriginalBox,
     "",
     {1440, 1320, 5175, 555},
     8,
     true},
    {Control::txtPathNew,
     "txtPathNew",
     ControlKind::kEditBox,
     "",
     {6840, 1320, 5175, 555},
     10,
     true},
    {Control::lblPathLength,
     "lblPathLength",
     ControlKind::kCountLabel,
     "",
     {11520, 1920, 495, 255},
     12,
     true},
    {Control::cmdHelp,
     "cmdHelp",
     ControlKind::kButton,
     "&Help",
     {8640, 3120, 1215, 375},
     5,
     false},
    {Control::cmdClose,
     "cmdClose",
     ControlKind::kButton,
     "&Close",
     {9960, 3120, 1215, 375},
     3,
     false},
    {Control::cmdSave,
     "cmdSave",
     ControlKind::kButton,
     "&Save",
     {11280, 3120, 1215, 375},
     2,
     false},
}};

const ControlLayout& LayoutOf(Control control) {
  return *std::find_if(
      kMainControls.begin(), kMainControls.end(),
      [control](const ControlLayout& c) { return c.control == control; });
}

bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::kEditBox || kind == ControlKind::kOriginalBox ||
         kind == ControlKind::kButton;
}

TwipsRect PlaceInWindow(const ControlLayout& layout) {
  TwipsRect place = layout.place;
  if (layout.inFrame) {
    const TwipsRect& frame = LayoutOf(Control::Frame1).place;
    place.left += frame.left;
    place.top += frame.top;
  }
  return place;
}

std::string ShownCaption(const std::string& caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&')
      shown += caption[i];
    else if (i + 1 < caption.size() && caption[i + 1] == '&')
      shown += caption[++i];
  }
  return shown;
}

const std::array<HelpLabel, 6> kHelpLabels = {{
    {"lblVersion", 120, 255, "<Version info>"},
    {"Label1", 480, 1095,
     "This utility allows the path, filename, and trend tag name stored in "
     "trend data files to be edited. This allows trends to be renamed and "
     "moved to different folders. Either 2-byte or 8-byte periodic or event "
     "trends from any Ostrel version up to v7.10 or higher may be used. For "
     "v5.31 and above, it is not necessary to change the path before moving "
     "the files. See Ostrel Knowledge Base article Q2143."},
    {"Label3", 1560, 1455,
     "Make a backup copy of the trends before using this utility, and do not "
     "try to edit files that are currently being used by the Ostrel runtime. "
     "Click Browse to select a trend tag. The current trend tag name and "
     "path\\filename will be displayed. Enter the new values and click Save. "
     "The HST and numbered data files for the selected trend will be edited. "
     "The file names will be updated, but they will stay in the current "
     "folder. The user must then edit the trend tag definition in the Ostrel "
     "project to match and move the trend files to the new directory if it "
     "was changed."},
    {"Label2", 3000, 855,
     "The current length of the tag name and path are displayed below the "
     "text. The number will turn red if the maximum length is exceeded. "
     "Hover the mouse over the length value to see the maximum length, which "
     "is different for each trend file version. Check your project's "
     "Trend.dbf file as it's fields may not be as big as the trend files "
     "allow."},
    {"Label4", 3880, 615,
     "Morvelle also allows the path and name to be specified through the "
     "command line. Use the following syntax: \"<HST path and filename>\", "
     "\"<New Trend Tag>\", \"<New path and filename>\" For example:"},
    {"Label5", 4600, 255,
     "Morvelle.exe \"C:\\Temp\\Trend1.HST\", \"Trend1A\", "
     "\"C:\\Ostrel\\Data\\Trend1A\""},
}};

std::string HelpVersionLine() { return VersionText() + " " + kVersionComments; }

namespace {

std::int64_t Overlap(const ScreenRect& a, const ScreenRect& b) {
  const std::int64_t width =
      std::min(a.right, b.right) - std::max(a.left, b.left);
  const std::int64_t height =
      std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? width * height : 0;
}

bool Inside(const ScreenRect& rect, const ScreenRect& area) {
  return rect.left >= area.left && rect.top >= area.top &&
         rect.right <= area.right && rect.bottom <= area.bottom;
}

// `start` moved into [low, high - size] as far as it goes; `low` when the
// size does not fit.
int Clamp(int start, int size, int low, int high) {
  return std::max(std::min(start, high - size), low);
}

}  // namespace

ScreenRect HelpWindowPlace(const ScreenRect& mainFrame, int helpWidth,
                           int helpHeight, const ScreenRect& workArea,
                           const std::vector<ScreenRect>& keepClear) {
  const auto at = [&](int left, int top) {
    left = Clamp(left, helpWidth, workArea.left, workArea.right);
    top = Clamp(top, helpHeight, workArea.top, workArea.bottom);
    return ScreenRect{left, top, left + helpWidth, top + helpHeight};
  };
  const ScreenRect beside[] = {
      at(mainFrame.right, mainFrame.top),
      at(mainFrame.left - helpWidth, mainFrame.top),
      at(mainFrame.left, mainFrame.bottom),
      at(mainFrame.left, mainFrame.top - helpHeight),
  };
  for (const ScreenRect& place : beside)
    if (Inside(place, workArea) && Overlap(place, mainFrame) == 0) return place;
  // Every corner the help window can be put in that lines up with an edge
  // of the work area, the main window or a control to keep clear.
  std::vector<int> lefts{mainFrame.right, mainFrame.left - helpWidth,
                         mainFrame.left, workArea.left,
                         workArea.right - helpWidth};
  std::vector<int> tops{mainFrame.bottom, mainFrame.top - helpHeight,
                        mainFrame.top, workArea.top,
                        workArea.bottom - helpHeight};
  for (const ScreenRect& keep : keepClear) {
    lefts.insert(lefts.end(), {keep.right, keep.left - helpWidth});
    tops.insert(tops.end(), {keep.bottom, keep.top - helpHeight});
  }
  ScreenRect best = beside[0];
  std::pair<std::int64_t, std::int64_t> least{-1, -1};
  for (int left : lefts)
    for (int top : tops) {
      const ScreenRect place = at(left, top);
      std::int64_t covered = 0;
      for (const ScreenRect& keep : keepClear) covered += Overlap(place, keep);
      const std::pair cost{covered, Overlap(place, mainFrame)};
      if (least.first < 0 || cost < least) {
        least = cost;
        best = place;
      }
    }
  return best;
}

}  // namespace morvelle

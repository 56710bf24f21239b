// What both windows look like, whatever draws them: captions, the places
// of the controls in twips, the tab order, the help page's texts, and
// where the help window goes. Each toolkit's view builds its controls
// from these tables.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace morvelle {

// 15 twips are one pixel at 96 dots per inch.
inline constexpr int kTwipsPerInch = 1440;

// `twips` in pixels at `dpi`, rounded to the nearest.
constexpr int PixelsAt(int twips, int dpi) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

struct TwipsRect {
  int left, top, width, height;
};

struct TwipsSize {
  int width, height;
};

// The controls of the main window. A view reads and writes them through
// MainView; the labels the program never touches are listed for layout.
enum class Control {
  Label1,
  txtFileSet,
  cmdBrowse,
  Frame1,
  Label4,
  Label5,
  Label2,
  txtTagOriginal,
  txtTagNew,
  lblTagLength,
  Label3,
  txtPathOriginal,
  txtPathNew,
  lblPathLength,
  cmdHelp,
  cmdClose,
  cmdSave,
};

enum class ControlKind {
  kLabel,
  kBoldLabel,  // MS Sans Serif 8.25 pt, weight 700
  kEditBox,
  kOriginalBox,  // grey and read-only: only the program writes into it
  kCountLabel,   // the length of a new value, with a tooltip
  kButton,
  kFrame,
};

struct ControlLayout {
  Control control;
  const char* name;
  ControlKind kind;
  // As stored: "&" marks the access key of the next letter, "&&" is "&".
  const char* caption;
  TwipsRect place;  // from the corner of Frame1 when `inFrame`
  int tabIndex;
  bool inFrame;
};

inline constexpr const char* kMainCaption = "Ostrel Morvelle";
// The client area under the menu bar.
inline constexpr TwipsSize kMainClient{12705, 3720};
// The main window's one menu, in its menu bar, whose one item
// (kManyTrendsMenuItem) opens the "Many trends" window on the folder of
// the File Set box. Alt and its access key reach nothing else.
inline constexpr const char* kToolsMenu = "&Tools";
inline constexpr const char* kHelpCaption = "Help";
inline constexpr TwipsSize kHelpClient{6585, 4920};
// The "Many trends" window's client area at its start (1200 x 640 pixels
// at 96 dpi), held inside the screen's work area.
inline constexpr TwipsSize kManyTrendsClient{18000, 9600};

// Every control of the main window, in the order of the table of the
// design (Frame1 before the controls inside it).
extern const std::array<ControlLayout, 17> kMainControls;

const ControlLayout& LayoutOf(Control control);

// True for the controls that take the focus with Tab: edit boxes and
// buttons.
bool TakesFocus(ControlKind kind);

// The place of `layout` in the window's client area, in twips: a control
// inside Frame1 moved by the frame's corner.
TwipsRect PlaceInWindow(const ControlLayout& layout);

// A caption as a label shows it: "&&" is a single "&"; a lone "&" marks
// an access key and is not shown.
std::string ShownCaption(const std::string& caption);

// The help page: one wrapping label per row, 6375 twips wide at left 120.
struct HelpLabel {
  const char* name;
  int top, height;  // twips
  const char* text;
};

inline constexpr int kHelpLabelLeft = 120;
inline constexpr int kHelpLabelWidth = 6375;

// Top to bottom, which is also the tab order. lblVersion's text is the
// stand-in shown before the window's load handler writes the version.
extern const std::array<HelpLabel, 6> kHelpLabels;

// "Morvelle version 1.00.003 " and the credit of the version information.
std::string HelpVersionLine();

// A rectangle of the screen in pixels; right and bottom are outside it.
struct ScreenRect {
  int left, top, right, bottom;
  bool operator==(const ScreenRect&) const = default;
};

// Where the help window's frame goes, given the main window's frame and
// the work area of the main window's monitor: beside the main window where
// it fits whole in the work area without covering it, trying right, left,
// below and above in that order, edges level with the main window's where
// the work area allows. Where it fits nowhere, the place inside the work
// area that covers the least of the main window and none of `keepClear`
// (Save and Close, in screen pixels), as far as the work area allows.
ScreenRect HelpWindowPlace(const ScreenRect& mainFrame, int helpWidth,
                           int helpHeight, const ScreenRect& workArea,
                           const std::vector<ScreenRect>& keepClear = {});

}  // namespace morvelle

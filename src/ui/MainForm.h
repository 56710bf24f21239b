// The rules of the main window, whatever toolkit draws it: what Browse,
// Save, Help and Close do, the limits and the length counts with their
// colour and tooltips, which message shows with which look, and the
// remembered File Set. A view (the Qt window on Linux, the Win32 window on
// Windows) draws the controls, passes the user's actions to the handlers
// below and carries out what they ask of it through MainView.
#pragma once

#include <cstdint>
#include <string>

#include "ui/CommonDialog.h"
#include "ui/FormLayout.h"
#include "ui/MessageBoxes.h"

namespace morvelle {

class Env;
class SettingsStore;

struct Colour {
  int red, green, blue;
  bool operator==(const Colour&) const = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kRed{255, 0, 0};
// The text of the Original boxes.
inline constexpr Colour kOriginalGrey{128, 128, 128};

// What the form asks of the window that shows it. Texts are UTF-8.
class MainView {
 public:
  virtual ~MainView() = default;

  virtual std::string Text(Control control) const = 0;
  // Setting the text of txtPathNew or txtTagNew runs its change handler,
  // as the user's typing does.
  virtual void SetText(Control control, const std::string& text) = 0;
  virtual void SetTextColour(Control control, Colour colour) = 0;
  virtual void SetToolTip(Control control, const std::string& tip) = 0;
  // The open-file dialog, modal; an empty path when the user cancels.
  virtual OpenDialogResult AskForFile(const OpenDialogRequest& request) = 0;
  // A modal message box titled "Morvelle", owned by the main window.
  virtual void ShowMessage(MessageLook look, const std::string& text) = 0;
  virtual void SetWaitCursor(bool on) = 0;
  // The help window beside the main window, not modal: loaded when it is
  // not open, brought to the front when it is.
  virtual void ShowHelp() = 0;
  // Unloads the main window; the toolkit then runs Form_QueryUnload.
  virtual void CloseMainWindow() = 0;
  // Closes every window of the program, the help window included, and
  // ends the event loop, which ends the process.
  virtual void CloseApplication() = 0;
};

class MainForm {
 public:
  // `view`, `env` and `settings` outlive the form.
  MainForm(MainView& view, Env& env, SettingsStore& settings);

  // The window was created: restores the File Set box. Nothing is read
  // from the trend until Browse.
  void Form_Load();
  // The one way out, whatever closes the window: SavePaths, then
  // CloseApplication. Never refuses.
  void Form_QueryUnload();
  // txtFileSet from the stored FileSet (empty when there is none).
  void LoadPaths();
  // The text of txtFileSet stored as FileSet.
  void SavePaths();

  // Asks for a history file and shows what entry 0 of its table holds,
  // then warns when a journal of an interrupted run names the trend, which
  // may be partly renamed. A cancelled dialog empties txtFileSet and
  // changes nothing else.
  void cmdBrowse_Click();
  // Enter in txtFileSet, or leaving it: a history file other than the one
  // shown is read as Browse reads its choice. An empty box reads nothing.
  void txtFileSet_Commit();
  // Renames the trend under the wait cursor: the File Set, new path and
  // new tag texts, as they stand. Messages follow once the cursor is back;
  // "Done" only after a rename that succeeded, naming any value stored cut
  // to its field ("Done: the tag was cut to 64 characters"). Refused with a
  // message, nothing renamed, while txtFileSet names another file than the
  // trend whose values are shown.
  void cmdSave_Click();
  void cmdClose_Click();
  void cmdHelp_Click();
  // The length of the new value, red once it is longer than its limit.
  void txtPathNew_Change();
  void txtTagNew_Change();

 private:
  // Shows what entry 0 of `hstPath`'s table holds in the Original and New
  // boxes, with the limits of its layout, and warns of an interrupted run.
  void ShowTrend(const std::string& hstPath);
  // Warns, in a message, of what a check finds wrong with the trend's
  // files (CheckTrend): the first problem, and how many more there are.
  void WarnIfDamaged(const std::string& hstPath);
  void ShowLength(Control box, Control count, std::int32_t limit);

  MainView& view_;
  Env& env_;
  SettingsStore& settings_;
  // The history file whose values the boxes show, as last read.
  std::string shownTrend_;
  // Largest lengths of the new path and tag still shown in black; set by
  // Browse from the field widths (the path's less 4, for "." and the
  // extension).
  std::int32_t PathLimit = 0;
  std::int32_t TagLimit = 0;
};

// The number of characters of UTF-8 `text`: each is one byte of a field.
std::int32_t CharacterCount(const std::string& text);

}  // namespace morvelle

#include "ui/MainForm.h"

#include <vector>

#include "app/Settings.h"
#include "platform/Env.h"
#include "trend/FileTools.h"
#include "trend/Journal.h"
#include "trend/TrendCheck.h"
#include "trend/TrendTools.h"

namespace morvelle {
namespace {

constexpr const char* kTrendFilter = "Trends|*.HST|All Files|*.*|";
constexpr int kBrowseFlags =
    kOfnFileMustExist | kOfnPathMustExist | kOfnHideReadOnly;

constexpr const char* kFileSetNotShownMessage =
    "File Set names another trend than the one shown. Press Enter in File "
    "Set to read it, or use Browse, before you save.";

// "Done", naming each value that was stored cut to its field.
std::string DoneText(const RenamePlan& plan) {
  std::string cut;
  const auto name = [&cut](const char* what, std::int32_t width) {
    if (width == 0) return;
    cut += (cut.empty() ? ": the " : " and the ") + std::string(what) +
           " was cut to " + std::to_string(width) + " characters";
  };
  name("path", plan.pathCutTo);
  name("tag", plan.tagCutTo);
  return "Done" + cut;
}

std::string MaximumLengthText(std::int32_t limit) {
  return "Maximum length " + std::to_string(limit) + " chars";
}

// The view's wait cursor while it lives.
class WaitCursor {
 public:
  explicit WaitCursor(MainView& view) : view_(view) {
    view_.SetWaitCursor(true);
  }
  ~WaitCursor() { view_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  MainView& view_;
};

// Why a run may have left the trend of `hstPath` partly renamed, as its
// folder's journals tell; OK when the folder cannot be listed, which
// reading the trend has told already.
Status InterruptedRun(Env& env, const std::string& hstPath) {
  std::string absolute;
  std::vector<FolderEntry> entries;
  Status s = env.AbsolutePath(hstPath, &absolute);
  const std::string folder = FolderOf(absolute);
  if (s.ok()) s = env.ListFolder(folder, &entries);
  if (!s.ok()) return Status::Ok();
  return CheckNoPendingRun(env, FolderIndex(std::move(entries)), folder,
                           FileNameOf(absolute));
}

MessageLook LookOf(bool userCorrectable) {
  return userCorrectable ? MessageLook::kExclamation : MessageLook::kCritical;
}

}  // namespace

std::int32_t CharacterCount(const std::string& text) {
  std::int32_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;  // not a continuation byte
  return count;
}

MainForm::MainForm(MainView& view, Env& env, SettingsStore& settings)
    : view_(view), env_(env), settings_(settings) {}

void MainForm::Form_Load() { LoadPaths(); }

void MainForm::Form_QueryUnload() {
  SavePaths();
  view_.CloseApplication();
}

// The remembered File Set counts as shown: leaving the box, or closing the
// window, does not read a trend that may have been renamed since.
void MainForm::LoadPaths() {
  shownTrend_ = settings_.LoadFileSet();
  view_.SetText(Control::txtFileSet, shownTrend_);
}

void MainForm::SavePaths() {
  settings_.SaveFileSet(view_.Text(Control::txtFileSet));
}

void MainForm::cmdBrowse_Click() {
  OpenDialogResult chosen = view_.AskForFile(
      {"", view_.Text(Control::txtFileSet), kTrendFilter, kBrowseFlags});
  view_.SetText(Control::txtFileSet, chosen.path);
  if (!chosen.path.empty()) ShowTrend(chosen.path);
}

void MainForm::txtFileSet_Commit() {
  const std::string typed = view_.Text(Control::txtFileSet);
  if (!typed.empty() && typed != shownTrend_) ShowTrend(typed);
}

void MainForm::ShowTrend(const std::string& hstPath) {
  shownTrend_ = hstPath;
  Result<TrendInfo> read = ReadTrendInfo(env_, hstPath);
  if (!read.ok())
    view_.ShowMessage(LookOf(IsUserCorrectable(read.status())),
                      read.status().ToString());
  const TrendInfo info = read.ok() ? *read : TrendInfo();
  PathLimit = info.pathWidth - static_cast<std::int32_t>(kExtensionRoom);
  TagLimit = info.tagWidth;
  view_.SetText(Control::txtPathOriginal, FieldDisplayText(info.path));
  view_.SetText(Control::txtPathNew, FieldDisplayText(info.path));
  view_.SetToolTip(Control::lblPathLength, MaximumLengthText(PathLimit));
  view_.SetText(Control::txtTagOriginal, FieldDisplayText(info.tag));
  view_.SetText(Control::txtTagNew, FieldDisplayText(info.tag));
  view_.SetToolTip(Control::lblTagLength, MaximumLengthText(TagLimit));
  // Also where the history file is not found: the run may have renamed it.
  Status interrupted = InterruptedRun(env_, hstPath);
  if (!interrupted.ok())
    view_.ShowMessage(MessageLook::kExclamation, interrupted.ToString());
  else if (read.ok())
    WarnIfDamaged(hstPath);
}

void MainForm::WarnIfDamaged(const std::string& hstPath) {
  FolderCheck check;
  if (!CheckTrend(env_, hstPath, &check).ok() || check.healthy()) return;
  std::vector<TrendProblem> problems = check.trends[0].problems;
  problems.insert(problems.end(), check.problems.begin(), check.problems.end());
  const TrendProblem& first = problems[0];
  view_.ShowMessage(
      MessageLook::kExclamation,
      "Trend '" + hstPath + "' is damaged: " + first.file + ": " +
          (first.field.empty() ? "" : first.field + ": ") + first.what +
          (problems.size() > 1
               ? " (and " + std::to_string(problems.size() - 1) + " more)"
               : "") +
          ". morvelle --check tells every problem.");
}

void MainForm::cmdSave_Click() {
  // The new values were typed for the trend on screen; File Set edited
  // since may name another, which must not get them.
  if (view_.Text(Control::txtFileSet) != shownTrend_) {
    view_.ShowMessage(MessageLook::kExclamation, kFileSetNotShownMessage);
    return;
  }
  RenameReport report;
  {
    WaitCursor wait(view_);
    report = RenameTrend(env_, view_.Text(Control::txtFileSet),
                         view_.Text(Control::txtPathNew),
                         view_.Text(Control::txtTagNew));
  }
  // Shown once the wait cursor is gone.
  if (report.ok())
    view_.ShowMessage(MessageLook::kNoIcon, DoneText(report.plan));
  else
    view_.ShowMessage(LookOf(IsUserCorrectable(report.outcome)),
                      report.failure.ToString());
}

void MainForm::cmdClose_Click() { view_.CloseMainWindow(); }

void MainForm::cmdHelp_Click() { view_.ShowHelp(); }

void MainForm::txtPathNew_Change() {
  ShowLength(Control::txtPathNew, Control::lblPathLength, PathLimit);
}

void MainForm::txtTagNew_Change() {
  ShowLength(Control::txtTagNew, Control::lblTagLength, TagLimit);
}

void MainForm::ShowLength(Control box, Control count, std::int32_t limit) {
  std::int32_t length = CharacterCount(view_.Text(box));
  view_.SetText(count, std::to_string(length));
  view_.SetTextColour(count, length > limit ? kRed : kBlack);
}

}  // namespace morvelle

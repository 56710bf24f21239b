#include "ui/win32/frmMain.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "trend/FileTools.h"
#include "ui/ManyTrends.h"
#include "ui/win32/CommonDialog.h"

namespace morvelle {
namespace {

constexpr const wchar_t* kClassName = L"MorvelleMain";
// A fixed single border, as the design has it: the window is not sized.
constexpr DWORD kStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kFirstControlId = 100;
// The menu item that opens the "Many trends" window: an id no control and
// no dialog button (IDOK and the like) has.
constexpr UINT kManyTrendsCommand = 50;

int IdOf(std::size_t index) {
  return kFirstControlId + static_cast<int>(index);
}

const wchar_t* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kEditBox:
    case ControlKind::kOriginalBox:
      return L"EDIT";
    case ControlKind::kButton:
    case ControlKind::kFrame:
      return L"BUTTON";
    default:
      return L"STATIC";
  }
}

DWORD StyleOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kEditBox:
      return WS_TABSTOP | ES_AUTOHSCROLL;
    case ControlKind::kOriginalBox:
      return WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
    case ControlKind::kButton:
      return WS_TABSTOP | BS_PUSHBUTTON;
    case ControlKind::kFrame:
      return BS_GROUPBOX;
    case ControlKind::kCountLabel:
      // SS_NOTIFY: the label sees the mouse, so its tooltip shows. It
      // overlaps the New box above it by a pixel, and draws under it.
      return SS_LEFT | SS_NOPREFIX | SS_NOTIFY | WS_CLIPSIBLINGS;
    default:
      return SS_LEFT;
  }
}

// The controls in the order of their tab indexes: Windows moves the focus
// in the order the controls were created.
std::vector<std::size_t> CreationOrder() {
  std::vector<std::size_t> order(kMainControls.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [](std::size_t a, std::size_t b) {
    return kMainControls[a].tabIndex < kMainControls[b].tabIndex;
  });
  return order;
}

// The menu bar, outside the client area: Tools, with the item that opens
// the "Many trends" window.
HMENU NewMenuBar() {
  HMENU tools = CreatePopupMenu();
  AppendMenuW(tools, MF_STRING, kManyTrendsCommand,
              Wide(kManyTrendsMenuItem).c_str());
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools),
              Wide(kToolsMenu).c_str());
  return bar;
}

std::size_t IndexOf(Control control) {
  return static_cast<std::size_t>(&LayoutOf(control) - kMainControls.data());
}

// The user's actions: a control's notification and the form's handler.
struct Handler {
  Control control;
  int event;
  void (MainForm::*handler)();
};
constexpr Handler kHandlers[] = {
    {Control::cmdBrowse, BN_CLICKED, &MainForm::cmdBrowse_Click},
    {Control::cmdSave, BN_CLICKED, &MainForm::cmdSave_Click},
    {Control::cmdClose, BN_CLICKED, &MainForm::cmdClose_Click},
    {Control::cmdHelp, BN_CLICKED, &MainForm::cmdHelp_Click},
    {Control::txtFileSet, EN_KILLFOCUS, &MainForm::txtFileSet_Commit},
    {Control::txtPathNew, EN_CHANGE, &MainForm::txtPathNew_Change},
    {Control::txtTagNew, EN_CHANGE, &MainForm::txtTagNew_Change},
};

}  // namespace

frmMain::frmMain(Env& env, SettingsStore& settings)
    : form_(*this, env, settings), env_(env) {}

frmMain::~frmMain() {
  if (window_) DestroyWindow(window_);
}

bool frmMain::Create(int showCommand) {
  RegisterWindowClass(kClassName, &WindowProcedure<frmMain>);
  window_ = CreateWindowExW(kExStyle, kClassName, Wide(kMainCaption).c_str(),
                            kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return false;
  SetMenu(window_, NewMenuBar());
  CreateControls();
  CreateToolTips();
  LayOut(WindowDpi(window_));
  form_.Form_Load();
  ShowWindow(window_, showCommand);
  SetFocus(ControlWindow(Control::txtFileSet));
  return true;
}

bool frmMain::TranslateDialogKeys(MSG* message) {
  if (many_ && many_->TranslateDialogKeys(message)) return true;
  return window_ && IsDialogMessageW(window_, message);
}

// One Many trends window at a time: a second would drop the edits of the
// first.
void frmMain::ShowManyTrends() {
  if (many_ && many_->IsOpen()) {
    many_->Activate();
    return;
  }
  std::string history = Text(Control::txtFileSet);
  many_ = std::make_unique<frmManyTrends>(env_);
  many_->Create(window_, history.empty() ? "" : FolderOf(history), false);
}

void frmMain::CreateControls() {
  for (std::size_t index : CreationOrder()) {
    const ControlLayout& layout = kMainControls[index];
    DWORD exStyle = (layout.kind == ControlKind::kEditBox ||
                     layout.kind == ControlKind::kOriginalBox)
                        ? WS_EX_CLIENTEDGE
                        : 0;
    controls_[index] = NewChild(window_, ClassOf(layout.kind), layout.caption,
                                StyleOf(layout.kind), exStyle, IdOf(index));
  }
  // The frame is drawn under the controls inside it. It takes no focus,
  // so its place in the order of the windows changes no tab order.
  SetWindowPos(ControlWindow(Control::Frame1), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  textColours_[Control::txtTagOriginal] =
      RGB(kOriginalGrey.red, kOriginalGrey.green, kOriginalGrey.blue);
  textColours_[Control::txtPathOriginal] =
      textColours_[Control::txtTagOriginal];
}

void frmMain::CreateToolTips() {
  toolTip_ = CreateWindowExW(
      0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
      nullptr, GetModuleHandleW(nullptr), nullptr);
  for (const ControlLayout& layout : kMainControls) {
    if (layout.kind != ControlKind::kCountLabel) continue;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(ControlWindow(layout.control));
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void frmMain::LayOut(UINT dpi) {
  std::vector<HWND> labels, boldLabels;
  for (std::size_t i = 0; i < kMainControls.size(); ++i) {
    const ControlLayout& layout = kMainControls[i];
    PlaceControl(controls_[i], PixelRect(PlaceInWindow(layout), dpi));
    if (layout.kind == ControlKind::kLabel) labels.push_back(controls_[i]);
    if (layout.kind == ControlKind::kBoldLabel)
      boldLabels.push_back(controls_[i]);
  }
  fonts_.Make(dpi, labels, boldLabels);
  for (std::size_t i = 0; i < kMainControls.size(); ++i)
    SetFont(controls_[i], kMainControls[i].kind == ControlKind::kBoldLabel
                              ? fonts_.bold()
                              : fonts_.normal());
  SIZE size = OuterSize(kMainClient, kStyle, kExStyle, dpi, true);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND frmMain::ControlWindow(Control control) const {
  return controls_[IndexOf(control)];
}

LRESULT frmMain::Handle(HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return OnControlColour(window, reinterpret_cast<HDC>(wParam),
                             reinterpret_cast<HWND>(lParam), message, wParam,
                             lParam);
    case WM_SETCURSOR:
      if (!waiting_) break;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut(HIWORD(wParam));
      return 0;
    }
    case WM_CLOSE:
      // Closing the main window closes Many trends too, so its edits not
      // yet run are lost only when the user says so.
      if (many_ && many_->IsOpen() && !many_->QueryClose()) return 0;
      form_.Form_QueryUnload();
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void frmMain::OnCommand(int id, int code) {
  // IsDialogMessageW turns Enter into IDOK, the window having no default
  // button.
  if (id == IDOK && GetFocus() == ControlWindow(Control::txtFileSet))
    form_.txtFileSet_Commit();
  if (id == kManyTrendsCommand) ShowManyTrends();
  for (const auto& [control, event, handler] : kHandlers)
    if (id == IdOf(IndexOf(control)) && code == event) (form_.*handler)();
}

// The grey of the Original boxes and the black or red of the counts, on
// the background Windows gives the control.
LRESULT frmMain::OnControlColour(HWND window, HDC dc, HWND control,
                                 UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT brush = DefWindowProcW(window, message, wParam, lParam);
  for (const auto& [which, colour] : textColours_)
    if (ControlWindow(which) == control) SetTextColor(dc, colour);
  return brush;
}

std::string frmMain::Text(Control control) const {
  return TextOf(ControlWindow(control));
}

void frmMain::SetText(Control control, const std::string& text) {
  SetTextOf(ControlWindow(control), text);
}

void frmMain::SetTextColour(Control control, Colour colour) {
  textColours_[control] = RGB(colour.red, colour.green, colour.blue);
  InvalidateRect(ControlWindow(control), nullptr, TRUE);
}

void frmMain::SetToolTip(Control control, const std::string& tip) {
  std::wstring text = Wide(tip);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(ControlWindow(control));
  tool.lpszText = text.data();
  SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0,
               reinterpret_cast<LPARAM>(&tool));
}

OpenDialogResult frmMain::AskForFile(const OpenDialogRequest& request) {
  return ShowOpenDialog(window_, request);
}

void frmMain::ShowMessage(MessageLook look, const std::string& text) {
  ShowMessageBox(window_, look, text);
}

// The rename runs on this thread and no message is handled meanwhile, so
// the cursor is set at once as well as on WM_SETCURSOR.
void frmMain::SetWaitCursor(bool on) {
  waiting_ = on;
  SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void frmMain::ShowHelp() {
  help_.Show(window_, {ControlWindow(Control::cmdSave),
                       ControlWindow(Control::cmdClose)});
}

void frmMain::CloseMainWindow() { SendMessageW(window_, WM_CLOSE, 0, 0); }

void frmMain::CloseApplication() {
  help_.Close();
  many_.reset();
  if (window_) DestroyWindow(window_);
  PostQuitMessage(0);
}

}  // namespace morvelle

#include "ui/win32/frmRunReport.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace morvelle {
namespace {

constexpr const wchar_t* kClassName = L"MorvelleRunReport";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;

// Close is IDCANCEL, which Esc sends through IsDialogMessage.
enum Id { kHeading = 300, kPaths, kLog, kCopy, kSave, kClose = IDCANCEL };

// Pixels at 96 dpi.
constexpr int kMargin = 8, kGap = 6, kButtonWidth = 80, kButtonHeight = 23;
// The most lines the log box asks room for; beyond them it scrolls.
constexpr int kLogLines = 30;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

// What the log box shows: the log, then what else the run told.
std::string LogText(const RunReport& report) {
  std::string text = Joined(report.log);
  if (!report.messages.empty())
    text += (text.empty() ? "" : "\n\n") + Joined(report.messages);
  return text;
}

// An edit box breaks its lines at CR LF only.
std::wstring WithCrLf(const std::string& text) {
  std::wstring wide;
  for (wchar_t c : Wide(text)) {
    if (c == L'\n') wide += L'\r';
    wide += c;
  }
  return wide;
}

int LineCount(const std::string& text) {
  return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The widest line of `text` in `font`, in pixels.
int WidestLine(HWND window, HFONT font, const std::string& text) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  int widest = 0;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t end = std::min(text.find('\n', from), text.size());
    std::wstring line = Wide(text.substr(from, end - from));
    SIZE size{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()),
                          &size);
    widest = std::max(widest, static_cast<int>(size.cx));
    from = end + 1;
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return widest;
}

int LineHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return metrics.tmHeight + metrics.tmExternalLeading;
}

}  // namespace

frmRunReport::frmRunReport(const RunReport& report)
    : report_(report), text_(report.Text()) {}

void frmRunReport::ShowModal(HWND owner) {
  RegisterWindowClass(kClassName, &WindowProcedure<frmRunReport>);
  window_ = CreateWindowExW(kExStyle, kClassName, Wide(report_.caption).c_str(),
                            kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                            owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return;
  CreateControls();
  // Centred over the owner, inside the work area.
  const SIZE size = WantedSize();
  const ScreenRect area = WorkAreaOf(owner ? owner : window_);
  const ScreenRect over = owner ? FrameOf(owner) : area;
  const int left =
      std::clamp(static_cast<int>((over.left + over.right - size.cx) / 2),
                 area.left, static_cast<int>(area.right - size.cx));
  const int top =
      std::clamp(static_cast<int>((over.top + over.bottom - size.cy) / 2),
                 area.top, static_cast<int>(area.bottom - size.cy));
  SetWindowPos(window_, nullptr, left, top, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut();
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetFocus(Control(kClose));
  MSG message;
  while (window_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  // A quit asked for meanwhile is the owner's loop's to see.
  if (message.message == WM_QUIT)
    PostQuitMessage(static_cast<int>(message.wParam));
}

void frmRunReport::CreateControls() {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  const DWORD readOnly = child | ES_MULTILINE | ES_READONLY | WS_TABSTOP;
  const struct {
    int id;
    const wchar_t* className;
    DWORD style, exStyle;
  } controls[] = {
      {kHeading, L"STATIC", child | SS_LEFT | SS_NOPREFIX, 0},
      {kPaths, L"EDIT", readOnly | ES_AUTOHSCROLL, 0},
      {kLog, L"EDIT", readOnly | WS_VSCROLL, WS_EX_CLIENTEDGE},
      {kCopy, L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0},
      {kSave, L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0},
      {kClose, L"BUTTON", child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
  };
  for (const auto& c : controls)
    CreateWindowExW(c.exStyle, c.className, L"", c.style, 0, 0, 0, 0, window_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                    GetModuleHandleW(nullptr), nullptr);
  const std::pair<int, std::string> texts[] = {
      {kHeading, report_.Top()}, {kPaths, Joined(report_.paths)},
      {kLog, LogText(report_)},  {kCopy, "&Copy"},
      {kSave, "&Save as..."},    {kClose, "Close"}};
  for (const auto& [id, text] : texts)
    SetWindowTextW(Control(id), WithCrLf(text).c_str());
  fonts_.Make(WindowDpi(window_), {});
  for (int id : {kPaths, kLog, kCopy, kSave, kClose})
    SetFont(Control(id), fonts_.normal());
  SetFont(Control(kHeading), fonts_.bold());
}

SIZE frmRunReport::WantedSize() const {
  const UINT dpi = WindowDpi(window_);
  auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  const int line = LineHeight(window_, fonts_.normal());
  const std::string log = LogText(report_);
  const int widest =
      std::max({WidestLine(window_, fonts_.bold(), report_.heading),
                WidestLine(window_, fonts_.bold(), report_.counts),
                WidestLine(window_, fonts_.normal(), Joined(report_.paths)),
                WidestLine(window_, fonts_.normal(), log)});
  const int scroll = GetSystemMetricsForDpi(SM_CXVSCROLL, dpi);
  const int client_width =
      std::max(widest + scroll + px(2 * kMargin + 8), px(480));
  const int log_lines = std::clamp(LineCount(log), 4, kLogLines);
  const int client_height =
      px(2 * kMargin + 3 * kGap + kButtonHeight) +
      line * (2 + static_cast<int>(report_.paths.size()) + log_lines) + scroll +
      px(4);
  RECT outer{0, 0, client_width, client_height};
  AdjustWindowRectExForDpi(&outer, kStyle, FALSE, kExStyle, dpi);
  const ScreenRect area = WorkAreaOf(window_);
  return {std::min<LONG>(outer.right - outer.left, area.right - area.left),
          std::min<LONG>(outer.bottom - outer.top, area.bottom - area.top)};
}

void frmRunReport::LayOut() {
  RECT client;
  GetClientRect(window_, &client);
  const UINT dpi = WindowDpi(window_);
  auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  const int line = LineHeight(window_, fonts_.normal());
  const int margin = px(kMargin), gap = px(kGap);
  const int right = client.right - margin;
  int top = margin;
  PlaceControl(Control(kHeading), {margin, top, right, top + 2 * line});
  top += 2 * line + gap;
  const int paths = line * static_cast<int>(report_.paths.size());
  PlaceControl(Control(kPaths), {margin, top, right, top + paths});
  top += paths + gap;
  const int buttons = client.bottom - margin - px(kButtonHeight);
  PlaceControl(Control(kLog), {margin, top, right, buttons - gap});
  int left = right;
  for (int id : {kClose, kSave, kCopy}) {
    left -= px(kButtonWidth);
    PlaceControl(Control(id), {left, buttons, left + px(kButtonWidth),
                               client.bottom - margin});
    left -= gap;
  }
}

LRESULT frmRunReport::Handle(HWND window, UINT message, WPARAM wParam,
                             LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (window_) LayOut();
      return 0;
    case WM_GETMINMAXINFO: {
      // Never larger than the work area, even when maximised.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      const ScreenRect area = WorkAreaOf(window);
      info->ptMaxTrackSize = {area.right - area.left, area.bottom - area.top};
      info->ptMaxSize = info->ptMaxTrackSize;
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return 0;
      if (LOWORD(wParam) == kCopy) Copy();
      if (LOWORD(wParam) == kSave) SaveAs();
      if (LOWORD(wParam) == kClose) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void frmRunReport::Copy() {
  const std::wstring text = WithCrLf(text_);
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return;
  std::copy_n(text.c_str(), text.size() + 1,
              static_cast<wchar_t*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  if (OpenClipboard(window_)) {
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory)) memory = nullptr;
    CloseClipboard();
  }
  if (memory) GlobalFree(memory);
}

void frmRunReport::SaveAs() {
  const std::string path = PickFile(
      window_, true, L"Text files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0",
      L"txt", OFN_OVERWRITEPROMPT);
  if (path.empty()) return;
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Unsaved(path);
  DWORD written = 0;
  const bool wrote =
      WriteFile(file, text_.data(), static_cast<DWORD>(text_.size()), &written,
                nullptr) &&
      written == text_.size();
  if (!CloseHandle(file) || !wrote) Unsaved(path);
}

void frmRunReport::Unsaved(const std::string& path) const {
  ShowMessageBox(window_, MessageLook::kExclamation,
                 "Could not save the report to '" + path + "'.");
}

}  // namespace morvelle

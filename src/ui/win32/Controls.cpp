#include "ui/win32/Controls.h"

#include <commdlg.h>

#include <algorithm>
#include <iterator>

#include "app/AppInfo.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

constexpr int kHundredthsOfPointsPerInch = 7200;
constexpr int kFontHundredthsOfPoints = 825;  // 8.25 pt
constexpr int kBoldWeight = 700;
// The icon of morvelle.rc.
constexpr WORD kIconId = 1;

// A function of user32 that older Windows lack: looked up, not imported,
// so that the program still starts there (and falls back).
template <class Function>
Function User32Function(const char* name) {
  FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

ScreenRect ScreenRectOf(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

// Below this a stand-in face is no longer worth shrinking.
constexpr int kSmallestPixelHeight = 8;

// MS Sans Serif `pixels` high (the character height, without the
// leading).
HFONT NewWindowFont(int pixels, bool bold) {
  return CreateFontW(-pixels, 0, 0, 0, bold ? kBoldWeight : FW_NORMAL, FALSE,
                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

UINT IconOf(MessageLook look) {
  switch (look) {
    case MessageLook::kExclamation:
      return MB_ICONEXCLAMATION;
    case MessageLook::kCritical:
      return MB_ICONERROR;
    case MessageLook::kNoIcon:
      break;
  }
  return 0;
}

}  // namespace

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto getDpiForWindow =
      User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow)
    if (UINT dpi = getDpiForWindow(window)) return dpi;
  HDC screen = GetDC(nullptr);
  UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  return dpi;
}

SIZE OuterSize(TwipsSize client, DWORD style, DWORD exStyle, UINT dpi,
               bool menuBar) {
  using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static auto adjustForDpi =
      User32Function<AdjustFn>("AdjustWindowRectExForDpi");
  RECT rect = PixelRect({0, 0, client.width, client.height}, dpi);
  if (adjustForDpi)
    adjustForDpi(&rect, style, menuBar, exStyle, dpi);
  else
    AdjustWindowRectEx(&rect, style, menuBar, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT PixelRect(const TwipsRect& rect, UINT dpi) {
  int d = static_cast<int>(dpi);
  int left = PixelsAt(rect.left, d), top = PixelsAt(rect.top, d);
  return {left, top, left + PixelsAt(rect.width, d),
          top + PixelsAt(rect.height, d)};
}

WindowFonts::~WindowFonts() { Delete(); }

void WindowFonts::Make(UINT dpi, std::span<const HWND> labels,
                       std::span<const HWND> boldLabels) {
  int pixels = MulDiv(kFontHundredthsOfPoints, static_cast<int>(dpi),
                      kHundredthsOfPointsPerInch);
  auto all_fit = [&] {
    auto fit = [](std::span<const HWND> some, HFONT font) {
      return std::all_of(some.begin(), some.end(),
                         [&](HWND label) { return TextFits(label, font); });
    };
    return fit(labels, normal_) && fit(boldLabels, bold_);
  };
  do {
    Delete();
    normal_ = NewWindowFont(pixels, false);
    bold_ = NewWindowFont(pixels, true);
  } while (!all_fit() && --pixels >= kSmallestPixelHeight);
}

// The label's own text in `font`, wrapped as the label wraps it, against
// the label's client area.
bool TextFits(HWND label, HFONT font) {
  RECT room;
  GetClientRect(label, &room);
  RECT needed = room;
  UINT format = DT_CALCRECT | DT_WORDBREAK;
  if (GetWindowLongW(label, GWL_STYLE) & SS_NOPREFIX) format |= DT_NOPREFIX;
  std::wstring text = Wide(TextOf(label));
  HDC dc = GetDC(label);
  HGDIOBJ before = SelectObject(dc, font);
  DrawTextW(dc, text.c_str(), -1, &needed, format);
  SelectObject(dc, before);
  ReleaseDC(label, dc);
  return needed.right <= room.right && needed.bottom <= room.bottom;
}

void WindowFonts::Delete() {
  if (normal_) DeleteObject(normal_);
  if (bold_) DeleteObject(bold_);
  normal_ = bold_ = nullptr;
}

HWND NewChild(HWND parent, const wchar_t* className, const std::string& text,
              DWORD style, DWORD exStyle, int id) {
  return CreateWindowExW(exStyle, className, Wide(text).c_str(),
                         WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void PlaceControl(HWND control, const RECT& rect) {
  SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetFont(HWND control, HFONT font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// Text that is not UTF-8 cannot come from the program, which holds only
// UTF-8; it shows as nothing rather than as mojibake.
std::wstring Wide(const std::string& utf8) {
  return WideFromUtf8(utf8).value_or(L"");
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

void SetTextOf(HWND window, const std::string& utf8) {
  SetWindowTextW(window, Wide(utf8).c_str());
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, name, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

ScreenRect WorkAreaOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                  &monitor);
  return ScreenRectOf(monitor.rcWork);
}

ScreenRect FrameOf(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  return ScreenRectOf(frame);
}

void ShowMessageBox(HWND owner, MessageLook look, const std::string& text) {
  MessageBoxW(owner, Wide(text).c_str(), Wide(kApplicationTitle).c_str(),
              MB_OK | IconOf(look));
}

std::string PickFile(HWND owner, bool save, const wchar_t* filter,
                     const wchar_t* extension, DWORD flags) {
  wchar_t path[32768] = L"";
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = filter;
  request.lpstrFile = path;
  request.nMaxFile = static_cast<DWORD>(std::size(path));
  request.lpstrDefExt = extension;
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | flags;
  bool picked = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
  return picked ? Utf8FromWide(path) : "";
}

bool AskYesNoBox(HWND owner, const std::string& question) {
  return MessageBoxW(owner, Wide(question).c_str(),
                     Wide(kApplicationTitle).c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace morvelle

#include "ui/win32/frmHelp.h"

namespace morvelle {
namespace {

constexpr const wchar_t* kClassName = L"MorvelleHelp";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kFirstLabelId = 200;

}  // namespace

frmHelp::~frmHelp() { Close(); }

void frmHelp::Show(HWND mainWindow, const std::vector<HWND>& keepClear) {
  if (!window_) {
    RegisterWindowClass(kClassName, &WindowProcedure<frmHelp>);
    // Laid out at the DPI of the main window's monitor, where it goes.
    UINT dpi = WindowDpi(mainWindow);
    SIZE size = OuterSize(kHelpClient, kStyle, 0, dpi);
    std::vector<ScreenRect> controls;
    for (HWND control : keepClear) controls.push_back(FrameOf(control));
    ScreenRect place = HelpWindowPlace(FrameOf(mainWindow), size.cx, size.cy,
                                       WorkAreaOf(mainWindow), controls);
    window_ = CreateWindowExW(0, kClassName, Wide(kHelpCaption).c_str(), kStyle,
                              place.left, place.top, size.cx, size.cy, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
    for (std::size_t i = 0; i < kHelpLabels.size(); ++i)
      labels_[i] = NewChild(window_, L"STATIC", kHelpLabels[i].text,
                            SS_LEFT | SS_NOPREFIX, 0,
                            kFirstLabelId + static_cast<int>(i));
    Form_Load();
    LayOut(dpi);
    ShowWindow(window_, SW_SHOW);
    // A window manager may place a new window where it likes when it
    // first shows; once shown, it goes where the rule says.
    SetWindowPos(window_, nullptr, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void frmHelp::Close() {
  if (window_) DestroyWindow(window_);
}

void frmHelp::Form_Load() { SetTextOf(labels_[0], HelpVersionLine()); }

void frmHelp::LayOut(UINT dpi) {
  for (std::size_t i = 0; i < kHelpLabels.size(); ++i)
    PlaceControl(labels_[i], PixelRect({kHelpLabelLeft, kHelpLabels[i].top,
                                        kHelpLabelWidth, kHelpLabels[i].height},
                                       dpi));
  fonts_.Make(dpi, labels_);
  for (HWND label : labels_) SetFont(label, fonts_.normal());
}

LRESULT frmHelp::Handle(HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED: {
      UINT dpi = HIWORD(wParam);
      LayOut(dpi);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SIZE size = OuterSize(kHelpClient, kStyle, 0, dpi);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, size.cx,
                   size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_NCDESTROY:
      window_ = nullptr;
      labels_ = {};
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace morvelle

// Building blocks of the Win32 windows: sizes at the window's DPI (the
// program is per-monitor DPI aware, so Windows does not stretch its
// bitmaps), the fonts of the design, child controls, and the two crossings
// between the program's UTF-8 and Win32's UTF-16.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "ui/FormLayout.h"
#include "ui/MessageBoxes.h"

namespace morvelle {

// Dots per inch of the monitor `window` is on (96 on a monitor at 100%).
UINT WindowDpi(HWND window);

// The outer size of a window of `style` whose client area is `client`
// twips, at `dpi`, with a menu bar of one row above it when `menuBar`.
SIZE OuterSize(TwipsSize client, DWORD style, DWORD exStyle, UINT dpi,
               bool menuBar = false);

// `rect` in pixels at `dpi`.
RECT PixelRect(const TwipsRect& rect, UINT dpi);

// MS Sans Serif 8.25 pt at one DPI, the face the layouts were drawn for,
// in weights 400 and 700; deleted with the object. Where a stand-in face
// is wider (Windows draws the bitmap face only at some sizes), the fonts
// are made smaller, alike, until every caption fits its label.
class WindowFonts {
 public:
  WindowFonts() = default;
  ~WindowFonts();
  WindowFonts(const WindowFonts&) = delete;
  WindowFonts& operator=(const WindowFonts&) = delete;
  // Makes the fonts for `dpi`, deleting those made before, a pixel
  // smaller at a time while the text of one of the placed `labels` does
  // not fit in the normal font or that of one of `boldLabels` in bold.
  void Make(UINT dpi, std::span<const HWND> labels,
            std::span<const HWND> boldLabels = {});
  HFONT normal() const { return normal_; }
  HFONT bold() const { return bold_; }

 private:
  void Delete();
  HFONT normal_ = nullptr;
  HFONT bold_ = nullptr;
};

// A child control of `parent` of window class `className`, with id `id`.
HWND NewChild(HWND parent, const wchar_t* className, const std::string& text,
              DWORD style, DWORD exStyle, int id);

void PlaceControl(HWND control, const RECT& rect);
void SetFont(HWND control, HFONT font);

// True when the label's text in `font`, wrapped as the label wraps it,
// fits inside the label.
bool TextFits(HWND label, HFONT font);

std::wstring Wide(const std::string& utf8);
std::string TextOf(HWND window);
void SetTextOf(HWND window, const std::string& utf8);

// A modal message box titled "Morvelle" with an OK button, owned by
// `owner`.
void ShowMessageBox(HWND owner, MessageLook look, const std::string& text);

// The path the user picks in the common open dialog, or with `save` the
// save dialog, "" when cancelled. `filter` is as OPENFILENAME takes it,
// `extension` the one added to a name typed without; `flags` go with
// OFN_EXPLORER, OFN_HIDEREADONLY and OFN_PATHMUSTEXIST.
std::string PickFile(HWND owner, bool save, const wchar_t* filter,
                     const wchar_t* extension, DWORD flags);

// A modal question titled "Morvelle" with Yes and No, No the default,
// owned by `owner`; true for Yes.
bool AskYesNoBox(HWND owner, const std::string& question);

// Registers a top-level window class of the program: the face colour of
// buttons as background, the program's icon. Once per name.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// The window procedure of a `Window` class: the object comes with
// CreateWindowExW's creation parameter, is kept in the window's user data
// and handles every message from WM_NCCREATE on, through
// Window::Handle(hwnd, message, wParam, lParam).
template <class Window>
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window =
      reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return window->Handle(hwnd, message, wParam, lParam);
}

// The rectangle of the monitor's work area (no task bar) that `window` is
// on, and the window's frame.
ScreenRect WorkAreaOf(HWND window);
ScreenRect FrameOf(HWND window);

}  // namespace morvelle

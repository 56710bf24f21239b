// morvelle_window_probe TITLE: prints what the open top-level window
// titled TITLE shows, for the window check under Wine. The X server there
// takes the menu bar for part of the window and cannot read a control, so
// the client area and the controls are asked of Windows:
//   client WIDTH HEIGHT
//   CLASS LEFT TOP RIGHT BOTTOM TEXT
//   cut TEXT
// the client area first, then one line per control, its rectangle in
// screen pixels and its text in UTF-8, and after a label whose text does
// not fit it in the window's font at the window's dpi (a label the
// program shrank its fonts for is measured larger, never smaller), a
// "cut" line. Exits 1 when no such window is open.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/WideText.h"
#include "ui/win32/Controls.h"

namespace {

// A control's text, asked of the program that owns it; empty when that
// program does not answer within a few seconds.
std::string ControlText(HWND control) {
  wchar_t text[1024] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, sizeof text / sizeof *text,
                      reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  return morvelle::Utf8FromWide(std::wstring(text, copied));
}

BOOL CALLBACK PrintControl(HWND control, LPARAM fonts) {
  wchar_t className[64] = L"";
  GetClassNameW(control, className, sizeof className / sizeof *className);
  RECT rect;
  GetWindowRect(control, &rect);
  std::printf("%s %ld %ld %ld %ld %s\n",
              morvelle::Utf8FromWide(className).c_str(), rect.left, rect.top,
              rect.right, rect.bottom, ControlText(control).c_str());
  if (std::wstring(className) == L"Static" &&
      !morvelle::TextFits(
          control, reinterpret_cast<morvelle::WindowFonts*>(fonts)->normal()))
    std::printf("cut %s\n", ControlText(control).c_str());
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: morvelle_window_probe TITLE\n");
    return 2;
  }
  HWND window = FindWindowA(nullptr, argv[1]);
  if (!window) return 1;
  RECT client;
  GetClientRect(window, &client);
  std::printf("client %ld %ld\n", client.right, client.bottom);
  morvelle::WindowFonts fonts;
  fonts.Make(morvelle::WindowDpi(window), {});
  EnumChildWindows(window, PrintControl, reinterpret_cast<LPARAM>(&fonts));
  return 0;
}

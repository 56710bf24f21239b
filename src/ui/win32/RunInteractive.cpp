// The program started without values: the Win32 window, until it closes.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include "app/Interactive.h"
#include "app/Settings.h"
#include "platform/Env.h"
#include "ui/win32/frmMain.h"
#include "ui/win32/frmManyTrends.h"

namespace morvelle {

namespace {

// Version 6 of the common controls (the manifest asks for it): themed
// controls and tooltips.
void InitControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

// Dispatches the thread's messages, `window`'s dialog keys first, until
// the window posts its quit message.
template <class Window>
int RunMessageLoop(Window& window) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.TranslateDialogKeys(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int RunManyTrends(int, char**, const std::string& folder) {
  InitControls();
  frmManyTrends window(Env::Default());
  if (!window.Create(nullptr, folder, true)) return 1;
  return RunMessageLoop(window);
}

int RunInteractive(int, char**) {
  InitControls();
  STARTUPINFOW startUp{};
  startUp.cb = sizeof startUp;
  GetStartupInfoW(&startUp);
  int show = (startUp.dwFlags & STARTF_USESHOWWINDOW) ? startUp.wShowWindow
                                                      : SW_SHOWNORMAL;
  frmMain window(Env::Default(), UserSettings());
  if (!window.Create(show)) return 1;
  return RunMessageLoop(window);
}

}  // namespace morvelle

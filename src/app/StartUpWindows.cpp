// The program is built for the window subsystem, so Windows gives it no
// console of its own: batch mode looks for one.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <sstream>

#include "app/AppInfo.h"
#include "app/StartUp.h"
#include "app/StopRequest.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

enum class Delivery { kNowhere, kWritten, kFailed };

// Writes `text` to `handle`: as UTF-16 to a console, as UTF-8 to a file or
// pipe. kNowhere when `handle` leads nowhere.
Delivery WriteText(HANDLE handle, const std::string& text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
    return Delivery::kNowhere;
  DWORD mode, written;
  bool ok;
  if (GetConsoleMode(handle, &mode)) {
    std::wstring wide = WideFromUtf8(text).value_or(L"");
    ok = WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()),
                       &written, nullptr);
  } else if (GetFileType(handle) == FILE_TYPE_UNKNOWN) {
    return Delivery::kNowhere;
  } else {
    ok = WriteFile(handle, text.data(), static_cast<DWORD>(text.size()),
                   &written, nullptr) &&
         written == text.size();
  }
  return ok ? Delivery::kWritten : Delivery::kFailed;
}

// The console of the process that started this one, when it has one.
HANDLE ParentConsole() {
  static HANDLE console =
      AttachConsole(ATTACH_PARENT_PROCESS)
          ? CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr)
          : INVALID_HANDLE_VALUE;
  return console;
}

// Batch text is held until the end: where it goes is known only then.
std::ostringstream& HeldOut() {
  static std::ostringstream out;
  return out;
}

std::ostringstream& HeldErr() {
  static std::ostringstream err;
  return err;
}

// To the handle the parent process gave, else to its console.
Delivery Deliver(DWORD standardHandle, const std::string& text) {
  if (text.empty()) return Delivery::kWritten;
  Delivery delivery = WriteText(GetStdHandle(standardHandle), text);
  return delivery == Delivery::kNowhere ? WriteText(ParentConsole(), text)
                                        : delivery;
}

// Runs on a thread of its own. For closing the console, logging off and
// shutting down, Windows ends the process as soon as this returns, so it
// never returns then: the process ends when the main thread has finished
// the rename in progress and returns from main.
BOOL WINAPI OnConsoleControl(DWORD event) {
  RequestStop();
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT ||
      event == CTRL_SHUTDOWN_EVENT)
    Sleep(INFINITE);
  return TRUE;
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(argv[i]));
  LocalFree(argv);
  return args;
}

std::optional<BatchValues> BatchValuesOfCommandLine(
    const std::vector<std::string>&) {
  std::string commandLine = Utf8FromWide(GetCommandLineW());
  return SplitAtQuotes(TextAfterProgramName(commandLine));
}

std::ostream& BatchOut() { return HeldOut(); }
std::ostream& BatchErr() { return HeldErr(); }

// The program's own handles are never a console (it is a window program),
// so a progress bar has nowhere to go.
bool BatchErrIsTerminal() { return false; }

bool ShowBatchText(bool outAskedFor) {
  const std::string out = HeldOut().str(), err = HeldErr().str();
  Delivery err_delivery = Deliver(STD_ERROR_HANDLE, err);
  Delivery out_delivery = Deliver(STD_OUTPUT_HANDLE, out);
  std::string unshown;
  if (err_delivery != Delivery::kWritten) unshown += err;
  if (out_delivery != Delivery::kWritten && outAskedFor) unshown += out;
  if (!unshown.empty()) {
    std::wstring title = WideFromUtf8(kApplicationTitle).value_or(L"");
    MessageBoxW(
        nullptr, WideFromUtf8(unshown).value_or(L"").c_str(), title.c_str(),
        MB_OK | (err.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
  }
  return err_delivery != Delivery::kFailed && out_delivery != Delivery::kFailed;
}

bool OpenStandardDescriptors() { return true; }

void ReturnLargeBlocksWhenFreed() {}

void InstallStopHandlers(bool stoppable) {
  if (!stoppable) return;
  // Console events reach a process attached to the console only.
  ParentConsole();
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace morvelle

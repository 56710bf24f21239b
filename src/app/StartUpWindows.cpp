// The program is built for the window subsystem, so Windows gives it no
// console of its own: batch mode looks for one.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <sstream>

#include "app/AppInfo.h"
#include "app/StartUp.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

// Writes `text` to `handle`: as UTF-16 to a console, as UTF-8 to a file or
// pipe. False when `handle` leads nowhere.
bool WriteText(HANDLE handle, const std::string& text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode, written;
  if (GetConsoleMode(handle, &mode)) {
    std::wstring wide = WideFromUtf8(text).value_or(L"");
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()),
                         &written, nullptr);
  }
  if (GetFileType(handle) == FILE_TYPE_UNKNOWN) return false;
  return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()),
                   &written, nullptr);
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

bool Deliver(DWORD standardHandle, const std::string& text) {
  return text.empty() || WriteText(GetStdHandle(standardHandle), text) ||
         WriteText(ParentConsole(), text);
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

void ShowBatchText(bool outAskedFor) {
  const std::string out = HeldOut().str(), err = HeldErr().str();
  std::string unshown;
  if (!Deliver(STD_ERROR_HANDLE, err)) unshown += err;
  if (!Deliver(STD_OUTPUT_HANDLE, out) && outAskedFor) unshown += out;
  if (unshown.empty()) return;
  std::wstring title = WideFromUtf8(kApplicationTitle).value_or(L"");
  MessageBoxW(nullptr, WideFromUtf8(unshown).value_or(L"").c_str(),
              title.c_str(),
              MB_OK | (err.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}

}  // namespace morvelle

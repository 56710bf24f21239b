#include "WindowsProcess.h"

#include "platform/WideText.h"

namespace morvelle::test {
namespace {

HANDLE InheritableCopy(HANDLE h) {
  HANDLE copy = nullptr;
  if (h == nullptr || h == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0,
                       TRUE, DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

}  // namespace

int RunCommandLine(const std::string& commandLine, HANDLE out, HANDLE err) {
  std::optional<std::wstring> wide = WideFromUtf8(commandLine);
  if (!wide) return -1;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = InheritableCopy(out);
  startup.hStdError = InheritableCopy(err);
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessW(nullptr, wide->data(), nullptr, nullptr, TRUE,
                                0, nullptr, nullptr, &startup, &process);
  if (startup.hStdOutput) CloseHandle(startup.hStdOutput);
  if (startup.hStdError) CloseHandle(startup.hStdError);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  if (!GetExitCodeProcess(process.hProcess, &status)) status = DWORD(-1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

}  // namespace morvelle::test

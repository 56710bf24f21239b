#include "ui/win32/CommonDialog.h"

#include <commdlg.h>

#include "platform/WideText.h"
#include "ui/win32/Controls.h"

namespace morvelle {
namespace {

constexpr std::size_t kLongestPath = 32767;

}  // namespace

OpenDialogResult ShowOpenDialog(HWND owner, const OpenDialogRequest& request) {
  std::wstring filter = Wide(ConvertFilter(request.filter));
  std::wstring initial = Wide(request.initialFile);
  std::wstring title = Wide(request.title);
  std::wstring file = initial;
  file.resize(kLongestPath + 1, L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 0;  // with no custom filter: the first pair
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = initial.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.Flags = static_cast<DWORD>(request.flags);

  OpenDialogResult result;
  if (!GetOpenFileNameW(&dialog)) return result;
  std::wstring chosen(file.c_str());
  chosen.erase(0, chosen.find_first_not_of(L' '));
  result.path = Utf8FromWide(chosen);
  result.readOnly = (dialog.Flags & OFN_READONLY) != 0;
  return result;
}

}  // namespace morvelle

// The registry value Qt's settings would use, so that a Qt build and this
// one remember the same history file.
#include <windows.h>

#include "app/Settings.h"
#include "platform/WideText.h"

namespace morvelle {
namespace {

constexpr const wchar_t* kKey = L"Software\\Morvelle\\Morvelle\\Settings";
constexpr const wchar_t* kValue = L"FileSet";

class RegistrySettingsStore final : public SettingsStore {
 public:
  std::string LoadFileSet() override {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS)
      return "";
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr,
                     text.data(), &bytes) != ERROR_SUCCESS)
      return "";
    text.resize(wcsnlen(text.c_str(), text.size()));
    return Utf8FromWide(text);
  }

  // A value that cannot be stored is left as it was: losing the
  // remembered file is not worth a message on the way out.
  void SaveFileSet(const std::string& fileSet) override {
    std::wstring text = WideFromUtf8(fileSet).value_or(L"");
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExW(key, kValue, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
};

}  // namespace

SettingsStore& UserSettings() {
  static RegistrySettingsStore store;
  return store;
}

}  // namespace morvelle

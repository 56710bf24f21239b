// The remembered File Set in the registry, where Qt's settings keep it
// too. The user's own value is put back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/Settings.h"

namespace morvelle {
namespace {

TEST(WindowsSettingsTest, FileSetIsAStringValueUnderTheCurrentUser) {
  SettingsStore& store = UserSettings();
  const std::string users = store.LoadFileSet();
  const std::string stored = "C:\\Tr\xC3\xA9nds\\Trend1.HST";
  store.SaveFileSet(stored);

  wchar_t raw[64] = {};
  DWORD bytes = sizeof raw, type = 0;
  LSTATUS status =
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\Morvelle\\Morvelle\\Settings",
                   L"FileSet", RRF_RT_ANY, &type, raw, &bytes);
  EXPECT_EQ(status, ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(raw), L"C:\\Tr\u00E9nds\\Trend1.HST");
  EXPECT_EQ(store.LoadFileSet(), stored);

  store.SaveFileSet("");
  EXPECT_EQ(store.LoadFileSet(), "");
  store.SaveFileSet(users);
}

}  // namespace
}  // namespace morvelle

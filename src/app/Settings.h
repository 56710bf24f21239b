// The one remembered setting: FileSet, the last content of the window's
// File Set box, under application "Morvelle", section "Settings".
#pragma once

#include <string>

namespace morvelle {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored FileSet value (UTF-8); empty when there is none.
  virtual std::string LoadFileSet() = 0;
  // Stores `fileSet` as FileSet, creating the value when it does not exist.
  virtual void SaveFileSet(const std::string& fileSet) = 0;
};

// The user's store, which only the window links. Windows
// (SettingsWindows.cpp): the registry, value FileSet (REG_SZ) of
// HKEY_CURRENT_USER\Software\Morvelle\Morvelle\Settings, where Qt's
// settings keep it too. Elsewhere, on QSettings (ui/qt/Settings.cpp):
// $XDG_CONFIG_HOME/Morvelle/Morvelle.conf (by default ~/.config), group
// [Settings].
SettingsStore& UserSettings();

}  // namespace morvelle

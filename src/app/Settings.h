// The one remembered setting: FileSet, the last content of the window's
// File Set box. Organization and application "Morvelle", group "Settings";
// the registry on Windows, $XDG_CONFIG_HOME/Morvelle/Morvelle.conf on Linux.
#pragma once

#include <QString>

namespace morvelle {

// The stored FileSet value; empty when there is none.
QString LoadFileSet();

// Stores `fileSet` as FileSet, creating the value when it does not exist.
void SaveFileSet(const QString& fileSet);

}  // namespace morvelle

// The program's name and version, as the help window and --version show
// them.
#pragma once

#include <string>

#include "app/Version.h"

namespace morvelle {

inline constexpr const char* kApplicationTitle = "Morvelle";
inline constexpr int kVersionMajor = MORVELLE_VERSION_MAJOR;
inline constexpr int kVersionMinor = MORVELLE_VERSION_MINOR;
inline constexpr int kVersionRevision = MORVELLE_VERSION_REVISION;
// The one-line credit of the version information.
inline constexpr const char* kVersionComments = MORVELLE_COMMENTS;

// "Morvelle version 1.00.003": minor with at least two digits, revision
// with at least three.
std::string VersionText();

}  // namespace morvelle

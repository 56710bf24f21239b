// The program's name and version, as the help window and --version show
// them.
#pragma once

#include <string>

namespace morvelle {

inline constexpr const char* kApplicationTitle = "Morvelle";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 3;
// The one-line credit of the version information.
inline constexpr const char* kVersionComments =
    "by the Morvelle developers, for engineers who keep Ostrel trends";

// "Morvelle version 1.00.003": minor with at least two digits, revision
// with at least three.
std::string VersionText();

}  // namespace morvelle

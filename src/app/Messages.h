// What the command line tells on standard error. Every line starts with
// the program's name, so that in a script's log each says who wrote it:
//
//   morvelle: <what failed>: <why>
//
// A usage error is one such line and a pointer to --help, never the whole
// usage. The windows' message boxes have texts of their own and do not
// use these.
#pragma once

#include <string>
#include <string_view>

namespace morvelle {

// `text` (one line or several, with or without its last line break) with
// "morvelle: " before each line and a line break after the last.
std::string ErrorText(std::string_view text);

// ErrorText(`why`) and "Try 'morvelle --help' for more information.".
std::string UsageErrorText(std::string_view why);

}  // namespace morvelle

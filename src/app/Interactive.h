// The interactive mode: the program started with no values opens its
// window. Built from src/ui when the window is part of the build.
#pragma once

#include <string>

namespace morvelle {

// Runs the window until it closes; returns the process's exit status.
int RunInteractive(int argc, char** argv);

// Runs the "Many trends" window, showing the trends of `folder` when it is
// not empty, until it closes; returns the process's exit status.
int RunManyTrends(int argc, char** argv, const std::string& folder);

}  // namespace morvelle

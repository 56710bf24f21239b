// The interactive mode: the program started with no values opens its
// window. Built from src/ui when the window is part of the build.
#pragma once

namespace morvelle {

// Runs the window until it closes; returns the process's exit status.
int RunInteractive(int argc, char** argv);

}  // namespace morvelle

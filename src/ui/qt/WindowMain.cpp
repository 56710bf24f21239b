// morvelle-window: the Qt window, started by morvelle when it is given no
// values (src/app/StartWindowPosix.cpp). Any arguments are Qt's.
#include "app/Interactive.h"

int main(int argc, char** argv) { return morvelle::RunInteractive(argc, argv); }

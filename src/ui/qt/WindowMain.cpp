// morvelle-window: the Qt window, started by morvelle when it is given no
// values, or "--many FOLDER" for the Many trends window
// (src/app/StartWindowPosix.cpp). Other arguments are Qt's.
#include <cstring>

#include "app/BatchMode.h"
#include "app/Interactive.h"
#include "app/StartUp.h"

int main(int argc, char** argv) {
  if (!morvelle::OpenStandardDescriptors()) return morvelle::kExitNotRenamed;
  if (argc >= 2 && std::strcmp(argv[1], "--many") == 0)
    return morvelle::RunManyTrends(argc, argv, argc >= 3 ? argv[2] : "");
  return morvelle::RunInteractive(argc, argv);
}

// The program started without values on Linux: it becomes the window
// program installed beside it. The window lives in a program of its own so
// that batch mode, --info, --help and --version never load Qt, whose
// libraries take longer to load than a rename of a thousand files takes.
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/BatchMode.h"
#include "app/Interactive.h"
#include "app/Messages.h"

namespace morvelle {
namespace {

constexpr char kWindowProgram[] = "morvelle-window";

// This program's own file, whatever name or link started it.
std::string OwnProgram() {
  char path[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length))
                    : std::string();
}

// Becomes the window program with `args` after its name; returns only
// when it cannot be started.
int BecomeWindowProgram(std::vector<std::string> args) {
  std::string self = OwnProgram();
  std::string window =
      self.substr(0, self.find_last_of('/') + 1) + kWindowProgram;
  args.insert(args.begin(), window);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  ::execv(window.c_str(), argv.data());
  std::cerr << UsageErrorText("could not start the window '" + window +
                              "': " + std::strerror(errno));
  return kExitUsage;
}

}  // namespace

int RunInteractive(int, char**) { return BecomeWindowProgram({}); }

int RunManyTrends(int, char**, const std::string& folder) {
  return BecomeWindowProgram({"--many", folder});
}

}  // namespace morvelle

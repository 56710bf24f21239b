#include "app/AppInfo.h"

#include <cstdio>

namespace morvelle {

std::string VersionText() {
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "%d.%02d.%03d", kVersionMajor,
                kVersionMinor, kVersionRevision);
  return std::string(kApplicationTitle) + " version " + numbers;
}

}  // namespace morvelle

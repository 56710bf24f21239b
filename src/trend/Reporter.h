// Where the trend operations tell the user about expected conditions (a
// missing history file, an unknown version, a refused value) and about
// failures. The window shows message boxes titled "Morvelle"; batch mode
// writes to standard error.
#pragma once

#include <string>

namespace morvelle {

class Reporter {
 public:
  virtual ~Reporter() = default;
  // Something the user can put right: a message box with the exclamation
  // icon.
  virtual void Warning(const std::string& message) = 0;
  // Something is wrong with the trend or the file system: the
  // critical-error icon.
  virtual void Critical(const std::string& message) = 0;
};

}  // namespace morvelle

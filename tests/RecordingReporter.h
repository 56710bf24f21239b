// A Reporter that keeps what it was told.
#pragma once

#include <string>
#include <vector>

#include "trend/Reporter.h"

namespace morvelle::testing {

class RecordingReporter final : public Reporter {
 public:
  void Warning(const std::string& message) override {
    warnings.push_back(message);
  }
  void Critical(const std::string& message) override {
    criticals.push_back(message);
  }

  std::vector<std::string> warnings;
  std::vector<std::string> criticals;
};

}  // namespace morvelle::testing

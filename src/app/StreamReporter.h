// Batch mode's Reporter: every message is a line on standard error.
#pragma once

#include <ostream>
#include <string>

#include "trend/Reporter.h"

namespace morvelle {

class StreamReporter final : public Reporter {
 public:
  explicit StreamReporter(std::ostream& err) : err_(err) {}
  void Warning(const std::string& message) override { err_ << message << "\n"; }
  void Critical(const std::string& message) override {
    err_ << message << "\n";
  }

 private:
  std::ostream& err_;
};

}  // namespace morvelle

// What the user is shown of each failure a test meets, kept apart by look
// as the window shows them: a warning for what the user can put right, a
// critical error for the rest.
#pragma once

#include <string>
#include <vector>

#include "trend/TrendTools.h"

namespace morvelle::test {

class MessageLog {
 public:
  RenameReport Tell(RenameReport report) {
    if (!report.ok())
      Add(IsUserCorrectable(report.outcome), report.failure.ToString());
    return report;
  }
  // The trend read, or, once its failure is kept, an empty TrendInfo.
  TrendInfo Tell(const Result<TrendInfo>& info) {
    if (info.ok()) return *info;
    Add(IsUserCorrectable(info.status()), info.status().ToString());
    return {};
  }
  bool Tell(const Status& s) {
    if (!s.ok()) Add(IsUserCorrectable(s), s.ToString());
    return s.ok();
  }

  std::vector<std::string> warnings;
  std::vector<std::string> criticals;

 private:
  void Add(bool warning, std::string message) {
    (warning ? warnings : criticals).push_back(std::move(message));
  }
};

}  // namespace morvelle::test

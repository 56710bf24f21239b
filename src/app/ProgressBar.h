// The progress bar --batch draws on a terminal while it renames:
//
//   [###############...............] 500/1000 trends
//
// drawn over itself with a carriage return, so it takes one line.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace morvelle {

class ProgressBar {
 public:
  // A bar for a run of `total` trends on `err`; nothing is drawn without
  // `err`, nor for a run of one trend.
  ProgressBar(std::ostream* err, std::size_t total);

  // Draws the bar for `done` trends done, when its percentage changed.
  void Show(std::size_t done);

  // Takes the bar off the line, so that other output starts clean.
  void Hide();

 private:
  static constexpr std::size_t kWidth = 30;
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::ostream* err_;
  std::size_t total_;
  std::size_t percent_ = kNone;
  std::string line_;
};

}  // namespace morvelle

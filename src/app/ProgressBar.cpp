#include "app/ProgressBar.h"

#include <ostream>

namespace morvelle {

ProgressBar::ProgressBar(std::ostream* err, std::size_t total)
    : err_(total > 1 ? err : nullptr), total_(total) {}

void ProgressBar::Show(std::size_t done) {
  std::size_t percent = done * 100 / total_;
  if (err_ == nullptr || percent == percent_) return;
  percent_ = percent;
  std::size_t filled = done * kWidth / total_;
  line_ = "[" + std::string(filled, '#') + std::string(kWidth - filled, '.') +
          "] " + std::to_string(done) + "/" + std::to_string(total_) +
          " trends";
  *err_ << "\r" << line_ << std::flush;
}

void ProgressBar::Hide() {
  if (err_ == nullptr || line_.empty()) return;
  *err_ << "\r" << std::string(line_.size(), ' ') << "\r" << std::flush;
  percent_ = kNone;
}

}  // namespace morvelle

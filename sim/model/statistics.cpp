#include "statistics.h"

#include <algorithm>
#include <cmath>

namespace benchbridge::sim {

void Statistics::Start(StatisticMode mode) {
  mode_ = mode;
  count_ = 0;
  max_ = min_ = sum_ = 0.0;
}

void Statistics::Add(double value) {
  if (mode_ == StatisticMode::Off || !std::isfinite(value)) return;
  max_ = count_ == 0 ? value : std::max(max_, value);
  min_ = count_ == 0 ? value : std::min(min_, value);
  sum_ += value;
  ++count_;
}

std::optional<double> Statistics::Value() const {
  if (count_ == 0) return std::nullopt;
  switch (mode_) {
    case StatisticMode::Max:
      return max_;
    case StatisticMode::Min:
      return min_;
    case StatisticMode::Avg:
      return sum_ / static_cast<double>(count_);
    case StatisticMode::Off:
      break;
  }
  return std::nullopt;
}

std::string_view StatisticWord(StatisticMode mode) {
  switch (mode) {
    case StatisticMode::Max:
      return "MAX";
    case StatisticMode::Min:
      return "MIN";
    case StatisticMode::Avg:
      return "AVG";
    case StatisticMode::Off:
      return "OFF";
  }
  return "";
}

}  // namespace benchbridge::sim

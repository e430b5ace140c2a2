#pragma once
// Maximum, minimum or average of the primary readings taken since the statistic was switched on.

#include <optional>
#include <string_view>

namespace benchbridge::sim {

enum class StatisticMode { Off, Max, Min, Avg };

class Statistics {
 public:
  StatisticMode Mode() const { return mode_; }
  // Starts the statistic afresh (Off stops it).
  void Start(StatisticMode mode);
  // Values that are not finite (an over-range reading) are not counted.
  void Add(double value);
  // Nothing while off or before the first counted reading.
  std::optional<double> Value() const;

 private:
  StatisticMode mode_ = StatisticMode::Off;
  long long count_ = 0;
  double max_ = 0.0, min_ = 0.0, sum_ = 0.0;
};

// "MAX", "MIN", "AVG", "OFF".
std::string_view StatisticWord(StatisticMode mode);

}  // namespace benchbridge::sim

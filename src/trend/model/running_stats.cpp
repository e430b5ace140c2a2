#include "running_stats.h"

#include <algorithm>
#include <cmath>

namespace benchbridge {

void RunningStats::Add(double value) {
  ++count;
  const double delta = value - mean;
  mean += delta / static_cast<double>(count);
  m2 += delta * (value - mean);
  min = std::min(min, value);
  max = std::max(max, value);
}

void RunningStats::Merge(const RunningStats& other) {
  if (other.count == 0) return;
  if (count == 0) {
    *this = other;
    return;
  }
  const double n = static_cast<double>(count), m = static_cast<double>(other.count);
  const double delta = other.mean - mean;
  mean += delta * m / (n + m);
  m2 += other.m2 + delta * delta * n * m / (n + m);
  count += other.count;
  min = std::min(min, other.min);
  max = std::max(max, other.max);
}

double RunningStats::SampleStdDev() const {
  if (count < 2) return std::numeric_limits<double>::quiet_NaN();
  return std::sqrt(std::max(0.0, m2) / static_cast<double>(count - 1));
}

}  // namespace benchbridge

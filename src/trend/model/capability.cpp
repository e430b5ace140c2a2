#include "capability.h"

#include <algorithm>
#include <cmath>

namespace benchbridge {

std::optional<std::pair<double, double>> BinValueLimits(const ComparatorLimits& limits, int bin) {
  if (bin < 1 || bin > 3 || !std::isfinite(limits.nominal)) return std::nullopt;
  const double low = limits.low[static_cast<std::size_t>(bin - 1)];
  const double high = limits.high[static_cast<std::size_t>(bin - 1)];
  if (!std::isfinite(low) || !std::isfinite(high)) return std::nullopt;
  const double a = limits.nominal * (1 + low / 100), b = limits.nominal * (1 + high / 100);
  return std::pair{std::min(a, b), std::max(a, b)};
}

int WidestBin(const ComparatorLimits& limits) {
  int widest = 0;
  double width = -1;
  for (int bin = 1; bin <= 3; ++bin) {
    const auto range = BinValueLimits(limits, bin);
    if (range && range->second - range->first > width) {
      width = range->second - range->first;
      widest = bin;
    }
  }
  return widest;
}

Capability CapabilityOf(const RunningStats& stats, double lower, double upper) {
  const double s = stats.SampleStdDev();
  if (!(s > 0) || !(upper > lower)) return {};
  return {(upper - lower) / (6 * s), std::min(upper - stats.mean, stats.mean - lower) / (3 * s)};
}

}  // namespace benchbridge

#pragma once
// The comparator's nominal value and bin limits as the trend uses them (lines on the plot, the
// limits a process capability is measured against), and Cp and Cpk.

#include <array>
#include <limits>
#include <optional>
#include <utility>

#include "running_stats.h"

namespace benchbridge {

struct ComparatorLimits {
  static constexpr double kUnset = std::numeric_limits<double>::quiet_NaN();
  bool on = false;
  double nominal = kUnset;  // in the primary parameter's unit (farads, henries, ohms)
  // The lower and upper limit of bins 1 to 3 in percent of the nominal; NaN when not set.
  std::array<double, 3> low{kUnset, kUnset, kUnset}, high{kUnset, kUnset, kUnset};
};

// The limits of bin (1 to 3) as values; nullopt without a nominal or either limit.
std::optional<std::pair<double, double>> BinValueLimits(const ComparatorLimits& limits, int bin);

// The numbered bin with the widest range (1 to 3), 0 when none has both limits.
int WidestBin(const ComparatorLimits& limits);

struct Capability {
  double cp = std::numeric_limits<double>::quiet_NaN();
  double cpk = std::numeric_limits<double>::quiet_NaN();
};

// Cp = (upper - lower) / 6 s and Cpk = min(upper - mean, mean - lower) / 3 s with the sample
// standard deviation s; NaN below two values or without spread.
Capability CapabilityOf(const RunningStats& stats, double lower, double upper);

}  // namespace benchbridge

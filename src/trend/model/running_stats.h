#pragma once
// Count, mean, spread, minimum and maximum of a run of values, kept with Welford's update so
// that a meter's tiny spread around a large value (22.003e-9 +- 1e-13) survives in doubles, and
// mergeable (Chan et al.) so that summaries of blocks add up to the summary of a range.

#include <cstdint>
#include <limits>

namespace benchbridge {

struct RunningStats {
  std::uint64_t count = 0;
  double mean = 0;
  double m2 = 0;  // sum of squared deviations from the mean
  double min = std::numeric_limits<double>::infinity();
  double max = -std::numeric_limits<double>::infinity();

  void Add(double value);
  void Merge(const RunningStats& other);
  // Sample standard deviation (n - 1 in the denominator); NaN below two values.
  double SampleStdDev() const;
};

}  // namespace benchbridge

#pragma once
// The few statistics the benchmark programs report: each takes the samples as they came and
// answers 0 for none, so a run that produced nothing still prints its table.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace benchbridge::bench {

// The sample below which the given share of the samples lie (0.5: the median).
inline double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  const std::size_t at = std::min(
      values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

inline double Median(std::vector<double> values) { return Percentile(std::move(values), 0.5); }

inline double Max(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

inline double Min(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

}  // namespace benchbridge::bench

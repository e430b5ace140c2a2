#include "comparator.h"

#include <cmath>

namespace benchbridge::sim {
namespace {

bool Within(double value, const std::optional<double>& low, const std::optional<double>& high) {
  return std::isfinite(value) && (!low || value >= *low) && (!high || value <= *high);
}

}  // namespace

std::string Comparator::Bin(const Measurement& measurement) const {
  const double value = measurement.primaryValue;
  if (nominal == 0.0 || !std::isfinite(value)) return "O";
  const double deviation = (value - nominal) / std::fabs(nominal) * 100.0;
  for (std::size_t bin = 0; bin < 3; ++bin) {
    const std::optional<double>& low = percent[2 * bin];
    const std::optional<double>& high = percent[2 * bin + 1];
    if (!low && !high) continue;
    if (!Within(deviation, low, high)) continue;
    const bool secondaryChecked = measurement.secondary && (secondaryLow || secondaryHigh);
    if (secondaryChecked && !Within(measurement.secondaryValue, secondaryLow, secondaryHigh)) {
      return "A";
    }
    return std::to_string(bin + 1);
  }
  return "O";
}

}  // namespace benchbridge::sim

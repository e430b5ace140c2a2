#pragma once
// The comparator's limits and the bin a reading falls in.

#include <array>
#include <optional>
#include <string>

#include "quantity.h"

namespace benchbridge::sim {

inline constexpr double kPercentLimit = 99.99;

struct Comparator {
  bool on = false;
  double nominal = 0.0;
  // Percent deviation from the nominal, in the order 1L, 1H, 2L, 2H, 3L, 3H; none: no limit.
  std::array<std::optional<double>, 6> percent{};
  std::optional<double> secondaryLow, secondaryHigh;

  // "1", "2" or "3" for the first bin whose limits hold the primary value (a bin without any
  // limit takes nothing); "O" when none does; "A" when the primary found a bin but the
  // secondary value lies outside its limits.
  std::string Bin(const Measurement& measurement) const;
};

}  // namespace benchbridge::sim

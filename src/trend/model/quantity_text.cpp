#include "quantity_text.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace benchbridge {

std::string FormatQuantity(double value, const std::string& unit) {
  if (std::isnan(value)) return "-";
  char text[48];
  if (unit.empty() || unit == "deg" || value == 0 || !std::isfinite(value)) {
    (void)std::snprintf(text, sizeof text, "%.6g", value);
    return unit.empty() ? text : std::string(text) + " " + unit;
  }
  static constexpr std::array<const char*, 7> kPrefixes{"p", "n", "\xCE\xBC", "m", "", "k", "M"};
  int group = static_cast<int>(std::floor(std::log10(std::abs(value)) / 3));
  group = group < -4 ? -4 : group > 2 ? 2 : group;
  const int prefix = group + 4;  // "p" is 10^-12
  (void)std::snprintf(text, sizeof text, "%.6g", value / std::pow(10.0, 3 * group));
  return std::string(text) + " " + kPrefixes[static_cast<std::size_t>(prefix)] + unit;
}

}  // namespace benchbridge

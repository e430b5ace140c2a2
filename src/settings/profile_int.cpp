#include "profile_int.h"

#include <cstdint>
#include <limits>

namespace benchbridge {

int ProfileInt(std::string_view value, int fallback) {
  if (value.empty()) return fallback;
  std::size_t at = 0;
  while (at < value.size() && (value[at] == ' ' || value[at] == '\t')) ++at;
  bool negative = false;
  if (at < value.size() && (value[at] == '+' || value[at] == '-')) {
    negative = value[at] == '-';
    ++at;
  }
  // Accumulated as a magnitude one past INT_MAX at most, so the clamp covers INT_MIN too.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
    magnitude = magnitude * 10 + (value[at] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(signedValue);
}

}  // namespace benchbridge

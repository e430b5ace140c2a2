#include "reading_values.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace benchbridge {

std::optional<double> ParseValue(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  // from_chars also takes "inf" and "nan", which no meter sends as a reading.
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

bool AddNormalisedReading(ReadingStore& store, TimeMs time, const Reading& normalised) {
  constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
  const double primary = ParseValue(normalised.primaryValue).value_or(kMissing);
  const double secondary = ParseValue(normalised.secondaryValue).value_or(kMissing);
  if (std::isnan(primary) && std::isnan(secondary)) {
    store.MarkGap();
    return false;
  }
  const std::uint16_t kind = store.Intern({normalised.primaryName, normalised.primaryUnit,
                                           normalised.secondaryName, normalised.secondaryUnit});
  store.Add(time, primary, secondary, kind);
  return true;
}

}  // namespace benchbridge

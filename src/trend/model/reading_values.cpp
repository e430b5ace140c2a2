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

double ValueResolution(std::string_view text) {
  if (!ParseValue(text)) return 0;
  const std::size_t exponentAt = text.find_first_of("eE");
  const std::string_view mantissa = text.substr(0, exponentAt);
  const std::size_t point = mantissa.find('.');
  int decimals = 0;
  if (point != std::string_view::npos) {
    decimals = static_cast<int>(mantissa.find_last_not_of(' ') - point);
  }
  int exponent = 0;
  if (exponentAt != std::string_view::npos) {
    const std::string_view digits = text.substr(exponentAt + 1);
    const char* first = digits.data() + (digits.starts_with('+') ? 1 : 0);
    if (std::from_chars(first, digits.data() + digits.size(), exponent).ec != std::errc()) return 0;
  }
  if (exponent - decimals < -300 || exponent - decimals > 300) return 0;
  return std::pow(10.0, exponent - decimals);
}

bool AddNormalisedReading(ReadingStore& store, TimeMs time, const Reading& normalised,
                          bool deviation) {
  constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
  const double primary = ParseValue(normalised.primaryValue).value_or(kMissing);
  const double secondary = ParseValue(normalised.secondaryValue).value_or(kMissing);
  if (std::isnan(primary) && std::isnan(secondary)) {
    store.MarkGap();
    return false;
  }
  const std::uint16_t kind =
      store.Intern({normalised.primaryName, normalised.primaryUnit, normalised.secondaryName,
                    normalised.secondaryUnit, deviation});
  store.NoteResolution(kind, Parameter::kPrimary, ValueResolution(normalised.primaryValue));
  store.NoteResolution(kind, Parameter::kSecondary, ValueResolution(normalised.secondaryValue));
  store.Add(time, primary, secondary, kind);
  return true;
}

}  // namespace benchbridge

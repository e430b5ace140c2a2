#include "si_format.h"

#include "ascii_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace benchbridge::sim {
namespace {

constexpr double kPrefixedLimit = 1e10;
constexpr double kPlainLimit = 1e6;

struct Prefix {
  int exponent;
  std::string_view symbol;  // as written in readings
};
constexpr std::array<Prefix, 7> kPrefixes{
    {{-12, "p"}, {-9, "n"}, {-6, "u"}, {-3, "m"}, {0, ""}, {3, "k"}, {6, "M"}}};

// The prefixes accepted in parameters, with their factors.
struct InputPrefix {
  std::string_view symbol;
  double factor;
};
constexpr std::array<InputPrefix, 10> kInputPrefixes{{{"p", 1e-12},
                                                      {"n", 1e-9},
                                                      {"u", 1e-6},
                                                      {"\xCE\xBC", 1e-6},  // μ, Greek small mu
                                                      {"\xC2\xB5", 1e-6},  // µ, micro sign
                                                      {"m", 1e-3},
                                                      {"k", 1e3},
                                                      {"K", 1e3},
                                                      {"M", 1e6},
                                                      {"G", 1e9}}};

std::string Fixed(double value, int decimals) {
  char buffer[64];
  (void)std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.front() == '-' && text.find_first_not_of("0.", 1) == std::string::npos) {
    text.erase(0, 1);  // a rounded negative zero reads as zero
  }
  return text;
}

// Rounds to the given number of significant digits, so that the prefix is chosen for the value
// as it will be printed (999.996 becomes 1000.0 and so 1.0000k).
double RoundSignificant(double value, int digits) {
  char buffer[64];
  (void)std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, value);
  double rounded = value;
  std::from_chars(buffer, buffer + std::char_traits<char>::length(buffer), rounded);
  return rounded;
}

int IntegerDigits(double magnitude) {
  return magnitude < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
}

int EngineeringExponent(double magnitude) {
  const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
  const int engineering = static_cast<int>(std::floor(exponent / 3.0)) * 3;
  return std::clamp(engineering, -12, 6);
}

std::string_view PrefixFor(int exponent) {
  for (const Prefix& prefix : kPrefixes) {
    if (prefix.exponent == exponent) return prefix.symbol;
  }
  return "";
}

std::string TrimZeros(std::string text) {
  if (text.find('.') == std::string::npos) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  if (text == "-0") text = "0";
  return text;
}

// Length of the leading decimal number in text (0 if there is none).
std::size_t NumberLength(std::string_view text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  std::size_t digits = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at, ++digits;
  }
  if (digits == 0) return 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t exponentAt = at + 1;
    if (exponentAt < text.size() && (text[exponentAt] == '+' || text[exponentAt] == '-')) {
      ++exponentAt;
    }
    std::size_t exponentDigits = 0;
    while (exponentAt < text.size() && std::isdigit(static_cast<unsigned char>(text[exponentAt]))) {
      ++exponentAt, ++exponentDigits;
    }
    if (exponentDigits > 0) at = exponentAt;
  }
  return at;
}

}  // namespace

std::string FormatWithPrefix(double value, std::string_view unit) {
  if (!std::isfinite(value) || std::fabs(value) >= kPrefixedLimit) return std::string(kOverRange);
  const double rounded = RoundSignificant(value, 5);
  if (rounded == 0.0) return "0.0000" + std::string(unit);
  const int exponent = EngineeringExponent(std::fabs(rounded));
  const double mantissa = rounded / std::pow(10.0, exponent);
  const double magnitude = std::fabs(mantissa);
  const int decimals = magnitude < 1.0 ? 4 : std::max(0, 5 - IntegerDigits(magnitude));
  return Fixed(mantissa, decimals) + std::string(PrefixFor(exponent)) + std::string(unit);
}

std::string FormatPlain(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= kPlainLimit) return std::string(kOverRange);
  const double rounded = RoundSignificant(value, 5);
  const double magnitude = std::fabs(rounded);
  const int decimals = magnitude < 1.0 ? 5 : std::max(0, 5 - IntegerDigits(magnitude));
  return Fixed(rounded, decimals);
}

std::string FormatExponent(double value) {
  if (!std::isfinite(value)) return "--";
  const double rounded = RoundSignificant(value, 6);
  if (rounded == 0.0) return "0";
  const int exponent = EngineeringExponent(std::fabs(rounded));
  const double mantissa = rounded / std::pow(10.0, exponent);
  const double magnitude = std::fabs(mantissa);
  std::string text = TrimZeros(Fixed(mantissa, std::max(0, 6 - IntegerDigits(magnitude))));
  if (exponent != 0) text += "e" + std::to_string(exponent);
  return text;
}

std::string FormatPercent(double value) { return TrimZeros(Fixed(value, 2)); }

std::optional<double> ParseNumber(std::string_view text) {
  if (text.empty() || NumberLength(text) != text.size()) return std::nullopt;
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> ParsePrefixedNumber(std::string_view text) {
  const std::size_t length = NumberLength(text);
  if (length == 0) return std::nullopt;
  const std::optional<double> number = ParseNumber(text.substr(0, length));
  if (!number) return std::nullopt;
  const std::string_view rest = text.substr(length);
  if (rest.empty()) return number;
  for (const InputPrefix& prefix : kInputPrefixes) {
    if (rest == prefix.symbol) return *number * prefix.factor;
  }
  return std::nullopt;
}

std::optional<double> ParseNumberWithUnit(std::string_view text, std::string_view unit) {
  if (text.size() > unit.size()) {
    if (EqualIgnoringCase(text.substr(text.size() - unit.size()), unit)) {
      text.remove_suffix(unit.size());
    }
  }
  return ParseNumber(text);
}

bool IsNoLimit(std::string_view text) {
  const std::size_t dashes = text.find_first_not_of('-');
  const std::size_t count = dashes == std::string_view::npos ? text.size() : dashes;
  if (count < 2) return false;
  const std::string_view rest = text.substr(count);
  if (rest.empty()) return true;
  return std::any_of(kInputPrefixes.begin(), kInputPrefixes.end(),
                     [&](const InputPrefix& prefix) { return rest == prefix.symbol; });
}

}  // namespace benchbridge::sim

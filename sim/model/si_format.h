#pragma once
// Number texts as the meter writes and reads them: readings with an SI prefix ("10.023nF"),
// plain ratios ("0.00201"), limits in exponent form ("1.5e-3"), percent limits ("-2.5"), and
// the parameters the panel sends ("10k", "4.7μ", "--").

#include <optional>
#include <string>
#include <string_view>

namespace benchbridge::sim {

// What the meter shows for a value beyond its display.
inline constexpr std::string_view kOverRange = "OVER";

// About five significant digits with the prefix that puts the mantissa in [1, 1000), from p to
// M; micro is written "u". Zero is "0.0000" with the bare unit; beyond 1e10 (or not finite) the
// meter shows kOverRange.
std::string FormatWithPrefix(double value, std::string_view unit);

// Five significant digits, at most five decimals, no prefix (D, Q, angles). kOverRange from 1e6.
std::string FormatPlain(double value);

// Engineering form for the limits: exponent 0, ±3, ±6, -9 or -12, mantissa trimmed of trailing
// zeros, no exponent written for 0 ("10e3", "1.5e-3", "2e6", "100", "0").
std::string FormatExponent(double value);

// Percent with at most two decimals, trailing zeros trimmed ("5", "-2.5", "99.99").
std::string FormatPercent(double value);

// A decimal number: optional sign, digits with an optional point, optional e-exponent. Nothing
// else (no blanks, no "inf").
std::optional<double> ParseNumber(std::string_view text);

// A decimal number followed by at most one SI prefix: p, n, u, μ, µ, m, k (or K), M, G.
// Upper and lower case matter: "m" is milli, "M" mega.
std::optional<double> ParsePrefixedNumber(std::string_view text);

// A number optionally followed by the given unit, compared without regard to case ("1000",
// "1000Hz", "600mV" with unit "mV").
std::optional<double> ParseNumberWithUnit(std::string_view text, std::string_view unit);

// "--" (or any run of two or more dashes, such as "------"), optionally followed by one prefix,
// which the panel appends to an empty limit: "no limit".
bool IsNoLimit(std::string_view text);

}  // namespace benchbridge::sim

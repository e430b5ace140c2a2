#include "bin_limit.h"

#include <cctype>
#include <charconv>
#include <string>

#include "text_helpers.h"

namespace benchbridge {

namespace {

constexpr double kBinLimitBound = 99.99;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits at text[from].
std::size_t Digits(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - from;
}

// The grammar is checked here because from_chars also takes "inf", "nan" and hex forms, and no
// leading "+".
bool IsDecimalNumber(std::string_view text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const std::size_t whole = Digits(text, at);
  at += whole;
  std::size_t fraction = 0;
  if (at < text.size() && text[at] == '.') {
    ++at;
    fraction = Digits(text, at);
    at += fraction;
  }
  if (whole + fraction == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t exponent = Digits(text, at);
    if (exponent == 0) return false;
    at += exponent;
  }
  return at == text.size();
}

}  // namespace

ConversionError::ConversionError(std::string_view text)
    : std::runtime_error("'" + std::string(text) + "' is not a valid floating point value") {}

double TextToFloat(std::string_view text) {
  const std::string trimmed = Trimmed(text);
  if (!IsDecimalNumber(trimmed)) throw ConversionError(text);
  std::string_view number(trimmed);
  if (number.front() == '+') number.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  // Out of the range of a double: such a number is no bin limit either.
  if (error != std::errc() || end != number.data() + number.size()) throw ConversionError(text);
  return value;
}

BinLimitCheck CheckBinLimit(std::string_view text) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty() || trimmed == "------") return BinLimitCheck::kSkipped;
  const double value = TextToFloat(text);
  // The bound is the same double the typed "99.99" converts to, so both ends pass exactly.
  return value >= -kBinLimitBound && value <= kBinLimitBound ? BinLimitCheck::kInRange
                                                             : BinLimitCheck::kOutOfRange;
}

std::string BinLimitMessage(int bin) {
  return std::to_string(bin) + "档参数值有误。参数区间值[-99.99~~+99.99]";
}

}  // namespace benchbridge

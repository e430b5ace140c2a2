#include "text_helpers.h"

#include <array>

namespace benchbridge {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

struct PrefixRow {
  int exponent;
  const char* prefix;
};
constexpr std::array<PrefixRow, 7> kPrefixes = {{
    {0, ""},
    {3, "k"},
    {6, "M"},
    {-3, "m"},
    {-6, "\xCE\xBC"},  // μ U+03BC
    {-9, "n"},
    {-12, "p"},
}};
constexpr std::size_t kExponentMaxLength = 5;

// The prefix of an exponent text such as "-3", "+3" or " -03 ", or nullptr when the text is not
// a plain signed integer of the table.
const char* PrefixOfExponent(std::string_view exponentText) {
  if (exponentText.size() > kExponentMaxLength) return nullptr;
  const std::string text = Trimmed(exponentText);
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return nullptr;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return nullptr;
    value = value * 10 + (c - '0');  // at most five characters: no overflow
  }
  if (negative) value = -value;
  for (const auto& row : kPrefixes) {
    if (row.exponent == value) return row.prefix;
  }
  return nullptr;
}

}  // namespace

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  std::string_view rest = text;
  if (!separator.empty()) {
    for (auto at = rest.find(separator); at != std::string_view::npos; at = rest.find(separator)) {
      if (at > 0) pieces.emplace_back(rest.substr(0, at));
      rest.remove_prefix(at + separator.size());
    }
  }
  if (!Trimmed(rest).empty()) pieces.emplace_back(rest);
  return pieces;
}

MantissaPrefix ExponentToPrefix(std::string_view numberText) {
  const auto at = numberText.find('e');
  if (at != std::string_view::npos) {
    if (const char* prefix = PrefixOfExponent(numberText.substr(at + 1))) {
      return {std::string(numberText.substr(0, at)), prefix};
    }
  }
  // No exponent, or one the table has no prefix for: showing the bare mantissa would scale the
  // value wrongly, so the whole text stays as it is.
  return {std::string(numberText), ""};
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace benchbridge

#pragma once
// Small text operations on commands and replies.

#include <string>
#include <string_view>
#include <vector>

namespace benchbridge {

// Non-empty pieces between separators, in order; the last piece is kept (untrimmed) only when
// its trimmed form is not empty. "a,,b" -> {a, b}; "," -> {}.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

struct MantissaPrefix {
  std::string mantissa;
  std::string prefix;  // "", "k", "M", "m", "μ", "n" or "p"
};

// "1.5e-3" -> {1.5, m}. The exponent (text after the first lower-case e, at most five
// characters, blanks around it ignored) must be a signed integer whose value is one of 0, 3, 6,
// -3, -6, -9, -12 ("+3", "-03" count); otherwise the whole text is the mantissa and the prefix
// is empty.
MantissaPrefix ExponentToPrefix(std::string_view numberText);

// Leading and trailing blanks and control characters removed.
std::string Trimmed(std::string_view text);

}  // namespace benchbridge

#pragma once
// The check the comparator dialog makes on a bin limit before anything is sent.

#include <stdexcept>
#include <string>
#include <string_view>

namespace benchbridge {

// A text that is not a decimal number; what() is the operator's message.
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(std::string_view text);
};

// A decimal floating-point number: optional sign, digits with an optional "." (at least one
// digit), optional exponent; blanks around it are allowed. Throws ConversionError otherwise.
double TextToFloat(std::string_view text);

enum class BinLimitCheck { kSkipped, kInRange, kOutOfRange };

// Empty (after trimming) and "------" are skipped; anything else must lie in -99.99 .. +99.99,
// both ends included. Throws ConversionError for a text that is not a number.
BinLimitCheck CheckBinLimit(std::string_view text);

// The message for a refused limit of the given bin ("1", "2" or "3"); Chinese in either language.
std::string BinLimitMessage(int bin);
inline constexpr const char* kBinLimitTitle = "提示";

}  // namespace benchbridge

#pragma once
// What the comparator dialog makes of the meter's read-back replies. Plain C++ so the reply
// handling can be fuzzed without a display.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge {

// The items of the three prefix lists, in list order. " " (one blank) means no prefix; "M" and
// "m" stand side by side, so every lookup is case-sensitive.
inline constexpr std::array<std::string_view, 7> kPrefixItems{" ", "M", "k", "m", "μ", "n", "p"};

// "COMParator:STATe?": "ON" or "1" is on (switch index 1), "OFF" or "0" off (index 0); anything
// else is no answer. A meter answers in one of the two forms, so both are taken wherever the
// state is read (the connect sequence and the comparator dialog).
std::optional<int> ComparatorSwitchFromReply(std::string_view reply);

// A value read back in exponent form, as the dialog shows it: the mantissa in the box and the
// prefix list's item whose text equals the prefix exactly (none for an empty prefix: the blank
// item is a blank, not an empty text).
struct PrefixedValue {
  std::string mantissa;
  std::optional<int> prefixItem;
};
PrefixedValue PrefixedValueFromReply(std::string_view reply);

// Index of the item whose text equals prefix exactly.
std::optional<int> PrefixItemIndex(std::string_view prefix);

}  // namespace benchbridge

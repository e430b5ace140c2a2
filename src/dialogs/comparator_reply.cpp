#include "comparator_reply.h"

#include "text_helpers.h"

namespace benchbridge {

std::optional<int> ComparatorSwitchFromReply(std::string_view reply) {
  if (reply == "ON" || reply == "1") return 1;
  if (reply == "OFF" || reply == "0") return 0;
  return std::nullopt;
}

std::optional<int> PrefixItemIndex(std::string_view prefix) {
  for (std::size_t i = 0; i < kPrefixItems.size(); ++i) {
    if (kPrefixItems[i] == prefix) return static_cast<int>(i);
  }
  return std::nullopt;
}

PrefixedValue PrefixedValueFromReply(std::string_view reply) {
  MantissaPrefix split = ExponentToPrefix(reply);
  return {std::move(split.mantissa), PrefixItemIndex(split.prefix)};
}

}  // namespace benchbridge

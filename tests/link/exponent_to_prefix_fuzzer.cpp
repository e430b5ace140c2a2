// ExponentToPrefix on any text: the prefix is one of the table's, and a value is either split at
// its first "e" or left whole, never altered.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto result = benchbridge::ExponentToPrefix(text);
  static const std::string_view kPrefixes[] = {"", "k", "M", "m", "\xCE\xBC", "n", "p"};
  bool known = false;
  for (const auto prefix : kPrefixes) known = known || result.prefix == prefix;
  if (!known) __builtin_trap();

  const auto at = text.find('e');
  if (result.mantissa == text) return 0;  // left whole
  // Split: the mantissa is exactly the text before the first "e".
  if (at == std::string_view::npos || result.mantissa != text.substr(0, at)) __builtin_trap();
  if (text.size() - at - 1 > 5) __builtin_trap();
  return 0;
}

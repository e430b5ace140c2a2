// SplitText on any text and separator: the first byte gives the separator's length.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t separatorLength = data[0] % 4;
  if (separatorLength > input.size()) return 0;
  const std::string_view separator = input.substr(0, separatorLength);
  const std::string_view text = input.substr(separatorLength);

  const auto pieces = benchbridge::SplitText(text, separator);
  std::size_t total = 0;
  for (const auto& piece : pieces) {
    if (piece.empty()) __builtin_trap();
    if (!separator.empty() && piece.find(separator) != std::string::npos) __builtin_trap();
    if (text.find(piece) == std::string_view::npos) __builtin_trap();
    total += piece.size();
  }
  if (total > text.size()) __builtin_trap();
  return 0;
}

// Both directions of the wire encoding on any bytes: no crash, well-formed UTF-8 out of the
// decoder, and nothing longer than its input out of the encoder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gbk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string text = benchbridge::GbkToUtf8(bytes);
  if (!benchbridge::IsValidUtf8(text)) __builtin_trap();
  if (text.size() > 3 * size) __builtin_trap();  // at most U+FFFD (three bytes) per byte

  const std::string wire = benchbridge::Utf8ToGbk(bytes);
  if (wire.size() > size) __builtin_trap();  // GBK is never longer than UTF-8

  // What the decoder made encodes back to the same bytes wherever the input was valid.
  const std::string again = benchbridge::GbkToUtf8(benchbridge::Utf8ToGbk(text));
  if (!benchbridge::IsValidUtf8(again)) __builtin_trap();
  return 0;
}

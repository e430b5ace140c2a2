// Any reply the meter might send goes through the display cut and the log normalisation.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reading_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  const benchbridge::Reading reading = benchbridge::SplitReading(reply);
  const std::string line = benchbridge::NewLogLine(benchbridge::NormaliseReading(reading));
  // Per pair at most six exponents of four bytes and one byte for "u" -> "μ"; the six fields
  // are joined by five commas where the reply had at least three.
  if (line.size() > size + 2 * (6 * 4 + 1) + 5) __builtin_trap();
  return 0;
}

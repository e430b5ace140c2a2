// Any reply the meter might send goes through the display cut and the log normalisation.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gbk.h"
#include "reading_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  const benchbridge::Reading reading = benchbridge::SplitReading(reply);
  const std::string line = benchbridge::NewLogLine(benchbridge::NormaliseReading(reading));
  // Per pair at most six exponents of four bytes and one byte for "u" -> "μ"; the six fields
  // are joined by five commas where the reply had at least three.
  if (line.size() > size + 2 * (6 * 4 + 1) + 5) __builtin_trap();
  // As the link hands it over (decoded from GBK), every text made of it is well-formed UTF-8.
  const std::string decoded = benchbridge::GbkToUtf8(reply);
  const benchbridge::Reading split = benchbridge::SplitReading(decoded);
  if (!benchbridge::IsValidUtf8(benchbridge::NewLogLine(benchbridge::NormaliseReading(split))) ||
      !benchbridge::IsValidUtf8(split.primaryUnit) ||
      !benchbridge::IsValidUtf8(split.secondaryUnit)) {
    __builtin_trap();
  }
  return 0;
}

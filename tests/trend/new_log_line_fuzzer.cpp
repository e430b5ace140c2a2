// Any line of a "_new" log, and any file made of such bytes, goes through the reader.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "new_log_reader.h"
#include "reading_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace benchbridge;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const ParsedLogLine parsed = ParseNewLogLine(line);
  if (parsed.kind == LogLineKind::kReading) {
    ReadingStore store(16);
    if (!AddNormalisedReading(store, 0, parsed.fields) || store.Size() != 1) __builtin_trap();
    const StoredReading reading = store.At(0);
    if (std::isinf(reading.primary) || std::isinf(reading.secondary)) __builtin_trap();
  }
  if (parsed.kind != LogLineKind::kNotReading) {
    LocalTimeResolver resolver;
    (void)resolver.Resolve(parsed.stamp, 0);
  }
  return 0;
}

#pragma once
// A day of readings at two a second as the poller writes them to a "_new" log (its own reading
// format and stamps): what the trend benchmarks load as history.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "log_writer.h"
#include "reading_format.h"

namespace benchbridge::bench {

inline constexpr int kTrendDay = 172'800;

// A Cs-D reading of a 22 nF part with a little noise, as the display shows it.
inline Reading NoisyReading(std::mt19937& random) {
  std::normal_distribution<double> noise(0, 0.003);
  char value[32], d[32];
  (void)std::snprintf(value, sizeof value, "%.4f", 22.003 + noise(random));
  (void)std::snprintf(d, sizeof d, "%.5f", 0.00317 + noise(random) / 30);
  return {"Cs", value, "nF", "D", d, ""};
}

// count readings every 500 ms from first on, appended to file.
inline void WriteDayLog(const std::filesystem::path& file,
                        std::chrono::system_clock::time_point first, int count = kTrendDay) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  std::mt19937 random(1);
  for (int i = 0; i < count; ++i) {
    out << NewLogLine(NormaliseReading(NoisyReading(random))) << ", "
        << FormatLogStamp(first + std::chrono::milliseconds(500LL * i)) << '\n';
  }
}

}  // namespace benchbridge::bench

#pragma once
// A day of readings at two a second as the poller writes them to a "_new" log (its own reading
// format and stamps): what the trend benchmarks load as history.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

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

// The comparator's verdict on the i-th reading: mostly bin 1, every 20th bin 2, every 200th OUT.
inline char DayBin(int i) { return i % 200 == 0 ? 'O' : i % 20 == 0 ? '2' : '1'; }

// count readings every 500 ms from first on, appended to file. With bins, the main log beside
// it ("2026-12-10.log" for "2026-12-10_new.log") gets each reading's reply and bin reply, as
// the panel logs them with the comparator on.
inline void WriteDayLog(const std::filesystem::path& file,
                        std::chrono::system_clock::time_point first, int count = kTrendDay,
                        bool bins = false) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  std::ofstream main;
  if (bins) {
    std::string name = file.filename().string();
    name.replace(name.rfind("_new"), 4, "");
    main.open(file.parent_path() / name, std::ios::binary | std::ios::app);
  }
  std::mt19937 random(1);
  for (int i = 0; i < count; ++i) {
    const auto at = first + std::chrono::milliseconds(500LL * i);
    const Reading reading = NoisyReading(random);
    out << NewLogLine(NormaliseReading(reading)) << ", " << FormatLogStamp(at) << '\n';
    if (bins) {
      main << reading.primaryName << ',' << reading.primaryValue << reading.primaryUnit << ','
           << reading.secondaryName << ',' << reading.secondaryValue << ", " << FormatLogStamp(at)
           << '\n'
           << DayBin(i) << ", " << FormatLogStamp(at + std::chrono::milliseconds(40)) << '\n';
    }
  }
}

}  // namespace benchbridge::bench

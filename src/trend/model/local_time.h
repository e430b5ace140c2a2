#pragma once
// Times of the trend: milliseconds since the Unix epoch. The logs stamp local wall-clock time,
// so reading one back means undoing the time zone, including the hour that repeats when
// daylight saving ends.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge {

using TimeMs = std::int64_t;

TimeMs ToTimeMs(std::chrono::system_clock::time_point when);

// The fields of a "yyyy-mm-dd hh:mm:ss:zzz" stamp.
struct LocalStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Exactly 23 bytes in that shape, each field in its range; nullopt otherwise.
std::optional<LocalStamp> ParseLogStamp(std::string_view text);

// Local stamps to epoch times. Consecutive stamps mostly share their minute, so the last
// minute's conversion is kept.
class LocalTimeResolver {
 public:
  // When the wall-clock time occurs twice (daylight saving ends), the earlier of the two that
  // is not before notBefore is taken, so a log read from the top stays in order across the
  // repeated hour. A time the clock skipped is taken as mktime normalises it. nullopt for a
  // date that does not exist (31 February).
  std::optional<TimeMs> Resolve(const LocalStamp& stamp, TimeMs notBefore);

 private:
  std::int64_t minuteKey_ = -1;
  TimeMs earlier_ = 0, later_ = 0;  // the minute's start; equal unless the minute repeats
  bool valid_ = false;
};

// "2026-12-07T14:03:07.045+01:00": local time with milliseconds and the offset in force then.
std::string FormatIsoLocal(TimeMs time);

}  // namespace benchbridge

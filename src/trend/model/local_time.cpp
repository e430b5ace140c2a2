#include "local_time.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace benchbridge {
namespace {

bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

std::tm MinuteFields(const LocalStamp& stamp, int isDst) {
  std::tm fields{};
  fields.tm_year = stamp.year - 1900;
  fields.tm_mon = stamp.month - 1;
  fields.tm_mday = stamp.day;
  fields.tm_hour = stamp.hour;
  fields.tm_min = stamp.minute;
  fields.tm_isdst = isDst;
  return fields;
}

// The epoch second of a local minute under one daylight-saving assumption, if the local time
// it lands on is the one asked for.
std::optional<std::time_t> MinuteStart(const LocalStamp& stamp, int isDst) {
  std::tm fields = MinuteFields(stamp, isDst);
  const std::time_t start = std::mktime(&fields);
  if (start == static_cast<std::time_t>(-1)) return std::nullopt;
  std::tm back{};
  if (localtime_r(&start, &back) == nullptr) return std::nullopt;
  if (back.tm_year != stamp.year - 1900 || back.tm_mon != stamp.month - 1 ||
      back.tm_mday != stamp.day || back.tm_hour != stamp.hour || back.tm_min != stamp.minute) {
    return std::nullopt;
  }
  return start;
}

}  // namespace

TimeMs ToTimeMs(std::chrono::system_clock::time_point when) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
}

std::optional<LocalStamp> ParseLogStamp(std::string_view text) {
  if (text.size() != 23 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':' || text[19] != ':') {
    return std::nullopt;
  }
  LocalStamp s;
  if (!ReadDigits(text, 0, 4, s.year) || !ReadDigits(text, 5, 2, s.month) ||
      !ReadDigits(text, 8, 2, s.day) || !ReadDigits(text, 11, 2, s.hour) ||
      !ReadDigits(text, 14, 2, s.minute) || !ReadDigits(text, 17, 2, s.second) ||
      !ReadDigits(text, 20, 3, s.millisecond)) {
    return std::nullopt;
  }
  if (s.year < 1970 || s.month < 1 || s.month > 12 || s.day < 1 || s.day > 31 || s.hour > 23 ||
      s.minute > 59 || s.second > 60) {
    return std::nullopt;
  }
  return s;
}

std::optional<TimeMs> LocalTimeResolver::Resolve(const LocalStamp& stamp, TimeMs notBefore) {
  const std::int64_t key =
      ((((static_cast<std::int64_t>(stamp.year) * 13 + stamp.month) * 32 + stamp.day) * 24 +
        stamp.hour) *
           60 +
       stamp.minute);
  if (key != minuteKey_) {
    minuteKey_ = key;
    const std::optional<std::time_t> standard = MinuteStart(stamp, 0);
    const std::optional<std::time_t> summer = MinuteStart(stamp, 1);
    valid_ = standard || summer;
    if (standard && summer) {
      earlier_ = static_cast<TimeMs>(std::min(*standard, *summer)) * 1000;
      later_ = static_cast<TimeMs>(std::max(*standard, *summer)) * 1000;
    } else if (valid_) {
      earlier_ = later_ = static_cast<TimeMs>(standard ? *standard : *summer) * 1000;
    } else {
      // Skipped by the clock (spring forward), or not a date at all.
      std::tm fields = MinuteFields(stamp, -1);
      const std::time_t start = std::mktime(&fields);
      // mktime rolls 31 February over into March; only a day that exists in its month counts.
      valid_ = start != static_cast<std::time_t>(-1) && fields.tm_mon == stamp.month - 1;
      earlier_ = later_ = static_cast<TimeMs>(start) * 1000;
    }
  }
  if (!valid_) return std::nullopt;
  const TimeMs within = static_cast<TimeMs>(stamp.second) * 1000 + stamp.millisecond;
  if (earlier_ + within >= notBefore) return earlier_ + within;
  return later_ + within;
}

std::string FormatIsoLocal(TimeMs time) {
  TimeMs seconds = time / 1000;
  int millis = static_cast<int>(time % 1000);
  if (millis < 0) {
    millis += 1000;
    --seconds;
  }
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm fields{};
  localtime_r(&t, &fields);
  const long offset = fields.tm_gmtoff;
  const int offsetMinutes = static_cast<int>((offset < 0 ? -offset : offset) / 60 % (24L * 60));
  char text[64];
  (void)std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d",
                      fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                      fields.tm_min, fields.tm_sec, millis, offset < 0 ? '-' : '+',
                      offsetMinutes / 60, offsetMinutes % 60);
  return text;
}

}  // namespace benchbridge

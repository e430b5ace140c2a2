#include "sweep_point.h"

#include <cmath>

#include "reading_format.h"
#include "reading_values.h"

namespace benchbridge {

const char* PointStatusText(PointStatus status) {
  switch (status) {
    case PointStatus::Measured:
      return "ok";
    case PointStatus::ErrorReply:
      return "error reply";
    case PointStatus::NoReply:
      return "no reply";
    case PointStatus::NoNumber:
      return "no value";
  }
  return "";
}

SweepPoint AveragePoint(int setting, const std::vector<std::string>& replies) {
  SweepPoint point;
  point.setting = setting;
  point.replies = replies;
  point.primary = point.secondary = NAN;
  if (replies.empty()) {
    point.status = PointStatus::NoReply;
    return point;
  }
  double primarySum = 0, secondarySum = 0;
  bool secondaryEverywhere = true;
  for (std::size_t i = 0; i < replies.size(); ++i) {
    const Reading reading = NormaliseReading(SplitReading(replies[i]));
    if (i == 0) {
      point.primaryName = reading.primaryName;
      point.primaryUnit = reading.primaryUnit;
      point.secondaryName = reading.secondaryName;
      point.secondaryUnit = reading.secondaryUnit;
    } else if (reading.primaryName != point.primaryName ||
               reading.secondaryName != point.secondaryName ||
               reading.primaryUnit != point.primaryUnit) {
      point.status = PointStatus::NoNumber;
      return point;
    }
    const std::optional<double> primary = ParseValue(reading.primaryValue);
    const std::optional<double> secondary = ParseValue(reading.secondaryValue);
    if (!primary) {
      point.status = PointStatus::NoNumber;
      return point;
    }
    primarySum += *primary;
    if (secondary) {
      secondarySum += *secondary;
    } else {
      secondaryEverywhere = false;
    }
  }
  const double count = static_cast<double>(replies.size());
  point.primary = primarySum / count;
  point.secondary = secondaryEverywhere ? secondarySum / count : NAN;
  return point;
}

}  // namespace benchbridge

#pragma once
// One point of a sweep: the setting, the readings as the meter sent them, and their average in
// plain units, or why the point is missing.

#include <string>
#include <vector>

#include "impedance_pair.h"

namespace benchbridge {

enum class PointStatus {
  Measured,
  ErrorReply,  // "cmd err" / "exec err" to the setting or a reading
  NoReply,     // no answer in time
  NoNumber,    // the meter answered without a value ("OVER")
};

struct SweepPoint {
  int setting = 0;  // Hz or mV
  PointStatus status = PointStatus::Measured;
  std::vector<std::string> replies;  // the averaged readings, as sent
  std::string primaryName, primaryUnit, secondaryName, secondaryUnit;  // units without prefix
  double primary = 0, secondary = 0;  // the averages; NaN where the meter sent no number

  bool Missing() const { return status != PointStatus::Measured; }
  MeasuredPair Pair() const { return {primaryName, primary, secondaryName, secondary}; }
};

// "ok", "error reply", "no reply", "no value": the status column of the export.
const char* PointStatusText(PointStatus status);

// The point of the given readings: their values averaged (each parsed as the log normalises it);
// a reading that differs from the first in its names or has no primary number makes it NoNumber.
SweepPoint AveragePoint(int setting, const std::vector<std::string>& replies);

}  // namespace benchbridge

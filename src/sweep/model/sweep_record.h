#pragma once
// A sweep as the window keeps it, exports it and reads it back as a reference: what was swept,
// how, when, how it ended, and its points.

#include <string>
#include <vector>

#include "local_time.h"
#include "sweep_plan.h"
#include "sweep_point.h"

namespace benchbridge {

struct SweepRecord {
  std::string name;  // the reference's name; the file's name for a loaded one
  SweptSetting setting = SweptSetting::Frequency;
  SweepSpacing spacing = SweepSpacing::Logarithmic;
  int averaging = 1;
  // A level or bias sweep: the test frequency it ran at (0 when unknown), which the quantities
  // derived from its points need.
  int fixedFrequencyHz = 0;
  int planned = 0;  // points planned
  TimeMs started = 0;
  std::string end;  // "complete", "stopped at point 12 of 51", ...
  std::vector<SweepPoint> points;

  int MissingCount() const;
  double FrequencyAt(const SweepPoint& point) const {
    return setting == SweptSetting::Frequency ? point.setting : fixedFrequencyHz;
  }
};

}  // namespace benchbridge

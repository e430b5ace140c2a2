#pragma once
// When the meter takes its readings while it triggers itself: one every period, whether or not
// anybody asks. Readings that fell due while nobody asked are counted (for the statistics) when
// the next question comes, up to kMaxCatchUp of them.

#include <chrono>

#include "clock_noise.h"

namespace benchbridge::sim {

class MeasurementSchedule {
 public:
  static constexpr int kMaxCatchUp = 64;

  void Restart(Clock::TimePoint now) { last_ = now; }

  // Readings due since the last one; the schedule moves on by as many whole periods.
  int Due(Clock::TimePoint now, std::chrono::milliseconds period) {
    if (period.count() <= 0 || now < last_ + period) return 0;
    const auto periods = (now - last_) / period;
    last_ += periods * period;
    return periods > kMaxCatchUp ? kMaxCatchUp : static_cast<int>(periods);
  }

 private:
  Clock::TimePoint last_{};
};

}  // namespace benchbridge::sim

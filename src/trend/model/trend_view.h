#pragma once
// Which stretch of time the trend shows: the newest readings over a fixed span (following), or
// a range the operator zoomed and panned to (held).

#include <utility>

#include "local_time.h"

namespace benchbridge {

enum class TrendSpan { kMinute, kTenMinutes, kHour, kAll };

class TrendView {
 public:
  using Range = std::pair<TimeMs, TimeMs>;

  // Back to following, over the new span.
  void SetSpan(TrendSpan span);
  void Follow() { following_ = true; }
  TrendSpan Span() const { return span_; }
  bool Following() const { return following_; }

  // The range to draw for readings from oldest to newest; never empty. While following, the
  // newest reading is at most a sixtieth of the width short of the right edge.
  Range Shown(TimeMs oldest, TimeMs newest) const;

  // Both hold the view: factor < 1 zooms in around the time under the pointer, and a pan
  // moves the range by delta.
  void Zoom(double factor, TimeMs around, TimeMs oldest, TimeMs newest);
  void Pan(TimeMs delta, TimeMs oldest, TimeMs newest);

 private:
  TrendSpan span_ = TrendSpan::kTenMinutes;
  bool following_ = true;
  Range held_{0, 1};
};

}  // namespace benchbridge

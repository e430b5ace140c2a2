#include "trend_view.h"

#include <algorithm>
#include <cmath>

namespace benchbridge {
namespace {

constexpr TimeMs kMinimumWidth = 1000;  // narrower than a second shows nothing more

TimeMs SpanMs(TrendSpan span) {
  switch (span) {
    case TrendSpan::kMinute:
      return 60'000;
    case TrendSpan::kTenMinutes:
      return 600'000;
    case TrendSpan::kHour:
      return 3'600'000;
    case TrendSpan::kAll:
      break;
  }
  return 0;
}

}  // namespace

void TrendView::SetSpan(TrendSpan span) {
  span_ = span;
  following_ = true;
}

// While following, the right edge moves in steps of a sixtieth of the span, so the axes stay
// put between steps and a redraw is mostly the curve; "All" is exactly the readings' extent.
TrendView::Range TrendView::Shown(TimeMs oldest, TimeMs newest) const {
  if (!following_) return held_;
  auto ceilTo = [](TimeMs time, TimeMs base, TimeMs step) {
    const TimeMs offset = time - base;
    return base + (offset / step + (offset % step > 0 ? 1 : 0)) * step;
  };
  if (span_ == TrendSpan::kAll) {
    if (newest - oldest < kMinimumWidth) return {newest - kMinimumWidth, newest};
    return {oldest, newest};
  }
  const TimeMs span = SpanMs(span_);
  const TimeMs to = ceilTo(newest, 0, span / 60);
  return {to - span, to};
}

void TrendView::Zoom(double factor, TimeMs around, TimeMs oldest, TimeMs newest) {
  const Range shown = Shown(oldest, newest);
  if (!(factor > 0) || !std::isfinite(factor)) return;
  around = std::clamp(around, shown.first, shown.second);
  const double width =
      std::max(static_cast<double>(kMinimumWidth), (shown.second - shown.first) * factor);
  const double share = static_cast<double>(around - shown.first) / (shown.second - shown.first);
  const TimeMs from = around - static_cast<TimeMs>(std::llround(width * share));
  held_ = {from, from + static_cast<TimeMs>(std::llround(width))};
  following_ = false;
}

void TrendView::Pan(TimeMs delta, TimeMs oldest, TimeMs newest) {
  const Range shown = Shown(oldest, newest);
  held_ = {shown.first + delta, shown.second + delta};
  following_ = false;
}

}  // namespace benchbridge

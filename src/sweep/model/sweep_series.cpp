#include "sweep_series.h"

#include <cmath>

namespace benchbridge {

SweepSeries SeriesOf(const SweepRecord& record, const PlotChoice& choice) {
  SweepSeries series;
  const bool primary = choice.side == MeasuredSide::Primary;
  if (choice.derived) {
    series.name = DerivedName(*choice.derived, choice.circuit);
    series.unit = DerivedUnit(*choice.derived);
  }
  for (const SweepPoint& point : record.points) {
    series.x.push_back(point.setting);
    double y = NAN;
    if (!point.Missing()) {
      if (choice.derived) {
        const double hz = record.FrequencyAt(point);
        if (const auto z = ImpedanceOf(point.Pair(), hz)) {
          y = Derived(*choice.derived, *z, hz, choice.circuit);
        }
      } else {
        // One sweep keeps one function; a point measured otherwise (changed by hand meanwhile)
        // is left out rather than drawn against another unit.
        const std::string& name = primary ? point.primaryName : point.secondaryName;
        const std::string& unit = primary ? point.primaryUnit : point.secondaryUnit;
        if (series.name.empty() && series.unit.empty()) {
          series.name = name;
          series.unit = unit;
        }
        if (name == series.name && unit == series.unit)
          y = primary ? point.primary : point.secondary;
      }
    }
    series.y.push_back(std::isfinite(y) ? y : NAN);
  }
  return series;
}

int NearestPoint(const SweepSeries& series, double x, bool logarithmic) {
  int best = -1;
  double bestDistance = INFINITY;
  for (std::size_t i = 0; i < series.x.size(); ++i) {
    const double distance = logarithmic && x > 0 && series.x[i] > 0
                                ? std::fabs(std::log(series.x[i] / x))
                                : std::fabs(series.x[i] - x);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
    }
  }
  return best;
}

}  // namespace benchbridge

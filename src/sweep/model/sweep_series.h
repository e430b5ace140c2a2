#pragma once
// What one plot of the sweep window draws from a sweep: the measured primary or secondary value,
// or a quantity derived from the measured pair, against the swept setting. Missing points stay
// in as NaN, so the curve breaks there.

#include <optional>
#include <string>
#include <vector>

#include "impedance_pair.h"
#include "sweep_record.h"

namespace benchbridge {

enum class MeasuredSide { Primary, Secondary };

struct PlotChoice {
  MeasuredSide side = MeasuredSide::Primary;  // when nothing is derived
  std::optional<DerivedQuantity> derived;     // else this, for the circuit below
  EquivalentCircuit circuit = EquivalentCircuit::Series;
};

struct SweepSeries {
  std::string name, unit;    // "Cs", "F"; "|Z|", "Ω"
  std::vector<double> x, y;  // the swept values (Hz, mV) and the plotted ones
};

SweepSeries SeriesOf(const SweepRecord& record, const PlotChoice& choice);

// The index of the point whose swept value lies nearest to x (on a log axis: by ratio), -1 for
// none.
int NearestPoint(const SweepSeries& series, double x, bool logarithmic);

}  // namespace benchbridge

#pragma once
// Axes in engineers' units, without Qt: which SI prefix a range reads best in, round ticks
// (1, 2, 2.5 or 5 x 10^n of that unit, or 1-2-5 per decade on a logarithmic axis, or round
// seconds, minutes and hours on a time axis) and labels with just enough digits that no two
// neighbouring ticks read alike.
//
// A plot draws the values in the axis's own units (AxisScale::ToPlot): 22.0031 for 22.0031 nF,
// so the range it hands its chart is never a sliver of 1e-14 wide.

#include <cstdint>
#include <string>
#include <vector>

#include "local_time.h"

namespace benchbridge {

// What an axis shows: "Cs" in "F"; resolution is the smallest step of the values (from the
// digits the meter sends), in the unit, or 0 when not known.
struct AxisQuantity {
  std::string name, unit;
  double resolution = 0;
};

struct AxisTick {
  double position = 0;  // in plot coordinates (see AxisScale)
  std::string label;    // "" for a minor tick without a label
};

struct AxisScale {
  // The range in plot coordinates: the value divided by factor, and its log10 on a
  // logarithmic axis.
  double low = 0, high = 1;
  double factor = 1;
  bool logarithmic = false;
  std::string prefix;           // "n", "μ", ""
  std::string title;            // "Cs (nF)", "D", "f (kHz)"
  std::vector<AxisTick> ticks;  // ascending, all within [low, high]

  // From a value in the unit (farads, hertz, ms since the epoch) to the plot's coordinate.
  double ToPlot(double value) const;
  double FromPlot(double position) const;
  // Whether [low, high] of values in the unit lies within the range.
  bool Holds(double lowValue, double highValue) const;
};

// Whether a unit takes SI prefixes: not "", "deg", "°" or "%".
bool TakesPrefix(const std::string& unit);
// The exponent (a multiple of 3 from -12 to 9) under which magnitude reads from 1 to 999, and
// its symbol ("p" ... "G"); 0 and "" for 0 or non-finite magnitudes.
int PrefixExponent(double magnitude);
const char* PrefixSymbol(int exponent);

// A linear axis over the values [low, high] (in the unit) with a little room on both sides;
// from maxTicks / 2 to maxTicks ticks inside. A steady value (low == high) gets a small
// range centred on it: four resolution steps, or a ten-thousandth of the value.
AxisScale LinearScale(double low, double high, const AxisQuantity& quantity, int maxTicks = 6);
// A logarithmic axis over [low, high] (both > 0; otherwise the range is made positive): ticks
// at 1-2-5 steps of each decade over up to three decades, at the decades over more, at finer
// steps within one decade.
AxisScale LogScale(double low, double high, const AxisQuantity& quantity);
// A count axis from 0 to at least most, with whole-number ticks only.
AxisScale CountScale(std::uint64_t most, const std::string& title, int maxTicks = 5);
// A time axis over [from, to] (ms since the epoch, plotted as they are), ticks on round local
// times: "14:05:10", "14:05", "12-07 14:00"; at most maxTicks.
AxisScale TimeScale(TimeMs from, TimeMs to, int maxTicks = 6);

// The round step (1, 2, 2.5 or 5 x 10^n) that splits span into at most parts parts.
double RoundStep(double span, int parts);

}  // namespace benchbridge

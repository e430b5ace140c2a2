#include "axis_scale.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace benchbridge {
namespace {

constexpr double kTiny = 1e-9;  // relative slack for comparisons of computed positions

// printf with a precision, as a string; "-0.00" becomes "0.00".
std::string Fixed(double value, int decimals) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string label(text, static_cast<std::size_t>(std::clamp(n, 0, 63)));
  if (label.starts_with('-') && label.find_first_not_of("-0.") == std::string::npos) {
    label.erase(0, 1);
  }
  return label;
}

// The fewest decimals (up to 12) with which value reads back as itself.
int DecimalsOf(double value) {
  for (int decimals = 0; decimals < 12; ++decimals) {
    const double back = std::strtod(Fixed(value, decimals).c_str(), nullptr);
    if (std::abs(back - value) <= kTiny * std::abs(value)) return decimals;
  }
  return 12;
}

// Labels of positions that are multiples of step; in e-notation when the numbers are too big
// for plain digits, and with more digits should two neighbours still read alike.
std::vector<AxisTick> StepTicks(double low, double high, double step) {
  std::vector<AxisTick> ticks;
  if (!(step > 0) || !std::isfinite(low) || !std::isfinite(high)) return ticks;
  const double first = std::ceil(low / step - kTiny), last = std::floor(high / step + kTiny);
  if (!(last - first < 1000)) return ticks;
  const bool huge = std::max(std::abs(low), std::abs(high)) >= 1e9;
  for (int decimals = DecimalsOf(step); decimals <= 15; ++decimals) {
    ticks.clear();
    bool distinct = true;
    for (int k = 0; k <= static_cast<int>(last - first); ++k) {
      const double position = (first + k) * step;
      char text[64];
      if (huge) {
        (void)std::snprintf(text, sizeof text, "%.*e", decimals + 2, position);
      }
      std::string label = huge ? std::string(text) : Fixed(position, decimals);
      if (!ticks.empty() && ticks.back().label == label) distinct = false;
      ticks.push_back({position, std::move(label)});
    }
    if (distinct) break;
  }
  return ticks;
}

std::string Title(const AxisQuantity& quantity, const std::string& prefix) {
  if (quantity.unit.empty()) return quantity.name;
  const std::string unit = "(" + prefix + quantity.unit + ")";
  return quantity.name.empty() ? unit : quantity.name + " " + unit;
}

}  // namespace

double AxisScale::ToPlot(double value) const {
  return logarithmic ? std::log10(value / factor) : value / factor;
}

double AxisScale::FromPlot(double position) const {
  return logarithmic ? std::pow(10.0, position) * factor : position * factor;
}

bool AxisScale::Holds(double lowValue, double highValue) const {
  return ToPlot(lowValue) >= low && ToPlot(highValue) <= high;
}

bool TakesPrefix(const std::string& unit) {
  return !unit.empty() && unit != "deg" && unit != "\xC2\xB0" && unit != "%";
}

int PrefixExponent(double magnitude) {
  if (!(magnitude > 0) || !std::isfinite(magnitude)) return 0;
  int exponent = 3 * static_cast<int>(std::floor(std::log10(magnitude) / 3));
  // log10 of an exact power of ten may land just beside it.
  if (magnitude / std::pow(10.0, exponent) >= 1000 * (1 - kTiny)) exponent += 3;
  if (magnitude / std::pow(10.0, exponent) < 1 - kTiny) exponent -= 3;
  return std::clamp(exponent, -12, 9);
}

const char* PrefixSymbol(int exponent) {
  static constexpr std::array<const char*, 8> kSymbols{"p", "n", "\xCE\xBC", "m",
                                                       "",  "k", "M",        "G"};
  const int index = std::clamp(exponent, -12, 9) / 3 + 4;
  return kSymbols[static_cast<std::size_t>(index)];
}

double RoundStep(double span, int parts) {
  const double raw = span / std::max(parts, 1);
  if (!(raw > 0) || !std::isfinite(raw)) return 1;
  const double base = std::pow(10.0, std::floor(std::log10(raw)));
  for (double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (mantissa * base >= raw * (1 - kTiny)) return mantissa * base;
  }
  return 10 * base;
}

AxisScale LinearScale(double low, double high, const AxisQuantity& quantity, int maxTicks) {
  if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0;
  if (low > high) std::swap(low, high);
  maxTicks = std::max(maxTicks, 3);
  const double magnitude = std::max(std::abs(low), std::abs(high));
  // Narrower than this is a steady value: four steps of the resolution, or 1e-4 of the value.
  double least = quantity.resolution > 0 ? std::max(4 * quantity.resolution, 1e-9 * magnitude)
                                         : 1e-4 * magnitude;
  if (!(least > 0)) least = 2;
  AxisScale scale;
  double from = 0, to = 0;
  if (high - low < least) {
    const double middle = low / 2 + high / 2;
    from = middle - least / 2;
    to = middle + least / 2;
  } else {
    const double pad = (high - low) * 0.05;
    from = low - pad;
    to = high + pad;
  }
  const int exponent =
      TakesPrefix(quantity.unit) ? PrefixExponent(std::max(std::abs(from), std::abs(to))) : 0;
  scale.factor = std::pow(10.0, exponent);
  scale.prefix = exponent == 0 ? "" : PrefixSymbol(exponent);
  scale.title = Title(quantity, scale.prefix);
  from /= scale.factor;
  to /= scale.factor;
  scale.low = from;
  scale.high = to;
  // Round steps with the range's ends between ticks can leave a single tick: finer then.
  for (int parts = maxTicks - 1; parts <= 4 * maxTicks; ++parts) {
    scale.ticks = StepTicks(scale.low, scale.high, RoundStep(to - from, parts));
    if (scale.ticks.size() >= 2) break;
  }
  return scale;
}

AxisScale LogScale(double low, double high, const AxisQuantity& quantity) {
  if (low > high) std::swap(low, high);
  if (!(high > 0) || !std::isfinite(high)) high = 10;
  if (!(low > 0) || !std::isfinite(low)) low = high / 1000;
  if (high / low < 1.01) {
    low /= 1.2;
    high *= 1.2;
  }
  AxisScale scale;
  scale.logarithmic = true;
  const int exponent = TakesPrefix(quantity.unit) ? PrefixExponent(std::sqrt(low * high)) : 0;
  scale.factor = std::pow(10.0, exponent);
  scale.prefix = exponent == 0 ? "" : PrefixSymbol(exponent);
  scale.title = Title(quantity, scale.prefix);
  scale.low = scale.ToPlot(low);
  scale.high = scale.ToPlot(high);
  const double decades = scale.high - scale.low;
  auto within = [&](double position) {
    return position >= scale.low - kTiny && position <= scale.high + kTiny;
  };
  auto label = [](double value) { return Fixed(value, DecimalsOf(value)); };
  auto decadeTicks = [&](std::initializer_list<double> mantissas) {
    std::vector<AxisTick> ticks;
    for (int n = static_cast<int>(std::floor(scale.low));
         n <= static_cast<int>(std::ceil(scale.high)); ++n) {
      for (double mantissa : mantissas) {
        const double value = mantissa * std::pow(10.0, n);
        if (within(std::log10(value))) ticks.push_back({std::log10(value), label(value)});
      }
    }
    return ticks.size() >= 2 ? ticks : std::vector<AxisTick>{};
  };
  // Qt Charts gives each label an equal share of the axis's length, whether it has text or
  // not, so over many decades the 1-2-5 steps would cut the decades' labels short: there, the
  // decades alone.
  scale.ticks = decades <= 3 ? decadeTicks({1, 2, 5}) : decadeTicks({1});
  if (scale.ticks.empty()) scale.ticks = decadeTicks({1, 2, 3, 4, 5, 6, 7, 8, 9});
  if (scale.ticks.empty()) {
    // Less than a decade with hardly a 1-9 step inside: round linear steps, placed by log.
    const double from = std::pow(10.0, scale.low), to = std::pow(10.0, scale.high);
    for (AxisTick tick : StepTicks(from, to, RoundStep(to - from, 4))) {
      if (tick.position <= 0) continue;
      tick.position = std::log10(tick.position);
      if (within(tick.position)) scale.ticks.push_back(std::move(tick));
    }
  }
  return scale;
}

AxisScale CountScale(std::uint64_t most, const std::string& title, int maxTicks) {
  const double top = std::max(1.0, static_cast<double>(most) * 1.05);
  double step = std::max(1.0, RoundStep(top, std::max(maxTicks - 1, 1)));
  if (std::fmod(step, 1.0) != 0) step = RoundStep(step * 1.01, 1);  // 2.5 -> 5: whole counts
  AxisScale scale;
  scale.title = title;
  scale.low = 0;
  scale.high = std::ceil(top / step - kTiny) * step;
  scale.ticks = StepTicks(0, scale.high, step);
  return scale;
}

AxisScale TimeScale(TimeMs from, TimeMs to, int maxTicks) {
  static constexpr std::array<TimeMs, 24> kSteps{
      100,        200,        500,        1'000,       2'000,       5'000,
      10'000,     15'000,     30'000,     60'000,      120'000,     300'000,
      600'000,    900'000,    1'800'000,  3'600'000,   7'200'000,   10'800'000,
      21'600'000, 43'200'000, 86'400'000, 172'800'000, 604'800'000, 2'419'200'000};
  if (to <= from) to = from + 1;
  AxisScale scale;
  scale.low = static_cast<double>(from);
  scale.high = static_cast<double>(to);
  const TimeMs span = to - from;
  TimeMs step = kSteps.back();
  for (TimeMs candidate : kSteps) {
    if (span / candidate <= std::max(maxTicks - 1, 1)) {
      step = candidate;
      break;
    }
  }
  // Round in local time: minutes, hours and days as the wall clock shows them.
  auto localTm = [](TimeMs time) {
    const std::time_t seconds = static_cast<std::time_t>(time / 1000 - (time % 1000 < 0));
    std::tm local{};
    (void)localtime_r(&seconds, &local);
    return local;
  };
  const TimeMs offset = static_cast<TimeMs>(localTm(from).tm_gmtoff) * 1000;
  auto floorDiv = [](TimeMs a, TimeMs b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); };
  const bool days = span > 86'400'000 || localTm(from).tm_yday != localTm(to).tm_yday;
  for (TimeMs tick = (floorDiv(from + offset - 1, step) + 1) * step - offset; tick <= to;
       tick += step) {
    const std::tm local = localTm(tick);
    char text[32];
    if (step < 1'000) {
      (void)std::snprintf(text, sizeof text, "%02d:%02d:%02d.%d", local.tm_hour, local.tm_min,
                          local.tm_sec, static_cast<int>(((tick % 1000) + 1000) % 1000 / 100));
    } else if (step < 60'000) {
      (void)std::strftime(text, sizeof text, "%H:%M:%S", &local);
    } else if (days) {
      (void)std::strftime(text, sizeof text, step >= 86'400'000 ? "%m-%d" : "%m-%d %H:%M", &local);
    } else {
      (void)std::strftime(text, sizeof text, "%H:%M", &local);
    }
    scale.ticks.push_back({static_cast<double>(tick), text});
  }
  return scale;
}

}  // namespace benchbridge

// Axes in engineers' units: the prefix, round ticks, labels that never read alike, steady
// values, decades and round times, checked on the values the meter really gives.
#include "axis_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace benchbridge {
namespace {

std::vector<std::string> Labels(const AxisScale& scale) {
  std::vector<std::string> labels;
  for (const AxisTick& tick : scale.ticks) labels.push_back(tick.label);
  return labels;
}

// Round: every step between labelled ticks is 1, 2, 2.5 or 5 x 10^n, and no two alike.
void ExpectRoundDistinctTicks(const AxisScale& scale) {
  ASSERT_GE(scale.ticks.size(), 2u) << scale.title;
  const double step = scale.ticks[1].position - scale.ticks[0].position;
  const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  EXPECT_TRUE(std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
              std::abs(mantissa - 2.5) < 1e-6 || std::abs(mantissa - 5) < 1e-6)
      << step;
  std::set<std::string> seen;
  for (const AxisTick& tick : scale.ticks) {
    EXPECT_TRUE(seen.insert(tick.label).second) << tick.label;
    EXPECT_GE(tick.position, scale.low - 1e-9 * std::abs(scale.low));
    EXPECT_LE(tick.position, scale.high + 1e-9 * std::abs(scale.high));
    EXPECT_NEAR(std::remainder(tick.position, step), 0, 1e-6 * step);
  }
}

TEST(AxisScale, ValuesReadInOnePrefixOnRoundDistinctTicks) {
  // A 100 pF part whose scatter is a few 1e-14 F.
  AxisScale pf = LinearScale(100.003e-12, 100.041e-12, {"Cs", "F"});
  EXPECT_EQ(pf.title, "Cs (pF)");
  EXPECT_EQ(Labels(pf), (std::vector<std::string>{"100.01", "100.02", "100.03", "100.04"}));
  EXPECT_DOUBLE_EQ(pf.ToPlot(100.02e-12), 100.02);
  ExpectRoundDistinctTicks(pf);

  // 4.7 pF, 22 nF, 2.2 mH, 1.5 kΩ, a D with the tiniest spread, a negative deviation.
  for (const auto& [low, high, unit, title] :
       std::vector<std::tuple<double, double, std::string, std::string>>{
           {4.6998e-12, 4.7013e-12, "F", "x (pF)"},
           {2.20031e-8, 2.20054e-8, "F", "x (nF)"},
           {2.2e-3, 2.3e-3, "H", "x (mH)"},
           {1499.2, 1500.9, "\xCE\xA9", "x (k\xCE\xA9)"},
           {0.003161, 0.003172, "", "x"},
           {-5.2e-12, 3.1e-12, "F", "x (pF)"}}) {
    const AxisScale scale = LinearScale(low, high, {"x", unit});
    EXPECT_EQ(scale.title, title);
    ExpectRoundDistinctTicks(scale);
    EXPECT_LE(scale.low, scale.ToPlot(low));
    EXPECT_GE(scale.high, scale.ToPlot(high));
    EXPECT_LE(scale.ticks.size(), 6u);
  }
  EXPECT_EQ(Labels(LinearScale(-0.4, 0.4, {"x", ""})),
            (std::vector<std::string>{"-0.4", "-0.2", "0.0", "0.2", "0.4"}));  // never "-0.0"
  // However few ticks fit, at least two.
  EXPECT_EQ(Labels(LinearScale(21.993e-9, 22.013e-9, {"Cs", "F"}, 3)),
            (std::vector<std::string>{"22.00", "22.01"}));
  EXPECT_EQ(Labels(LinearScale(0, 10, {"n", ""})),
            (std::vector<std::string>{"0.0", "2.5", "5.0", "7.5", "10.0"}));
}

TEST(AxisScale, ASteadyValueGetsASmallRangeAroundIt) {
  // 22.001 nF for an hour: not 0-1, centred, ticks on the meter's last digit.
  const AxisScale steady = LinearScale(22.001e-9, 22.001e-9, {"Cs", "F"});
  EXPECT_EQ(steady.title, "Cs (nF)");
  EXPECT_NEAR((steady.low + steady.high) / 2, 22.001, 1e-9);
  EXPECT_NEAR(steady.high - steady.low, 22.001e-4, 1e-9);
  ExpectRoundDistinctTicks(steady);
  const AxisScale d = LinearScale(0.003, 0.003, {"D", "", 1e-5});
  EXPECT_EQ(Labels(d),
            (std::vector<std::string>{"0.00298", "0.00299", "0.00300", "0.00301", "0.00302"}));
  const AxisScale zero = LinearScale(0, 0, {"I", "A"});
  EXPECT_LT(zero.low, 0);
  EXPECT_GT(zero.high, 0);
  ExpectRoundDistinctTicks(zero);
  // Nonsense in, a usable axis out.
  ExpectRoundDistinctTicks(LinearScale(NAN, INFINITY, {"x", "F"}));
  EXPECT_LE(LinearScale(-1e300, 1e300, {"x", "F"}).ticks.size(), 6u);
}

TEST(AxisScale, LogarithmicAxesShowDecadesWithOneTwoFiveSteps) {
  const AxisScale hz = LogScale(20, 1e6, {"f", "Hz"});
  EXPECT_EQ(hz.title, "f (kHz)");
  EXPECT_TRUE(hz.logarithmic);
  EXPECT_NEAR(hz.FromPlot(hz.low), 20, 1e-9);
  EXPECT_NEAR(hz.FromPlot(hz.high), 1e6, 1e-3);
  EXPECT_EQ(Labels(hz), (std::vector<std::string>{"0.1", "1", "10", "100", "1000"}));
  EXPECT_EQ(Labels(LogScale(100, 10e3, {"f", "Hz"})),
            (std::vector<std::string>{"0.1", "0.2", "0.5", "1", "2", "5", "10"}));
  // Within a decade the steps get finer, and steady or nonsense ranges still get ticks.
  EXPECT_EQ(Labels(LogScale(1.1e3, 4.2e3, {"f", "Hz"})), (std::vector<std::string>{"2", "3", "4"}));
  EXPECT_GE(LogScale(1.2e3, 1.25e3, {"f", "Hz"}).ticks.size(), 2u);
  EXPECT_GE(LogScale(-1, 0, {"f", "Hz"}).ticks.size(), 2u);
}

TEST(AxisScale, CountsAndTimesTickOnWholeNumbersAndRoundTimes) {
  for (std::uint64_t most : {0ull, 1ull, 2ull, 7ull, 13ull, 245ull, 100000ull}) {
    const AxisScale counts = CountScale(most, "readings");
    EXPECT_GE(counts.high, static_cast<double>(most));
    for (const AxisTick& tick : counts.ticks) {
      EXPECT_EQ(tick.position, std::round(tick.position));
      EXPECT_EQ(tick.label, std::to_string(static_cast<long long>(tick.position)));
    }
  }
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  const TimeMs base = 1796994000000;  // 2026-12-11 14:00:00 in Berlin
  const AxisScale minute = TimeScale(base + 78'123, base + 138'123);  // 14:01:18 to 14:02:18
  EXPECT_EQ(Labels(minute),
            (std::vector<std::string>{"14:01:30", "14:01:45", "14:02:00", "14:02:15"}));
  EXPECT_EQ(Labels(TimeScale(base - 1'800'000, base + 3'000'000)),
            (std::vector<std::string>{"13:30", "13:45", "14:00", "14:15", "14:30", "14:45"}));
  EXPECT_EQ(Labels(TimeScale(base, base + 2'500)).front(), "14:00:00.0");
  EXPECT_EQ(Labels(TimeScale(base - 86'400'000, base + 86'400'000)).front(), "12-11 00:00");
}

}  // namespace
}  // namespace benchbridge

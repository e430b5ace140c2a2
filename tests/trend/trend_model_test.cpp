// The trend's model against sets whose answers are known: the store's bounds and breaks,
// statistics over block edges, the pixel-column reduction, the bin tally and the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>

#include "bin_tally.h"
#include "column_reduction.h"
#include "range_statistics.h"
#include "reading_store.h"
#include "reading_values.h"
#include "trend_view.h"

namespace benchbridge {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kBlock = ReadingStore::kBlockSize;

Reading Normalised(std::string primaryValue, std::string secondaryValue,
                   std::string primaryName = "Cs", std::string secondaryName = "D") {
  return {primaryName, primaryValue, "F", secondaryName, secondaryValue, ""};
}

TEST(ReadingStore, KeepsTheNewestWithinItsCapacityAndBreaksWhereReadingsStopped) {
  ReadingStore store(3 * kBlock + 10);
  const std::uint16_t cs = store.Intern({"Cs", "F", "D", ""});
  for (std::size_t i = 0; i < 5 * kBlock; ++i) store.Add(1000 + 500 * i, i, 0.5, cs);
  EXPECT_EQ(store.Size(), 3 * kBlock + 10);
  EXPECT_EQ(store.Dropped(), 2 * kBlock - 10);
  EXPECT_EQ(store.ValueAt(Parameter::kPrimary, store.Begin()), 2.0 * kBlock - 10);
  EXPECT_EQ(store.LowerBound(1000 + 500 * (4 * kBlock) - 1), 4 * kBlock);

  ReadingStore breaks;
  const std::uint16_t ls = breaks.Intern({"Ls", "H", "Q", ""});
  ASSERT_EQ(breaks.Intern({"Cs", "F", "D", ""}), 1);
  breaks.Add(0, 1, 2, ls);
  breaks.Add(2500, 1, 2, ls);  // 2.5 s is still one run
  breaks.Add(5001, 1, 2, ls);  // more is a gap
  breaks.MarkGap();            // disconnection
  breaks.Add(5500, 1, 2, ls);
  EXPECT_TRUE(AddNormalisedReading(breaks, 6000, Normalised("22.003e-9", "0.0031")));
  EXPECT_FALSE(AddNormalisedReading(breaks, 6500, Normalised("", "")));  // empty reply
  EXPECT_TRUE(AddNormalisedReading(breaks, 7000, Normalised(" +22.1e-9", "x")));
  breaks.Add(6000, 3, 4, 1);  // the clock went back: kept in order at the newest time
  ASSERT_EQ(breaks.Size(), 7u);
  std::vector<bool> expected{false, false, true, true, true, true, false};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(breaks.BreakBefore(i), expected[i]);
  EXPECT_DOUBLE_EQ(breaks.ValueAt(Parameter::kPrimary, 4), 22.003e-9);
  EXPECT_DOUBLE_EQ(breaks.ValueAt(Parameter::kPrimary, 5), 22.1e-9);
  EXPECT_TRUE(std::isnan(breaks.ValueAt(Parameter::kSecondary, 5)));
  EXPECT_EQ(breaks.TimeAt(6), 7000);
  EXPECT_EQ(breaks.Reordered(), 1u);

  // A meter inventing a name per reading fills the name table only so far.
  for (int i = 0; i < 3000; ++i) breaks.Intern({"P" + std::to_string(i), "", "", ""});
  EXPECT_EQ(breaks.KindCount(), ReadingStore::kMaxKinds);
}

TEST(RangeStatistics, MatchTwoPassFiguresOverBlockEdgesPerParameter) {
  ReadingStore store;
  const std::uint16_t csD = store.Intern({"Cs", "F", "D", ""});
  const std::uint16_t csQ = store.Intern({"Cs", "F", "Q", ""});
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 1e-13);
  std::vector<double> cs, d, q;
  const std::size_t count = 3 * kBlock + 300;
  for (std::size_t i = 0; i < count; ++i) {
    const bool late = i >= 2 * kBlock + 100;  // the operator switched D to Q mid-block
    const double c = 22.003e-9 + noise(random);
    const double s = late ? 300.0 + i % 7 : 0.0031 + 1e-6 * (i % 5);
    store.Add(static_cast<TimeMs>(i) * 500, c, s, late ? csQ : csD);
    if (i >= 10) {  // the range starts inside the first block
      cs.push_back(c);
      (late ? q : d).push_back(s);
    }
  }
  const auto rows = StatisticsInRange(store, 10, store.End());
  ASSERT_EQ(rows.size(), 3u);
  const std::vector<std::pair<std::string, std::vector<double>*>> want{
      {"Cs", &cs}, {"D", &d}, {"Q", &q}};
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::vector<double>& values = *want[r].second;
    double mean = 0;
    for (double v : values) mean += v / values.size();
    double squares = 0;
    for (double v : values) squares += (v - mean) * (v - mean);
    SCOPED_TRACE(rows[r].name);
    EXPECT_EQ(rows[r].name, want[r].first);
    EXPECT_EQ(rows[r].stats.count, values.size());
    EXPECT_NEAR(rows[r].stats.mean, mean, std::abs(mean) * 1e-12);
    EXPECT_NEAR(rows[r].stats.SampleStdDev(), std::sqrt(squares / (values.size() - 1)),
                std::sqrt(squares / (values.size() - 1)) * 1e-6);
    EXPECT_EQ(rows[r].stats.min, *std::min_element(values.begin(), values.end()));
    EXPECT_EQ(rows[r].stats.max, *std::max_element(values.begin(), values.end()));
  }
  EXPECT_TRUE(std::isnan(StatisticsInRange(store, 0, 1)[0].stats.SampleStdDev()));

  const auto histogram =
      PrimaryHistogram(store, 0, 4, csD, 22.003e-9 - 1e-12, 22.003e-9 + 1e-12, 4);
  EXPECT_EQ(histogram.size(), 4u);
  EXPECT_EQ(histogram[0] + histogram[1] + histogram[2] + histogram[3], 4u);
}

TEST(ColumnReduction, KeepsEveryColumnsExtremesAndBreaksAtGaps) {
  ReadingStore store;
  const std::uint16_t kind = store.Intern({"Cs", "F", "D", ""});
  std::mt19937 random(11);
  std::uniform_real_distribution<double> value(-1, 1);
  std::vector<StoredReading> raw;
  TimeMs time = 0;
  for (std::size_t i = 0; i < 20 * kBlock; ++i) {
    time += i % 5000 == 4999 ? 60'000 : 500;  // a minute of silence now and then
    double v = value(random);
    if (i == 7777) v = 50;  // one spike
    const double secondary = i % 3000 == 0 ? kNaN : v;
    store.Add(time, v, secondary, kind);
    raw.push_back(store.At(store.End() - 1));
  }
  const TimeMs from = 10'000, to = time - 10'000;
  for (int columns : {1, 37, 800}) {
    for (Parameter parameter : {Parameter::kPrimary, Parameter::kSecondary}) {
      const auto points = ReduceToColumns(store, parameter, from, to, columns);
      auto columnOf = [&](TimeMs t) {
        return static_cast<int>((t - from) * columns / (to - from));
      };
      // Every column's minimum and maximum is among the points of that column.
      std::vector<double> low(columns, 1e9), high(columns, -1e9);
      std::size_t breaks = 0;
      for (const StoredReading& r : raw) {
        const double v = parameter == Parameter::kPrimary ? r.primary : r.secondary;
        if (r.time < from || r.time >= to || std::isnan(v)) continue;
        const int c = std::min(columnOf(r.time), columns - 1);
        low[c] = std::min(low[c], v);
        high[c] = std::max(high[c], v);
      }
      std::vector<double> drawnLow(columns, 1e9), drawnHigh(columns, -1e9);
      TimeMs previous = std::numeric_limits<TimeMs>::min();
      for (const PlotPoint& p : points) {
        EXPECT_GE(p.time, previous);
        previous = p.time;
        if (std::isnan(p.value)) {
          ++breaks;
          continue;
        }
        if (p.time < from || p.time >= to) continue;
        const int c = std::min(columnOf(p.time), columns - 1);
        drawnLow[c] = std::min(drawnLow[c], p.value);
        drawnHigh[c] = std::max(drawnHigh[c], p.value);
      }
      EXPECT_EQ(drawnLow, low);
      EXPECT_EQ(drawnHigh, high);
      EXPECT_LE(points.size(), 4u * (columns + 2) + 5 * breaks);
      // Four silences lie in the range; the secondary also breaks at each missing value.
      EXPECT_GE(breaks, parameter == Parameter::kPrimary ? 4u : 10u);
      if (columns == 800 && parameter == Parameter::kPrimary) {
        EXPECT_NE(std::find_if(points.begin(), points.end(),
                               [](const PlotPoint& p) { return p.value == 50; }),
                  points.end());
      }
    }
  }
  EXPECT_TRUE(ReduceToColumns(ReadingStore(), Parameter::kPrimary, 0, 10, 5).empty());
}

// Readings arrive one by one (with silences, missing values, a change of pair and stretches of
// equal values); asked after each, the resumed reduction and histogram equal a fresh pass.
TEST(ColumnReduction, ResumingAfterNewReadingsGivesWhatAFreshPassGives) {
  ReadingStore store;
  const std::uint16_t cs = store.Intern({"Cs", "F", "D", ""});
  const std::uint16_t ls = store.Intern({"Ls", "H", "Q", ""});
  ColumnReducer primary, secondary;
  HistogramCounter histogram;
  std::mt19937 random(5);
  std::uniform_real_distribution<double> value(0, 1);
  TimeMs time = 0;
  const TimeMs from = 0, to = 3 * kBlock * 500;
  for (std::size_t i = 0; i < 3 * kBlock + 200; ++i) {
    time += i % 700 == 699 ? 9'000 : 500;
    if (i == 1500) store.MarkGap();
    const double v = i % 300 < 150 ? 0.5 : value(random);
    store.Add(time, v, i % 97 == 0 ? kNaN : v, i > 2000 && i < 2100 ? ls : cs);
    if (i % 7 != 0 && i < 3000) continue;  // redraws now and then, as the window's timer
    for (int columns : {5, 600}) {
      SCOPED_TRACE(::testing::Message() << "reading " << i << ", " << columns << " columns");
      ColumnReducer& reducer = columns == 5 ? secondary : primary;
      const Parameter parameter = columns == 5 ? Parameter::kSecondary : Parameter::kPrimary;
      const auto fresh = ReduceToColumns(store, parameter, from, to, columns);
      const auto resumed = reducer.Reduce(store, parameter, from, to, columns);
      ASSERT_EQ(resumed.size(), fresh.size());
      for (std::size_t k = 0; k < fresh.size(); ++k) {
        ASSERT_EQ(resumed[k].time, fresh[k].time);
        ASSERT_TRUE(resumed[k].value == fresh[k].value ||
                    (std::isnan(resumed[k].value) && std::isnan(fresh[k].value)));
      }
    }
    ASSERT_EQ(histogram.Count(store, 10, store.End(), cs, 0.2, 0.9, 8),
              PrimaryHistogram(store, 10, store.End(), cs, 0.2, 0.9, 8));
  }
  // Another store in the same place starts over.
  ReadingStore other;
  other.Add(5, 0.3, 0.3, other.Intern({"Cs", "F", "D", ""}));
  store = std::move(other);
  primary.Reset();
  EXPECT_EQ(primary.Reduce(store, Parameter::kPrimary, from, to, 600).size(), 1u);
  EXPECT_EQ(histogram.Count(store, 0, 1, 0, 0.2, 0.9, 8)[1], 1u);
}

// Bins in long runs of one (whole stretches taken at once) and mixed (every reading looked at),
// some readings without one, a bin that comes after its reading was drawn: every column shows
// each of its bins at that bin's extremes, and resuming gives what a fresh pass gives.
TEST(ColumnReduction, MarksEachBinsExtremesInEveryColumn) {
  ReadingStore store;
  const std::uint16_t kind = store.Intern({"Cs", "F", "D", ""});
  std::mt19937 random(17);
  std::uniform_real_distribution<double> value(-1, 1);
  const char kBins[] = {'1', '2', 'O', 0};
  ColumnReducer reducer;
  TimeMs time = 0;
  const TimeMs from = 20'000, to = 8 * kBlock * 500;
  for (std::size_t i = 0; i < 8 * kBlock; ++i) {
    time += i % 3000 == 2999 ? 30'000 : 500;
    store.Add(time, value(random), 0, kind);
    const char bin = (i / 700) % 2 == 0 ? '1' : kBins[random() % 4];
    if (i % 50 == 0) {  // drawn before the bin came
      reducer.Reduce(store, Parameter::kPrimary, from, to, 300, kind, true);
    }
    if (bin != 0) store.SetLatestBin(bin);
    if (i % 211 != 0 && i + 1 != 8 * kBlock) continue;
    SCOPED_TRACE(::testing::Message() << "reading " << i);
    reducer.Reduce(store, Parameter::kPrimary, from, to, 300, kind, true);
    ASSERT_EQ(reducer.Marks(), BinMarksInColumns(store, Parameter::kPrimary, from, to, 300, kind));
  }
  const auto marks = BinMarksInColumns(store, Parameter::kPrimary, from, to, 300, kind);
  using Key = std::pair<int, char>;  // column, bin
  std::map<Key, std::pair<double, double>> expected, drawn;
  auto note = [](std::map<Key, std::pair<double, double>>& extremes, Key key, double v) {
    auto [at, fresh] = extremes.try_emplace(key, v, v);
    at->second = {std::min(at->second.first, v), std::max(at->second.second, v)};
  };
  auto column = [&](TimeMs t) { return static_cast<int>((t - from) * 300 / (to - from)); };
  for (std::uint64_t i = store.Begin(); i < store.End(); ++i) {
    const StoredReading r = store.At(i);
    if (r.time >= from && r.time < to && r.bin != 0)
      note(expected, {column(r.time), r.bin}, r.primary);
  }
  for (const BinMark& mark : marks) {
    if (mark.time >= from && mark.time < to) note(drawn, {column(mark.time), mark.bin}, mark.value);
  }
  EXPECT_EQ(drawn, expected);
  EXPECT_LE(marks.size(), 2 * 3 * (300 + 2) + 2 * 3 * 2 * 3);  // two per bin and column (and break)
  EXPECT_TRUE(reducer.Reduce(store, Parameter::kPrimary, from, to, 300, kind).size() > 0);
  EXPECT_TRUE(reducer.Marks().empty());  // not asked for
}

TEST(BinTally, CountsThePollersBinTextsAndTheShareOfNumberedBins) {
  BinTally tally;
  for (const char* text :
       {"BIN:1", "BIN:2", "BIN:1", "BIN:OUT", "BIN:AUX", "BIN:3", "BIN:1", "BIN:OUT"}) {
    const std::optional<char> bin = BinFromDisplayText(text);
    ASSERT_TRUE(bin) << text;
    tally.Add(*bin);
  }
  for (const char* text : {"BIN:", "BIN:12", "OUT", "2"}) EXPECT_FALSE(BinFromDisplayText(text));
  std::vector<std::pair<std::string, std::uint64_t>> rows;
  for (const BinTally::Row& row : tally.Rows()) rows.push_back({BinLabel(row.bin), row.count});
  EXPECT_EQ(rows, (std::vector<std::pair<std::string, std::uint64_t>>{
                      {"1", 3}, {"2", 1}, {"3", 1}, {"OUT", 2}, {"AUX", 1}}));
  EXPECT_EQ(tally.Total(), 8u);
  EXPECT_DOUBLE_EQ(tally.Yield(), 5.0 / 8);
  tally.Reset();
  EXPECT_EQ(tally.Total(), 0u);
  EXPECT_TRUE(std::isnan(tally.Yield()));
  EXPECT_TRUE(tally.Rows().empty());
}

// A day as an inspector has it: a pair, NULL pressed (deviations), another function, bins.
TEST(RangeStatistics, DeviationsAndFunctionsAreSeriesOfTheirOwnWithTheirOwnBins) {
  ReadingStore store;
  TimeMs time = 0;
  for (std::size_t i = 0; i < 3 * kBlock; ++i) {
    const bool deviation = i >= kBlock && i < 2 * kBlock;
    const Reading reading = i < 2 * kBlock
                                ? Normalised(deviation ? "-5.02e-12" : "22.0031e-9", "0.0031")
                                : Reading{"Lp", "2.2e-3", "H", "Q", "30", ""};
    ASSERT_TRUE(AddNormalisedReading(store, time += 500, reading, deviation));
    store.SetLatestBin(i % 4 == 0 ? 'O' : static_cast<char>('1' + i % 3));
  }
  const auto rows = StatisticsInRange(store, store.Begin(), store.End());
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].name, "Cs");
  EXPECT_DOUBLE_EQ(rows[0].stats.mean, 22.0031e-9);
  EXPECT_EQ(rows[1].name, "D");
  EXPECT_EQ(rows[1].stats.count, 2 * kBlock);
  EXPECT_EQ(rows[2].name, "Cs \u0394");
  EXPECT_DOUBLE_EQ(rows[2].stats.max, -5.02e-12);
  EXPECT_EQ(rows[3].name, "Lp");
  const auto kinds = KindsInRange(store, store.Begin() + 10, store.End());
  ASSERT_EQ(kinds.size(), 3u);
  EXPECT_TRUE(store.Names(kinds[1]).deviation);
  EXPECT_DOUBLE_EQ(store.Resolution(kinds[0], Parameter::kPrimary), 1e-13);
  EXPECT_DOUBLE_EQ(store.Resolution(kinds[2], Parameter::kSecondary), 1);

  // Each series' line holds only its own readings; the others break it.
  for (const PlotPoint& point :
       ReduceToColumns(store, Parameter::kPrimary, 0, time, 100, kinds[1])) {
    if (!std::isnan(point.value)) {
      EXPECT_DOUBLE_EQ(point.value, -5.02e-12);
    }
  }
  // The tally of a series over a range, whole blocks or not, as counted one by one.
  for (const auto& [begin, end] :
       {std::pair<std::uint64_t, std::uint64_t>{0, 3 * kBlock}, {kBlock - 7, 2 * kBlock + 5}}) {
    for (std::uint16_t kind : kinds) {
      BinTally expected;
      for (std::uint64_t i = begin; i < end; ++i) {
        if (store.KindAt(i) == kind) expected.Add(store.At(i).bin);
      }
      const BinTally tally = TallyInRange(store, begin, end, kind);
      EXPECT_EQ(tally.Total(), expected.Total());
      EXPECT_EQ(tally.Passed(), expected.Passed());
    }
  }
  EXPECT_EQ(TallyInRange(store, 0, kBlock, kinds[0]).Total(), kBlock);
}

TEST(RangeStatistics, HistogramBinsAreWholeStepsOfTheDisplayedDigits) {
  EXPECT_DOUBLE_EQ(ValueResolution("22.0031e-9"), 1e-13);
  EXPECT_DOUBLE_EQ(ValueResolution("0.0030"), 1e-4);
  EXPECT_DOUBLE_EQ(ValueResolution("150"), 1);
  EXPECT_EQ(ValueResolution("x"), 0);
  // Five-digit readings over 37 steps: 30 equal bins would leave a comb of empty ones.
  ReadingStore store;
  const std::uint16_t cs = store.Intern({"Cs", "F", "D", ""});
  std::mt19937 random(7);
  for (int i = 0; i < 5000; ++i) {
    store.Add(500 * i, (22.000 + 0.001 * static_cast<int>(random() % 38)) * 1e-9, 0.003, cs);
  }
  const HistogramPlan plan = PlanHistogram(22.000e-9, 22.037e-9, 1e-12, 30);
  EXPECT_LE(plan.bins, 30);
  EXPECT_NEAR((plan.high - plan.low) / plan.bins, 2e-12, 1e-24);  // two steps a bin
  const auto counts = PrimaryHistogram(store, 0, store.End(), cs, plan.low, plan.high, plan.bins);
  for (std::uint64_t count : counts) EXPECT_GT(count, 100u);
  // A steady value: one bin around it.
  EXPECT_EQ(PlanHistogram(22e-9, 22e-9, 1e-12, 30).bins, 1);
}

TEST(TrendView, FollowsTheNewestUntilZoomedOrPanned) {
  TrendView view;
  view.SetSpan(TrendSpan::kMinute);
  EXPECT_EQ(view.Shown(0, 600'000), TrendView::Range(540'000, 600'000));
  view.Zoom(0.5, 570'000, 0, 600'000);  // halves around the pointer, holds
  EXPECT_FALSE(view.Following());
  EXPECT_EQ(view.Shown(0, 900'000), TrendView::Range(555'000, 585'000));
  view.Pan(-5'000, 0, 900'000);
  EXPECT_EQ(view.Shown(0, 900'000), TrendView::Range(550'000, 580'000));
  view.Follow();
  EXPECT_EQ(view.Shown(0, 900'000), TrendView::Range(840'000, 900'000));
  // The edge moves in whole steps, so the axes stay put between them.
  EXPECT_EQ(view.Shown(0, 900'001), TrendView::Range(841'000, 901'000));
  EXPECT_EQ(view.Shown(0, 900'999), TrendView::Range(841'000, 901'000));
  view.SetSpan(TrendSpan::kAll);
  EXPECT_EQ(view.Shown(100, 900'000), TrendView::Range(100, 900'000));  // ends at the newest
  EXPECT_EQ(view.Shown(5'000, 5'000), TrendView::Range(4'000, 5'000));
}

}  // namespace
}  // namespace benchbridge

#pragma once
// Statistics of the readings in a range of the store, one row per measured parameter (a name
// with its unit: "Cs" in F and "D" are two rows; Cs-D then Cs-Q keeps one "Cs" row).

#include <cstdint>
#include <string>
#include <vector>

#include "bin_tally.h"
#include "reading_store.h"
#include "running_stats.h"

namespace benchbridge {

struct ParameterStatistics {
  std::string name, unit;  // name as PrimaryLabel gives it: "Cs Δ" for deviations
  bool primary = false;    // first seen as a primary parameter
  RunningStats stats;
};

// Over the indices [begin, end) of the store; rows in the order the parameters first appear,
// each pair's primary before its secondary. Parameters without any number are left out.
std::vector<ParameterStatistics> StatisticsInRange(const ReadingStore& store, std::uint64_t begin,
                                                   std::uint64_t end);

// The kinds of the readings in [begin, end), in the order they first appear.
std::vector<std::uint16_t> KindsInRange(const ReadingStore& store, std::uint64_t begin,
                                        std::uint64_t end);

// The bins of the readings of kind in [begin, end) (those without a bin are not counted).
BinTally TallyInRange(const ReadingStore& store, std::uint64_t begin, std::uint64_t end,
                      std::uint16_t kind);

// Bins for a histogram of values from min to max: each as wide as a whole number of the
// values' resolution steps (when known) and centred on the values the meter can show, so that
// no bin is empty only because no value can fall into it; at most maxBins.
struct HistogramPlan {
  double low = 0, high = 1;
  int bins = 1;
};
HistogramPlan PlanHistogram(double min, double max, double resolution, int maxBins);

// How many primary values of the given pair fall into each of bins equal parts of [low, high]
// (high itself in the last part); values outside are not counted.
std::vector<std::uint64_t> PrimaryHistogram(const ReadingStore& store, std::uint64_t begin,
                                            std::uint64_t end, std::uint16_t kind, double low,
                                            double high, int bins);

// PrimaryHistogram that remembers its counts: asked again with the same store, start, pair,
// limits and bins after readings were only added at the end, it counts just the new ones.
class HistogramCounter {
 public:
  const std::vector<std::uint64_t>& Count(const ReadingStore& store, std::uint64_t begin,
                                          std::uint64_t end, std::uint16_t kind, double low,
                                          double high, int bins);
  // The store was replaced or changed other than at its end: the next Count starts over.
  void Reset() { store_ = nullptr; }

 private:
  const ReadingStore* store_ = nullptr;
  std::uint64_t storeBegin_ = 0, begin_ = 0, end_ = 0;
  std::uint16_t kind_ = 0;
  double low_ = 0, high_ = 0;
  TimeMs lastTime_ = 0;  // of the last reading counted, to tell a store that was replaced
  std::vector<std::uint64_t> counts_;
};

}  // namespace benchbridge

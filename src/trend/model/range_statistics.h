#pragma once
// Statistics of the readings in a range of the store, one row per measured parameter (a name
// with its unit: "Cs" in F and "D" are two rows; Cs-D then Cs-Q keeps one "Cs" row).

#include <cstdint>
#include <string>
#include <vector>

#include "reading_store.h"
#include "running_stats.h"

namespace benchbridge {

struct ParameterStatistics {
  std::string name, unit;
  bool primary = false;  // first seen as a primary parameter
  RunningStats stats;
};

// Over the indices [begin, end) of the store; rows in the order the parameters first appear,
// each pair's primary before its secondary. Parameters without any number are left out.
std::vector<ParameterStatistics> StatisticsInRange(const ReadingStore& store, std::uint64_t begin,
                                                   std::uint64_t end);

// How many primary values of the given pair fall into each of bins equal parts of [low, high]
// (high itself in the last part); values outside are not counted.
std::vector<std::uint64_t> PrimaryHistogram(const ReadingStore& store, std::uint64_t begin,
                                            std::uint64_t end, std::uint16_t kind, double low,
                                            double high, int bins);

}  // namespace benchbridge

#include "range_statistics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

namespace benchbridge {

std::vector<ParameterStatistics> StatisticsInRange(const ReadingStore& store, std::uint64_t begin,
                                                   std::uint64_t end) {
  begin = std::max(begin, store.Begin());
  end = std::min(end, store.End());
  // By kind first, in the order the kinds appear: one lookup per reading or per block.
  std::vector<std::uint16_t> order;
  std::map<std::uint16_t, std::array<RunningStats, 2>> byKind;
  auto statsOf = [&](std::uint16_t kind) -> std::array<RunningStats, 2>& {
    auto [it, inserted] = byKind.try_emplace(kind);
    if (inserted) order.push_back(kind);
    return it->second;
  };
  std::uint16_t lastKind = 0;
  std::array<RunningStats, 2>* last = nullptr;
  for (std::uint64_t i = begin; i < end;) {
    if (i + ReadingStore::kBlockSize <= end) {
      const ReadingStore::BlockSummary* block = store.CompleteBlock(i);
      if (block != nullptr && !block->mixedKinds) {
        auto& stats = statsOf(block->kind);
        stats[0].Merge(block->stats[0]);
        stats[1].Merge(block->stats[1]);
        i += ReadingStore::kBlockSize;
        continue;
      }
    }
    const StoredReading reading = store.At(i);
    if (last == nullptr || reading.kind != lastKind) {
      last = &statsOf(reading.kind);
      lastKind = reading.kind;
    }
    if (!std::isnan(reading.primary)) (*last)[0].Add(reading.primary);
    if (!std::isnan(reading.secondary)) (*last)[1].Add(reading.secondary);
    ++i;
  }

  std::vector<ParameterStatistics> rows;
  auto merge = [&rows](const std::string& name, const std::string& unit, bool primary,
                       const RunningStats& stats) {
    if (stats.count == 0) return;
    for (ParameterStatistics& row : rows) {
      if (row.name == name && row.unit == unit) {
        row.stats.Merge(stats);
        return;
      }
    }
    rows.push_back({name, unit, primary, stats});
  };
  for (std::uint16_t kind : order) {
    const ParameterNames& names = store.Names(kind);
    const auto& stats = byKind[kind];
    merge(PrimaryLabel(names), names.primaryUnit, true, stats[0]);
    merge(names.secondaryName, names.secondaryUnit, false, stats[1]);
  }
  return rows;
}

std::vector<std::uint16_t> KindsInRange(const ReadingStore& store, std::uint64_t begin,
                                        std::uint64_t end) {
  begin = std::max(begin, store.Begin());
  end = std::min(end, store.End());
  std::vector<std::uint16_t> kinds;
  auto note = [&kinds](std::uint16_t kind) {
    if (kinds.empty() || kinds.back() != kind) {
      if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
    }
  };
  for (std::uint64_t i = begin; i < end;) {
    const ReadingStore::BlockSummary* block =
        i + ReadingStore::kBlockSize <= end ? store.CompleteBlock(i) : nullptr;
    if (block != nullptr && !block->mixedKinds) {
      note(block->kind);
      i += ReadingStore::kBlockSize;
      continue;
    }
    const ReadingStore::Run run = store.RunAt(i, end);
    for (std::size_t k = 0; k < run.count; ++k) note(run.kind[k]);
    i += run.count;
  }
  return kinds;
}

BinTally TallyInRange(const ReadingStore& store, std::uint64_t begin, std::uint64_t end,
                      std::uint16_t kind) {
  begin = std::max(begin, store.Begin());
  end = std::min(end, store.End());
  BinTally tally;
  static constexpr std::array<char, kBinSlots - 1> kSlotBins{'0', '1', '2', '3', '4', '5',
                                                             '6', '7', '8', '9', 'O', 'A'};
  for (std::uint64_t i = begin; i < end;) {
    const ReadingStore::BlockSummary* block =
        i + ReadingStore::kBlockSize <= end ? store.CompleteBlock(i) : nullptr;
    if (block != nullptr && !block->mixedKinds && block->bins[kBinSlots - 1] == 0) {
      if (block->kind == kind) {
        for (std::size_t slot = 0; slot < kSlotBins.size(); ++slot) {
          tally.Add(kSlotBins[slot], block->bins[slot]);
        }
      }
      i += ReadingStore::kBlockSize;
      continue;
    }
    const ReadingStore::Run run = store.RunAt(i, end);
    for (std::size_t k = 0; k < run.count; ++k) {
      if (run.kind[k] == kind && run.bin[k] != 0) tally.Add(run.bin[k]);
    }
    i += run.count;
  }
  return tally;
}

HistogramPlan PlanHistogram(double min, double max, double resolution, int maxBins) {
  maxBins = std::max(maxBins, 1);
  if (!(min <= max) || !std::isfinite(min) || !std::isfinite(max)) return {};
  HistogramPlan plan;
  const double steps = resolution > 0 ? (max - min) / resolution : 0;
  if (resolution > 0 && steps < 1e9) {
    const double perBin = std::max(1.0, std::ceil((std::round(steps) + 1) / maxBins));
    const double width = perBin * resolution;
    plan.low = (std::round(min / resolution) - 0.5) * resolution;
    plan.bins = static_cast<int>(std::floor((max - plan.low) / width)) + 1;
    plan.high = plan.low + width * plan.bins;
    return plan;
  }
  // Resolution unknown: equal bins over the range, a small one around a steady value.
  const double pad = max > min ? 0 : std::max(std::abs(min) * 1e-6, 1e-15);
  plan.low = min - pad;
  plan.high = max + pad;
  plan.bins = maxBins;
  return plan;
}

namespace {

// Adds the primary values of [begin, end) to counts, which split [low, high] evenly.
void CountPrimaries(const ReadingStore& store, std::uint64_t begin, std::uint64_t end,
                    std::uint16_t kind, double low, double high,
                    std::vector<std::uint64_t>& counts) {
  const double perBin = static_cast<double>(counts.size()) / (high - low);
  for (std::uint64_t i = begin; i < end;) {
    const ReadingStore::Run run = store.RunAt(i, end);
    for (std::size_t k = 0; k < run.count; ++k) {
      const double value = run.value[0][k];
      if (run.kind[k] != kind || !(value >= low && value <= high)) continue;
      const std::size_t bin = high > low ? static_cast<std::size_t>((value - low) * perBin) : 0;
      counts[std::min(bin, counts.size() - 1)] += 1;
    }
    i += run.count;
  }
}

}  // namespace

std::vector<std::uint64_t> PrimaryHistogram(const ReadingStore& store, std::uint64_t begin,
                                            std::uint64_t end, std::uint16_t kind, double low,
                                            double high, int bins) {
  std::vector<std::uint64_t> counts(static_cast<std::size_t>(std::max(bins, 1)), 0);
  begin = std::max(begin, store.Begin());
  end = std::min(end, store.End());
  CountPrimaries(store, begin, end, kind, low, high, counts);
  return counts;
}

const std::vector<std::uint64_t>& HistogramCounter::Count(const ReadingStore& store,
                                                          std::uint64_t begin, std::uint64_t end,
                                                          std::uint16_t kind, double low,
                                                          double high, int bins) {
  begin = std::max(begin, store.Begin());
  end = std::min(end, store.End());
  const bool resumes = store_ == &store && storeBegin_ == store.Begin() && begin_ == begin &&
                       end_ <= end && kind_ == kind && low_ == low && high_ == high &&
                       counts_.size() == static_cast<std::size_t>(std::max(bins, 1)) &&
                       (end_ == begin_ || store.TimeAt(end_ - 1) == lastTime_);
  if (!resumes) {
    counts_ = PrimaryHistogram(store, begin, end, kind, low, high, bins);
  } else if (end > end_) {
    CountPrimaries(store, end_, end, kind, low, high, counts_);
  }
  store_ = &store;
  storeBegin_ = store.Begin();
  begin_ = begin;
  end_ = end;
  kind_ = kind;
  low_ = low;
  high_ = high;
  if (end > begin) lastTime_ = store.TimeAt(end - 1);
  return counts_;
}

}  // namespace benchbridge

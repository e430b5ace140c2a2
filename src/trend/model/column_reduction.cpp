#include "column_reduction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace benchbridge {
namespace {

struct Column {
  bool used = false;
  PlotPoint first, min, max, last;

  void Add(PlotPoint point) {
    if (!used) {
      used = true;
      first = min = max = last = point;
      return;
    }
    if (point.value < min.value) min = point;
    if (point.value > max.value) max = point;
    last = point;
  }

  void Flush(std::vector<PlotPoint>& out) {
    if (!used) return;
    const PlotPoint* points[4] = {&first, &min, &max, &last};
    if (max.time < min.time) std::swap(points[1], points[2]);
    const PlotPoint* previous = nullptr;
    for (const PlotPoint* point : points) {
      if (previous != nullptr && point->time == previous->time && point->value == previous->value) {
        continue;
      }
      out.push_back(*point);
      previous = point;
    }
    used = false;
  }
};

}  // namespace

std::vector<PlotPoint> ReduceToColumns(const ReadingStore& store, Parameter parameter, TimeMs from,
                                       TimeMs to, int columns) {
  std::vector<PlotPoint> out;
  if (store.Empty() || to < from) return out;
  columns = std::max(columns, 1);
  std::uint64_t begin = store.LowerBound(from);
  std::uint64_t end = store.LowerBound(to + 1);
  if (begin > store.Begin()) --begin;
  if (end < store.End()) ++end;

  const double columnMs = std::max(1.0, static_cast<double>(to - from) / columns);
  auto columnOf = [&](TimeMs time) {
    const double position = std::floor(static_cast<double>(time - from) / columnMs);
    return static_cast<long long>(std::clamp(position, -1.0, static_cast<double>(columns)));
  };
  const int p = static_cast<int>(parameter);
  const double kBreak = std::numeric_limits<double>::quiet_NaN();

  Column column;
  long long current = std::numeric_limits<long long>::min();
  bool broken = false;  // a break is owed before the next point
  for (std::uint64_t i = begin; i < end;) {
    const TimeMs time = store.TimeAt(i);
    const double value = store.ValueAt(parameter, i);
    if (i != begin && store.BreakBefore(i)) broken = true;
    if (std::isnan(value)) {
      broken = true;
      ++i;
      continue;
    }
    const long long at = columnOf(time);
    if (broken || at != current) {
      column.Flush(out);
      if (broken && !out.empty() && !std::isnan(out.back().value)) out.push_back({time, kBreak});
      broken = false;
      current = at;
    }
    column.Add({time, value});

    // A whole block that lies in this column, unbroken and with this parameter throughout,
    // adds its extremes and its last reading without looking at the rest.
    const std::uint64_t next = i + 1;
    if (next % ReadingStore::kBlockSize == 0 && next + ReadingStore::kBlockSize <= end) {
      const ReadingStore::BlockSummary* block = store.CompleteBlock(next);
      const std::uint64_t lastOfBlock = next + ReadingStore::kBlockSize - 1;
      if (block != nullptr && !block->breakInside && !store.BreakBefore(next) &&
          block->stats[p].count == ReadingStore::kBlockSize &&
          columnOf(store.TimeAt(lastOfBlock)) == current) {
        column.Add({store.TimeAt(next + block->minAt[p]), block->stats[p].min});
        column.Add({store.TimeAt(next + block->maxAt[p]), block->stats[p].max});
        column.Add({store.TimeAt(lastOfBlock), store.ValueAt(parameter, lastOfBlock)});
        i = lastOfBlock + 1;
        continue;
      }
    }
    i = next;
  }
  column.Flush(out);
  return out;
}

}  // namespace benchbridge

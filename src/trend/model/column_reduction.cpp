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

  // Column c covers [from + c * width / columns, from + (c + 1) * width / columns), in whole
  // milliseconds; -1 and columns stand for the readings just outside.
  const TimeMs width = std::max<TimeMs>(to - from, 1);
  auto columnOf = [&](TimeMs time) -> long long {
    if (time < from) return -1;
    if (time >= to) return columns;
    return static_cast<long long>((time - from) * columns / width);
  };
  auto columnEnd = [&](long long column) -> TimeMs {
    if (column < 0) return from;
    if (column >= columns) return std::numeric_limits<TimeMs>::max();
    // The first millisecond of the next column: ceil(from + (column + 1) * width / columns).
    return from + ((column + 1) * width + columns - 1) / columns;
  };
  const int p = static_cast<int>(parameter);
  const double kBreak = std::numeric_limits<double>::quiet_NaN();

  Column column;
  long long current = std::numeric_limits<long long>::min();
  TimeMs currentEnd = std::numeric_limits<TimeMs>::min();  // readings before it are in current
  bool broken = false;                                     // a break is owed before the next point
  constexpr std::uint64_t kStretch = ReadingStore::kStretchSize;
  for (std::uint64_t i = begin; i < end;) {
    // A whole stretch that lies in the current column, unbroken and with this parameter
    // throughout, adds its extremes and its last reading without looking at the rest.
    if (i != begin && column.used && i + kStretch <= end) {
      const ReadingStore::StretchSummary* stretch = store.CompleteStretch(i);
      const std::uint64_t last = i + kStretch - 1;
      if (stretch != nullptr && !stretch->breakInside && !broken && !store.BreakBefore(i) &&
          stretch->count[p] == kStretch && store.TimeAt(i) < currentEnd &&
          store.TimeAt(last) < currentEnd) {
        column.Add({store.TimeAt(i + stretch->minAt[p]), stretch->min[p]});
        column.Add({store.TimeAt(i + stretch->maxAt[p]), stretch->max[p]});
        column.Add({store.TimeAt(last), store.ValueAt(parameter, last)});
        i = last + 1;
        continue;
      }
    }
    const std::uint64_t stretchEnd = std::min(end, (i / kStretch + 1) * kStretch);
    const ReadingStore::Run run = store.RunAt(i, stretchEnd);
    for (std::size_t k = 0; k < run.count; ++k) {
      const TimeMs time = run.time[k];
      const double value = run.value[p][k];
      if (run.breakBefore[k] && i + k != begin) broken = true;
      if (std::isnan(value)) {
        broken = true;
        continue;
      }
      if (broken || time >= currentEnd) {
        const long long at = columnOf(time);
        if (broken || at != current) {
          column.Flush(out);
          if (broken && !out.empty() && !std::isnan(out.back().value)) {
            out.push_back({time, kBreak});
          }
          broken = false;
          current = at;
          currentEnd = columnEnd(at);
        }
      }
      column.Add({time, value});
    }
    i += run.count;
  }
  column.Flush(out);
  return out;
}

}  // namespace benchbridge

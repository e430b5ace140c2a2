#include "column_reduction.h"

#include <algorithm>
#include <array>
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

// The extremes of each bin's readings in one column.
struct BinColumn {
  std::array<bool, kBinSlots> used{};
  std::array<BinMark, kBinSlots> low{}, high{};
  bool any = false;

  void Add(TimeMs time, double value, char bin) {
    if (bin == 0) return;
    const std::size_t slot = BinSlot(bin);
    if (!used[slot]) {
      used[slot] = any = true;
      low[slot] = high[slot] = {time, value, bin};
      return;
    }
    if (value < low[slot].value) low[slot] = {time, value, bin};
    if (value > high[slot].value) high[slot] = {time, value, bin};
  }

  void Flush(std::vector<BinMark>& out) {
    if (!any) return;
    for (std::size_t slot = 0; slot < kBinSlots; ++slot) {
      if (!used[slot]) continue;
      const bool highFirst = high[slot].time < low[slot].time;
      out.push_back(highFirst ? high[slot] : low[slot]);
      if (!(high[slot] == low[slot])) out.push_back(highFirst ? low[slot] : high[slot]);
      used[slot] = false;
    }
    any = false;
  }
};

// One pass over the readings of a range, in index order. It can stop at any index and go on
// later from there with the same outcome as one pass over all of them: everything it depends on
// is in its members.
class ColumnScan {
 public:
  ColumnScan(const ReadingStore& store, Parameter parameter, TimeMs from, TimeMs to, int columns,
             int kind, bool marks = false)
      : parameter_(parameter),
        kind_(kind),
        marks_(marks),
        p_(static_cast<int>(parameter)),
        from_(from),
        to_(to),
        columns_(std::max(columns, 1)),
        width_(std::max<TimeMs>(to - from, 1)),
        begin_(store.LowerBound(from)),
        next_(0) {
    if (begin_ > store.Begin()) --begin_;
    next_ = begin_;
  }

  // The index the scan starts at, and the end of the range for the store as it is now: the
  // readings just outside the range come along, so the line runs on to the plot's edges.
  std::uint64_t Begin() const { return begin_; }
  std::uint64_t EndFor(const ReadingStore& store) const {
    std::uint64_t end = store.LowerBound(to_ + 1);
    if (end < store.End()) ++end;
    return end;
  }
  std::uint64_t Next() const { return next_; }

  void ScanTo(const ReadingStore& store, std::uint64_t end);

  std::vector<PlotPoint> Points() const {
    std::vector<PlotPoint> points = out_;
    Column open = column_;
    open.Flush(points);
    return points;
  }
  std::vector<BinMark> Marks() const {
    std::vector<BinMark> marks = marksOut_;
    BinColumn open = binColumn_;
    open.Flush(marks);
    return marks;
  }

 private:
  // Column c covers [from + c * width / columns, from + (c + 1) * width / columns), in whole
  // milliseconds; -1 and columns stand for the readings just outside.
  long long ColumnOf(TimeMs time) const {
    if (time < from_) return -1;
    if (time >= to_) return columns_;
    return static_cast<long long>((time - from_) * columns_ / width_);
  }
  TimeMs ColumnEnd(long long column) const {
    if (column < 0) return from_;
    if (column >= columns_) return std::numeric_limits<TimeMs>::max();
    // The first millisecond of the next column: ceil(from + (column + 1) * width / columns).
    return from_ + ((column + 1) * width_ + columns_ - 1) / columns_;
  }

  // Whether a whole stretch has one bin (and which): then its extremes are that bin's.
  static bool OneBin(const ReadingStore& store, std::uint64_t index, char& bin) {
    const char* bins = store.RunAt(index, index + ReadingStore::kStretchSize).bin;
    bin = bins[0];
    return std::all_of(bins + 1, bins + ReadingStore::kStretchSize,
                       [first = bins[0]](char b) { return b == first; });
  }

  Parameter parameter_;
  int kind_;    // only readings of this kind, or of any when negative
  bool marks_;  // the bin marks are kept too
  int p_;
  TimeMs from_, to_;
  long long columns_;
  TimeMs width_;
  std::uint64_t begin_, next_;
  std::vector<PlotPoint> out_;
  Column column_;
  std::vector<BinMark> marksOut_;
  BinColumn binColumn_;
  long long current_ = std::numeric_limits<long long>::min();
  TimeMs currentEnd_ = std::numeric_limits<TimeMs>::min();  // readings before it are in current_
  bool broken_ = false;                                     // a break is owed before the next point
};

void ColumnScan::ScanTo(const ReadingStore& store, std::uint64_t end) {
  const double kBreak = std::numeric_limits<double>::quiet_NaN();
  constexpr std::uint64_t kStretch = ReadingStore::kStretchSize;
  std::uint64_t i = next_;
  while (i < end) {
    // A whole stretch that lies in the current column, unbroken and with this parameter
    // throughout, adds its extremes and its last reading without looking at the rest.
    if (i != begin_ && column_.used && i + kStretch <= end) {
      const ReadingStore::StretchSummary* stretch = store.CompleteStretch(i);
      const std::uint64_t last = i + kStretch - 1;
      char bin = 0;
      if (stretch != nullptr && !stretch->breakInside && !broken_ && !store.BreakBefore(i) &&
          stretch->count[p_] == kStretch && (kind_ < 0 || store.KindAt(i) == kind_) &&
          store.TimeAt(i) < currentEnd_ && store.TimeAt(last) < currentEnd_) {
        const TimeMs minTime = store.TimeAt(i + stretch->minAt[p_]);
        const TimeMs maxTime = store.TimeAt(i + stretch->maxAt[p_]);
        column_.Add({minTime, stretch->min[p_]});
        column_.Add({maxTime, stretch->max[p_]});
        column_.Add({store.TimeAt(last), store.ValueAt(parameter_, last)});
        if (marks_ && OneBin(store, i, bin)) {
          binColumn_.Add(minTime, stretch->min[p_], bin);
          binColumn_.Add(maxTime, stretch->max[p_], bin);
        } else if (marks_) {  // bins mixed: each reading to its bin's extremes
          const ReadingStore::Run run = store.RunAt(i, i + kStretch);
          for (std::size_t k = 0; k < run.count; ++k) {
            binColumn_.Add(run.time[k], run.value[p_][k], run.bin[k]);
          }
        }
        i = last + 1;
        continue;
      }
    }
    const std::uint64_t stretchEnd = std::min(end, (i / kStretch + 1) * kStretch);
    const ReadingStore::Run run = store.RunAt(i, stretchEnd);
    for (std::size_t k = 0; k < run.count; ++k) {
      const TimeMs time = run.time[k];
      const double value = run.value[p_][k];
      if (run.breakBefore[k] && i + k != begin_) broken_ = true;
      if (std::isnan(value) || (kind_ >= 0 && run.kind[k] != kind_)) {
        broken_ = true;
        continue;
      }
      if (broken_ || time >= currentEnd_) {
        const long long at = ColumnOf(time);
        if (broken_ || at != current_) {
          column_.Flush(out_);
          binColumn_.Flush(marksOut_);
          if (broken_ && !out_.empty() && !std::isnan(out_.back().value)) {
            out_.push_back({time, kBreak});
          }
          broken_ = false;
          current_ = at;
          currentEnd_ = ColumnEnd(at);
        }
      }
      column_.Add({time, value});
      if (marks_) binColumn_.Add(time, value, run.bin[k]);
    }
    i += run.count;
  }
  next_ = std::max(next_, i);
}

}  // namespace

std::vector<PlotPoint> ReduceToColumns(const ReadingStore& store, Parameter parameter, TimeMs from,
                                       TimeMs to, int columns, int kind) {
  if (store.Empty() || to < from) return {};
  ColumnScan scan(store, parameter, from, to, columns, kind);
  scan.ScanTo(store, scan.EndFor(store));
  return scan.Points();
}

std::vector<BinMark> BinMarksInColumns(const ReadingStore& store, Parameter parameter, TimeMs from,
                                       TimeMs to, int columns, int kind) {
  if (store.Empty() || to < from) return {};
  ColumnScan scan(store, parameter, from, to, columns, kind, true);
  scan.ScanTo(store, scan.EndFor(store));
  return scan.Marks();
}

struct ColumnReducer::Resumable {
  const ReadingStore* store;
  Parameter parameter;
  TimeMs from, to;
  int columns, kind;
  bool marks;
  std::uint64_t storeBegin;
  TimeMs lastTime;  // of the last reading scanned, to tell a store that was replaced
  char lastBin;     // and its bin, to tell one that came later
  ColumnScan scan;
};

ColumnReducer::ColumnReducer() = default;
ColumnReducer::~ColumnReducer() = default;

void ColumnReducer::Reset() { last_.reset(); }

std::vector<BinMark> ColumnReducer::Marks() const {
  return last_ && last_->marks ? last_->scan.Marks() : std::vector<BinMark>();
}

std::vector<PlotPoint> ColumnReducer::Reduce(const ReadingStore& store, Parameter parameter,
                                             TimeMs from, TimeMs to, int columns, int kind,
                                             bool marks) {
  if (store.Empty() || to < from) {
    last_.reset();
    return {};
  }
  Resumable* last = last_.get();
  const bool resumes =
      last != nullptr && last->store == &store && last->parameter == parameter &&
      last->from == from && last->to == to && last->columns == columns && last->kind == kind &&
      last->marks == marks && last->storeBegin == store.Begin() &&
      last->scan.Next() <= store.End() && last->scan.Next() > last->scan.Begin() &&
      store.TimeAt(last->scan.Next() - 1) == last->lastTime &&
      (!marks || store.At(last->scan.Next() - 1).bin == last->lastBin) &&
      ColumnScan(store, parameter, from, to, columns, kind).Begin() == last->scan.Begin();
  if (!resumes) {
    last_ = std::make_unique<Resumable>(
        Resumable{&store, parameter, from, to, columns, kind, marks, store.Begin(), 0, 0,
                  ColumnScan(store, parameter, from, to, columns, kind, marks)});
    last = last_.get();
  }
  const std::uint64_t end = last->scan.EndFor(store);
  if (end > last->scan.Next()) last->scan.ScanTo(store, end);
  if (last->scan.Next() > last->scan.Begin()) {
    last->lastTime = store.TimeAt(last->scan.Next() - 1);
    last->lastBin = store.At(last->scan.Next() - 1).bin;
  }
  return last->scan.Points();
}

}  // namespace benchbridge

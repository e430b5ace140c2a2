#pragma once
// The line a plot draws of one parameter: at most four points per pixel column (the column's
// first reading, its minimum and maximum in time order, its last), so a day of readings drawn
// into 1000 columns looks exactly as the full line would, spikes included.

#include <cstdint>
#include <memory>
#include <vector>

#include "reading_store.h"

namespace benchbridge {

struct PlotPoint {
  TimeMs time = 0;
  double value = 0;  // NaN: the line breaks here
};

// Where a reading's comparator bin shows on the plot (as the colour of a dot). Per pixel column
// and bin, the lowest and the highest reading of that bin in the column (in time order), so
// every bin a column holds shows at its extremes however many readings the column covers.
struct BinMark {
  TimeMs time = 0;
  double value = 0;
  char bin = 0;  // as StoredReading::bin; readings without a bin have no mark
  bool operator==(const BinMark&) const = default;
};

// The points of parameter between from and to, reduced to columns (at least one; column c
// covers [from + c * (to - from) / columns, from + (c + 1) * (to - from) / columns)). The
// readings just outside the range come along, so the line runs on to the plot's edges. Every
// break of the store (and every reading without this parameter, or of another kind than kind
// when kind is not negative) gives one NaN point.
std::vector<PlotPoint> ReduceToColumns(const ReadingStore& store, Parameter parameter, TimeMs from,
                                       TimeMs to, int columns, int kind = -1);
// The bin marks of the same readings in the same columns.
std::vector<BinMark> BinMarksInColumns(const ReadingStore& store, Parameter parameter, TimeMs from,
                                       TimeMs to, int columns, int kind = -1);

// ReduceToColumns that remembers where it stopped: asked again for the same range and columns
// of the same store after readings were only added at the end, it goes on from there instead of
// starting over, so a day in view costs the new readings rather than the day.
class ColumnReducer {
 public:
  ColumnReducer();
  ~ColumnReducer();
  ColumnReducer(const ColumnReducer&) = delete;
  ColumnReducer& operator=(const ColumnReducer&) = delete;

  // marks: also keep the readings' bin marks (Marks()). A bin that came for the newest
  // reading after the last Reduce is taken in, at the cost of starting over.
  std::vector<PlotPoint> Reduce(const ReadingStore& store, Parameter parameter, TimeMs from,
                                TimeMs to, int columns, int kind = -1, bool marks = false);
  // The bin marks of the last Reduce that asked for them; empty otherwise.
  std::vector<BinMark> Marks() const;
  // The store was replaced or changed other than at its end: the next Reduce starts over.
  void Reset();

 private:
  struct Resumable;
  std::unique_ptr<Resumable> last_;
};

}  // namespace benchbridge

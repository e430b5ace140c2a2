#pragma once
// The readings of the trend in time order: a bounded store of numbers with the parameter names
// and units interned, the bin of each reading when known, and where the line breaks (silence,
// error replies, disconnection, a change of parameter).
//
// Readings live in blocks of kBlockSize with a summary each (statistics, where the extremes
// are, whether the block is one unbroken run of one parameter pair), so that statistics and the
// reduction to pixel columns over a day of readings take whole blocks at once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "local_time.h"
#include "running_stats.h"

namespace benchbridge {

struct ParameterNames {
  std::string primaryName, primaryUnit, secondaryName, secondaryUnit;
  // The primary value is a deviation from the value nulled (the meter's deviation mode): a
  // series of its own, "Cs Δ".
  bool deviation = false;
  bool operator==(const ParameterNames&) const = default;
};

// "Cs", or "Cs Δ" for a deviation.
std::string PrimaryLabel(const ParameterNames& names);

// Where a bin goes in the counts of a block: '0'..'9', OUT, AUX, anything else.
inline constexpr std::size_t kBinSlots = 13;
std::size_t BinSlot(char bin);

enum class Parameter { kPrimary = 0, kSecondary = 1 };

struct StoredReading {
  TimeMs time = 0;
  double primary = 0, secondary = 0;  // NaN where the reading had no number
  std::uint16_t kind = 0;             // index of its ParameterNames
  char bin = 0;                       // '1'..'9', 'O' (OUT), 'A' (AUX); 0 when not known
  bool breakBefore = false;           // the line does not join this reading to the one before
};

class ReadingStore {
 public:
  // About eleven days at two readings a second, in about 56 MB.
  static constexpr std::size_t kDefaultCapacity = 2'000'000;
  static constexpr std::size_t kBlockSize = 1024;
  // More than this between two readings is a gap: a poll cycle takes about 0.55 s and a busy
  // operator's commands between polls add well under a second, while a silent meter costs 3 s
  // per poll, so a longer wait means at least one poll brought no reading.
  static constexpr TimeMs kGapAfterMs = 2500;
  // A meter (or a file) that invents a new parameter name with every reading must not grow the
  // name table without end: past this many pairs, new ones share one pair named "?".
  static constexpr std::size_t kMaxKinds = 1024;

  struct BlockSummary {
    std::array<RunningStats, 2> stats;              // by Parameter; NaNs are not counted
    std::array<std::uint16_t, 2> minAt{}, maxAt{};  // offsets of the extremes in the block
    std::uint16_t kind = 0;
    bool mixedKinds = false;
    bool breakInside = false;  // a break before any reading but the block's first
    std::array<std::uint32_t, kBinSlots> bins{};  // readings by bin (see BinSlot)
  };

  // Within a block, stretches of kStretchSize readings keep their extremes too, so the
  // reduction of a day to 1000 pixel columns (about 170 readings each) takes them whole.
  static constexpr std::size_t kStretchSize = 64;
  struct StretchSummary {
    std::array<double, 2> min, max;            // by Parameter
    std::array<std::uint8_t, 2> minAt, maxAt;  // offsets in the stretch
    std::array<std::uint8_t, 2> count;         // readings with this parameter
    bool breakInside;
  };

  explicit ReadingStore(std::size_t capacity = kDefaultCapacity);
  ReadingStore(ReadingStore&&) noexcept;
  ReadingStore& operator=(ReadingStore&&) noexcept;
  ~ReadingStore();

  std::uint16_t Intern(const ParameterNames& names);
  const ParameterNames& Names(std::uint16_t kind) const { return kinds_[kind]; }
  std::size_t KindCount() const { return kinds_.size(); }
  // The finest step seen in a parameter's values of a kind (from the digits the meter sent),
  // 0 while none is known.
  double Resolution(std::uint16_t kind, Parameter parameter) const;
  void NoteResolution(std::uint16_t kind, Parameter parameter, double step);

  // Appends a reading; NaN stands for a value that is missing. A reading without any number is
  // not kept: it breaks the line instead. A time before the newest one (the clock was set back)
  // is taken as the newest time, so the store stays in order; such readings are counted.
  // Past the capacity the oldest reading is dropped.
  void Add(TimeMs time, double primary, double secondary, std::uint16_t kind);
  // Appends every reading of other after the newest one here, with its names, bin and breaks.
  void AppendFrom(const ReadingStore& other);
  // The next reading starts a new stretch of line.
  void MarkGap() { pendingBreak_ = true; }
  // Gives the newest reading its bin; false (and nothing changes) when it has one already.
  bool SetLatestBin(char bin) { return !Empty() && SetBinAt(End() - 1, bin); }
  // Gives a kept reading its bin; false when it has one already.
  bool SetBinAt(std::uint64_t index, char bin);

  // Absolute indices: Begin() is the oldest kept reading, End() one past the newest.
  std::uint64_t Begin() const { return head_; }
  std::uint64_t End() const { return end_; }
  std::size_t Size() const { return static_cast<std::size_t>(end_ - head_); }
  bool Empty() const { return end_ == head_; }
  std::size_t Capacity() const { return capacity_; }
  std::uint64_t Dropped() const { return head_; }
  std::uint64_t Reordered() const { return reordered_; }

  StoredReading At(std::uint64_t index) const;
  TimeMs TimeAt(std::uint64_t index) const;
  std::uint16_t KindAt(std::uint64_t index) const;
  double ValueAt(Parameter parameter, std::uint64_t index) const;
  bool BreakBefore(std::uint64_t index) const;
  // The first index whose time is not before time (End() if none).
  std::uint64_t LowerBound(TimeMs time) const;
  // The readings from index on that lie in index's block, up to end at most: plain arrays for
  // loops over many readings.
  struct Run {
    const TimeMs* time;
    std::array<const double*, 2> value;  // by Parameter
    const std::uint16_t* kind;
    const bool* breakBefore;
    const char* bin;
    std::size_t count;
  };
  Run RunAt(std::uint64_t index, std::uint64_t end) const;
  // The summary of the stretch that starts at index, when it is full and kept whole.
  const StretchSummary* CompleteStretch(std::uint64_t index) const;
  // The summary of the block that starts at index, when index starts a block that is full and
  // kept whole; nullptr otherwise.
  const BlockSummary* CompleteBlock(std::uint64_t index) const;

 private:
  struct Block;
  const Block& BlockOf(std::uint64_t index) const;

  std::size_t capacity_;
  std::deque<std::unique_ptr<Block>> blocks_;
  std::uint64_t firstBlock_ = 0;  // block number of blocks_.front()
  std::uint64_t head_ = 0, end_ = 0;
  std::uint64_t reordered_ = 0;
  bool pendingBreak_ = false;
  TimeMs lastTime_ = 0;
  std::uint16_t lastKind_ = 0;
  std::vector<ParameterNames> kinds_;
  std::vector<std::array<double, 2>> resolutions_;  // by kind
};

}  // namespace benchbridge

#include "reading_store.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace benchbridge {

struct ReadingStore::Block {
  std::array<TimeMs, kBlockSize> time;
  std::array<std::array<double, kBlockSize>, 2> value;
  std::array<std::uint16_t, kBlockSize> kind;
  std::array<char, kBlockSize> bin;
  std::array<bool, kBlockSize> breakBefore;
  BlockSummary summary;
  std::array<StretchSummary, kBlockSize / kStretchSize> stretches;
};

std::string PrimaryLabel(const ParameterNames& names) {
  return names.deviation ? names.primaryName + " \xCE\x94" : names.primaryName;
}

std::size_t BinSlot(char bin) {
  if (bin >= '0' && bin <= '9') return static_cast<std::size_t>(bin - '0');
  if (bin == 'O') return 10;
  if (bin == 'A') return 11;
  return 12;
}

ReadingStore::ReadingStore(std::size_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {}
ReadingStore::ReadingStore(ReadingStore&&) noexcept = default;
ReadingStore& ReadingStore::operator=(ReadingStore&&) noexcept = default;
ReadingStore::~ReadingStore() = default;

std::uint16_t ReadingStore::Intern(const ParameterNames& names) {
  for (std::size_t i = kinds_.size(); i-- > 0;) {
    if (kinds_[i] == names) return static_cast<std::uint16_t>(i);
  }
  if (kinds_.size() + 1 >= kMaxKinds) {
    const ParameterNames other{"?", "", "?", ""};
    if (kinds_.size() + 1 == kMaxKinds) kinds_.push_back(other);
    return static_cast<std::uint16_t>(kMaxKinds - 1);
  }
  kinds_.push_back(names);
  return static_cast<std::uint16_t>(kinds_.size() - 1);
}

double ReadingStore::Resolution(std::uint16_t kind, Parameter parameter) const {
  return kind < resolutions_.size() ? resolutions_[kind][static_cast<int>(parameter)] : 0;
}

void ReadingStore::NoteResolution(std::uint16_t kind, Parameter parameter, double step) {
  if (!(step > 0) || !std::isfinite(step) || kind >= kinds_.size()) return;
  if (resolutions_.size() < kinds_.size()) resolutions_.resize(kinds_.size(), {0, 0});
  double& finest = resolutions_[kind][static_cast<int>(parameter)];
  if (finest == 0 || step < finest) finest = step;
}

void ReadingStore::Add(TimeMs time, double primary, double secondary, std::uint16_t kind) {
  if (std::isnan(primary) && std::isnan(secondary)) {
    MarkGap();
    return;
  }
  const bool first = Empty();
  if (!first && time < lastTime_) {
    time = lastTime_;
    ++reordered_;
  }
  const bool breakBefore =
      !first && (pendingBreak_ || time - lastTime_ > kGapAfterMs || kind != lastKind_);
  pendingBreak_ = false;

  const std::size_t offset = static_cast<std::size_t>(end_ % kBlockSize);
  if (offset == 0) blocks_.push_back(std::make_unique<Block>());
  Block& block = *blocks_.back();
  block.time[offset] = time;
  block.value[0][offset] = primary;
  block.value[1][offset] = secondary;
  block.kind[offset] = kind;
  block.bin[offset] = 0;
  block.breakBefore[offset] = breakBefore;

  BlockSummary& summary = block.summary;
  if (offset == 0) {
    summary = BlockSummary{};
    summary.kind = kind;
  } else {
    summary.mixedKinds = summary.mixedKinds || kind != summary.kind;
    summary.breakInside = summary.breakInside || breakBefore;
  }
  StretchSummary& stretch = block.stretches[offset / kStretchSize];
  const std::size_t inStretch = offset % kStretchSize;
  if (inStretch == 0) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    stretch = StretchSummary{{kInf, kInf}, {-kInf, -kInf}, {}, {}, {}, false};
  } else {
    stretch.breakInside = stretch.breakInside || breakBefore;
  }
  for (int p = 0; p < 2; ++p) {
    const double value = block.value[p][offset];
    if (std::isnan(value)) continue;
    if (value < stretch.min[p]) {
      stretch.min[p] = value;
      stretch.minAt[p] = static_cast<std::uint8_t>(inStretch);
    }
    if (value > stretch.max[p]) {
      stretch.max[p] = value;
      stretch.maxAt[p] = static_cast<std::uint8_t>(inStretch);
    }
    ++stretch.count[p];
    RunningStats& stats = summary.stats[p];
    if (value < stats.min) summary.minAt[p] = static_cast<std::uint16_t>(offset);
    if (value > stats.max) summary.maxAt[p] = static_cast<std::uint16_t>(offset);
    stats.Add(value);
  }

  ++end_;
  lastTime_ = time;
  lastKind_ = kind;
  while (Size() > capacity_) {
    ++head_;
    if (head_ % kBlockSize == 0) {
      blocks_.pop_front();
      ++firstBlock_;
    }
  }
}

void ReadingStore::AppendFrom(const ReadingStore& other) {
  std::vector<std::uint16_t> kinds;
  for (std::size_t kind = 0; kind < other.KindCount(); ++kind) {
    kinds.push_back(Intern(other.Names(static_cast<std::uint16_t>(kind))));
    for (Parameter p : {Parameter::kPrimary, Parameter::kSecondary}) {
      NoteResolution(kinds.back(), p, other.Resolution(static_cast<std::uint16_t>(kind), p));
    }
  }
  for (std::uint64_t i = other.Begin(); i < other.End(); ++i) {
    const StoredReading reading = other.At(i);
    if (reading.breakBefore) MarkGap();
    Add(reading.time, reading.primary, reading.secondary, kinds[reading.kind]);
    if (reading.bin != 0) SetLatestBin(reading.bin);
  }
}

bool ReadingStore::SetBinAt(std::uint64_t index, char bin) {
  if (index < head_ || index >= end_ || bin == 0) return false;
  Block& block = *blocks_[static_cast<std::size_t>(index / kBlockSize - firstBlock_)];
  char& slot = block.bin[index % kBlockSize];
  if (slot != 0) return false;
  slot = bin;
  ++block.summary.bins[BinSlot(bin)];
  return true;
}

const ReadingStore::Block& ReadingStore::BlockOf(std::uint64_t index) const {
  return *blocks_[static_cast<std::size_t>(index / kBlockSize - firstBlock_)];
}

StoredReading ReadingStore::At(std::uint64_t index) const {
  const Block& block = BlockOf(index);
  const std::size_t offset = index % kBlockSize;
  return {block.time[offset], block.value[0][offset], block.value[1][offset],
          block.kind[offset], block.bin[offset],      block.breakBefore[offset]};
}

std::uint16_t ReadingStore::KindAt(std::uint64_t index) const {
  return BlockOf(index).kind[index % kBlockSize];
}

TimeMs ReadingStore::TimeAt(std::uint64_t index) const {
  return BlockOf(index).time[index % kBlockSize];
}

double ReadingStore::ValueAt(Parameter parameter, std::uint64_t index) const {
  return BlockOf(index).value[static_cast<int>(parameter)][index % kBlockSize];
}

bool ReadingStore::BreakBefore(std::uint64_t index) const {
  return BlockOf(index).breakBefore[index % kBlockSize];
}

std::uint64_t ReadingStore::LowerBound(TimeMs time) const {
  std::uint64_t low = head_, high = end_;
  while (low < high) {
    const std::uint64_t middle = low + (high - low) / 2;
    if (TimeAt(middle) < time) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

ReadingStore::Run ReadingStore::RunAt(std::uint64_t index, std::uint64_t end) const {
  const Block& block = BlockOf(index);
  const std::size_t offset = index % kBlockSize;
  const std::uint64_t blockEnd = index - offset + kBlockSize;
  return {&block.time[offset], {&block.value[0][offset], &block.value[1][offset]},
          &block.kind[offset], &block.breakBefore[offset],
          &block.bin[offset],  static_cast<std::size_t>(std::min(end, blockEnd) - index)};
}

const ReadingStore::StretchSummary* ReadingStore::CompleteStretch(std::uint64_t index) const {
  if (index % kStretchSize != 0 || index < head_ || index + kStretchSize > end_) return nullptr;
  return &BlockOf(index).stretches[(index % kBlockSize) / kStretchSize];
}

const ReadingStore::BlockSummary* ReadingStore::CompleteBlock(std::uint64_t index) const {
  if (index % kBlockSize != 0 || index < head_ || index + kBlockSize > end_) return nullptr;
  return &BlockOf(index).summary;
}

}  // namespace benchbridge

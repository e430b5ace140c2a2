#include "list_sweep.h"

#include <cmath>

#include "si_format.h"

namespace benchbridge::sim {
namespace {

std::string LimitText(const std::optional<double>& limit) {
  return limit ? FormatExponent(*limit) : "--";
}

std::string Verdict(const ListPoint& point) {
  if (!point.measured || (!point.low && !point.high)) return "--";
  const bool pass = std::isfinite(point.value) && (!point.low || point.value >= *point.low) &&
                    (!point.high || point.value <= *point.high);
  return pass ? "PASS" : "FAIL";
}

}  // namespace

void ListSweep::ClearResults() {
  for (ListPoint& point : points) point.measured.reset();
  stepNext_ = 0;
}

std::vector<int> ListSweep::PointsToTrigger() {
  std::vector<int> due;
  if (mode == ListMode::Sequence) {
    for (int index = 0; index < kPoints; ++index) {
      if (points[index].frequencyHz) due.push_back(index);
    }
    return due;
  }
  for (int step = 0; step < kPoints; ++step) {
    const int index = (stepNext_ + step) % kPoints;
    if (points[index].frequencyHz) {
      stepNext_ = (index + 1) % kPoints;
      due.push_back(index);
      break;
    }
  }
  return due;
}

// A point without a frequency is not in the sweep: only its number comes back, with the other
// fields empty, so a reader that drops empty fields sees no frequency rather than the next field
// moved up into its place.
std::string ListSweep::PointReply(int index) const {
  const ListPoint& point = points[index];
  if (!point.frequencyHz) return std::to_string(index) + ",,,,,";
  std::string reply = std::to_string(index) + ",";
  reply += std::to_string(*point.frequencyHz);
  reply += "," + LimitText(point.low) + "," + LimitText(point.high) + ",";
  reply += point.measured ? FormatQuantity(*point.measured, point.value) : "--";
  reply += "," + Verdict(point);
  return reply;
}

std::string_view ListModeWord(ListMode mode) {
  return mode == ListMode::Step ? "STEP" : "SEQuence";
}

}  // namespace benchbridge::sim

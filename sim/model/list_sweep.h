#pragma once
// The seven-point list sweep: each point a test frequency with a low and a high limit for the
// primary value, the value measured there and its verdict.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "quantity.h"

namespace benchbridge::sim {

enum class ListMode { Sequence, Step };

struct ListPoint {
  std::optional<int> frequencyHz;  // none: the point is not used
  std::optional<double> low, high;
  std::optional<Quantity> measured;  // what was measured there, if anything yet
  double value = 0.0;
};

class ListSweep {
 public:
  static constexpr int kPoints = 7;

  bool on = false;
  ListMode mode = ListMode::Sequence;
  std::array<ListPoint, kPoints> points{};

  void ClearResults();
  // The points one trigger measures: every used point in sequence mode, the next used point in
  // step mode (going round).
  std::vector<int> PointsToTrigger();

  // "k,f,low,high,value,result", e.g. "2,1000,10e3,20e3,15.023kΩ,PASS"; "--" for whatever a
  // point does not have.
  std::string PointReply(int index) const;

 private:
  int stepNext_ = 0;
};

// "SEQuence" or "STEP".
std::string_view ListModeWord(ListMode mode);

}  // namespace benchbridge::sim
